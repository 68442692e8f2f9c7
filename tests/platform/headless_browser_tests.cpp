#include "PlatformTestSupport.h"
#include "TestSite.h"
#include "platform/qt/HeadlessBrowser.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>

namespace
{

const QString Suffix = QStringLiteral(" - Wikipedia, the free encyclopedia");

// Every event of a browser, in order: "nav <url>", "title <text>", "done", with Busy at each.
class BrowserLog
{
public:
    explicit BrowserLog(Browser &browser)
    {
        QObject::connect(&browser, &Browser::BeforeNavigate2,
                         [this](const QString &url) { events << "nav " + url; });
        QObject::connect(&browser, &Browser::TitleChange, [this, &browser](const QString &t) {
            events << "title " + t;
            busyAtTitle = browser.Busy();
        });
        QObject::connect(&browser, &Browser::DocumentComplete, [this, &browser](const QString &) {
            events << QStringLiteral("done");
            busyAtDone = browser.Busy();
            ++completes;
        });
    }
    QStringList events;
    int completes = 0;
    bool busyAtTitle = false;
    bool busyAtDone = true;
};

TEST(ExtractTitle, AsABrowserShowsIt)
{
    const struct {
        const char *html;
        const char *title; // nullptr: no title at all
    } cases[] = {
        {"<html><head><title>Dog - Wikipedia, the free encyclopedia</title>",
         "Dog - Wikipedia, the free encyclopedia"},
        {"<TITLE lang=\"en\">Tom &amp; Jerry</TITLE>", "Tom & Jerry"},
        {"<title>&lt;b&gt; &quot;q&quot; &#39;s&#39; &apos;</title>", "<b> \"q\" 's' '"},
        {"<title>&#233;t&#xE9; &#X1F600;</title>", "\xC3\xA9t\xC3\xA9 \xF0\x9F\x98\x80"},
        // Decoded once only; unknown names stay as written
        {"<title>&amp;lt; &bogus; & alone</title>", "&lt; &bogus; & alone"},
        // Numbers that are no character become the replacement character
        {"<title>a&#0;b&#xD800;c&#1114112;</title>", "a\xEF\xBF\xBD"
                                                     "b\xEF\xBF\xBD"
                                                     "c\xEF\xBF\xBD"},
        // Blanks and line breaks collapse and trim; a no-break space stays
        {"<title>\n   Dog \r\n\t -  Wikipedia  </title>", "Dog - Wikipedia"},
        {"<title>a&nbsp;b</title>", "a\xC2\xA0"
                                    "b"},
        {"<title>Zo\xC3\xAB \xE6\x97\xA5\xE6\x9C\xAC</title>", "Zo\xC3\xAB \xE6\x97\xA5\xE6\x9C\xAC"},
        // The first title counts; an unterminated one runs to the end
        {"<title>One</title><title>Two</title>", "One"},
        {"<title>Cut off", "Cut off"},
        {"<title></title>", ""},
        {"<titles>no</titles>", nullptr},
        {"<html><body>no title</body></html>", nullptr},
        {"", nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.html);
        const QString title = HeadlessBrowser::ExtractTitle(QByteArray(c.html));
        if (!c.title)
            EXPECT_TRUE(title.isNull()) << title.toStdString();
        else
            EXPECT_EQ(title, QString::fromUtf8(c.title));
    }
}

TEST(HeadlessBrowser, LoadsAPageAndReportsTitleThenComplete)
{
    TestSite site;
    ASSERT_NE(site.Port(), 0);
    site.AddTitled(QStringLiteral("wiki/Tom"), QStringLiteral("Tom &amp; Jerry") + Suffix);
    HeadlessBrowser browser;
    BrowserLog log(browser);

    EXPECT_FALSE(browser.Busy());
    browser.Navigate(site.Url(QStringLiteral("wiki/Tom")));
    EXPECT_TRUE(browser.Busy());
    ASSERT_TRUE(WaitFor([&] { return log.completes == 1; }));
    EXPECT_EQ(log.events, (QStringList{"nav " + site.Url(QStringLiteral("wiki/Tom")),
                                       "title Tom & Jerry" + Suffix, "done"}));
    EXPECT_TRUE(log.busyAtTitle);
    EXPECT_FALSE(log.busyAtDone);
    EXPECT_FALSE(browser.Busy());
}

TEST(HeadlessBrowser, FollowsRedirects)
{
    TestSite site;
    site.AddRedirect(QStringLiteral("wiki/Special:Random"), QStringLiteral("wiki/Hop"));
    site.AddRedirect(QStringLiteral("wiki/Hop"), QStringLiteral("wiki/Cat"));
    site.AddTitled(QStringLiteral("wiki/Cat"), QStringLiteral("Cat") + Suffix);
    HeadlessBrowser browser;
    BrowserLog log(browser);
    browser.Navigate(site.Url(QStringLiteral("wiki/Special:Random")));
    ASSERT_TRUE(WaitFor([&] { return log.completes == 1; }));
    EXPECT_EQ(log.events,
              (QStringList{"nav " + site.Url(QStringLiteral("wiki/Special:Random")),
                           "nav " + site.Url(QStringLiteral("wiki/Hop")),
                           "nav " + site.Url(QStringLiteral("wiki/Cat")), "title Cat" + Suffix, "done"}));
    EXPECT_EQ(browser.CurrentUrl(), site.Url(QStringLiteral("wiki/Cat")));
}

TEST(HeadlessBrowser, EndlessRedirectsEndWithoutATitle)
{
    TestSite site;
    site.AddRedirect(QStringLiteral("loop"), QStringLiteral("loop"));
    HeadlessBrowser browser;
    BrowserLog log(browser);
    browser.Navigate(site.Url(QStringLiteral("loop")));
    ASSERT_TRUE(WaitFor([&] { return log.completes == 1; }));
    EXPECT_FALSE(log.events.join('\n').contains(QStringLiteral("title ")));
    EXPECT_LE(site.Requests(QStringLiteral("loop")), HeadlessBrowser::MaxRedirects + 1);
}

TEST(HeadlessBrowser, PagesThatCannotBeHadCompleteWithoutATitle)
{
    // A port nobody listens on
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        closedPort = probe.serverPort();
    }
    const QString addresses[] = {
        QStringLiteral("http://127.0.0.1:%1/wiki/Main_Page").arg(closedPort),
        QStringLiteral("file:///etc/hostname"),
        QStringLiteral("about:blank"),
        QStringLiteral("not a url at all"),
        QString(),
    };
    for (const QString &url : addresses) {
        SCOPED_TRACE(url.toStdString());
        HeadlessBrowser browser;
        BrowserLog log(browser);
        browser.Navigate(url);
        // Completion never comes from inside Navigate
        EXPECT_EQ(log.completes, 0);
        EXPECT_TRUE(browser.Busy());
        ASSERT_TRUE(WaitFor([&] { return log.completes == 1; }));
        EXPECT_EQ(log.events, (QStringList{"nav " + url, "done"}));
        EXPECT_FALSE(browser.Busy());
    }
}

