// The server without a window: settings at start, the operator's report, a clean stop.
#include "ServerHarness.h"

#include "server/DedicatedServer.h"
#include "server/SiteControl.h"
#include "settings/Options.h"

#include <QTemporaryDir>
#include <QTextStream>
#include <functional>
#include <gtest/gtest.h>

namespace
{

struct FakeSite : SiteControl {
    bool Start(const QString &, QString *description, QString *error) override
    {
        *description = QStringLiteral("built-in encyclopedia (3 articles)");
        *error = startError;
        return up;
    }
    void Stop() override { ++stops; }
    SiteProgress Progress() const override { return progress; }

    bool up = true;
    QString startError;
    SiteProgress progress;
    int stops = 0;
};

struct Dedicated {
    explicit Dedicated(const QMap<QString, QString> &settings = {})
    {
        modOptions::SetOptionsDirectory(dir.path());
        for (auto it = settings.begin(); it != settings.end(); ++it)
            SaveOption(it.key(), it.value());
    }
    ~Dedicated() { modOptions::SetOptionsDirectory(QString()); }
    // The lines printed since the last call.
    QStringList printed()
    {
        const QStringList lines = text.split('\n', Qt::SkipEmptyParts);
        text.clear();
        return lines;
    }

    QTemporaryDir dir;
    FakeNetwork net;
    std::unique_ptr<FakeSocket> socket = net.CreateSocket("10.0.0.1");
    ScriptedBrowser browser;
    ManualClock clock;
    FakeSite site;
    QString text;
    QTextStream out{&text};
    ServerHost host{*socket, browser, clock, &site};
    DedicatedServer server{host, out};
};

const QString kAt = "2006-09-04T09:05:07 ";

TEST(DedicatedServer, ServesWithTheSettingsAndReportsOnlyChanges)
{
    Dedicated d({{"Welcome", "%p on %v"}, {"Password", "se=cr;et"}});
    QString error;
    ASSERT_TRUE(d.server.Start(&error)) << error.toStdString();
    EXPECT_EQ(d.printed(), QStringList({kAt + "Players (0): none",
                                        kAt + "Encyclopedia: built-in encyclopedia (3 articles), players "
                                              "browse it at http://10.0.0.1:7200/wiki/Main_Page"}));
    d.server.ReportTick();
    EXPECT_EQ(d.printed(), QStringList()) << "nothing changed, nothing printed";

    // The password loses the characters the window would strip too.
    Peer ann(d.net, "10.0.0.2", 7201, "Ann");
    ann.send(ann.connect("secret"));
    // A name that tries to forge a line of the report stays on its own line.
    Peer eve(d.net, "10.0.0.3", 7201, "Eve\nPlayers (9): forged");
    eve.send(eve.connect("secret"));
    d.net.Deliver();
    EXPECT_EQ(ann.take().value(0), "MESSAGE 1 on 1.04 (beta)");
    EXPECT_EQ(d.printed(), QStringList({kAt + "Ann joined (1 player)",
                                        kAt + "Eve\uFFFDPlayers (9): forged joined (2 players)"}));
    d.site.progress = {"Building the title index", 40};
    d.server.ReportTick();
    EXPECT_EQ(d.printed(),
              QStringList({kAt + "Players (2): Ann, Eve\uFFFDPlayers (9): forged",
                           kAt + "Encyclopedia: built-in encyclopedia (3 articles), players browse it at "
                                 "http://10.0.0.1:7200/wiki/Main_Page; Building the title index: 40%"}));

    d.server.Stop();
    d.net.Deliver();
    EXPECT_EQ(ann.take(), QStringList({"BYE REASON=stopped;", "DISCONNECT"}));
    EXPECT_EQ(d.site.stops, 1);
}

// Each event is told on its own line as it happens, without waiting for the report.
TEST(DedicatedServer, TellsPlayersAndRoundsAsTheyComeAndGo)
{
    Dedicated d;
    QString error;
    ASSERT_TRUE(d.server.Start(&error)) << error.toStdString();
    d.printed();
    Peer ann(d.net, "10.0.0.2", 7201, "Ann");
    Peer bob(d.net, "10.0.0.3", 7201, "Bob");
    Peer eve(d.net, "10.0.0.4", 7201, "Eve\r\nRound 9 won by Eve");
    const auto say = [&](Peer &p, const QString &text) {
        p.send(text);
        d.net.Deliver();
    };
    struct Step {
        const char *what;
        std::function<void()> act;
        QStringList lines;
    };
    const Step steps[] = {
        {"a player joins", [&] { say(ann, ann.connect()); }, {"Ann joined (1 player)"}},
        {"another joins", [&] { say(bob, bob.connect()); }, {"Bob joined (2 players)"}},
        {"a round starts",
         [&] { say(ann, msg::SetWords("Apple", "Banana")); },
         {"Round 1 started: Apple --> Banana"}},
        {"a player reaches the destination",
         [&] { say(bob, msg::Navigate("Bob", "Banana")); },
         {"Round 1 won by Bob"}},
        {"a late report of the destination ends no round again",
         [&] { say(ann, msg::Navigate("Ann", "Banana")); },
         {}},
        {"the winner starts the next round",
         [&] { say(bob, msg::SetWords("Apple", "Cherry")); },
         {"Round 2 started: Apple --> Cherry"}},
        {"everybody opens a talk page",
         [&] {
             say(ann, msg::Navigate("Ann", "talk"));
             say(bob, msg::Navigate("Bob", "talk"));
         },
         {"Round 2 ended: every player is out"}},
        {"a round called off",
         [&] {
             say(ann, msg::SetWords("Apple", "Date"));
             say(ann, msg::NewGameRequest());
         },
         {"Round 3 started: Apple --> Date", "Round 3 called off"}},
        {"calling off again ends no round", [&] { say(ann, msg::NewGameRequest()); }, {}},
        {"a name that forges a line stays on its own",
         [&] { say(eve, eve.connect()); },
         {"Eve\uFFFD\uFFFDRound 9 won by Eve joined (3 players)"}},
        {"a player leaves", [&] { say(ann, msg::Disconnect("Ann")); }, {"Ann left (2 players)"}},
        {"a silent player is dropped after 20 seconds",
         [&] {
             for (int tick = 0; tick < 10; ++tick)
                 d.host.InactivityTick();
         },
         {"Bob left (1 player)"}},
        {"the stop says it once for everybody",
         [&] { d.server.Stop(); },
         {"Stopped; 1 player told to disconnect"}},
    };
    for (const Step &step : steps) {
        step.act();
        QStringList expected;
        for (const QString &line : step.lines)
            expected << kAt + line;
        EXPECT_EQ(d.printed(), expected) << step.what;
    }
}

TEST(DedicatedServer, SaysWhatIsNotServed)
{
    Dedicated d;
    d.site.up = false;
    d.site.startError = "Could not serve the encyclopedia on TCP port 7200: taken";
    QString error;
    ASSERT_TRUE(d.server.Start(&error)) << "the game is served without its encyclopedia";
    EXPECT_EQ(d.printed().value(1),
              kAt + "Encyclopedia: not served (Could not serve the encyclopedia on TCP port 7200: taken)");

    // The game port taken: nothing is served and the reason is told.
    Dedicated taken;
    auto squatter = taken.net.CreateSocket("10.0.0.1");
    ASSERT_TRUE(squatter->Bind(7200));
    EXPECT_FALSE(taken.server.Start(&error));
    EXPECT_TRUE(error.startsWith("Could not bind UDP port 7200")) << error.toStdString();
    EXPECT_EQ(taken.printed(), QStringList());
}

} // namespace
