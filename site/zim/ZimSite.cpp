#include "site/zim/ZimSite.h"

#include "site/corpus/Corpus.h"
#include "site/zim/ZimHtml.h"

#include "protocol/PageKinds.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRandomGenerator>
#include <QUrl>

#include <zim/archive.h>
#include <zim/entry.h>
#include <zim/item.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

using namespace page;

namespace
{

// Redirects pointing at redirects are followed this far, so a loop in a damaged archive ends.
constexpr int kMaxRedirectHops = 8;
// Special:Random draws again when it hits a redirect, the main page or a disambiguation page.
constexpr int kMaxRandomTries = 200;
// Titles listed by a search result page.
constexpr int kMaxSearchResults = 20;
// Entries looked at for one search result page, so a prefix shared by millions of titles stays cheap.
constexpr int kMaxSearchScan = 400;
// A picture, stylesheet or script larger than this is not served: each answer is held in memory
// whole, and a few such requests at once must not bloat the server. Pictures of encyclopedia
// archives are far smaller.
constexpr quint64 kMaxResourceBytes = 16 * 1024 * 1024;
// The archive's own name as the window shows it, at most this many characters.
constexpr qsizetype kMaxTitleChars = 200;
// What disambiguation pages carry in the HTML of the usual encyclopedia archives: the page property
// of their template, its box classes, and the older box id.
const char *const kDisambiguationMarkers[] = {"mw:PageProp/disambiguation", "dmbox-disambig",
                                              "id=\"disambigbox\""};

std::string Utf8(const QString &s)
{
    return s.toStdString();
}

QString FromUtf8(const std::string &s)
{
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

quint64 FoldedKey(const QString &title)
{
    return quint64(qHash(Corpus::NormalizeTitle(title).toCaseFolded(), 0));
}

bool IsHtml(const std::string &mimetype)
{
    return mimetype.rfind("text/html", 0) == 0;
}

// Spellings a typed word may have in another case, tried while the case-blind index is not ready.
QStringList CaseVariants(const QString &word)
{
    QStringList out;
    auto add = [&out](const QString &s) {
        if (!s.isEmpty() && !out.contains(s))
            out.append(s);
    };
    const QString lower = word.toLower();
    auto capitalised = [](QString s) {
        if (!s.isEmpty())
            s[0] = s[0].toUpper();
        return s;
    };
    add(capitalised(word));
    add(capitalised(lower));
    QString words = lower;
    for (qsizetype i = 0; i < words.size(); ++i) {
        if (i == 0 || words[i - 1] == QLatin1Char(' ') || words[i - 1] == QLatin1Char('('))
            words[i] = words[i].toUpper();
    }
    add(words);
    add(lower);
    add(word.toUpper());
    return out;
}

bool IsDisambiguationPage(const QString &title, std::string_view html)
{
    if (title.endsWith(QLatin1String("(disambiguation)"), Qt::CaseInsensitive))
        return true;
    for (const char *marker : kDisambiguationMarkers) {
        if (html.find(marker) != std::string_view::npos)
            return true;
    }
    return false;
}

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

} // namespace

struct ZimSite::Impl {
    QString file;
    zim::Archive archive;
    QString title;
    qint64 articleCount = 0;
    std::optional<zim::entry_index_type> mainIndex;

    // The case-blind index: (hash of the folded title, entry index), sorted; complete when `ready`.
    std::vector<std::pair<quint64, zim::entry_index_type>> folded;
    std::atomic<bool> ready{false};
    std::atomic<bool> stop{false};
    std::atomic<int> progress{0};
    mutable std::mutex readyMutex;
    mutable std::condition_variable readyChanged;
    std::thread indexer;

    // The link graph, built after the index (or read from the cache folder when it holds this
    // archive's graph) and written there for the next start.
    QString cacheFolder;
    PendingGraph graph;
    std::atomic<int> graphProgress{0};
    std::atomic<bool> graphFromCache{false};
    std::atomic<bool> graphDone{false};

    Impl(const QString &path, QString cache) : file(path), archive(Utf8(path)), cacheFolder(std::move(cache))
    {
    }