TEST(HeadlessBrowser, ErrorPagesShowTheirTitle)
{
    TestSite site;
    HeadlessBrowser browser;
    BrowserLog log(browser);
    browser.Navigate(site.Url(QStringLiteral("wiki/Nothing")));
    ASSERT_TRUE(WaitFor([&] { return log.completes == 1; }));
    EXPECT_TRUE(log.events.contains(QStringLiteral("title Not found")));
}

TEST(HeadlessBrowser, SilentServerTimesOut)
{
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    QList<QTcpSocket *> held;
    QObject::connect(&silent, &QTcpServer::newConnection, [&] { held << silent.nextPendingConnection(); });
    HeadlessBrowser browser;
    browser.SetTransferTimeout(300);
    BrowserLog log(browser);
    browser.Navigate(QStringLiteral("http://127.0.0.1:%1/wiki/Dog").arg(silent.serverPort()));
    ASSERT_TRUE(WaitFor([&] { return log.completes == 1; }, 10000));
    EXPECT_EQ(log.events.size(), 2);
    EXPECT_FALSE(browser.Busy());
}

TEST(HeadlessBrowser, HugePageIsCutButKeepsItsTitle)
{
    TestSite site;
    QByteArray html = "<html><head><title>Big</title></head><body>";
    html += QByteArray(3 * 1024 * 1024, 'x');
    html += "</body></html>";
    site.AddPage(QStringLiteral("big"), html);
    HeadlessBrowser browser;
    browser.SetMaxBodyBytes(64 * 1024);
    BrowserLog log(browser);
    browser.Navigate(site.Url(QStringLiteral("big")));
    ASSERT_TRUE(WaitFor([&] { return log.completes == 1; }, 10000));
    EXPECT_EQ(log.events.mid(1), (QStringList{"title Big", "done"}));
    RunEventsFor(200);
    EXPECT_EQ(log.completes, 1);
}

