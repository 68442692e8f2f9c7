#include "site/corpus/BuiltinCorpus.h"
#include "site/corpus/Corpus.h"
#include "site/corpus/CorpusPages.h"
#include "site/corpus/WikispeediaCorpus.h"

#include "tests/site/SiteTestUtil.h"

#include <QRegularExpression>
#include <QUrl>
#include <gtest/gtest.h>

#include <map>

extern const char kBuiltinArticles[];

namespace
{

std::shared_ptr<Corpus> SmallCorpus()
{
    auto c = std::make_shared<Corpus>();
    c->AddArticle(QStringLiteral("Cat"), "The cat sleeps.", QStringLiteral("Animals"));
    c->AddArticle(QStringLiteral("New York"));
    c->AddArticle(QString::fromUtf8("Åland"));
    c->AddArticle(QStringLiteral("Cat food"));
    c->AddRedirect(QStringLiteral("Kitty"), QStringLiteral("Cat"));
    c->AddRedirect(QStringLiteral("Big Apple"), QStringLiteral("New York"));
    return c;
}

} // namespace

TEST(Corpus, LookUpsTreatUnderscoresAsBlanksAndFoldCaseOnlyWhenAsked)
{
    auto c = SmallCorpus();
    struct Row {
        const char *word;
        int exact, ignoringCase, resolved;
    };
    const Row rows[] = {
        {"Cat", 0, 0, 0},       {"cat", -1, 0, 0},        {"CAT", -1, 0, 0},   {"New_York", 1, 1, 1},
        {"new_york", -1, 1, 1}, {"Åland", 2, 2, 2},       {"åLAND", -1, 2, 2}, {"Kitty", -1, -1, 0},
        {"kitty", -1, -1, 0},   {"big_apple", -1, -1, 1}, {"Dog", -1, -1, -1}, {"", -1, -1, -1},
        {"Cat ", -1, -1, -1},
    };
    for (const Row &r : rows) {
        const QString w = QString::fromUtf8(r.word);
        EXPECT_EQ(c->Find(w), r.exact) << r.word;
        EXPECT_EQ(c->FindIgnoringCase(w), r.ignoringCase) << r.word;
        EXPECT_EQ(c->Resolve(w), r.resolved) << r.word;
    }
}

TEST(Corpus, RefusesDuplicateTitlesLinksAndRedirectsOverArticles)
{
    auto c = SmallCorpus();
    EXPECT_EQ(c->AddArticle(QStringLiteral("New_York")), -1);
    EXPECT_EQ(c->AddArticle(QString()), -1);
    EXPECT_EQ(c->AddArticle(QStringLiteral("cat")), 4); // another title that differs in case only
    EXPECT_EQ(c->FindIgnoringCase(QStringLiteral("CAT")), 0) << "the first of the two wins";

    c->AddLink(0, 1);
    c->AddLink(0, 1);
    c->AddLink(0, 0);
    c->AddLink(0, 99);
    c->AddLink(-1, 1);
    EXPECT_EQ(c->At(0).links, (QList<int>{1, 0}));
    EXPECT_EQ(c->LinkTitles(0), (QStringList{QStringLiteral("New York"), QStringLiteral("Cat")}));

    c->AddRedirect(QStringLiteral("Cat food"), QStringLiteral("New York"));
    EXPECT_EQ(c->Resolve(QStringLiteral("Cat food")), 3) << "an article is never hidden by a redirect";
    c->AddRedirect(QStringLiteral("Nowhere"), QStringLiteral("No such article"));
    EXPECT_EQ(c->Resolve(QStringLiteral("Nowhere")), -1);
}

