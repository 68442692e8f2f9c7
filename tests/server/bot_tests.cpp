// Bots in the game server: added and removed by the host in chat, racing through the same judging as
// players on a small map with a manual clock, and choosing the next words when they win.
#include "ServerHarness.h"

#include <QCoreApplication>
#include <QHash>
#include <gtest/gtest.h>

// Failure messages name pages and players as text.
static std::ostream &operator<<(std::ostream &os, const QString &s)
{
    return os << s.toStdString();
}

namespace
{

const QString kDestination = "Dog";

// A few articles: Cat to Dog is two clicks by Mouse, three by Fish and Sea; Cheese leads back only.
// "special" and "list" stand for links the server would judge out of bounds.
class SmallMap : public BotMap
{
public:
    QStringList Links(const QString &title) const override { return m_links.value(title); }
    qint32 Distance(const QString &from, const QString &to) const override
    {
        QHash<QString, qint32> depth{{from, 0}};
        QStringList next{from};
        while (!next.isEmpty()) {
            const QString at = next.takeFirst();
            if (at == to)
                return depth[at];
            if (!m_links.contains(at))
                continue;
            for (const QString &link : m_links[at]) {
                if (!depth.contains(link) && m_links.contains(link)) {
                    depth[link] = depth[at] + 1;
                    next << link;
                }
            }
        }
        return -1;
    }

private:
    QHash<QString, QStringList> m_links{
        {"Cat", {"Mouse", "Fish", "special", "Cheese"}},
        {"Mouse", {"Cheese", "Dog", "list"}},
        {"Fish", {"Sea", "Cat"}},
        {"Sea", {"Fish", "Dog"}},
        {"Cheese", {"Mouse"}},
        {"Dog", {"Cat"}},
    };
};

// Ann hosts with the small map; the browser's random page gives the articles in turn.
struct BotRoom : ServerHarness {
    BotRoom()
    {
        server->SetBotMapSource([this] { return map; });
        server->SetBotSeed(42);
        browser.SetResolver([this](const QString &) {
            static const QStringList titles = {"Cat", "Dog", "Mouse", "Sea", "Fish"};
            return ScriptedBrowser::Page{titles[draws++ % titles.size()] + " - Quillory", {}};
        });
        QObject::connect(server.get(), &GameServer::RoundStarted, [this] { ++started; });
        QObject::connect(server.get(), &GameServer::RoundEnded,
                         [this](qint32, RoundEnd how, const QString &w) {
                             ended << (how == RoundEnd::Won ? w : QStringLiteral("(nobody)"));
                         });
    }
    // Game time passes at the host's bot tick; the browser's loads finish as they go.
    void play(qint32 ms)
    {
        for (qint32 t = 0; t < ms; t += GameServer::kBotTickMs) {
            clock.Advance(GameServer::kBotTickMs);
            server->BotTick();
            QCoreApplication::processEvents();
            deliver();
        }
    }
    // Plays until the round ends, at most an hour of game time.
    void playRound()
    {
        const qsizetype before = ended.size();
        for (int i = 0; i < 3600 && ended.size() == before; ++i)
            play(1000);
    }
    qint32 index(const QString &name) const { return server->Players().FindPlayer(name); }
    const PlayerRecord &rec(const QString &name) const { return server->Players().Players(index(name)); }

