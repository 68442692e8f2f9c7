#pragma once

#include "server/ServerHost.h"

#include <QWidget>

class Dialogs;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTimer;

// The server's one window: welcome text, password, connected players (double-click bans or
// unbans), start and stop. The server runs in ServerHost; the window shows what it reports and hands
// it the operator's actions.
class frmMain : public QWidget
{
    Q_OBJECT
public:
    frmMain(ServerHost &host, Dialogs &dialogs, QWidget *parent = nullptr);

    // Starts serving from the settings and fills the boxes from them.
    void Form_Load();
    void cmdStart_Click();
    void cmdStop_Click();
    void lstConnected_DblClick();
    void tmrInactiveUsers_Timer();
    void cmdEncyclopedia_Click();

    GameServer &Server() { return m_host.Server(); }
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
    QTimer *tmrInactiveUsers;     // the host's

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void txtPassword_Change();
    void txtWelcomeMessage_Change();
    void showState();
    void showProgress();

    ServerHost &m_host;
    Dialogs &m_dialogs;
    bool m_loading = false;
};
