#include "fakes/FakeNetwork.h"

#include <QPointer>
#include <QTimer>
#include <optional>

FakeSocket::FakeSocket(FakeNetwork &network, const QString &address) : m_network(network), m_address(address)
{
}

FakeSocket::~FakeSocket()
{
    Close();
}

bool FakeSocket::Bind(quint16 port)
{
    if (m_port != 0) {
        m_error = QStringLiteral("Socket is already bound");
        return false;
    }
    if (!m_network.bind(this, port)) {
        m_error = QStringLiteral("Address in use");
        return false;
    }
    m_port = port;
    m_error.clear();
    return true;
}

void FakeSocket::SendBytes(const QByteArray &utf8)
{
    m_network.send(this, QString::fromUtf8(utf8));
}

bool FakeSocket::IsOwnAddress(const QString &address) const
{
    return address == m_address || address.startsWith(QLatin1String("127."));
}

void FakeSocket::Close()
{
    if (m_port != 0)
        m_network.unbind(this);
    m_port = 0;
}

void FakeSocket::receive(const QString &fromAddress, quint16 fromPort, const QString &text)
{
    QPointer<FakeSocket> alive(this);
    emit Received(text, fromAddress, fromPort);
    if (!alive)
        return;
    m_current = text;
    beginArrival(fromAddress, fromPort);
    emit DataArrival(static_cast<int>(text.toUtf8().size()));
    endArrival();
}

namespace
{
class FakeFactory : public SocketFactory
{
public:
    FakeFactory(FakeNetwork &network, QString address) : m_network(network), m_address(std::move(address)) {}
    std::unique_ptr<DatagramSocket> CreateSocket() override { return m_network.CreateSocket(m_address); }

private:
    FakeNetwork &m_network;
    QString m_address;
};
} // namespace

FakeNetwork::FakeNetwork() = default;

std::unique_ptr<SocketFactory> FakeNetwork::Factory(const QString &address)
{
    return std::make_unique<FakeFactory>(*this, address);
}

std::unique_ptr<FakeSocket> FakeNetwork::CreateSocket(const QString &address)
{
    return std::make_unique<FakeSocket>(*this, address);
}

bool FakeNetwork::bind(FakeSocket *socket, quint16 port)
{
    const auto key = qMakePair(socket->Address(), port);
    if (port == 0 || m_bound.contains(key))
        return false;
    m_bound.insert(key, socket);
    return true;
}

void FakeNetwork::unbind(FakeSocket *socket)
{
    m_bound.remove(qMakePair(socket->Address(), socket->LocalPort()));
}

bool FakeNetwork::IsBound(const QString &address, quint16 port) const
{
    return m_bound.contains(qMakePair(address, port));
}

void FakeNetwork::send(FakeSocket *from, const QString &text)
{
    QString to = from->RemoteHost();
    if (to == QLatin1String("localhost"))
        to = QStringLiteral("127.0.0.1");
    // The put port, not the sender's port that RemotePort reads inside an arrival.
    Datagram d{from->Address(), from->LocalPort(), to, from->DestinationPort(), text};
    m_sent.append(d);
    if (m_loseNext > 0) {
        --m_loseNext;
        return;
    }
    if (m_loss && m_loss(d))
        return;
    m_queue.append(d);
    scheduleDelivery();
}

void FakeNetwork::scheduleDelivery()
{
    if (m_scheduled)
        return;
    m_scheduled = true;
    QTimer::singleShot(0, this, [this] {
        m_scheduled = false;
        Deliver();
    });
}

namespace
{
// The network part of a broadcast address with a trailing "." ("10.0.0." for 10.0.0.255, "" for
// 255.255.255.255); nullopt for an address that is not a broadcast.
std::optional<QString> broadcastNetwork(const QString &address)
{
    QStringList parts = address.split(QLatin1Char('.'));
    if (parts.size() != 4 || parts.last() != QLatin1String("255"))
        return std::nullopt;
    while (!parts.isEmpty() && parts.last() == QLatin1String("255"))
        parts.removeLast();
    return parts.isEmpty() ? QString() : parts.join(QLatin1Char('.')) + QLatin1Char('.');
}
} // namespace

QList<FakeSocket *> FakeNetwork::targets(const Datagram &d) const
{
    if (const auto network = broadcastNetwork(d.toAddress)) {
        QList<FakeSocket *> out;
        for (auto it = m_bound.begin(); it != m_bound.end(); ++it) {
            if (it.key().second == d.toPort && it.key().first.startsWith(*network))
                out << it.value();
        }
        return out;
    }
    // A socket bound on the loopback address hears datagrams to 127.0.0.1 from its machine.
    FakeSocket *target = m_bound.value(qMakePair(d.toAddress, d.toPort));
    if (!target && d.toAddress == QLatin1String("127.0.0.1"))
        target = m_bound.value(qMakePair(d.fromAddress, d.toPort));
    return target ? QList<FakeSocket *>{target} : QList<FakeSocket *>{};
}

int FakeNetwork::Deliver(int limit)
{
    int delivered = 0;
    while (!m_queue.isEmpty() && delivered < limit) {
        const Datagram d = m_queue.takeFirst();
        ++delivered;
        // A handler may close or destroy a later target of the same broadcast.
        QList<QPointer<FakeSocket>> targets;
        for (FakeSocket *socket : this->targets(d))
            targets << socket;
        for (const QPointer<FakeSocket> &target : targets) {
            if (target && target->State() != 0 && target->LocalPort() == d.toPort)
                target->receive(d.fromAddress, d.fromPort, d.text);
        }
    }
    return delivered;
}

QStringList FakeNetwork::SentTo(quint16 port) const
{
    QStringList out;
    for (const Datagram &d : m_sent) {
        if (d.toPort == port)
            out << d.text;
    }
    return out;
}