    void Background()
    {
        BuildIndex();
        if (!stop)
            BuildGraph();
        std::lock_guard lock(readyMutex);
        graphProgress = 100;
        graphDone = true;
        readyChanged.notify_all();
    }

    QString CacheFile(const QByteArray &key) const
    {
        return cacheFolder.isEmpty()
                   ? QString()
                   : cacheFolder + QStringLiteral("/%1.links").arg(QString::fromLatin1(key.toHex()));
    }

    void BuildGraph()
    {
        try {
            const zim::Uuid uuid = archive.getUuid();
            const QByteArray key(uuid.data, sizeof uuid.data);
            const zim::entry_index_type n = archive.getEntryCount();
            const QString cache = CacheFile(key);
            if (!cache.isEmpty()) {
                if (auto loaded = LinkGraph::Load(cache, key, n)) {
                    graphFromCache = true;
                    graph.Set(std::make_shared<const LinkGraph>(std::move(*loaded)));
                    return;
                }
            }
            // Where every path leads, read once in path order (the directory's own order).
            PathTable paths;
            bool everyPath = true;
            // Progress: the first fifth for the paths, the rest for the articles.
            for (zim::entry_index_type i = 0; i < n; ++i) {
                if (stop.load(std::memory_order_relaxed))
                    return;
                if (i % 4096 == 0)
                    graphProgress.store(int(qint64(i) * 20 / qMax<qint64>(1, n)), std::memory_order_relaxed);
                try {
                    const zim::Entry e = archive.getEntryByPath(i);
                    quint32 leadsTo = PathTable::kNone;
                    if (const auto target = Follow(e); target && IsArticle(*target) && !IsMain(*target))
                        leadsTo = target->getIndex();
                    paths.Add(e.getPath(), leadsTo);
                } catch (...) {
                    everyPath = false; // a damaged entry: paths the table lacks are asked of the archive
                }
            }
            paths.Seal();
            // A path the table lacks names no entry when paths are looked up as they are; archives of
            // the older layout also try it in several namespaces, so the archive is asked.
            const bool exactPaths = everyPath && archive.hasNewNamespaceScheme();

            // Articles are numbered by their place in path order. Reading them in the order the
            // archive stores them decompresses each cluster once.
            std::vector<quint8> marks(n, 0);
            LinkGraph::Rows links;
            zim::entry_index_type done = 0;
            for (const zim::Entry &e : archive.iterEfficient()) {
                if (stop.load(std::memory_order_relaxed))
                    return;
                if (++done % 1024 == 0)
                    graphProgress.store(20 + int(qint64(done) * 79 / qMax<qint64>(1, n)),
                                        std::memory_order_relaxed);
                try {
                    if (!IsArticle(e))
                        continue;
                    const LinkGraph::Node from = e.getIndex();
                    const QString title = TitleOf(e);
                    const QByteArray html = Html(e);
                    quint8 mark = PageKind(title).isEmpty() ? LinkGraph::Passable : 0;
                    if (!IsMain(e) &&
                        !IsDisambiguationPage(title, std::string_view(html.constData(), html.size())))
                        mark |= LinkGraph::Drawable;
                    marks[from] = mark;
                    links.Begin(from);
                    // Only the links found count here, not the page they make.
                    RewriteArticle(html, e.getPath(), QString(), QByteArray(), [&](const std::string &path) {
                        quint32 leadsTo = PathTable::kNone;
                        const PathTable::Found found = paths.Find(path, &leadsTo);
                        if (found == PathTable::Found::Here ||
                            (found == PathTable::Found::Absent && exactPaths)) {
                            if (leadsTo != PathTable::kNone)
                                links.Add(leadsTo);
                            LinkTarget t;
                            t.exists = found == PathTable::Found::Here;
                            t.article = leadsTo != PathTable::kNone;
                            return t;
                        }
                        zim::entry_index_type to = 0;
                        LinkTarget t = Resolve(path, &to);
                        if (t.article && !t.main)
                            links.Add(to);
                        return t;
                    });
                } catch (...) {
                    // A damaged article is left without links; the others still count.
                }
            }
            auto built = std::make_shared<const LinkGraph>(std::move(marks), std::move(links));
            graph.Set(built);
            if (!cache.isEmpty() && QDir().mkpath(cacheFolder))
                built->Save(cache, key);
        } catch (...) {
            // No graph for a damaged archive: its rounds go without par and shortest routes.
        }
    }

