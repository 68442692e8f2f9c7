#pragma once

#include <QLatin1String>
#include <QString>
#include <QStringView>

// How page names fall into the kinds the game rules on; the client reports them, and the server
// keeps routes clear of them.

// Wildcard match in which "*" stands for any run of characters (none included) and every other
// character matches only itself, case-sensitively.
bool MatchesWildcard(const QString &text, const QString &pattern);

// True when the text as a whole reads as a number: optional blanks around, an optional sign,
// digits with group separators (",") and one decimal point, an optional exponent.
bool IsNumericString(const QString &text);

// What a page is to the game's rules. The client reports every kind but Article by its word (an
// article by its name); the server judges the word; the link graph keeps routes and draws to the
// pages a round allows.
enum class PageKind {
    Article,
    List,     // "List of ..."
    History,  // "... - History"
    Edit,     // "Editing ..."
    Talk,     // "Talk:..."
    Project,  // "Wikipedia:..."
    Category, // "Category:..."
    Help,     // "Help:..."
    Special,  // "Special:..."
    User,     // "User:..."
    Portal,   // "Portal:..."
    Search,   // "Search..." (a search result page, and articles whose name starts so)
    Number,   // a name that reads as a number ("1984")
    OffSite,  // a page off the encyclopedia's site
};

// The word a page of this kind is reported as ("list", "nowiki", ...); "" for Article.
QLatin1String KindWord(PageKind kind);
// The kind a reported value stands for: one of the words exactly, else Article (a page name).
PageKind KindOfWord(QStringView reported);

// The kind of a page name by the encyclopedia's naming. Never OffSite: that is told by address.
PageKind KindOfPage(const QString &pageName);

// Whether reporting a page of this kind takes a player out of the round. A search page does not: it
// counts as a click and the player goes on from it.
bool TakesPlayerOut(PageKind kind);
// Why a page of this kind took a player out, in plain words ("opened a Talk page", "left the
// encyclopedia"); "" for the kinds that take nobody out.
QString OutReason(PageKind kind);
// Whether a round can end on such a page: only an article is reported by its name, which is what
// the destination is compared with.
bool MayEndRound(PageKind kind);
