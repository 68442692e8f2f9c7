#pragma once

#include "site/graph/LinkGraph.h"
#include "site/zim/ZimArchive.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

// The link graph of an archive: read back from the cache folder where it was kept for this archive
// (by its UUID) at an earlier start, else built by reading every article and kept there.
class ZimGraph
{
public:
    // With no cache folder, the graph is built at every start; on `threads` threads, 0 for one a core.
    ZimGraph(const ZimArchive &archive, QString cacheFolder, int threads = 0);

    // Reads or builds the graph; returns early, with no graph, once `stop` is set. A damaged
    // archive has no graph: its rounds go without par and shortest routes.
    void Build(const std::atomic<bool> &stop);
    // No more work will come: the graph is there or never will be.
    void Finish();

    std::shared_ptr<const LinkGraph> Get() const { return m_graph.Get(); }
    // What the build has found so far of an article's links (by its index): preferred once it is
    // known to link out and be linked to, refused once it is known to lack either, else possible.
    Candidate KnownLinks(zim::entry_index_type index) const;
    // Seconds the build still needs at its pace so far; -1 while that cannot be told.
    int SecondsLeft() const;
    // In percent; 100 once finished.
    int Progress() const { return m_progress.load(std::memory_order_relaxed); }
    bool LoadedFromCache() const { return m_fromCache.load(); }
    void WaitUntilFinished() const;

private:
    QString CacheFile(const QByteArray &key) const;
    void BuildFromArticles(const std::atomic<bool> &stop, const QByteArray &key, const QString &cache);

    const ZimArchive &m_archive;
    QString m_cacheFolder;
    int m_threads;
    PendingGraph m_graph;
    std::atomic<int> m_progress{0};
    // Per entry, what the build has found so far: read, links out, linked to.
    enum Known : quint8 { Read = 1, LinksOut = 2, LinkedTo = 4 };
    std::unique_ptr<std::atomic<quint8>[]> m_known;
    std::atomic<bool> m_everyArticleRead{false};
    std::atomic<qint64> m_startedMs{-1};
    std::atomic<bool> m_fromCache{false};
    std::atomic<bool> m_finished{false};
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_finishedChanged;
};
