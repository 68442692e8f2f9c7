#include "site/zim/ZimArchive.h"

#include "site/corpus/Corpus.h"
#include "site/pages/Pages.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QUrl>

#include <zim/item.h>

#include <mutex>

namespace
{

// Redirects pointing at redirects are followed this far, so a loop in a damaged archive ends.
constexpr int kMaxRedirectHops = 8;
// A random draw tries again when it hits a redirect, the main page or a disambiguation page.
constexpr int kMaxRandomTries = 200;
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

bool IsHtml(const std::string &mimetype)
{
    return mimetype.rfind("text/html", 0) == 0;
}

} // namespace

QString FromUtf8(const std::string &s)
{
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

ZimArchive::ZimArchive(const QString &file, const std::string &path)
    : m_file(file), m_archive(path), m_blobs(std::make_unique<ZimBlobs>(file))
{
}

ZimArchive::~ZimArchive() = default;

std::unique_ptr<ZimArchive> ZimArchive::Open(const QString &file, QString *error)
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

    QString damage; // set when the archive opens but is unusable
    ReadFailure failure;
    std::unique_ptr<ZimArchive> archive = Guarded(
        [&]() -> std::unique_ptr<ZimArchive> {
            const QString path = info.absoluteFilePath();
            std::unique_ptr<ZimArchive> a(new ZimArchive(path, Utf8(path)));
            // A cut-off file still has its header; its directory and end are checked here, cheaply.
            a->m_entryCount = a->m_archive.getEntryCount();
            if (a->m_entryCount > 0) {
                (void)a->m_archive.getEntryByPath(0).getPath();
                (void)a->m_archive.getEntryByPath(a->m_entryCount - 1).getPath();
            }
            if (a->m_archive.hasChecksum() && a->m_archive.getChecksum().empty()) {
                damage = QStringLiteral("%1 is damaged: its checksum is missing").arg(file);
                return nullptr;
            }
            a->m_articleCount = qint64(a->m_archive.getArticleCount());
            // The main entry is often a redirect to the real first page.
            if (a->m_archive.hasMainEntry()) {
                if (const auto main = a->Follow(a->m_archive.getMainEntry()))
                    a->m_mainIndex = main->getIndex();
            }
            // libzim opens an archive whose clusters cannot be read; its first pages tell.
            ReadFailure unreadable;
            const QString firstPage = a->FirstUnreadablePage(&unreadable);
            if (!firstPage.isEmpty()) {
                damage = unreadable.what.isEmpty()
                             ? QStringLiteral("%1 is damaged: its %2 cannot be read").arg(file, firstPage)
                             : QStringLiteral("%1 is damaged: its %2 cannot be read (%3)")
                                   .arg(file, firstPage, unreadable.what);
                return nullptr;
            }
            a->m_title = Guarded(
                [&] { return FromUtf8(a->m_archive.getMetadata("Title")).simplified().left(kMaxTitleChars); },
                QString());
            return a;
        },
        std::unique_ptr<ZimArchive>(), &failure);
    if (failure.failed) {
        return fail(
            failure.what.isEmpty()
                ? QStringLiteral("%1 is damaged or not a complete ZIM archive").arg(file)
                : QStringLiteral("%1 is damaged or not a complete ZIM archive (%2)").arg(file, failure.what));
    }
    if (!archive)
        return fail(damage);
    if (archive->m_title.isEmpty())
        archive->m_title = info.fileName();
    return archive;
}

QString ZimArchive::FirstUnreadablePage(ReadFailure *failure) const
{
    auto readable = [&](const zim::Entry &e) {
        return Guarded(
            [&] {
                (void)e.getItem(true).getData();
                return true;
            },
            false, failure);
    };
    if (const auto main = MainEntry(); main && !readable(*main))
        return QStringLiteral("main page");
    // The first article in title order, after any entries of other kinds in an older archive.
    const auto first = Guarded(
        [&]() -> std::optional<zim::Entry> {
            const quint32 count =
                m_archive.hasNewNamespaceScheme() ? m_archive.getArticleCount() : m_archive.getEntryCount();
            for (quint32 i = 0; i < count && i < quint32(kMaxRandomTries); ++i) {
                const zim::Entry e = m_archive.getEntryByTitle(i);
                if (IsArticle(e))
                    return e;
            }
            return std::nullopt;
        },
        std::optional<zim::Entry>(), failure);
    if (failure && failure->failed)
        return QStringLiteral("first article");
    if (first && !readable(*first))
        return QStringLiteral("first article");
    return {};
}

std::optional<zim::Entry> ZimArchive::ByPath(const std::string &path) const
{
    return Guarded([&]() -> std::optional<zim::Entry> { return m_archive.getEntryByPath(path); },
                   std::optional<zim::Entry>());
}

std::optional<zim::Entry> ZimArchive::At(zim::entry_index_type index) const
{
    return Guarded([&]() -> std::optional<zim::Entry> { return m_archive.getEntryByPath(index); },
                   std::optional<zim::Entry>());
}

std::optional<zim::Entry> ZimArchive::Lookup(const QString &name) const
{
    const QString n = Corpus::NormalizeTitle(name);
    if (n.isEmpty() || n.contains(QChar(0)))
        return std::nullopt;
    if (auto e = Guarded([&]() -> std::optional<zim::Entry> { return m_archive.getEntryByTitle(Utf8(n)); },
                         std::optional<zim::Entry>()))
        return e;
    QString path = n;
    path.replace(QLatin1Char(' '), QLatin1Char('_'));
    return ByPath(Utf8(path));
}

