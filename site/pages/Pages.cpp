#include "site/pages/Pages.h"

#include "site/corpus/Corpus.h"

#include <QUrl>

#include <array>

namespace
{

// Kept small and inline: a player reads these pages for minutes at a time, so the type is large and
// links are plainly blue and underlined.
constexpr char kStyle[] =
    "body{font:18px/1.6 Georgia,'DejaVu Serif',serif;color:#202122;background:#fff;"
    "max-width:48em;margin:1.2em auto;padding:0 1.2em}"
    "a{color:#0645ad;text-decoration:underline}a:visited{color:#0b0080}"
    "h1{font-weight:normal;font-size:1.9em;border-bottom:1px solid #a2a9b1;margin:.3em 0 .1em}"
    "h2{font-weight:normal;font-size:1.35em;border-bottom:1px solid #c8ccd1;margin-top:1.2em}"
    ".tabs{font:15px sans-serif}.tabs a{margin-right:1.2em}"
    ".sub{color:#54595d;font-size:.85em;margin-bottom:1em}"
    ".foot{margin-top:2.5em;border-top:1px solid #a2a9b1;padding-top:.5em;font:14px sans-serif}"
    ".foot a{margin-right:1.2em}"
    "textarea{width:100%;height:22em;font:15px monospace}";

// Strong enough to win over an archive's own link colours; the mark sits outside the underline so
// it reads as a sign, not as part of the link's text.
constexpr char kOutStyle[] =
    "a.quillory-out,a.quillory-out:visited{color:#b32424!important;"
    "text-decoration:underline dashed #d33!important}"
    "a.quillory-out::after{content:'\\00a0\\00d7';display:inline-block;font-size:.8em;text-decoration:none}";

} // namespace

