#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

class DatagramSocket;
class SocketFactory;

// Binds the socket to the first port of first..first+count-1 that is free, skipping `avoid`.
// Returns the bound port, or 0 when none could be bound.
quint16 BindFirstFreePort(DatagramSocket &socket, quint16 first, int count, quint16 avoid);

// Waits for a game server to answer STATUS, while the game goes on. The hosting client uses it
// after starting its server, so that it looks for its own port only once the server holds the
// game port, and never takes that port itself.
class ServerWaiter : public QObject
{
    Q_OBJECT
public:
    ServerWaiter(SocketFactory &sockets, QObject *parent = nullptr);
    ~ServerWaiter() override;

    // Asks host:serverPort for STATUS every retryMs until a STATUS answer arrives or waitMs pass.
    // The asking socket binds a port from firstLocalPort upward, never serverPort itself. `done`
    // runs once: true when the server answered, false on time-out or when no port was free (then
    // before Start returns).
    void Start(const QString &host, quint16 serverPort, quint16 firstLocalPort, int waitMs, int retryMs,
               std::function<void(bool answered)> done);
    // Ends a running wait; `done` does not run.
    void Cancel();

private:
    void finish(bool answered);

    SocketFactory &m_sockets;
    std::unique_ptr<DatagramSocket> m_socket;
    QTimer *m_retry;
    QTimer *m_deadline;
    std::function<void(bool)> m_done;
};
