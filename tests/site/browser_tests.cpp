#include "site/corpus/BuiltinCorpus.h"
#include "site/http/SiteServer.h"

#include <QSignalSpy>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <gtest/gtest.h>

// The site as the game's browser sees it: real pages in QtWebEngine, titles as the title rules read them.
namespace
{

class SiteInBrowser : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_server.Start(BuiltinCorpus(), QHostAddress::LocalHost, 0))
            << m_server.ErrorString().toStdString();
        m_base = QStringLiteral("http://127.0.0.1:%1").arg(m_server.Port());
    }

    // Loads an address typed as the game types it, and returns the title the page ends with.
    QString Load(const QString &pathAndQuery)
    {
        QSignalSpy finished(&m_page, &QWebEnginePage::loadFinished);
        m_page.load(QUrl(m_base + pathAndQuery));
        if (!finished.wait(30000))
            return QStringLiteral("(timeout)");
        return m_page.title();
    }

    QString Click(const QString &selector)
    {
        QSignalSpy finished(&m_page, &QWebEnginePage::loadFinished);
        m_page.runJavaScript(QStringLiteral("document.querySelector('%1').click()").arg(selector));
        if (!finished.wait(30000))
            return QStringLiteral("(timeout)");
        return m_page.title();
    }

    SiteServer m_server;
    QString m_base;
    QWebEngineProfile m_profile; // off the record: nothing cached between tests
    QWebEnginePage m_page{&m_profile};
};

} // namespace

TEST_F(SiteInBrowser, PagesLoadWithTheTitlesTheGameReads)
{
    struct Row {
        const char *address;
        const char *title;
    };
    const Row rows[] = {
        {"/wiki/Main_Page", "Main Page - Wikipedia, the free encyclopedia"},
        {"/wiki/Cat", "Cat - Wikipedia, the free encyclopedia"},
        // The game sends the word as typed, blanks included.
        {"/wiki/Special:Search?search=Rock - paper - scissors&go=Go",
         "Rock - paper - scissors - Wikipedia, the free encyclopedia"},
        {"/wiki/Special:Search?search=kitten&go=Go", "Cat - Wikipedia, the free encyclopedia"},
        {"/wiki/Special:Search?search=world wide web&go=Go",
         "World Wide Web - Wikipedia, the free encyclopedia"},
        {"/wiki/Special:Search?search=Zebra&go=Go", "Search - Wikipedia, the free encyclopedia"},
        {"/w/index.php?title=Cat&action=history", "Cat - History - Wikipedia, the free encyclopedia"},
        {"/wiki/Nothing_here", "Not found - Wikipedia, the free encyclopedia"},
    };
    for (const Row &r : rows)
        EXPECT_EQ(Load(QString::fromUtf8(r.address)), QString::fromUtf8(r.title)) << r.address;

    const QString random = Load(QStringLiteral("/wiki/Special:Random"));
    EXPECT_TRUE(random.endsWith(QLatin1String(" - Wikipedia, the free encyclopedia")))
        << random.toStdString();
    EXPECT_GE(BuiltinCorpus()->Find(random.left(random.lastIndexOf(QLatin1String(" -")))), 0)
        << random.toStdString();
}

TEST_F(SiteInBrowser, ClickingLinksMovesBetweenArticlesAndPageKinds)
{
    ASSERT_EQ(Load(QStringLiteral("/wiki/Cat")), QStringLiteral("Cat - Wikipedia, the free encyclopedia"));
    EXPECT_EQ(Click(QStringLiteral("a[href=\"/wiki/Dog\"]")),
              QStringLiteral("Dog - Wikipedia, the free encyclopedia"));
    EXPECT_EQ(Click(QStringLiteral("a[href=\"/wiki/Talk:Dog\"]")),
              QStringLiteral("Talk:Dog - Wikipedia, the free encyclopedia"));
    EXPECT_EQ(Click(QStringLiteral("a[href=\"/wiki/Dog\"]")),
              QStringLiteral("Dog - Wikipedia, the free encyclopedia"));
    EXPECT_EQ(Click(QStringLiteral("a[href*=\"action=edit\"]")),
              QStringLiteral("Editing Dog - Wikipedia, the free encyclopedia"));
}
