#pragma once

#include "platform/DatagramSocket.h"
#include "protocol/Protocol.h"

#include <QElapsedTimer>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QPointer>
#include <QSet>

class QUdpSocket;

// The game's datagram socket over QUdpSocket. One datagram is one UTF-8 text.
//
// Arrivals are raised from the event loop, one Received (and one DataArrival) per datagram, in
// the order they came.
class UdpSocket : public DatagramSocket
{
    Q_OBJECT
public:
    explicit UdpSocket(QObject *parent = nullptr);
    ~UdpSocket() override;

    // Binds on every IPv4 address of the machine. A port that another socket holds fails.
    bool Bind(quint16 port) override;
    using DatagramSocket::Bind;
    quint16 LocalPort() const override;
    void SendBytes(const QByteArray &utf8) override;
    QString GetData() override;
    QString LocalIP() const override;
    bool IsOwnAddress(const QString &address) const override;
    int State() const override;
    void Close() override;
    QString ErrorString() const override { return m_error; }

    // Largest text a datagram can carry over IPv4; longer texts are not sent.
    static constexpr int MaxDatagramBytes = kMaxDatagramBytes;
    // Unhandled input kept at most; a flood beyond it is dropped like a full system buffer.
    static constexpr int MaxQueuedDatagrams = 4096;
    static constexpr qint64 MaxQueuedBytes = 8 * 1024 * 1024;
    // Datagrams handled before other events get a turn, so a flood cannot starve the window.
    static constexpr int MaxArrivalsPerTurn = 64;

private:
    struct Arrival {
        QString text;
        QString address;
        quint16 port = 0;
        int bytes = 0;
    };
    struct Lookup {
        QList<QHostAddress> addresses; // empty: the name does not resolve
        QElapsedTimer age;
    };
    struct Waiting {
        quint16 port = 0;
        QByteArray data;
    };

    void ensureSocket();
    void readPending();
    void scheduleDispatch();
    void dispatch();
    void send(const QHostAddress &address, quint16 port, const QByteArray &data);
    void lookupFinished(const QString &host, const QList<QHostAddress> &addresses);

    QUdpSocket *m_socket = nullptr;
    bool m_dispatchScheduled = false;
    // Datagrams read but not yet handled.
    QList<Arrival> m_queue;
    qint64 m_queuedBytes = 0;
    bool m_binding = false;
    bool m_quietRead = false;
    // The datagram DataArrival is raised for.
    QString m_current;
    QString m_error;
    // Host names already looked up, and datagrams waiting for a lookup in progress.
    QHash<QString, Lookup> m_lookups;
    QHash<QString, QList<Waiting>> m_waiting;
    QSet<QString> m_resolving;
    // This machine's addresses, read again when older than a few seconds.
    mutable QList<QHostAddress> m_ownAddresses;
    // The last sender and destination, as address and as text.
    QHostAddress m_lastSender;
    QString m_lastSenderText;
    QString m_lastDestinationText;
    QHostAddress m_lastDestination;
    bool m_lastDestinationIsAddress = false;
    mutable QElapsedTimer m_ownAddressesAge;
};

class UdpSocketFactory : public SocketFactory
{
public:
    std::unique_ptr<DatagramSocket> CreateSocket() override;
};
