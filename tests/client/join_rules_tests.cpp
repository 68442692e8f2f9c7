#include "client/JoinRules.h"
#include "client/ModData.h"
#include "client/ServerBrowser.h"
#include "fakes/FakeNetwork.h"
#include "fakes/ManualClock.h"
#include "fakes/ScriptedBrowser.h"
#include "fakes/ScriptedDialogs.h"
#include "protocol/Messages.h"
#include "protocol/Version.h"
#include "server/GameServer.h"
#include "settings/Options.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace joinRules;

namespace
{

TEST(JoinRules, CleaningKeepsTheCaretAmongTheRemainingCharacters)
{
    struct Case {
        QString text;
        int caret;
        QString cleaned;
        int newCaret;
    };
    const QList<Case> cases = {
        {"a=b;c", 5, "abc", 3},        {"ab=", 3, "ab", 2}, // typed at the end
        {"a=b", 2, "ab", 1},                                // typed in the middle: the caret stays before b
        {";ab", 1, "ab", 0},           {"  ", 2, "  ", 2},  // blanks are kept, nothing trimmed
        {"Ünï=cødé", 8, "Ünïcødé", 7}, {"=;=;", 4, "", 0},
        {"abc", 99, "abc", 3}, // a caret past the end counts as the end
    };
    for (const Case &c : cases) {
        const CleanedText out = CleanFieldKeepingCaret(c.text, c.caret);
        EXPECT_EQ(out.text, c.cleaned) << c.text.toStdString();
        EXPECT_EQ(out.caret, c.newCaret) << c.text.toStdString();
        EXPECT_EQ(CleanField(c.text), c.cleaned);
    }
}

TEST(JoinRules, HostAddressChecks)
{
    struct Case {
        QString text;
        HostAddress result;
    };
    const QList<Case> cases = {
        {"", HostAddress::Blank},
        {"...", HostAddress::Blank},
        {" . . ", HostAddress::Blank},
        {"LOCALHOST", HostAddress::Loopback},
        {" 127.0.0.1 ", HostAddress::Loopback},
        {"localhost", HostAddress::Loopback},
        {"127.0.0.2", HostAddress::Accepted},
        {"127.0.0.1.", HostAddress::Accepted},
        {" 10.0.0.5 ", HostAddress::Accepted},
        {"my-box", HostAddress::Accepted},
        {"\t127.0.0.1", HostAddress::Accepted}, // only blanks are trimmed
    };
    for (const Case &c : cases)
        EXPECT_EQ(CheckHostAddress(c.text), c.result) << c.text.toStdString();
}

TEST(JoinRules, HelpTextAndDefaultWelcome)
{
    const QString help = HostHelpText();
    EXPECT_TRUE(help.startsWith(
        QStringLiteral("Enter your IP address to connect to the local server.\r\n\r\nIf hosting "
                       "over the Internet, type your external IP address (found at ")));
    EXPECT_TRUE(
        help.endsWith(QStringLiteral(").\r\nUDP port 7200 (the game) and TCP port 7200 (the "
                                     "encyclopedia) must be routed to your local PC if you are behind "
                                     "a router; the players' clients use UDP ports 7200-7220.\r\n\r\n"
                                     "If hosting over LAN, type your internal IP address.")));
    EXPECT_EQ(DefaultWelcome, QStringLiteral("%p user(s) connected to Quillory Server %v"));
}

TEST(JoinRules, ServerListLines)
{
    EXPECT_EQ(SplitServers(QStringLiteral(",a,,B, c,")), (QStringList{"a", "B", " c"}));
    EXPECT_EQ(SplitServers(QString()), QStringList{});

    struct Case {
        QString chosen;
        QStringList items;
        QString line;
    };
    const QList<Case> cases = {
        {"b", {"a", "B", "c"}, "b,a,c"}, {"d", {"a", "B", "c"}, "d,a,B,c"}, {"a", {"a"}, "a"}, {"x", {}, "x"},
        {" a", {"a"}, " a,a"},   // not trimmed
        {"p,q", {"a"}, "p,q,a"}, // a comma is stored as it is
    };
    for (const Case &c : cases)
        EXPECT_EQ(ServersAfterJoin(c.chosen, c.items), c.line) << c.chosen.toStdString();

    EXPECT_EQ(AddressOfActiveEntry(QStringLiteral("x (0)")), QStringLiteral("x"));
    EXPECT_EQ(AddressOfActiveEntry(QStringLiteral("a (b) (3)")), QStringLiteral("a (b)"));
}

class ServerBrowserTest : public ::testing::Test
{
protected:
    ModData modData;
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        modOptions::SetOptionsDirectory(m_dir.path());
        modData.ResetAll();
        m_factory = m_net.Factory();
    }
    void TearDown() override { modData.ResetAll(); }

