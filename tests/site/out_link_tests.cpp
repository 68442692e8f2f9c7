// Links that end a player's round when followed are marked on every page the site serves, on a
// corpus and on an archive alike; ordinary links are left as they are.
#include "site/corpus/CorpusSite.h"
#include "site/zim/ZimHtml.h"
#include "site/zim/ZimSite.h"

#include "tests/common/ZimTestArchive.h"
#include "tests/site/SiteTestUtil.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{

const char kOffSite[] = "Leaves the encyclopedia: following it ends your round";

struct Row {
    const char *what;
    const char *href;    // as it appears on the served page, escaped
    const char *tooltip; // "" for a link that must stay unmarked
};

// The start tags of every link to `href`.
QList<QByteArray> LinkTags(const QByteArray &body, const QByteArray &href)
{
    QList<QByteArray> tags;
    const QByteArray needle = "href=\"" + href + '"';
    for (qsizetype at = body.indexOf(needle); at >= 0; at = body.indexOf(needle, at + 1)) {
        const qsizetype open = body.lastIndexOf('<', at);
        const qsizetype close = body.indexOf('>', at);
        tags.append(body.mid(open, close + 1 - open));
    }
    return tags;
}

QByteArray AttributeOf(const QByteArray &tag, const QByteArray &name)
{
    const QByteArray needle = ' ' + name + "=\"";
    const qsizetype at = tag.indexOf(needle);
    if (at < 0)
        return {};
    const qsizetype start = at + needle.size();
    return tag.mid(start, tag.indexOf('"', start) - start);
}

void ExpectMarks(const QByteArray &body, const Row &r)
{
    const QList<QByteArray> tags = LinkTags(body, r.href);
    ASSERT_FALSE(tags.isEmpty()) << r.what << ": no link to " << r.href << "\n" << body.toStdString();
    for (const QByteArray &tag : tags) {
        const bool marked = AttributeOf(tag, "class").split(' ').contains("quillory-out");
        EXPECT_EQ(marked, *r.tooltip != 0) << r.what << ": " << tag.toStdString();
        if (*r.tooltip) {
            EXPECT_EQ(AttributeOf(tag, "title"), QByteArray(r.tooltip))
                << r.what << ": " << tag.toStdString();
            EXPECT_EQ(tag.count(" class="), 1) << tag.toStdString();
            EXPECT_EQ(tag.count(" title="), 1) << tag.toStdString();
        }
    }
}

// The marks' stylesheet is in the head, once, so a player sees the marks before hovering.
void ExpectStyleInHead(const QByteArray &body)
{
    const qsizetype rule = body.indexOf("a.quillory-out::after{content:");
    EXPECT_GE(rule, 0) << body.toStdString();
    EXPECT_LT(rule, body.indexOf("</head>"));
    EXPECT_EQ(body.count("a.quillory-out::after"), 1);
}

} // namespace

TEST(OutLinks, LinkAddressesAreJudgedByThePageTheyOpen)
{
    const std::pair<const char *, PageKind> rows[] = {
        {"/wiki/Dog", PageKind::Article},
        {"/wiki/Dog#History", PageKind::Article},
        {"/wiki/List_of_dogs", PageKind::List},
        {"/wiki/List_of_dogs#Big", PageKind::List},
        {"/wiki/1984", PageKind::Number},
        {"/wiki/1%2C000", PageKind::Number},
        {"/wiki/Talk:Dog", PageKind::Talk},
        {"/wiki/User:Keeper/Home", PageKind::User},
        {"/wiki/Special:WhatLinksHere/Dog", PageKind::Special},
        {"/wiki/Special:Search", PageKind::Article}, // leads on to an article or a search page
        {"/wiki/Special:Search?search=x&go=Go", PageKind::Article},
        {"/wiki/Special:Random", PageKind::Article},
        {"/wiki/Search_engine", PageKind::Search},
        {"/w/index.php?title=Dog&action=edit", PageKind::Edit},
        {"/w/index.php?title=Dog&action=history", PageKind::History},
        {"/w/index.php?title=Dog", PageKind::Article},
        {"https://example.org/dogs", PageKind::OffSite},
        {"HTTP://example.org/", PageKind::OffSite},
        {"//example.org/wiki/Dog", PageKind::OffSite},
        {"mailto:a@b.org", PageKind::OffSite},
        {"/zim/I/dog.png", PageKind::Article},
        {"#top", PageKind::Article},
    };
    for (const auto &[href, kind] : rows)
        EXPECT_EQ(page::KindOfLink(href), kind) << href;
    for (int k = 0; k <= int(PageKind::OffSite); ++k)
        EXPECT_EQ(page::OutLinkTooltip(PageKind(k)).isEmpty(), !TakesPlayerOut(PageKind(k))) << k;
}