    void BuildIndex()
    {
        try {
            const zim::entry_index_type n = archive.getEntryCount();
            std::vector<std::pair<quint64, zim::entry_index_type>> keys;
            keys.reserve(n);
            for (zim::entry_index_type i = 0; i < n && !stop.load(std::memory_order_relaxed); ++i) {
                // Every entry in path order: the title order of this library version lists front
                // articles only, and redirects are named too. Pictures and stylesheets are left out.
                const zim::Entry e = archive.getEntryByPath(i);
                if (e.isRedirect() || IsHtml(e.getItem().getMimetype()))
                    keys.emplace_back(FoldedKey(FromUtf8(e.getTitle())), e.getIndex());
                if (i % 4096 == 0)
                    progress.store(int(qint64(i) * 99 / qMax<qint64>(1, n)), std::memory_order_relaxed);
            }
            if (stop)
                return;
            // Stable: of several titles that differ only in case, the first in path order wins.
            std::stable_sort(keys.begin(), keys.end(),
                             [](const auto &a, const auto &b) { return a.first < b.first; });
            keys.shrink_to_fit();
            folded = std::move(keys);
        } catch (...) {
            folded.clear(); // a damaged directory: look-ups keep using the spellings
        }
        std::lock_guard lock(readyMutex);
        progress = 100;
        ready = true;
        readyChanged.notify_all();
    }

    std::optional<zim::Entry> ByPath(const std::string &path) const
    {
        try {
            return archive.getEntryByPath(path);
        } catch (...) {
            return std::nullopt;
        }
    }

    std::optional<zim::Entry> ByTitle(const std::string &title) const
    {
        try {
            return archive.getEntryByTitle(title);
        } catch (...) {
            return std::nullopt;
        }
    }

    // The entry a name from an address or a search box names: by title, else by path (where blanks
    // are underscores). Redirects included.
    std::optional<zim::Entry> Lookup(const QString &name) const
    {
        const QString n = Corpus::NormalizeTitle(name);
        if (n.isEmpty() || n.contains(QChar(0)))
            return std::nullopt;
        if (auto e = ByTitle(Utf8(n)))
            return e;
        QString path = n;
        path.replace(QLatin1Char(' '), QLatin1Char('_'));
        return ByPath(Utf8(path));
    }

    // The entry a redirect leads to in the end; the entry itself when it is none.
    std::optional<zim::Entry> Follow(zim::Entry e) const
    {
        try {
            for (int hop = 0; hop < kMaxRedirectHops && e.isRedirect(); ++hop)
                e = e.getRedirectEntry();
            if (e.isRedirect())
                return std::nullopt;
            return e;
        } catch (...) {
            return std::nullopt;
        }
    }

    bool IsArticle(const zim::Entry &e) const
    {
        try {
            return !e.isRedirect() && IsHtml(e.getItem().getMimetype());
        } catch (...) {
            return false;
        }
    }

    bool IsMain(const zim::Entry &e) const { return mainIndex && e.getIndex() == *mainIndex; }

    QString TitleOf(const zim::Entry &e) const
    {
        try {
            return FromUtf8(e.getTitle());
        } catch (...) {
            return {};
        }
    }

    // Entries whose title equals the name ignoring case, in title order.
    std::vector<zim::Entry> FoldedMatches(const QString &name) const
    {
        std::vector<zim::Entry> out;
        const QString want = Corpus::NormalizeTitle(name).toCaseFolded();
        if (want.isEmpty())
            return out;
        if (ready.load(std::memory_order_acquire)) {
            const quint64 key = FoldedKey(name);
            auto it =
                std::lower_bound(folded.begin(), folded.end(), std::make_pair(key, zim::entry_index_type(0)),
                                 [](const auto &a, const auto &b) { return a.first < b.first; });
            for (; it != folded.end() && it->first == key; ++it) {
                try {
                    zim::Entry e = archive.getEntryByPath(it->second);
                    if (Corpus::NormalizeTitle(FromUtf8(e.getTitle())).toCaseFolded() == want)
                        out.push_back(e);
                } catch (...) {
                }
            }
            return out;
        }
        for (const QString &variant : CaseVariants(Corpus::NormalizeTitle(name))) {
            if (auto e = Lookup(variant))
                out.push_back(*e);
        }
        return out;
    }