    QTemporaryDir m_dir;
    FakeNetwork m_net;
    std::unique_ptr<SocketFactory> m_factory;
    ScriptedDialogs m_dialogs;
    FixedLocalNetwork m_lan;
};

TEST_F(ServerBrowserTest, LoadsTheKnownServersAndTheLastOne)
{
    struct Case {
        QString servers;
        QString last;
        QStringList items;
        int selected;
    };
    const QList<Case> cases = {
        {"", "", {}, -1},
        {"a,B,c", "B", {"a", "B", "c"}, 1},
        {"a,B,c", "b", {"a", "B", "c"}, -1}, // shown in the line, but no item differs only in case
        {",,a,,b,", "b", {"a", "b"}, 1},
        {"a,a", "a", {"a", "a"}, 1}, // the later equal item is the one selected
    };
    for (const Case &c : cases) {
        SaveOption(QStringLiteral("Servers"), c.servers);
        SaveOption(QStringLiteral("LastServer"), c.last);
        ServerBrowser browser(modData, *m_factory, m_dialogs, m_lan);
        ASSERT_TRUE(browser.Load());
        EXPECT_EQ(browser.Items(), c.items) << c.servers.toStdString();
        EXPECT_EQ(browser.LoadedText(), c.last);
        EXPECT_EQ(browser.LoadedSelection(), c.selected) << c.servers.toStdString();
        EXPECT_EQ(modData.OwnPort, QStringLiteral("7200"));
    }
}

TEST_F(ServerBrowserTest, OneQueryPerTickThenTheSearchStops)
{
    SaveOption(QStringLiteral("Servers"), QStringLiteral("10.0.0.1,10.0.0.2"));
    auto taken = m_net.CreateSocket();
    taken->Bind(quint16(7200)); // a local server holds the game port
    ServerBrowser browser(modData, *m_factory, m_dialogs, m_lan);
    ASSERT_TRUE(browser.Load());
    ASSERT_EQ(modData.OwnPort, QStringLiteral("7201"));
    EXPECT_TRUE(m_net.IsBound(QStringLiteral("127.0.0.1"), 7201)) << "wsFind listens on the own port";

    EXPECT_TRUE(browser.Tick());
    EXPECT_EQ(browser.Status(), QStringLiteral("Searching... 10.0.0.1"));
    EXPECT_TRUE(browser.Tick());
    EXPECT_EQ(browser.Status(), QStringLiteral("Searching... 10.0.0.2"));
    EXPECT_FALSE(browser.Tick());
    EXPECT_EQ(browser.Status(), QString());
    EXPECT_FALSE(browser.Tick());
    ASSERT_EQ(m_net.Sent().size(), 2);
    EXPECT_EQ(m_net.Sent()[0].text, QStringLiteral("STATUS SERVER=10.0.0.1;PORT=7201;"));
    EXPECT_EQ(m_net.Sent()[0].toAddress, QStringLiteral("10.0.0.1"));
    EXPECT_EQ(m_net.Sent()[0].toPort, 7200);
    EXPECT_EQ(m_net.Sent()[0].fromPort, 7201);
    EXPECT_EQ(m_net.Sent()[1].toAddress, QStringLiteral("10.0.0.2"));
}

