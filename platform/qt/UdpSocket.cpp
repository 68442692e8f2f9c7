#include "platform/qt/UdpSocket.h"

#include <QHostInfo>
#include <QNetworkDatagram>
#include <QNetworkInterface>
#include <QUdpSocket>

namespace
{

// How long a host name lookup stays good; failures are retried sooner.
constexpr qint64 ResolvedLifetimeMs = 5 * 60 * 1000;
constexpr qint64 UnresolvedLifetimeMs = 30 * 1000;
// Datagrams held per host name while it is looked up, and names looked up at once. Beyond
// that datagrams are lost, as they would be on a busy network.
constexpr int MaxWaitingPerHost = 64;
constexpr int MaxLookupsInProgress = 16;

QString plainAddress(const QHostAddress &address)
{
    // A dual-stack socket reports IPv4 peers as ::ffff:a.b.c.d; the game shows dotted addresses.
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    if (isV4)
        return QHostAddress(v4).toString();
    return address.toString();
}

QHostAddress preferIPv4(const QList<QHostAddress> &addresses)
{
    for (const QHostAddress &a : addresses) {
        if (a.protocol() == QAbstractSocket::IPv4Protocol)
            return a;
    }
    return addresses.isEmpty() ? QHostAddress() : addresses.first();
}

} // namespace

UdpSocket::UdpSocket(QObject *parent) : DatagramSocket(parent)
{
    ensureSocket();
}

UdpSocket::~UdpSocket() = default;

void UdpSocket::ensureSocket()
{
    if (m_socket)
        return;
    m_socket = new QUdpSocket(this);
    connect(m_socket, &QUdpSocket::readyRead, this, &UdpSocket::readPending);
    connect(m_socket, &QUdpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        // A failed bind is reported by Bind's result; only errors of a working socket are events.
        if (m_binding || m_quietRead)
            return;
        m_error = m_socket->errorString();
        emit Error(static_cast<int>(error), m_error);
    });
}

bool UdpSocket::Bind(quint16 port)
{
    if (State() != 0) {
        m_error = QStringLiteral("Invalid operation at current state");
        return false;
    }
    m_binding = true;
    // No address sharing: a port another socket holds must fail so the port finder moves on.
    const bool ok = m_socket->bind(QHostAddress::AnyIPv4, port, QAbstractSocket::DontShareAddress);
    m_binding = false;
    if (!ok) {
        m_error = m_socket->errorString();
        m_socket->close();
        return false;
    }
    m_error.clear();
    return true;
}

quint16 UdpSocket::LocalPort() const
{
    return State() != 0 ? m_socket->localPort() : 0;
}

int UdpSocket::State() const
{
    return m_socket->state() == QAbstractSocket::BoundState ? 1 : 0;
}

void UdpSocket::Close()
{
    m_socket->close();
    m_waiting.clear();
    // Datagrams not yet handled went with the socket.
    m_queue.clear();
    m_queuedBytes = 0;
}

QString UdpSocket::GetData()
{
    return m_current;
}

void UdpSocket::readPending()
{
    // Read everything now, inside readyRead: QUdpSocket only raises readyRead again after a
    // read in answer to the last one.
    if (!m_socket->hasPendingDatagrams()) {
        // Raised for a datagram that is gone already: an empty read re-arms the notification,
        // or the socket would never hear another datagram. Its "error" is no error.
        m_quietRead = true;
        m_socket->receiveDatagram(0);
        m_quietRead = false;
        return;
    }
    // Under a flood what is left waits for the next turn of the event loop (the read re-armed
    // the notice), so reading never holds up the window.
    for (int read = 0; read < MaxArrivalsPerTurn * 16 && m_socket->hasPendingDatagrams(); ++read) {
        const QNetworkDatagram datagram = m_socket->receiveDatagram();
        if (!datagram.isValid())
            break;
        const QByteArray bytes = datagram.data();
        // Beyond this much unhandled input datagrams are dropped, as a full system buffer would.
        if (m_queue.size() >= MaxQueuedDatagrams || m_queuedBytes + bytes.size() > MaxQueuedBytes)
            continue;
        m_queuedBytes += bytes.size();
        // Most datagrams come from the same few senders: their address is written out once.
        const QHostAddress sender = datagram.senderAddress();
        if (sender != m_lastSender) {
            m_lastSender = sender;
            m_lastSenderText = plainAddress(sender);
        }
        m_queue.append(Arrival{QString::fromUtf8(bytes), m_lastSenderText,
                               static_cast<quint16>(datagram.senderPort()), static_cast<int>(bytes.size())});
    }
    scheduleDispatch();
}

void UdpSocket::scheduleDispatch()
{
    if (m_dispatchScheduled || m_queue.isEmpty())
        return;
    m_dispatchScheduled = true;
    // Arrivals run from the event loop, outside readyRead, so that a handler waiting on the
    // event loop sees the next datagram arrive inside it.
    QMetaObject::invokeMethod(this, &UdpSocket::dispatch, Qt::QueuedConnection);
}

