#include "client/session/GameSession.h"

#include "client/ChatLog.h"
#include "client/ModData.h"
#include "client/ScoreBoard.h"
#include "client/Twips.h"
#include "client/chat/frmChat.h"
#include "client/game/frmGame.h"
#include "client/scores/PlayersPanel.h"
#include "client/scores/PlayersTable.h"
#include "client/scores/frmScores.h"
#include "client/session/GameFrame.h"
#include "client/winner/frmWinner.h"
#include "platform/Dialogs.h"
#include "settings/Options.h"

#include <QAction>
#include <QDockWidget>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>

namespace
{
const QString kGame = QStringLiteral("GAME");
const QString kLayoutSetting = QStringLiteral("Layout");
// The one window's size and its panels' places, as the player left them.
const QString kPanelsSetting = QStringLiteral("Panels");

// Puts a window at its whole-window rectangle; its inside gets the rest.
void placeWindow(QWidget *window, const QRect &whole, const QMargins &frame)
{
    const QRect inside = InsideOf(whole, frame);
    // A top-level window's position is its frame's; its size the inside's.
    window->move(whole.topLeft());
    if (window->minimumSize() != window->maximumSize())
        window->resize(inside.size());
}
} // namespace

GameLayout LoadGameLayout()
{
    return LoadOption(kLayoutSetting) == QLatin1String("windows") ? GameLayout::Windows : GameLayout::Panels;
}

void SaveGameLayout(GameLayout layout)
{
    SaveOption(kLayoutSetting,
               layout == GameLayout::Windows ? QStringLiteral("windows") : QStringLiteral("panels"));
}

GameSession::GameSession(ModData &data, GameServices services, QObject *parent)
    : QObject(parent), modData(data), m_services(std::move(services)), m_layout(LoadGameLayout())
{
}

GameSession::~GameSession()
{
    // Windows still open go with the session, the game window last: it says goodbye to the server.
    for (QWidget *w :
         {static_cast<QWidget *>(m_chat.data()), static_cast<QWidget *>(m_scores.data()),
          m_players ? m_players->parentWidget() : nullptr, static_cast<QWidget *>(m_chooser.data()),
          static_cast<QWidget *>(m_game.data()), static_cast<QWidget *>(m_frame.data())})
        delete w;
}

void GameSession::Open()
{
    Chat()->show();
    if (m_layout == GameLayout::Windows)
        Scores()->show();
    else
        Players();
    Game();
    m_frame->show();
    if (modData.IsHost)
        ShowChooser();
    if (!modData.WelcomeText.isEmpty())
        Chat()->AddChat(kGame, modData.WelcomeText);
}

GameFrame *GameSession::frame()
{
    if (m_frame)
        return m_frame;
    m_frame = new GameFrame;
    m_frame->setWindowTitle(TitleRules::kCaption);
    m_frame->SeparateWindows()->setChecked(m_layout == GameLayout::Windows);
    connect(m_frame->SeparateWindows(), &QAction::toggled, this,
            [this](bool separate) { SetLayout(separate ? GameLayout::Windows : GameLayout::Panels); });
    connect(m_frame, &GameFrame::CloseRequested, this, &GameSession::closeRequested);
    return m_frame;
}

GameFrame *GameSession::Frame() const
{
    return m_frame;
}

QWidget *GameSession::GameWindow()
{
    Game();
    return m_frame;
}

frmGame *GameSession::Game()
{
    if (m_game)
        return m_game;
    GameFrame *f = frame();
    m_game = new frmGame(modData, m_services, static_cast<GameView &>(*this));
    f->setCentralWidget(m_game);
    f->setWindowTitle(m_game->windowTitle());
    connect(m_game, &frmGame::Closing, this, &GameSession::unloadOthers);
    connect(m_game, &frmGame::Closed, this, &GameSession::gameClosed);
    arrangeFrame();
    m_game->Load();
    return m_game;
}

frmChat *GameSession::Chat()
{
    if (m_chat)
        return m_chat;
    m_chat = new frmChat(modData, [this](QWidget *w) {
        if (m_layout == GameLayout::Windows)
            place(w, &GameWindowsPlacement::chat);
    });
    m_chatFlags = m_chat->windowFlags();
    connect(m_chat, &frmChat::Send, this, &GameSession::send);
    connect(m_chat, &frmChat::Unloading, this, [this] { m_chat = nullptr; });
    if (m_layout == GameLayout::Panels) {
        m_chat->SetResizable(true);
        dock(m_chat, int(GameFrame::Panel::Chat));
    }
    return m_chat;
}

frmScores *GameSession::Scores()
{
    if (m_scores)
        return m_scores;
    m_scores = new frmScores(modData, [this](QWidget *w) { place(w, &GameWindowsPlacement::scores); });
    connect(m_scores, &frmScores::Unloading, this, [this] { m_scores = nullptr; });
    return m_scores;
}

PlayersTable *GameSession::Players()
{
    if (m_players)
        return m_players;
    auto *panel = new PlayersPanel(modData);
    panel->SetHost(modData.IsHost);
    connect(panel, &PlayersPanel::Command, this, [this](const QString &typed) {
        send(chatlog::OutgoingMessage(typed, modData.PlayerName, modData.OwnPort));
    });
    m_players = panel->Table();
    dock(panel, int(GameFrame::Panel::Players));
    return m_players;
}