TEST(Corpus, SearchIgnoresCaseSortsAndStopsAtTheLimit)
{
    auto c = SmallCorpus();
    EXPECT_EQ(c->Search(QStringLiteral("CAT")),
              (QStringList{QStringLiteral("Cat"), QStringLiteral("Cat food")}));
    EXPECT_EQ(c->Search(QStringLiteral("york")), QStringList{QStringLiteral("New York")});
    EXPECT_EQ(c->Search(QStringLiteral("new_y")), QStringList{QStringLiteral("New York")});
    EXPECT_TRUE(c->Search(QStringLiteral("  ")).isEmpty());
    EXPECT_TRUE(c->Search(QStringLiteral("zebra")).isEmpty());

    Corpus many;
    for (int i = 0; i < 70; ++i)
        many.AddArticle(QStringLiteral("Topic %1").arg(70 - i, 2, 10, QLatin1Char('0')));
    const QStringList found = many.Search(QStringLiteral("topic"), 50);
    ASSERT_EQ(found.size(), 50);
    EXPECT_EQ(found.first(), QStringLiteral("Topic 01"));
    EXPECT_EQ(found.last(), QStringLiteral("Topic 50"));
}

TEST(Corpus, RandomDrawsEveryArticleEvenly)
{
    auto c = SmallCorpus();
    std::map<int, int> counts;
    for (int i = 0; i < 8000; ++i)
        ++counts[c->Random()];
    ASSERT_EQ(counts.size(), 4u);
    for (const auto &[index, n] : counts) {
        EXPECT_GE(index, 0);
        EXPECT_LT(index, 4);
        EXPECT_GT(n, 1600) << "article " << index; // 2000 expected; 1600 is ten standard deviations off
        EXPECT_LT(n, 2400) << "article " << index;
    }
    EXPECT_EQ(Corpus().Random(), -1);
}

TEST(ArticleMarkup, LinksBecomeAnchorsAndMissingTargetsAreReported)
{
    const QString markup = QStringLiteral("@ Main Page: B; Missing\n"
                                          "~ Bee -> B\n"
                                          "= A | Letters\n"
                                          "First [[B|bee]] and\n"
                                          "[[C]].\n"
                                          "\n"
                                          "Second [[http://example.org/|away]] and [[Nope|gone]].\n"
                                          "= B\n"
                                          "Back to [[A]]. [[A|Again]].\n"
                                          "= C | Letters\n"
                                          "Nothing.\n");
    QStringList problems;
    auto c = ParseArticleMarkup(markup, &problems);
    ASSERT_EQ(c->Count(), 3);
    const Article &a = c->At(0);
    EXPECT_EQ(a.text, QByteArray("First bee and C.\nSecond away and gone."));
    EXPECT_EQ(a.category, QStringLiteral("Letters"));
    EXPECT_EQ(a.links, (QList<int>{1, 2}));
    ASSERT_EQ(a.anchors.size(), 2u);
    EXPECT_EQ(a.text.mid(a.anchors[0].offset, a.anchors[0].length), QByteArray("bee"));
    EXPECT_EQ(a.text.mid(a.anchors[1].offset, a.anchors[1].length), QByteArray("C"));
    ASSERT_EQ(a.externalLinks.size(), 1);
    EXPECT_EQ(a.externalLinks[0].first, QStringLiteral("http://example.org/"));
    EXPECT_EQ(c->At(1).links, QList<int>{0});
    EXPECT_EQ(c->At(1).anchors.size(), 2u) << "two anchors may lead to the same article";
    EXPECT_EQ(c->Resolve(QStringLiteral("bee")), 1);
    EXPECT_EQ(c->MainPageLinks(), QList<int>{1});
    EXPECT_EQ(problems.size(), 2) << problems.join(QStringLiteral(" | ")).toStdString();
}

