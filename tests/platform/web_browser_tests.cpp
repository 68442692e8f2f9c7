#include "PlatformTestSupport.h"
#include "TestSite.h"
#include "platform/qt/WebBrowser.h"

#include <QElapsedTimer>
#include <QWidget>
#include <gtest/gtest.h>
#include <iostream>

namespace
{

const QString Marker = QStringLiteral("Wikipedia, the free encyclopedia");
const QString Suffix = QStringLiteral(" - ") + Marker;

// Everything the browser reports, in order.
class Watcher
{
public:
    explicit Watcher(Browser &browser)
    {
        QObject::connect(&browser, &Browser::BeforeNavigate2,
                         [this](const QString &url) { navigations << url; });
        QObject::connect(&browser, &Browser::TitleChange, [this](const QString &t) {
            // Chromium shows the address as the title until the page's own title is read.
            if (t.contains(Marker))
                titles << t;
        });
        QObject::connect(&browser, &Browser::DocumentComplete, [this, &browser](const QString &) {
            ++completes;
            busyAtComplete = browser.Busy();
        });
    }
    QStringList navigations;
    QStringList titles;
    int completes = 0;
    bool busyAtComplete = true;
};

class WebBrowserTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE(site.Port(), 0);
        site.AddTitled(QStringLiteral("wiki/One"), QStringLiteral("One") + Suffix,
                       QStringLiteral("<a id=\"two\" href=\"/wiki/Two\">two</a>"));
        site.AddTitled(
            QStringLiteral("wiki/Two"), QStringLiteral("Two") + Suffix,
            QStringLiteral(
                "<iframe src=\"/frame/Ad\"></iframe><p style=\"margin-top:3000px\" id=\"s\">s</p>"));
        site.AddTitled(QStringLiteral("frame/Ad"), QStringLiteral("Ad"));
        site.AddRedirect(QStringLiteral("wiki/Special:Random"), QStringLiteral("wiki/Three"));
        site.AddTitled(QStringLiteral("wiki/Three"), QStringLiteral("Tom &amp; Jerry") + Suffix);
        window.resize(800, 600);
        sinceCreated.start();
        browser = std::make_unique<WebBrowser>(&window);
        browser->Widget()->setGeometry(8, 8, 800 - 16, 600 - 16);
        window.show();
        watcher = std::make_unique<Watcher>(*browser);
    }

    bool waitComplete(int count)
    {
        return WaitFor([&] { return watcher->completes >= count; }, 60000);
    }

    TestSite site;
    QElapsedTimer sinceCreated;
    QWidget window;
    std::unique_ptr<WebBrowser> browser;
    std::unique_ptr<Watcher> watcher;
};

TEST_F(WebBrowserTest, BrowsesLikeAPlayer)
{
    EXPECT_EQ(browser->Widget()->parentWidget(), &window);
    EXPECT_FALSE(browser->Busy());

    // First page: busy at once, title, then idle
    QElapsedTimer shown;
    shown.start();
    qint64 firstTitleMs = -1;
    qint64 firstTitleSinceCreatedMs = -1;
    QObject::connect(browser.get(), &Browser::TitleChange, [&](const QString &t) {
        if (firstTitleMs < 0 && t.contains(Marker)) {
            firstTitleMs = shown.elapsed();
            firstTitleSinceCreatedMs = sinceCreated.elapsed();
        }
    });
    browser->Navigate(site.Url(QStringLiteral("wiki/One")));
    EXPECT_TRUE(browser->Busy());
    ASSERT_TRUE(WaitFor([&] { return !watcher->titles.isEmpty() && !browser->Busy(); }, 60000));
    std::cout << "[ figure ] first QtWebEngine page showed its title " << firstTitleMs
              << " ms after Navigate, " << firstTitleSinceCreatedMs << " ms after the browser was created"
              << std::endl;
    EXPECT_EQ(watcher->titles, QStringList{"One" + Suffix});
    EXPECT_TRUE(watcher->navigations.contains(site.Url(QStringLiteral("wiki/One"))));
    EXPECT_FALSE(watcher->busyAtComplete);

    // A click on a link: the page and its frame are both reported before they load
    watcher->navigations.clear();
    const int before = watcher->completes;
    browser->RunJavaScript(QStringLiteral("document.getElementById('two').click();"));
    ASSERT_TRUE(WaitFor([&] { return watcher->titles.size() == 2; }, 60000));
    ASSERT_TRUE(
        WaitFor([&] { return watcher->navigations.contains(site.Url(QStringLiteral("frame/Ad"))); }, 60000));
    ASSERT_TRUE(WaitFor([&] { return !browser->Busy() && watcher->completes > before; }, 60000));
    EXPECT_EQ(watcher->navigations.value(0), site.Url(QStringLiteral("wiki/Two")));
    EXPECT_EQ(watcher->titles, (QStringList{"One" + Suffix, "Two" + Suffix}));

    // A jump within the page never leaves the browser busy
    browser->Navigate(site.Url(QStringLiteral("wiki/Two#s")));
    EXPECT_TRUE(WaitFor([&] { return !browser->Busy(); }, 10000));
    EXPECT_EQ(watcher->titles.size(), 2);

    // A redirect is followed, and the title comes as the site sends it
    watcher->navigations.clear();
    browser->Navigate(site.Url(QStringLiteral("wiki/Special:Random")));
    EXPECT_TRUE(browser->Busy());
    ASSERT_TRUE(
        WaitFor([&] { return watcher->titles.last() == "Tom & Jerry" + Suffix && !browser->Busy(); }, 60000));
    EXPECT_TRUE(watcher->navigations.contains(site.Url(QStringLiteral("wiki/Special:Random"))));
    EXPECT_TRUE(watcher->navigations.contains(site.Url(QStringLiteral("wiki/Three"))));
    EXPECT_EQ(site.Requests(QStringLiteral("wiki/Three")), 1);

    // Back to the page before
    browser->GoBack();
    ASSERT_TRUE(WaitFor([&] { return watcher->titles.last() == "Two" + Suffix && !browser->Busy(); }, 60000))
        << watcher->titles.join('|').toStdString() << " busy " << browser->Busy();
    EXPECT_EQ(watcher->titles,
              (QStringList{"One" + Suffix, "Two" + Suffix, "Tom & Jerry" + Suffix, "Two" + Suffix}));
}

TEST_F(WebBrowserTest, GoBackWithNoHistoryStaysIdle)
{
    browser->GoBack();
    EXPECT_FALSE(browser->Busy());
}

TEST_F(WebBrowserTest, UnreachablePageCompletesAndIdles)
{
    quint16 closedPort = 0;
    {
        TestSite other;
        closedPort = other.Port();
    }
    browser->Navigate(QStringLiteral("http://127.0.0.1:%1/wiki/Dog").arg(closedPort));
    ASSERT_TRUE(waitComplete(1));
    EXPECT_TRUE(WaitFor([&] { return !browser->Busy(); }, 10000));
    EXPECT_TRUE(watcher->titles.isEmpty());
}

TEST(WebBrowserLifetime, WindowClosingFirstOrLastIsSafe)
{
    {
        auto window = std::make_unique<QWidget>();
        WebBrowser browser(window.get());
        window.reset(); // the window takes the view with it
        EXPECT_EQ(browser.Widget(), nullptr);
        browser.Navigate(QStringLiteral("about:blank"));
        browser.GoBack();
    }
    {
        QWidget window;
        auto browser = std::make_unique<WebBrowser>(&window);
        browser.reset();
        EXPECT_TRUE(window.findChildren<QWidget *>().isEmpty());
    }
}

} // namespace
