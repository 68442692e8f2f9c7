// One rule for the kinds of pages: how a page name is classified, what it is reported as, and what
// the round makes of it. The client, the server's judge and the link graph all read this table.
#include "protocol/PageKinds.h"

#include <gtest/gtest.h>

namespace
{

TEST(PageKinds, EveryKindIsReportedJudgedAndRoutedByOneRule)
{
    struct Row {
        PageKind kind;
        const char *example; // a page name of that kind; nullptr where no name makes it
        const char *word;    // what the client reports
        bool takesOut;       // the server disqualifies; routes never pass through it
        bool mayEnd;         // a round can end on it, so a random draw may give it
    };
    const Row rows[] = {
        {PageKind::Article, "Dog", "", false, true},
        {PageKind::List, "List of dogs", "list", true, false},
        {PageKind::History, "Dog - History", "history", true, false},
        {PageKind::Edit, "Editing Dog", "edit", true, false},
        {PageKind::Talk, "Talk:Dog", "talk", true, false},
        {PageKind::Project, "Wikipedia:About", "wiki", true, false},
        {PageKind::Category, "Category:Dogs", "category", true, false},
        {PageKind::Help, "Help:Contents", "help", true, false},
        {PageKind::Special, "Special:Random", "special", true, false},
        {PageKind::User, "User:Ann", "user", true, false},
        {PageKind::Portal, "Portal:Animals", "portal", true, false},
        // A search result page, and an article whose name starts so: counted, never disqualifying,
        // so a route may pass through it; but it is reported by its kind, never by the name a
        // destination is compared with, so no round can end on it.
        {PageKind::Search, "Search engine", "search", false, false},
        {PageKind::Number, "1984", "number", true, false},
        {PageKind::OffSite, nullptr, "nowiki", true, false},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.word);
        if (r.example) {
            EXPECT_EQ(KindOfPage(QString::fromUtf8(r.example)), r.kind);
        }
        EXPECT_EQ(KindWord(r.kind), QLatin1String(r.word));
        if (r.kind != PageKind::Article) {
            EXPECT_EQ(KindOfWord(QString::fromUtf8(r.word)), r.kind);
        }
        EXPECT_EQ(TakesPlayerOut(r.kind), r.takesOut);
        EXPECT_EQ(MayEndRound(r.kind), r.mayEnd);
    }
    EXPECT_EQ(std::size(rows), size_t(PageKind::OffSite) + 1) << "every kind has its row";
}

TEST(PageKinds, OnlyTheExactWordIsAKind)
{
    // Anything else a client reports is a page name: an article the server compares with the
    // destination.
    for (const char *name : {"", "Special", "LIST", "nowiki ", "wikis", "Search", "search engine", "Dog"})
        EXPECT_EQ(KindOfWord(QString::fromUtf8(name)), PageKind::Article) << name;
    // A kind word typed as a page name is classified by the naming rules, not as the word.
    EXPECT_EQ(KindOfPage(QStringLiteral("history")), PageKind::Article);
    EXPECT_EQ(KindOfPage(QStringLiteral("Search")), PageKind::Search);
}

} // namespace
