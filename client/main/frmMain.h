#pragma once

#include "client/JoinSession.h"

#include <QWidget>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

// The start window: the player's name, Join and Host, and the joining handshake. The server browser
// and the host dialog that Join and Host open are set on its session from outside (StartSteps).
class frmMain : public QWidget
{
    Q_OBJECT
public:
    frmMain(ModData &modData, SocketFactory &sockets, Dialogs &dialogs, JoinConfig config = {},
            QWidget *parent = nullptr);
    ~frmMain() override;

    // How Host starts the server program (detached, minimised).
    void SetProgramStarter(JoinSession::ProgramStarter starter)
    {
        m_session.SetProgramStarter(std::move(starter));
    }
    JoinSession &Session() { return m_session; }
    // Back after the server ended the game: the name and the last server as they were, and why.
    void ComeBack(const QString &why);

    QLabel *Label1;
    QLabel *Label2;
    QLabel *Label4;
    QFrame *Line1;
    QLineEdit *txtName;
    QPushButton *cmdJoin;
    QPushButton *cmdHost;
    QPushButton *cmdExit;
    QLabel *lblStatus;
    QTimer *tmrTimeout;

signals:
    // The player list is in the shared state and the round reset: the game windows open now.
    void JoinCompleted();
    // No local port could be found: the whole program ends.
    void ProgramEnd();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void txtName_Change();
    QString cleanedName();
    void cmdJoin_Click();
    void cmdHost_Click();
    void cmdExit_Click();
    void setControlsEnabled(bool enabled);

    JoinSession m_session;
};
