#pragma once

#include "site/zim/ZimArchive.h"

#include <QString>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <utility>
#include <vector>

// The archive's titles and redirects ignoring case, built once on a background thread: the
// archive itself only finds a title spelt exactly. Until it is ready, look-ups try the usual
// spellings of a word instead.
class TitleIndex
{
public:
    explicit TitleIndex(const ZimArchive &archive) : m_archive(archive) {}

    // Reads every entry; returns early, leaving the index unready, once `stop` is set.
    void Build(const std::atomic<bool> &stop);

    // Entries whose title equals the name ignoring case, in title order.
    std::vector<zim::Entry> Matches(const QString &name) const;

    // In percent; 100 once ready.
    int Progress() const { return m_progress.load(std::memory_order_relaxed); }
    // Titles and redirects in the index; 0 until it is ready.
    qint64 Size() const;
    void WaitUntilReady() const;

private:
    const ZimArchive &m_archive;
    // (hash of the folded title, entry index), sorted; complete once m_ready is set.
    std::vector<std::pair<quint64, zim::entry_index_type>> m_folded;
    std::atomic<bool> m_ready{false};
    std::atomic<int> m_progress{0};
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_readyChanged;
};
