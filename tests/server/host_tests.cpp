// The server host over the fake network, with the window and the headless report as its two views:
// the encyclopedia starts and stops with the game, and both views tell the operator the same facts.
#include "ServerHarness.h"

#include "fakes/ScriptedDialogs.h"
#include "server/DedicatedServer.h"
#include "server/window/frmMain.h"
#include "settings/Options.h"

#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextStream>
#include <gtest/gtest.h>

namespace
{

struct FakeSite : SiteControl {
    bool Start(const QString &setting, QString *description, QString *error) override
    {
        settings << setting;
        *description = QStringLiteral("built-in encyclopedia (3 articles)");
        *error = startError;
        return up;
    }
    void Stop() override { ++stops; }
    SiteProgress Progress() const override { return progress; }

    bool up = true;
    QString startError;
    SiteProgress progress;
    QStringList settings; // one per start
    int stops = 0;
};

struct Host {
    Host() { modOptions::SetOptionsDirectory(dir.path()); }
    ~Host() { modOptions::SetOptionsDirectory(QString()); }

    QTemporaryDir dir;
    FakeNetwork net;
    std::unique_ptr<FakeSocket> socket = net.CreateSocket(QStringLiteral("10.0.0.1"));
    ScriptedBrowser browser;
    ManualClock clock;
    FakeSite site;
    ServerHost host{*socket, browser, clock, &site};
    ScriptedDialogs dialogs;
    frmMain form{host, dialogs};
    QString text;
    QTextStream out{&text};
    DedicatedServer headless{host, out};
};

TEST(ServerHost, TheEncyclopediaFollowsTheGameAndABindFailureSaysWhy)
{
    Host h;
    SaveOption(QStringLiteral("Encyclopedia"), QStringLiteral(" /data/wp.zim "));
    auto squatter = h.net.CreateSocket(QStringLiteral("10.0.0.1"));
    ASSERT_TRUE(squatter->Bind(7200));
    const QString taken = QStringLiteral("Could not bind UDP port 7200: Address in use");
    struct Step {
        const char *what;
        std::function<bool()> action;
        bool serving;
        QString bindError;
        int siteStarts, siteStops;
    };
    QString error;
    const Step steps[] = {
        {"port taken", [&] { return h.headless.Start(&error); }, false, taken, 0, 0},
        {"port freed", [&] { return squatter->Close(), h.host.Start(); }, true, "", 1, 0},
        {"started twice", [&] { return h.host.Start(); }, true, "", 1, 0},
        {"stopped", [&] { return h.host.Stop(), false; }, false, "", 1, 1},
        {"restarted", [&] { return h.host.Start(); }, true, "", 2, 1},
    };
    for (const Step &s : steps) {
        EXPECT_EQ(s.action(), s.serving) << s.what;
        EXPECT_EQ(h.host.Serving(), s.serving) << s.what;
        EXPECT_EQ(h.host.BindErrorText(), s.bindError) << s.what;
        EXPECT_EQ(h.form.lblStatus->text(), s.bindError) << s.what;
        EXPECT_EQ(h.form.cmdStop->isEnabled(), s.serving) << s.what;
        EXPECT_EQ(h.site.settings.size(), s.siteStarts) << s.what;
        EXPECT_EQ(h.site.stops, s.siteStops) << s.what;
    }
    EXPECT_EQ(error, taken) << "the headless server says it as the window does";
    EXPECT_EQ(h.site.settings.first(), "/data/wp.zim");
}

TEST(ServerHost, BothViewsTellTheSameEncyclopediaAndPlayers)
{
    const QString built = "built-in encyclopedia (3 articles)";
    const QString at = "browse it at http://10.0.0.1:7200/wiki/Main_Page";
    const QString taken = "Could not serve the encyclopedia on TCP port 7200: taken";
    const QString graph = "Building the link graph: 40%";
    struct Case {
        bool up;
        QString error;
        int percent;
        bool stopped;
        QString window, bar, report;
    };
    const Case cases[] = {
        {true, {}, 100, false, "Encyclopedia: " + built + "\nPlayers " + at, {}, built + ", players " + at},
        {true,
         taken,
         100,
         false,
         "Encyclopedia: " + built + "\nPlayers " + at + "\n" + taken,
         {},
         built + ", players " + at + " (" + taken + ")"},
        {false, taken, 100, false, taken, {}, "not served (" + taken + ")"},
        {true,
         {},
         40,
         false,
         "Encyclopedia: " + built + "\nPlayers " + at,
         graph,
         built + ", players " + at + "; " + graph},
        {true, {}, 40, true, "Encyclopedia: not served", {}, "not served"},
    };
    for (const Case &c : cases) {
        Host h;
        h.site.up = c.up;
        h.site.startError = c.error;
        h.site.progress = {"Building the link graph", c.percent};
        h.form.Form_Load();
        Peer ann(h.net, "10.0.0.2", 7201, "Ann");
        ann.send(ann.connect());
        h.net.Deliver();
        if (c.stopped)
            h.form.cmdStop->click();
        h.form.tmrInactiveUsers_Timer();
        const QString bar = h.form.prgSite->isVisibleTo(&h.form) ? h.form.prgSite->text() : QString();
        EXPECT_EQ(h.form.lblSite->text(), c.window) << c.window.toStdString();
        EXPECT_EQ(bar, c.bar) << c.window.toStdString();
        EXPECT_EQ(h.form.lstConnected->count(), c.stopped ? 0 : 1) << c.window.toStdString();
        EXPECT_EQ(h.headless.Report(), QString(c.stopped ? "Players (0): none" : "Players (1): Ann") +
                                           "\nEncyclopedia: " + c.report);
    }
}

} // namespace
