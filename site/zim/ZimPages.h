#pragma once

#include "site/pages/LruCache.h"
#include "site/pages/PageSource.h"
#include "site/zim/TitleIndex.h"
#include "site/zim/ZimArchive.h"

#include <functional>

// An archive as the shared router and pages see it: its articles are stored HTML, rewritten as they
// are served, with no text to edit, no categories and no record of which articles link where.
class ZimPages : public PageSource
{
public:
    // `drawRandom` gives the title of a random article, "" when there is none.
    ZimPages(const ZimArchive &archive, const TitleIndex &index, std::function<QString()> drawRandom);

    // What "go" finds for a typed word: the title, then the title ignoring case, then a redirect.
    QString SearchTitle(const QString &word) const;

    Origin ArticleOrigin() const override { return Origin::Archive; }
    std::optional<SiteAnswer> OwnPage(const QString &name) const override;
    SiteAnswer MainPage() const override;
    std::optional<ArticleRef> FindArticle(const QString &name) const override;
    QByteArray RedirectAddress(const QString &) const override { return {}; }
    QByteArray GoAddress(const QString &word) const override;
    TitleSearch SearchTitles(const QString &word) const override;
    QByteArray RandomAddress() const override;
    SiteAnswer Resource(const QByteArray &encodedPath) const override;
    QByteArray ArticleText(const ArticleRef &) const override { return {}; }
    bool KeepsCategories() const override { return false; }
    QStringList Categories() const override { return {}; }
    QList<ArticleRef> CategoryMembers(const QString &) const override { return {}; }
    bool KeepsLinksHere() const override { return false; }
    QList<ArticleRef> LinksHere(const ArticleRef &) const override { return {}; }

private:
    SiteAnswer ArticlePage(const zim::Entry &e, const QString &pageName) const;
    QByteArray AddressOfTitle(const QString &title) const;

    const ZimArchive &m_archive;
    const TitleIndex &m_index;
    std::function<QString()> m_drawRandom;
    // Article pages as served lately: the players of one round read the same few hundred.
    static constexpr int kServedPages = 4096;
    static constexpr qint64 kServedBytes = 64ll << 20;
    mutable LruCache<quint64, SiteAnswer> m_served{kServedPages, kServedBytes};
};
