#pragma once

#include "server/GameServer.h"

#include <QWidget>

class Browser;
class Clock;
class DatagramSocket;
class Dialogs;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTimer;
class SiteControl;

// The server's one window: welcome text, password, connected players (double-click bans or
// unbans), start and stop. The game itself runs in GameServer; the window only wires it up.
class frmMain : public QWidget
{
    Q_OBJECT
public:
    frmMain(DatagramSocket &socket, Browser &browser, Clock &clock, Dialogs &dialogs, SiteControl *site,
            QWidget *parent = nullptr);

    // Fills the boxes from the settings and starts serving.
    void Form_Load();
    void cmdStart_Click();
    void cmdStop_Click();
    void lstConnected_DblClick();
    void tmrInactiveUsers_Timer();
    void cmdEncyclopedia_Click();

    GameServer &Server() { return m_server; }
    bool Loading() const { return m_loading; }

    QLabel *lblWelcomeMessage;
    QPlainTextEdit *txtWelcomeMessage;
    QLabel *lblPassword;
    QLineEdit *txtPassword;
    QLabel *lblConnected;
    QListWidget *lstConnected;
    QPushButton *cmdStart;
    QPushButton *cmdStop;
    QLabel *lblStatus;            // bind failures
    QPushButton *cmdEncyclopedia; // picks the encyclopedia served
    QLabel *lblSite;              // the encyclopedia served and where players find it
    QProgressBar *prgSite;        // its background work (an index, the link graph) while it runs
    QTimer *tmrInactiveUsers;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void txtPassword_Change();
    void txtWelcomeMessage_Change();
    void showSite(bool serving);
    void refreshSite();

    DatagramSocket &wsServer;
    Browser &wbMain;
    Dialogs &m_dialogs;
    SiteControl *m_site;
    GameServer m_server;
    bool m_loading = false;
    QString m_siteText; // lblSite without the background progress line
};
