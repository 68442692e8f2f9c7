#pragma once

#include "platform/DatagramSocket.h"
#include "platform/LocalNetwork.h"

#include <QList>
#include <QMap>
#include <QPair>
#include <functional>

class FakeNetwork;

// A socket on the in-memory network. Its machine address is fixed when it is created.
class FakeSocket : public DatagramSocket
{
    Q_OBJECT
public:
    FakeSocket(FakeNetwork &network, const QString &address);
    ~FakeSocket() override;

    bool Bind(quint16 port) override;
    using DatagramSocket::Bind;
    quint16 LocalPort() const override { return m_port; }
    void SendBytes(const QByteArray &utf8) override;
    QString GetData() override { return m_current; }
    QString LocalIP() const override { return m_address; }
    bool IsOwnAddress(const QString &address) const override;
    int State() const override { return m_port != 0 ? 1 : 0; }
    void Close() override;
    QString ErrorString() const override { return m_error; }

    QString Address() const { return m_address; }

private:
    friend class FakeNetwork;
    void receive(const QString &fromAddress, quint16 fromPort, const QString &text);

    FakeNetwork &m_network;
    QString m_address;
    quint16 m_port = 0;
    QString m_current;
    QString m_error;
};

struct Datagram {
    QString fromAddress;
    quint16 fromPort = 0;
    QString toAddress;
    quint16 toPort = 0;
    QString text;
};

// The broadcast addresses a machine on the fake network would see on its interfaces.
class FixedLocalNetwork : public LocalNetwork
{
public:
    explicit FixedLocalNetwork(QStringList addresses = {}) : addresses(std::move(addresses)) {}
    QStringList BroadcastAddresses() const override { return addresses; }
    QStringList addresses;
};

// Datagrams sent on this network are queued and delivered from the event loop (or by Deliver()),
// one at a time, like real arrivals. Every datagram sent is also kept in Sent().
//
// Networks are cut on whole bytes: an address whose last parts are all 255 is the broadcast address
// of the network named by the parts before them (10.0.255.255 is 10.0.*.*, 255.255.255.255 is
// everybody). A datagram sent there reaches every socket bound at its port on an address of that
// network, the sender's own socket included, as a real broadcast does.
class FakeNetwork : public QObject
{
    Q_OBJECT
public:
    FakeNetwork();

    // A factory whose sockets live on the machine with the given address.
    std::unique_ptr<SocketFactory> Factory(const QString &address = QStringLiteral("127.0.0.1"));
    std::unique_ptr<FakeSocket> CreateSocket(const QString &address = QStringLiteral("127.0.0.1"));

    // Delivers queued datagrams (and those their handlers send) until none is left; returns how many.
    int Deliver(int limit = 100000);
    // Drops every datagram for which the filter returns true, instead of delivering it.
    void SetLossFilter(std::function<bool(const Datagram &)> filter) { m_loss = std::move(filter); }
    // Drops the next n datagrams sent.
    void LoseNext(int n) { m_loseNext = n; }

    const QList<Datagram> &Sent() const { return m_sent; }
    // Texts sent to the given port (any address), in order.
    QStringList SentTo(quint16 port) const;
    void ClearSent() { m_sent.clear(); }
    bool IsBound(const QString &address, quint16 port) const;

private:
    friend class FakeSocket;
    bool bind(FakeSocket *socket, quint16 port);
    void unbind(FakeSocket *socket);
    void send(FakeSocket *from, const QString &text);
    void scheduleDelivery();
    QList<FakeSocket *> targets(const Datagram &d) const;

    QMap<QPair<QString, quint16>, FakeSocket *> m_bound;
    QList<Datagram> m_queue;
    QList<Datagram> m_sent;
    std::function<bool(const Datagram &)> m_loss;
    int m_loseNext = 0;
    bool m_scheduled = false;
};