    bool IsDisambiguation(const zim::Entry &e) const
    {
        try {
            const zim::Blob blob = e.getItem().getData();
            return IsDisambiguationPage(TitleOf(e), std::string_view(blob.data(), blob.size()));
        } catch (...) {
            return IsDisambiguationPage(TitleOf(e), {});
        }
    }

    // The address on the site of an entry: articles under /wiki/, everything else under /zim/.
    QByteArray AddressOf(const zim::Entry &e) const
    {
        if (IsMain(e))
            return "/wiki/Main_Page";
        if (IsArticle(e))
            return ArticleAddress(TitleOf(e));
        return ResourceAddress(e.getPath());
    }

    static QByteArray ResourceAddress(const std::string &path)
    {
        return "/zim/" + QUrl::toPercentEncoding(FromUtf8(path), "/");
    }

    // `index`, when given, receives the entry's index in path order.
    LinkTarget Resolve(const std::string &path, zim::entry_index_type *index = nullptr) const
    {
        LinkTarget t;
        auto e = ByPath(path);
        if (e)
            e = Follow(*e);
        if (!e)
            return t;
        if (index)
            *index = e->getIndex();
        t.exists = true;
        if (IsArticle(*e)) {
            t.article = true;
            t.main = IsMain(*e);
            t.title = TitleOf(*e);
            t.address = AddressOf(*e);
        } else {
            t.address = ResourceAddress(e->getPath());
        }
        return t;
    }

    QByteArray Html(const zim::Entry &e) const
    {
        const zim::Blob blob = e.getItem().getData();
        return QByteArray(blob.data(), qsizetype(blob.size()));
    }

    SiteAnswer ArticlePage(const zim::Entry &e, const QString &pageName) const
    {
        try {
            const QString title = TitleOf(e);
            RewrittenPage page = RewriteArticle(Html(e), e.getPath(), PageTitle(pageName), ArticleTabs(title),
                                                [this](const std::string &path) { return Resolve(path); });
            return Page(std::move(page.html));
        } catch (...) {
            return NotFound();
        }
    }

    SiteAnswer MainPage() const
    {
        if (mainIndex) {
            try {
                if (auto e = Follow(archive.getEntryByPath(*mainIndex)); e && IsArticle(*e))
                    return ArticlePage(*e, QStringLiteral("Main Page"));
            } catch (...) {
            }
        }
        QByteArray out = PageStart(QStringLiteral("Main Page"), title);
        out.append("<p>This encyclopedia holds ");
        out.append(QByteArray::number(articleCount));
        out.append(" articles. ");
        AppendLink(out, "/wiki/Special:Random", QStringLiteral("Read a random article"));
        out.append(" or ");
        AppendLink(out, "/wiki/Special:Search", QStringLiteral("search the titles"));
        out.append(".</p>\n");
        PageEnd(out);
        return Page(out);
    }

    SiteAnswer Resource(QByteArrayView encoded) const
    {
        const QByteArray path = QByteArray::fromPercentEncoding(encoded.toByteArray());
        if (!IsSafeArchivePath(path))
            return NotFound();
        auto entry = ByPath(path.toStdString());
        if (!entry)
            return NotFound();
        try {
            if (entry->isRedirect() || IsArticle(*entry)) {
                const auto target = Follow(*entry);
                return target ? Redirect(AddressOf(*target)) : NotFound();
            }
            const zim::Item item = entry->getItem();
            if (quint64(item.getSize()) > kMaxResourceBytes)
                return NotFound();
            const zim::Blob blob = item.getData();
            SiteAnswer a = Page(QByteArray(blob.data(), qsizetype(blob.size())));
            a.contentType = QByteArray::fromStdString(item.getMimetype());
            if (a.contentType.isEmpty() || a.contentType.contains('\n') || a.contentType.contains('\r'))
                a.contentType = "application/octet-stream";
            return a;
        } catch (...) {
            return NotFound();
        }
    }

