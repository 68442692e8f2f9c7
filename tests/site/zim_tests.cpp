// ZIM archives as the site serves them, on small archives written here with libzim's writer.
// The cluster an item is in: exported by libzim 8, but declared only behind this switch.
#define ZIM_PRIVATE

#include "settings/Options.h"
#include "site/Encyclopedia.h"
#include "site/graph/Routes.h"
#include "site/http/SiteServer.h"
#include "site/zim/ZimHtml.h"
#include "site/zim/ZimSite.h"

#include "tests/common/ZimTestArchive.h"
#include "tests/site/RawHttp.h"
#include "tests/site/SiteTestUtil.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <zim/archive.h>
#include <zim/item.h>

#include <cstring>
#include <map>

namespace
{

const std::string kPng("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);

ZimTestArchive TestArchive()
{
    ZimTestArchive a;
    a.Title("Small Test Encyclopedia")
        .Main("User:Keeper/Home")
        .Article("User:Keeper/Home", "User:Keeper/Home", "<p>Start with the <a href=\"../Dog\">dog</a>.</p>")
        .Article(
            "Dog", "Dog",
            "<link rel=\"stylesheet\" href=\"-/style.css\"><p>The dog chases the <a href=\"Cat\">cat</a> "
            "and <a href=\"../Cat\">again</a>, runs with the <a href=\"./Wolf#Pack\">wolves</a>, meets a "
            "<a href=\"Unicorn\">unicorn</a>, reads <a href=\"https://example.org/dogs\">elsewhere</a>, "
            "pets the <a href='Kitty'>kitty</a>, learns <a href=\"C%2B%2B\">C++</a>, goes "
            "<a href=\"User:Keeper/Home\">home</a> and <a href=\"#top\">up</a>.</p>"
            "<img src=\"I/dog.png\" srcset=\"I/dog2.png 2x\" alt=\"dog\">")
        .Article("Cat", "Cat", "<p>Cats ignore <a href=\"Dog\">dogs</a>.</p>")
        .Article("Wolf", "Wolf",
                 "<p id=\"Pack\">Wolves live in packs near <a href=\"New_York\">New York</a>.</p>")
        .Article("C++", "C++", "<p>A language.</p>")
        .Article("Paris", "Paris", "<p>A city.</p>")
        .Article("New_York", "New York", "<p>A city.</p>")
        .Article("Mercury_(disambiguation)", "Mercury (disambiguation)", "<p>Mercury may be a planet.</p>")
        .Article("Jaguar", "Jaguar",
                 "<p>Jaguar may mean:</p><div class=\"dmbox dmbox-disambig\">This page lists articles.</div>")
        .Article("Hidden", "Hidden", "<p>Not a front article.</p>", false)
        .Raw("-/style.css", "", "text/css", "body{color:#123}")
        .Raw("I/dog.png", "", "image/png", kPng)
        .Raw("V/huge.webm", "", "video/webm", std::string(17 * 1024 * 1024, 'v'))
        .RedirectTo("Kitty", "Kitty", "Cat")
        .RedirectTo("Big_Apple", "Big Apple", "New_York");
    return a;
}

// One archive for every test of this file.
class ZimSiteTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = new QTemporaryDir;
        s_file = s_dir->filePath(QStringLiteral("small.zim"));
        ASSERT_TRUE(TestArchive().Write(s_file));
        QString error;
        s_site = ZimSite::Open(s_file, &error);
        ASSERT_TRUE(s_site) << error.toStdString();
    }
    static void TearDownTestSuite()
    {
        s_site.reset();
        delete s_dir;
    }

    static inline QTemporaryDir *s_dir = nullptr;
    static inline QString s_file;
    static inline std::shared_ptr<ZimSite> s_site;
};

} // namespace

