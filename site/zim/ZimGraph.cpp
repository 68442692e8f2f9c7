// The cluster an item is in, so each cluster is read by one thread: exported by libzim 8, but
// declared only behind this switch.
#define ZIM_PRIVATE

#include "site/zim/ZimGraph.h"

#include "protocol/PageKinds.h"

#include <QDir>
#include <QHash>

#include <zim/item.h>

#include <algorithm>
#include <thread>

namespace
{

// Entries of the archive handed to a thread at a time, in storage order; the thread carries on to
// the end of the cluster it is in, so each cluster is decompressed by one thread, once.
constexpr zim::entry_index_type kEntriesPerBlock = 512;

// Where the archive's paths lead, held in memory while the link graph is built: a directory
// look-up for every link of every article (a binary search that reads a dozen entries or more from
// the file) made that build take minutes on a large archive. Each entry's path is kept as two
// independent hashes, sorted, with the article the entry leads to after its redirects.
class PathTable
{
public:
    static constexpr quint32 kNone = 0xffffffffu;
    enum class Found { Here, Absent, Unsure };

    struct Row {
        quint64 key;
        quint32 check;
        quint32 leadsTo;
        bool operator<(const Row &o) const { return key != o.key ? key < o.key : check < o.check; }
    };
    static Row RowOf(const std::string &path, quint32 leadsTo) { return {Key(path), Check(path), leadsTo}; }

    // The rows of every part, in any order.
    void Seal(std::vector<std::vector<Row>> parts)
    {
        size_t total = 0;
        for (const auto &p : parts)
            total += p.size();
        m_rows.reserve(total);
        for (auto &p : parts) {
            m_rows.insert(m_rows.end(), p.begin(), p.end());
            p = {};
        }
        std::sort(m_rows.begin(), m_rows.end());
    }

    // Here with *leadsTo set (kNone for no article) when exactly one entry has this path's hashes;
    // Absent when none has; Unsure when two entries share them (the caller asks the archive).
    Found Find(const std::string &path, quint32 *leadsTo) const
    {
        const Row want{Key(path), Check(path), 0};
        auto it = std::lower_bound(m_rows.begin(), m_rows.end(), want);
        if (it == m_rows.end() || it->key != want.key || it->check != want.check)
            return Found::Absent;
        if (std::next(it) != m_rows.end() && std::next(it)->key == want.key &&
            std::next(it)->check == want.check)
            return Found::Unsure;
        *leadsTo = it->leadsTo;
        return Found::Here;
    }

private:
    static quint64 Key(const std::string &p)
    {
        return quint64(qHash(QByteArrayView(p.data(), qsizetype(p.size())), 0));
    }
    static quint32 Check(const std::string &p)
    {
        return quint32(qHash(QByteArrayView(p.data(), qsizetype(p.size())), 0x51ed270bu));
    }

    std::vector<Row> m_rows;
};

// The cluster a thread of the build is reading, decompressed once for all its articles.
struct HeldCluster {
    quint32 index = 0xffffffffu;
    std::shared_ptr<const ZimBlobs::Cluster> cluster;
};

// Marks an article and adds its links; false when it is no article or cannot be read.
bool ReadArticle(const ZimArchive &archive, const zim::Entry &e, const PathTable &paths, bool exactPaths,
                 HeldCluster &held, std::vector<quint8> &marks, LinkGraph::Rows &links,
                 const std::function<void(quint32)> &linked)
{
    if (e.isRedirect())
        return false;
    const zim::Item item = e.getItem();
    if (item.getMimetype().rfind("text/html", 0) != 0)
        return false;
    std::string_view text;
    if (const auto place = archive.Blobs().PlaceOf(e.getIndex())) {
        if (place->cluster != held.index) {
            held.index = place->cluster;
            held.cluster = archive.Blobs().Decompress(place->cluster);
        }
        if (held.cluster && place->blob < held.cluster->Count())
            text = held.cluster->Blob(place->blob);
    }
    // What the direct reader declines, libzim reads.
    zim::Blob blob;
    if (text.data() == nullptr) {
        blob = item.getData();
        text = std::string_view(blob.data(), blob.size());
    }
    const QByteArrayView html(text.data(), qsizetype(text.size()));
    const LinkGraph::Node from = e.getIndex();
    const QString title = FromUtf8(e.getTitle());
    quint8 mark = LinkGraph::MarksOf(KindOfPage(title));
    if (archive.IsMain(e) ||
        ZimArchive::IsDisambiguationPage(title, std::string_view(html.data(), size_t(html.size()))))
        mark &= ~LinkGraph::Drawable;
    marks[from] = mark;
    links.Begin(from);
    const std::string entryPath = e.getPath();
    ScanLinks(html, [&](const QByteArray &href) {
        if (href.startsWith('#'))
            return;
        const std::string path = ArchivePathOfLink(href, entryPath);
        if (path.empty())
            return;
        quint32 leadsTo = PathTable::kNone;
        const PathTable::Found found = paths.Find(path, &leadsTo);
        if (found == PathTable::Found::Here || (found == PathTable::Found::Absent && exactPaths)) {
            if (leadsTo != PathTable::kNone && leadsTo != from) {
                links.Add(leadsTo);
                linked(leadsTo);
            }
            return;
        }
        zim::entry_index_type to = 0;
        const LinkTarget t = archive.Resolve(path, &to);
        if (t.article && !t.main && to != from) {
            links.Add(to);
            linked(to);
        }
    });
    return true;
}

// Runs work(thread) on `threads` threads, the calling one among them.
template <typename Work> void OnThreads(int threads, const Work &work)
{
    std::vector<std::thread> others;
    for (int t = 1; t < threads; ++t)
        others.emplace_back([&work, t] { work(t); });
    work(0);
    for (std::thread &t : others)
        t.join();
}

} // namespace