    QString SearchTitle(const QString &word) const;
    SiteAnswer SearchPage(const QHash<QByteArray, QString> &query) const;
    SiteAnswer OtherPage(const QString &name, const QString &ns, const QString &rest,
                         const QHash<QByteArray, QString> &query) const;
    SiteAnswer IndexPhp(const QHash<QByteArray, QString> &query) const;
};

std::shared_ptr<ZimSite> ZimSite::Open(const QString &file, QString *error, const QString &cacheFolder)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return nullptr;
    };
    const QFileInfo info(file);
    if (!info.exists())
        return fail(QStringLiteral("there is no file %1").arg(file));
    if (!info.isFile())
        return fail(QStringLiteral("%1 is not a file").arg(file));
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("%1 cannot be read: %2").arg(file, f.errorString()));
    // Every ZIM archive starts with the magic number 72173914, little-endian.
    if (f.read(4) != QByteArray("ZIM\x04", 4))
        return fail(QStringLiteral("%1 is not a ZIM archive").arg(file));
    f.close();
    std::unique_ptr<Impl> impl;
    try {
        impl = std::make_unique<Impl>(info.absoluteFilePath(), cacheFolder);
        // A cut-off file still has its header; its directory and end are checked here, cheaply.
        const zim::entry_index_type n = impl->archive.getEntryCount();
        if (n > 0) {
            (void)impl->archive.getEntryByPath(0).getPath();
            (void)impl->archive.getEntryByPath(n - 1).getPath();
        }
        if (impl->archive.hasChecksum() && impl->archive.getChecksum().empty())
            return fail(QStringLiteral("%1 is damaged: its checksum is missing").arg(file));
        impl->articleCount = qint64(impl->archive.getArticleCount());
        // The main entry is often a redirect to the real first page.
        if (impl->archive.hasMainEntry()) {
            if (const auto main = impl->Follow(impl->archive.getMainEntry()))
                impl->mainIndex = main->getIndex();
        }
        try {
            impl->title = FromUtf8(impl->archive.getMetadata("Title")).simplified().left(kMaxTitleChars);
        } catch (...) {
        }
    } catch (const std::exception &e) {
        return fail(QStringLiteral("%1 is damaged or not a complete ZIM archive (%2)")
                        .arg(file, QString::fromUtf8(e.what())));
    } catch (...) {
        return fail(QStringLiteral("%1 is damaged or not a complete ZIM archive").arg(file));
    }
    if (impl->title.isEmpty())
        impl->title = info.fileName();
    Impl *raw = impl.get();
    raw->indexer = std::thread([raw] { raw->Background(); });
    return std::shared_ptr<ZimSite>(new ZimSite(std::move(impl)));
}