TEST_F(ServerBrowserTest, AnswersAreListedAndClickedBackToTheirItem)
{
    SaveOption(QStringLiteral("Servers"), QStringLiteral("x,y"));
    ServerBrowser browser(modData, *m_factory, m_dialogs, m_lan);
    ASSERT_TRUE(browser.Load());
    for (const char *answer :
         {"STATUS VER=1.04 (beta);#=0;SERVER=x;", "STATUS VER=1.04 (beta);#=;SERVER=y;", "STATUS SERVER=y;",
          "PING TIME=1;#=3;SERVER=y;", "STATUS VER=9;#=12;SERVER=zz;", "STATUS #=2;SERVER=x;", "STATUS #=1;"})
        browser.HandleAnswer(QString::fromUtf8(answer));
    EXPECT_EQ(browser.Active(), (QStringList{"x (0)", "zz (12)", "x (2)", " (1)"}));
    EXPECT_EQ(browser.ItemForActiveEntry(QStringLiteral("x (0)")), 0);
    EXPECT_EQ(browser.ItemForActiveEntry(QStringLiteral("zz (12)")), -1);
    EXPECT_EQ(browser.ItemForActiveEntry(QStringLiteral("X (0)")), -1);
}

TEST_F(ServerBrowserTest, AFloodOfAnswersStopsGrowingTheList)
{
    ServerBrowser browser(modData, *m_factory, m_dialogs, m_lan);
    ASSERT_TRUE(browser.Load());
    for (qsizetype i = 0; i < ServerBrowser::kMaxAnswers + 10; ++i)
        browser.HandleAnswer(QStringLiteral("STATUS #=%1;SERVER=x;").arg(i));
    ASSERT_EQ(browser.Active().size(), ServerBrowser::kMaxAnswers);
    EXPECT_EQ(browser.Active().last(), QStringLiteral("x (%1)").arg(ServerBrowser::kMaxAnswers - 1));
}

// Two real servers on the client's network and one on another: one broadcast finds the two, with
// their player counts; asking again keeps one entry each and follows the counts.
TEST_F(ServerBrowserTest, ServersOnTheLocalNetworkAnswerABroadcastOnceEach)
{
    ScriptedBrowser pages;
    ManualClock clock;
    std::vector<std::unique_ptr<FakeSocket>> sockets;
    std::vector<std::unique_ptr<GameServer>> servers;
    for (const char *address : {"10.0.0.1", "10.0.0.2", "10.1.0.3"}) {
        sockets.push_back(m_net.CreateSocket(QString::fromLatin1(address)));
        servers.push_back(std::make_unique<GameServer>(*sockets.back(), pages, clock));
        ASSERT_TRUE(servers.back()->Start(7200));
    }
    auto player = m_net.CreateSocket(QStringLiteral("10.0.0.20"));
    ASSERT_TRUE(player->Bind(7201));
    const auto join = [&](const QString &server, const QString &name) {
        player->SendTo(server, 7200, msg::Connect(modVersion::Version, name, QStringLiteral("7201"), {}));
        m_net.Deliver();
    };
    join(QStringLiteral("10.0.0.2"), QStringLiteral("Ann"));
    join(QStringLiteral("10.0.0.2"), QStringLiteral("Bob"));

    m_lan.addresses = {QStringLiteral("10.0.0.255")};
    auto factory = m_net.Factory(QStringLiteral("10.0.0.9"));
    ServerBrowser browser(modData, *factory, m_dialogs, m_lan);
    ASSERT_TRUE(browser.Load());
    QSignalSpy added(&browser, &ServerBrowser::ActiveAdded);
    QSignalSpy changed(&browser, &ServerBrowser::ActiveChanged);
    m_net.ClearSent();
    browser.Broadcast();
    ASSERT_EQ(m_net.Sent().size(), 1);
    EXPECT_EQ(m_net.Sent()[0].text, QStringLiteral("STATUS SERVER=10.0.0.255;PORT=7200;"));
    EXPECT_EQ(m_net.Sent()[0].toAddress, QStringLiteral("10.0.0.255"));
    EXPECT_EQ(m_net.Sent()[0].toPort, 7200);
    m_net.Deliver();
    EXPECT_EQ(browser.Active(), (QStringList{"10.0.0.1 (0)", "10.0.0.2 (2)"}));
    EXPECT_EQ(browser.FoundAddress(1), QStringLiteral("10.0.0.2"));
    EXPECT_EQ(browser.SpokenEntry(1), QStringLiteral("10.0.0.2, 2 players"));

    for (int tick = 0; tick < 3; ++tick) {
        browser.Broadcast();
        m_net.Deliver();
    }
    EXPECT_EQ(browser.Active().size(), 2) << "asked again, each server keeps its one entry";
    EXPECT_EQ(changed.count(), 0);

    join(QStringLiteral("10.0.0.1"), QStringLiteral("Cy"));
    browser.Broadcast();
    m_net.Deliver();
    EXPECT_EQ(browser.Active(), (QStringList{"10.0.0.1 (1)", "10.0.0.2 (2)"}));
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].toInt(), 0);
    EXPECT_EQ(changed[0][1].toString(), QStringLiteral("10.0.0.1 (1)"));
    EXPECT_EQ(browser.SpokenEntry(0), QStringLiteral("10.0.0.1, 1 player"));
    EXPECT_EQ(added.count(), 2);
}

