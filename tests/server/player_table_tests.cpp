#include "server/PlayerTable.h"

#include <functional>
#include <gtest/gtest.h>

namespace
{

QStringList names(const PlayerTable &t)
{
    QStringList out;
    for (qint32 i = 1; i <= t.PlayerCount(); ++i)
        out << t.Players(i).Name;
    return out;
}

TEST(PlayerTable, JoinRecordsStartFresh)
{
    PlayerTable t;
    EXPECT_EQ(t.AddPlayer("Ann", "10.0.0.1", "7201"), 1);
    EXPECT_EQ(t.AddPlayer("Bob ", "10.0.0.1", "7202"), 2);
    const PlayerRecord &bob = t.Players(2);
    EXPECT_EQ(bob.Name, "Bob "); // stored untrimmed
    EXPECT_EQ(bob.Address, "10.0.0.1");
    EXPECT_EQ(bob.Port, 7202);
    EXPECT_EQ(bob.InGame, "yes");
    EXPECT_EQ(bob.Wins + bob.Clicks + bob.RoundClicks + bob.Ping + bob.Inactive, 0);
    EXPECT_EQ(bob.LastPage, "");
    EXPECT_FALSE(bob.Banned);
}

TEST(PlayerTable, JoinRefusals)
{
    struct Case {
        const char *what;
        std::function<void(PlayerTable &)> setup;
        const char *name;
        const char *address;
        qint32 expected;
    };
    auto annPresent = [](PlayerTable &t) { t.AddPlayer("Ann", "A", "7201"); };
    auto annBanned = [](PlayerTable &t) {
        t.AddPlayer("Ann", "A", "7201");
        t.Players(1).Banned = true;
    };
    auto bobThenBannedSameAddress = [](PlayerTable &t) {
        t.AddPlayer("Bob", "A", "7201");
        t.AddPlayer("Eve", "A", "7202");
        t.Players(2).Banned = true;
    };
    const Case cases[] = {
        {"same name other case", annPresent, "ann", "B", NameInUse},
        {"trailing blank", annPresent, "Ann ", "B", NameInUse},
        {"leading blank is another name", annPresent, " Ann", "B", 2},
        {"same address not banned", annPresent, "Cy", "A", 2},
        {"banned name", annBanned, "ANN", "B", NameBanned},
        {"banned address", annBanned, "Cy", "A", AddressBanned},
        {"first record decides", bobThenBannedSameAddress, "Bob", "A", NameInUse},
        {"banned address behind others", bobThenBannedSameAddress, "Cy", "A", AddressBanned},
        {"other address passes", bobThenBannedSameAddress, "Cy", "B", 3},
    };
    for (const Case &c : cases) {
        PlayerTable t;
        c.setup(t);
        const qint32 before = t.PlayerCount();
        const qint32 result = t.AddPlayer(c.name, c.address, "7300");
        EXPECT_EQ(result, c.expected) << c.what;
        EXPECT_EQ(t.PlayerCount(), result > 0 ? before + 1 : before) << c.what;
    }
}

TEST(PlayerTable, RemoveIgnoresCaseAndKeepsOrder)
{
    PlayerTable t;
    for (const char *n : {"Ann", "Bob", "Cy", "Dee"})
        t.AddPlayer(n, "A", "7201");
    t.RemovePlayer("BOB");
    EXPECT_EQ(names(t), QStringList({"Ann", "Cy", "Dee"}));
    t.RemovePlayer("Zed");
    t.RemovePlayer("Cy "); // blanks count when removing
    EXPECT_EQ(names(t), QStringList({"Ann", "Cy", "Dee"}));
    t.RemovePlayer("ann");
    t.RemovePlayer("cy");
    t.RemovePlayer("DEE");
    EXPECT_EQ(t.PlayerCount(), 0);
    t.RemovePlayer("Ann");
    EXPECT_EQ(t.PlayerCount(), 0);
}

TEST(PlayerTable, FindIsExact)
{
    PlayerTable t;
    t.AddPlayer("Ann", "A", "7201");
    t.AddPlayer("Bob", "A", "7202");
    EXPECT_EQ(t.FindPlayer("Bob"), 2);
    EXPECT_EQ(t.FindPlayer("ann"), 0);
    EXPECT_EQ(t.FindPlayer("Ann "), 0);
    EXPECT_EQ(t.FindPlayer(""), 0);
    EXPECT_EQ(t.FindForRemoval("BOB"), 2);
}

TEST(PlayerTable, RemovedNameCanJoinAgain)
{
    PlayerTable t;
    t.AddPlayer("Ann", "A", "7201");
    t.Players(1).Banned = true;
    EXPECT_EQ(t.AddPlayer("Ann", "B", "7202"), NameBanned);
    t.RemovePlayer("Ann");
    EXPECT_EQ(t.AddPlayer("Ann", "A", "7202"), 1);
}

} // namespace
