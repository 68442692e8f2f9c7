// A ZIM archive's pages in the game's real browser: rewritten links lead from article to article,
// and the page's stylesheet and picture load from the archive.
#include "site/http/SiteServer.h"
#include "site/zim/ZimSite.h"

#include "tests/common/ZimTestArchive.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <gtest/gtest.h>

namespace
{

class ZimInBrowser : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ZimTestArchive archive;
        archive.Title("Browser Test")
            .Main("Home")
            .Article("Home", "Home", "<p><a id=\"go\" href=\"./Dog\">Dogs</a></p>")
            .Article(
                "Dog", "Dog",
                "<link rel=\"stylesheet\" href=\"-/s.css\"><p><a id=\"rel\" href=\"../Cat#Food\">cats</a> "
                "<a id=\"gone\" href=\"Unicorn\">unicorn</a></p><img id=\"pic\" src=\"I/p.svg\">")
            .Article("Cat", "Cat",
                     "<p id=\"Food\"><a id=\"back\" href=\"Dog\">dogs</a> "
                     "<a id=\"cpp\" href=\"C%2B%2B\">code</a></p>")
            .Article("C++", "C++", "<p>A language.</p>")
            .Raw("-/s.css", "", "text/css", "p{color:rgb(1, 2, 3)}")
            .Raw("I/p.svg", "", "image/svg+xml",
                 "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"40\" height=\"30\"></svg>");
        const QString file = m_dir.filePath(QStringLiteral("b.zim"));
        ASSERT_TRUE(archive.Write(file));
        QString error;
        auto site = ZimSite::Open(file, &error);
        ASSERT_TRUE(site) << error.toStdString();
        ASSERT_TRUE(m_server.Start(site, QHostAddress::LocalHost, 0)) << m_server.ErrorString().toStdString();
        m_base = QStringLiteral("http://127.0.0.1:%1").arg(m_server.Port());
    }

    QString Load(const QString &path)
    {
        QSignalSpy finished(&m_page, &QWebEnginePage::loadFinished);
        m_page.load(QUrl(m_base + path));
        return finished.wait(30000) ? m_page.title() : QStringLiteral("(timeout)");
    }

    QString Click(const QString &id)
    {
        QSignalSpy finished(&m_page, &QWebEnginePage::loadFinished);
        m_page.runJavaScript(QStringLiteral("document.getElementById('%1').click()").arg(id));
        return finished.wait(30000) ? m_page.title() : QStringLiteral("(timeout)");
    }

    QVariant Evaluate(const QString &script)
    {
        QVariant result;
        bool done = false;
        m_page.runJavaScript(script, [&](const QVariant &v) {
            result = v;
            done = true;
        });
        (void)QTest::qWaitFor([&] { return done; }, 10000);
        return result;
    }

    QTemporaryDir m_dir;
    SiteServer m_server;
    QString m_base;
    QWebEngineProfile m_profile;
    QWebEnginePage m_page{&m_profile};
};

} // namespace

TEST_F(ZimInBrowser, RewrittenLinksLeadToTheNextArticle)
{
    ASSERT_EQ(Load(QStringLiteral("/wiki/Main_Page")),
              QStringLiteral("Main Page - Wikipedia, the free encyclopedia"));
    struct Step {
        const char *id;
        const char *title;
        const char *url; // the address the browser ends at
    };
    const Step steps[] = {
        {"go", "Dog - Wikipedia, the free encyclopedia", "/wiki/Dog"},
        {"rel", "Cat - Wikipedia, the free encyclopedia", "/wiki/Cat#Food"},
        {"back", "Dog - Wikipedia, the free encyclopedia", "/wiki/Dog"},
        {"rel", "Cat - Wikipedia, the free encyclopedia", "/wiki/Cat#Food"},
        {"cpp", "C++ - Wikipedia, the free encyclopedia", "/wiki/C%2B%2B"},
    };
    for (const Step &s : steps) {
        EXPECT_EQ(Click(QString::fromUtf8(s.id)), QString::fromUtf8(s.title)) << s.id;
        EXPECT_EQ(m_page.url().toString(QUrl::FullyEncoded), m_base + QString::fromUtf8(s.url)) << s.id;
    }
}

TEST_F(ZimInBrowser, ThePagesStylesheetAndPictureComeFromTheArchive)
{
    ASSERT_EQ(Load(QStringLiteral("/wiki/Dog")), QStringLiteral("Dog - Wikipedia, the free encyclopedia"));
    (void)QTest::qWaitFor(
        [&] { return Evaluate(QStringLiteral("document.getElementById('pic').complete")).toBool(); }, 10000);
    EXPECT_EQ(Evaluate(QStringLiteral("getComputedStyle(document.querySelector('p')).color")).toString(),
              QStringLiteral("rgb(1, 2, 3)"));
    EXPECT_EQ(Evaluate(QStringLiteral("document.getElementById('pic').naturalWidth")).toInt(), 40);
    EXPECT_EQ(Evaluate(QStringLiteral("document.getElementById('gone')")), QVariant())
        << "a link to a missing article is plain text";
    EXPECT_EQ(
        Evaluate(QStringLiteral("document.querySelectorAll('a[href=\"/wiki/Talk:Dog\"]').length")).toInt(),
        1);
}