TEST(HeadlessBrowser, NewNavigationReplacesTheOneInProgress)
{
    TestSite site;
    site.AddTitled(QStringLiteral("a"), QStringLiteral("A"));
    site.AddTitled(QStringLiteral("b"), QStringLiteral("B"));
    HeadlessBrowser browser;
    BrowserLog log(browser);
    browser.Navigate(site.Url(QStringLiteral("a")));
    browser.Navigate(site.Url(QStringLiteral("b")));
    ASSERT_TRUE(WaitFor([&] { return log.completes >= 1; }));
    RunEventsFor(200);
    EXPECT_EQ(log.events, (QStringList{"nav " + site.Url(QStringLiteral("a")),
                                       "nav " + site.Url(QStringLiteral("b")), "title B", "done"}));
}

TEST(HeadlessBrowser, NavigatingFromInsideTitleChangeWins)
{
    TestSite site;
    site.AddTitled(QStringLiteral("a"), QStringLiteral("A"));
    site.AddTitled(QStringLiteral("b"), QStringLiteral("B"));
    HeadlessBrowser browser;
    BrowserLog log(browser);
    QObject::connect(&browser, &Browser::TitleChange, [&](const QString &t) {
        if (t == QLatin1String("A"))
            browser.Navigate(site.Url(QStringLiteral("b")));
    });
    browser.Navigate(site.Url(QStringLiteral("a")));
    ASSERT_TRUE(WaitFor([&] { return log.completes >= 1; }));
    RunEventsFor(200);
    EXPECT_EQ(log.events.mid(1),
              (QStringList{"title A", "nav " + site.Url(QStringLiteral("b")), "title B", "done"}));
}

TEST(HeadlessBrowser, GoBackReturnsToTheEarlierPage)
{
    TestSite site;
    site.AddTitled(QStringLiteral("a"), QStringLiteral("A"));
    site.AddRedirect(QStringLiteral("r"), QStringLiteral("b"));
    site.AddTitled(QStringLiteral("b"), QStringLiteral("B"));
    HeadlessBrowser browser;
    BrowserLog log(browser);
    browser.GoBack(); // nothing to go back to
    EXPECT_FALSE(browser.Busy());
    browser.Navigate(site.Url(QStringLiteral("a")));
    ASSERT_TRUE(WaitFor([&] { return log.completes == 1; }));
    browser.Navigate(site.Url(QStringLiteral("r")));
    ASSERT_TRUE(WaitFor([&] { return log.completes == 2; }));
    browser.GoBack();
    ASSERT_TRUE(WaitFor([&] { return log.completes == 3; }));
    EXPECT_EQ(log.events.mid(log.events.size() - 3),
              (QStringList{"nav " + site.Url(QStringLiteral("a")), "title A", "done"}));
    EXPECT_EQ(site.Requests(QStringLiteral("r")), 1);
}

} // namespace
