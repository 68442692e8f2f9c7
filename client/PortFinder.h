#pragma once

#include <QObject>
#include <QString>

class DatagramSocket;
class QEventLoop;
class SocketFactory;

// Binds the socket to the first port of first..first+count-1 that is free, skipping `avoid`.
// Returns the bound port, or 0 when none could be bound.
quint16 BindFirstFreePort(DatagramSocket &socket, quint16 first, int count, quint16 avoid);

// Waits for a game server to answer STATUS, letting events run meanwhile. The hosting client
// uses it after starting its server, so that it looks for its own port only once the server
// holds the game port, and never takes that port itself.
class ServerWaiter : public QObject
{
    Q_OBJECT
public:
    ServerWaiter(SocketFactory &sockets, QObject *parent = nullptr);

    // Asks host:serverPort for STATUS every retryMs until a STATUS answer arrives or waitMs pass.
    // The asking socket binds a port from firstLocalPort upward, never serverPort itself.
    // True when the server answered; false on time-out, on Cancel, or when no port was free.
    bool Wait(const QString &host, quint16 serverPort, quint16 firstLocalPort, int waitMs, int retryMs);
    // Ends a running Wait at once (it returns false).
    void Cancel();

private:
    SocketFactory &m_sockets;
    QEventLoop *m_loop = nullptr;
    bool m_cancelled = false;
};