// Which entry an answer lands in: known servers' answers are listed as they come, a found server
// has one entry per address, and the two meet when they name the same address.
TEST_F(ServerBrowserTest, FoundServersShareTheirAddressEntryWithKnownAnswers)
{
    SaveOption(QStringLiteral("Servers"), QStringLiteral("10.0.0.5"));
    m_lan.addresses = {QStringLiteral("10.0.0.255")};
    ServerBrowser browser(modData, *m_factory, m_dialogs, m_lan);
    ASSERT_TRUE(browser.Load());
    browser.Broadcast();
    struct Step {
        QString answer;
        QString sender;
        QStringList active;
        QList<bool> found;
    };
    const QList<Step> steps = {
        // The known server answers its own query, then the broadcast: one entry, now found too.
        {"STATUS VER=1.04 (beta);#=3;SERVER=10.0.0.5;", "10.0.0.5", {"10.0.0.5 (3)"}, {false}},
        {"STATUS VER=1.04 (beta);#=3;SERVER=10.0.0.255;", "10.0.0.5", {"10.0.0.5 (3)"}, {true}},
        // Found first, answered as a known server later: still one entry.
        {"STATUS #=1;SERVER=10.0.0.6;", "10.0.0.6", {"10.0.0.5 (3)", "10.0.0.6 (1)"}, {true, false}},
        {"STATUS #=4;SERVER=10.0.0.255;",
         "10.0.0.7",
         {"10.0.0.5 (3)", "10.0.0.6 (1)", "10.0.0.7 (4)"},
         {true, false, true}},
        {"STATUS #=2;SERVER=10.0.0.7;",
         "10.0.0.7",
         {"10.0.0.5 (3)", "10.0.0.6 (1)", "10.0.0.7 (2)"},
         {true, false, true}},
        // A broadcast address this browser never asked is an ordinary answer.
        {"STATUS #=5;SERVER=10.9.9.255;",
         "10.9.9.1",
         {"10.0.0.5 (3)", "10.0.0.6 (1)", "10.0.0.7 (2)", "10.9.9.255 (5)"},
         {true, false, true, false}},
        // An empty count is still no answer.
        {"STATUS #=;SERVER=10.0.0.255;",
         "10.0.0.5",
         {"10.0.0.5 (3)", "10.0.0.6 (1)", "10.0.0.7 (2)", "10.9.9.255 (5)"},
         {true, false, true, false}},
    };
    for (const Step &s : steps) {
        browser.HandleAnswer(s.answer, s.sender);
        EXPECT_EQ(browser.Active(), s.active) << s.answer.toStdString();
        for (int row = 0; row < s.found.size(); ++row)
            EXPECT_EQ(browser.FoundOnNetwork(row), s.found[row]) << s.answer.toStdString() << " row " << row;
    }
    // Choosing: a known item is selected, a found server's address is filled in, others do neither.
    EXPECT_EQ(browser.ItemForActiveEntry(browser.Active()[0]), 0);
    EXPECT_EQ(browser.FoundAddress(2), QStringLiteral("10.0.0.7"));
    EXPECT_EQ(browser.FoundAddress(1), QString());
    EXPECT_EQ(browser.FoundAddress(3), QString());
    EXPECT_EQ(browser.FoundAddress(9), QString());
    EXPECT_EQ(browser.SpokenEntry(0), QStringLiteral("10.0.0.5, 3 players"));
    EXPECT_EQ(browser.SpokenEntry(1), QStringLiteral("10.0.0.6, 1 player"));
}

