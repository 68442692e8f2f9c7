#include "PlatformTestSupport.h"
#include "platform/qt/UdpSocket.h"

#include <QHostAddress>
#include <QTimer>
#include <QUdpSocket>
#include <gtest/gtest.h>
#include <sys/socket.h>

namespace
{

struct Received {
    QString text;
    QString address;
    quint16 port = 0;
};

// Records every arrival on a socket with what the socket says inside the event.
class Recorder
{
public:
    explicit Recorder(DatagramSocket &socket)
    {
        QObject::connect(&socket, &DatagramSocket::DataArrival, [this, &socket](int) {
            received.append({socket.GetData(), socket.RemoteHostIP(), socket.RemotePort()});
        });
    }
    QList<Received> received;
};

TEST(UdpSocket, TextsArriveWholeWithTheirSender)
{
    UdpSocket a, b;
    ASSERT_TRUE(a.Bind(FreeUdpPort())) << a.ErrorString().toStdString();
    ASSERT_TRUE(b.Bind(FreeUdpPort())) << b.ErrorString().toStdString();
    Recorder rb(b);

    const QString texts[] = {
        QStringLiteral("CHAT NAME=Ann;TEXT=a=b;c=;;"),
        QStringLiteral("SENDMYPATH NAME=Ann;PATH=Dog\rCat\rMouse;"),
        QStringLiteral("line one\r\nline two\n"),
        QStringLiteral("CHAT NAME=Zoë;TEXT=Åland — 日本語 🙂;"),
        QStringLiteral("PINGME 7201"),
        // The largest datagram IPv4 carries, in plain and in multi-byte text
        QString(UdpSocket::MaxDatagramBytes - 4, QLatin1Char('x')) + QStringLiteral(";=\r;"),
        QString(UdpSocket::MaxDatagramBytes / 3, QChar(0x65E5)),
    };
    a.SetRemoteHost(QStringLiteral("127.0.0.1"));
    a.SetRemotePort(b.LocalPort());
    for (const QString &t : texts)
        a.SendData(t);

    ASSERT_TRUE(WaitFor([&] { return rb.received.size() == int(std::size(texts)); }));
    for (int i = 0; i < int(std::size(texts)); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(rb.received[i].text, texts[i]);
        EXPECT_EQ(rb.received[i].address, QStringLiteral("127.0.0.1"));
        EXPECT_EQ(rb.received[i].port, a.LocalPort());
    }
    // Outside an arrival, RemotePort is again the port the next datagram goes to.
    b.SetRemotePort(7200);
    EXPECT_EQ(b.RemotePort(), 7200);
}

// The loopback network's broadcast address stands for a broadcast on any network: the system sends
// there only from a socket allowed to broadcast, and every socket bound on all addresses hears it.
TEST(UdpSocket, SendsToABroadcastAddress)
{
    UdpSocket a, b;
    ASSERT_TRUE(a.Bind(FreeUdpPort()));
    ASSERT_TRUE(b.Bind(FreeUdpPort()));
    Recorder rb(b), ra(a);
    a.SendTo(QStringLiteral("127.255.255.255"), b.LocalPort(), QStringLiteral("STATUS SERVER=all;PORT=1;"));
    ASSERT_TRUE(WaitFor([&] { return rb.received.size() == 1; })) << a.ErrorString().toStdString();
    EXPECT_EQ(rb.received[0].text, QStringLiteral("STATUS SERVER=all;PORT=1;"));
    EXPECT_EQ(rb.received[0].address, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(rb.received[0].port, a.LocalPort());
    EXPECT_TRUE(ra.received.isEmpty()) << "another port: the sender does not hear it";
}

TEST(UdpSocket, TextTooLongForOneDatagramIsNotSent)
{
    UdpSocket a, b;
    ASSERT_TRUE(a.Bind(FreeUdpPort()));
    ASSERT_TRUE(b.Bind(FreeUdpPort()));
    Recorder rb(b);
    a.SendTo(QStringLiteral("127.0.0.1"), b.LocalPort(),
             QString(UdpSocket::MaxDatagramBytes + 1, QLatin1Char('x')));
    // Two-byte characters: short in characters, too long in bytes
    a.SendTo(QStringLiteral("127.0.0.1"), b.LocalPort(),
             QString(UdpSocket::MaxDatagramBytes / 2 + 1, QChar(0xE9)));
    a.SendTo(QStringLiteral("127.0.0.1"), b.LocalPort(), QStringLiteral("after"));
    ASSERT_TRUE(WaitFor([&] { return !rb.received.isEmpty(); }));
    RunEventsFor(100);
    ASSERT_EQ(rb.received.size(), 1);
    EXPECT_EQ(rb.received[0].text, QStringLiteral("after"));
}

TEST(UdpSocket, TakenPortFailsAndTheHolderKeepsWorking)
{
    UdpSocket holder, second, sender;
    const quint16 port = FreeUdpPort();
    ASSERT_TRUE(holder.Bind(port));
    EXPECT_EQ(holder.State(), 1);
    EXPECT_EQ(holder.LocalPort(), port);

    EXPECT_FALSE(second.Bind(port));
    EXPECT_FALSE(second.ErrorString().isEmpty());
    EXPECT_EQ(second.State(), 0);
    EXPECT_EQ(second.LocalPort(), 0);
    // A socket bound elsewhere by another program counts as taken too.
    QUdpSocket foreign;
    const quint16 foreignPort = FreeUdpPort();
    ASSERT_TRUE(foreign.bind(QHostAddress::AnyIPv4, foreignPort));
    EXPECT_FALSE(second.Bind(foreignPort));
    // An open socket must be closed before it binds again.
    EXPECT_FALSE(holder.Bind(FreeUdpPort()));
    EXPECT_EQ(holder.LocalPort(), port);
    // Port text that is no number fails like a taken port.
    EXPECT_FALSE(second.Bind(QStringLiteral("72x0")));
    EXPECT_FALSE(second.Bind(QStringLiteral("70000")));

    Recorder rh(holder);
    sender.SendTo(QStringLiteral("127.0.0.1"), port, QStringLiteral("STATUS PORT=1;"));
    ASSERT_TRUE(WaitFor([&] { return rh.received.size() == 1; }));
    EXPECT_EQ(rh.received[0].text, QStringLiteral("STATUS PORT=1;"));

    // Close frees the port for another socket, and the closed socket can bind again.
    holder.Close();
    EXPECT_EQ(holder.State(), 0);
    ASSERT_TRUE(second.Bind(QString::number(port)));
    EXPECT_EQ(second.State(), 1);
    ASSERT_TRUE(holder.Bind(FreeUdpPort()));
    Recorder rs(second);
    sender.SendTo(QStringLiteral("127.0.0.1"), port, QStringLiteral("again"));
    ASSERT_TRUE(WaitFor([&] { return rs.received.size() == 1; }));
    EXPECT_EQ(rh.received.size(), 1);
}

TEST(UdpSocket, ReplyInsideArrivalGoesToThePutPort)
{
    // The server answers at the port a request names, which may differ from its source port.
    UdpSocket server, client, other;
    ASSERT_TRUE(server.Bind(FreeUdpPort()));
    ASSERT_TRUE(client.Bind(FreeUdpPort()));
    ASSERT_TRUE(other.Bind(FreeUdpPort()));
    quint16 seenPort = 0;
    QObject::connect(&server, &DatagramSocket::DataArrival, [&](int) {
        seenPort = server.RemotePort();
        server.SetRemoteHost(server.RemoteHostIP());
        server.SetRemotePort(other.LocalPort());
        server.SendData(QStringLiteral("PLAYERLIST COUNT=0;"));
    });
    Recorder rc(client), ro(other);
    client.SendTo(QStringLiteral("127.0.0.1"), server.LocalPort(), QStringLiteral("GETPLAYERLIST"));
    ASSERT_TRUE(WaitFor([&] { return ro.received.size() == 1; }));
    EXPECT_EQ(seenPort, client.LocalPort());
    EXPECT_EQ(ro.received[0].port, server.LocalPort());
    EXPECT_TRUE(rc.received.isEmpty());
}

// Each datagram reaches its handler whole, with its sender: a handler that lets events run still
// holds its own datagram when a later one has been handled meanwhile.
TEST(UdpSocket, ArrivalInsideAWaitingHandlerLeavesTheOuterDatagramIntact)
{
    UdpSocket receiver, first, second;
    ASSERT_TRUE(receiver.Bind(FreeUdpPort()));
    ASSERT_TRUE(first.Bind(FreeUdpPort()));
    ASSERT_TRUE(second.Bind(FreeUdpPort()));
    QStringList order;
    QString outerAfterWait;
    QString outerAddressAfterWait;
    quint16 outerPortAfterWait = 0;
    QObject::connect(
        &receiver, &DatagramSocket::Received, [&](const QString &text, const QString &address, quint16 port) {
            order << QStringLiteral("begin ") + text;
            if (text == QLatin1String("outer")) {
                second.SendTo(QStringLiteral("127.0.0.1"), receiver.LocalPort(), QStringLiteral("inner"));
                WaitFor([&] { return order.size() >= 3; });
                outerAfterWait = text;
                outerAddressAfterWait = address;
                outerPortAfterWait = port;
            }
            order << QStringLiteral("end ") + text;
        });
    first.SendTo(QStringLiteral("localhost"), receiver.LocalPort(), QStringLiteral("outer"));
    ASSERT_TRUE(WaitFor([&] { return order.size() == 4; }));
    EXPECT_EQ(order, (QStringList{"begin outer", "begin inner", "end inner", "end outer"}));
    EXPECT_EQ(outerAfterWait, QStringLiteral("outer"));
    EXPECT_EQ(outerAddressAfterWait, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(outerPortAfterWait, first.LocalPort());
}

TEST(UdpSocket, FloodIsHandledInOrderWithoutStarvingOtherEvents)
{
    UdpSocket a, b;
    ASSERT_TRUE(a.Bind(FreeUdpPort()));
    ASSERT_TRUE(b.Bind(FreeUdpPort()));
    Recorder rb(b);
    // Once the flood starts arriving, other events must get their turn before it ends.
    int receivedWhenTimerRan = -1;
    QObject::connect(&b, &DatagramSocket::DataArrival, [&](int) {
        if (rb.received.size() == 1)
            QTimer::singleShot(0, [&] { receivedWhenTimerRan = rb.received.size(); });
    });
    const int count = 120; // well inside the kernel's receive buffer
    a.SetRemoteHost(QStringLiteral("127.0.0.1"));
    a.SetRemotePort(b.LocalPort());
    for (int i = 0; i < count; ++i)
        a.SendData(QStringLiteral("N=%1;").arg(i));
    ASSERT_TRUE(WaitFor([&] { return rb.received.size() == count; }));
    for (int i = 0; i < count; ++i)
        ASSERT_EQ(rb.received[i].text, QStringLiteral("N=%1;").arg(i));
    EXPECT_GT(receivedWhenTimerRan, 0);
    EXPECT_LT(receivedWhenTimerRan, count);
}

TEST(UdpSocket, HostNamesAreResolvedAndUnknownNamesLoseTheDatagram)
{
    UdpSocket a, b;
    ASSERT_TRUE(a.Bind(FreeUdpPort()));
    ASSERT_TRUE(b.Bind(FreeUdpPort()));
    Recorder rb(b);
    int errors = 0;
    QObject::connect(&a, &DatagramSocket::Error, [&](int, const QString &) { ++errors; });

    const struct {
        const char *host;
        bool arrives;
    } cases[] = {
        {"127.0.0.1", true}, {" 127.0.0.1 ", true}, {"LocalHost", true}, {"no-such-host.invalid", false},
        {"", false},         {"999.1.1.1", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.host);
        rb.received.clear();
        a.SendTo(QString::fromLatin1(c.host), b.LocalPort(), QStringLiteral("hello"));
        // A marker sent by address afterwards: once it is in, the first one had its chance.
        a.SendTo(QStringLiteral("127.0.0.1"), b.LocalPort(), QStringLiteral("marker"));
        if (c.arrives) {
            ASSERT_TRUE(WaitFor([&] { return rb.received.size() == 2; }, 10000));
            QStringList texts;
            for (const auto &r : rb.received)
                texts << r.text;
            EXPECT_TRUE(texts.contains(QStringLiteral("hello")));
        } else {
            ASSERT_TRUE(WaitFor([&] { return rb.received.size() >= 1; }));
            RunEventsFor(c.host[0] == 'n' ? 3000 : 100);
            ASSERT_EQ(rb.received.size(), 1);
            EXPECT_EQ(rb.received[0].text, QStringLiteral("marker"));
        }
    }
    // Sending to a port nobody listens on is fire and forget as well
    a.SendTo(QStringLiteral("127.0.0.1"), FreeUdpPort(), QStringLiteral("nobody"));
    RunEventsFor(100);
    EXPECT_EQ(errors, 0);
}

TEST(UdpSocket, KeepsListeningAfterANotificationForADatagramAlreadyGone)
{
    // QUdpSocket stops notifying until a read follows its readyRead. Set up that state: the
    // notice raised, the datagram taken from the system behind Qt's back, then readyRead.
    UdpSocket receiver, sender;
    ASSERT_TRUE(receiver.Bind(FreeUdpPort()));
    Recorder r(receiver);
    auto *inner = receiver.findChild<QUdpSocket *>();
    ASSERT_NE(inner, nullptr);
    inner->blockSignals(true);
    sender.SendTo(QStringLiteral("127.0.0.1"), receiver.LocalPort(), QStringLiteral("taken"));
    RunEventsFor(100);
    char buffer[64];
    ASSERT_GT(::recv(int(inner->socketDescriptor()), buffer, sizeof buffer, MSG_DONTWAIT), 0);
    inner->blockSignals(false);
    emit inner->readyRead();

    sender.SendData(QStringLiteral("next"));
    ASSERT_TRUE(WaitFor([&] { return r.received.size() == 1; }));
    EXPECT_EQ(r.received[0].text, QStringLiteral("next"));
}

TEST(UdpSocket, LocalIpIsADottedIPv4Address)
{
    UdpSocket s;
    const QHostAddress ip(s.LocalIP());
    EXPECT_EQ(ip.protocol(), QAbstractSocket::IPv4Protocol) << s.LocalIP().toStdString();
}

TEST(UdpSocket, FactoryMakesIndependentSockets)
{
    UdpSocketFactory factory;
    auto one = factory.CreateSocket();
    auto two = factory.CreateSocket();
    const quint16 port = FreeUdpPort();
    ASSERT_TRUE(one->Bind(port));
    EXPECT_FALSE(two->Bind(port));
    Recorder r(*one);
    two->SendTo(QStringLiteral("127.0.0.1"), port, QStringLiteral("x"));
    ASSERT_TRUE(WaitFor([&] { return r.received.size() == 1; }));
    // An unbound socket that sends gets a port of its own, and the sender sees it
    EXPECT_EQ(r.received[0].port, two->LocalPort());
    EXPECT_NE(two->LocalPort(), 0);
}

} // namespace