TEST(BuiltinCorpus, HasTheArticlesEveryTitleRuleNeeds)
{
    QStringList problems;
    auto parsed = ParseArticleMarkup(QString::fromUtf8(kBuiltinArticles), &problems);
    EXPECT_TRUE(problems.isEmpty()) << problems.join(QStringLiteral("\n")).toStdString();

    auto c = BuiltinCorpus();
    ASSERT_GE(c->Count(), 80);
    int lists = 0, dashed = 0, external = 0;
    for (int i = 0; i < c->Count(); ++i) {
        const Article &a = c->At(i);
        lists += a.title.startsWith(QLatin1String("List of"));
        dashed += a.title.contains(QLatin1String(" - "));
        external += int(a.externalLinks.size());
        EXPECT_FALSE(a.category.isEmpty()) << a.title.toStdString();
        EXPECT_GE(a.text.size(), 60) << a.title.toStdString();
        EXPECT_FALSE(a.links.isEmpty()) << a.title.toStdString();
        EXPECT_FALSE(a.title.endsWith(QLatin1String(" - History"))) << "would read as a history page";
    }
    EXPECT_GE(lists, 3);
    EXPECT_GE(dashed, 1);
    EXPECT_GE(external, 1);
    EXPECT_GE(c->Find(QStringLiteral("1984")), 0);
    EXPECT_GE(c->Find(QStringLiteral("2006")), 0);
    EXPECT_GE(c->MainPageLinks().size(), 4);
}

TEST(BuiltinCorpus, EveryArticleReachesEveryOtherWithinSixClicks)
{
    auto c = BuiltinCorpus();
    const int n = c->Count();
    // Paths through pages that disqualify a player (lists, numbers) do not count for the promise.
    auto playable = [&](int i) {
        const QString &t = c->At(i).title;
        return !t.startsWith(QLatin1String("List of")) && !IsNumericTitle(t);
    };
    std::map<int, int> histogram;
    long pairs = 0, inTwoToFour = 0;
    for (int from = 0; from < n; ++from) {
        std::vector<int> distance = Distances(*c, from, [&](int i) { return i == from || playable(i); });
        for (int to = 0; to < n; ++to) {
            if (to == from)
                continue;
            EXPECT_GE(distance[to], 1)
                << c->At(from).title.toStdString() << " -> " << c->At(to).title.toStdString();
            EXPECT_LE(distance[to], 6)
                << c->At(from).title.toStdString() << " -> " << c->At(to).title.toStdString();
            if (!playable(from) || !playable(to))
                continue;
            ++histogram[distance[to]];
            ++pairs;
            inTwoToFour += distance[to] >= 2 && distance[to] <= 4;
        }
    }
    EXPECT_GT(inTwoToFour * 2, pairs) << "most pairs need 2 to 4 clicks";
    std::string shape;
    for (const auto &[d, count] : histogram)
        shape += std::to_string(d) + ":" + std::to_string(count) + " ";
    RecordProperty("distances", shape);
    std::printf("click distances between playable articles: %s\n", shape.c_str());
}

TEST(PlaceAnchors, FindsLinkedTitlesAsWholeWordsLongestFirst)
{
    Corpus c;
    const int page = c.AddArticle(
        QStringLiteral("Page"), "Category of things. The cat sat by the River Thames.\nA River, a dog-cart, "
                                "a Dog and Åland.");
    const int cat = c.AddArticle(QStringLiteral("Cat"));
    const int river = c.AddArticle(QStringLiteral("River"));
    const int thames = c.AddArticle(QStringLiteral("River Thames"));
    const int dog = c.AddArticle(QStringLiteral("Dog"));
    const int aland = c.AddArticle(QString::fromUtf8("Åland"));
    const int absent = c.AddArticle(QStringLiteral("Zebra"));
    for (int to : {cat, river, thames, dog, aland, absent})
        c.AddLink(page, to);

    const Article &a = c.At(page);
    std::map<QByteArray, QByteArray> shown; // linked title -> text shown
    qsizetype last = -1;
    for (const Article::Anchor &anchor : PlaceAnchors(c, a)) {
        EXPECT_GT(anchor.offset, last) << "anchors are in text order and never overlap";
        last = anchor.offset + anchor.length - 1;
        shown[c.At(a.links[anchor.link]).title.toUtf8()] = a.text.mid(anchor.offset, anchor.length);
    }
    const std::map<QByteArray, QByteArray> expected = {
        {"Cat", "cat"}, // not inside "Category"; first letter in either case
        {"River Thames", "River Thames"},
        {"River", "River"}, // the later one, since the first belongs to "River Thames"
        {"Dog", "dog"},     // "dog-cart": the dash ends the word
        {"Åland", "Åland"},
    };
    EXPECT_EQ(shown, expected);
}

