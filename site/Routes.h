#pragma once

#include "site/EncyclopediaSite.h"

#include <QStringList>
#include <optional>

// One shortest route by article links from `from` to `to`, both included, that never passes
// through a page of a kind the rules forbid ("List of…", numbers). Empty when no route leads
// there (or a word is no article); nothing when the search gave up: after `maxArticles` articles
// or `maxMs` milliseconds, as on an encyclopedia too large to search page by page.
std::optional<QStringList> ShortestRoute(const EncyclopediaSite &site, const QString &from, const QString &to,
                                         int maxArticles = 20000, int maxMs = 250);
