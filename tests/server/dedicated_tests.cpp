// The server without a window: settings at start, the operator's report, a clean stop.
#include "ServerHarness.h"

#include "server/DedicatedServer.h"
#include "server/SiteControl.h"
#include "settings/Options.h"

#include <QTemporaryDir>
#include <QTextStream>
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