void UdpSocket::dispatch()
{
    m_dispatchScheduled = false;
    QPointer<UdpSocket> alive(this);
    for (int handled = 0; !m_queue.isEmpty(); ++handled) {
        if (handled == MaxArrivalsPerTurn) {
            scheduleDispatch();
            return;
        }
        const Arrival current = m_queue.takeFirst();
        m_queuedBytes -= current.bytes;
        emit Received(current.text, current.address, current.port);
        if (!alive)
            return;
        m_current = current.text;
        beginArrival(current.address, current.port);
        emit DataArrival(current.bytes);
        if (!alive)
            return;
        endArrival();
    }
}

void UdpSocket::SendBytes(const QByteArray &data)
{
    const quint16 port = DestinationPort();
    const QString host = RemoteHost().trimmed();
    if (data.size() > MaxDatagramBytes || port == 0 || host.isEmpty())
        return;

    // Answers and broadcasts go to the same few addresses: each is read once.
    if (host != m_lastDestinationText) {
        m_lastDestinationText = host;
        m_lastDestination = QHostAddress();
        m_lastDestinationIsAddress = m_lastDestination.setAddress(host);
    }
    if (m_lastDestinationIsAddress) {
        send(m_lastDestination, port, data);
        return;
    }
    const QString name = host.toLower();
    if (name == QLatin1String("localhost")) {
        send(QHostAddress(QHostAddress::LocalHost), port, data);
        return;
    }
    const auto cached = m_lookups.constFind(name);
    if (cached != m_lookups.constEnd()) {
        const qint64 lifetime = cached->addresses.isEmpty() ? UnresolvedLifetimeMs : ResolvedLifetimeMs;
        if (cached->age.elapsed() < lifetime) {
            if (!cached->addresses.isEmpty())
                send(preferIPv4(cached->addresses), port, data);
            return;
        }
    }

    // Resolving by name blocks; look it up in the background and send once it is known.
    QList<Waiting> &waiting = m_waiting[name];
    if (waiting.size() < MaxWaitingPerHost)
        waiting.append(Waiting{port, data});
    if (m_resolving.contains(name))
        return;
    if (m_resolving.size() >= MaxLookupsInProgress) {
        m_waiting.remove(name);
        return;
    }
    m_resolving.insert(name);
    QHostInfo::lookupHost(name, this, [this, name](const QHostInfo &info) {
        lookupFinished(name, info.error() == QHostInfo::NoError ? info.addresses() : QList<QHostAddress>());
    });
}

void UdpSocket::lookupFinished(const QString &host, const QList<QHostAddress> &addresses)
{
    m_resolving.remove(host);
    Lookup lookup;
    lookup.addresses = addresses;
    lookup.age.start();
    m_lookups.insert(host, lookup);
    const QList<Waiting> waiting = m_waiting.take(host);
    if (addresses.isEmpty())
        return; // a name that does not resolve loses its datagrams silently
    const QHostAddress address = preferIPv4(addresses);
    for (const Waiting &w : waiting)
        send(address, w.port, w.data);
}

void UdpSocket::send(const QHostAddress &address, quint16 port, const QByteArray &data)
{
    if (address.isNull())
        return;
    m_socket->writeDatagram(data, address, port);
}

QString UdpSocket::LocalIP() const
{
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &nif : interfaces) {
        const auto flags = nif.flags();
        if (!(flags & QNetworkInterface::IsUp) || !(flags & QNetworkInterface::IsRunning) ||
            (flags & QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry &entry : nif.addressEntries()) {
            const QHostAddress ip = entry.ip();
            if (ip.protocol() == QAbstractSocket::IPv4Protocol && !ip.isLoopback())
                return ip.toString();
        }
    }
    return QStringLiteral("127.0.0.1");
}

bool UdpSocket::IsOwnAddress(const QString &address) const
{
    QHostAddress a;
    if (!a.setAddress(address))
        return false;
    if (a.isLoopback() || a == QHostAddress(QHostAddress::AnyIPv4))
        return true;
    bool isV4 = false;
    const quint32 v4 = a.toIPv4Address(&isV4);
    if (isV4)
        a = QHostAddress(v4);
    constexpr qint64 kOwnAddressesLifetimeMs = 10 * 1000;
    if (!m_ownAddressesAge.isValid() || m_ownAddressesAge.elapsed() > kOwnAddressesLifetimeMs) {
        m_ownAddresses = QNetworkInterface::allAddresses();
        m_ownAddressesAge.start();
    }
    return m_ownAddresses.contains(a);
}

std::unique_ptr<DatagramSocket> UdpSocketFactory::CreateSocket()
{
    return std::make_unique<UdpSocket>();
}