TEST_F(ZimSiteTest, PagesRedirectsResourcesAndTitles)
{
    struct Row {
        const char *target;
        int status;
        const char *pageName; // the title before its marker, for 200 pages
        const char *location;
        const char *contentType;
    };
    const Row rows[] = {
        {"/wiki/Dog", 200, "Dog", "", "text/html; charset=utf-8"},
        {"/wiki/New_York", 200, "New York", "", "text/html; charset=utf-8"},
        {"/wiki/C%2B%2B", 200, "C++", "", "text/html; charset=utf-8"},
        {"/wiki/Main_Page", 200, "Main Page", "", "text/html; charset=utf-8"},
        {"/wiki/Kitty", 302, "", "/wiki/Cat", ""},
        {"/wiki/Big_Apple", 302, "", "/wiki/New_York", ""},
        {"/wiki/User:Keeper/Home", 200, "User:Keeper/Home", "", "text/html; charset=utf-8"},
        {"/zim/I/dog.png", 200, "", "", "image/png"},
        {"/zim/-/style.css", 200, "", "", "text/css"},
        {"/zim/Dog", 302, "", "/wiki/Dog", ""},
        {"/zim/User:Keeper/Home", 302, "", "/wiki/Main_Page", ""},
        {"/zim/Kitty", 302, "", "/wiki/Cat", ""},
        {"/zim/V/huge.webm", 404, "Not found", "", ""}, // too large to hold in memory per request
        {"/wiki/Unicorn", 404, "Not found", "", ""},
        {"/wiki/dog", 404, "Not found", "", ""},
        {"/wiki/Special:Search?search=dog&go=Go", 302, "", "/wiki/Dog", ""},
        {"/wiki/Special:Search?search=big+apple&go=Go", 302, "", "/wiki/New_York", ""},
        {"/wiki/Special:Search?search=C%2B%2B&go=Go", 302, "", "/wiki/C%2B%2B", ""},
        {"/wiki/Special:Search?search=Pa&go=Go", 200, "Search", "", ""},
        {"/wiki/Talk:Dog", 200, "Talk:Dog", "", ""},
        {"/wiki/Category:All_articles", 200, "Category:All articles", "", ""},
        {"/w/index.php?title=Dog&action=edit", 200, "Editing Dog", "", ""},
        {"/w/index.php?title=Dog&action=history", 200, "Dog - History", "", ""},
        {"/wiki/Special:WhatLinksHere/Dog", 200, "Special:WhatLinksHere/Dog", "", ""},
    };
    for (const Row &r : rows) {
        const SiteAnswer a = s_site->Answer(r.target);
        EXPECT_EQ(a.status, r.status) << r.target;
        if (r.status != 302 && a.contentType.startsWith("text/html")) {
            EXPECT_EQ(PageNameOf(a.body), QString::fromUtf8(r.pageName)) << r.target;
        }
        EXPECT_EQ(a.location, QByteArray(r.location)) << r.target;
        if (*r.contentType) {
            EXPECT_EQ(a.contentType, QByteArray(r.contentType)) << r.target;
        }
    }
    EXPECT_EQ(s_site->Answer("/zim/I/dog.png").body, QByteArray::fromStdString(kPng));
    const SiteAnswer search = s_site->Answer("/wiki/Special:Search?search=Pa&go=Go");
    EXPECT_TRUE(HrefsOf(search.body).contains("/wiki/Paris")) << search.body.toStdString();
}

TEST_F(ZimSiteTest, ArticleLinksLeadToTheSitesOwnAddresses)
{
    const SiteAnswer dog = s_site->Answer("/wiki/Dog");
    const QList<QByteArray> hrefs = HrefsOf(dog.body);
    for (const char *expected :
         {"/wiki/Cat", "/wiki/Wolf#Pack", "https://example.org/dogs", "/wiki/C%2B%2B", "/wiki/Main_Page",
          "#top", "/zim/-/style.css", "/wiki/Talk:Dog", "/w/index.php?title=Dog&action=edit",
          "/w/index.php?title=Dog&action=history", "/wiki/Category:All_articles"})
        EXPECT_TRUE(hrefs.contains(expected)) << expected << "\n" << dog.body.toStdString();
    EXPECT_EQ(hrefs.count("/wiki/Cat"), 3) << "Cat, ../Cat and the Kitty redirect";
    for (const QByteArray &h : hrefs)
        EXPECT_FALSE(h.contains("Unicorn") || h.contains("Keeper")) << h.toStdString();
    EXPECT_TRUE(dog.body.contains("<span>unicorn</span>")) << "a missing article is plain text";
    EXPECT_TRUE(dog.body.contains("src=\"/zim/I/dog.png\""));
    EXPECT_FALSE(dog.body.contains("srcset"));
    EXPECT_EQ(dog.body.count("<title>"), 1);
    EXPECT_EQ(s_site->Links(QStringLiteral("Dog")),
              QStringList({QStringLiteral("Cat"), QStringLiteral("Wolf"), QStringLiteral("C++")}));
    EXPECT_EQ(s_site->Links(QStringLiteral("Main Page")), QStringList());
    EXPECT_TRUE(HrefsOf(s_site->Answer("/wiki/Main_Page").body).contains("/wiki/Dog"));
}

