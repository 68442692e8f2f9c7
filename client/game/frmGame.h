#pragma once

#include "client/GameCore.h"

#include <QWidget>

class ModData;
#include <memory>

class Browser;
class DatagramSocket;
class QTimer;

// The game window: the encyclopedia in wbMain, and the socket that carries every datagram after
// joining. Its logic lives in GameCore; this window places things and routes to the other windows.
class frmGame : public QWidget, private GameView
{
    Q_OBJECT
public:
    explicit frmGame(ModData &modData, QWidget *parent = nullptr);
    ~frmGame() override;

    // Sends one datagram to the game server (chat and chooser send through here too).
    void SendData(const QString &text);
    void InitGame();

    GameCore &Core() { return *m_core; }
    Browser &GameBrowser() { return *m_browser; }
    DatagramSocket &Socket() { return *m_socket; }

    QWidget *wbMain = nullptr;
    QTimer *tmrGetScores = nullptr;
    QTimer *tmrPing = nullptr;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void tmrGetScores_Timer();
    void tmrPing_Timer();
    void placeWindow();

    // GameView
    void AddChat(const QString &name, const QString &text) override;
    void UpdateChatList() override;
    void UpdateScores(const ScoreFlags &flags) override;
    bool ChooserShown() const override;
    void ShowChooser() override;
    void SetChooserWord(const QString &source, const QString &title) override;
    void SetCaption(const QString &caption) override;
    void CloseGame() override;

    std::unique_ptr<DatagramSocket> m_socket;
    std::unique_ptr<Browser> m_browser;
    std::unique_ptr<GameCore> m_core;
    bool m_closing = false;
    ModData &modData;
};
