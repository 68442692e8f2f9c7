// The server window offscreen, over the fake network, with scripted dialogs.
#include "ServerHarness.h"
#include "common/AccessibleWalk.h"
#include "fakes/ScriptedDialogs.h"
#include "server/SiteControl.h"
#include "server/window/LocalSite.h"
#include "server/window/frmMain.h"
#include "settings/Options.h"
#include "settings/SiteSettings.h"
#include "tests/common/ZimTestArchive.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <arpa/inet.h>
#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace
{

struct FakeSite : SiteControl {
    bool Start(const QString &, QString *description, QString *error) override
    {
        ++starts;
        *description = "test corpus";
        error->clear();
        return true;
    }
    void Stop() override { ++stops; }
    SiteProgress Progress() const override { return progress; }
    SiteProgress progress;
    int starts = 0;
    int stops = 0;
};

struct Window {
    // `other` stands in for the fake site, set up with the settings folder already in place.
    explicit Window(std::function<std::unique_ptr<SiteControl>(const QString &settings)> other = {})
    {
        modOptions::SetOptionsDirectory(dir.path());
        socket = net.CreateSocket("10.0.0.1");
        if (other)
            realSite = other(dir.path());
        host = std::make_unique<ServerHost>(*socket, browser, clock,
                                            realSite ? realSite.get() : static_cast<SiteControl *>(&site));
        form = std::make_unique<frmMain>(*host, dialogs);
    }
    ~Window() { modOptions::SetOptionsDirectory(QString()); }
    Peer &peer(const QString &name, const QString &address, quint16 port = 7201)
    {
        peers.emplace_back(std::make_unique<Peer>(net, address, port, name));
        return *peers.back();
    }
    Peer &join(const QString &name, const QString &address)
    {
        Peer &p = peer(name, address);
        p.send(p.connect(form->txtPassword->text()));
        net.Deliver();
        return p;
    }
    QStringList listed() const
    {
        QStringList out;
        for (int i = 0; i < form->lstConnected->count(); ++i)
            out << form->lstConnected->item(i)->text();
        return out;
    }
    void select(const QString &name)
    {
        form->lstConnected->clearSelection();
        for (int i = 0; i < form->lstConnected->count(); ++i) {
            if (form->lstConnected->item(i)->text() == name)
                form->lstConnected->item(i)->setSelected(true);
        }
    }
    QByteArray file(const QString &name) const
    {
        QFile f(dir.filePath(name + ".dat"));
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }

    QTemporaryDir dir;
    FakeNetwork net;
    std::unique_ptr<FakeSocket> socket;
    ScriptedBrowser browser;
    ManualClock clock;
    ScriptedDialogs dialogs;
    FakeSite site;
    std::unique_ptr<SiteControl> realSite;
    std::unique_ptr<ServerHost> host;
    std::unique_ptr<frmMain> form;
    std::deque<std::unique_ptr<Peer>> peers;
};

struct StateView {
    QString caption;
    bool start;
    bool stop;
};

StateView view(const frmMain &f)
{
    return {f.windowTitle(), f.cmdStart->isEnabled(), f.cmdStop->isEnabled()};
}

TEST(ServerWindow, CaptionsAndButtonsFollowTheState)
{
    Window w;
    struct Step {
        const char *what;
        std::function<void()> action;
        StateView expected;
        int siteStarts;
        int siteStops;
    };
    const Step steps[] = {
        {"created", [] {}, {"Game Server", true, false}, 0, 0},
        {"loaded", [&] { w.form->Form_Load(); }, {"Server - 10.0.0.1 - 1.04 (beta)", false, true}, 1, 0},
        {"stopped", [&] { w.form->cmdStop->click(); }, {"Server - 1.04 (beta)", true, false}, 1, 1},
        {"started again",
         [&] { w.form->cmdStart->click(); },
         {"Server - 10.0.0.1 - 1.04 (beta)", false, true},
         2,
         1},
    };
    for (const Step &s : steps) {
        s.action();
        const StateView v = view(*w.form);
        EXPECT_EQ(v.caption, s.expected.caption) << s.what;
        EXPECT_EQ(v.start, s.expected.start) << s.what;
        EXPECT_EQ(v.stop, s.expected.stop) << s.what;
        EXPECT_EQ(w.site.starts, s.siteStarts) << s.what;
        EXPECT_EQ(w.site.stops, s.siteStops) << s.what;
    }
    EXPECT_TRUE(w.form->lblSite->text().contains("test corpus"));
    EXPECT_TRUE(w.form->lblSite->text().contains("http://10.0.0.1:7200/wiki/Main_Page"));
    EXPECT_EQ(w.form->lblWelcomeMessage->text(), "Welcome Message:");
    EXPECT_EQ(w.form->lblPassword->text(), "Password:");
    EXPECT_EQ(w.form->lblConnected->text(), "Connected:");
    EXPECT_EQ(w.form->tmrInactiveUsers->interval(), 2000);
    EXPECT_TRUE(w.form->tmrInactiveUsers->isActive());
}

// A screen reader finds a name for every box, list, entry and button of the window.
TEST(ServerWindow, EveryControlHasAnAccessibleName)
{
    Window w;
    w.form->Form_Load();
    w.join(QStringLiteral("Ann"), QStringLiteral("10.0.0.2"));
    ASSERT_EQ(w.listed(), QStringList{"Ann"});
    ExpectAllNamed(w.form.get(), 7,
                   {"Welcome Message", "Password", "Connected", "Ann", "Start Server", "Stop Server"});
}

TEST(ServerWindow, FailedBindStaysStoppedAndSaysWhy)
{
    Window w;
    auto squatter = w.net.CreateSocket("10.0.0.1");
    ASSERT_TRUE(squatter->Bind(7200));
    w.form->Form_Load();
    const StateView v = view(*w.form);
    EXPECT_TRUE(v.start);
    EXPECT_FALSE(v.stop);
    EXPECT_EQ(v.caption, "Server - 1.04 (beta)");
    EXPECT_EQ(w.form->lblStatus->text(), "Could not bind UDP port 7200: Address in use");
    EXPECT_EQ(w.site.starts, 0);

    squatter->Close();
    w.form->cmdStart->click();
    EXPECT_TRUE(w.form->lblStatus->text().isEmpty());
    EXPECT_EQ(view(*w.form).caption, "Server - 10.0.0.1 - 1.04 (beta)");
}

TEST(ServerWindow, LoadingSavesNothing)
{
    Window w;
    QFile welcome(w.dir.filePath("Welcome.dat"));
    ASSERT_TRUE(welcome.open(QIODevice::WriteOnly));
    welcome.write("Hi %p\r\nsecond line\r\n");
    welcome.close();
    QFile password(w.dir.filePath("Password.dat"));
    ASSERT_TRUE(password.open(QIODevice::WriteOnly));
    password.write("se=cr;et\r\n");
    password.close();

    w.form->Form_Load();
    EXPECT_EQ(w.form->txtWelcomeMessage->toPlainText(), "Hi %p");
    EXPECT_EQ(w.form->txtPassword->text(), "secret");
    // Had the load saved, the second line and the "=" would be gone.
    EXPECT_EQ(w.file("Welcome"), "Hi %p\r\nsecond line\r\n");
    EXPECT_EQ(w.file("Password"), "se=cr;et\r\n");
}

TEST(ServerWindow, EditsAreSavedAndPasswordIsCleanedAroundTheCaret)
{
    Window w;
    w.form->Form_Load();
    struct Case {
        QString before;
        int caret;
        QString typed;
        QString expected;
        int expectedCaret;
    };
    const Case cases[] = {
        {"secret", 3, "=;", "secret", 5}, // caret stays where it was, clamped to the text
        {"secret", 6, "=", "secret", 6},
        {"", 0, "a=b;c", "abc", 3},
        {"abc", 1, "x", "axbc", 2},
    };
    for (const Case &c : cases) {
        w.form->txtPassword->setText(c.before);
        w.form->txtPassword->setCursorPosition(c.caret);
        w.form->txtPassword->insert(c.typed);
        EXPECT_EQ(w.form->txtPassword->text(), c.expected) << c.typed.toStdString();
        EXPECT_EQ(w.form->txtPassword->cursorPosition(), c.expectedCaret) << c.typed.toStdString();
        EXPECT_EQ(w.file("Password"), (c.expected + "\r\n").toUtf8());
    }
    w.form->txtWelcomeMessage->setPlainText("Welcome to %ip");
    EXPECT_EQ(w.file("Welcome"), "Welcome to %ip\r\n");

    // The password in the box is the one the server asks for.
    w.form->txtPassword->setText("abc");
    Peer &ann = w.peer("Ann", "10.0.0.2");
    ann.send(ann.connect());
    w.net.Deliver();
    EXPECT_EQ(ann.take(), QStringList({"NEEDPWD"}));
    ann.send(ann.connect("abc"));
    w.net.Deliver();
    EXPECT_EQ(ann.take(),
              QStringList({"MESSAGE Welcome to 10.0.0.1", "ISHOST NAME=Ann;", "CONNECTACCEPT PLAYING=no;"}));
}

TEST(ServerWindow, ListMirrorsTheTable)
{
    Window w;
    w.form->Form_Load();
    Peer &ann = w.join("Ann", "10.0.0.2");
    w.join("Bob", "10.0.0.3");
    w.join("Cy", "10.0.0.4");
    EXPECT_EQ(w.listed(), QStringList({"Ann", "Bob", "Cy"}));
    ann.send("DISCONNECT NAME=ANN;");
    w.net.Deliver();
    EXPECT_EQ(w.listed(), QStringList({"Bob", "Cy"}));
    w.form->Server().Players().Players(2).Inactive = 18;
    w.form->tmrInactiveUsers_Timer();
    EXPECT_EQ(w.listed(), QStringList({"Bob"}));
}

TEST(ServerWindow, DoubleClickBansAndUnbans)
{
    Window w;
    w.form->Form_Load();
    w.join("Ann", "10.0.0.2");
    Peer &bob = w.join("Bob", "10.0.0.3");
    bob.take();

    w.form->lstConnected->clearSelection();
    w.form->lstConnected_DblClick();
    EXPECT_TRUE(w.dialogs.ShownBoxes().isEmpty());

    w.select("Bob");
    w.dialogs.QueueYesNo(false);
    w.form->lstConnected_DblClick();
    EXPECT_FALSE(w.form->Server().Players().Players(2).Banned);

    w.dialogs.QueueYesNo(true);
    w.form->lstConnected_DblClick();
    w.net.Deliver();
    EXPECT_TRUE(w.form->Server().Players().Players(2).Banned);
    EXPECT_EQ(bob.take(), QStringList({"BYE REASON=banned;", "DISCONNECT"}));
    EXPECT_EQ(w.listed(), QStringList({"Ann", "Bob"})); // the banned record stays listed

    w.dialogs.QueueYesNo(true);
    w.form->lstConnected_DblClick();
    EXPECT_FALSE(w.form->Server().Players().Players(2).Banned);
    w.form->tmrInactiveUsers_Timer();
    EXPECT_EQ(w.listed(), QStringList({"Ann"}));

    ASSERT_EQ(w.dialogs.ShownBoxes().size(), 3);
    EXPECT_EQ(w.dialogs.Texts(), QStringList({"Ban player Bob?", "Ban player Bob?", "Unban player Bob?"}));
    EXPECT_EQ(w.dialogs.ShownBoxes().at(0).caption, "QuilloryServer");
    EXPECT_EQ(w.dialogs.ShownBoxes().at(0).icon, MessageIcon::Question);
}

TEST(ServerWindow, AnswerAfterThePlayerLeftChangesNothing)
{
    Window w;
    w.form->Form_Load();
    Peer &ann = w.join("Ann", "10.0.0.2");
    w.select("Ann");
    w.dialogs.OnQuestion([&](const QString &) {
        ann.send("DISCONNECT NAME=Ann;"); // leaves while the box is open
        w.net.Deliver();
        w.join("Ann", "10.0.0.7"); // and someone else takes the name
        return true;
    });
    w.form->lstConnected_DblClick();
    ASSERT_EQ(w.form->Server().Players().PlayerCount(), 1);
    EXPECT_FALSE(w.form->Server().Players().Players(1).Banned);
    EXPECT_EQ(w.form->Server().Players().Players(1).Address, "10.0.0.7");
}

TEST(ServerWindow, StopAndCloseDisconnectEveryone)
{
    for (const bool close : {false, true}) {
        Window w;
        w.form->Form_Load();
        Peer &ann = w.join("Ann", "10.0.0.2");
        Peer &bob = w.join("Bob", "10.0.0.3");
        ann.take();
        bob.take();
        if (close)
            w.form->close();
        else
            w.form->cmdStop->click();
        w.net.Deliver();
        EXPECT_EQ(ann.take(), QStringList({"BYE REASON=stopped;", "DISCONNECT"})) << close;
        EXPECT_EQ(bob.take(), QStringList({"BYE REASON=stopped;", "DISCONNECT"})) << close;
        EXPECT_TRUE(w.listed().isEmpty()) << close;
        EXPECT_FALSE(w.net.IsBound("10.0.0.1", 7200)) << close;
    }
}

} // namespace

