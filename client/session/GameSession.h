#pragma once

#include "client/GameCore.h"
#include "client/WindowPlacement.h"
#include "client/game/GameServices.h"

#include <QObject>
#include <QPointer>

class Dialogs;
class ModData;
class QWidget;
class GameFrame;
class PlayersTable;
class frmChat;
class frmGame;
class frmScores;
class frmWinner;

// The real pieces: a UDP socket, the Chromium browser shown in the game window, and the given
// dialogs; closing the game window quits the application.
GameServices RealGameServices(Dialogs &dialogs);

// How the game's windows are arranged, kept in the setting "Layout": one window with the chat, the
// players and the chooser as panels ("panels", the default), or each in a window of its own
// ("windows").
enum class GameLayout { Panels, Windows };
GameLayout LoadGameLayout();
void SaveGameLayout(GameLayout layout);

// The game half of the client after joining: it owns the game window, the chat, the scoreboard and
// the word chooser, makes each on first use (and again after it went), arranges them as panels of
// the game window or as windows of their own, and carries what one window's logic asks of the
// others. No window knows another.
class GameSession : public QObject, private GameView
{
    Q_OBJECT
public:
    GameSession(ModData &modData, GameServices services, QObject *parent = nullptr);
    ~GameSession() override;

    // The start window's last step: opens the chat, the scoreboard and the game window (and the
    // word chooser when the server named this player host), and hands the welcome text to the chat.
    void Open();

    // Each window, made on first use. The game sits in GameWindow(), the window with the View menu.
    frmGame *Game();
    QWidget *GameWindow();
    GameFrame *Frame() const;
    frmChat *Chat();
    // The players and scores: the table of the one window's players panel, the scoreboard window
    // otherwise.
    frmScores *Scores();
    PlayersTable *Players();
    frmWinner *Chooser();
    GameLayout Layout() const { return m_layout; }
    // View > Separate Windows, and back: the chat and the chooser keep what they hold.
    void SetLayout(GameLayout layout);
    // Whether a window exists now, without making it.
    bool HasGame() const { return !m_game.isNull(); }
    bool HasChat() const { return !m_chat.isNull(); }
    bool HasScores() const { return !m_scores.isNull(); }
    bool HasPlayers() const { return !m_players.isNull(); }
    bool HasChooser() const { return !m_chooser.isNull(); }
    // The chooser exists and is shown.
    bool ChooserShown() const override;

    // Where the game's windows go on the screen of `window` (frames included).
    GameWindowsPlacement Placement(const QWidget *window) const;
    // The one window on the screen of `window`, without a layout of the player's own.
    PanelPlan Plan(const QWidget *window) const;

    // When the player who hosts quits: whether the server this client started should stop too.
    // Asked only when others still play on it; unset, nobody is asked and nothing stops.
    struct HostedServer {
        std::function<bool()> running;
        std::function<void()> stop;
    };
    void SetHostedServer(HostedServer server) { m_hosted = std::move(server); }

private:
    // GameView: what the game window's logic asks of the windows around it.
    void AddChat(const QString &name, const QString &text) override;
    void UpdateChatList() override;
    void UpdateScores(const ScoreFlags &flags) override;
    void ShowChooser() override;
    void SetChooserWord(const QString &source, const QString &title) override;
    void SetCaption(const QString &caption) override;
    void CloseGame() override;

    void send(const QString &text);
    // The game window is closing: the other windows go with it.
    void unloadOthers();
    // The close button of the game window: asks about a hosted server first.
    void closeRequested();
    void gameClosed();
    GameFrame *frame();
    void dock(QWidget *content, int panel);
    void undock(QWidget *content, Qt::WindowFlags flags);
    void arrangeFrame();
    void saveFrameLayout();
    QMargins frameMargins() const;
    void place(QWidget *window, QRect GameWindowsPlacement::*which) const;

    ModData &modData;
    GameServices m_services;
    QPointer<frmGame> m_game;
    QPointer<frmChat> m_chat;
    QPointer<frmScores> m_scores;
    QPointer<frmWinner> m_chooser;
    QPointer<GameFrame> m_frame;
    QPointer<PlayersTable> m_players;
    GameLayout m_layout = GameLayout::Panels;
    // The flags of the separate windows, for their way back out of the panels.
    Qt::WindowFlags m_chatFlags, m_chooserFlags;
    HostedServer m_hosted;
    bool m_quitAsked = false;
    bool m_stopHosted = false;
};
