#include "client/PageRules.h"

#include <gtest/gtest.h>

namespace
{

const QString kSuffix = QStringLiteral(" - Wikipedia, the free encyclopedia");
QString T(const char *name)
{
    return QString::fromUtf8(name) + kSuffix;
}

TEST(PageRules, KindTable)
{
    struct Row {
        const char *name;
        const char *kind;
    };
    const Row rows[] = {
        {"List of dogs", "list"},
        {"List of", "list"},
        {"list of dogs", ""},
        {"Dog - History", "history"},
        {"List of dogs - History", "list"}, // the first rule wins
        {"Dog - History of dogs", ""},
        {"Editing Dog", "edit"},
        {"Talk:Dog", "talk"},
        {"User talk:Someone", ""},
        {"Category:Dogs", "category"},
        {"Category talk:Dogs", ""},
        {"Wikipedia:About", "wiki"},
        {"Help:Contents", "help"},
        {"Special:Random", "special"},
        {"User:Someone", "user"},
        {"Portal:Animals", "portal"},
        {"Search", "search"},
        {"Searching for Bobby", "search"},
        {"Template:Infobox", ""},
        {"Image:Dog.jpg", ""},
        {"1984", "number"},
        {"2006", "number"},
        {"3.14", "number"},
        {" -12 ", "number"},
        {"1,000", "number"},
        {"6.02e23", "number"},
        {"1984 in music", ""},
        {"1e", ""},
        {".", ""},
        {"-", ""},
        {"", ""},
        {"Dog", ""},
    };
    for (const Row &r : rows)
        EXPECT_EQ(KindWord(KindOfPage(QString::fromUtf8(r.name))), QString::fromUtf8(r.kind)) << r.name;
}

TEST(PageRules, WildcardMatching)
{
    struct Row {
        const char *text, *pattern;
        bool match;
    };
    const Row rows[] = {
        {"abc", "abc", true},     {"abc", "ab", false},
        {"abc", "a*", true},      {"abc", "*c", true},
        {"abc", "*", true},       {"", "*", true},
        {"", "a*", false},        {"a - b - History", "* - History", true},
        {"aXbXc", "a*b*c", true}, {"abcbd", "a*bd", true},
        {"ABC", "abc", false},    {"a*c", "a*c", true},
    };
    for (const Row &r : rows)
        EXPECT_EQ(MatchesWildcard(QString::fromUtf8(r.text), QString::fromUtf8(r.pattern)), r.match)
            << r.text << " vs " << r.pattern;
}

TEST(PageRules, PageNameFromTitle)
{
    EXPECT_EQ(PageNameFromTitle(T("Dog")), QStringLiteral("Dog"));
    EXPECT_EQ(PageNameFromTitle(T("Dog - History")), QStringLiteral("Dog - History"));
    EXPECT_EQ(PageNameFromTitle(QStringLiteral("Dog")), std::nullopt);
    EXPECT_EQ(PageNameFromTitle(QStringLiteral("Dog - Other encyclopedia")), std::nullopt);
    EXPECT_EQ(PageNameFromTitle(QStringLiteral("Dog-Wikipedia, the free encyclopedia")), std::nullopt);
}

// Today's online encyclopedia: "<page> - Wikipedia" titles, its own history, search and edit
// pages, and the titles of other sites that stay ignored. Marked titles keep the old rules.
TEST(PageRules, CurrentSiteTitles)
{
    struct Row {
        const char *title;
        std::optional<QString> name;
        QString kind;
    };
    const Row rows[] = {
        {"Dog - Wikipedia", "Dog", ""},
        {"Rock - Paper - Scissors - Wikipedia", "Rock - Paper - Scissors", ""}, // " - " inside the name
        {"Dog: Revision history - Wikipedia", "Dog: Revision history", "history"},
        {"Dog: Difference between revisions - Wikipedia", "Dog: Difference between revisions", "history"},
        {"dog - Search results - Wikipedia", "dog - Search results", "search"},
        {"Search results for dog - Wikipedia", "Search results for dog", "search"},
        {"Editing Dog - Wikipedia", "Editing Dog", "edit"},
        {"Editing Dog (section) - Wikipedia", "Editing Dog (section)", "edit"},
        {"Creating Dogfish - Wikipedia", "Creating Dogfish", "edit"},
        {"View source for Dog - Wikipedia", "View source for Dog", "edit"},
        {"Talk:Dog - Wikipedia", "Talk:Dog", "talk"},
        {"List of dogs - Wikipedia", "List of dogs", "list"},
        {"1984 - Wikipedia", "1984", "number"},
        {"Special:Random - Wikipedia", "Special:Random", "special"},
        {"Dog - Wikipedia, the free encyclopedia", std::nullopt, ""}, // the marked kind: old rules
        {"Dog - Wikimedia Commons", std::nullopt, ""},
        {"Dog - Wikipedia Fan Wiki", std::nullopt, ""},
        {"Dog-Wikipedia", std::nullopt, ""},
        {" - Wikipedia", std::nullopt, ""},
        {"Wikipedia", std::nullopt, ""},
    };
    for (const Row &r : rows) {
        const QString title = QString::fromUtf8(r.title);
        EXPECT_EQ(PageNameFromCurrentTitle(title), r.name) << r.title;
        if (r.name) {
            EXPECT_EQ(KindWord(CurrentPageKind(*r.name)), r.kind) << r.title;
        }
    }
    // The new kinds belong to today's titles only: a marked "Dog: Revision history" is an article.
    EXPECT_EQ(KindOfPage(QStringLiteral("Dog: Revision history")), PageKind::Article);

    // In a round: reported like the marked titles, the main page names nothing.
    PageState s;
    s.inRound = true;
    s.startWord = QStringLiteral("Cat");
    EXPECT_EQ(TitleRules::ApplyTitle(QStringLiteral("Cat - Wikipedia"), s).navigate, std::nullopt);
    EXPECT_EQ(TitleRules::ApplyTitle(QStringLiteral("Dog - Wikipedia"), s).navigate, QStringLiteral("Dog"));
    EXPECT_EQ(TitleRules::ApplyTitle(QStringLiteral("Dog: Revision history - Wikipedia"), s).navigate,
              QStringLiteral("history"));
    EXPECT_EQ(TitleRules::ApplyTitle(QStringLiteral("dog - Search results - Wikipedia"), s).navigate,
              QStringLiteral("search"));
    EXPECT_EQ(TitleRules::ApplyTitle(QStringLiteral("Wikipedia, the free encyclopedia"), s).caption,
              QStringLiteral("Quillory"));
    EXPECT_EQ(s.route, QStringLiteral("Dog\r"));
}

// One round, title after title: what is sent, the caption, CurrentPage and the route.
TEST(TitleRules, RoundSequence)
{
    struct Step {
        QString title;
        std::optional<QString> sent;
        std::optional<QString> caption;
        QString currentPage;
        QString route;
    };
    PageState s;
    s.inRound = true;
    s.startWord = QStringLiteral("Cat");
    s.currentPage = QStringLiteral("Cat");
    s.route = QStringLiteral("Cat\r");
    const QString Q = QStringLiteral("Quillory - ");
    const std::vector<Step> steps = {
        {T("Cat"), std::nullopt, Q + "Cat", "Cat", "Cat\r"}, // the start word is never reported
        {T("Dog"), "Dog", Q + "Dog", "Dog", "Cat\rDog\r"},
        {T("Dog"), std::nullopt, Q + "Dog", "Dog", "Cat\rDog\r"}, // a reload
        {T("List of dogs"), "list", Q + "list", "list", "Cat\rDog\r"},
        {T("List of cats"), std::nullopt, Q + "list", "list", "Cat\rDog\r"}, // same kind as last report
        {T("Dog - History"), "history", Q + "history", "history", "Cat\rDog\r"},
        {T("Dog"), "Dog", Q + "Dog", "Dog", "Cat\rDog\rDog\r"}, // back to an earlier page
        {T("User talk:Someone"), "User talk:Someone", Q + "User talk:Someone", "User talk:Someone",
         "Cat\rDog\rDog\rUser talk:Someone\r"},
        {T("1984"), "number", Q + "number", "number", "Cat\rDog\rDog\rUser talk:Someone\r"},
        {T("1984 in music"), "1984 in music", Q + "1984 in music", "1984 in music",
         "Cat\rDog\rDog\rUser talk:Someone\r1984 in music\r"},
        {T("Cat"), std::nullopt, Q + "Cat", "Cat", "Cat\rDog\rDog\rUser talk:Someone\r1984 in music\r"},
        {QStringLiteral("Dog - Other site"), std::nullopt, std::nullopt, "Cat",
         "Cat\rDog\rDog\rUser talk:Someone\r1984 in music\r"}, // no marker
        {QStringLiteral("about:blank"), std::nullopt, std::nullopt, "Cat",
         "Cat\rDog\rDog\rUser talk:Someone\r1984 in music\r"},
        {QStringLiteral("Dog-Wikipedia, the free encyclopedia"), std::nullopt, std::nullopt, "Cat",
         "Cat\rDog\rDog\rUser talk:Someone\r1984 in music\r"}, // "-" but no " -"
        {QStringLiteral("Wikipedia, the free encyclopedia"), std::nullopt, QStringLiteral("Quillory"), "",
         "Cat\rDog\rDog\rUser talk:Someone\r1984 in music\r"}, // no "-" at all
        {T("Talk:Dog"), "talk", Q + "talk", "talk", "Cat\rDog\rDog\rUser talk:Someone\r1984 in music\r"},
    };
    int n = 0;
    for (const Step &step : steps) {
        const PageOutcome out = TitleRules::ApplyTitle(step.title, s);
        EXPECT_EQ(out.navigate, step.sent) << "step " << n << ": " << step.title.toStdString();
        EXPECT_EQ(out.caption, step.caption) << "step " << n;
        EXPECT_EQ(s.currentPage, step.currentPage) << "step " << n;
        EXPECT_EQ(s.route, step.route) << "step " << n;
        ++n;
    }
}

TEST(TitleRules, OutsideRoundOnlyNamesThePage)
{
    struct Row {
        QString title;
        QString currentPage;
    };
    const Row rows[] = {
        {T("Paris"), "Paris"},
        {T("Search"), "Search"},
        {T("List of dogs"), "List of dogs"},
        {QStringLiteral("about:blank"), "List of dogs"},
        {QStringLiteral("Wikipedia, the free encyclopedia"), "List of dogs"},
        {QStringLiteral("Paris-Wikipedia, the free encyclopedia"), "List of dogs"},
    };
    PageState s;
    for (const Row &r : rows) {
        const PageOutcome out = TitleRules::ApplyTitle(r.title, s);
        EXPECT_FALSE(out.navigate) << r.title.toStdString();
        EXPECT_FALSE(out.caption);
        EXPECT_EQ(s.currentPage, r.currentPage);
        EXPECT_TRUE(s.route.isEmpty());
        EXPECT_TRUE(s.lastReportedPage.isEmpty());
    }
}

TEST(TitleRules, OffSiteNavigations)
{
    const QString domain = QStringLiteral("127.0.0.1:7200");
    struct Row {
        const char *url;
        bool reported;
    };
    const Row rows[] = {
        {"http://127.0.0.1:7200/wiki/Dog", false},
        {"HTTP://127.0.0.1:7200/W/index.php?title=Dog&action=edit", false},
        {"http://127.0.0.1:7201/wiki/Dog", true},
        {"http://example.org/wiki/Dog", true},
        {"http://example.org/?go=127.0.0.1:7200/wiki", false}, // the pattern only asks for the text
        {"about:blank", true},
    };
    PageState s;
    s.inRound = true;
    s.lastReportedPage = QStringLiteral("Dog");
    s.route = QStringLiteral("Cat\r");
    for (const Row &r : rows) {
        s.currentPage = QStringLiteral("Dog");
        const PageOutcome out = TitleRules::ApplyNavigation(QString::fromUtf8(r.url), domain, s);
        EXPECT_EQ(out.navigate.has_value(), r.reported) << r.url;
        EXPECT_EQ(s.currentPage, r.reported ? QStringLiteral("nowiki") : QStringLiteral("Dog")) << r.url;
        if (r.reported) {
            EXPECT_EQ(*out.navigate, QStringLiteral("nowiki"));
        }
        EXPECT_FALSE(out.caption);
    }
    // Reported every time, and nothing else moves.
    EXPECT_TRUE(TitleRules::ApplyNavigation(QStringLiteral("http://x.org/"), domain, s).navigate);
    EXPECT_TRUE(TitleRules::ApplyNavigation(QStringLiteral("http://x.org/"), domain, s).navigate);
    EXPECT_EQ(s.lastReportedPage, QStringLiteral("Dog"));
    EXPECT_EQ(s.route, QStringLiteral("Cat\r"));

    s.inRound = false;
    s.currentPage = QStringLiteral("Dog");
    EXPECT_FALSE(TitleRules::ApplyNavigation(QStringLiteral("http://x.org/"), domain, s).navigate);
    EXPECT_EQ(s.currentPage, QStringLiteral("Dog"));
}

} // namespace