TEST(ServerWindow, TheEncyclopediaChoiceIsSavedAndServedAtOnce)
{
    Window w;
    w.form->Form_Load();
    struct Step {
        std::optional<QString> answer;
        bool serving;
        const char *setting;
        int starts, stops;
    };
    const Step steps[] = {
        {std::nullopt, true, "", 1, 0},                                          // cancelled: nothing changes
        {QStringLiteral("/data/wp.zim"), true, "/data/wp.zim", 2, 1},            // serving: restarted with it
        {QString(), true, "", 3, 2},                                             // back to the built-in one
        {QStringLiteral("/data/wikispeedia"), false, "/data/wikispeedia", 3, 3}, // stopped: only saved
    };
    for (const Step &s : steps) {
        if (!s.serving && w.form->cmdStop->isEnabled())
            w.form->cmdStop->click();
        w.dialogs.QueueEncyclopedia(s.answer);
        w.form->cmdEncyclopedia->click();
        EXPECT_EQ(site::EncyclopediaSetting(), QString::fromUtf8(s.setting)) << s.setting;
        EXPECT_EQ(w.site.starts, s.starts) << s.setting;
        EXPECT_EQ(w.site.stops, s.stops) << s.setting;
    }
    EXPECT_EQ(w.dialogs.ShownBoxes().last().kind, QStringLiteral("encyclopedia"));
    EXPECT_EQ(w.dialogs.ShownBoxes().last().text, QString()) << "asked with the setting as it stood";
}

