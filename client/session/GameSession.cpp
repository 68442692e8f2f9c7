#include "client/session/GameSession.h"

#include "client/ModData.h"
#include "client/ScoreBoard.h"
#include "client/Twips.h"
#include "client/chat/frmChat.h"
#include "client/game/frmGame.h"
#include "client/scores/frmScores.h"
#include "client/winner/frmWinner.h"

#include <QGuiApplication>
#include <QScreen>

namespace
{
const QString kGame = QStringLiteral("GAME");

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

GameSession::GameSession(ModData &data, GameServices services, QObject *parent)
    : QObject(parent), modData(data), m_services(std::move(services))
{
}

GameSession::~GameSession()
{
    // Windows still open go with the session, the game window last: it says goodbye to the server.
    for (QWidget *w : {static_cast<QWidget *>(m_chat.data()), static_cast<QWidget *>(m_scores.data()),
                       static_cast<QWidget *>(m_chooser.data()), static_cast<QWidget *>(m_game.data())})
        delete w;
}

void GameSession::Open()
{
    Chat()->show();
    Scores()->show();
    Game()->show();
    if (modData.IsHost)
        Chooser()->show();
    if (!modData.WelcomeText.isEmpty())
        Chat()->AddChat(kGame, modData.WelcomeText);
}

frmGame *GameSession::Game()
{
    if (m_game)
        return m_game;
    m_game = new frmGame(modData, m_services, static_cast<GameView &>(*this));
    connect(m_game, &frmGame::Closing, this, &GameSession::unloadOthers);
    connect(m_game, &frmGame::Closed, this, [this] {
        m_game = nullptr;
        m_services.endProgram();
    });
    // Right of the chat, the scoreboard and the chooser, which it never covers.
    place(m_game, &GameWindowsPlacement::game);
    m_game->Load();
    return m_game;
}

frmChat *GameSession::Chat()
{
    if (m_chat)
        return m_chat;
    m_chat = new frmChat(modData, [this](QWidget *w) { place(w, &GameWindowsPlacement::chat); });
    connect(m_chat, &frmChat::Send, this, &GameSession::send);
    connect(m_chat, &frmChat::Unloading, this, [this] { m_chat = nullptr; });
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

frmWinner *GameSession::Chooser()
{
    if (m_chooser)
        return m_chooser;
    frmGame *game = Game();
    m_chooser = new frmWinner(
        modData, game->GameBrowser(), *m_services.dialogs, [this](const QString &text) { send(text); },
        game->Core().SiteHost(), [this](QWidget *w) { place(w, &GameWindowsPlacement::chooser); });
    connect(m_chooser, &frmWinner::Unloading, this, [this] { m_chooser = nullptr; });
    return m_chooser;
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
    Scores()->UpdateList(flags);
}

void GameSession::ShowChooser()
{
    frmWinner *chooser = Chooser();
    chooser->show();
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
}

void GameSession::CloseGame()
{
    if (m_game)
        m_game->close();
}

void GameSession::send(const QString &text)
{
    if (m_game)
        m_game->SendData(text);
}

void GameSession::unloadOthers()
{
    if (m_chat)
        m_chat->UnloadNow();
    if (m_scores)
        m_scores->UnloadNow();
    if (m_chooser)
        m_chooser->UnloadNow();
}

// What the window system adds around a window: read off a game window already framed, else a
// usual title bar and border (none where windows have no frames, as offscreen).
QMargins GameSession::frameMargins() const
{
    for (const QWidget *w :
         {static_cast<const QWidget *>(m_chat.data()), static_cast<const QWidget *>(m_scores.data()),
          static_cast<const QWidget *>(m_game.data())}) {
        if (!w || !w->isVisible())
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

GameWindowsPlacement GameSession::Placement(const QWidget *window) const
{
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    GameWindowsSizes sizes;
    sizes.chatInside = QSize(5520 / kTwipsPerPixel, 3255 / kTwipsPerPixel);
    sizes.scoresInsideWidth = scoreboard::kWidthTwips / kTwipsPerPixel;
    sizes.scoresMinInsideHeight = scoreboard::kMinHeightTwips / kTwipsPerPixel;
    sizes.chooserInside = frmWinner::kInside;
    sizes.bottomGap = 480 / kTwipsPerPixel;
    return PlaceGameWindows(available, frameMargins(), sizes);
}

void GameSession::place(QWidget *window, QRect GameWindowsPlacement::*which) const
{
    placeWindow(window, Placement(window).*which, frameMargins());
}
