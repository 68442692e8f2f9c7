#pragma once

#include "client/GameCore.h"
#include "client/WindowPlacement.h"
#include "client/game/GameServices.h"

#include <QObject>
#include <QPointer>

class Dialogs;
class ModData;
class QWidget;
class frmChat;
class frmGame;
class frmScores;
class frmWinner;

// The real pieces: a UDP socket, the Chromium browser shown in the game window, and the given
// dialogs; closing the game window quits the application.
GameServices RealGameServices(Dialogs &dialogs);

// The game half of the client after joining: it owns the game window, the chat, the scoreboard and
// the word chooser, makes each on first use (and again after it went), places them on the screen
// and carries what one window's logic asks of the others. No window knows another.
class GameSession : public QObject, private GameView
{
    Q_OBJECT
public:
    GameSession(ModData &modData, GameServices services, QObject *parent = nullptr);
    ~GameSession() override;

    // The start window's last step: opens the chat, the scoreboard and the game window (and the
    // word chooser when the server named this player host), and hands the welcome text to the chat.
    void Open();

    // Each window, made on first use.
    frmGame *Game();
    frmChat *Chat();
    frmScores *Scores();
    frmWinner *Chooser();
    // Whether a window exists now, without making it.
    bool HasGame() const { return !m_game.isNull(); }
    bool HasChat() const { return !m_chat.isNull(); }
    bool HasScores() const { return !m_scores.isNull(); }
    bool HasChooser() const { return !m_chooser.isNull(); }
    // The chooser exists and is shown.
    bool ChooserShown() const override;

    // Where the game's windows go on the screen of `window` (frames included).
    GameWindowsPlacement Placement(const QWidget *window) const;

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
    QMargins frameMargins() const;
    void place(QWidget *window, QRect GameWindowsPlacement::*which) const;

    ModData &modData;
    GameServices m_services;
    QPointer<frmGame> m_game;
    QPointer<frmChat> m_chat;
    QPointer<frmScores> m_scores;
    QPointer<frmWinner> m_chooser;
};
