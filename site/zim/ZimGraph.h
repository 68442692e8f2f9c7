#pragma once

#include "site/graph/LinkGraph.h"
#include "site/zim/ZimArchive.h"

#include <QString>

#include <atomic>
#include <condition_variable>
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
    std::atomic<bool> m_fromCache{false};
    std::atomic<bool> m_finished{false};
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_finishedChanged;
};
