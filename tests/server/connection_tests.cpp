// The dispatcher's joining handshake and plain requests, over the fake network.
#include "ServerHarness.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace
{

const QString kVer = modVersion::Version;

TEST(Join, FirstPlayerGetsWelcomeHostThenAccept)
{
    ServerHarness h;
    h.server->SetWelcomeTemplate("%p user(s) connected to Quillory Server %v");
    Peer &ann = h.peer("Ann", "10.0.0.2", 7201);
    h.say(ann, ann.connect());
    EXPECT_EQ(ann.take(), QStringList({"MESSAGE 1 user(s) connected to Quillory Server 1.04 (beta)",
                                       "ISHOST NAME=Ann;", "CONNECTACCEPT PLAYING=no;"}));

    Peer &bob = h.peer("Bob", "10.0.0.3", 7201);
    h.say(bob, bob.connect());
    EXPECT_EQ(bob.take(), QStringList({"MESSAGE 2 user(s) connected to Quillory Server 1.04 (beta)",
                                       "CONNECTACCEPT PLAYING=no;", "TURN NAME=Ann;"}));
    EXPECT_EQ(ann.take(), QStringList({"JOIN NAME=Bob;"}));

    // The record keeps the source address and port of the CONNECT datagram.
    EXPECT_EQ(h.server->Players().Players(2).Address, "10.0.0.3");
    EXPECT_EQ(h.server->Players().Players(2).Port, 7201);
}

TEST(Join, EmptyWelcomeSendsNoMessage)
{
    ServerHarness h;
    Peer &ann = h.peer("Ann", "10.0.0.2", 7201);
    h.say(ann, ann.connect());
    EXPECT_EQ(ann.take(), QStringList({"ISHOST NAME=Ann;", "CONNECTACCEPT PLAYING=no;"}));
}

TEST(Join, VersionAndPasswordRules)
{
    struct Case {
        const char *what;
        QString serverPassword;
        QString ver;
        QString pwd;
        QString answer;
        bool joins;
    };
    const QString rejectVer = "CONNECTREJECT VER=1.04 (beta);";
    const Case cases[] = {
        {"older version", "", "1.03 (beta)", "", rejectVer, false},
        {"version in other case", "", "1.04 (BETA)", "", rejectVer, false},
        {"version wins over password", "secret", "1.0", "", rejectVer, false},
        {"password wanted", "secret", kVer, "", "NEEDPWD", false},
        {"wrong password", "secret", kVer, "Secret", "CONNECTREJECT ERROR=-100;", false},
        {"right password", "secret", kVer, "secret", "CONNECTACCEPT PLAYING=no;", true},
        {"public server takes any password", "", kVer, "whatever", "CONNECTACCEPT PLAYING=no;", true},
    };
    for (const Case &c : cases) {
        ServerHarness h;
        h.server->SetPassword(c.serverPassword);
        Peer &p = h.peer("Ann", "10.0.0.2", 7201);
        h.say(p, msg::Connect(c.ver, "Ann", p.port(), c.pwd));
        ASSERT_FALSE(p.got.isEmpty()) << c.what;
        EXPECT_EQ(p.got.last(), c.answer) << c.what;
        EXPECT_EQ(h.server->Players().PlayerCount(), c.joins ? 1 : 0) << c.what;
    }
}

TEST(Join, TableRefusalsAreSentAsErrors)
{
    ServerHarness h;
    Peer &ann = h.join("Ann", "10.0.0.2", 7201);
    Peer &eve = h.join("Eve", "10.0.0.9", 7201);
    h.server->Players().Players(2).Banned = true;
    struct Case {
        QString name;
        QString address;
        QString answer;
    };
    const Case cases[] = {
        {"ann", "10.0.0.5", "CONNECTREJECT ERROR=-10;"},
        {"EVE", "10.0.0.5", "CONNECTREJECT ERROR=-11;"},
        {"Zed", "10.0.0.9", "CONNECTREJECT ERROR=-21;"},
    };
    quint16 port = 7300;
    for (const Case &c : cases) {
        Peer &p = h.peer(c.name, c.address, port++);
        h.say(p, p.connect());
        EXPECT_EQ(p.take(), QStringList({c.answer})) << c.name.toStdString();
    }
    EXPECT_EQ(h.tableNames(), QStringList({"Ann", "Eve"}));
    EXPECT_TRUE(ann.got.isEmpty());
    EXPECT_TRUE(eve.got.isEmpty());
}

TEST(Join, HostFlagFollowsRoundAndBans)
{
    // Only banned others and no round: the newcomer hosts.
    ServerHarness h;
    h.join("Ann");
    h.server->Players().Players(1).Banned = true;
    Peer &bob = h.peer("Bob", "10.0.0.3", 7201);
    h.say(bob, bob.connect());
    EXPECT_EQ(bob.take(), QStringList({"ISHOST NAME=Bob;", "CONNECTACCEPT PLAYING=no;"}));

    // A running round: nobody hosts, and the answer says a round is on.
    ServerHarness r;
    r.server->Round().GameInProgress = true;
    Peer &cy = r.peer("Cy", "10.0.0.4", 7201);
    r.say(cy, cy.connect());
    EXPECT_EQ(cy.take(), QStringList({"CONNECTACCEPT PLAYING=yes;"}));
    EXPECT_EQ(r.server->Players().Players(1).InGame, "yes");
}

TEST(Join, WithoutPortAddsPlayerButAnswersNothing)
{
    ServerHarness h;
    h.server->SetWelcomeTemplate("hi");
    Peer &ann = h.join("Ann", "10.0.0.2", 7201);
    Peer &bob = h.peer("Bob", "10.0.0.3", 7202);
    h.say(bob, "CONNECT VER=" + kVer + ";NAME=Bob;PWD=;");
    EXPECT_EQ(bob.take(), QStringList({"MESSAGE hi"}));
    EXPECT_EQ(ann.take(), QStringList({"JOIN NAME=Bob;"}));
    EXPECT_EQ(h.tableNames(), QStringList({"Ann", "Bob"}));
}

TEST(Join, FullTableTakesNobodyAndAnswersNothing)
{
    ServerHarness h;
    for (qint32 i = 0; i < GameServer::kMaxPlayers; ++i)
        h.join("P" + QString::number(i), "10.0.1." + QString::number(i % 200), quint16(7201 + i / 200));
    ASSERT_EQ(h.server->Players().PlayerCount(), GameServer::kMaxPlayers);

    Peer &late = h.peer("Late", "10.0.2.1", 7201);
    h.say(late, late.connect());
    EXPECT_TRUE(late.take().isEmpty());
    EXPECT_EQ(h.server->Players().PlayerCount(), GameServer::kMaxPlayers);
    EXPECT_TRUE(h.peers.front()->take().isEmpty()); // nobody hears of a join that did not happen
    // The checks before the table still answer.
    h.say(late, msg::Connect("1.0", "Late", late.port(), ""));
    EXPECT_EQ(late.take(), QStringList({"CONNECTREJECT VER=1.04 (beta);"}));

    // Once someone leaves there is room again.
    h.say(*h.peers.front(), "DISCONNECT NAME=P0;");
    h.say(late, late.connect());
    EXPECT_EQ(late.take().value(0), "CONNECTACCEPT PLAYING=no;");
}

TEST(Join, OverlongNamesAreTakenByNobodySoTheListFitsOneDatagram)
{
    ServerHarness h;
    const QString longest(GameServer::kMaxNameBytes / 2, QChar(0x00E9)); // two UTF-8 bytes each
    Peer &fits = h.peer(longest, "10.0.3.1", 7201);
    h.say(fits, fits.connect());
    EXPECT_TRUE(fits.take().contains("CONNECTACCEPT PLAYING=no;"));

    Peer &tooLong = h.peer(longest + "e", "10.0.3.2", 7201);
    h.say(tooLong, tooLong.connect());
    EXPECT_TRUE(tooLong.take().isEmpty());
    EXPECT_EQ(h.server->Players().PlayerCount(), 1);
    EXPECT_TRUE(fits.take().isEmpty()); // no JOIN for a join that did not happen

    // A full table of the longest names still lists everyone in one datagram.
    for (qint32 i = 1; i < GameServer::kMaxPlayers; ++i)
        h.join(longest.left(longest.size() - 4) + QString::number(1000 + i),
               "10.0.4." + QString::number(i % 200), quint16(7201 + i / 200));
    ASSERT_EQ(h.server->Players().PlayerCount(), GameServer::kMaxPlayers);
    h.say(fits, msg::GetPlayerList(fits.port()));
    const QStringList answer = fits.take();
    ASSERT_EQ(answer.size(), 1);
    EXPECT_TRUE(answer[0].startsWith("PLAYERLIST COUNT=256;"));
    EXPECT_LE(answer[0].toUtf8().size(), 65507);
}

TEST(Requests, AnswersGoToTheNamedPortOfTheSender)
{
    ServerHarness h;
    h.clock.SetTick(123456);
    Peer &ann = h.join("Ann", "10.0.0.2", 7201);
    h.join("Bob", "10.0.0.3", 7201);
    h.server->Players().Players(2).Banned = true;
    Peer &probe = h.peer("", "10.0.0.7", 7300);
    Peer &listener = h.peer("", "10.0.0.7", 7301);
    struct Case {
        QString request;
        QString answer; // empty: no answer at all
    };
    const Case cases[] = {
        {"PINGME 7301", "PING TIME=123456;"},
        {"PINGME  7301 ", "PING TIME=123456;"},
        {"PINGME", ""},
        {"PINGME x", ""},
        {"STATUS SERVER=game.example;PORT=7301;", "STATUS VER=1.04 (beta);#=2;SERVER=game.example;"},
        {"STATUS SERVER=;PORT=7301;", "STATUS VER=1.04 (beta);#=2;SERVER=;"},
        {"STATUS SERVER=x;", ""},
        {"GETPLAYERLIST PORT=7301;", "PLAYERLIST COUNT=2;P1=Ann;P2=Bob;"},
        {"TIME PORT=7301;", "TIME TIME=9:05:07 AM;DATE=Monday, September 4, 2006;"},
        {"GETSCORE PORT=7301;NAME=Ann;", "SCOREIS NAME=Ann;WINS=0;CLICK=0;RCLICK=0;INGAME=yes;"},
        {"GETSCORE PORT=7301;NAME=ann;", ""},
        {"GETPING PORT=7301;NAME=Bob;", "PINGIS NAME=Bob;PING=0;"},
        {"GETPING PORT=7301;NAME=Nobody;", ""},
    };
    for (const Case &c : cases) {
        h.say(probe, c.request);
        EXPECT_TRUE(probe.take().isEmpty()) << c.request.toStdString();
        const QStringList got = listener.take();
        EXPECT_EQ(got, c.answer.isEmpty() ? QStringList() : QStringList({c.answer}))
            << c.request.toStdString();
    }
    EXPECT_TRUE(ann.got.isEmpty());
}

TEST(Requests, PongRecordsPingAndTellsEveryone)
{
    ServerHarness h;
    Peer &ann = h.join("Ann", "10.0.0.2", 7201);
    Peer &bob = h.join("Bob", "10.0.0.3", 7201);
    h.server->Players().Players(1).Inactive = 14;
    h.clock.SetTick(5000);
    h.say(ann, "PINGME 7201");
    const QString ping = ann.take().value(0);
    ASSERT_EQ(ping, "PING TIME=5000;");
    h.clock.Advance(250);
    h.say(ann, msg::Pong("Ann", GetValue(ping, "TIME")));
    EXPECT_EQ(h.server->Players().Players(1).Ping, 250);
    EXPECT_EQ(h.server->Players().Players(1).Inactive, 0);
    EXPECT_EQ(ann.take(), QStringList({"PINGIS NAME=Ann;PING=250;"}));
    EXPECT_EQ(bob.take(), QStringList({"PINGIS NAME=Ann;PING=250;"}));
}

TEST(Requests, PongThatDoesNotCountChangesNothing)
{
    ServerHarness h;
    Peer &ann = h.join("Ann", "10.0.0.2", 7201);
    Peer &bob = h.join("Bob", "10.0.0.3", 7201);
    Peer &stranger = h.peer("", "10.0.0.2", 7250); // Ann's machine, another port
    h.server->Players().Players(1).Inactive = 14;
    h.clock.SetTick(5000);
    struct Case {
        Peer *from;
        QString text;
    };
    const Case cases[] = {
        {&ann, "PONG NAME=ann;TIME=4000;"},        // lookup is exact
        {&ann, "PONG NAME=Ann;TIME=soon;"},        // not a number
        {&ann, "PONG NAME=Ann;TIME=;"},            // empty
        {&ann, "PONG NAME=Ann;TIME=-2147483648;"}, // difference overflows 32 bits
        {&bob, "PONG NAME=Ann;TIME=4000;"},        // someone else speaking for Ann
        {&stranger, "PONG NAME=Ann;TIME=4000;"},   // same address, other port
    };
    for (const Case &c : cases) {
        h.say(*c.from, c.text);
        EXPECT_EQ(h.server->Players().Players(1).Inactive, 14) << c.text.toStdString();
        EXPECT_TRUE(ann.take().isEmpty() && bob.take().isEmpty()) << c.text.toStdString();
    }
}

TEST(Requests, DisconnectOnlyFromThePlayerItself)
{
    ServerHarness h;
    Peer &ann = h.join("Ann", "10.0.0.2", 7201);
    Peer &bob = h.join("Bob", "10.0.0.3", 7201);
    QSignalSpy removed(h.server.get(), &GameServer::PlayerRemoved);

    h.say(bob, "DISCONNECT NAME=ann;"); // Bob cannot make Ann leave
    EXPECT_EQ(h.tableNames(), QStringList({"Ann", "Bob"}));
    EXPECT_TRUE(ann.take().isEmpty() && bob.take().isEmpty());

    h.say(ann, "DISCONNECT NAME=aNN;"); // other case, from Ann herself
    EXPECT_EQ(h.tableNames(), QStringList({"Bob"}));
    // Ann hosted the idle server: the choice passes to the oldest player left.
    EXPECT_EQ(bob.take(), QStringList({"LEAVE NAME=aNN;", "NEWGAME NAME=Bob;"}));
    EXPECT_TRUE(ann.take().isEmpty());
    ASSERT_EQ(removed.count(), 1);
    EXPECT_EQ(removed.at(0).at(0).toInt(), 1);

    h.say(bob, "DISCONNECT NAME=Bob;"); // the last one leaves: nobody to tell
    EXPECT_EQ(h.server->Players().PlayerCount(), 0);
    EXPECT_TRUE(bob.take().isEmpty());
}

TEST(Requests, ChatIsRelayedByteForByteFromPlayersOnly)
{
    ServerHarness h;
    Peer &ann = h.join("Ann", "10.0.0.2", 7201);
    Peer &bob = h.join("Bob", "10.0.0.3", 7201);
    const QString chat = "CHAT NAME=Ann;TEXT=a=b; c;\r\nü 日本";
    h.say(ann, chat);
    EXPECT_EQ(ann.take(), QStringList({chat}));
    EXPECT_EQ(bob.take(), QStringList({chat}));

    Peer &outsider = h.peer("", "10.0.0.8", 7201);
    h.say(outsider, "CHAT NAME=Ann;TEXT=spoof");
    h.server->Players().Players(2).Banned = true;
    h.say(bob, "CHAT NAME=Bob;TEXT=still here?");
    EXPECT_TRUE(ann.take().isEmpty());
    EXPECT_TRUE(bob.take().isEmpty());
}

TEST(Requests, MalformedDatagramsLeaveTheServerAnswering)
{
    ServerHarness h;
    Peer &ann = h.join("Ann", "10.0.0.2", 7201);
    Peer &probe = h.peer("", "10.0.0.7", 7300);
    const QString big(64 * 1024, QLatin1Char('A'));
    const QString binary = QString::fromLatin1(QByteArray("\x00\x01\xff\xfe PORT=\x00;", 12));
    const QStringList garbage = {
        "",
        "CONNECT",
        "STATUS",
        big,
        "CHAT " + big,
        "STATUS SERVER=x;PORT=" + big + ";",
        binary,
        "STATUS SERVER=x;PORT=99999999999999999999;",
        "STATUS SERVER=x;PORT=-7300;",
        "STATUS SERVER=x;PORT=65536;",
        "STATUS SERVER=x;PORT=0;",
        "PINGME 4294974496",
        "PINGME -1",
        "GETSCORE PORT=7300;NAME=" + big + ";",
        "SETWORDS COUNT=2147483647;",
        "SETWORDS COUNT=-1;",
        "PONG NAME=Ann;TIME=99999999999;",
        "NAVIGATE NAME=Ann;URL=special;",
        "GETWORDS NAME=Ann;",
        "connect VER=1.04 (beta);NAME=x;PORT=7300;PWD=;",
    };
    for (const QString &g : garbage)
        h.say(probe, g);
    EXPECT_TRUE(probe.take().isEmpty());
    EXPECT_TRUE(ann.take().isEmpty());
    EXPECT_EQ(h.tableNames(), QStringList({"Ann"}));
    EXPECT_EQ(h.server->Players().Players(1).Clicks, 0);
    h.say(probe, "STATUS SERVER=x;PORT=7300;");
    EXPECT_EQ(probe.take(), QStringList({"STATUS VER=1.04 (beta);#=1;SERVER=x;"}));
}

TEST(Inactivity, SilentPlayersDropOnePerTick)
{
    ServerHarness h;
    Peer &ann = h.join("Ann", "10.0.0.2", 7201);
    Peer &bob = h.join("Bob", "10.0.0.3", 7201);
    Peer &cy = h.join("Cy", "10.0.0.4", 7201);
    for (qint32 i = 1; i <= 3; ++i)
        h.server->Players().Players(i).Inactive = 18;

    h.server->InactivityTick();
    h.deliver();
    EXPECT_EQ(h.tableNames(), QStringList({"Bob", "Cy"}));
    EXPECT_EQ(ann.take(), QStringList({"BYE REASON=silent;", "DISCONNECT"}));
    // The dropped host was to choose: the oldest player left chooses instead.
    EXPECT_EQ(bob.take(), QStringList({"DROP NAME=Ann;", "NEWGAME NAME=Bob;"}));
    EXPECT_EQ(cy.take(), QStringList({"DROP NAME=Ann;", "NEWGAME NAME=Bob;"}));
    // The records after the dropped one were not counted up on that tick.
    EXPECT_EQ(h.server->Players().Players(1).Inactive, 18);

    h.server->InactivityTick();
    h.deliver();
    EXPECT_EQ(h.tableNames(), QStringList({"Cy"}));
    EXPECT_EQ(bob.take(), QStringList({"BYE REASON=silent;", "DISCONNECT"}));
    EXPECT_EQ(cy.take(), QStringList({"DROP NAME=Bob;", "NEWGAME NAME=Cy;"}));
    h.server->InactivityTick();
    h.deliver();
    EXPECT_EQ(h.server->Players().PlayerCount(), 0);
    EXPECT_EQ(cy.take(), QStringList({"BYE REASON=silent;", "DISCONNECT"}));
    h.server->InactivityTick(); // empty table: nothing
}

TEST(Inactivity, CountsUpTwoPerTickAndDropsAtTwenty)
{
    ServerHarness h;
    h.join("Ann");
    for (int tick = 1; tick <= 9; ++tick) {
        h.server->InactivityTick();
        EXPECT_EQ(h.server->Players().Players(1).Inactive, 2 * tick);
    }
    h.server->InactivityTick();
    EXPECT_EQ(h.server->Players().PlayerCount(), 0);
}

TEST(Inactivity, BannedNeverCountsUpAndUnbanFreesTheName)
{
    ServerHarness h;
    Peer &ann = h.join("Ann", "10.0.0.2", 7201);
    h.join("Bob", "10.0.0.3", 7201);
    const auto q = h.server->AskBan("Ann");
    ASSERT_TRUE(q);
    EXPECT_EQ(q->text, "Ban player Ann?");
    h.server->ApplyBan(*q, true);
    h.deliver();
    EXPECT_EQ(ann.take(), QStringList({"BYE REASON=banned;", "DISCONNECT"}));
    EXPECT_TRUE(h.server->Players().Players(1).Banned);
    EXPECT_EQ(h.server->Players().Players(1).InGame, "no");
    for (int i = 0; i < 50; ++i) {
        h.server->Players().Players(h.server->Players().FindPlayer("Bob")).Inactive = 0;
        h.server->InactivityTick();
    }
    EXPECT_EQ(h.tableNames(), QStringList({"Ann", "Bob"}));
    EXPECT_EQ(h.server->Players().Players(1).Inactive, 0);

    Peer &again = h.peer("Ann", "10.0.0.5", 7201);
    h.say(again, again.connect());
    EXPECT_EQ(again.take(), QStringList({"CONNECTREJECT ERROR=-11;"}));

    const auto u = h.server->AskBan("Ann");
    ASSERT_TRUE(u);
    EXPECT_EQ(u->text, "Unban player Ann?");
    h.server->ApplyBan(*u, true);
    EXPECT_EQ(h.server->Players().Players(1).Inactive, 20);
    h.server->InactivityTick();
    EXPECT_EQ(h.tableNames(), QStringList({"Bob"}));
    h.say(again, again.connect());
    EXPECT_EQ(again.take(), QStringList({"CONNECTACCEPT PLAYING=no;", "TURN NAME=Bob;"}));
}

TEST(Bans, AnswerCountsOnlyForThePlayerAsked)
{
    struct Case {
        const char *what;
        bool yes;
        bool leaveFirst;
        bool rejoinSameName;
        bool expectBanned;
    };
    const Case cases[] = {
        {"yes bans", true, false, false, true},
        {"no keeps", false, false, false, false},
        {"left while asked", true, true, false, false},
        {"newcomer took the name", true, true, true, false},
    };
    for (const Case &c : cases) {
        ServerHarness h;
        Peer &ann = h.join("Ann", "10.0.0.2", 7201);
        const auto q = h.server->AskBan("Ann");
        ASSERT_TRUE(q);
        if (c.leaveFirst)
            h.say(ann, "DISCONNECT NAME=Ann;");
        if (c.rejoinSameName)
            h.join("Ann", "10.0.0.6", 7201);
        h.server->ApplyBan(*q, c.yes);
        const qint32 idx = h.server->Players().FindPlayer("Ann");
        const bool banned = idx && h.server->Players().Players(idx).Banned;
        EXPECT_EQ(banned, c.expectBanned) << c.what;
    }
    ServerHarness h;
    h.join("Ann");
    EXPECT_FALSE(h.server->AskBan("ann")); // list text must match exactly
    EXPECT_FALSE(h.server->AskBan(""));
}

TEST(Lifecycle, StopDisconnectsEveryoneAndKeepsTheRound)
{
    ServerHarness h;
    Peer &ann = h.join("Ann", "10.0.0.2", 7201);
    Peer &bob = h.join("Bob", "10.0.0.3", 7201);
    h.server->Players().Players(2).Banned = true;
    h.server->Round().Words = QStringList({"A", "B"});
    h.server->Round().GameInProgress = true;
    h.server->Round().Chooser = "Ann";
    QSignalSpy cleared(h.server.get(), &GameServer::PlayersCleared);

    h.server->Stop();
    h.deliver();
    EXPECT_EQ(ann.take(), QStringList({"BYE REASON=stopped;", "DISCONNECT"}));
    EXPECT_EQ(bob.take(), QStringList({"BYE REASON=stopped;", "DISCONNECT"}));
    EXPECT_EQ(h.server->Players().PlayerCount(), 0);
    EXPECT_EQ(cleared.count(), 1);
    EXPECT_EQ(h.server->State(), ServerState::Stopped);
    EXPECT_FALSE(h.net.IsBound("10.0.0.1", 7200));
    EXPECT_EQ(h.server->Caption(), "Server - 1.04 (beta)");

    ASSERT_TRUE(h.server->Start(7200));
    EXPECT_EQ(h.server->Caption(), "Server - 10.0.0.1 - 1.04 (beta)");
    // The address the host typed is the one players should use; only this machine reaches a
    // loopback address, and a blank one says nothing.
    const std::pair<QString, QString> typed[] = {{"192.168.1.20", "192.168.1.20"},
                                                 {" game.example.org ", "game.example.org"},
                                                 {"127.0.0.1", "10.0.0.1"},
                                                 {"LocalHost", "10.0.0.1"},
                                                 {"", "10.0.0.1"},
                                                 {"a;b", "10.0.0.1"}};
    for (const auto &[address, shown] : typed) {
        h.server->SetPublicAddress(address);
        EXPECT_EQ(h.server->Caption(), "Server - " + shown + " - 1.04 (beta)") << address.toStdString();
    }
    h.server->SetPublicAddress(QString());
    EXPECT_EQ(*h.server->Round().Words, QStringList({"A", "B"}));
    EXPECT_TRUE(h.server->Round().GameInProgress);
    EXPECT_EQ(h.server->Round().Chooser, "Ann");
    Peer &cy = h.peer("Cy", "10.0.0.4", 7201);
    h.say(cy, cy.connect());
    EXPECT_EQ(cy.take(), QStringList({"CONNECTACCEPT PLAYING=yes;"}));
}

TEST(Lifecycle, FailedBindLeavesTheServerStoppedWithTheReason)
{
    FakeNetwork net;
    auto squatter = net.CreateSocket("10.0.0.1");
    ASSERT_TRUE(squatter->Bind(7200));
    auto socket = net.CreateSocket("10.0.0.1");
    ScriptedBrowser browser;
    ManualClock clock;
    GameServer server(*socket, browser, clock);
    EXPECT_EQ(server.State(), ServerState::BeforeStart);
    EXPECT_EQ(server.Caption(), "Game Server");
    EXPECT_FALSE(server.Start(7200));
    EXPECT_EQ(server.State(), ServerState::Stopped);
    EXPECT_FALSE(server.BindError().isEmpty());
    squatter->Close();
    EXPECT_TRUE(server.Start(7200));
    EXPECT_TRUE(server.BindError().isEmpty());
    EXPECT_EQ(server.State(), ServerState::Serving);
}

TEST(Lifecycle, ListSignalsMirrorTheTable)
{
    ServerHarness h;
    QStringList mirror;
    QObject::connect(h.server.get(), &GameServer::PlayerAppended, [&](const QString &n) { mirror << n; });
    QObject::connect(h.server.get(), &GameServer::PlayerRemoved, [&](qint32 i) { mirror.removeAt(i - 1); });
    QObject::connect(h.server.get(), &GameServer::PlayersCleared, [&] { mirror.clear(); });
    Peer &ann = h.join("Ann", "10.0.0.2", 7201);
    h.join("Bob", "10.0.0.3", 7201);
    h.join("Cy", "10.0.0.4", 7201);
    h.join("bob", "10.0.0.5", 7201); // refused
    EXPECT_EQ(mirror, h.tableNames());
    h.server->Players().Players(3).Inactive = 18;
    h.server->InactivityTick();
    EXPECT_EQ(mirror, QStringList({"Ann", "Bob"}));
    h.say(ann, "DISCONNECT NAME=ANN;");
    EXPECT_EQ(mirror, QStringList({"Bob"}));
    h.server->Stop();
    EXPECT_TRUE(mirror.isEmpty());
}

TEST(Welcome, PlaceholdersExpandInOrder)
{
    ManualClock clock;
    clock.SetNow(QDateTime(QDate(2006, 9, 4), QTime(21, 5, 7)));
    struct Case {
        QString text;
        QString expected;
    };
    const Case cases[] = {
        {"%p user(s) connected to Quillory Server %v", "2 user(s) connected to Quillory Server 1.04 (beta)"},
        {"%shorttime", "21:05:07"},
        {"%shortdate", "09-04-2006"},
        {"%ip/%ip", "10.1.2.3/10.1.2.3"},
        {"%time|%date", "9:05:07 AM|Monday, September 4, 2006"},
        {"", ""},
        {"no placeholders; a=b", "no placeholders; a=b"},
        {"100%", "100%"},
        {"%P %V", "%P %V"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(GameServer::ExpandWelcome(c.text, 2, "10.1.2.3", clock), c.expected)
            << c.text.toStdString();
    clock.SetNow(QDateTime(QDate(2006, 9, 4), QTime(9, 5, 7)));
    EXPECT_EQ(GameServer::ExpandWelcome("%shorttime", 1, "", clock), "09:05:07");
}

} // namespace
