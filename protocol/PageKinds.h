#pragma once

#include <QString>

// How page names fall into the kinds the game rules on; the client reports them, and the server
// keeps routes clear of them.

// Wildcard match in which "*" stands for any run of characters (none included) and every other
// character matches only itself, case-sensitively.
bool MatchesWildcard(const QString &text, const QString &pattern);

// True when the text as a whole reads as a number: optional blanks around, an optional sign,
// digits with group separators (",") and one decimal point, an optional exponent.
bool IsNumericString(const QString &text);

// The kind word of a page name ("list", "history", ... "number"), or "" for an ordinary article.
QString PageKind(const QString &pageName);
