#include "site/zim/ZimPages.h"

#include "site/corpus/Corpus.h"

#include <zim/item.h>

using namespace page;

namespace
{

// Titles listed by a search result page.
constexpr int kMaxSearchResults = 20;
// Entries looked at for one search result page, so a prefix shared by millions of titles stays cheap.
constexpr int kMaxSearchScan = 400;
// A picture, stylesheet or script larger than this is not served: each answer is held in memory
// whole, and a few such requests at once must not bloat the server. Pictures of encyclopedia
// archives are far smaller.
constexpr quint64 kMaxResourceBytes = 16 * 1024 * 1024;

} // namespace

ZimPages::ZimPages(const ZimArchive &archive, const TitleIndex &index, std::function<QString()> drawRandom)
    : m_archive(archive), m_index(index), m_drawRandom(std::move(drawRandom))
{
}

QByteArray ZimPages::AddressOfTitle(const QString &title) const
{
    const auto e = m_archive.Lookup(title);
    return e ? m_archive.AddressOf(*e) : ArticleAddress(title);
}

SiteAnswer ZimPages::ArticlePage(const zim::Entry &e, const QString &pageName) const
{
    const QString title = m_archive.TitleOf(e);
    // The same article under another name (the main page) is another page.
    const quint64 key = quint64(e.getIndex()) << 1 | (pageName == title ? 0 : 1);
    if (std::optional<SiteAnswer> served = m_served.Find(key))
        return *served;
    const std::optional<QByteArray> html = m_archive.Html(e);
    if (!html)
        return NotFound();
    std::optional<SiteAnswer> page = Guarded(
        [&]() -> std::optional<SiteAnswer> {
            RewrittenPage page =
                RewriteArticle(*html, e.getPath(), PageTitle(pageName), ArticleTabs(title),
                               [this](const std::string &path) { return m_archive.Resolve(path); });
            return Page(std::move(page.html));
        },
        std::optional<SiteAnswer>());
    if (!page)
        return NotFound();
    const qint64 bytes = page->body.size();
    return m_served.Keep(key, std::move(*page), bytes);
}

std::optional<SiteAnswer> ZimPages::OwnPage(const QString &name) const
{
    // Names with a NUL reach no entry and make no page.
    if (name.contains(QChar(0)))
        return NotFound();
    const auto e = m_archive.Lookup(name);
    if (!e)
        return std::nullopt;
    if (m_archive.IsArticle(*e))
        return ArticlePage(*e, m_archive.TitleOf(*e));
    if (e->isRedirect()) {
        const auto to = m_archive.Follow(*e);
        if (to && m_archive.IsArticle(*to))
            return Redirect(m_archive.AddressOf(*to));
    }
    return std::nullopt;
}

SiteAnswer ZimPages::MainPage() const
{
    if (const auto e = m_archive.MainEntry(); e && m_archive.IsArticle(*e))
        return ArticlePage(*e, QStringLiteral("Main Page"));
    QByteArray out = PageStart(QStringLiteral("Main Page"), m_archive.Title());
    out.append("<p>This encyclopedia holds ");
    out.append(QByteArray::number(m_archive.ArticleCount()));
    out.append(" articles. ");
    AppendLink(out, "/wiki/Special:Random", QStringLiteral("Read a random article"));
    out.append(" or ");
    AppendLink(out, "/wiki/Special:Search", QStringLiteral("search the titles"));
    out.append(".</p>\n");
    PageEnd(out);
    return Page(out);
}

std::optional<ArticleRef> ZimPages::FindArticle(const QString &name) const
{
    const auto e = m_archive.Lookup(name);
    if (!e || !m_archive.IsArticle(*e))
        return std::nullopt;
    return ArticleRef{m_archive.TitleOf(*e), m_archive.AddressOf(*e)};
}

QString ZimPages::SearchTitle(const QString &word) const
{
    const QString w = Corpus::NormalizeTitle(word).trimmed();
    if (w.isEmpty())
        return {};
    if (auto e = m_archive.Lookup(w); e && m_archive.IsArticle(*e))
        return m_archive.TitleOf(*e);
    for (const zim::Entry &e : m_index.Matches(w)) {
        if (m_archive.IsArticle(e))
            return m_archive.TitleOf(e);
    }
    std::optional<zim::Entry> redirect = m_archive.Lookup(w);
    if (!redirect || !redirect->isRedirect()) {
        redirect.reset();
        for (const zim::Entry &e : m_index.Matches(w)) {
            if (e.isRedirect()) {
                redirect = e;
                break;
            }
        }
    }
    if (redirect) {
        if (auto target = m_archive.Follow(*redirect); target && m_archive.IsArticle(*target))
            return m_archive.TitleOf(*target);
    }
    return {};
}

QByteArray ZimPages::GoAddress(const QString &word) const
{
    const QString title = SearchTitle(word);
    return title.isEmpty() ? QByteArray() : AddressOfTitle(title);
}

PageSource::TitleSearch ZimPages::SearchTitles(const QString &word) const
{
    TitleSearch found;
    found.byPrefix = true;
    const QString w = Corpus::NormalizeTitle(word).trimmed();
    found.blank = w.isEmpty();
    // Titles are sorted, so those that begin with the word form one run from its first place.
    QStringList prefixes{w};
    if (!w.isEmpty() && w[0].toUpper() != w[0])
        prefixes.append(w[0].toUpper() + w.mid(1));
    for (const QString &prefix : prefixes) {
        if (prefix.isEmpty())
            continue;
        // A damaged directory ends the run; the titles found so far stand.
        Guarded(
            [&] {
                int scanned = 0;
                for (const zim::Entry &e : m_archive.Library().findByTitle(prefix.toStdString())) {
                    if (++scanned > kMaxSearchScan || found.titles.size() >= kMaxSearchResults)
                        break;
                    const QString t = m_archive.TitleOf(e);
                    if (!t.startsWith(prefix))
                        break;
                    const auto target = m_archive.Follow(e);
                    if (target && m_archive.IsArticle(*target) && !found.titles.contains(t))
                        found.titles.append(t);
                }
                return true;
            },
            false);
    }
    return found;
}

QByteArray ZimPages::RandomAddress() const
{
    const QString title = m_drawRandom();
    return title.isEmpty() ? QByteArray() : AddressOfTitle(title);
}

SiteAnswer ZimPages::Resource(const QByteArray &encoded) const
{
    const QByteArray path = QByteArray::fromPercentEncoding(encoded);
    if (!IsSafeArchivePath(path))
        return NotFound();
    const auto entry = m_archive.ByPath(path.toStdString());
    if (!entry)
        return NotFound();
    if (entry->isRedirect() || m_archive.IsArticle(*entry)) {
        const auto target = m_archive.Follow(*entry);
        return target ? Redirect(m_archive.AddressOf(*target)) : NotFound();
    }
    return Guarded(
        [&] {
            const zim::Item item = entry->getItem();
            if (quint64(item.getSize()) > kMaxResourceBytes)
                return NotFound();
            const zim::Blob blob = item.getData();
            SiteAnswer a = Page(QByteArray(blob.data(), qsizetype(blob.size())));
            a.contentType = QByteArray::fromStdString(item.getMimetype());
            if (a.contentType.isEmpty() || a.contentType.contains('\n') || a.contentType.contains('\r'))
                a.contentType = "application/octet-stream";
            return a;
        },
        NotFound());
}
