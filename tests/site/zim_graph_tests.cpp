// The link graph of an archive: which links the scan finds in an article, and the same graph
// however many threads build it.
#include "site/Encyclopedia.h"
#include "site/graph/LinkGraph.h"
#include "site/zim/ZimArchive.h"
#include "site/zim/ZimGraph.h"
#include "site/zim/ZimHtml.h"

#include "tests/common/ZimTestArchive.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{

QList<QByteArray> Scanned(const char *html)
{
    QList<QByteArray> found;
    ScanLinks(QByteArrayView(html), [&found](const QByteArray &href) { found.append(href); });
    return found;
}

TEST(ZimLinkScan, FindsTheAddressesABrowserFollows)
{
    struct Row {
        const char *html;
        QList<QByteArray> hrefs;
    };
    const Row rows[] = {
        {"<a href=\"Cat\">c</a> <a href='Dog'>d</a> <a href=Cow>w</a>", {"Cat", "Dog", "Cow"}},
        {"<A HREF=\"Cat\">c</A><Area Href=\"Map\"><AREA shape=rect href=Zone>", {"Cat", "Map", "Zone"}},
        {"<a class=\"x\" title='a > b' href=\"Cat\">", {"Cat"}},             // ">" inside quotes
        {"<a title=\"href=Dog\" href=\"Cat\">", {"Cat"}},                    // href inside a value
        {"<a data-href=\"Dog\" href = \"Cat\">", {"Cat"}},                   // another attribute's name
        {"<a href=\"Cat\" href=\"Dog\">", {"Cat"}},                          // the first one counts
        {"<a name=\"top\">here</a>", {}},                                    // no address
        {"<a href=\"AT&amp;T\"><a href=\"AC&#x2F;DC\">", {"AT&T", "AC/DC"}}, // references decoded
        {"<a href=\"Cat#Paws\"><a href=\"Cat?x=1&amp;y=2\">", {"Cat#Paws", "Cat?x=1&y=2"}},
        {"<a href=\"../Cat\"><a href=\"./Dog\"><a href=\"#top\">", {"../Cat", "./Dog", "#top"}},
        {"<!-- <a href=\"Dog\"> --><a href=\"Cat\">", {"Cat"}},
        {"<!-- never closed <a href=\"Dog\">", {}},
        {"<script>x = '<a href=\"Dog\">';</script><a href=\"Cat\">", {"Cat"}},
        {"<SCRIPT type=x>a<b</Script><style>a[href=\"Dog\"]{}</style><a href=\"Cat\">", {"Cat"}},
        {"<title><a href=\"Dog\"></title><a href=\"Cat\">", {"Cat"}},
        {"<abbr href=\"Dog\"><link href=\"Dog.css\"><img src=\"Dog.png\"><a href=\"Cat\">", {"Cat"}},
        {"1 < 2 and <a href=\"Cat\">", {"Cat"}},
        {"</a href=\"Dog\"><a href=\"Cat\"", {}}, // a closing tag holds no link; a cut-off tag is no tag
    };
    for (const Row &r : rows)
        EXPECT_EQ(Scanned(r.html), r.hrefs) << r.html;
}

TEST(ZimLinkScan, AddressesLeadToPathsInsideTheArchiveOrNowhere)
{
    struct Row {
        const char *page, *href, *path, *fragment;
        bool external;
    };
    const Row rows[] = {
        {"Dog", "Cat", "Cat", "", false},           {"A/Dog", "Cat#Paws", "A/Cat", "#Paws", false},
        {"A/Dog", "../Cat?x=1", "Cat", "", false},  {"Dog", "C%2B%2B", "C++", "", false},
        {"Dog", "#top", "", "#top", false},         {"Dog", "https://example.org/Cat", "", "", true},
        {"Dog", "//example.org/Cat", "", "", true}, {"Dog", "User:Keeper", "User:Keeper", "", false},
    };
    for (const Row &r : rows) {
        QByteArray fragment;
        bool external = false;
        EXPECT_EQ(ArchivePathOfLink(r.href, r.page, &fragment, &external), std::string(r.path)) << r.href;
        EXPECT_EQ(fragment, QByteArray(r.fragment)) << r.href;
        EXPECT_EQ(external, r.external) << r.href;
    }
}

// Many articles in many small clusters, so that the blocks threads take begin and end inside them.
ZimTestArchive ManyArticles(int count)
{
    ZimTestArchive a;
    QRandomGenerator random(count);
    auto path = [](int i) { return "Page_" + std::to_string(i); };
    for (int i = 0; i < count; ++i) {
        std::string body = "<p>Text of page " + std::to_string(i) + ".";
        for (int k = 0; k < 6; ++k) {
            const int to = int(random.bounded(count + 20)); // a few lead nowhere
            body += k % 3 == 0 ? " <a href=\"./" + path(to) + "#s\">x</a>"
                               : " <a href=\"" + path(to) + "\">x</a>";
        }
        if (i % 7 == 0)
            body += " <a href=\"Alias_" + std::to_string(i / 7) + "\">by another name</a>";
        a.Article(path(i), "Page " + std::to_string(i), body + "</p>");
        if (i % 7 == 0)
            a.RedirectTo("Alias_" + std::to_string(i / 7), "Alias " + std::to_string(i / 7),
                         path(count - 1 - i));
    }
    return a.Main(path(0)).Title("Many");
}