TEST(OutLinks, CorpusPagesMarkEveryLinkThatEndsTheRound)
{
    auto c = std::make_shared<Corpus>();
    const int dog = c->AddArticle(QStringLiteral("Dog"),
                                  "The dog reads the List of dogs, the year 1984 and "
                                  "a Search engine, then chases the Cat.",
                                  QStringLiteral("Animals"));
    const int list = c->AddArticle(QStringLiteral("List of dogs"), "Dogs.");
    const int year = c->AddArticle(QStringLiteral("1984"), "A year.");
    const int search = c->AddArticle(QStringLiteral("Search engine"), "Finds pages.");
    const int cat = c->AddArticle(QStringLiteral("Cat"), "Cats.");
    for (int to : {list, year, search, cat})
        c->AddLink(dog, to);
    c->Edit(dog).externalLinks.append({QStringLiteral("https://example.org/dogs"), QStringLiteral("Dogs")});
    c->SetMainPageLinks({dog});
    const CorpusSite site(c, QStringLiteral("small"));

    const SiteAnswer page = site.Answer("/wiki/Dog");
    ASSERT_EQ(page.status, 200);
    const Row rows[] = {
        {"article", "/wiki/Cat", ""},
        {"search page", "/wiki/Search_engine", ""},
        {"external", "https://example.org/dogs", kOffSite},
        {"list", "/wiki/List_of_dogs", "A list page: opening it ends your round"},
        {"number", "/wiki/1984", "A page named by a number: opening it ends your round"},
        {"talk", "/wiki/Talk:Dog", "A Talk page: opening it ends your round"},
        {"category", "/wiki/Category:Animals", "A category page: opening it ends your round"},
        {"edit", "/w/index.php?title=Dog&amp;action=edit", "An edit page: opening it ends your round"},
        {"history", "/w/index.php?title=Dog&amp;action=history",
         "A page's history: opening it ends your round"},
        {"special", "/wiki/Special:WhatLinksHere/Dog", "A special page: opening it ends your round"},
        {"help", "/wiki/Help:Contents", "A help page: opening it ends your round"},
        {"project", "/wiki/Wikipedia:About", "A project page: opening it ends your round"},
    };
    for (const Row &r : rows)
        ExpectMarks(page.body, r);
    ExpectStyleInHead(page.body);
    EXPECT_EQ(PageNameOf(page.body), QStringLiteral("Dog"));

    const SiteAnswer main = site.MainPage();
    for (const Row &r : {Row{"search page", "/wiki/Special:Search", ""}, Row{"article", "/wiki/Dog", ""},
                         Row{"portal", "/wiki/Portal:Contents", "A portal page: opening it ends your round"}})
        ExpectMarks(main.body, r);
    ExpectStyleInHead(main.body);
}