TEST_F(ZimSiteTest, LookUpsFindTitlesInAnyCaseAndThroughRedirects)
{
    struct Row {
        const char *word;
        const char *find, *ignoringCase, *redirect, *resolved;
    };
    const Row rows[] = {
        {"Dog", "Dog", "Dog", "", "Dog"},
        {"dog", "", "Dog", "", "Dog"},
        {"DOG", "", "Dog", "", "Dog"},
        {"Paris", "Paris", "Paris", "", "Paris"},
        {"C++", "C++", "C++", "", "C++"},
        {"c++", "", "C++", "", "C++"},
        {"New York", "New York", "New York", "", "New York"},
        {"New_York", "New York", "New York", "", "New York"},
        {"new york", "", "New York", "", "New York"},
        {"Kitty", "", "", "Cat", "Cat"},
        {"kitty", "", "", "Cat", "Cat"},
        {"big apple", "", "", "New York", "New York"},
        {"Unicorn", "", "", "", ""},
        {"", "", "", "", ""},
    };
    // The same answers while the background index is built and after.
    for (int pass = 0; pass < 2; ++pass) {
        if (pass == 1)
            s_site->WaitForIndex();
        for (const Row &r : rows) {
            const QString w = QString::fromUtf8(r.word);
            EXPECT_EQ(s_site->Find(w), QString::fromUtf8(r.find)) << r.word << " pass " << pass;
            EXPECT_EQ(s_site->FindIgnoringCase(w), QString::fromUtf8(r.ignoringCase))
                << r.word << " pass " << pass;
            EXPECT_EQ(s_site->FindRedirect(w), QString::fromUtf8(r.redirect)) << r.word << " pass " << pass;
            EXPECT_EQ(s_site->Resolve(w), QString::fromUtf8(r.resolved)) << r.word << " pass " << pass;
        }
    }
    EXPECT_GT(s_site->IndexedTitles(), 10);
    EXPECT_EQ(s_site->Progress(), 100);
    EXPECT_EQ(s_site->Title(), QStringLiteral("Small Test Encyclopedia"));
    EXPECT_EQ(s_site->ArticleCount(), 9) << "the front articles";
}

TEST_F(ZimSiteTest, RandomDrawsOnlyArticlesThatReachEachOtherAndEachOfThem)
{
    // Of the front articles, only Dog and Cat link to each other; Wolf leads to New York and back
    // to nothing, C++ and Paris lead nowhere, and the others may not be drawn at all.
    s_site->WaitForGraph();
    const QSet<QString> drawable = {QStringLiteral("Dog"), QStringLiteral("Cat")};
    std::map<QString, int> counts;
    const int draws = 1000;
    for (int i = 0; i < draws; ++i)
        ++counts[s_site->RandomArticle()];
    for (const auto &[title, n] : counts)
        EXPECT_TRUE(drawable.contains(title)) << title.toStdString();
    for (const QString &title : drawable) {
        // Each should come about 500 times; far fewer means the draw is not uniform.
        EXPECT_GT(counts[title], 400) << title.toStdString();
    }
    const SiteAnswer random = s_site->Answer("/wiki/Special:Random");
    EXPECT_EQ(random.status, 302);
    EXPECT_TRUE(random.location.startsWith("/wiki/")) << random.location.toStdString();
    EXPECT_NE(random.location, QByteArray("/wiki/Main_Page"));
}