qint64 NowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

ZimGraph::ZimGraph(const ZimArchive &archive, QString cacheFolder, int threads)
    : m_archive(archive), m_cacheFolder(std::move(cacheFolder)),
      m_threads(threads > 0 ? threads : int(qMax(1u, std::thread::hardware_concurrency()))),
      m_known(std::make_unique<std::atomic<quint8>[]>(archive.EntryCount()))
{
}

Candidate ZimGraph::KnownLinks(zim::entry_index_type index) const
{
    if (index >= m_archive.EntryCount())
        return Candidate::Refused;
    const quint8 known = m_known[index].load(std::memory_order_relaxed);
    if ((known & LinksOut) && (known & LinkedTo))
        return Candidate::Preferred;
    if (((known & Read) && !(known & LinksOut)) ||
        (m_everyArticleRead.load(std::memory_order_relaxed) && !(known & LinkedTo)))
        return Candidate::Refused;
    return Candidate::Possible;
}

int ZimGraph::SecondsLeft() const
{
    const qint64 started = m_startedMs.load();
    const int percent = Progress();
    if (started < 0 || percent < 1 || percent >= 100)
        return -1;
    const qint64 elapsed = NowMs() - started;
    if (elapsed < 1000)
        return -1;
    return int(elapsed * (100 - percent) / percent / 1000);
}

QString ZimGraph::CacheFile(const QByteArray &key) const
{
    return m_cacheFolder.isEmpty()
               ? QString()
               : m_cacheFolder + QStringLiteral("/%1.links").arg(QString::fromLatin1(key.toHex()));
}

void ZimGraph::Build(const std::atomic<bool> &stop)
{
    const std::optional<QByteArray> key = Guarded(
        [&]() -> std::optional<QByteArray> {
            const zim::Uuid uuid = m_archive.Library().getUuid();
            return QByteArray(uuid.data, sizeof uuid.data);
        },
        std::optional<QByteArray>());
    if (!key)
        return;
    const QString cache = CacheFile(*key);
    if (!cache.isEmpty()) {
        if (auto loaded = LinkGraph::Load(cache, *key, m_archive.EntryCount())) {
            m_fromCache = true;
            m_graph.Set(std::make_shared<const LinkGraph>(std::move(*loaded)));
            return;
        }
    }
    BuildFromArticles(stop, *key, cache);
}

