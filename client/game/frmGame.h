#pragma once

#include "client/GameCore.h"

#include <QWidget>
#include <memory>

class ModData;
struct GameServices;

class Browser;
class DatagramSocket;
class QTimer;
class ResultsView;
class RoundBar;

// The game window: the encyclopedia in wbMain, and the socket that carries every datagram after
// joining. Its logic lives in GameCore; what that logic asks of the other windows goes to `around`.
class frmGame : public QWidget
{
    Q_OBJECT
public:
    frmGame(ModData &modData, const GameServices &services, GameView &around, QWidget *parent = nullptr);
    ~frmGame() override;

    // Form_Load: binds the socket, opens the main page and starts the timers.
    void Load();

    // Sends one datagram to the game server (chat and chooser send through here too).
    void SendData(const QString &text);
    void InitGame();

    GameCore &Core() { return *m_core; }
    Browser &GameBrowser() { return *m_browser; }
    DatagramSocket &Socket() { return *m_socket; }

    QWidget *wbMain = nullptr;
    QTimer *tmrGetScores = nullptr;
    QTimer *tmrPing = nullptr;
    QTimer *tmrRound = nullptr;
    // Over the article: the round's words, par, clicks and clock.
    RoundBar *Bar() const { return m_bar; }
    // The last round's results over the article; they open by themselves when a round ends.
    ResultsView *Results() const { return m_resultsView; }
    void ShowResults();

signals:
    // The window is closing: the other windows go now, before the farewell to the server.
    void Closing();
    // The window has closed and said goodbye; the program ends.
    void Closed();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void tmrGetScores_Timer();
    void tmrPing_Timer();
    void tmrRound_Timer();
    void layoutParts();

    std::unique_ptr<DatagramSocket> m_socket;
    std::unique_ptr<Browser> m_browser;
    std::unique_ptr<GameCore> m_core;
    bool m_closing = false;
    RoundBar *m_bar = nullptr;
    ResultsView *m_resultsView = nullptr;
    ModData &modData;
};
