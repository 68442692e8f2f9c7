#pragma once

#include "site/EncyclopediaSite.h"

#include <memory>

// A ZIM archive, the format offline encyclopedia readers use, served page by page straight from
// the file: nothing proportional to the article count happens before the first page. Articles keep
// their own HTML with links rewritten to /wiki/<Title> addresses; the pictures, stylesheets and
// scripts they use are served from the archive under /zim/<path>. A case-blind title index is built
// in the background; until it is ready, look-ups ignoring case try the usual spellings instead.
// Then the link graph is built by reading every article, or read back from the cache folder where
// it was kept for this archive (by its UUID) at an earlier start.
class ZimSite : public EncyclopediaSite
{
public:
    // nullptr, with *error saying why, when the file is missing, unreadable, truncated or no ZIM archive.
    // The link graph is kept in `cacheFolder`; with none, it is built at every start.
    static std::shared_ptr<ZimSite> Open(const QString &file, QString *error,
                                         const QString &cacheFolder = {});
    ~ZimSite() override;

    // The archive's own name (its "Title" metadata), the file name when it has none.
    QString Title() const;
    QString Description() const override;
    qint64 ArticleCount() const override;
    QString Find(const QString &title) const override;
    QString FindIgnoringCase(const QString &title) const override;
    QString FindRedirect(const QString &name) const override;
    QString RandomArticle() const override;
    SiteAnswer Answer(const QByteArray &target) const override;
    QStringList Links(const QString &title) const override;
    int Progress() const override;
    std::shared_ptr<const LinkGraph> Graph() const override;
    int GraphProgress() const override;
    int GraphSecondsLeft() const override;
    LinkGraph::Node GraphNode(const QString &title) const override;
    QString GraphTitle(LinkGraph::Node node) const override;

    // Blocks until the background index is complete (benchmarks and tests).
    void WaitForIndex() const;
    // Titles and redirects in the case-blind index; 0 until it is complete.
    qint64 IndexedTitles() const;
    // Blocks until the background work is done, the link graph built or given up (benchmarks, tests).
    void WaitForGraph() const;
    // Whether the graph was read back from the cache folder rather than built.
    bool GraphLoadedFromCache() const;

private:
    struct Impl;
    ZimSite();
    std::unique_ptr<Impl> m_impl;
};
