#include "client/game/GameSession.h"

#include "client/ModData.h"
#include "client/chat/frmChat.h"
#include "client/game/frmGame.h"
#include "client/scores/frmScores.h"
#include "client/winner/frmWinner.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/UdpSocket.h"
#include "platform/qt/WebBrowser.h"

#include "client/ScoreBoard.h"
#include "client/Twips.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>

namespace
{
GameServices g_services;
bool g_servicesSet = false;
QPointer<frmGame> g_game;
QPointer<frmChat> g_chat;
QPointer<frmScores> g_scores;
QPointer<frmWinner> g_chooser;

void fillDefaults(GameServices &s)
{
    if (!s.createSocket)
        s.createSocket = [] { return std::unique_ptr<DatagramSocket>(std::make_unique<UdpSocket>()); };
    if (!s.createBrowser)
        s.createBrowser = [](QWidget *window) {
            return std::unique_ptr<Browser>(std::make_unique<WebBrowser>(window));
        };
    if (!s.dialogs) {
        static QtDialogs dialogs;
        s.dialogs = &dialogs;
    }
    if (!s.endProgram)
        s.endProgram = [] { QCoreApplication::quit(); };
}
} // namespace

void SetGameServices(GameServices services)
{
    g_services = std::move(services);
    fillDefaults(g_services);
    g_servicesSet = true;
}

GameServices &Services()
{
    if (!g_servicesSet) {
        fillDefaults(g_services);
        g_servicesSet = true;
    }
    return g_services;
}

Dialogs &GameDialogs()
{
    return *Services().dialogs;
}

ModData &GameData()
{
    Q_ASSERT(Services().data);
    return *Services().data;
}

void OpenGameWindows(ModData &data)
{
    Services().data = &data;
    ModData &modData = data;
    ChatWindow()->show();
    ScoresWindow()->show();
    GameWindow()->show();
    if (modData.IsHost)
        ChooserWindow()->show();
    if (!modData.WelcomeText.isEmpty())
        ChatWindow()->AddChat(QStringLiteral("GAME"), modData.WelcomeText);
}

namespace
{
// What the window system adds around a window: read off a game window already framed, else a
// usual title bar and border (none where windows have no frames, as offscreen).
QMargins FrameMargins()
{
    for (const QWidget *w :
         {static_cast<const QWidget *>(g_chat.data()), static_cast<const QWidget *>(g_scores.data()),
          static_cast<const QWidget *>(g_game.data())}) {
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
} // namespace

GameWindowsPlacement PlaceOnScreenOf(const QWidget *window)
{
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    GameWindowsSizes sizes;
    sizes.chatInside = QSize(5520 / kTwipsPerPixel, 3255 / kTwipsPerPixel);
    sizes.scoresInsideWidth = scoreboard::kWidthTwips / kTwipsPerPixel;
    sizes.scoresMinInsideHeight = scoreboard::kMinHeightTwips / kTwipsPerPixel;
    sizes.chooserInside = frmWinner::kInside;
    sizes.bottomGap = 480 / kTwipsPerPixel;
    return PlaceGameWindows(available, FrameMargins(), sizes);
}

void PlaceWindow(QWidget *window, const QRect &whole)
{
    const QRect inside = InsideOf(whole, FrameMargins());
    // A top-level window's position is its frame's; its size the inside's.
    window->move(whole.topLeft());
    if (window->minimumSize() != window->maximumSize())
        window->resize(inside.size());
}

frmGame *GameWindow()
{
    if (!g_game)
        g_game = new frmGame(GameData());
    return g_game;
}

frmChat *ChatWindow()
{
    if (!g_chat)
        g_chat = new frmChat(GameData());
    return g_chat;
}

frmScores *ScoresWindow()
{
    if (!g_scores)
        g_scores = new frmScores(GameData());
    return g_scores;
}

frmWinner *ChooserWindow()
{
    if (!g_chooser)
        g_chooser = new frmWinner(GameData());
    return g_chooser;
}

bool GameWindowExists()
{
    return !g_game.isNull();
}
bool ChatWindowExists()
{
    return !g_chat.isNull();
}
bool ScoresWindowExists()
{
    return !g_scores.isNull();
}
bool ChooserWindowExists()
{
    return !g_chooser.isNull();
}
bool ChooserShown()
{
    return g_chooser && g_chooser->isVisible();
}

void ForgetGameWindow(frmGame *window)
{
    if (g_game == window)
        g_game = nullptr;
}
void ForgetChatWindow(frmChat *window)
{
    if (g_chat == window)
        g_chat = nullptr;
}
void ForgetScoresWindow(frmScores *window)
{
    if (g_scores == window)
        g_scores = nullptr;
}
void ForgetChooserWindow(frmWinner *window)
{
    if (g_chooser == window)
        g_chooser = nullptr;
}
