#include "fakes/FakeNetwork.h"

#include <gtest/gtest.h>

namespace
{

struct Seen {
    QString text;
    QString from;
    quint16 port = 0;
};

QList<Seen> *Record(FakeSocket &socket)
{
    auto *log = new QList<Seen>;
    QObject::connect(&socket, &QObject::destroyed, [log] { delete log; });
    QObject::connect(&socket, &DatagramSocket::DataArrival, [log, &socket](int) {
        log->append({socket.GetData(), socket.RemoteHostIP(), socket.RemotePort()});
    });
    return log;
}

TEST(FakeNetwork, BindsLikeRealSockets)
{
    FakeNetwork net;
    auto a = net.CreateSocket(QStringLiteral("10.0.0.1"));
    auto b = net.CreateSocket(QStringLiteral("10.0.0.1"));
    auto c = net.CreateSocket(QStringLiteral("10.0.0.2"));
    const struct {
        FakeSocket *socket;
        quint16 port;
        bool ok;
    } steps[] = {
        {a.get(), 7200, true}, {b.get(), 7200, false}, // taken on the same machine
        {c.get(), 7200, true},                         // another machine has its own ports
        {b.get(), 7201, true}, {b.get(), 7202, false}, // already bound
    };
    for (const auto &s : steps)
        EXPECT_EQ(s.socket->Bind(s.port), s.ok) << s.port;
    EXPECT_TRUE(net.IsBound(QStringLiteral("10.0.0.1"), 7200));
    a->Close();
    EXPECT_EQ(a->State(), 0);
    EXPECT_FALSE(net.IsBound(QStringLiteral("10.0.0.1"), 7200));
    b->Close();
    EXPECT_TRUE(b->Bind(QStringLiteral("7200")));
}

TEST(FakeNetwork, DeliversWithSourceAndLosesOnDemand)
{
    FakeNetwork net;
    auto server = net.CreateSocket(QStringLiteral("10.0.0.1"));
    auto client = net.CreateSocket(QStringLiteral("10.0.0.2"));
    ASSERT_TRUE(server->Bind(7200));
    ASSERT_TRUE(client->Bind(7205));
    auto *atServer = Record(*server);
    auto *atClient = Record(*client);

    // The server answers at the port a request names, which need not be the source port.
    QObject::connect(server.get(), &DatagramSocket::DataArrival, [&](int) {
        const quint16 from = server->RemotePort();
        server->SetRemoteHost(server->RemoteHostIP());
        server->SetRemotePort(from == 7205 ? 7206 : from);
        server->SendData(QStringLiteral("ACK"));
    });
    auto other = net.CreateSocket(QStringLiteral("10.0.0.2"));
    ASSERT_TRUE(other->Bind(7206));
    auto *atOther = Record(*other);

    client->SendTo(QStringLiteral("10.0.0.1"), 7200, QStringLiteral("one"));
    net.LoseNext(1);
    client->SendData(QStringLiteral("lost"));
    net.SetLossFilter([](const Datagram &d) { return d.text == QLatin1String("filtered"); });
    client->SendData(QStringLiteral("filtered"));
    client->SendData(QStringLiteral("two"));
    net.Deliver();

    ASSERT_EQ(atServer->size(), 2);
    EXPECT_EQ(atServer->at(0).text, QStringLiteral("one"));
    EXPECT_EQ(atServer->at(1).text, QStringLiteral("two"));
    EXPECT_EQ(atServer->at(0).from, QStringLiteral("10.0.0.2"));
    EXPECT_EQ(atServer->at(0).port, 7205);
    EXPECT_TRUE(atClient->isEmpty());
    EXPECT_EQ(atOther->size(), 2);
    EXPECT_EQ(net.SentTo(7200), (QStringList{"one", "lost", "filtered", "two"}));
    EXPECT_EQ(net.SentTo(7206), (QStringList{"ACK", "ACK"}));
}

// A broadcast reaches every socket at its port on an address of its network, its sender included.
TEST(FakeNetwork, BroadcastsReachTheirWholeNetworkAtOnePort)
{
    const QStringList addresses = {"10.0.0.1", "10.0.0.2", "10.0.1.3", "192.168.0.4"};
    struct Case {
        QString to;
        QStringList heard; // the addresses whose socket at 7200 heard it
    };
    const Case cases[] = {
        {"10.0.0.255", {"10.0.0.1", "10.0.0.2"}},
        {"10.0.255.255", {"10.0.0.1", "10.0.0.2", "10.0.1.3"}},
        {"255.255.255.255", addresses},
        {"10.0.255.1", {}}, // not a broadcast: nobody has that address
        {"10.0.0.2", {"10.0.0.2"}},
    };
    for (const Case &c : cases) {
        FakeNetwork net;
        std::vector<std::unique_ptr<FakeSocket>> sockets;
        QStringList heard;
        for (const QString &address : addresses) {
            for (quint16 port : {7200, 7201}) {
                sockets.push_back(net.CreateSocket(address));
                ASSERT_TRUE(sockets.back()->Bind(port));
                FakeSocket *socket = sockets.back().get();
                QObject::connect(socket, &DatagramSocket::DataArrival, [&heard, socket](int) {
                    EXPECT_EQ(socket->LocalPort(), 7200);
                    EXPECT_EQ(socket->RemoteHostIP(), QStringLiteral("10.0.0.1"));
                    heard << socket->Address();
                });
            }
        }
        // Sent from 10.0.0.1:7200, which hears its own broadcast.
        sockets.front()->SendTo(c.to, 7200, QStringLiteral("hello"));
        EXPECT_EQ(net.Deliver(), 1) << c.to.toStdString();
        EXPECT_EQ(heard, c.heard) << c.to.toStdString();
    }
}

} // namespace
