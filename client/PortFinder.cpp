#include "client/PortFinder.h"

#include "client/ModData.h"
#include "platform/DatagramSocket.h"
#include "protocol/Messages.h"
#include "protocol/Protocol.h"
#include "protocol/Verbs.h"

#include <QTimer>
#include <utility>

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

ServerWaiter::ServerWaiter(SocketFactory &sockets, QObject *parent)
    : QObject(parent), m_sockets(sockets), m_retry(new QTimer(this)), m_deadline(new QTimer(this))
{
    m_deadline->setSingleShot(true);
    connect(m_deadline, &QTimer::timeout, this, [this] { finish(false); });
}

ServerWaiter::~ServerWaiter() = default;

void ServerWaiter::Start(const QString &host, quint16 serverPort, quint16 firstLocalPort, int waitMs,
                         int retryMs, std::function<void(bool)> done)
{
    Cancel();
    m_done = std::move(done);
    m_socket = m_sockets.CreateSocket();
    // One more port than the client range, so that skipping the server's port still leaves 21.
    const quint16 port =
        BindFirstFreePort(*m_socket, firstLocalPort, ModData::kLocalPortCount + 1, serverPort);
    if (port == 0) {
        finish(false);
        return;
    }
    connect(m_socket.get(), &DatagramSocket::Received, this, [this](const QString &text) {
        if (VerbOf(text) == Verb::Status)
            finish(true);
    });
    const QString request = msg::Status(host, QString::number(port));
    const auto ask = [this, host, serverPort, request] {
        if (m_socket)
            m_socket->SendTo(host, serverPort, request);
    };
    m_retry->disconnect(this);
    connect(m_retry, &QTimer::timeout, this, ask);
    m_retry->start(retryMs);
    m_deadline->start(waitMs);
    ask();
}

void ServerWaiter::Cancel()
{
    m_done = nullptr;
    finish(false);
}

void ServerWaiter::finish(bool answered)
{
    m_retry->stop();
    m_deadline->stop();
    if (m_socket) {
        m_socket->Close();
        // The socket may be delivering the answer that ended the wait.
        m_socket.release()->deleteLater();
    }
    if (auto done = std::exchange(m_done, nullptr))
        done(answered);
}