frmWinner *GameSession::Chooser()
{
    if (m_chooser)
        return m_chooser;
    frmGame *game = Game();
    m_chooser = new frmWinner(
        modData, game->GameBrowser(), *m_services.dialogs, [this](const QString &text) { send(text); },
        game->Core().SiteHost(),
        [this](QWidget *w) {
            if (m_layout == GameLayout::Windows)
                place(w, &GameWindowsPlacement::chooser);
        });
    m_chooserFlags = m_chooser->windowFlags();
    connect(m_chooser, &frmWinner::Unloading, this, [this] {
        m_chooser = nullptr;
        if (m_frame)
            m_frame->SetPanel(GameFrame::Panel::Chooser, nullptr);
    });
    if (m_layout == GameLayout::Panels) {
        m_chooser->hide();
        m_chooser->SetResizable(true);
        dock(m_chooser, int(GameFrame::Panel::Chooser));
        m_frame->Dock(GameFrame::Panel::Chooser)->hide();
    }
    return m_chooser;
}

void GameSession::dock(QWidget *content, int panel)
{
    frame()->SetPanel(GameFrame::Panel(panel), content);
}

void GameSession::undock(QWidget *content, Qt::WindowFlags flags)
{
    content->setParent(nullptr, flags);
}

void GameSession::SetLayout(GameLayout layout)
{
    if (layout == m_layout)
        return;
    if (m_frame && m_layout == GameLayout::Panels)
        saveFrameLayout();
    m_layout = layout;
    SaveGameLayout(layout);
    if (m_frame) {
        const QSignalBlocker blocker(m_frame->SeparateWindows());
        m_frame->SeparateWindows()->setChecked(layout == GameLayout::Windows);
    }
    const bool chooserShown = ChooserShown();
    if (layout == GameLayout::Windows) {
        if (m_chat) {
            undock(m_chat, m_chatFlags);
            m_chat->SetResizable(false);
            place(m_chat, &GameWindowsPlacement::chat);
            m_chat->show();
        }
        if (m_players)
            delete m_players->parentWidget();
        Scores()->show();
        if (m_chooser) {
            undock(m_chooser, m_chooserFlags);
            m_chooser->SetResizable(false);
            place(m_chooser, &GameWindowsPlacement::chooser);
            m_chooser->setVisible(chooserShown);
        }
        if (m_frame) {
            for (auto panel : {GameFrame::Panel::Chat, GameFrame::Panel::Players, GameFrame::Panel::Chooser})
                m_frame->SetPanel(panel, nullptr);
            m_frame->showNormal();
        }
    } else {
        if (m_chat) {
            m_chat->SetResizable(true);
            dock(m_chat, int(GameFrame::Panel::Chat));
        }
        if (m_scores)
            m_scores->UnloadNow();
        Players();
        if (m_chooser) {
            m_chooser->SetResizable(true);
            dock(m_chooser, int(GameFrame::Panel::Chooser));
            m_frame->Dock(GameFrame::Panel::Chooser)->setVisible(chooserShown);
        }
    }
    if (m_frame && m_game)
        arrangeFrame();
}

// The one window fills the screen with its panels in a column, unless the player left it otherwise;
// as the game window among separate windows it takes its place right of them.
void GameSession::arrangeFrame()
{
    if (m_layout == GameLayout::Windows) {
        place(m_frame, &GameWindowsPlacement::game);
        return;
    }
    const bool chooserWanted = ChooserShown();
    if (m_frame->RestoreLayout(LoadOption(kPanelsSetting))) {
        // The chooser's panel follows the game's turns, not what was saved.
        m_frame->Dock(GameFrame::Panel::Chooser)->setVisible(chooserWanted);
        return;
    }
    const PanelPlan plan = Plan(m_frame);
    placeWindow(m_frame, plan.window, frameMargins());
    QDockWidget *chat = m_frame->Dock(GameFrame::Panel::Chat);
    QDockWidget *players = m_frame->Dock(GameFrame::Panel::Players);
    QDockWidget *chooser = m_frame->Dock(GameFrame::Panel::Chooser);
    m_frame->resizeDocks({chat, players, chooser}, {plan.columnWidth, plan.columnWidth, plan.columnWidth},
                         Qt::Horizontal);
    m_frame->resizeDocks({players, chat}, {plan.playersHeight, plan.chatHeight}, Qt::Vertical);
}

void GameSession::saveFrameLayout()
{
    if (m_frame && m_layout == GameLayout::Panels && m_frame->isVisible())
        SaveOption(kPanelsSetting, m_frame->SavedLayout());
}

bool GameSession::ChooserShown() const
{
    return m_chooser && m_chooser->isVisible();
}

void GameSession::AddChat(const QString &name, const QString &text)
{
    Chat()->AddChat(name, text);
}

void GameSession::UpdateChatList()
{
    Chat()->UpdateList();
}

