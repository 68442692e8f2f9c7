#include "site/zim/ZimSite.h"

#include "site/pages/Router.h"
#include "site/zim/TitleIndex.h"
#include "site/zim/ZimArchive.h"
#include "site/zim/ZimGraph.h"
#include "site/zim/ZimHtml.h"
#include "site/zim/ZimPages.h"

#include <atomic>
#include <thread>

struct ZimSite::Impl {
    std::unique_ptr<ZimArchive> archive;
    TitleIndex index;
    ZimGraph graph;
    ZimPages pages;
    std::atomic<bool> stop{false};
    // Builds the index, then the graph; the site answers from the start all the same.
    std::thread background;

    Impl(std::unique_ptr<ZimArchive> a, const QString &cacheFolder, std::function<QString()> drawRandom)
        : archive(std::move(a)), index(*archive), graph(*archive, cacheFolder),
          pages(*archive, index, std::move(drawRandom))
    {
    }
};

std::shared_ptr<ZimSite> ZimSite::Open(const QString &file, QString *error, const QString &cacheFolder)
{
    std::unique_ptr<ZimArchive> archive = ZimArchive::Open(file, error);
    if (!archive)
        return nullptr;
    std::shared_ptr<ZimSite> site(new ZimSite);
    ZimSite *raw = site.get();
    site->m_impl =
        std::make_unique<Impl>(std::move(archive), cacheFolder, [raw] { return raw->RandomArticle(); });
    Impl *impl = site->m_impl.get();
    impl->background = std::thread([impl] {
        impl->index.Build(impl->stop);
        if (!impl->stop)
            impl->graph.Build(impl->stop);
        impl->graph.Finish();
    });
    return site;
}

ZimSite::ZimSite() = default;

ZimSite::~ZimSite()
{
    m_impl->stop = true;
    if (m_impl->background.joinable())
        m_impl->background.join();
}

QString ZimSite::Title() const
{
    return m_impl->archive->Title();
}

QString ZimSite::Description() const
{
    return QStringLiteral("ZIM archive \"%1\" (%2 articles) from %3")
        .arg(m_impl->archive->Title())
        .arg(m_impl->archive->ArticleCount())
        .arg(m_impl->archive->File());
}

qint64 ZimSite::ArticleCount() const
{
    return m_impl->archive->ArticleCount();
}

int ZimSite::Progress() const
{
    return m_impl->index.Progress();
}

void ZimSite::WaitForIndex() const
{
    m_impl->index.WaitUntilReady();
}

qint64 ZimSite::IndexedTitles() const
{
    return m_impl->index.Size();
}

QString ZimSite::Find(const QString &title) const
{
    const ZimArchive &archive = *m_impl->archive;
    const auto e = archive.Lookup(title);
    return e && archive.IsArticle(*e) ? archive.TitleOf(*e) : QString();
}

QString ZimSite::FindIgnoringCase(const QString &title) const
{
    QString found = Find(title);
    if (!found.isEmpty())
        return found;
    const ZimArchive &archive = *m_impl->archive;
    for (const zim::Entry &e : m_impl->index.Matches(title)) {
        if (archive.IsArticle(e))
            return archive.TitleOf(e);
    }
    return {};
}

QString ZimSite::FindRedirect(const QString &name) const
{
    const ZimArchive &archive = *m_impl->archive;
    auto targetOf = [&archive](const zim::Entry &e) -> QString {
        if (!e.isRedirect())
            return {};
        const auto target = archive.Follow(e);
        return target && archive.IsArticle(*target) ? archive.TitleOf(*target) : QString();
    };
    if (const auto e = archive.Lookup(name)) {
        if (QString t = targetOf(*e); !t.isEmpty())
            return t;
    }
    for (const zim::Entry &e : m_impl->index.Matches(name)) {
        if (QString t = targetOf(e); !t.isEmpty())
            return t;
    }
    return {};
}

QString ZimSite::RandomArticle() const
{
    if (const auto graph = Graph()) {
        if (const LinkGraph::Node node = graph->RandomWinnable(); node != LinkGraph::kNoNode)
            return GraphTitle(node);
    }
    const ZimGraph &graph = m_impl->graph;
    return m_impl->archive->DrawArticle([&graph](zim::entry_index_type i) { return graph.KnownLinks(i); });
}

QStringList ZimSite::Links(const QString &title) const
{
    const ZimArchive &archive = *m_impl->archive;
    const auto e = archive.Lookup(title);
    if (!e || !archive.IsArticle(*e))
        return {};
    const std::optional<QByteArray> html = archive.Html(*e);
    if (!html)
        return {};
    return Guarded(
        [&] {
            return RewriteArticle(*html, e->getPath(), QString(), QByteArray(),
                                  [&archive](const std::string &path) { return archive.Resolve(path); })
                .links;
        },
        QStringList());
}

SiteAnswer ZimSite::Answer(const QByteArray &target) const
{
    return AnswerTarget(target, m_impl->pages);
}

std::shared_ptr<const LinkGraph> ZimSite::Graph() const
{
    return m_impl->graph.Get();
}

int ZimSite::GraphProgress() const
{
    return m_impl->graph.Progress();
}

int ZimSite::GraphSecondsLeft() const
{
    return m_impl->graph.SecondsLeft();
}

void ZimSite::WaitForGraph() const
{
    m_impl->graph.WaitUntilFinished();
}

bool ZimSite::GraphLoadedFromCache() const
{
    return m_impl->graph.LoadedFromCache();
}

LinkGraph::Node ZimSite::GraphNode(const QString &title) const
{
    const ZimArchive &archive = *m_impl->archive;
    const auto e = archive.Lookup(title);
    return e && archive.IsArticle(*e) ? LinkGraph::Node(e->getIndex()) : LinkGraph::kNoNode;
}

QString ZimSite::GraphTitle(LinkGraph::Node node) const
{
    const ZimArchive &archive = *m_impl->archive;
    if (node >= archive.EntryCount())
        return {};
    const auto e = archive.At(node);
    return e ? archive.TitleOf(*e) : QString();
}