TEST(WikispeediaText, DropsHeaderAndLicenceAndJoinsLines)
{
    struct Row {
        const char *raw;
        const char *clean;
    };
    const Row rows[] = {
        {"   #copyright\n\nCat\n\n2007 Schools Wikipedia Selection. Related subjects: Mammals\n\n"
         "   The cat is\n   small.\n\n   It purrs.\n   Retrieved from \" http://x/wiki/Cat\"\n   licence\n",
         "The cat is small.\nIt purrs."},
        {"Just one line", "Just one line"},
        {"#copyright\n\nTitle only\n", ""},
        {"#copyright\n\nTitle\n\nText.\n", "Text."},
        {"\r\n  a \r\n b\r\n\r\n\r\n c\r\n", "a b\nc"},
        {"", ""},
    };
    for (const Row &r : rows)
        EXPECT_EQ(CleanWikispeediaText(QByteArray(r.raw)), QByteArray(r.clean)) << r.raw;
}

TEST(WikispeediaNames, DecodePercentAndUnderscores)
{
    EXPECT_EQ(DecodeWikispeediaName("%C3%85land"), QString::fromUtf8("Åland"));
    EXPECT_EQ(DecodeWikispeediaName("10th_century"), QStringLiteral("10th century"));
    EXPECT_EQ(DecodeWikispeediaName("AC%2FDC"), QStringLiteral("AC/DC"));
    EXPECT_EQ(DecodeWikispeediaName("%E2%82%AC2.50"), QString::fromUtf8("€2.50"));
    EXPECT_EQ(DecodeWikispeediaName("Star_Trek__Deep_Space_Nine"),
              QStringLiteral("Star Trek Deep Space Nine"));
}