TEST_F(ServerBrowserTest, AFloodOfFoundServersStopsGrowingTheListButCountsStillChange)
{
    m_lan.addresses = {QStringLiteral("10.0.255.255")};
    ServerBrowser browser(modData, *m_factory, m_dialogs, m_lan);
    ASSERT_TRUE(browser.Load());
    browser.Broadcast();
    const auto answer = [&](int i, int count) {
        browser.HandleAnswer(QStringLiteral("STATUS #=%1;SERVER=10.0.255.255;").arg(count),
                             QStringLiteral("10.0.%1.%2").arg(i / 250).arg(i % 250 + 1));
    };
    for (int i = 0; i < ServerBrowser::kMaxAnswers + 10; ++i)
        answer(i, 0);
    ASSERT_EQ(browser.Active().size(), ServerBrowser::kMaxAnswers);
    answer(0, 7);
    EXPECT_EQ(browser.Active().first(), QStringLiteral("10.0.0.1 (7)"));
    EXPECT_EQ(browser.Active().size(), ServerBrowser::kMaxAnswers);
}

TEST_F(ServerBrowserTest, JoinSavesTheOrderAndTheChoice)
{
    SaveOption(QStringLiteral("Servers"), QStringLiteral("a,B,c"));
    ServerBrowser browser(modData, *m_factory, m_dialogs, m_lan);
    ASSERT_TRUE(browser.Load());
    for (const QString &blank : {QString(), QStringLiteral(" .. "), QStringLiteral(".")}) {
        EXPECT_FALSE(browser.Join(blank));
        EXPECT_EQ(modData.ChosenServer, QString());
    }
    EXPECT_EQ(LoadOption(QStringLiteral("LastServer")), QString());

    EXPECT_TRUE(browser.Join(QStringLiteral("b")));
    EXPECT_EQ(modData.ChosenServer, QStringLiteral("b"));
    EXPECT_EQ(LoadOption(QStringLiteral("Servers")), QStringLiteral("b,a,c"));
    EXPECT_EQ(LoadOption(QStringLiteral("LastServer")), QStringLiteral("b"));
    browser.Cancel();
    EXPECT_EQ(modData.ChosenServer, QString());
}

TEST_F(ServerBrowserTest, NoFreePortIsFatal)
{
    std::vector<std::unique_ptr<FakeSocket>> holders;
    for (quint16 p = 7200; p <= 7220; ++p) {
        holders.push_back(m_net.CreateSocket());
        holders.back()->Bind(p);
    }
    ServerBrowser browser(modData, *m_factory, m_dialogs, m_lan);
    QSignalSpy ended(&browser, &ServerBrowser::FatalExit);
    qsizetype endedWhileOpen = -1;
    m_dialogs.OnMessage([&](const QString &) { endedWhileOpen = ended.count(); });
    EXPECT_FALSE(browser.Load());
    EXPECT_EQ(endedWhileOpen, 0);
    EXPECT_EQ(ended.count(), 1) << "the program ends once the box is closed";
    EXPECT_EQ(modData.OwnPort, QStringLiteral("-1"));
    ASSERT_EQ(m_dialogs.ShownBoxes().size(), 1);
    EXPECT_EQ(m_dialogs.ShownBoxes()[0].text,
              QStringLiteral("Critical error:\r\nCould not find a local port to bind to."));
    EXPECT_EQ(m_dialogs.ShownBoxes()[0].icon, MessageIcon::Critical);
    EXPECT_EQ(m_dialogs.ShownBoxes()[0].caption, QStringLiteral("Quillory"));
}

} // namespace
