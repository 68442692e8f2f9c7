#include "client/PortFinder.h"

#include "client/ModData.h"
#include "platform/DatagramSocket.h"
#include "protocol/Messages.h"
#include "protocol/Protocol.h"

#include <QEventLoop>
#include <QTimer>

quint16 BindFirstFreePort(DatagramSocket &socket, quint16 first, int count, quint16 avoid)
{
    for (int i = 0; i < count; ++i) {
        const int port = first + i;
        if (port > 65535)
            break;
        if (port == avoid)
            continue;
        if (socket.State() != 0)
            socket.Close();
        if (socket.Bind(static_cast<quint16>(port)))
            return static_cast<quint16>(port);
    }
    return 0;
}

ServerWaiter::ServerWaiter(SocketFactory &sockets, QObject *parent) : QObject(parent), m_sockets(sockets) {}

bool ServerWaiter::Wait(const QString &host, quint16 serverPort, quint16 firstLocalPort, int waitMs,
                        int retryMs)
{
    m_cancelled = false;
    const auto socket = m_sockets.CreateSocket();
    // One more port than the client range, so that skipping the server's port still leaves 21.
    const quint16 port = BindFirstFreePort(*socket, firstLocalPort, ModData::kLocalPortCount + 1, serverPort);
    if (port == 0)
        return false;

    QEventLoop loop;
    bool answered = false;
    connect(socket.get(), &DatagramSocket::DataArrival, &loop, [&] {
        if (GetVerb(socket->GetData()) == QLatin1String("STATUS")) {
            answered = true;
            loop.quit();
        }
    });
    const QString request = msg::Status(host, QString::number(port));
    const auto ask = [&] { socket->SendTo(host, serverPort, request); };

    QTimer retry;
    retry.setInterval(retryMs);
    connect(&retry, &QTimer::timeout, &loop, ask);
    QTimer deadline;
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);

    ask();
    retry.start();
    deadline.start(waitMs);
    m_loop = &loop;
    if (!answered && !m_cancelled)
        loop.exec();
    m_loop = nullptr;
    socket->Close();
    return answered && !m_cancelled;
}

void ServerWaiter::Cancel()
{
    m_cancelled = true;
    if (m_loop)
        m_loop->quit();
}