// What the site answers, address by address: status, the title the game reads, and where a
// redirect leads.
TEST(Pages, AnswerEveryAddressOfTheSite)
{
    auto c = BuiltinCorpus();
    const QByteArray long5k = "/wiki/" + QByteArray(5 * 1024, 'A');
    struct Row {
        QByteArray target;
        int status;
        const char *title;    // page name before the marker, "" to skip
        const char *location; // for 302
    };
    const Row rows[] = {
        {"/wiki/Main_Page", 200, "Main Page", ""},
        {"/wiki/Main%20Page", 200, "Main Page", ""},
        {"/wiki/Cat", 200, "Cat", ""},
        {"/wiki/Rock_-_paper_-_scissors", 200, "Rock - paper - scissors", ""},
        {"/wiki/1984", 200, "1984", ""},
        {"/wiki/List_of_rivers", 200, "List of rivers", ""},
        {"/wiki/World%20Wide_Web", 200, "World Wide Web", ""},
        {"/wiki/Kitten", 302, "", "/wiki/Cat"},
        {"/wiki/cat", 404, "Not found", ""},
        {"/wiki/Special:Search?search=Cat&go=Go", 302, "", "/wiki/Cat"},
        {"/wiki/Special:Search?search=cAT&go=Go", 302, "", "/wiki/Cat"},
        {"/wiki/Special:Search?search=kitten&go=Go", 302, "", "/wiki/Cat"},
        {"/wiki/Special:Search?search=world+wide%20web&go=Go", 302, "", "/wiki/World_Wide_Web"},
        {"/wiki/Special:Search?search=World_Wide_Web&go=Go", 302, "", "/wiki/World_Wide_Web"},
        {"/wiki/Special:Search?search=Rock - paper - scissors&go=Go", 302, "",
         "/wiki/Rock_-_paper_-_scissors"},
        {"/wiki/Special:Search?search=Cat&go=Go#top", 302, "", "/wiki/Cat"},
        {"/wiki/Special:Search?go=Go&search=Cat", 302, "", "/wiki/Cat"},
        {"/wiki/Special:Search?search=Zebra&go=Go", 200, "Search", ""},
        {"/wiki/Special:Search?search=Cat", 200, "Search", ""},
        {"/wiki/Special:Search?search=&go=Go", 200, "Search", ""},
        {"/wiki/Special:Search", 200, "Search", ""},
        {"/wiki/Special:Search?go=Go", 200, "Search", ""},
        {"/wiki/Special:RecentChanges", 200, "Special:RecentChanges", ""},
        {"/wiki/Special:WhatLinksHere/Cat", 200, "Special:WhatLinksHere/Cat", ""},
        {"/wiki/Special:WhatLinksHere/Nothing", 404, "Not found", ""},
        {"/wiki/Talk:Cat", 200, "Talk:Cat", ""},
        {"/wiki/Talk:Nothing", 404, "Not found", ""},
        {"/wiki/Talk:", 404, "Not found", ""},
        {"/wiki/Category:Animals", 200, "Category:Animals", ""},
        {"/wiki/Category:Nothing", 404, "Not found", ""},
        {"/wiki/Help:Contents", 200, "Help:Contents", ""},
        {"/wiki/User:Quill", 200, "User:Quill", ""},
        {"/wiki/Portal:Contents", 200, "Portal:Contents", ""},
        {"/wiki/Wikipedia:About", 200, "Wikipedia:About", ""},
        {"/w/index.php?title=Cat&action=edit", 200, "Editing Cat", ""},
        {"/w/index.php?title=Rock_-_paper_-_scissors&action=edit", 200, "Editing Rock - paper - scissors",
         ""},
        {"/w/index.php?title=Cat&action=history", 200, "Cat - History", ""},
        {"/w/index.php?title=Cat", 302, "", "/wiki/Cat"},
        {"/w/index.php?title=Cat&action=delete", 404, "Not found", ""},
        {"/w/index.php?title=Nothing&action=edit", 404, "Not found", ""},
        {"/w/index.php", 404, "Not found", ""},
        // Bad input: none of it reaches a file, and none of it breaks a page.
        {"/wiki/..%2F..%2Fetc%2Fpasswd", 404, "Not found", ""},
        {"/wiki/%2E%2E%2F%2E%2E%2F", 404, "Not found", ""},
        {"/wiki/../wiki/Cat", 404, "Not found", ""},
        {"/wiki/Cat%00", 404, "Not found", ""},
        {"/wiki/%00", 404, "Not found", ""},
        {"/wiki/Special:Search?search=Cat%00&go=Go", 200, "Search", ""},
        {"/wiki/%", 404, "Not found", ""},
        {"/wiki/%FF%FE", 404, "Not found", ""},
        {"/wiki/Foo:Bar", 404, "Not found", ""},
        {"/wiki/Template:Cat", 404, "Not found", ""},
        {"/wiki/", 404, "Not found", ""},
        {"/wiki", 404, "Not found", ""},
        {"/", 404, "Not found", ""},
        {"/favicon.ico", 404, "Not found", ""},
        {"", 404, "Not found", ""},
        {long5k, 414, "", ""},
        {"/wiki/Special:Search?go=Go&search=" + QByteArray(5000, 'x'), 414, "", ""},
        {("/wiki/" + QByteArray(kMaxTargetBytes, 'A')).left(kMaxTargetBytes), 404, "Not found", ""},
    };
    for (const Row &r : rows) {
        const SiteAnswer a = AnswerRequest(*c, r.target);
        const std::string where = r.target.left(80).toStdString();
        EXPECT_EQ(a.status, r.status) << where;
        EXPECT_TRUE(a.body.contains("<meta charset=\"utf-8\">")) << where;
        if (*r.title) {
            EXPECT_EQ(PageNameOf(a.body), QString::fromUtf8(r.title)) << where;
        }
        if (a.status != 302) {
            EXPECT_TRUE(PageTitleOf(a.body).endsWith(kTitleSuffix)) << where;
        }
        EXPECT_EQ(a.location, QByteArray(r.location)) << where;
    }
}