TEST(OutLinks, ArchivePagesMarkEveryLinkThatEndsTheRound)
{
    ZimTestArchive a;
    a.Title("Small")
        .Main("Home")
        .Article("Home", "Home", "<p>Start with the <a href=\"Dog\">dog</a>.</p>")
        .Article(
            "Dog", "Dog",
            "<p>The dog chases the <a href=\"Cat\" title=\"Cat\">cat</a>, reads the "
            "<a href=\"List_of_dogs\" title=\"List of dogs\" class=\"mw-redirect\">list</a> and "
            "<a class=\"external text\" href=\"https://example.org/dogs\" title=\"off\" rel=\"nofollow\">"
            "elsewhere</a>, remembers <a href=\"1984\">1984</a>, tries a "
            "<a href=\"Search_engine\">search engine</a>, goes <a href=\"Home\">home</a> and "
            "<a href=\"#top\">up</a>, and finds no <a href=\"Unicorn\">unicorn</a>.</p>")
        .Article("Cat", "Cat", "<p>Cats.</p>")
        .Article("List_of_dogs", "List of dogs", "<p>Dogs.</p>")
        .Article("1984", "1984", "<p>A year.</p>")
        .Article("Search_engine", "Search engine", "<p>Finds pages.</p>");
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("small.zim"));
    ASSERT_TRUE(a.Write(file));
    QString error;
    const std::shared_ptr<ZimSite> site = ZimSite::Open(file, &error);
    ASSERT_TRUE(site) << error.toStdString();

    const SiteAnswer page = site->Answer("/wiki/Dog");
    ASSERT_EQ(page.status, 200);
    const Row rows[] = {
        {"article", "/wiki/Cat", ""},
        {"main page", "/wiki/Main_Page", ""},
        {"place on the page", "#top", ""},
        {"search page", "/wiki/Search_engine", ""},
        {"external", "https://example.org/dogs", kOffSite},
        {"list", "/wiki/List_of_dogs", "A list page: opening it ends your round"},
        {"number", "/wiki/1984", "A page named by a number: opening it ends your round"},
        {"talk", "/wiki/Talk:Dog", "A Talk page: opening it ends your round"},
        {"category", "/wiki/Category:All_articles", "A category page: opening it ends your round"},
        {"edit", "/w/index.php?title=Dog&amp;action=edit", "An edit page: opening it ends your round"},
        {"history", "/w/index.php?title=Dog&amp;action=history",
         "A page's history: opening it ends your round"},
    };
    for (const Row &r : rows)
        ExpectMarks(page.body, r);
    ExpectStyleInHead(page.body);
    EXPECT_EQ(PageNameOf(page.body), QStringLiteral("Dog"));
    EXPECT_TRUE(page.body.contains("<span>unicorn</span>")) << "a missing article stays plain text";

    // The archive's own class is kept beside the mark, its own title gives way to the tooltip, and
    // an ordinary link keeps its title.
    const QByteArray external = LinkTags(page.body, "https://example.org/dogs").value(0);
    EXPECT_EQ(AttributeOf(external, "class"), "external text quillory-out");
    EXPECT_TRUE(external.contains(" rel=\"nofollow\""));
    EXPECT_EQ(AttributeOf(LinkTags(page.body, "/wiki/List_of_dogs").value(0), "class"),
              "mw-redirect quillory-out");
    EXPECT_EQ(AttributeOf(LinkTags(page.body, "/wiki/Cat").value(0), "title"), "Cat");
    EXPECT_EQ(site->Links(QStringLiteral("Dog")),
              QStringList({QStringLiteral("Cat"), QStringLiteral("List of dogs"), QStringLiteral("1984"),
                           QStringLiteral("Search engine")}));

    // The archive's own main page gets the same marks as its articles.
    const SiteAnswer main = site->MainPage();
    for (const Row &r : {Row{"article", "/wiki/Dog", ""},
                         Row{"talk", "/wiki/Talk:Home", "A Talk page: opening it ends your round"}})
        ExpectMarks(main.body, r);
    ExpectStyleInHead(main.body);
}

TEST(OutLinks, RewritingMarksAnArchivesLinksWhateverTheirMarkup)
{
    auto resolve = [](const std::string &path) {
        LinkTarget t;
        t.exists = path == "Cat" || path == "List_of_cats";
        t.article = t.exists;
        t.title = path == "Cat" ? QStringLiteral("Cat") : QStringLiteral("List of cats");
        t.address = path == "Cat" ? QByteArray("/wiki/Cat") : QByteArray("/wiki/List_of_cats");
        return t;
    };
    const char *list = "title=\"A list page: opening it ends your round\"";
    struct Case {
        const char *html;
        const char *expected;
    };
    const Case rows[] = {
        {"<a href=Cat>c</a>", "<a href=\"/wiki/Cat\">c</a>"},
        {"<a href=List_of_cats>c</a>", "href=\"/wiki/List_of_cats\" class=\"quillory-out\">c</a>"},
        {"<A CLASS=x HREF='List_of_cats' TITLE='old'>c</A>", "class=\"x quillory-out\""},
        {"<a href=\"List_of_cats\"/>", "href=\"/wiki/List_of_cats\" class=\"quillory-out\"/>"},
        {"<area href=\"http://x.org/\" alt=\"x\">", "<area title=\"Leaves the encyclopedia"},
        {"<a href=\"Nope\">n</a>", "<span>n</span>"},
    };
    for (const Case &r : rows) {
        const RewrittenPage p = RewriteArticle(QByteArray("<body>") + r.html + "</body>", "Dog",
                                               QStringLiteral("Dog"), {}, resolve);
        EXPECT_TRUE(p.html.contains(r.expected)) << r.html << "\n => " << p.html.toStdString();
        EXPECT_EQ(p.html.contains(list), QByteArray(r.html).contains("List_of_cats")) << p.html.toStdString();
        EXPECT_FALSE(p.html.contains("old")) << p.html.toStdString();
    }
}