QByteArray BuiltGraphFile(const ZimArchive &archive, int threads, const QString &folder, quint64 leastLinks)
{
    ZimGraph graph(archive, folder, threads);
    const std::atomic<bool> stop{false};
    graph.Build(stop);
    graph.Finish();
    EXPECT_TRUE(graph.Get());
    EXPECT_GE(graph.Get() ? graph.Get()->LinkCount() : 0, leastLinks);
    EXPECT_FALSE(graph.LoadedFromCache());
    const QStringList files = QDir(folder).entryList({QStringLiteral("*.links")});
    if (files.size() != 1)
        return {};
    QFile f(QDir(folder).filePath(files.front()));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(ZimLinkGraph, EveryThreadCountWritesTheSameCacheFile)
{
    QTemporaryDir dir;
    for (const int count : {40, 3000}) {
        const QString file = dir.filePath(QStringLiteral("many-%1.zim").arg(count));
        ASSERT_TRUE(ManyArticles(count).Write(file));
        QString error;
        const auto archive = ZimArchive::Open(file, &error);
        ASSERT_TRUE(archive) << error.toStdString();
        const QByteArray one = BuiltGraphFile(*archive, 1, dir.filePath(QStringLiteral("one-%1").arg(count)),
                                              quint64(count) * 3);
        ASSERT_FALSE(one.isEmpty());
        for (const int threads : {2, 3, 8}) {
            const QByteArray many = BuiltGraphFile(
                *archive, threads, dir.filePath(QStringLiteral("t%1-%2").arg(threads).arg(count)),
                quint64(count) * 3);
            EXPECT_TRUE(many == one) << count << " articles on " << threads << " threads";
        }
    }
}

TEST(ZimLinkGraph, EarlyDrawsPreferArticlesKnownToLinkBothWays)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("draw.zim"));
    ASSERT_TRUE(ZimTestArchive()
                    .Main("Home")
                    .Article("Home", "Home", "<a href=\"Ant\">ant</a>")
                    .Article("Ant", "Ant", "<a href=\"Bee\">bee</a> <a href=\"Ant\">itself</a>")
                    .Article("Bee", "Bee", "<a href=\"Ant\">ant</a>")
                    .Article("Cow", "Cow", "<a href=\"Cow\">only itself</a>")
                    .Article("Dog", "Dog", "<a href=\"Ant\">ant</a>")
                    .Write(file));
    QString error;
    const auto archive = ZimArchive::Open(file, &error);
    ASSERT_TRUE(archive) << error.toStdString();
    ZimGraph graph(*archive, QString(), 1);
    auto known = [&](const char *path) { return graph.KnownLinks(archive->ByPath(path)->getIndex()); };
    for (const char *path : {"Ant", "Bee", "Cow", "Dog"})
        EXPECT_EQ(known(path), Candidate::Possible) << path << " before the build";
    EXPECT_EQ(graph.SecondsLeft(), -1);
    const std::atomic<bool> stop{false};
    graph.Build(stop);
    struct Row {
        const char *path;
        Candidate candidate;
    };
    const Row rows[] = {
        {"Ant", Candidate::Preferred},
        {"Bee", Candidate::Preferred},
        {"Cow", Candidate::Refused}, // links only to itself
        {"Dog", Candidate::Refused}, // nothing links to it
    };
    for (const Row &r : rows)
        EXPECT_EQ(known(r.path), r.candidate) << r.path;

    const zim::entry_index_type bee = archive->ByPath("Bee")->getIndex();
    for (int i = 0; i < 30; ++i) {
        EXPECT_EQ(archive->DrawArticle([&](zim::entry_index_type e) {
            return e == bee ? Candidate::Preferred : Candidate::Possible;
        }),
                  QStringLiteral("Bee"));
    }
    EXPECT_EQ(archive->DrawArticle([](zim::entry_index_type) { return Candidate::Refused; }), QString());
    EXPECT_FALSE(archive->DrawArticle([](zim::entry_index_type) { return Candidate::Possible; }).isEmpty())
        << "with nothing preferred, a possible article";
}

TEST(ZimLinkGraph, TimeLeftReadsAsTheOperatorExpects)
{
    struct Row {
        int seconds;
        const char *text;
    };
    const Row rows[] = {
        {-1, ""},
        {0, "less than a minute left"},
        {59, "less than a minute left"},
        {60, "about 1 min left"},
        {61, "about 2 min left"},
        {3599, "about 60 min left"},
        {5340, "about 89 min left"},
        {5341, "about 1 h 30 min left"},
        {2 * 3600 + 50, "about 2 h 1 min left"},
    };
    for (const Row &r : rows)
        EXPECT_EQ(TimeLeftText(r.seconds), QString::fromUtf8(r.text)) << r.seconds;
}

} // namespace
