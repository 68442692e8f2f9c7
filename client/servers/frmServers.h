#pragma once

#include "client/ServerBrowser.h"

#include <QDialog>

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTimer;
class SimpleCombo;

// "Join a Game": known servers, their status answers and those of the servers on the local
// networks, and the address to join.
class frmServers : public QDialog
{
    Q_OBJECT
public:
    frmServers(ModData &modData, SocketFactory &sockets, Dialogs &dialogs, LocalNetwork &network,
               quint16 serverPort = kGamePort, quint16 firstLocalPort = kFirstClientPort,
               QWidget *parent = nullptr);

    // Fills the lists and starts the search. False when no local port was free: the dialog is not
    // shown, and the browser reports FatalExit once the player has closed the box that says why.
    bool Load();
    ServerBrowser &Browser() { return m_browser; }

    QLabel *Label2;
    SimpleCombo *cmbServers;
    QLabel *Label1;
    QListWidget *lstActive;
    QLabel *lblStatus;
    QPushButton *cmdJoin;
    QPushButton *cmdCancel;
    QTimer *tmrSearch;
    QTimer *tmrBroadcast; // asks the local networks again while the dialog is open

public slots:
    void reject() override; // Cancel, Esc and the close box

private:
    void lstActive_Click();
    void Join();
    void describe(QListWidgetItem *item, int row);

    ServerBrowser m_browser;
};