std::optional<zim::Entry> ZimArchive::Follow(const zim::Entry &entry) const
{
    return Guarded(
        [&]() -> std::optional<zim::Entry> {
            zim::Entry e = entry;
            for (int hop = 0; hop < kMaxRedirectHops && e.isRedirect(); ++hop)
                e = e.getRedirectEntry();
            if (e.isRedirect())
                return std::nullopt;
            return e;
        },
        std::optional<zim::Entry>());
}

bool ZimArchive::IsArticle(const zim::Entry &e) const
{
    return Guarded([&] { return !e.isRedirect() && IsHtml(e.getItem().getMimetype()); }, false);
}

bool ZimArchive::IsDisambiguationPage(const QString &title, std::string_view html)
{
    if (title.endsWith(QLatin1String("(disambiguation)"), Qt::CaseInsensitive))
        return true;
    for (const char *marker : kDisambiguationMarkers) {
        if (html.find(marker) != std::string_view::npos)
            return true;
    }
    return false;
}

bool ZimArchive::IsDisambiguation(const zim::Entry &e) const
{
    const QString title = TitleOf(e);
    return Guarded(
        [&] {
            const std::optional<QByteArray> html = Html(e);
            return IsDisambiguationPage(
                title, html ? std::string_view(html->constData(), size_t(html->size())) : std::string_view());
        },
        IsDisambiguationPage(title, {}));
}

QString ZimArchive::TitleOf(const zim::Entry &e) const
{
    return Guarded([&] { return FromUtf8(e.getTitle()); }, QString());
}

std::optional<QByteArray> ZimArchive::Html(const zim::Entry &e) const
{
    if (std::optional<QByteArray> html = m_blobs->Read(e.getIndex()))
        return html;
    return Guarded(
        [&]() -> std::optional<QByteArray> {
            const zim::Blob blob = e.getItem().getData();
            return QByteArray(blob.data(), qsizetype(blob.size()));
        },
        std::optional<QByteArray>());
}

std::optional<zim::Entry> ZimArchive::MainEntry() const
{
    if (!m_mainIndex)
        return std::nullopt;
    const auto e = At(*m_mainIndex);
    return e ? Follow(*e) : std::nullopt;
}

QByteArray ZimArchive::AddressOf(const zim::Entry &e) const
{
    if (IsMain(e))
        return "/wiki/Main_Page";
    if (IsArticle(e))
        return ArticleAddress(TitleOf(e));
    return ResourceAddress(Guarded([&] { return e.getPath(); }, std::string()));
}

QByteArray ZimArchive::ResourceAddress(const std::string &path)
{
    return "/zim/" + QUrl::toPercentEncoding(FromUtf8(path), "/");
}

LinkTarget ZimArchive::Resolve(const std::string &path, zim::entry_index_type *index) const
{
    std::optional<Resolved> known = m_resolved.Find(path);
    if (!known) {
        Resolved made = ResolveInArchive(path);
        const qint64 bytes = qint64(path.size()) + made.target.title.size() * 2 + made.target.address.size() +
                             qint64(sizeof(Resolved));
        known = m_resolved.Keep(path, std::move(made), bytes);
    }
    if (index && known->target.exists)
        *index = known->index;
    return known->target;
}

ZimArchive::Resolved ZimArchive::ResolveInArchive(const std::string &path) const
{
    Resolved r;
    LinkTarget &t = r.target;
    auto e = ByPath(path);
    if (e)
        e = Follow(*e);
    if (!e)
        return r;
    r.index = e->getIndex();
    t.exists = true;
    if (IsArticle(*e)) {
        t.article = true;
        t.main = IsMain(*e);
        t.title = TitleOf(*e);
        t.address = AddressOf(*e);
    } else {
        t.address = ResourceAddress(Guarded([&] { return e->getPath(); }, std::string()));
    }
    return r;
}

QString ZimArchive::DrawArticle(const std::function<Candidate(zim::entry_index_type)> &judge) const
{
    // Drawing again after a miss keeps the draw uniform over the articles that are accepted. The
    // library's own random entry never picks the last front article, so the draw is made here.
    const quint32 count = Guarded(
        [&] {
            return m_archive.hasNewNamespaceScheme() ? m_archive.getArticleCount()
                                                     : m_archive.getEntryCount();
        },
        quint32(0));
    if (count == 0)
        return {};
    QString possible;
    for (int i = 0; i < kMaxRandomTries; ++i) {
        // Nothing: draw again. A read that fails ends the draw.
        ReadFailure failure;
        const std::optional<QString> title = Guarded(
            [&]() -> std::optional<QString> {
                const zim::Entry e = m_archive.getEntryByTitle(QRandomGenerator::global()->bounded(count));
                if (e.isRedirect() || IsMain(e) || !IsArticle(e))
                    return std::nullopt;
                // The rating first: it is cheap, a disambiguation page is told by its text.
                const Candidate rating = judge ? judge(e.getIndex()) : Candidate::Preferred;
                if (rating == Candidate::Refused || (rating == Candidate::Possible && !possible.isEmpty()) ||
                    IsDisambiguation(e))
                    return std::nullopt;
                if (rating == Candidate::Possible) {
                    possible = TitleOf(e);
                    return std::nullopt;
                }
                return TitleOf(e);
            },
            std::optional<QString>(), &failure);
        if (failure.failed)
            return possible;
        if (title)
            return *title;
    }
    return possible;
}