TEST(ServerWindow, ShowsTheArchiveItServesOrWhyItCouldNot)
{
    QTemporaryDir data;
    const QString good = data.filePath(QStringLiteral("rocks.zim"));
    ZimTestArchive archive;
    archive.Title("Rocks of the World").Main("Home").Article("Home", "Home", "<p>Rocks</p>");
    archive.Article("Basalt", "Basalt", "<p>Dark.</p>").Article("Chalk", "Chalk", "<p>White.</p>");
    ASSERT_TRUE(archive.Write(good));
    const QString bad = data.filePath(QStringLiteral("cut.zim"));
    {
        QFile in(good), out(bad);
        ASSERT_TRUE(in.open(QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly));
        out.write(in.readAll().left(200));
    }
    QTemporaryDir cache;
    Window w([&](const QString &) { return std::make_unique<LocalSite>(0, cache.path()); });
    w.dialogs.QueueEncyclopedia(good);
    w.form->Form_Load();
    w.form->cmdEncyclopedia->click();
    const QString shown = w.form->lblSite->text();
    EXPECT_TRUE(shown.contains(QLatin1String("\"Rocks of the World\" (3 articles)"))) << shown.toStdString();
    // The index and the link graph of so small an archive are ready within moments; the next tick
    // drops the progress line.
    QTest::qWait(200);
    w.form->tmrInactiveUsers_Timer();
    EXPECT_FALSE(w.form->lblSite->text().contains(QLatin1String("Building")))
        << w.form->lblSite->text().toStdString();
    EXPECT_EQ(QDir(cache.path()).entryList({QStringLiteral("*.links")}).size(), 1)
        << "the graph kept for next time";

    w.dialogs.QueueEncyclopedia(bad);
    w.form->cmdEncyclopedia->click();
    const QString failed = w.form->lblSite->text();
    EXPECT_TRUE(failed.contains(QLatin1String("built-in encyclopedia"))) << failed.toStdString();
    EXPECT_TRUE(failed.contains(QLatin1String("Could not load the encyclopedia ") + bad))
        << failed.toStdString();
}