void GameSession::UpdateScores(const ScoreFlags &flags)
{
    if (m_layout == GameLayout::Panels)
        Players()->UpdateList(flags);
    else
        Scores()->UpdateList(flags);
}

void GameSession::ShowChooser()
{
    frmWinner *chooser = Chooser();
    chooser->show();
    if (m_layout == GameLayout::Panels) {
        QDockWidget *panel = m_frame->Dock(GameFrame::Panel::Chooser);
        panel->show();
        panel->raise();
        return;
    }
    chooser->raise();
}

void GameSession::SetChooserWord(const QString &source, const QString &title)
{
    Chooser()->SetWord(source, title);
}

void GameSession::SetCaption(const QString &caption)
{
    if (m_game)
        m_game->setWindowTitle(caption);
    if (m_frame)
        m_frame->setWindowTitle(caption);
}

void GameSession::CloseGame()
{
    if (m_game)
        m_game->close();
}

void GameSession::closeRequested()
{
    if (!m_game) {
        if (m_frame)
            m_frame->deleteLater();
        return;
    }
    if (m_quitAsked)
        return;
    const bool hosting = m_hosted.running && m_hosted.running();
    const qint32 others = modData.PlayerCount - 1;
    if (!hosting || others <= 0) {
        // Nobody else plays on the server this player started: it goes with the game.
        m_stopHosted = hosting;
        m_game->close();
        return;
    }
    m_quitAsked = true;
    const QString text =
        QStringLiteral("You are hosting this game. Stop the server too? %1 still %2 on it.")
            .arg(others == 1 ? QStringLiteral("1 other player") : QString::number(others) + " other players",
                 others == 1 ? QStringLiteral("plays") : QStringLiteral("play"));
    m_services.dialogs->AskYesNo(text, TitleRules::kCaption, this, [this](bool yes) {
        m_quitAsked = false;
        m_stopHosted = yes;
        if (m_game)
            m_game->close();
    });
}

void GameSession::gameClosed()
{
    const bool disconnected = m_game && m_game->Core().Disconnected;
    const auto reason = m_game ? m_game->Core().ByeReason() : std::nullopt;
    m_game = nullptr;
    if (m_frame) {
        m_frame->hide();
        m_frame->deleteLater();
    }
    if (m_stopHosted && m_hosted.stop) {
        m_stopHosted = false;
        m_hosted.stop();
    }
    if (disconnected && m_services.backToStart)
        m_services.backToStart(DisconnectText(reason));
    else
        m_services.endProgram();
}

void GameSession::send(const QString &text)
{
    if (m_game)
        m_game->SendData(text);
}

void GameSession::unloadOthers()
{
    saveFrameLayout();
    if (m_chat)
        m_chat->UnloadNow();
    if (m_scores)
        m_scores->UnloadNow();
    if (m_players)
        m_players->parentWidget()->deleteLater();
    if (m_chooser)
        m_chooser->UnloadNow();
}

// What the window system adds around a window: read off a game window already framed, else a
// usual title bar and border (none where windows have no frames, as offscreen).
QMargins GameSession::frameMargins() const
{
    for (const QWidget *w :
         {static_cast<const QWidget *>(m_chat.data()), static_cast<const QWidget *>(m_scores.data()),
          static_cast<const QWidget *>(m_frame.data())}) {
        if (!w || !w->isVisible() || !w->isWindow())
            continue;
        const QRect frame = w->frameGeometry(), inside = w->geometry();
        if (frame != inside)
            return QMargins(inside.left() - frame.left(), inside.top() - frame.top(),
                            frame.right() - inside.right(), frame.bottom() - inside.bottom());
    }
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        return QMargins();
    return QMargins(2, 30, 2, 2);
}

namespace
{
QRect availableFor(const QWidget *window)
{
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}
} // namespace

GameWindowsPlacement GameSession::Placement(const QWidget *window) const
{
    GameWindowsSizes sizes;
    sizes.chatInside = frmChat::kSize;
    sizes.scoresInsideWidth = scoreboard::kWidthTwips / kTwipsPerPixel;
    sizes.scoresMinInsideHeight = scoreboard::kMinHeightTwips / kTwipsPerPixel;
    sizes.chooserInside = frmWinner::kInside;
    sizes.bottomGap = 480 / kTwipsPerPixel;
    return PlaceGameWindows(availableFor(window), frameMargins(), sizes);
}

PanelPlan GameSession::Plan(const QWidget *window) const
{
    PanelSizes sizes;
    const int caption = m_frame ? m_frame->Dock(GameFrame::Panel::Chat)->fontMetrics().height() + 8 : 24;
    sizes.chooserHeight = frmWinner::kInside.height() + caption;
    sizes.menuHeight = m_frame ? m_frame->menuBar()->sizeHint().height() : 0;
    sizes.minColumnWidth = frmChat::kMinimumPanelSize.width() + 40;
    sizes.maxColumnWidth = 480;
    return PlanPanels(availableFor(window), frameMargins(), sizes);
}

void GameSession::place(QWidget *window, QRect GameWindowsPlacement::*which) const
{
    placeWindow(window, Placement(window).*which, frameMargins());
}
