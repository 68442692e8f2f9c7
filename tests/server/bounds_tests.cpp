// Datagrams that used to make the server answer itself, start rounds nobody heard, relay more than
// a datagram holds, or let one machine fill the table.
#include "ServerHarness.h"

#include <gtest/gtest.h>

namespace
{

const QString kLoop = QStringLiteral("STATUS SERVER=PORT=7200;PORT=7200;");

// Bytes that are not UTF-8 arrive as U+FFFD, three bytes each on the way out again.
QString Invalid(int count)
{
    return QString::fromUtf8(QByteArray(count, char(0xFF)));
}

// The longest datagram the server (10.0.0.1:7200) sent.
int LongestSent(const FakeNetwork &net)
{
    qsizetype longest = 0;
    for (const Datagram &d : net.Sent()) {
        if (d.fromAddress == QLatin1String("10.0.0.1") && d.fromPort == 7200)
            longest = qMax(longest, d.text.toUtf8().size());
    }
    return int(longest);
}

TEST(NoLoops, AStatusNamingTheServersOwnPortIsNotAnsweredToItself)
{
    ServerHarness h;
    // From this machine (its address and loopback) the answer would land on the server's own socket.
    for (const QString &from : {QStringLiteral("10.0.0.1"), QStringLiteral("127.0.0.1")}) {
        Peer &local = h.peer("", from, 7205);
        local.send(kLoop);
        EXPECT_LT(h.net.Deliver(), 10) << from.toStdString();
        EXPECT_TRUE(h.net.SentTo(7200).size() == 1) << "only the request itself reached port 7200";
        h.net.ClearSent();
    }
    // A client on another machine may use port 7200 itself, and is answered there.
    Peer &remote = h.peer("", "10.0.0.9", 7200);
    h.say(remote, "STATUS SERVER=x;PORT=7200;");
    EXPECT_EQ(remote.take(), QStringList({"STATUS VER=1.04 (beta);#=0;SERVER=x;"}));
}

// A broadcast reaches the socket that sent it: what the server hears from its own address and port
// is never a request, whatever port it names; the other server on the network answers as usual.
TEST(NoLoops, TheServerDoesNotAnswerItsOwnBroadcast)
{
    ServerHarness h; // server A on 10.0.0.1
    auto socketB = h.net.CreateSocket(QStringLiteral("10.0.0.2"));
    GameServer serverB(*socketB, h.browser, h.clock);
    ASSERT_TRUE(serverB.Start(7200));
    Peer &beside = h.peer("", "10.0.0.1", 7205);
    h.serverSocket->SendTo(QStringLiteral("10.0.0.255"), 7200,
                           QStringLiteral("STATUS SERVER=lan;PORT=7205;"));
    EXPECT_EQ(h.net.Deliver(), 2) << "the broadcast, and B's answer";
    EXPECT_EQ(beside.take(), QStringList({"STATUS VER=1.04 (beta);#=0;SERVER=lan;"}));
    // The same request from a client's port on A's machine is answered by both.
    beside.socket->SendTo(QStringLiteral("10.0.0.255"), 7200, QStringLiteral("STATUS SERVER=lan;PORT=7205;"));
    h.deliver();
    EXPECT_EQ(beside.take().size(), 2);
}

TEST(NoLoops, TwoServersDoNotBounceAnAnswerBetweenThem)
{
    ServerHarness h; // server A on 10.0.0.1
    auto socketB = h.net.CreateSocket(QStringLiteral("10.0.0.2"));
    GameServer serverB(*socketB, h.browser, h.clock);
    ASSERT_TRUE(serverB.Start(7200));
    // A client on B's machine asks A to answer at port 7200: A's answer reaches server B.
    Peer &attacker = h.peer("", "10.0.0.2", 7201);
    attacker.send(kLoop);
    const int delivered = h.net.Deliver();
    EXPECT_EQ(delivered, 2) << "the request, and A's answer, which B does not answer";
    // An honest status request is still answered by both.
    attacker.send("STATUS SERVER=a;PORT=7201;");
    attacker.socket->SendTo("10.0.0.2", 7200, QStringLiteral("STATUS SERVER=b;PORT=7201;"));
    h.deliver();
    EXPECT_EQ(attacker.take(),
              QStringList({"STATUS VER=1.04 (beta);#=0;SERVER=a;", "STATUS VER=1.04 (beta);#=0;SERVER=b;"}));
}

TEST(SetWords, EachWordIsReadAfterThePreviousField)
{
    struct Case {
        QString setWords;
        QStringList words;
    };
    const Case cases[] = {
        {"SETWORDS COUNT=1;WORD0=Cat;WORD1=Dog;", {"Cat", "Dog"}},
        {"SETWORDS COUNT=1;WORD0=WORD1=x;", {"WORD1=x", ""}},
        {"SETWORDS COUNT=2;WORD0=WORD1=WORD2=y;WORD1=a;WORD2=b;", {"WORD1=WORD2=y", "a", "b"}},
        {"SETWORDS COUNT=1;WORD1=Dog;WORD0=Cat;", {"Cat", ""}},
        {"SETWORDS COUNT=1;WORD0=Cat;", {"Cat", ""}},
        {"SETWORDS COUNT=0;WORD0=Cat;", {"Cat"}},
    };
    for (const Case &c : cases) {
        ServerHarness h;
        Peer &ann = h.join("Ann");
        h.say(ann, c.setWords);
        ASSERT_TRUE(h.server->Round().Words.has_value()) << c.setWords.toStdString();
        EXPECT_EQ(*h.server->Round().Words, c.words) << c.setWords.toStdString();
        EXPECT_EQ(ann.take(), QStringList({msg::StartGame(c.words)}));
    }
    // With every key nested in the one before, the words stay as long as the datagram was.
    ServerHarness h;
    Peer &ann = h.join("Ann");
    QString nested = "SETWORDS COUNT=63;";
    for (int i = 0; i <= 63; ++i)
        nested += "WORD" + QString::number(i) + "=";
    h.say(ann, nested + QString(1000, 'A') + ";");
    EXPECT_LT(LongestSent(h.net), 2000);
}

TEST(SetWords, WordsThatCannotReachThePlayersInOneDatagramChangeNothing)
{
    ServerHarness h;
    Peer &ann = h.join("Ann");
    h.say(ann, "SETWORDS COUNT=1;WORD0=Cat;WORD1=Dog;");
    ann.take();
    h.say(ann, "SETWORDS COUNT=1;WORD0=" + Invalid(25000) + ";WORD1=Mouse;");
    EXPECT_TRUE(ann.take().isEmpty());
    EXPECT_EQ(*h.server->Round().Words, QStringList({"Cat", "Dog"})) << "the round keeps its words";
    h.say(ann, "GETWORDS NAME=Ann;");
    EXPECT_EQ(ann.take(), QStringList({"STARTGAME COUNT=1;WORD0=Cat;WORD1=Dog;"}));

    ServerHarness idle;
    Peer &bob = idle.join("Bob");
    idle.say(bob, "SETWORDS COUNT=1;WORD0=" + Invalid(25000) + ";WORD1=Mouse;");
    EXPECT_FALSE(idle.server->Round().GameInProgress) << "no round that nobody heard";
    EXPECT_FALSE(idle.server->Round().Words.has_value());
}

// Each request whose relay or answer would outgrow one datagram is refused: nothing is sent, and
// the requests around it work.
TEST(Bounds, RelaysAndAnswersThatWouldNotFitAreRefused)
{
    ServerHarness h;
    Peer &ann = h.join("Ann");
    Peer &bob = h.join("Bob", "10.0.0.3");
    struct Case {
        const char *what;
        QString datagram;
    };
    const Case cases[] = {
        {"chat of invalid bytes", "CHAT NAME=Ann;TEXT=" + Invalid(25700)},
        {"route of invalid bytes", "SENDMYPATH NAME=Ann;PATH=" + Invalid(30000) + ";"},
        {"status of 65,507 bytes", "STATUS PORT=" + ann.port() + ";SERVER=" + QString(65507 - 27, 'S') + ";"},
        {"status with invalid bytes", "STATUS PORT=" + ann.port() + ";SERVER=" + Invalid(30000) + ";"},
        {"random source of invalid bytes", "GETRANDOM SRC=" + Invalid(30000) + ";"},
    };
    for (const Case &c : cases) {
        h.net.ClearSent();
        h.say(ann, c.datagram);
        EXPECT_TRUE(ann.take().isEmpty()) << c.what;
        EXPECT_TRUE(bob.take().isEmpty()) << c.what;
        EXPECT_LE(LongestSent(h.net), kMaxDatagramBytes) << c.what;
    }
    EXPECT_FALSE(h.server->RandomPending());
    h.say(ann, "CHAT NAME=Ann;TEXT=" + Invalid(100));
    EXPECT_EQ(bob.take().size(), 1) << "a chat that fits is relayed";
}

TEST(Join, OneMachineHoldsAtMostAsManyPlayersAsItHasClientPorts)
{
    ServerHarness h;
    for (int i = 0; i < PlayerTable::kMaxPlayersPerAddress; ++i)
        h.join("Bot" + QString::number(i), "10.0.0.66", quint16(7200 + i));
    ASSERT_EQ(h.server->Players().PlayerCount(), 21);
    Peer &extra = h.peer("Bot21", "10.0.0.66", 9000);
    h.say(extra, extra.connect());
    EXPECT_EQ(extra.take(), QStringList({"CONNECTREJECT ERROR=-20;"}));
    Peer &ann = h.peer("Ann", "10.0.0.2", 7201);
    h.say(ann, ann.connect());
    EXPECT_EQ(ann.take(), QStringList({"CONNECTACCEPT PLAYING=no;", "TURN NAME=Bot0;"}))
        << "another machine still joins";
    EXPECT_EQ(h.server->Players().PlayerCount(), 22);
}

} // namespace