void ZimGraph::BuildFromArticles(const std::atomic<bool> &stop, const QByteArray &key, const QString &cache)
{
    const zim::entry_index_type n = m_archive.EntryCount();
    const zim::Archive &library = m_archive.Library();
    m_startedMs = NowMs();
    std::atomic<quint64> done{0};
    // Progress: the first fifth for the paths, the rest for the articles.
    auto report = [&](quint64 count, int from, int span) {
        const quint64 all = done.fetch_add(count, std::memory_order_relaxed) + count;
        m_progress.store(from + int(qint64(all) * span / qMax<qint64>(1, n)), std::memory_order_relaxed);
    };

    // Where every path leads, each thread reading one stretch of the directory in path order.
    std::vector<std::vector<PathTable::Row>> parts(static_cast<size_t>(m_threads));
    std::atomic<bool> everyPath{true};
    OnThreads(m_threads, [&](int t) {
        const zim::entry_index_type begin =
            zim::entry_index_type(quint64(n) * quint64(t) / quint64(m_threads));
        const zim::entry_index_type end =
            zim::entry_index_type(quint64(n) * quint64(t + 1) / quint64(m_threads));
        std::vector<PathTable::Row> &rows = parts[size_t(t)];
        rows.reserve(end - begin);
        for (zim::entry_index_type i = begin; i < end; ++i) {
            if (stop.load(std::memory_order_relaxed))
                return;
            if ((i - begin) % 4096 == 4095)
                report(4096, 0, 20);
            // A damaged entry: paths the table lacks are asked of the archive.
            const bool read = Guarded(
                [&] {
                    const zim::Entry e = library.getEntryByPath(i);
                    quint32 leadsTo = PathTable::kNone;
                    if (const auto target = m_archive.Follow(e);
                        target && m_archive.IsArticle(*target) && !m_archive.IsMain(*target))
                        leadsTo = target->getIndex();
                    rows.push_back(PathTable::RowOf(e.getPath(), leadsTo));
                    return true;
                },
                false);
            if (!read)
                everyPath = false;
        }
    });
    if (stop.load())
        return;
    PathTable paths;
    paths.Seal(std::move(parts));
    // A path the table lacks names no entry when paths are looked up as they are; archives of
    // the older layout also try it in several namespaces, so the archive is asked.
    const bool exactPaths = everyPath && Guarded([&] { return library.hasNewNamespaceScheme(); }, false);

    // Articles are numbered by their place in path order, and read in the order the archive
    // stores them, a block of entries at a time on every thread.
    constexpr quint32 kNoCluster = 0xffffffffu;
    auto clusterAt = [&](zim::entry_index_type k) {
        return Guarded(
            [&] {
                const zim::Entry e = library.getEntryByClusterOrder(k);
                return e.isRedirect() ? kNoCluster : quint32(e.getItem().getClusterIndex());
            },
            kNoCluster);
    };
    std::vector<quint8> marks(n, 0);
    std::vector<LinkGraph::Rows> rows(static_cast<size_t>(m_threads));
    std::atomic<zim::entry_index_type> nextBlock{0};
    std::atomic<bool> failed{false};
    done = 0;
    // Random draws prefer the articles known to link both ways, as soon as that is known.
    const std::function<void(quint32)> linkedTo = [this](quint32 to) {
        m_known[to].fetch_or(LinkedTo, std::memory_order_relaxed);
    };
    OnThreads(m_threads, [&](int t) {
        LinkGraph::Rows &links = rows[size_t(t)];
        HeldCluster held;
        while (!stop.load(std::memory_order_relaxed)) {
            const zim::entry_index_type block = nextBlock.fetch_add(kEntriesPerBlock);
            if (block >= n)
                return;
            const zim::entry_index_type blockEnd = qMin(n, block + kEntriesPerBlock);
            // The cluster that runs into this block from the one before belongs to that block; the
            // one that runs out of it, to this one.
            zim::entry_index_type begin = block;
            if (block > 0) {
                const quint32 before = clusterAt(block - 1);
                while (before != kNoCluster && begin < blockEnd && clusterAt(begin) == before)
                    ++begin;
            }
            if (begin == blockEnd) {
                report(blockEnd - block, 20, 79);
                continue;
            }
            zim::entry_index_type end = blockEnd;
            if (end < n) {
                const quint32 last = clusterAt(end - 1);
                while (last != kNoCluster && end < n && clusterAt(end) == last)
                    ++end;
            }
            const bool read = Guarded(
                [&] {
                    for (zim::entry_index_type k = begin; k < end; ++k) {
                        const zim::Entry e = library.getEntryByClusterOrder(k);
                        // A damaged article is left without links; the others still count.
                        const size_t before = links.Size();
                        Guarded(
                            [&] {
                                return ReadArticle(m_archive, e, paths, exactPaths, held, marks, links,
                                                   linkedTo);
                            },
                            false);
                        const zim::entry_index_type index = e.getIndex();
                        m_known[index].fetch_or(quint8(Read | (links.Size() > before ? LinksOut : 0)),
                                                std::memory_order_relaxed);
                    }
                    return true;
                },
                false);
            if (!read)
                failed = true;
            report(blockEnd - block, 20, 79);
        }
    });
    if (stop.load() || failed.load())
        return;
    m_everyArticleRead = true;
    auto built = std::make_shared<const LinkGraph>(std::move(marks), std::move(rows));
    m_graph.Set(built);
    if (!cache.isEmpty() && QDir().mkpath(m_cacheFolder))
        built->Save(cache, key);
}

void ZimGraph::Finish()
{
    std::lock_guard lock(m_mutex);
    m_progress = 100;
    m_finished = true;
    m_finishedChanged.notify_all();
}

void ZimGraph::WaitUntilFinished() const
{
    std::unique_lock lock(m_mutex);
    m_finishedChanged.wait(lock, [this] { return m_finished.load(); });
}
