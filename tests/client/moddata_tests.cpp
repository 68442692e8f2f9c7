#include "client/ModData.h"
#include "fakes/FakeNetwork.h"

#include <gtest/gtest.h>

using namespace modData;

namespace
{

// Counts the binds tried on it.
class CountingSocket : public FakeSocket
{
public:
    using FakeSocket::FakeSocket;
    bool Bind(quint16 port) override
    {
        tried << port;
        return FakeSocket::Bind(port);
    }
    using DatagramSocket::Bind;
    QList<quint16> tried;
};

class ModDataTest : public ::testing::Test
{
protected:
    void SetUp() override { ResetAll(); }
    void TearDown() override { ResetAll(); }

    static QStringList Names()
    {
        QStringList out;
        for (qint32 i = 1; i <= PlayerCount; ++i)
            out << Players[i].Name;
        return out;
    }
};

TEST_F(ModDataTest, AddPlayerFillsANewEntryAndKeepsNamesUniqueIgnoringCase)
{
    AddPlayer(QStringLiteral(" Bob "));
    AddPlayer(QStringLiteral("Ann"));
    Players[2].Wins = 3;
    AddPlayer(QStringLiteral(" bob ")); // same name in other letter case: no change
    AddPlayer(QStringLiteral("ANN"));

    ASSERT_EQ(PlayerCount, 2);
    EXPECT_EQ(Names(), (QStringList{QStringLiteral(" Bob "), QStringLiteral("Ann")}));
    EXPECT_EQ(Players[2].Wins, 3);
    const PlayerInfo &bob = Players[1];
    EXPECT_EQ(bob.Wins, 0);
    EXPECT_EQ(bob.Clicks, 0);
    EXPECT_EQ(bob.RoundClicks, 0);
    EXPECT_EQ(bob.Ping, 0);
    EXPECT_EQ(bob.InGame, QStringLiteral("yes"));
}

TEST_F(ModDataTest, AFloodOfJoinsStopsAtTheLargestPossibleGame)
{
    for (int i = 0; i < kMaxPlayers + 50; ++i)
        AddPlayer(QStringLiteral("p%1").arg(i));
    EXPECT_EQ(PlayerCount, kMaxPlayers);
    EXPECT_EQ(Players.Size(), kMaxPlayers);
    RemovePlayer(QStringLiteral("p0"));
    AddPlayer(QStringLiteral("late"));
    EXPECT_EQ(Players[kMaxPlayers].Name, QStringLiteral("late"));
}

TEST_F(ModDataTest, TheThreeComparisons)
{
    AddPlayer(QStringLiteral("Zed"));
    AddPlayer(QStringLiteral("Bob"));
    AddPlayer(QStringLiteral("bob"));
    EXPECT_EQ(PlayerCount, 2);

    struct Case {
        const char *name;
        qint32 index;
    };
    for (const Case &c :
         {Case{"Bob", 2}, Case{"bob", 0}, Case{"BOB", 0}, Case{"Zed", 1}, Case{"", 0}, Case{"Bob ", 0}})
        EXPECT_EQ(FindPlayer(QString::fromUtf8(c.name)), c.index) << c.name;

    RemovePlayer(QStringLiteral("BOB"));
    EXPECT_EQ(Names(), QStringList{QStringLiteral("Zed")});
}

TEST_F(ModDataTest, RemovalKeepsOrderAndCloseTheGap)
{
    struct Case {
        QStringList before;
        QString removed;
        QStringList after;
    };
    const QList<Case> cases = {
        {{"a", "b", "c"}, "B", {"a", "c"}},
        {{"a", "b", "c"}, "a", {"b", "c"}},
        {{"a", "b", "c"}, "c", {"a", "b"}},
        {{"a", "b", "c"}, "d", {"a", "b", "c"}},
        {{"a"}, "A", {}},
        {{}, "a", {}},
    };
    for (const Case &c : cases) {
        ResetAll();
        for (const QString &n : c.before)
            AddPlayer(n);
        RemovePlayer(c.removed);
        EXPECT_EQ(Names(), c.after) << c.before.join(',').toStdString() << " - " << c.removed.toStdString();
        EXPECT_EQ(PlayerCount, c.after.size());
        EXPECT_EQ(Players.Size(), c.after.size());
    }
}

TEST_F(ModDataTest, ScoresTravelWithTheirPlayerWhenAnEarlierOneLeaves)
{
    for (const char *n : {"a", "b", "c"})
        AddPlayer(QString::fromUtf8(n));
    Players[3].Wins = 7;
    Players[3].InGame = QStringLiteral("no");
    RemovePlayer(QStringLiteral("a"));
    ASSERT_EQ(FindPlayer(QStringLiteral("c")), 2);
    EXPECT_EQ(Players[2].Wins, 7);
    EXPECT_EQ(Players[2].InGame, QStringLiteral("no"));
}

TEST_F(ModDataTest, RemovingTheOnlyPlayerThenAddingStartsAtOne)
{
    AddPlayer(QStringLiteral("solo"));
    RemovePlayer(QStringLiteral("solo"));
    EXPECT_EQ(PlayerCount, 0);
    EXPECT_EQ(FindPlayer(QStringLiteral("solo")), 0);
    AddPlayer(QStringLiteral("next"));
    EXPECT_EQ(PlayerCount, 1);
    EXPECT_EQ(Players[1].Name, QStringLiteral("next"));
}

TEST_F(ModDataTest, AnIndexOutsideTheListNeverTouchesARealEntry)
{
    AddPlayer(QStringLiteral("a"));
    Players[0].Wins = 5;
    Players[2].Wins = 5;
    EXPECT_EQ(Players[1].Wins, 0);
    EXPECT_EQ(PlayerCount, 1);
    EXPECT_EQ(Players[0].Name, QString());
}

TEST_F(ModDataTest, ResetRoundClearsOnlyTheRound)
{
    AddPlayer(QStringLiteral("a"));
    Words = {QStringLiteral("Start"), QStringLiteral("Goal")};
    TargetIndex = 1;
    InRound = true;
    Chooser = QStringLiteral("a");
    ServerHost = QStringLiteral("10.0.0.5");
    PlayerName = QStringLiteral("a");
    OwnPort = QStringLiteral("7201");
    CurrentPage = QStringLiteral("Goal");
    Route = QStringLiteral("Start\r");
    JoinedMidRound = true;

    ResetRound();

    EXPECT_EQ(Words, QStringList{QString()});
    EXPECT_EQ(TargetIndex, 0);
    EXPECT_FALSE(InRound);
    EXPECT_EQ(Chooser, QString());
    EXPECT_EQ(PlayerCount, 1);
    EXPECT_EQ(ServerHost, QStringLiteral("10.0.0.5"));
    EXPECT_EQ(PlayerName, QStringLiteral("a"));
    EXPECT_EQ(OwnPort, QStringLiteral("7201"));
    EXPECT_EQ(CurrentPage, QStringLiteral("Goal"));
    EXPECT_EQ(Route, QStringLiteral("Start\r"));
    EXPECT_TRUE(JoinedMidRound);
}

TEST(FindLocalPort, TakesTheFirstFreePortAndFreesItAgain)
{
    FakeNetwork net;
    auto probe = net.CreateSocket();

    EXPECT_EQ(FindLocalPort(*probe), QStringLiteral("7200"));
    EXPECT_EQ(probe->State(), 0);
    EXPECT_FALSE(net.IsBound(QStringLiteral("127.0.0.1"), 7200));

    auto server = net.CreateSocket();
    ASSERT_TRUE(server->Bind(quint16(7200)));
    EXPECT_EQ(FindLocalPort(*probe), QStringLiteral("7201"));
    EXPECT_FALSE(net.IsBound(QStringLiteral("127.0.0.1"), 7201));

    // A probe left open by an earlier use is closed first.
    ASSERT_TRUE(probe->Bind(quint16(7300)));
    EXPECT_EQ(FindLocalPort(*probe), QStringLiteral("7201"));
    EXPECT_EQ(probe->State(), 0);
}

TEST(FindLocalPort, AllTwentyOneTakenGivesMinusOne)
{
    FakeNetwork net;
    std::vector<std::unique_ptr<FakeSocket>> holders;
    for (quint16 p = 7200; p < 7220; ++p) {
        holders.push_back(net.CreateSocket());
        ASSERT_TRUE(holders.back()->Bind(p));
    }
    auto factory = net.Factory();
    EXPECT_EQ(FindLocalPort(*factory), QStringLiteral("7220")); // the last of the range still counts

    holders.push_back(net.CreateSocket());
    ASSERT_TRUE(holders.back()->Bind(quint16(7220)));
    CountingSocket probe(net, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(FindLocalPort(probe), QStringLiteral("-1"));
    EXPECT_EQ(probe.State(), 0);
    ASSERT_EQ(probe.tried.size(), 21);
    EXPECT_EQ(probe.tried.front(), 7200);
    EXPECT_EQ(probe.tried.back(), 7220);
}

} // namespace
