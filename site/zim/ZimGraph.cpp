#include "site/zim/ZimGraph.h"

#include "protocol/PageKinds.h"

#include <QDir>
#include <QHash>

#include <algorithm>

namespace
{

// Where the archive's paths lead, held in memory while the link graph is built: a directory
// look-up for every link of every article (a binary search that reads a dozen entries or more from
// the file) made that build take minutes on a large archive. Each entry's path is kept as two
// independent hashes, sorted, with the article the entry leads to after its redirects.
class PathTable
{
public:
    static constexpr quint32 kNone = 0xffffffffu;
    enum class Found { Here, Absent, Unsure };

    void Add(const std::string &path, quint32 leadsTo)
    {
        m_rows.push_back({Key(path), Check(path), leadsTo});
    }
    void Seal() { std::sort(m_rows.begin(), m_rows.end()); }

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
    struct Row {
        quint64 key;
        quint32 check;
        quint32 leadsTo;
        bool operator<(const Row &o) const { return key != o.key ? key < o.key : check < o.check; }
    };
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

// Marks an article and adds its links; false when it is no article or cannot be read.
bool ReadArticle(const ZimArchive &archive, const zim::Entry &e, const PathTable &paths, bool exactPaths,
                 std::vector<quint8> &marks, LinkGraph::Rows &links)
{
    if (!archive.IsArticle(e))
        return false;
    const std::optional<QByteArray> html = archive.Html(e);
    if (!html)
        return false;
    const LinkGraph::Node from = e.getIndex();
    const QString title = archive.TitleOf(e);
    quint8 mark = LinkGraph::MarksOf(KindOfPage(title));
    if (archive.IsMain(e) ||
        ZimArchive::IsDisambiguationPage(title, std::string_view(html->constData(), html->size())))
        mark &= ~LinkGraph::Drawable;
    marks[from] = mark;
    links.Begin(from);
    // Only the links found count here, not the page they make.
    RewriteArticle(*html, e.getPath(), QString(), QByteArray(), [&](const std::string &path) {
        quint32 leadsTo = PathTable::kNone;
        const PathTable::Found found = paths.Find(path, &leadsTo);
        if (found == PathTable::Found::Here || (found == PathTable::Found::Absent && exactPaths)) {
            if (leadsTo != PathTable::kNone)
                links.Add(leadsTo);
            LinkTarget t;
            t.exists = found == PathTable::Found::Here;
            t.article = leadsTo != PathTable::kNone;
            return t;
        }
        zim::entry_index_type to = 0;
        LinkTarget t = archive.Resolve(path, &to);
        if (t.article && !t.main)
            links.Add(to);
        return t;
    });
    return true;
}

} // namespace

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
    // Where every path leads, read once in path order (the directory's own order).
    PathTable paths;
    bool everyPath = true;
    // Progress: the first fifth for the paths, the rest for the articles.
    for (zim::entry_index_type i = 0; i < n; ++i) {
        if (stop.load(std::memory_order_relaxed))
            return;
        if (i % 4096 == 0)
            m_progress.store(int(qint64(i) * 20 / qMax<qint64>(1, n)), std::memory_order_relaxed);
        // A damaged entry: paths the table lacks are asked of the archive.
        everyPath &= Guarded(
            [&] {
                const zim::Entry e = m_archive.Library().getEntryByPath(i);
                quint32 leadsTo = PathTable::kNone;
                if (const auto target = m_archive.Follow(e);
                    target && m_archive.IsArticle(*target) && !m_archive.IsMain(*target))
                    leadsTo = target->getIndex();
                paths.Add(e.getPath(), leadsTo);
                return true;
            },
            false);
    }
    paths.Seal();
    // A path the table lacks names no entry when paths are looked up as they are; archives of
    // the older layout also try it in several namespaces, so the archive is asked.
    const bool exactPaths =
        everyPath && Guarded([&] { return m_archive.Library().hasNewNamespaceScheme(); }, false);

    // Articles are numbered by their place in path order. Reading them in the order the
    // archive stores them decompresses each cluster once.
    std::vector<quint8> marks(n, 0);
    LinkGraph::Rows links;
    const bool read = Guarded(
        [&] {
            zim::entry_index_type done = 0;
            for (const zim::Entry &e : m_archive.Library().iterEfficient()) {
                if (stop.load(std::memory_order_relaxed))
                    return false;
                if (++done % 1024 == 0)
                    m_progress.store(20 + int(qint64(done) * 79 / qMax<qint64>(1, n)),
                                     std::memory_order_relaxed);
                // A damaged article is left without links; the others still count.
                Guarded([&] { return ReadArticle(m_archive, e, paths, exactPaths, marks, links); }, false);
            }
            return true;
        },
        false);
    if (!read)
        return;
    auto built = std::make_shared<const LinkGraph>(std::move(marks), std::move(links));
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
