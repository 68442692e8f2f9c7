#pragma once

#include "site/pages/PageSource.h"

// The pages that look the same on every kind of encyclopedia, filled in from its PageSource.
namespace shared
{
// Special:Search: "go" leads to the article that fits the word; else the titles that match it.
SiteAnswer SearchPage(const PageSource &source, const QString &word, bool go);
// Talk:, Category:, Help:, User:, Portal:, Wikipedia: and Special: pages other than search and random.
SiteAnswer NamespacePage(const PageSource &source, const QString &name, const QString &ns,
                         const QString &rest);
SiteAnswer EditPage(const PageSource &source, const ArticleRef &article);
SiteAnswer HistoryPage(const PageSource &source, const ArticleRef &article);
} // namespace shared
