// The round record: what every player hears when a round ends (a shortest route and one result per
// player who raced), the order of the chat on the way there, and who chooses next for a newcomer.
#include "ServerHarness.h"

#include "protocol/Decoders.h"

#include <functional>
#include <gtest/gtest.h>

namespace
{

using msg::Outcome;
using msg::PlayerResult;

// Ann (oldest), Bob and Cy in a round from Cat to Dog, whose shortest route goes by Mouse.
struct Race : ServerHarness {
    Race()
        : ann(join("Ann", "10.0.0.2", 7201)), bob(join("Bob", "10.0.0.3", 7201)),
          cy(join("Cy", "10.0.0.4", 7201))
    {
        server->SetRouteFinder([](const QString &, const QString &) {
            return std::optional<QStringList>(QStringList{"Cat", "Mouse", "Dog"});
        });
        say(ann, msg::SetWords("Cat", "Dog"));
        clearAll();
    }
    void clearAll()
    {
        for (auto &p : peers)
            p->got.clear();
    }
    void report(Peer &p, const QString &page, qint32 afterMs = 1000)
    {
        clock.Advance(afterMs);
        say(p, msg::Navigate(p.name, page));
    }
    void giveUp(Peer &p, qint32 afterMs = 1000)
    {
        clock.Advance(afterMs);
        say(p, msg::GiveUp(p.name));
    }
    Peer &ann;
    Peer &bob;
    Peer &cy;
};

// The round's end as one player heard it: its SHORTEST and RESULT messages, read, in order.
struct Heard {
    std::optional<msg::ShortestRoute> shortest;
    QList<PlayerResult> results;
    bool shortestFirst = true; // no RESULT came before the SHORTEST
};
Heard RoundEnd(const QStringList &got)
{
    Heard heard;
    for (const QString &text : got) {
        if (const auto shortest = msg::DecodeShortest(text)) {
            heard.shortestFirst = heard.results.isEmpty();
            heard.shortest = shortest;
        }
        if (const auto result = msg::DecodeResult(text))
            heard.results << *result;
    }
    return heard;
}

const QStringList kShortest{"Cat", "Mouse", "Dog"};

TEST(RoundRecord, EveryPlayerHearsEachResultWhenTheRoundEnds)
{
    struct Case {
        const char *what;
        std::function<void(Race &)> play;
        QList<PlayerResult> results;
    };
    const Case cases[] = {
        {"a win",
         [](Race &r) {
             r.report(r.bob, "Mouse");
             r.report(r.ann, "talk");
             r.report(r.cy, "search");
             r.report(r.bob, "Dog", 38000);
         },
         {{1, "Ann", Outcome::Out, "talk", 2000, 1, {"Cat", "talk"}},
          {1, "Bob", Outcome::First, "", 41000, 2, {"Cat", "Mouse", "Dog"}},
          {1, "Cy", Outcome::Racing, "", 3000, 1, {"Cat", "search"}}}},
        {"everybody out",
         [](Race &r) {
             r.report(r.ann, "Mouse");
             r.report(r.ann, "list");
             r.report(r.bob, "nowiki");
             r.report(r.cy, "Bird");
             r.report(r.cy, "1984 in music");
             r.report(r.cy, "number");
         },
         {{1, "Ann", Outcome::Out, "list", 2000, 2, {"Cat", "Mouse", "list"}},
          {1, "Bob", Outcome::Out, "nowiki", 3000, 1, {"Cat", "nowiki"}},
          {1, "Cy", Outcome::Out, "number", 6000, 3, {"Cat", "Bird", "1984 in music", "number"}}}},
        {"everybody gave up",
         [](Race &r) {
             r.report(r.cy, "Bird");
             r.giveUp(r.cy);
             r.giveUp(r.ann);
             r.giveUp(r.bob, 5000);
         },
         {{1, "Ann", Outcome::GaveUp, "", 3000, 0, {"Cat"}},
          {1, "Bob", Outcome::GaveUp, "", 8000, 0, {"Cat"}},
          {1, "Cy", Outcome::GaveUp, "", 2000, 1, {"Cat", "Bird"}}}},
        {"some gave up, the last one out",
         [](Race &r) {
             r.giveUp(r.ann);
             r.giveUp(r.bob);
             r.report(r.cy, "edit");
         },
         {{1, "Ann", Outcome::GaveUp, "", 1000, 0, {"Cat"}},
          {1, "Bob", Outcome::GaveUp, "", 2000, 0, {"Cat"}},
          {1, "Cy", Outcome::Out, "edit", 3000, 1, {"Cat", "edit"}}}},
        {"a player who joined mid-round counts from their first report; one who never reports is not listed",
         [](Race &r) {
             Peer &dee = r.join("Dee", "10.0.0.5", 7201);
             r.join("Eve", "10.0.0.6", 7201);
             r.say(dee, msg::GetWords("Dee"));
             r.report(dee, "Bird");
             r.report(r.ann, "Dog");
         },
         {{1, "Ann", Outcome::First, "", 2000, 1, {"Cat", "Dog"}},
          {1, "Bob", Outcome::Racing, "", 0, 0, {"Cat"}},
          {1, "Cy", Outcome::Racing, "", 0, 0, {"Cat"}},
          {1, "Dee", Outcome::Racing, "", 1000, 1, {"Cat", "Bird"}}}},
        {"a player who left keeps their row",
         [](Race &r) {
             r.report(r.cy, "Bird");
             r.clock.Advance(4000);
             r.say(r.cy, msg::Disconnect("Cy"));
             r.report(r.ann, "help");
             r.report(r.bob, "special");
         },
         {{1, "Ann", Outcome::Out, "help", 6000, 1, {"Cat", "help"}},
          {1, "Bob", Outcome::Out, "special", 7000, 1, {"Cat", "special"}},
          {1, "Cy", Outcome::Out, "left", 5000, 1, {"Cat", "Bird"}}}},
        {"a player who gave up and then left stays given up",
         [](Race &r) {
             r.giveUp(r.cy);
             r.say(r.cy, msg::Disconnect("Cy"));
             r.report(r.bob, "Dog");
         },
         {{1, "Ann", Outcome::Racing, "", 0, 0, {"Cat"}},
          {1, "Bob", Outcome::First, "", 2000, 1, {"Cat", "Dog"}},
          {1, "Cy", Outcome::GaveUp, "", 1000, 0, {"Cat"}}}},
    };
    for (const Case &c : cases) {
        Race r;
        c.play(r);
        qsizetype listeners = 0;
        for (auto &peer : r.peers) {
            if (!r.server->Players().FindPlayer(peer->name))
                continue; // gone before the end
            ++listeners;
            const Heard heard = RoundEnd(peer->take());
            EXPECT_EQ(heard.shortest, (msg::ShortestRoute{1, 2, kShortest})) << c.what;
            EXPECT_TRUE(heard.shortestFirst) << c.what;
            EXPECT_EQ(heard.results, c.results)
                << c.what << " as " << peer->name.toStdString() << " heard it";
        }
        EXPECT_GE(listeners, 2) << c.what;
    }
}

TEST(RoundRecord, TheResultsComeRightAfterTheMomentThatEndsTheRound)
{
    Race r;
    r.report(r.ann, "talk");
    r.report(r.bob, "Mouse");
    r.clearAll();
    r.report(r.bob, "Dog");
    const QStringList heard = r.cy.take();
    const QStringList expected = {
        "SCOREIS NAME=Bob;WINS=0;CLICK=2;RCLICK=2;INGAME=yes;",
        "WINNER NAME=Bob;",
        "SHORTEST ROUND=1;CLICKS=2;ROUTE=Cat\rMouse\rDog",
        "RESULT ROUND=1;NAME=Ann;OUTCOME=out;REASON=talk;MS=1000;CLICKS=1;ROUTE=Cat\rtalk",
        "RESULT ROUND=1;NAME=Bob;OUTCOME=first;REASON=;MS=3000;CLICKS=2;ROUTE=Cat\rMouse\rDog",
        "RESULT ROUND=1;NAME=Cy;OUTCOME=racing;REASON=;MS=0;CLICKS=0;ROUTE=Cat",
        "CHAT NAME=GAME;TEXT=Bob reached Dog in 0:03 with 2 clicks.",
        "CHAT NAME=GAME;TEXT=No route is shorter.",
    };
    EXPECT_EQ(heard, expected);

    // After the round, reports (a late arrival included) add nothing: the round's results are told once.
    r.clearAll();
    r.report(r.cy, "Dog");
    const QStringList late = r.ann.take();
    EXPECT_TRUE(late.filter("RESULT").isEmpty() && late.filter("SHORTEST").isEmpty())
        << late.join('|').toStdString();

    // The next round is counted and starts afresh.
    r.say(r.bob, msg::SetWords("Horse", "Bee"));
    r.report(r.cy, "Bee");
    const Heard next = RoundEnd(r.ann.take());
    EXPECT_EQ(next.results, (QList<PlayerResult>{{2, "Ann", Outcome::Racing, "", 0, 0, {"Horse"}},
                                                 {2, "Bob", Outcome::Racing, "", 0, 0, {"Horse"}},
                                                 {2, "Cy", Outcome::First, "", 1000, 1, {"Horse", "Bee"}}}));
}

TEST(RoundRecord, ARoundCalledOffByNewGameHasNoResultsAndRecordsNoMore)
{
    Race r;
    r.report(r.ann, "Mouse");
    r.clearAll();
    r.say(r.bob, msg::NewGameRequest());
    EXPECT_EQ(r.cy.take(), QStringList({"NEWGAME NAME=Ann;"}));
    // Everybody is back in, but the called-off round is not theirs to finish.
    r.report(r.bob, "talk");
    r.report(r.ann, "talk");
    r.report(r.cy, "talk");
    const QStringList heard = r.bob.take();
    EXPECT_TRUE(heard.filter("RESULT").isEmpty() && heard.filter("SHORTEST").isEmpty())
        << heard.join('|').toStdString();
}

TEST(RoundRecord, ALongRouteGoesOutShortenedAroundTheMarker)
{
    Race r;
    const QString name = "A page with a rather long name that goes on and on, number %1";
    for (int i = 0; i < 3000; ++i)
        r.say(r.ann, msg::Navigate("Ann", name.arg(i)));
    r.clearAll();
    r.report(r.ann, "Dog");
    const QStringList heard = r.bob.take();
    const QStringList results = heard.filter("RESULT ROUND=1;NAME=Ann;");
    ASSERT_EQ(results.size(), 1);
    EXPECT_LE(results.first().toUtf8().size(), kMaxDatagramBytes);
    const auto ann = msg::DecodeResult(results.first());
    ASSERT_TRUE(ann);
    EXPECT_EQ(ann->clicks, 3001);
    EXPECT_EQ(ann->route.first(), "Cat");
    EXPECT_EQ(ann->route.value(1), name.arg(0));
    EXPECT_EQ(ann->route.last(), "Dog");
    EXPECT_EQ(ann->route.value(ann->route.size() - 2), name.arg(2999));
    EXPECT_EQ(ann->route.count(msg::kLeftOut), 1);
}

// The last player out: their notice reaches everybody before the round's end and the next chooser,
// and their own client's notice, which comes after, is not told twice.
TEST(ChatOrder, TheDisqualifiedPlayersNoticeComesBeforeTheRoundsEnd)
{
    Race r;
    r.report(r.ann, "list");
    r.report(r.bob, "talk");
    r.clearAll();
    r.report(r.cy, "nowiki");
    const QString notice =
        "CHAT NAME=GAME;TEXT=Cy has been disqualified for visiting an illegal page: \"nowiki\"";
    for (Peer *p : {&r.ann, &r.bob, &r.cy}) {
        QStringList heard = p->take();
        if (p == &r.cy) {
            ASSERT_FALSE(heard.isEmpty());
            EXPECT_EQ(heard.takeFirst(), "DISQUALIFY URL=nowiki;");
        }
        ASSERT_GE(heard.size(), 2) << p->name.toStdString();
        EXPECT_EQ(heard.at(0), notice) << p->name.toStdString();
        EXPECT_EQ(heard.at(1), "NEWGAME NAME=Ann;") << p->name.toStdString();
        EXPECT_EQ(heard.last(), "SCOREIS NAME=Cy;WINS=0;CLICK=1;RCLICK=1;INGAME=yes;")
            << p->name.toStdString();
    }

    struct Relay {
        const char *what;
        Peer *from;
        QString text;
        bool relayed;
    };
    const Relay relays[] = {
        {"the disqualified player's own notice", &r.cy, notice, false},
        {"the same words again", &r.cy, notice, true},
        {"the same words from another player", &r.bob, notice, true},
        {"other words", &r.cy, "CHAT NAME=Cy;TEXT=oops", true},
    };
    for (const Relay &relay : relays) {
        r.say(*relay.from, relay.text);
        EXPECT_EQ(r.ann.take(), relay.relayed ? QStringList{relay.text} : QStringList()) << relay.what;
    }
}

TEST(ChatOrder, AnOldNoticeIsForgottenWhenTheNextRoundStarts)
{
    Race r;
    r.report(r.ann, "talk");
    const QString notice =
        "CHAT NAME=GAME;TEXT=Ann has been disqualified for visiting an illegal page: \"talk\"";
    EXPECT_EQ(r.bob.take().value(0), notice);
    r.say(r.bob, msg::SetWords("Horse", "Bee"));
    r.clearAll();
    r.say(r.ann, notice);
    EXPECT_EQ(r.bob.take(), QStringList{notice});
}

TEST(Turn, APlayerJoiningBetweenRoundsHearsWhoChooses)
{
    struct Case {
        const char *what;
        std::function<void(ServerHarness &, Peer &, Peer &)> before;
        QStringList heard; // by the newcomer Cy
    };
    const Case cases[] = {
        {"the host chooses",
         [](ServerHarness &, Peer &, Peer &) {},
         {"CONNECTACCEPT PLAYING=no;", "TURN NAME=Ann;"}},
        {"the winner chooses",
         [](ServerHarness &h, Peer &ann, Peer &bob) {
             h.say(ann, msg::SetWords("Cat", "Dog"));
             h.say(bob, msg::Navigate("Bob", "Dog"));
         },
         {"CONNECTACCEPT PLAYING=no;", "TURN NAME=Bob;"}},
        {"a round runs: the words tell the rest",
         [](ServerHarness &h, Peer &ann, Peer &) { h.say(ann, msg::SetWords("Cat", "Dog")); },
         {"CONNECTACCEPT PLAYING=yes;"}},
        {"everybody out: the chooser NEWGAME named",
         [](ServerHarness &h, Peer &ann, Peer &bob) {
             h.say(ann, msg::SetWords("Cat", "Dog"));
             h.say(bob, msg::Navigate("Bob", "talk"));
             h.say(ann, msg::Navigate("Ann", "talk"));
         },
         {"CONNECTACCEPT PLAYING=yes;", "TURN NAME=Ann;"}},
    };
    for (const Case &c : cases) {
        ServerHarness h;
        Peer &ann = h.join("Ann", "10.0.0.2");
        Peer &bob = h.join("Bob", "10.0.0.3");
        c.before(h, ann, bob);
        Peer &cy = h.peer("Cy", "10.0.0.4", 7201);
        h.say(cy, cy.connect());
        EXPECT_EQ(cy.take(), c.heard) << c.what;
        EXPECT_TRUE(ann.take().filter("TURN").isEmpty()) << c.what << ": only the newcomer hears it";
    }
}

} // namespace