namespace page
{

// Escapes text for HTML; with `paragraphs`, a line break also closes one paragraph and opens the next.
void AppendEscaped(QByteArray &out, QByteArrayView text, bool paragraphs)
{
    static constexpr auto kSpecial = [] {
        std::array<unsigned char, 256> table{};
        for (unsigned char c : {'&', '<', '>', '"', '\0'})
            table[c] = 1;
        table['\n'] = 2;
        return table;
    }();
    const char *data = text.data();
    const qsizetype n = text.size();
    qsizetype start = 0;
    // Copies runs of ordinary bytes at once; pages of long articles are mostly such runs.
    for (qsizetype i = 0; i < n; ++i) {
        const unsigned char kind = kSpecial[static_cast<unsigned char>(data[i])];
        if (kind == 0 || (kind == 2 && !paragraphs))
            continue;
        out.append(data + start, i - start);
        switch (data[i]) {
        case '&':
            out.append("&amp;");
            break;
        case '<':
            out.append("&lt;");
            break;
        case '>':
            out.append("&gt;");
            break;
        case '"':
            out.append("&quot;");
            break;
        case '\n':
            out.append("</p>\n<p>");
            break;
        default:
            break; // never echo a NUL into a page
        }
        start = i + 1;
    }
    out.append(data + start, n - start);
}

void AppendEscaped(QByteArray &out, const QString &text)
{
    AppendEscaped(out, QByteArrayView(text.toUtf8()));
}

void AppendLinkStart(QByteArray &out, const QByteArrayView href)
{
    out.append("<a href=\"");
    AppendEscaped(out, href);
    out.append('"');
    const PageKind kind = KindOfLink(href);
    if (TakesPlayerOut(kind)) {
        out.append(" class=\"");
        out.append(kOutLinkClass);
        out.append("\" title=\"");
        out.append(OutLinkTitleValue(kind));
        out.append('"');
    }
    out.append('>');
}

void AppendLink(QByteArray &out, const QByteArray &href, const QString &shown)
{
    AppendLinkStart(out, href);
    AppendEscaped(out, shown);
    out.append("</a>");
}

PageKind KindOfLink(QByteArrayView href)
{
    if (href.startsWith("//"))
        return PageKind::OffSite;
    const qsizetype colon = href.indexOf(':');
    const qsizetype slash = href.indexOf('/');
    if (colon > 0 && (slash < 0 || colon < slash))
        return PageKind::OffSite; // "https:", "mailto:": a scheme comes before any path
    QByteArrayView path = href;
    if (const qsizetype hash = path.indexOf('#'); hash >= 0)
        path = path.first(hash);
    if (path.startsWith("/wiki/")) {
        path = path.sliced(6);
        if (const qsizetype q = path.indexOf('?'); q >= 0)
            path = path.first(q);
        const QString name = DecodePathName(path);
        if (name == QLatin1String("Special:Search") || name == QLatin1String("Special:Random"))
            return PageKind::Article;
        return KindOfPage(name);
    }
    if (path.startsWith("/w/index.php?")) {
        const QString action = ParseQuery(path.sliced(13)).value("action");
        if (action == QLatin1String("edit"))
            return PageKind::Edit;
        if (action == QLatin1String("history"))
            return PageKind::History;
    }
    return PageKind::Article;
}

QString OutLinkTooltip(PageKind kind)
{
    if (!TakesPlayerOut(kind))
        return {};
    if (kind == PageKind::OffSite)
        return QStringLiteral("Leaves the encyclopedia: following it ends your round");
    // The reasons a player reads when out name the page ("opened a list page"); the tooltip names
    // it the same way, so the two never tell different stories.
    QString page = OutReason(kind);
    page.remove(0, page.indexOf(QLatin1Char(' ')) + 1);
    page[0] = page[0].toUpper();
    return page + QStringLiteral(": opening it ends your round");
}

QByteArray OutLinkTitleValue(PageKind kind)
{
    QByteArray out;
    AppendEscaped(out, OutLinkTooltip(kind));
    return out;
}

QByteArray OutLinkStyle()
{
    return QByteArray("<style>") + kOutStyle + "</style>";
}

QByteArray EncodeQueryValue(const QString &value)
{
    QString v = value;
    v.replace(QLatin1Char(' '), QLatin1Char('_'));
    return QUrl::toPercentEncoding(v, ":/()");
}

QByteArray EditAddress(const QString &title, const char *action)
{
    return "/w/index.php?title=" + EncodeQueryValue(title) + "&action=" + action;
}

// The top of every page: the title marker, the stylesheet and the heading.
QByteArray PageStart(const QString &pageName, const QString &heading)
{
    QByteArray out;
    out.reserve(4096);
    out.append("<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"><title>");
    AppendEscaped(out, PageTitle(pageName));
    out.append("</title><style>");
    out.append(kStyle);
    out.append(kOutStyle);
    out.append("</style></head>\n<body>\n<h1>");
    AppendEscaped(out, heading);
    out.append("</h1>\n<div class=\"sub\">From the local encyclopedia</div>\n");
    return out;
}

void PageEnd(QByteArray &out)
{
    out.append("<div class=\"foot\">");
    AppendLink(out, "/wiki/Help:Contents", QStringLiteral("Help"));
    AppendLink(out, "/wiki/Wikipedia:About", QStringLiteral("About this encyclopedia"));
    out.append("</div>\n</body></html>\n");
}

SiteAnswer Page(QByteArray body, int status)
{
    SiteAnswer a;
    a.status = status;
    a.body = std::move(body);
    return a;
}

SiteAnswer Redirect(const QByteArray &location)
{
    SiteAnswer a;
    a.status = 302;
    a.location = location;
    a.body = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Redirect</title></head><body>";
    AppendLink(a.body, location, QString::fromUtf8(location));
    a.body.append("</body></html>\n");
    return a;
}

SiteAnswer NotFound()
{
    QByteArray out = PageStart(QStringLiteral("Not found"), QStringLiteral("Not found"));
    out.append("<p>There is no page at this address. Articles live at addresses like "
               "<a href=\"/wiki/Main_Page\">/wiki/Main_Page</a>.</p>\n");
    PageEnd(out);
    return Page(out, 404);
}

SiteAnswer TooLong()
{
    QByteArray out = PageStart(QStringLiteral("Address too long"), QStringLiteral("Address too long"));
    out.append("<p>The address of this request is longer than the site accepts.</p>\n");
    PageEnd(out);
    return Page(out, 414);
}

QString DecodePathName(QByteArrayView encoded)
{
    return Corpus::NormalizeTitle(QString::fromUtf8(QByteArray::fromPercentEncoding(encoded.toByteArray())));
}

// Form decoding of a query: '+' is a blank, then percent-decoding. Only the first value of a key counts.
QHash<QByteArray, QString> ParseQuery(QByteArrayView query)
{
    QHash<QByteArray, QString> values;
    for (const QByteArray &pair : query.toByteArray().split('&')) {
        const qsizetype eq = pair.indexOf('=');
        QByteArray key = QByteArray::fromPercentEncoding(eq < 0 ? pair : pair.left(eq));
        QByteArray value = eq < 0 ? QByteArray() : pair.mid(eq + 1);
        value.replace('+', ' ');
        if (!values.contains(key))
            values.insert(key, QString::fromUtf8(QByteArray::fromPercentEncoding(value)));
    }
    return values;
}

} // namespace page

QString PageTitle(const QString &name)
{
    return name + kTitleSuffix;
}

QByteArray ArticleAddress(const QString &title)
{
    QString t = title;
    t.replace(QLatin1Char(' '), QLatin1Char('_'));
    return "/wiki/" + QUrl::toPercentEncoding(t, ":/(),'!*@$;");
}
