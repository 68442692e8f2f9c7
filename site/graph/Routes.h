#pragma once

#include "site/EncyclopediaSite.h"

#include <QStringList>
#include <optional>

// One shortest route by article links from `from` to `to`, both included, that never passes
// through a page of a kind the rules forbid ("List of…", numbers). Empty when no route leads
// there (or a word is no article); nothing while the encyclopedia's link graph is not ready.
std::optional<QStringList> ShortestRoute(const EncyclopediaSite &site, const QString &from,
                                         const QString &to);