TEST(ServerWindow, ParOnlyWhenPlayersBrowseTheEncyclopediaServedHere)
{
    for (const char *siteSetting : {"", "en.wikipedia.org"}) {
        Window w([](const QString &) { return std::make_unique<LocalSite>(0, QString()); });
        SaveOption(QStringLiteral("Site"), QLatin1String(siteSetting));
        w.form->Form_Load();
        Peer &ann = w.join("Ann", "10.0.0.2");
        Peer &bob = w.join("Bob", "10.0.0.3");
        ann.send(QStringLiteral("SETWORDS COUNT=1;WORD0=Cat;WORD1=River;"));
        w.net.Deliver();
        const QStringList heard = bob.take().filter(QStringLiteral("NAME=GAME"));
        const QStringList expected =
            *siteSetting ? QStringList()
                         : QStringList{"CHAT NAME=GAME;TEXT=Shortest route from Cat to River: 2 clicks."};
        EXPECT_EQ(heard, expected) << "Site: " << siteSetting;
    }
}

TEST(ServerWindow, BotsOnlyWhenPlayersBrowseTheEncyclopediaServedHere)
{
    for (const char *siteSetting : {"", "en.wikipedia.org"}) {
        Window w([](const QString &) { return std::make_unique<LocalSite>(0, QString()); });
        SaveOption(QStringLiteral("Site"), QLatin1String(siteSetting));
        w.form->Form_Load();
        Peer &ann = w.join("Ann", "10.0.0.2");
        ann.take();
        ann.send(QStringLiteral("CHAT NAME=Ann;TEXT=/bot hard"));
        w.net.Deliver();
        const QStringList heard = ann.take();
        if (*siteSetting) {
            EXPECT_EQ(heard,
                      QStringList{"CHAT NAME=GAME;TEXT=Bots play only on this server's own encyclopedia, "
                                  "once its link graph is ready; there is none here now."});
        } else {
            EXPECT_EQ(heard.value(0), QStringLiteral("JOIN NAME=Ada (bot);"));
            EXPECT_EQ(w.form->lstConnected->count(), 2) << "the bot is listed as a player";
        }
    }
}

