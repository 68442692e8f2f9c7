#include "client/ModData.h"
#include "fakes/FakeNetwork.h"

#include <gtest/gtest.h>

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
    ModData modData;
    void SetUp() override { modData.ResetAll(); }
    void TearDown() override { modData.ResetAll(); }

    QStringList Names() const
    {
        QStringList out;
        for (qint32 i = 1; i <= modData.PlayerCount; ++i)
            out << modData.Players[i].Name;
        return out;
    }
};

TEST_F(ModDataTest, AddPlayerFillsANewEntryAndKeepsNamesUniqueIgnoringCase)
{
    modData.AddPlayer(QStringLiteral(" Bob "));
    modData.AddPlayer(QStringLiteral("Ann"));
    modData.Players[2].Wins = 3;
    modData.AddPlayer(QStringLiteral(" bob ")); // same name in other letter case: no change
    modData.AddPlayer(QStringLiteral("ANN"));

    ASSERT_EQ(modData.PlayerCount, 2);
    EXPECT_EQ(Names(), (QStringList{QStringLiteral(" Bob "), QStringLiteral("Ann")}));
    EXPECT_EQ(modData.Players[2].Wins, 3);
    const PlayerInfo &bob = modData.Players[1];
    EXPECT_EQ(bob.Wins, 0);
    EXPECT_EQ(bob.Clicks, 0);
    EXPECT_EQ(bob.RoundClicks, 0);
    EXPECT_EQ(bob.Ping, 0);
    EXPECT_EQ(bob.InGame, QStringLiteral("yes"));
}

TEST_F(ModDataTest, AFloodOfJoinsStopsAtTheLargestPossibleGame)
{
    for (int i = 0; i < ModData::kMaxPlayers + 50; ++i)
        modData.AddPlayer(QStringLiteral("p%1").arg(i));
    EXPECT_EQ(modData.PlayerCount, ModData::kMaxPlayers);
    EXPECT_EQ(modData.Players.Size(), ModData::kMaxPlayers);
    modData.RemovePlayer(QStringLiteral("p0"));
    modData.AddPlayer(QStringLiteral("late"));
    EXPECT_EQ(modData.Players[ModData::kMaxPlayers].Name, QStringLiteral("late"));
}

TEST_F(ModDataTest, TheThreeComparisons)
{
    modData.AddPlayer(QStringLiteral("Zed"));
    modData.AddPlayer(QStringLiteral("Bob"));
    modData.AddPlayer(QStringLiteral("bob"));
    EXPECT_EQ(modData.PlayerCount, 2);

    struct Case {
        const char *name;
        qint32 index;
    };
    for (const Case &c :
         {Case{"Bob", 2}, Case{"bob", 0}, Case{"BOB", 0}, Case{"Zed", 1}, Case{"", 0}, Case{"Bob ", 0}})
        EXPECT_EQ(modData.FindPlayer(QString::fromUtf8(c.name)), c.index) << c.name;

    modData.RemovePlayer(QStringLiteral("BOB"));
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
        modData.ResetAll();
        for (const QString &n : c.before)
            modData.AddPlayer(n);
        modData.RemovePlayer(c.removed);
        EXPECT_EQ(Names(), c.after) << c.before.join(',').toStdString() << " - " << c.removed.toStdString();
        EXPECT_EQ(modData.PlayerCount, c.after.size());
        EXPECT_EQ(modData.Players.Size(), c.after.size());
    }
}

TEST_F(ModDataTest, ScoresTravelWithTheirPlayerWhenAnEarlierOneLeaves)
{
    for (const char *n : {"a", "b", "c"})
        modData.AddPlayer(QString::fromUtf8(n));
    modData.Players[3].Wins = 7;
    modData.Players[3].InGame = QStringLiteral("no");
    modData.RemovePlayer(QStringLiteral("a"));
    ASSERT_EQ(modData.FindPlayer(QStringLiteral("c")), 2);
    EXPECT_EQ(modData.Players[2].Wins, 7);
    EXPECT_EQ(modData.Players[2].InGame, QStringLiteral("no"));
}

TEST_F(ModDataTest, RemovingTheOnlyPlayerThenAddingStartsAtOne)
{
    modData.AddPlayer(QStringLiteral("solo"));
    modData.RemovePlayer(QStringLiteral("solo"));
    EXPECT_EQ(modData.PlayerCount, 0);
    EXPECT_EQ(modData.FindPlayer(QStringLiteral("solo")), 0);
    modData.AddPlayer(QStringLiteral("next"));
    EXPECT_EQ(modData.PlayerCount, 1);
    EXPECT_EQ(modData.Players[1].Name, QStringLiteral("next"));
}

TEST_F(ModDataTest, AnIndexOutsideTheListNeverTouchesARealEntry)
{
    modData.AddPlayer(QStringLiteral("a"));
    modData.Players[0].Wins = 5;
    modData.Players[2].Wins = 5;
    EXPECT_EQ(modData.Players[1].Wins, 0);
    EXPECT_EQ(modData.PlayerCount, 1);
    EXPECT_EQ(modData.Players[0].Name, QString());
}

TEST_F(ModDataTest, ResetRoundClearsOnlyTheRound)
{
    modData.AddPlayer(QStringLiteral("a"));
    modData.Words = {QStringLiteral("Start"), QStringLiteral("Goal")};
    modData.TargetIndex = 1;
    modData.InRound = true;
    modData.Chooser = QStringLiteral("a");
    modData.ServerHost = QStringLiteral("10.0.0.5");
    modData.PlayerName = QStringLiteral("a");
    modData.OwnPort = QStringLiteral("7201");
    modData.CurrentPage = QStringLiteral("Goal");
    modData.Route = QStringLiteral("Start\r");
    modData.JoinedMidRound = true;

    modData.ResetRound();

    EXPECT_EQ(modData.Words, QStringList{QString()});
    EXPECT_EQ(modData.TargetIndex, 0);
    EXPECT_FALSE(modData.InRound);
    EXPECT_EQ(modData.Chooser, QString());
    EXPECT_EQ(modData.PlayerCount, 1);
    EXPECT_EQ(modData.ServerHost, QStringLiteral("10.0.0.5"));
    EXPECT_EQ(modData.PlayerName, QStringLiteral("a"));
    EXPECT_EQ(modData.OwnPort, QStringLiteral("7201"));
    EXPECT_EQ(modData.CurrentPage, QStringLiteral("Goal"));
    EXPECT_EQ(modData.Route, QStringLiteral("Start\r"));
    EXPECT_TRUE(modData.JoinedMidRound);
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