ZimSite::ZimSite(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

ZimSite::~ZimSite()
{
    m_impl->stop = true;
    if (m_impl->indexer.joinable())
        m_impl->indexer.join();
}

QString ZimSite::Title() const
{
    return m_impl->title;
}

QString ZimSite::Description() const
{
    return QStringLiteral("ZIM archive \"%1\" (%2 articles) from %3")
        .arg(m_impl->title)
        .arg(m_impl->articleCount)
        .arg(m_impl->file);
}

qint64 ZimSite::ArticleCount() const
{
    return m_impl->articleCount;
}

int ZimSite::Progress() const
{
    return m_impl->progress.load(std::memory_order_relaxed);
}

void ZimSite::WaitForIndex() const
{
    std::unique_lock lock(m_impl->readyMutex);
    m_impl->readyChanged.wait(lock, [this] { return m_impl->ready.load(); });
}

qint64 ZimSite::IndexedTitles() const
{
    return m_impl->ready.load(std::memory_order_acquire) ? qint64(m_impl->folded.size()) : 0;
}

QString ZimSite::Find(const QString &title) const
{
    const auto e = m_impl->Lookup(title);
    return e && m_impl->IsArticle(*e) ? m_impl->TitleOf(*e) : QString();
}

QString ZimSite::FindIgnoringCase(const QString &title) const
{
    QString found = Find(title);
    if (!found.isEmpty())
        return found;
    for (const zim::Entry &e : m_impl->FoldedMatches(title)) {
        if (m_impl->IsArticle(e))
            return m_impl->TitleOf(e);
    }
    return {};
}

QString ZimSite::FindRedirect(const QString &name) const
{
    auto targetOf = [this](const zim::Entry &e) -> QString {
        if (!e.isRedirect())
            return {};
        const auto target = m_impl->Follow(e);
        return target && m_impl->IsArticle(*target) ? m_impl->TitleOf(*target) : QString();
    };
    if (const auto e = m_impl->Lookup(name)) {
        if (QString t = targetOf(*e); !t.isEmpty())
            return t;
    }
    for (const zim::Entry &e : m_impl->FoldedMatches(name)) {
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
    // Drawing again after a miss keeps the draw uniform over the articles that are accepted. The
    // library's own random entry never picks the last front article, so the draw is made here.
    const zim::Archive &archive = m_impl->archive;
    quint32 count = 0;
    try {
        count = archive.hasNewNamespaceScheme() ? archive.getArticleCount() : archive.getEntryCount();
    } catch (...) {
        return {};
    }
    if (count == 0)
        return {};
    for (int i = 0; i < kMaxRandomTries; ++i) {
        try {
            const zim::Entry e = archive.getEntryByTitle(QRandomGenerator::global()->bounded(count));
            if (e.isRedirect() || m_impl->IsMain(e) || !m_impl->IsArticle(e) || m_impl->IsDisambiguation(e))
                continue;
            return m_impl->TitleOf(e);
        } catch (...) {
            return {};
        }
    }
    return {};
}

QStringList ZimSite::Links(const QString &title) const
{
    const auto e = m_impl->Lookup(title);
    if (!e || !m_impl->IsArticle(*e))
        return {};
    try {
        return RewriteArticle(m_impl->Html(*e), e->getPath(), QString(), QByteArray(),
                              [this](const std::string &path) { return m_impl->Resolve(path); })
            .links;
    } catch (...) {
        return {};
    }
}

QString ZimSite::Impl::SearchTitle(const QString &word) const
{
    const QString w = Corpus::NormalizeTitle(word).trimmed();
    if (w.isEmpty())
        return {};
    if (auto e = Lookup(w); e && IsArticle(*e))
        return TitleOf(*e);
    for (const zim::Entry &e : FoldedMatches(w)) {
        if (IsArticle(e))
            return TitleOf(e);
    }
    std::optional<zim::Entry> redirect = Lookup(w);
    if (!redirect || !redirect->isRedirect()) {
        redirect.reset();
        for (const zim::Entry &e : FoldedMatches(w)) {
            if (e.isRedirect()) {
                redirect = e;
                break;
            }
        }
    }
    if (redirect) {
        if (auto target = Follow(*redirect); target && IsArticle(*target))
            return TitleOf(*target);
    }
    return {};
}

SiteAnswer ZimSite::Impl::SearchPage(const QHash<QByteArray, QString> &query) const
{
    const QString word = query.value("search");
    if (query.contains("go")) {
        const QString title = SearchTitle(word);
        if (!title.isEmpty()) {
            const auto e = Lookup(title);
            return Redirect(e ? AddressOf(*e) : ArticleAddress(title));
        }
    }
    QByteArray out = PageStart(QStringLiteral("Search"), QStringLiteral("Search results"));
    out.append("<form action=\"/wiki/Special:Search\"><input name=\"search\" size=\"30\" value=\"");
    AppendEscaped(out, word);
    out.append("\"> <input type=\"submit\" name=\"go\" value=\"Go\"></form>\n");
    const QString w = Corpus::NormalizeTitle(word).trimmed();
    // Titles are sorted, so those that begin with the word form one run from its first place.
    QStringList found;
    QStringList prefixes{w};
    if (!w.isEmpty() && w[0].toUpper() != w[0])
        prefixes.append(w[0].toUpper() + w.mid(1));
    for (const QString &prefix : prefixes) {
        if (prefix.isEmpty())
            continue;
        try {
            int scanned = 0;
            for (const zim::Entry &e : archive.findByTitle(Utf8(prefix))) {
                if (++scanned > kMaxSearchScan || found.size() >= kMaxSearchResults)
                    break;
                const QString t = TitleOf(e);
                if (!t.startsWith(prefix))
                    break;
                const auto target = Follow(e);
                if (target && IsArticle(*target) && !found.contains(t))
                    found.append(t);
            }
        } catch (...) {
        }
    }
    if (w.isEmpty()) {
        out.append("<p>Type a word to search for.</p>\n");
    } else if (found.isEmpty()) {
        out.append("<p>No article title begins with &quot;");
        AppendEscaped(out, word);
        out.append("&quot;.</p>\n");
    } else {
        out.append("<p>Article titles that begin with &quot;");
        AppendEscaped(out, word);
        out.append("&quot;:</p>\n<ul>\n");
        for (const QString &t : found) {
            out.append("<li>");
            AppendLink(out, ArticleAddress(t), t);
            out.append("</li>\n");
        }
        out.append("</ul>\n");
    }
    PageEnd(out);
    return Page(out);
}

SiteAnswer ZimSite::Impl::OtherPage(const QString &name, const QString &ns, const QString &rest,
                                    const QHash<QByteArray, QString> &query) const
{
    if (ns == QLatin1String("Special")) {
        if (rest == QLatin1String("Search"))
            return SearchPage(query);
        if (rest == QLatin1String("Random")) {
            return NotFound(); // answered by ZimSite::Answer, which can draw
        }
    }
    if (rest.isEmpty())
        return NotFound();
    QByteArray out = PageStart(name, name);
    if (ns == QLatin1String("Talk")) {
        const auto e = Lookup(rest);
        if (!e || !IsArticle(*e))
            return NotFound();
        out.append("<p>This page is for talking about improvements to the article ");
        AppendLink(out, AddressOf(*e), TitleOf(*e));
        out.append(". Nobody has written here yet. &mdash; ");
        AppendLink(out, "/wiki/User:Quill", QStringLiteral("Quill"));
        out.append("</p>\n");
    } else if (ns == QLatin1String("Category")) {
        out.append("<p>Every article of this encyclopedia is in this category. ");
        AppendLink(out, "/wiki/Special:Random", QStringLiteral("Read a random one"));
        out.append(".</p>\n");
    } else if (ns == QLatin1String("User")) {
        out.append("<p>This user looks after the local encyclopedia.</p>\n");
    } else if (ns == QLatin1String("Help")) {
        out.append("<p>Read an article and click a blue link to go to another article. "
                   "The tabs above an article lead to its talk page, its text and its history.</p>\n");
    } else if (ns == QLatin1String("Special")) {
        out.append("<p>This special page is not available on the local encyclopedia.</p>\n");
    } else { // Portal:, Wikipedia:
        out.append("<p>This encyclopedia is served by the game server on your own network, "
                   "so nobody needs the internet to play.</p>\n");
    }
    PageEnd(out);
    return Page(out);
}

SiteAnswer ZimSite::Impl::IndexPhp(const QHash<QByteArray, QString> &query) const
{
    const auto e = Lookup(query.value("title").trimmed());
    if (!e || !IsArticle(*e))
        return NotFound();
    const QString t = TitleOf(*e);
    const QString action = query.value("action");
    if (action.isEmpty() || action == QLatin1String("view"))
        return Redirect(AddressOf(*e));
    if (action == QLatin1String("edit")) {
        QByteArray out = PageStart(QStringLiteral("Editing ") + t, QStringLiteral("Editing ") + t);
        out.append(
            "<p>This encyclopedia is read-only; its articles cannot be changed here.</p>\n"
            "<form><textarea readonly></textarea><p><button type=\"button\" disabled>Save page</button> ");
        AppendLink(out, AddressOf(*e), QStringLiteral("Cancel"));
        out.append("</p></form>\n");
        PageEnd(out);
        return Page(out);
    }
    if (action == QLatin1String("history")) {
        QByteArray out =
            PageStart(t + QStringLiteral(" - History"), t + QStringLiteral(": Revision history"));
        out.append("<ul>\n<li>(cur) ");
        AppendLink(out, AddressOf(*e), QStringLiteral("Current version"));
        out.append(" as stored in the archive</li>\n</ul>\n");
        PageEnd(out);
        return Page(out);
    }
    return NotFound();
}

SiteAnswer ZimSite::Answer(const QByteArray &target) const
{
    if (target.size() > kMaxTargetBytes)
        return TooLong();
    QByteArrayView rest(target);
    if (const qsizetype hash = rest.indexOf('#'); hash >= 0)
        rest = rest.first(hash);
    const qsizetype question = rest.indexOf('?');
    const QByteArrayView path = question < 0 ? rest : rest.first(question);
    const QByteArrayView queryText = question < 0 ? QByteArrayView() : rest.sliced(question + 1);

    if (path.startsWith("/zim/"))
        return m_impl->Resource(path.sliced(5));
    if (path == "/w/index.php")
        return m_impl->IndexPhp(ParseQuery(queryText));
    if (!path.startsWith("/wiki/"))
        return NotFound();
    const QString name = DecodePathName(path.sliced(6));
    if (name.isEmpty() || name.contains(QChar(0)))
        return NotFound();
    if (name == QLatin1String("Main Page"))
        return m_impl->MainPage();
    if (const auto e = m_impl->Lookup(name)) {
        if (m_impl->IsArticle(*e))
            return m_impl->ArticlePage(*e, m_impl->TitleOf(*e));
        if (e->isRedirect()) {
            const auto to = m_impl->Follow(*e);
            if (to && m_impl->IsArticle(*to))
                return Redirect(m_impl->AddressOf(*to));
        }
    }
    const qsizetype colon = name.indexOf(QLatin1Char(':'));
    if (colon > 0) {
        const QString ns = name.left(colon);
        static const QStringList kNamespaces = {QStringLiteral("Special"),  QStringLiteral("Talk"),
                                                QStringLiteral("Category"), QStringLiteral("Help"),
                                                QStringLiteral("User"),     QStringLiteral("Portal"),
                                                QStringLiteral("Wikipedia")};
        if (name == QLatin1String("Special:Random")) {
            const QString title = RandomArticle();
            if (title.isEmpty())
                return NotFound();
            const auto e = m_impl->Lookup(title);
            return Redirect(e ? m_impl->AddressOf(*e) : ArticleAddress(title));
        }
        if (kNamespaces.contains(ns))
            return m_impl->OtherPage(name, ns, name.mid(colon + 1), ParseQuery(queryText));
    }
    return NotFound();
}

std::shared_ptr<const LinkGraph> ZimSite::Graph() const
{
    return m_impl->graph.Get();
}

int ZimSite::GraphProgress() const
{
    return m_impl->graphProgress.load(std::memory_order_relaxed);
}

void ZimSite::WaitForGraph() const
{
    std::unique_lock lock(m_impl->readyMutex);
    m_impl->readyChanged.wait(lock, [this] { return m_impl->graphDone.load(); });
}

bool ZimSite::GraphLoadedFromCache() const
{
    return m_impl->graphFromCache.load();
}

LinkGraph::Node ZimSite::GraphNode(const QString &title) const
{
    const auto e = m_impl->Lookup(title);
    return e && m_impl->IsArticle(*e) ? LinkGraph::Node(e->getIndex()) : LinkGraph::kNoNode;
}

QString ZimSite::GraphTitle(LinkGraph::Node node) const
{
    try {
        return node < m_impl->archive.getEntryCount() ? m_impl->TitleOf(m_impl->archive.getEntryByPath(node))
                                                      : QString();
    } catch (...) {
        return {};
    }
}