TEST(ServerWindow, BackgroundWorkShowsAsAProgressBar)
{
    Window w;
    w.form->Form_Load();
    EXPECT_FALSE(w.form->prgSite->isVisibleTo(w.form.get()));
    w.site.progress = {"Building the link graph", 40};
    w.form->tmrInactiveUsers_Timer();
    EXPECT_TRUE(w.form->prgSite->isVisibleTo(w.form.get()));
    EXPECT_EQ(w.form->prgSite->text(), "Building the link graph: 40%");
    w.site.progress = {};
    w.form->tmrInactiveUsers_Timer();
    EXPECT_FALSE(w.form->prgSite->isVisibleTo(w.form.get())) << "gone when the work is done";
    w.site.progress = {"Building the title index", 10};
    w.form->cmdStop->click();
    w.form->tmrInactiveUsers_Timer();
    EXPECT_FALSE(w.form->prgSite->isVisibleTo(w.form.get())) << "nothing runs for a stopped server";
}

namespace
{

// One page over a plain socket, as a browser asks for it: the status line, or "" when nothing came
// within the time.
std::string FetchStatusLine(quint16 port, const char *path, int timeoutMs)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string answer;
    if (::connect(fd, reinterpret_cast<sockaddr *>(&to), sizeof to) == 0) {
        const std::string request = std::string("GET ") + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
        if (::send(fd, request.data(), request.size(), 0) == ssize_t(request.size())) {
            char buffer[256];
            const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
            if (got > 0)
                answer.assign(buffer, size_t(got));
        }
    }
    ::close(fd);
    return answer.substr(0, answer.find("\r\n"));
}

// Pages are made on the site's own thread: a page is answered while the game's thread waits and
// runs no events at all, so a room of browsers never holds up a datagram of the game.
TEST(LocalSiteThread, PagesAreAnsweredWhileTheGameThreadIsBusy)
{
    QTemporaryDir cache;
    LocalSite site(0, cache.path());
    QString description, error;
    ASSERT_TRUE(site.Start(QString(), &description, &error)) << error.toStdString();
    ASSERT_NE(site.Port(), 0);
    auto page = std::async(std::launch::async,
                           [port = site.Port()] { return FetchStatusLine(port, "/wiki/Main_Page", 5000); });
    ASSERT_EQ(page.wait_for(std::chrono::seconds(6)), std::future_status::ready);
    EXPECT_EQ(page.get(), "HTTP/1.1 200 OK");
    EXPECT_TRUE(site.Route(QStringLiteral("Cat"), QStringLiteral("Dog")).has_value());

    // Stopped, the port is closed before Stop returns.
    const quint16 port = site.Port();
    site.Stop();
    EXPECT_EQ(FetchStatusLine(port, "/wiki/Main_Page", 1000), "");
    EXPECT_FALSE(site.Route(QStringLiteral("Cat"), QStringLiteral("Dog")).has_value());
}

} // namespace
