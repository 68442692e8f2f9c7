// The round engine: words, random articles, page judging, winner, route.
#include "ServerHarness.h"

#include <QCoreApplication>
#include <functional>
#include <gtest/gtest.h>
#include <limits>

namespace
{

const QString kRandom = "http://127.0.0.1:7200/wiki/Special:Random";

// Three joined players, Ann (oldest), Bob and Cy, with a round from Cat to Dog running.
struct Round : ServerHarness {
    Round()
        : ann(join("Ann", "10.0.0.2", 7201)), bob(join("Bob", "10.0.0.3", 7201)),
          cy(join("Cy", "10.0.0.4", 7201))
    {
        say(ann, msg::SetWords("Cat", "Dog"));
        clearAll();
    }
    void clearAll()
    {
        for (auto &p : peers)
            p->got.clear();
    }
    const PlayerRecord &rec(const QString &name)
    {
        return server->Players().Players(server->Players().FindPlayer(name));
    }
    Peer &ann;
    Peer &bob;
    Peer &cy;
};

TEST(Words, SetWordsStartsTheRoundForEveryone)
{
    ServerHarness h;
    Peer &ann = h.join("Ann", "10.0.0.2", 7201);
    Peer &bob = h.join("Bob", "10.0.0.3", 7201);
    h.say(bob, "SETWORDS COUNT=1;WORD0=A;WORD1=B;");
    EXPECT_EQ(ann.take(), QStringList({"STARTGAME COUNT=1;WORD0=A;WORD1=B;"}));
    EXPECT_EQ(bob.take(), QStringList({"STARTGAME COUNT=1;WORD0=A;WORD1=B;"}));
    EXPECT_TRUE(h.server->Round().GameInProgress);

    // A later joiner asks for the words and alone gets them.
    Peer &cy = h.join("Cy", "10.0.0.4", 7201);
    h.say(cy, "GETWORDS NAME=Cy;");
    EXPECT_EQ(cy.take(), QStringList({"STARTGAME COUNT=1;WORD0=A;WORD1=B;"}));
    EXPECT_TRUE(ann.take().isEmpty());
    h.say(cy, "GETWORDS NAME=cy;");
    EXPECT_TRUE(cy.take().isEmpty());
}

TEST(Words, CountsAndSendersThatChangeNothing)
{
    struct Case {
        QString text;
        bool fromOutsider;
        bool banned;
        QString expected; // STARTGAME sent, or "" for nothing
    };
    const Case cases[] = {
        {"SETWORDS COUNT=0;WORD0=Only;", false, false, "STARTGAME COUNT=0;WORD0=Only;"},
        {"SETWORDS COUNT=2;WORD0=A;WORD2=C;", false, false, "STARTGAME COUNT=2;WORD0=A;WORD1=;WORD2=C;"},
        {"SETWORDS COUNT= 1 ;WORD0=A;WORD1=B;", false, false, "STARTGAME COUNT=1;WORD0=A;WORD1=B;"},
        {"SETWORDS COUNT=-1;WORD0=A;", false, false, ""},
        {"SETWORDS COUNT=64;WORD0=A;", false, false, ""},
        {"SETWORDS COUNT=2147483647;", false, false, ""},
        {"SETWORDS COUNT=one;WORD0=A;", false, false, ""},
        {"SETWORDS WORD0=A;WORD1=B;", false, false, ""},
        {"SETWORDS COUNT=1;WORD0=A;WORD1=B;", true, false, ""},
        {"SETWORDS COUNT=1;WORD0=A;WORD1=B;", false, true, ""},
    };
    for (const Case &c : cases) {
        ServerHarness h;
        Peer &ann = h.join("Ann", "10.0.0.2", 7201);
        Peer &outsider = h.peer("", "10.0.0.9", 7201);
        h.server->Players().Players(1).Banned = c.banned;
        h.say(c.fromOutsider ? outsider : ann, c.text);
        EXPECT_EQ(ann.take(), c.expected.isEmpty() ? QStringList() : QStringList({c.expected}))
            << c.text.toStdString();
        EXPECT_EQ(h.server->Round().GameInProgress, !c.expected.isEmpty()) << c.text.toStdString();
        EXPECT_EQ(h.server->Round().Words.has_value(), !c.expected.isEmpty()) << c.text.toStdString();
    }
}

TEST(Words, GetWordsBeforeAnyRoundIsDropped)
{
    ServerHarness h;
    Peer &ann = h.join("Ann");
    h.say(ann, "GETWORDS NAME=Ann;");
    EXPECT_TRUE(ann.take().isEmpty());
}

TEST(Judging, ForbiddenValuesAreExactlyTheTwelve)
{
    const QStringList forbidden = {"nowiki", "special", "category", "edit",   "talk", "history",
                                   "list",   "wiki",    "help",     "number", "user", "portal"};
    for (const QString &f : forbidden)
        EXPECT_TRUE(GameServer::IsForbiddenPage(f)) << f.toStdString();
    for (const char *ok : {"search", "Special", "LIST", "", "Dog", "nowiki ", "wikis"})
        EXPECT_FALSE(GameServer::IsForbiddenPage(ok)) << ok;
}

TEST(Judging, ForbiddenReportDisqualifiesThenScores)
{
    Round r;
    r.say(r.bob, msg::Navigate("Bob", "special"));
    const QString notice =
        "CHAT NAME=GAME;TEXT=Bob has been disqualified for visiting an illegal page: \"special\"";
    EXPECT_EQ(r.bob.take(), QStringList({"DISQUALIFY URL=special;", notice,
                                         "SCOREIS NAME=Bob;WINS=0;CLICK=1;RCLICK=1;INGAME=no;"}));
    EXPECT_EQ(r.ann.take(), QStringList({notice, "SCOREIS NAME=Bob;WINS=0;CLICK=1;RCLICK=1;INGAME=no;"}));
    EXPECT_EQ(r.rec("Bob").LastPage, "special");

    // Out of the round: further reports change nothing and send nothing.
    r.say(r.bob, msg::Navigate("Bob", "Dog"));
    EXPECT_TRUE(r.bob.take().isEmpty() && r.ann.take().isEmpty());
    EXPECT_EQ(r.rec("Bob").Clicks, 1);
    EXPECT_EQ(r.rec("Bob").Wins, 0);
}

TEST(Judging, OrdinaryReportsCountAndNeverWinOnOtherCase)
{
    Round r;
    struct Case {
        QString page;
        qint32 clicks;
    };
    const Case cases[] = {{"search", 1}, {"Mouse", 2}, {"dog", 3}, {"Dog ", 4}, {"Mouse", 5}};
    for (const Case &c : cases) {
        r.say(r.ann, msg::Navigate("Ann", c.page));
        const QString score = QString("SCOREIS NAME=Ann;WINS=0;CLICK=%1;RCLICK=%1;INGAME=yes;").arg(c.clicks);
        EXPECT_EQ(r.cy.take(), QStringList({score})) << c.page.toStdString();
        EXPECT_EQ(r.rec("Ann").LastPage, c.page);
    }
    EXPECT_TRUE(r.server->Round().GameInProgress);
}

TEST(Judging, WinnerGetsScoreThenWinnerForAll)
{
    Round r;
    r.say(r.bob, msg::Navigate("Bob", "Mouse"));
    r.say(r.ann, msg::Navigate("Ann", "special"));
    r.clearAll();
    r.say(r.bob, msg::Navigate("Bob", "Dog"));
    const QStringList expected = {
        "SCOREIS NAME=Bob;WINS=0;CLICK=2;RCLICK=2;INGAME=yes;", "WINNER NAME=Bob;",
        "RESULT ROUND=1;NAME=Ann;OUTCOME=out;REASON=special;MS=0;CLICKS=1;ROUTE=Cat\rspecial",
        "RESULT ROUND=1;NAME=Bob;OUTCOME=first;REASON=;MS=0;CLICKS=2;ROUTE=Cat\rMouse\rDog",
        "RESULT ROUND=1;NAME=Cy;OUTCOME=racing;REASON=;MS=0;CLICKS=0;ROUTE=Cat"};
    EXPECT_EQ(r.ann.take(), expected);
    EXPECT_EQ(r.bob.take(), expected);
    EXPECT_EQ(r.cy.take(), expected);
    EXPECT_FALSE(r.server->Round().GameInProgress);
    EXPECT_EQ(r.rec("Bob").Wins, 1);
    for (const char *n : {"Ann", "Bob", "Cy"}) {
        EXPECT_EQ(r.rec(n).RoundClicks, 0) << n;
        EXPECT_EQ(r.rec(n).InGame, "yes") << n;
    }
    // The winner test ignores the round flag: the destination still wins after the round ended.
    r.say(r.cy, msg::Navigate("Cy", "Dog"));
    EXPECT_EQ(r.ann.take(),
              QStringList({"SCOREIS NAME=Cy;WINS=0;CLICK=1;RCLICK=1;INGAME=yes;", "WINNER NAME=Cy;"}));

    r.clearAll();
    // The route goes to everyone, the sender included, as it came.
    r.say(r.bob, "SENDMYPATH NAME=Bob;PATH=Cat\rMouse\rDog;");
    EXPECT_EQ(r.bob.take(), QStringList({"PATHIS NAME=Bob;PATH=Cat\rMouse\rDog;"}));
    EXPECT_EQ(r.cy.take(), QStringList({"PATHIS NAME=Bob;PATH=Cat\rMouse\rDog;"}));
}

TEST(Judging, LastPlayerOutRestartsBeforeItsScore)
{
    struct Case {
        const char *what;
        QString chooser;
        QString expectedChooser;
    };
    const Case cases[] = {
        {"chooser present", "Cy", "Cy"},
        {"chooser gone: the oldest chooses", "Zed", "Ann"},
        {"chooser only in other case", "cy", "Ann"},
    };
    for (const Case &c : cases) {
        Round r;
        r.server->Round().Chooser = c.chooser;
        r.say(r.ann, msg::Navigate("Ann", "Mouse"));
        r.say(r.ann, msg::Navigate("Ann", "list"));
        r.say(r.bob, msg::Navigate("Bob", "number"));
        r.clearAll();
        r.say(r.cy, msg::Navigate("Cy", "nowiki"));
        const QString notice =
            "CHAT NAME=GAME;TEXT=Cy has been disqualified for visiting an illegal page: \"nowiki\"";
        const QString newGame = "NEWGAME NAME=" + c.expectedChooser + ";";
        const QStringList results = {
            "RESULT ROUND=1;NAME=Ann;OUTCOME=out;REASON=list;MS=0;CLICKS=2;ROUTE=Cat\rMouse\rlist",
            "RESULT ROUND=1;NAME=Bob;OUTCOME=out;REASON=number;MS=0;CLICKS=1;ROUTE=Cat\rnumber",
            "RESULT ROUND=1;NAME=Cy;OUTCOME=out;REASON=nowiki;MS=0;CLICKS=1;ROUTE=Cat\rnowiki"};
        const QString score = "SCOREIS NAME=Cy;WINS=0;CLICK=1;RCLICK=1;INGAME=yes;";
        EXPECT_EQ(r.cy.take(),
                  QStringList({"DISQUALIFY URL=nowiki;", notice, newGame}) + results + QStringList{score})
            << c.what;
        EXPECT_EQ(r.ann.take(), QStringList({notice, newGame}) + results + QStringList{score}) << c.what;
        EXPECT_EQ(r.rec("Ann").RoundClicks, 0) << c.what;
        EXPECT_EQ(r.rec("Ann").Clicks, 2) << c.what;
        EXPECT_EQ(r.rec("Bob").InGame, "yes") << c.what;
        EXPECT_TRUE(r.server->Round().GameInProgress) << c.what;
        EXPECT_EQ(r.server->Round().Chooser, c.expectedChooser) << c.what;
    }
}

TEST(Judging, BannedRecordInTheRoundHoldsOffTheRestart)
{
    Round r;
    const auto q = r.server->AskBan("Cy");
    r.server->ApplyBan(*q, true);
    r.say(r.bob, msg::Navigate("Bob", "Dog")); // a win sets everyone, Cy too, back to "yes"
    EXPECT_EQ(r.rec("Cy").InGame, "yes");
    r.say(r.ann, msg::Navigate("Ann", "talk"));
    r.say(r.bob, msg::Navigate("Bob", "talk"));
    r.clearAll();
    r.say(r.ann, "NAVIGATE NAME=Ann;URL=x;");
    EXPECT_TRUE(r.ann.take().isEmpty());
    for (const QStringList &got : {r.bob.take(), r.cy.take()})
        EXPECT_FALSE(got.join("|").contains("NEWGAME"));
}

TEST(Judging, ReportsThatDoNotCount)
{
    Round r;
    Peer &stranger = r.peer("", "10.0.0.3", 7299); // Bob's machine, another port
    struct Case {
        Peer *from;
        QString text;
    };
    const Case cases[] = {
        {&r.ann, "NAVIGATE NAME=Bob;URL=special;"}, // Ann speaking for Bob
        {&stranger, "NAVIGATE NAME=Bob;URL=Dog;"},  // not Bob's port
        {&r.bob, "NAVIGATE NAME=bob;URL=Dog;"},     // lookup is exact
        {&r.bob, "NAVIGATE NAME=Nobody;URL=Dog;"},
        {&r.ann, "SENDMYPATH NAME=Bob;PATH=Cat\rDog;"}, // route only from its owner
        {&stranger, "NEWGAME"},
        {&stranger, "GETRANDOM SRC=1;"},
    };
    for (const Case &c : cases) {
        r.say(*c.from, c.text);
        for (auto &p : r.peers)
            EXPECT_TRUE(p->take().isEmpty()) << c.text.toStdString();
    }
    EXPECT_EQ(r.rec("Bob").Clicks, 0);
    EXPECT_EQ(r.rec("Bob").InGame, "yes");
    EXPECT_TRUE(r.browser.Navigations().isEmpty());
}

TEST(Judging, RoomWideRequestsFromABannedPlayerDoNothing)
{
    const QStringList requests = {"CHAT NAME=Bob;TEXT=still here?", "SETWORDS COUNT=1;WORD0=X;WORD1=Y;",
                                  "GETRANDOM SRC=1;", "NEWGAME"};
    for (const QString &request : requests) {
        Round r;
        r.server->ApplyBan(*r.server->AskBan("Bob"), true);
        r.say(r.ann, msg::Navigate("Ann", "talk")); // Ann out: a NEWGAME would show
        r.clearAll();
        r.say(r.bob, request);
        for (auto &p : r.peers)
            EXPECT_TRUE(p->take().isEmpty()) << request.toStdString();
        EXPECT_EQ(*r.server->Round().Words, QStringList({"Cat", "Dog"})) << request.toStdString();
        EXPECT_EQ(r.rec("Ann").InGame, "no") << request.toStdString();
        EXPECT_TRUE(r.browser.Navigations().isEmpty()) << request.toStdString();
    }
}

TEST(Judging, CountersAtTheirLimitFailTheReportInsteadOfWrapping)
{
    Round r;
    r.server->Players().Players(2).Clicks = std::numeric_limits<qint32>::max();
    r.say(r.bob, msg::Navigate("Bob", "Mouse"));
    EXPECT_TRUE(r.ann.take().isEmpty());
    EXPECT_EQ(r.rec("Bob").Clicks, std::numeric_limits<qint32>::max());

    r.server->Players().Players(1).Wins = std::numeric_limits<qint32>::max();
    r.say(r.ann, msg::Navigate("Ann", "Dog"));
    const QStringList heard = r.cy.take();
    EXPECT_EQ(heard.size(), 1);
    EXPECT_FALSE(heard.join("|").contains("WINNER"));
    EXPECT_EQ(r.rec("Ann").Wins, std::numeric_limits<qint32>::max());
}

TEST(Judging, ReportsBeforeAnyWordsCountButNeverWin)
{
    ServerHarness h;
    Peer &ann = h.join("Ann");
    h.say(ann, msg::Navigate("Ann", "Dog"));
    EXPECT_EQ(ann.take(), QStringList({"SCOREIS NAME=Ann;WINS=0;CLICK=1;RCLICK=1;INGAME=yes;"}));
    EXPECT_EQ(h.server->Players().Players(1).Wins, 0);
}

TEST(Judging, NewGameRequestNamesTheChooser)
{
    Round r;
    r.say(r.ann, msg::Navigate("Ann", "help"));
    r.clearAll();
    r.say(r.bob, "NEWGAME");
    EXPECT_EQ(r.cy.take(), QStringList({"NEWGAME NAME=Ann;"}));
    EXPECT_EQ(r.rec("Ann").InGame, "yes");
    EXPECT_EQ(r.rec("Ann").RoundClicks, 1); // not reset by the request
}

TEST(Random, TitleOfTheDrawnPageGoesToEveryoneOnce)
{
    struct Case {
        QString title;
        QString expected; // SETRANDOM text, "" for none
    };
    const Case cases[] = {
        {"Dog - Wikipedia, the free encyclopedia", "SETRANDOM SRC=2;URL=Dog;"},
        {"Rock - Paper - Wikipedia, the free encyclopedia", "SETRANDOM SRC=2;URL=Rock - Paper;"},
        {"Semi-colon", ""}, // a "-" but no " -": no name
        {"No dash here", ""},
        {"", ""}, // the load failed
    };
    for (const Case &c : cases) {
        Round r;
        r.browser.SetRedirect(kRandom, "http://127.0.0.1:7200/wiki/X");
        r.browser.SetPage("http://127.0.0.1:7200/wiki/X", c.title);
        r.say(r.ann, "GETRANDOM SRC=2;");
        QCoreApplication::processEvents(); // the page loads from the event loop
        r.deliver();
        emit r.browser.DocumentComplete("frame"); // a late frame must not repeat the answer
        r.deliver();
        const QStringList expected = c.expected.isEmpty() ? QStringList() : QStringList({c.expected});
        EXPECT_EQ(r.ann.take(), expected) << c.title.toStdString();
        EXPECT_EQ(r.cy.take(), expected) << c.title.toStdString();
        EXPECT_EQ(r.browser.Navigations().value(0), kRandom);
    }
}

TEST(Random, EveryRequestStartsWithoutAnOldTitle)
{
    Round r;
    r.browser.SetAutoLoad(false);
    r.browser.SetPage(kRandom, "Dog - Wikipedia, the free encyclopedia");
    r.say(r.ann, "GETRANDOM SRC=1;");
    r.browser.FinishLoad();
    r.deliver();
    EXPECT_EQ(r.bob.take(), QStringList({"SETRANDOM SRC=1;URL=Dog;"}));
    EXPECT_EQ(r.server->Round().RandomTitle, "Dog");

    // The next draw fails: the old title must not answer it.
    r.browser.SetPage(kRandom, "");
    r.say(r.ann, "GETRANDOM SRC=2;");
    EXPECT_TRUE(r.server->Round().RandomTitle.isEmpty());
    r.browser.FinishLoad();
    r.deliver();
    EXPECT_TRUE(r.bob.take().isEmpty());

    r.clearAll();
    // Two requests in a row: the second restarts the draw and is answered once, with its source.
    r.browser.SetPage(kRandom, "Cat - Wikipedia, the free encyclopedia");
    r.say(r.bob, "GETRANDOM SRC=1;");
    r.say(r.bob, "GETRANDOM SRC=2;");
    r.browser.FinishLoad();
    r.deliver();
    EXPECT_EQ(r.cy.take(), QStringList({"SETRANDOM SRC=2;URL=Cat;"}));
    EXPECT_FALSE(r.server->RandomPending());
}

TEST(Random, UsesTheConfiguredSite)
{
    Round r;
    r.server->SetSiteHost("wiki.example.org:8080");
    r.say(r.ann, "GETRANDOM SRC=1;");
    EXPECT_EQ(r.browser.Navigations().value(0), "http://wiki.example.org:8080/wiki/Special:Random");
}

// Whoever's turn it is to choose (the host of an idle server, the winner, the player NEWGAME named)
// may leave; the oldest player left is then named with NEWGAME, so somebody always gets the chooser.
TEST(Turn, WhenTheChooserLeavesTheOldestPlayerChooses)
{
    struct Case {
        const char *what;
        std::function<void(ServerHarness &, Peer &, Peer &, Peer &)> before;
        const char *leaving;
        QStringList heard; // by Cy, after the leave
    };
    const Case cases[] = {
        {"the host of an idle server",
         [](ServerHarness &, Peer &, Peer &, Peer &) {},
         "Ann",
         {"LEAVE NAME=Ann;", "NEWGAME NAME=Bob;"}},
        {"the winner",
         [](ServerHarness &h, Peer &ann, Peer &bob, Peer &) {
             h.say(ann, "SETWORDS COUNT=1;WORD0=Cat;WORD1=Dog;");
             h.say(bob, "NAVIGATE NAME=Bob;URL=Dog;");
         },
         "Bob",
         {"LEAVE NAME=Bob;", "NEWGAME NAME=Ann;"}},
        {"a player who is not the chooser",
         [](ServerHarness &, Peer &, Peer &, Peer &) {},
         "Bob",
         {"LEAVE NAME=Bob;"}},
        {"the chooser while a round runs",
         [](ServerHarness &h, Peer &ann, Peer &, Peer &) {
             h.say(ann, "SETWORDS COUNT=1;WORD0=Cat;WORD1=Dog;");
         },
         "Ann",
         {"LEAVE NAME=Ann;"}},
    };
    for (const Case &c : cases) {
        ServerHarness h;
        Peer &ann = h.join("Ann", "10.0.0.2");
        Peer &bob = h.join("Bob", "10.0.0.3");
        Peer &cy = h.join("Cy", "10.0.0.4");
        c.before(h, ann, bob, cy);
        cy.take();
        Peer &leaving = QLatin1String(c.leaving) == QLatin1String("Ann") ? ann : bob;
        h.say(leaving, msg::Disconnect(leaving.name));
        EXPECT_EQ(cy.take(), c.heard) << c.what;
    }
}

TEST(GiveUp, APlayerLeavesTheRoundAndTheLastOneOutEndsIt)
{
    ServerHarness h;
    Peer &ann = h.join("Ann", "10.0.0.2");
    Peer &bob = h.join("Bob", "10.0.0.3");
    h.say(ann, "GIVEUP NAME=Ann;");
    EXPECT_TRUE(bob.take().isEmpty()) << "no round runs yet";

    h.say(ann, "SETWORDS COUNT=1;WORD0=Cat;WORD1=Dog;");
    bob.take();
    h.say(bob, "GIVEUP NAME=Ann;"); // only Ann can give up for Ann
    EXPECT_TRUE(bob.take().isEmpty());
    h.say(ann, "GIVEUP NAME=Ann;");
    EXPECT_EQ(bob.take(), QStringList({"CHAT NAME=GAME;TEXT=Ann gave up the round.",
                                       "SCOREIS NAME=Ann;WINS=0;CLICK=0;RCLICK=0;INGAME=no;"}));
    h.say(ann, "GIVEUP NAME=Ann;");
    EXPECT_TRUE(bob.take().isEmpty()) << "once out, out";
    h.say(ann, "NAVIGATE NAME=Ann;URL=Dog;");
    EXPECT_TRUE(bob.take().isEmpty()) << "a player who gave up cannot win";

    h.say(bob, "GIVEUP NAME=Bob;");
    EXPECT_EQ(bob.take(),
              QStringList({"CHAT NAME=GAME;TEXT=Bob gave up the round.", "NEWGAME NAME=Ann;",
                           "RESULT ROUND=1;NAME=Ann;OUTCOME=gaveup;REASON=;MS=0;CLICKS=0;ROUTE=Cat",
                           "RESULT ROUND=1;NAME=Bob;OUTCOME=gaveup;REASON=;MS=0;CLICKS=0;ROUTE=Cat",
                           "SCOREIS NAME=Bob;WINS=0;CLICK=0;RCLICK=0;INGAME=yes;"}));
    EXPECT_EQ(h.server->Players().Players(1).InGame, "yes");
}

// Cat, 2000 pages with long names, Dog.
QStringList LongRoute()
{
    QStringList route{"Cat"};
    for (int i = 0; i < 2000; ++i)
        route << QStringLiteral("A page with a rather long name, number %1").arg(i);
    return route << "Dog";
}

// With a route finder, each round starts with its par and a win ends with the winner's time and
// clicks and, on a line of its own, a shortest route unless the winner took it, all as chat from GAME.
TEST(RoundFacts, ParAtTheStartTimeAndRouteAfterTheWin)
{
    const QString won = "CHAT NAME=GAME;TEXT=Bob reached Dog in 1:23 with 1 click.";
    const QStringList results = {
        "RESULT ROUND=1;NAME=Ann;OUTCOME=racing;REASON=;MS=0;CLICKS=0;ROUTE=Cat",
        "RESULT ROUND=1;NAME=Bob;OUTCOME=first;REASON=;MS=83400;CLICKS=1;ROUTE=Cat\rDog"};
    struct Case {
        const char *what;
        std::optional<QStringList> route;
        QStringList atStart;  // after STARTGAME
        QStringList afterWin; // after WINNER
    };
    const Case cases[] = {
        {"a route",
         QStringList{"Cat", "Mouse", "Dog"},
         {"CHAT NAME=GAME;TEXT=Shortest route from Cat to Dog: 2 clicks.", "PAR CLICKS=2;"},
         QStringList{"SHORTEST ROUND=1;CLICKS=2;ROUTE=Cat\rMouse\rDog"} + results +
             QStringList{won, "CHAT NAME=GAME;TEXT=A shortest route takes 2 clicks: Cat --> Mouse --> Dog."}},
        {"the winner took a shortest route",
         QStringList{"Cat", "Dog"},
         {"CHAT NAME=GAME;TEXT=Shortest route from Cat to Dog: 1 click.", "PAR CLICKS=1;"},
         QStringList{"SHORTEST ROUND=1;CLICKS=1;ROUTE=Cat\rDog"} + results +
             QStringList{won, "CHAT NAME=GAME;TEXT=No route is shorter."}},
        {"no route",
         QStringList{},
         {"CHAT NAME=GAME;TEXT=No route leads from Cat to Dog in this encyclopedia."},
         results + QStringList{won}},
        {"unknown", std::nullopt, {}, results + QStringList{won}},
        {"a route too long for a datagram",
         LongRoute(),
         {"CHAT NAME=GAME;TEXT=Shortest route from Cat to Dog: 2001 clicks.", "PAR CLICKS=2001;"},
         QStringList{msg::Shortest({1, 2001, LongRoute()})} + results +
             QStringList{won, "CHAT NAME=GAME;TEXT=A shortest route takes 2001 clicks."}},
    };
    for (const Case &c : cases) {
        ServerHarness h;
        QStringList asked;
        h.server->SetRouteFinder([&](const QString &from, const QString &to) {
            asked << from + ">" + to;
            return c.route;
        });
        Peer &ann = h.join("Ann", "10.0.0.2");
        Peer &bob = h.join("Bob", "10.0.0.3");
        h.say(ann, "SETWORDS COUNT=1;WORD0=Cat;WORD1=Dog;");
        EXPECT_EQ(bob.take(), QStringList{"STARTGAME COUNT=1;WORD0=Cat;WORD1=Dog;"} + c.atStart) << c.what;
        EXPECT_EQ(asked, QStringList{"Cat>Dog"});
        ann.take();
        h.clock.Advance(83 * 1000 + 400);
        h.say(bob, "NAVIGATE NAME=Bob;URL=Dog;");
        EXPECT_EQ(ann.take(),
                  QStringList({"SCOREIS NAME=Bob;WINS=0;CLICK=1;RCLICK=1;INGAME=yes;", "WINNER NAME=Bob;"}) +
                      c.afterWin)
            << c.what;
    }
}

} // namespace