TEST(Pages, EchoedTextIsEscaped)
{
    auto c = BuiltinCorpus();
    const SiteAnswer search =
        AnswerRequest(*c, "/wiki/Special:Search?search=%3Cscript%3Ealert(1)%3C/script%3E%22&go=Go");
    EXPECT_FALSE(search.body.contains("<script>"));
    EXPECT_TRUE(search.body.contains("&lt;script&gt;"));
    EXPECT_FALSE(search.body.contains("\"\">")) << "a quote cannot close the form's value";

    Corpus evil;
    const int a = evil.AddArticle(QStringLiteral("A <b> & \"c\""), "Text with <i> & a [[link]]");
    const int b = evil.AddArticle(QStringLiteral("B?x=1#y"));
    evil.AddLink(a, b);
    const SiteAnswer page = AnswerRequest(evil, ArticleAddress(evil.At(a).title));
    ASSERT_EQ(page.status, 200);
    EXPECT_EQ(PageNameOf(page.body), evil.At(a).title);
    EXPECT_FALSE(page.body.contains("<i>"));
    EXPECT_FALSE(page.body.contains("<b>"));
    EXPECT_TRUE(page.body.contains("href=\"/wiki/B%3Fx%3D1%23y\""));
    EXPECT_EQ(AnswerRequest(evil, "/wiki/B%3Fx%3D1%23y").status, 200);
}

TEST(Pages, RandomLeadsOnlyToArticles)
{
    auto c = BuiltinCorpus();
    QSet<QString> seen;
    for (int i = 0; i < 2000; ++i) {
        const SiteAnswer a = AnswerRequest(*c, "/wiki/Special:Random");
        ASSERT_EQ(a.status, 302);
        ASSERT_TRUE(a.location.startsWith("/wiki/"));
        const SiteAnswer page = AnswerRequest(*c, a.location);
        ASSERT_EQ(page.status, 200) << a.location.toStdString();
        const int index = c->Find(PageNameOf(page.body));
        ASSERT_GE(index, 0) << a.location.toStdString();
        seen.insert(c->At(index).title);
    }
    EXPECT_GT(seen.size(), c->Count() * 9 / 10) << "2000 draws over about 100 articles miss almost none";
    EXPECT_EQ(AnswerRequest(Corpus(), "/wiki/Special:Random").status, 404);
}

TEST(Pages, EveryArticlePageCarriesItsLinksAndTheOtherPageKinds)
{
    auto c = BuiltinCorpus();
    for (int i = 0; i < c->Count(); ++i) {
        const Article &a = c->At(i);
        const SiteAnswer page = AnswerRequest(*c, ArticleAddress(a.title));
        ASSERT_EQ(page.status, 200) << a.title.toStdString();
        const QList<QByteArray> hrefs = HrefsOf(page.body);
        for (int target : a.links)
            EXPECT_TRUE(hrefs.contains(ArticleAddress(c->At(target).title)))
                << a.title.toStdString() << " -> " << c->At(target).title.toStdString();
        QString underscored = a.title;
        underscored.replace(QLatin1Char(' '), QLatin1Char('_'));
        const QByteArray name = QUrl::toPercentEncoding(underscored, ":/(),'!*@$;");
        const QByteArray kinds[] = {"/wiki/Talk:" + name, "/w/index.php?title=" + name + "&action=edit",
                                    "/w/index.php?title=" + name + "&action=history",
                                    ArticleAddress(QStringLiteral("Category:") + a.category)};
        for (const QByteArray &kind : kinds) {
            ASSERT_TRUE(hrefs.contains(kind)) << a.title.toStdString() << ": " << kind.toStdString();
            EXPECT_EQ(AnswerRequest(*c, kind).status, 200) << kind.toStdString();
        }
    }
}