    std::shared_ptr<const BotMap> map = std::make_shared<SmallMap>();
    int draws = 0;
    int started = 0;
    QStringList ended;
};

QStringList StartingWith(const QStringList &lines, const QString &prefix)
{
    QStringList out;
    for (const QString &line : lines) {
        if (line.startsWith(prefix))
            out << line;
    }
    return out;
}

// Every step of a route follows a link of the map.
void ExpectLinked(const BotMap &map, const QStringList &route)
{
    for (qsizetype i = 1; i < route.size(); ++i)
        EXPECT_TRUE(map.Links(route[i - 1]).contains(route[i])) << route[i - 1] << " -> " << route[i];
}

TEST(Bots, HostAddsAndRemovesThemInChat)
{
    BotRoom h;
    Peer &ann = h.join("Ann", "10.0.0.2", 7201);
    Peer &bob = h.join("Bob", "10.0.0.3", 7201);
    struct Row {
        Peer *from;
        QString typed;
        QStringList table; // afterwards
        QString toSender;  // the GAME line the sender alone gets, "" for none
        QString everybody; // what both hear first, "" for nothing
    };
    const Row rows[] = {
        {&bob, "/bot", {"Ann", "Bob"}, "Only the host can add or remove bots.", ""},
        {&ann, "/bot", {"Ann", "Bob", "Ada (bot)"}, "", "JOIN NAME=Ada (bot);"},
        {&ann, " /BOT Hard ", {"Ann", "Bob", "Ada (bot)", "Ben (bot)"}, "", "JOIN NAME=Ben (bot);"},
        {&ann,
         "/bot fast",
         {"Ann", "Bob", "Ada (bot)", "Ben (bot)"},
         "Type /bot easy, /bot normal or /bot hard to add a bot, and /bot remove and its name to remove one.",
         ""},
        {&ann,
         "/bot remove",
         {"Ann", "Bob", "Ada (bot)", "Ben (bot)"},
         "Type /bot easy, /bot normal or /bot hard to add a bot, and /bot remove and its name to remove one.",
         ""},
        {&bob,
         "/bot remove Ada",
         {"Ann", "Bob", "Ada (bot)", "Ben (bot)"},
         "Only the host can add or remove bots.",
         ""},
        {&ann, "/bot remove Bob", {"Ann", "Bob", "Ada (bot)", "Ben (bot)"}, "There is no bot named Bob.", ""},
        {&ann, "/bot remove ada", {"Ann", "Bob", "Ben (bot)"}, "", "LEAVE NAME=Ada (bot);"},
        {&ann, "/bot remove ben (BOT)", {"Ann", "Bob"}, "", "LEAVE NAME=Ben (bot);"},
        // The first free name comes back.
        {&ann, "/bot easy", {"Ann", "Bob", "Ada (bot)"}, "", "JOIN NAME=Ada (bot);"},
        {&ann, "/bots are fun", {"Ann", "Bob", "Ada (bot)"}, "", "CHAT NAME=Ann;TEXT=/bots are fun"},
    };
    for (const Row &r : rows) {
        Peer &other = r.from == &ann ? bob : ann;
        h.say(*r.from, msg::Chat(r.from->name, r.typed));
        EXPECT_EQ(h.tableNames(), r.table) << r.typed;
        const QStringList mine = r.from->take(), theirs = other.take();
        if (!r.toSender.isEmpty()) {
            EXPECT_EQ(mine, QStringList{msg::Chat("GAME", r.toSender)}) << r.typed;
            EXPECT_TRUE(theirs.isEmpty()) << r.typed << ": a refusal is the sender's alone";
        }
        if (!r.everybody.isEmpty()) {
            EXPECT_EQ(theirs.value(0), r.everybody) << r.typed;
            EXPECT_EQ(StartingWith(mine, r.everybody.left(4)), StartingWith(theirs, r.everybody.left(4)));
        }
    }

    // Ann leaves: Bob, the oldest player left, is the host now.
    h.say(ann, msg::Disconnect("Ann"));
    bob.take();
    h.say(bob, msg::Chat("Bob", "/bot"));
    EXPECT_EQ(h.tableNames(), QStringList({"Bob", "Ada (bot)", "Ben (bot)"}));
}

TEST(Bots, RefusedWithoutTheLinkGraph)
{
    BotRoom h;
    h.map = nullptr; // another site, or a graph still being built
    Peer &ann = h.join("Ann");
    h.say(ann, msg::Chat("Ann", "/bot hard"));
    EXPECT_EQ(ann.take(),
              QStringList{msg::Chat("GAME", "Bots play only on this server's own encyclopedia, once "
                                            "its link graph is ready; there is none here now.")});
    EXPECT_EQ(h.tableNames(), QStringList{"Ann"});
    QString why;
    EXPECT_FALSE(h.server->AddBot(BotLevel::Easy, &why));
    EXPECT_FALSE(why.isEmpty());
}

TEST(Bots, AreOrdinaryPlayersToPeersButHearNothingAndNeverGoSilent)
{
    BotRoom h;
    Peer &ann = h.join("Ann");
    ASSERT_EQ(h.server->AddBot(BotLevel::Normal), std::optional<QString>("Ada (bot)"));
    h.deliver();
    ann.take();
    h.say(ann, msg::GetPlayerList(ann.port()));
    h.say(ann, msg::GetScore(ann.port(), "Ada (bot)"));
    EXPECT_EQ(ann.take(), QStringList({"PLAYERLIST COUNT=2;P1=Ann;P2=Ada (bot);",
                                       "SCOREIS NAME=Ada (bot);WINS=0;CLICK=0;RCLICK=0;INGAME=yes;"}));
    // No datagram speaks for a bot.
    Peer &forger = h.peer("", "10.0.0.9", 7300);
    h.say(forger, msg::Disconnect("Ada (bot)"));
    h.say(forger, msg::Navigate("Ada (bot)", "special"));
    EXPECT_EQ(h.tableNames(), QStringList({"Ann", "Ada (bot)"}));
    EXPECT_EQ(h.rec("Ada (bot)").InGame, "yes");
    // A minute of silence drops a player; a bot stays. Ann answers her pings.
    for (int i = 0; i < 30; ++i) {
        h.say(ann, msg::Pong("Ann", QString::number(h.clock.TickCount())));
        h.server->InactivityTick();
    }
    EXPECT_EQ(h.tableNames(), QStringList({"Ann", "Ada (bot)"}));
    // Whatever the server sent went to Ann's port; nothing to a bot.
    for (const auto &d : h.net.Sent())
        EXPECT_TRUE(d.fromPort != 7200 || (d.toAddress == "10.0.0.2" && d.toPort == ann.socket->LocalPort()));
    // The table's cap counts bots.
    for (int i = 2; i < GameServer::kMaxPlayers; ++i)
        ASSERT_TRUE(h.server->AddBot(BotLevel::Easy)) << i;
    QString why;
    EXPECT_FALSE(h.server->AddBot(BotLevel::Easy, &why));
    EXPECT_EQ(why, "The game is full: there is no place for a bot.");
    EXPECT_EQ(h.server->Players().Players(GameServer::kMaxPlayers).Name, "Uma 10 (bot)");
}

TEST(Bots, RaceThroughTheSameJudgingAsPlayers)
{
    struct Row {
        QString what;
        QStringList annReports; // before any bot moves
        bool bobOut;            // Bob is disqualified at once
        QString winner;
    };
    const Row rows[] = {
        {"a bot wins", {}, false, "Ada (bot)"},
        {"a player wins first", {"Mouse", "Dog"}, false, "Ann"},
        {"everybody else is out", {"special"}, true, "Ada (bot)"},
    };
    for (const Row &r : rows) {
        BotRoom h;
        Peer &ann = h.join("Ann", "10.0.0.2", 7201);
        Peer &bob = h.join("Bob", "10.0.0.3", 7201);
        h.say(ann, msg::Chat("Ann", "/bot hard"));
        h.say(ann, msg::SetWords("Cat", kDestination));
        for (const QString &page : r.annReports)
            h.say(ann, msg::Navigate("Ann", page));
        if (r.bobOut)
            h.say(bob, msg::Navigate("Bob", "talk"));
        if (h.ended.isEmpty())
            h.playRound();
        ASSERT_EQ(h.ended, QStringList{r.winner}) << r.what;
        const QStringList heard = bob.take();
        EXPECT_EQ(StartingWith(heard, "WINNER"), QStringList{"WINNER NAME=" + r.winner + ";"}) << r.what;
        EXPECT_TRUE(StartingWith(heard, "NEWGAME").isEmpty()) << r.what << ": a bot still races";
        EXPECT_EQ(StartingWith(heard, "DISQUALIFY").size(), r.bobOut ? 1 : 0) << r.what;
        // The bot's round as the results tell it: every page one link on, its clicks counted.
        std::optional<msg::PlayerResult> bot;
        for (const QString &line : StartingWith(heard, "RESULT")) {
            if (const auto result = msg::DecodeResult(line); result && result->name == "Ada (bot)")
                bot = result;
        }
        ASSERT_TRUE(bot) << r.what;
        ExpectLinked(*h.map, bot->route);
        EXPECT_EQ(bot->clicks, bot->route.size() - 1) << r.what;
        EXPECT_EQ(h.rec("Ada (bot)").Clicks, bot->clicks) << r.what;
        if (r.winner == "Ada (bot)") {
            EXPECT_EQ(bot->outcome, msg::Outcome::First);
            EXPECT_EQ(StartingWith(heard, "PATHIS"),
                      QStringList{msg::PathIs("Ada (bot)", bot->route.join('\r'))});
            EXPECT_EQ(h.rec("Ada (bot)").Wins, 1);
        } else {
            EXPECT_EQ(bot->outcome, msg::Outcome::Racing);
            // The round is over: the bot's pauses run out and it moves no more.
            h.play(600000);
            EXPECT_TRUE(StartingWith(bob.take(), "SCOREIS").isEmpty());
        }
    }
}

TEST(Bots, NeverLeaveTheBoundsAndEasyOnesSometimesGiveUp)
{
    BotRoom h;
    Peer &ann = h.join("Ann");
    for (const char *level : {"easy", "easy", "normal", "hard"})
        h.say(ann, msg::Chat("Ann", QString("/bot ") + level));
    int gaveUp = 0;
    for (int round = 0; round < 40; ++round) {
        h.say(ann, msg::SetWords("Cat", kDestination));
        h.playRound();
        const QStringList heard = ann.take();
        gaveUp += StartingWith(heard, "CHAT NAME=GAME;TEXT=").filter("gave up the round").size();
        for (const QString &line : StartingWith(heard, "RESULT")) {
            const auto result = msg::DecodeResult(line);
            ASSERT_TRUE(result);
            ASSERT_NE(result->outcome, msg::Outcome::Out) << line;
            ExpectLinked(*h.map, result->route);
        }
        // Ann chooses again, whoever won.
        h.server->Round().Turn.clear();
    }
    EXPECT_EQ(h.ended.size(), 40);
    EXPECT_GT(gaveUp, 0);
    EXPECT_LT(gaveUp, 40);
}

TEST(Bots, AloneKeepChoosingAndRacing)
{
    BotRoom h;
    Peer &ann = h.join("Ann");
    h.say(ann, msg::Chat("Ann", "/bot hard"));
    h.say(ann, msg::Chat("Ann", "/bot normal"));
    h.say(ann, msg::SetWords("Cat", kDestination));
    h.say(ann, msg::Disconnect("Ann"));
    for (int round = 0; round < 5; ++round)
        h.playRound();
    EXPECT_EQ(h.ended.size(), 5);
    EXPECT_EQ(h.started, 5) << "each winning bot drew the next words";
    EXPECT_FALSE(h.ended.contains("(nobody)"));
    // Their words came from the server's random draw, never a start that is its own destination.
    EXPECT_GE(h.draws, 8);
    const QStringList words = *h.server->Round().Words;
    EXPECT_NE(words.first(), words.last());
    EXPECT_GT(h.map->Distance(words.first(), words.last()), 0);
}

TEST(Bots, RemovedMidRoundLeavesItAsAPlayerWho)
{
    BotRoom h;
    Peer &ann = h.join("Ann");
    h.say(ann, msg::Chat("Ann", "/bot hard"));
    h.say(ann, msg::Chat("Ann", "/bot hard"));
    h.say(ann, msg::SetWords("Cat", kDestination));
    ann.take();
    h.say(ann, msg::Chat("Ann", "/bot remove Ada (bot)"));
    EXPECT_EQ(ann.take(), QStringList{"LEAVE NAME=Ada (bot);"});
    h.playRound();
    EXPECT_EQ(h.ended, QStringList{"Ben (bot)"});
    QStringList results;
    for (const QString &line : StartingWith(ann.take(), "RESULT"))
        results << msg::DecodeResult(line)->name + " " + msg::DecodeResult(line)->reason;
    EXPECT_EQ(results, QStringList({"Ann ", "Ada (bot) left", "Ben (bot) "}));
}

// A load test takes the pauses away: every bot clicks at each tick and a winner draws the next words
// at once, where people's pauses leave a tick without a click and the first round still running.
TEST(Bots, PaceZeroActsAtEveryTick)
{
    struct Row {
        double pace;
        qint32 clicksAfterOneTick; // each bot's
        bool severalRoundsIn10s;
    };
    const Row rows[] = {{1.0, 0, false}, {0.0, 1, true}};
    for (const Row &r : rows) {
        BotRoom h;
        h.server->SetBotPace(r.pace);
        Peer &ann = h.join("Ann");
        h.say(ann, msg::Chat("Ann", "/bot hard"));
        h.say(ann, msg::Chat("Ann", "/bot hard"));
        h.say(ann, msg::SetWords("Cat", kDestination));
        h.play(GameServer::kBotTickMs);
        EXPECT_EQ(h.rec("Ada (bot)").RoundClicks, r.clicksAfterOneTick) << r.pace;
        EXPECT_EQ(h.rec("Ben (bot)").RoundClicks, r.clicksAfterOneTick) << r.pace;
        h.play(10000);
        EXPECT_EQ(h.started >= 3, r.severalRoundsIn10s) << r.pace << ": " << h.started << " rounds";
    }
}

} // namespace
