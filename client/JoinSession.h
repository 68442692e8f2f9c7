#pragma once

#include "protocol/Decoders.h"
#include "protocol/Protocol.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class DatagramSocket;
class Dialogs;
class ModData;
class ServerWaiter;
class SocketFactory;

// Where the start window finds its server and its own port. Tests point these at free ports.
struct JoinConfig {
    quint16 serverPort = kGamePort;            // every server listens here
    quint16 firstLocalPort = kFirstClientPort; // FindLocalPort searches kClientPortCount ports from here
    QString serverProgram;   // the server program started by Host; empty: beside this program
    int serverWaitMs = 5000; // Host waits this long at most for its server to answer STATUS
    int statusRetryMs = 250; // and asks again this often meanwhile
    int timeoutMs = 4000;    // the handshake's tmrTimeout interval
};

// The joining handshake of the start window, without widgets: the Join and Host flows, the
// replies of the server, the password step, the timeout and the completion step. The window
// shows what this class reports (status text, enabled controls, timer) and calls back in.
class JoinSession : public QObject
{
    Q_OBJECT
public:
    enum class State { Idle, Busy, Connecting, Password, Done };

    // Opens a dialog in front and returns at once; the dialog leaves its result in ChosenServer and
    // the step calls `closed` once it has gone. `closed` is safe to call after the session is gone.
    using ModalStep = std::function<void(std::function<void()> closed)>;
    // Starts a program detached and minimised; false when it could not be started.
    using ProgramStarter = std::function<bool(const QString &path)>;

    JoinSession(ModData &modData, SocketFactory &sockets, Dialogs &dialogs, JoinConfig config = {},
                QObject *parent = nullptr);
    ~JoinSession() override;

    void SetServerBrowser(ModalStep step) { m_showServers = std::move(step); }
    void SetHostDialog(ModalStep step) { m_showHost = std::move(step); }
    void SetProgramStarter(ProgramStarter starter) { m_startProgram = std::move(starter); }

    // Removes the message separators "=" and ";" from a typed name or password.
    static QString CleanName(const QString &text);

    // The Join and Host flows for the typed name (already cleaned by the window).
    void Join(const QString &name);
    void Host(const QString &name);
    // tmrTimeout fired.
    void TimeoutTick();
    // The window is going away: stop everything, never complete.
    void Abort();
    // The start window is back after a game ended without the player's doing: ready for the next
    // attempt, saying why the last game ended.
    void Restart(const QString &why);

    // One datagram from the handshake socket, with the address it came from as the socket reports it.
    void HandleReply(const QString &datagram, const QString &senderAddress = QString());

    State CurrentState() const { return m_state; }
    bool TimerRunning() const { return m_timerRunning; }
    QString Status() const { return m_status; }
    const JoinConfig &Config() const { return m_config; }
    QString ServerProgramPath() const;
    // The handshake socket while one is open (tests look at its port).
    DatagramSocket *ConnectSocket() const { return m_connect.get(); }

signals:
    void StatusChanged(const QString &text);
    // Name box and both buttons.
    void ControlsEnabled(bool enabled);
    // The name box should get the focus.
    void FocusName();
    // Start (or restart from zero) and stop tmrTimeout.
    void StartTimer();
    void StopTimer();
    // The player list is in the shared state; the game windows take over now.
    void Completed();
    // A failure after which the program must end (no free local port).
    void FatalExit();

private:
    bool beginAttempt(const QString &name);
    // Runs a step, then `next` once its dialog has closed, unless the session is gone by then.
    void runStep(const ModalStep &step, std::function<void()> next);
    // Host once its dialog has closed.
    void hostChosen(const QString &name);
    // Ends a Host attempt whose server program could not be started, once the player has read why.
    void hostFailed(const QString &text);
    void connectTo(const QString &name);
    // What went wrong starting the server program; empty when it started.
    QString startServerProgram();
    // Host's next step once its server answers (or the wait ends): the own port, then connecting.
    void hostServerReady(const QString &name);
    void replyConnectAccept(const msg::Accepted &accepted, const QString &senderAddress);
    void replyConnectReject(const msg::Rejected &rejected);
    void replyNeedPassword();
    void passwordTyped(const QString &answer);
    void replyPlayerList(const QString &datagram);
    void backToIdle();
    void setStatus(const QString &text);
    void startTimer();
    void stopTimer();
    void closeSocket();

    ModData &modData;
    SocketFactory &m_sockets;
    Dialogs &m_dialogs;
    JoinConfig m_config;
    ModalStep m_showServers;
    ModalStep m_showHost;
    ProgramStarter m_startProgram;
    std::unique_ptr<DatagramSocket> m_connect; // wsConnect
    State m_state = State::Idle;
    bool m_timerRunning = false;
    bool m_aborted = false;
    ServerWaiter *m_waiter = nullptr; // while Host waits for its server
    // This attempt hosts: the client joins its own server with the password the Host dialog saved.
    bool m_hosting = false;
    QString m_status;
};