TEST_F(ZimSiteTest, NoAddressReadsAnythingOutsideTheArchive)
{
    const char *const targets[] = {
        "/zim/../Dog",
        "/zim/%2E%2E/%2E%2E/etc/passwd",
        "/zim/..%2F..%2Fetc%2Fpasswd",
        "/zim/%2Fetc%2Fpasswd",
        "/zim//etc/passwd",
        "/zim/I/./dog.png",
        "/zim/I/dog.png%00",
        "/zim/I%00/dog.png",
        "/zim/I%5Cdog.png",
        "/zim/",
        "/zim/%00",
        "/wiki/..%2F..%2Fetc%2Fpasswd",
        "/wiki/%2Fetc%2Fpasswd",
        "/wiki/Dog%00",
        "/wiki/%00",
        "/etc/passwd",
    };
    for (const char *t : targets) {
        const SiteAnswer a = s_site->Answer(t);
        EXPECT_NE(a.status, 200) << t;
        EXPECT_FALSE(a.body.contains("root:")) << t;
        EXPECT_TRUE(a.location.isEmpty() || a.location.startsWith("/")) << t;
    }
    const SiteAnswer search = s_site->Answer("/wiki/Special:Search?search=..%2F..%2Fetc%2Fpasswd&go=Go");
    EXPECT_EQ(PageNameOf(search.body), QStringLiteral("Search")) << "only a result page";
    EXPECT_FALSE(search.body.contains("root:"));
    // The real server passes such addresses on unchanged, and answers them the same way.
    SiteServer server;
    ASSERT_TRUE(server.Start(s_site, QHostAddress::LocalHost, 0));
    for (const char *t : {"/zim/..%2F..%2Fetc%2Fpasswd", "/zim/%2Fetc%2Fpasswd", "/zim/I/dog.png%00"}) {
        const RawReply r = RawExchange(
            server.Port(), QByteArray("GET ") + t + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
        EXPECT_EQ(r.status, 404) << t;
    }
    const RawReply png =
        RawExchange(server.Port(), "GET /zim/I/dog.png HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(png.status, 200);
    EXPECT_EQ(png.contentType, QByteArray("image/png"));
    const RawReply head =
        RawExchange(server.Port(), "HEAD /zim/-/style.css HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(head.contentType, QByteArray("text/css"));
}

TEST(ZimHtml, RelativeAddressesResolveLikeABrowserInsideTheArchive)
{
    struct Row {
        const char *page, *href, *resolved;
    };
    const Row rows[] = {
        {"Dog", "Cat", "Cat"},
        {"Dog", "../Cat", "Cat"},
        {"Dog", "./Cat", "Cat"},
        {"Dog", "../../../etc/passwd", "etc/passwd"},
        {"A/Dog", "../I/dog.png", "I/dog.png"},
        {"A/Dog", "Cat", "A/Cat"},
        {"A/b/Dog", "../../-/s.css", "-/s.css"},
        {"Dog", "/Cat", "Cat"},
        {"Dog", "AC/DC", "AC/DC"},
        {"Dog", "..", ""},
        {"Dog", "", ""},
    };
    for (const Row &r : rows)
        EXPECT_EQ(ResolveRelative(r.page, r.href), std::string(r.resolved)) << r.page << " " << r.href;

    for (const char *bad : {"", "..", "a/../b", "/etc", "a//b", "a/./b", "a\\b", "a/"})
        EXPECT_FALSE(IsSafeArchivePath(bad)) << bad;
    for (const char *good : {"a", "I/dog.png", "-/s.css", "C++", "..a", "a..b"})
        EXPECT_TRUE(IsSafeArchivePath(good)) << good;
    EXPECT_FALSE(IsSafeArchivePath(QByteArray("a\0b", 3)));
}

TEST(ZimHtml, OddMarkupIsRewrittenWithoutLosingText)
{
    auto resolve = [](const std::string &path) {
        LinkTarget t;
        if (path == "Cat" || path == "x.png") {
            t.exists = true;
            t.article = path == "Cat";
            t.title = QString::fromStdString(path);
            t.address = t.article ? QByteArray("/wiki/Cat") : QByteArray("/zim/x.png");
        }
        return t;
    };
    struct Row {
        const char *html;
        const char *expected; // appears in the result
        const char *absent;   // does not
    };
    const Row rows[] = {
        {"<body><a href=Cat>c</a></body>", "<a href=\"/wiki/Cat\">c</a>", "href=Cat"},
        {"<body><A HREF='Cat' class=x>c</A></body>", "<A href=\"/wiki/Cat\" class=x>c</A>", "'Cat'"},
        {"<body><a href=\"Cat?x=1&amp;y=2\">c</a></body>", "href=\"/wiki/Cat\"", "y=2"},
        {"<body><a href=\"Nope\">n<b>o</b></a> after</body>", "<span>n<b>o</b></span> after", "Nope"},
        {"<body><a href=\"mailto:a@b\">m</a></body>", "href=\"mailto:a@b\"", "/zim/"},
        {"<body><a href=\"HTTPS://x.org/Cat\">m</a></body>", "href=\"HTTPS://x.org/Cat\"", "/wiki/"},
        {"<body><a href=\"//x.org/Cat\">m</a></body>", "href=\"//x.org/Cat\"", "/wiki/"},
        {"<body><script src=\"x.png\">if (a<b) x='<a href=\"Nope\">';</script></body>",
         "if (a<b) x='<a href=\"Nope\">';", "src=\"x.png\""},
        {"<body><!-- <a href=\"Nope\"> --></body>", "<!-- <a href=\"Nope\"> -->", "<span>"},
        {"<body><img src=\"x.png\" alt=\"a>b\"></body>", "<img src=\"/zim/x.png\" alt=\"a>b\">", "\"x.png\""},
        {"<head><base href=\"/x/\"></head><body>t</body>", "t", "<base"},
        {"plain text, no tags", "Tabs</div>\nplain text, no tags", "<a"},
        {"<body><a href=\"Cat\"", "&lt;a href=&quot;Cat&quot;", "/wiki/Cat"},
        {"<html><head><title>Old</title></head><body></body></html>", "<title>New &amp; shiny</title>",
         "Old"},
    };
    for (const Row &r : rows) {
        const RewrittenPage p = RewriteArticle(QByteArray(r.html), "Dog", QStringLiteral("New & shiny"),
                                               "<div>Tabs</div>\n", resolve);
        EXPECT_TRUE(p.html.contains(r.expected)) << r.html << "\n => " << p.html.toStdString();
        EXPECT_FALSE(p.html.contains(r.absent)) << r.html << "\n => " << p.html.toStdString();
        EXPECT_EQ(p.html.count("<title>"), 1) << r.html;
        EXPECT_EQ(p.html.count("Tabs"), 1) << r.html;
    }
}

TEST(ZimHtml, CharacterReferencesInLinksAreDecodedAsABrowserDoes)
{
    struct Decoded {
        const char *value, *expected;
    };
    const Decoded values[] = {
        {"AC&#47;DC", "AC/DC"},
        {"AC&#x2F;DC", "AC/DC"},
        {"AC&#X2f;DC", "AC/DC"},
        {"AC&#047DC", "AC/DC"}, // a browser needs no ";" after digits
        {"&#65;&#x42;&#X43;", "ABC"},
        {"&#xC5;ngstr&#246;m", "\xc3\x85ngstr\xc3\xb6m"},
        {"&#x1F600;", "\xf0\x9f\x98\x80"},
        {"&#0;|&#xD800;|&#x110000;|&#99999999999;", "\xef\xbf\xbd|\xef\xbf\xbd|\xef\xbf\xbd|\xef\xbf\xbd"},
        {"&amp;#38;", "&#38;"}, // decoded once, not twice
        {"&#;&#x;&#xg;&nbsp;&", "&#;&#x;&#xg;&nbsp;&"},
        {"&quot;&apos;&lt;&gt;&amp;&#39;", "\"'<>&'"},
    };
    for (const Decoded &d : values)
        EXPECT_EQ(DecodeEntities(d.value), QByteArray(d.expected)) << d.value;

    // Each form in every place of a path, as an article's link, leads to its article.
    const std::map<std::string, QString> articles = {{"AC/DC", QStringLiteral("AC/DC")},
                                                     {"AT&T", QStringLiteral("AT&T")},
                                                     {"\xc3\x85ngstr\xc3\xb6m", QStringLiteral("Ångström")}};
    auto resolve = [&](const std::string &path) {
        LinkTarget t;
        if (const auto it = articles.find(path); it != articles.end()) {
            t.exists = t.article = true;
            t.title = it->second;
            t.address = ArticleAddress(it->second);
        }
        return t;
    };
    struct Link {
        const char *href;
        QString title;
    };
    const Link links[] = {
        {"&#65;C/DC", "AC/DC"},
        {"AC&#47;DC", "AC/DC"},
        {"AC/D&#67;", "AC/DC"},
        {"&#x41;C/DC", "AC/DC"},
        {"AC&#x2F;DC", "AC/DC"},
        {"AC/D&#x43;", "AC/DC"},
        {"&#X41;C/DC", "AC/DC"},
        {"AC&#X2f;DC", "AC/DC"},
        {"AC/D&#X43;", "AC/DC"},
        {"./AC&#x2F;DC", "AC/DC"},
        {"./AT&#38;T", "AT&T"},
        {"./AT&amp;T", "AT&T"},
        {"AT&#x26;T#Hist", "AT&T"},
        {"./&#xC5;ngstr&#xF6;m", "Ångström"},
        {"&#197;ngstr&#246;m", "Ångström"},
        {"%C3%85ngstr&#246;m", "Ångström"},
    };
    for (const Link &l : links) {
        const QByteArray html = QByteArray("<body><a href=\"") + l.href + "\">x</a></body>";
        const RewrittenPage page = RewriteArticle(html, "Here", QStringLiteral("Here"), {}, resolve);
        EXPECT_EQ(page.links, QStringList{l.title}) << l.href;
        EXPECT_TRUE(page.html.contains("href=\"" + ArticleAddress(l.title))) << l.href << page.html.data();
    }
}

// The archive's bytes with one cluster pointer (when `cluster` is none, every one but the last,
// which libzim checks as it opens) sent past its end: libzim still opens it, but cannot read the
// pages those clusters hold.
QByteArray WithClusterOutOfBounds(QByteArray zim, std::optional<quint32> cluster)
{
    quint32 clusters = 0;
    quint64 table = 0;
    std::memcpy(&clusters, zim.constData() + 28, 4);
    std::memcpy(&table, zim.constData() + 48, 8);
    const quint64 past = quint64(zim.size()) * 4;
    for (quint32 c = 0; c < clusters; ++c) {
        if (cluster ? c == *cluster : c + 1 < clusters)
            std::memcpy(zim.data() + table + 8 * c, &past, 8);
    }
    return zim;
}

TEST(ZimSiteFiles, AnArchiveWhosePagesCannotBeReadGivesWayToTheBuiltIn)
{
    QTemporaryDir dir;
    const QString good = dir.filePath(QStringLiteral("good.zim"));
    ASSERT_TRUE(TestArchive().Write(good));
    QFile g(good);
    ASSERT_TRUE(g.open(QIODevice::ReadOnly));
    const QByteArray whole = g.readAll();
    const zim::Archive archive(good.toStdString());
    struct Row {
        const char *name;
        std::optional<quint32> cluster;
    };
    const Row rows[] = {
        {"main page's cluster", archive.getMainEntry().getItem(true).getClusterIndex()},
        {"first article's cluster", archive.getEntryByTitle(0).getItem(true).getClusterIndex()},
        {"every cluster but the last", std::nullopt},
    };
    for (const Row &r : rows) {
        const QString file = dir.filePath(QString::fromLatin1(r.name) + QStringLiteral(".zim"));
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(WithClusterOutOfBounds(whole, r.cluster));
        f.close();

        QString error;
        EXPECT_FALSE(ZimSite::Open(file, &error)) << r.name;
        EXPECT_TRUE(error.contains(QLatin1String("damaged"))) << error.toStdString();
        EXPECT_TRUE(error.contains(QLatin1String("cannot be read"))) << error.toStdString();

        QString description;
        const auto site = OpenEncyclopedia(file, &description, &error);
        ASSERT_TRUE(site);
        EXPECT_TRUE(description.startsWith(QLatin1String("built-in encyclopedia")))
            << description.toStdString();
        EXPECT_TRUE(error.startsWith(QLatin1String("Could not load the encyclopedia")))
            << error.toStdString();
        EXPECT_TRUE(error.contains(QLatin1String("cannot be read"))) << error.toStdString();
        EXPECT_EQ(site->MainPage().status, 200) << r.name;
        EXPECT_EQ(site->Answer("/wiki/Special:Random").status, 302) << r.name;
    }
}

TEST(ZimSiteFiles, BadFilesAreRefusedWithAReasonAndTheBuiltInIsServed)
{
    QTemporaryDir dir;
    const QString good = dir.filePath(QStringLiteral("good.zim"));
    ASSERT_TRUE(TestArchive().Write(good));
    QFile g(good);
    ASSERT_TRUE(g.open(QIODevice::ReadOnly));
    const QByteArray whole = g.readAll();
    auto write = [&dir](const char *name, const QByteArray &bytes) {
        QFile f(dir.filePath(QString::fromUtf8(name)));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    };
    struct Row {
        QString file;
        const char *why; // in the reason
    };
    const Row rows[] = {
        {dir.filePath(QStringLiteral("missing.zim")), "no file"},
        {dir.path(), "not a file"},
        {write("empty.zim", QByteArray()), "not a ZIM archive"},
        {write("text.zim", "This is not an archive at all.\n"), "not a ZIM archive"},
        {write("header.zim", whole.left(80)), "damaged"},
        {write("half.zim", whole.left(whole.size() / 2)), "damaged"},
        {write("short.zim", whole.chopped(1)), "damaged"},
    };
    for (const Row &r : rows) {
        QString error;
        EXPECT_FALSE(ZimSite::Open(r.file, &error)) << r.file.toStdString();
        EXPECT_TRUE(error.contains(QLatin1String(r.why)))
            << r.file.toStdString() << ": " << error.toStdString();

        QString description;
        error.clear();
        const auto site = OpenEncyclopedia(r.file, &description, &error);
        ASSERT_TRUE(site);
        EXPECT_TRUE(description.startsWith(QLatin1String("built-in encyclopedia")))
            << description.toStdString();
        EXPECT_TRUE(error.startsWith(QLatin1String("Could not load the encyclopedia")))
            << error.toStdString();
        EXPECT_EQ(site->MainPage().status, 200);
    }

    // Damage inside an archive that still opens: every page answers, none brings the program down.
    QByteArray scrambled = whole;
    for (qsizetype i = scrambled.size() / 3; i < scrambled.size() * 2 / 3; i += 7)
        scrambled[i] = char(scrambled[i] ^ 0x5a);
    QString error;
    if (auto site = ZimSite::Open(write("scrambled.zim", scrambled), &error)) {
        for (const char *t : {"/wiki/Dog", "/wiki/Main_Page", "/wiki/Special:Random", "/zim/I/dog.png",
                              "/wiki/Special:Search?search=d&go=Go", "/wiki/Kitty"})
            EXPECT_GT(site->Answer(t).status, 0) << t;
        (void)site->RandomArticle();
        (void)site->Links(QStringLiteral("Dog"));
        site->WaitForIndex();
        (void)site->FindIgnoringCase(QStringLiteral("dog"));
    } else {
        EXPECT_FALSE(error.isEmpty());
    }

    QString description;
    const auto site = OpenEncyclopedia(good, &description, &error);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    EXPECT_TRUE(description.contains(QLatin1String("Small Test Encyclopedia"))) << description.toStdString();
    EXPECT_EQ(site->Find(QStringLiteral("Dog")), QStringLiteral("Dog"));
}

TEST_F(ZimSiteTest, RoutesFollowTheArchivesLinks)
{
    s_site->WaitForGraph();
    EXPECT_EQ(s_site->GraphProgress(), 100);
    struct Row {
        const char *from, *to;
        QStringList route;
    } rows[] = {
        {"Dog", "New York", {"Dog", "Wolf", "New York"}}, // through "./Wolf#Pack"
        {"Cat", "Wolf", {"Cat", "Dog", "Wolf"}},
        {"Wolf", "Cat", {}},      // New York links nowhere
        {"Dog", "Unicorn", {}},   // not in the archive
        {"Dog", "Hidden", {}},    // an article nothing links to
        {"Big Apple", "Dog", {}}, // a redirect is no article to start on
    };
    for (const Row &r : rows)
        EXPECT_EQ(ShortestRoute(*s_site, r.from, r.to), r.route) << r.from << " -> " << r.to;
}

TEST(ZimLinkCache, NextStartReadsTheGraphAndNeverTrustsADamagedOne)
{
    QTemporaryDir dir;
    const QString cache = dir.filePath(QStringLiteral("cache"));
    const QString small = dir.filePath(QStringLiteral("small.zim")),
                  other = dir.filePath(QStringLiteral("other.zim"));
    ASSERT_TRUE(TestArchive().Write(small));
    ASSERT_TRUE(TestArchive().Write(other)); // the same articles, another UUID
    // Opens the archive and tells whether its graph came from the cache, checking it either way.
    auto open = [&](const QString &file) {
        QString error;
        auto site = ZimSite::Open(file, &error, cache);
        EXPECT_TRUE(site) << error.toStdString();
        site->WaitForGraph();
        EXPECT_EQ(ShortestRoute(*site, "Dog", "New York"), (QStringList{"Dog", "Wolf", "New York"}));
        return site->GraphLoadedFromCache();
    };
    EXPECT_FALSE(open(small)) << "first start: built";
    const QStringList files = QDir(cache).entryList({QStringLiteral("*.links")});
    ASSERT_EQ(files.size(), 1) << "one file per archive";
    const QString graphFile = QDir(cache).filePath(files.front());
    EXPECT_TRUE(open(small)) << "next start: read back";

    QFile f(graphFile);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray whole = f.readAll();
    f.close();
    auto rewrite = [&](const QByteArray &bytes) {
        QFile out(graphFile);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(bytes);
    };
    QByteArray damaged = whole;
    damaged[damaged.size() / 2] = char(damaged[damaged.size() / 2] ^ 1);
    const QByteArray tampered[] = {damaged, whole.left(whole.size() / 2), QByteArray()};
    for (const QByteArray &bytes : tampered) {
        rewrite(bytes);
        EXPECT_FALSE(open(small)) << "a damaged file is rebuilt";
        EXPECT_TRUE(open(small)) << "and written anew";
    }

    ASSERT_FALSE(open(other));
    const QStringList both = QDir(cache).entryList({QStringLiteral("*.links")});
    ASSERT_EQ(both.size(), 2);
    // Another archive's graph under this archive's name is not this archive's graph.
    const QString otherFile =
        QDir(cache).filePath(both.front() == files.front() ? both.back() : both.front());
    ASSERT_TRUE(QFile::remove(otherFile));
    ASSERT_TRUE(QFile::copy(graphFile, otherFile));
    EXPECT_FALSE(open(other));
    EXPECT_TRUE(open(other));
}

TEST(ZimLinkGraph, LinksLeadThroughRedirectsButNotToMissingPagesResourcesOrTheMainPage)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("links.zim"));
    ASSERT_TRUE(ZimTestArchive()
                    .Main("Home")
                    .Article("Home", "Home", "<a href=\"Ant\">ant</a>")
                    .Article("Ant", "Ant",
                             "<a href=\"Via\">bee</a> <a href=\"Home\">home</a> <a href=\"Nowhere\">gone</a> "
                             "<a href=\"-/s.css\">style</a> <a href=\"Bee\">bee again</a>")
                    .Article("Bee", "Bee", "<a href=\"Cow_%26_Calf\">cow</a>")
                    .Article("Cow_&_Calf", "Cow & Calf", "<a href=\"./Ant#Top\">ant</a>")
                    .Raw("-/s.css", "", "text/css", "p{}")
                    .RedirectTo("Via", "Via", "Bee")
                    .Write(file));
    QString error;
    const auto site = ZimSite::Open(file, &error);
    ASSERT_TRUE(site) << error.toStdString();
    site->WaitForGraph();
    ASSERT_TRUE(site->Graph());
    EXPECT_EQ(site->Graph()->LinkCount(), 4u)
        << "Home-Ant, Ant-Bee (twice, once by the redirect), Bee-Cow, Cow-Ant";
    struct Row {
        const char *from, *to;
        QStringList route;
    } rows[] = {
        {"Ant", "Cow & Calf", {"Ant", "Bee", "Cow & Calf"}},
        {"Cow & Calf", "Bee", {"Cow & Calf", "Ant", "Bee"}},
        {"Home", "Bee", {"Home", "Ant", "Bee"}},
        {"Ant", "Home", {}}, // a link to the main page is no step of a route
    };
    for (const Row &r : rows)
        EXPECT_EQ(ShortestRoute(*site, r.from, r.to), r.route) << r.from << " -> " << r.to;
}
