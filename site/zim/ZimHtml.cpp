#include "site/zim/ZimHtml.h"

#include "site/pages/Pages.h"

#include <QSet>

#include <vector>

using namespace page;

namespace
{

bool IsNameChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == ':';
}

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

void AppendUtf8(QByteArray &out, char32_t c)
{
    // What a browser makes of a reference to no character.
    if (c == 0 || c > 0x10ffff || (c >= 0xd800 && c <= 0xdfff))
        c = 0xfffd;
    if (c < 0x80) {
        out.append(char(c));
    } else if (c < 0x800) {
        out.append(char(0xc0 | (c >> 6)));
        out.append(char(0x80 | (c & 0x3f)));
    } else if (c < 0x10000) {
        out.append(char(0xe0 | (c >> 12)));
        out.append(char(0x80 | ((c >> 6) & 0x3f)));
        out.append(char(0x80 | (c & 0x3f)));
    } else {
        out.append(char(0xf0 | (c >> 18)));
        out.append(char(0x80 | ((c >> 12) & 0x3f)));
        out.append(char(0x80 | ((c >> 6) & 0x3f)));
        out.append(char(0x80 | (c & 0x3f)));
    }
}

// A numeric reference "&#38;", "&#x26;" or "&#X26;" at `at`: its character, and where it ends.
// A browser takes one without its ";" too.
bool ReadNumericReference(QByteArrayView v, qsizetype at, char32_t *c, qsizetype *end)
{
    qsizetype i = at + 2;
    const bool hex = i < v.size() && (v[i] == 'x' || v[i] == 'X');
    if (hex)
        ++i;
    const qsizetype digits = i;
    quint32 value = 0;
    for (; i < v.size(); ++i) {
        const char d = v[i];
        int digit;
        if (d >= '0' && d <= '9')
            digit = d - '0';
        else if (hex && d >= 'a' && d <= 'f')
            digit = d - 'a' + 10;
        else if (hex && d >= 'A' && d <= 'F')
            digit = d - 'A' + 10;
        else
            break;
        value = qMin<quint32>(value * (hex ? 16 : 10) + quint32(digit), 0x110000);
    }
    if (i == digits)
        return false;
    *c = char32_t(value);
    *end = i < v.size() && v[i] == ';' ? i + 1 : i;
    return true;
}

} // namespace

QByteArray DecodeEntities(QByteArrayView v)
{
    static const std::pair<QByteArrayView, char> kNamed[] = {
        {"&quot;", '"'}, {"&apos;", '\''}, {"&lt;", '<'}, {"&gt;", '>'}, {"&amp;", '&'}};
    QByteArray out;
    out.reserve(v.size());
    qsizetype pos = 0;
    for (qsizetype amp = v.indexOf('&'); amp >= 0; amp = v.indexOf('&', pos)) {
        out.append(v.sliced(pos, amp - pos));
        pos = amp + 1;
        char32_t c = 0;
        qsizetype end = 0;
        if (amp + 1 < v.size() && v[amp + 1] == '#' && ReadNumericReference(v, amp, &c, &end)) {
            AppendUtf8(out, c);
            pos = end;
            continue;
        }
        bool named = false;
        for (const auto &[name, ch] : kNamed) {
            if (v.sliced(amp).startsWith(name)) {
                out.append(ch);
                pos = amp + name.size();
                named = true;
                break;
            }
        }
        if (!named)
            out.append('&');
    }
    out.append(v.sliced(pos));
    return out;
}

namespace
{

// "https:", "mailto:", "//host": the link leaves the archive. A name such as "User:Keeper" that
// only looks like a scheme is a page of the archive.
bool LeavesArchive(const QByteArray &url)
{
    if (url.startsWith("//"))
        return true;
    static const QList<QByteArray> kSchemes = {"http", "https", "ftp", "ftps", "mailto", "javascript",
                                               "data", "tel",   "irc", "ircs", "news",   "geo",
                                               "sms",  "file",  "ws",  "wss",  "blob",   "about"};
    const qsizetype colon = url.indexOf(':');
    return colon > 0 && kSchemes.contains(url.left(colon).trimmed().toLower());
}

struct Attribute {
    QByteArray name; // lower case
    QByteArray value;
    qsizetype start = 0; // where the attribute starts in the tag text, and where it ends
    qsizetype end = 0;
};

// The attributes of a start tag; `tag` runs from '<' to '>'.
std::vector<Attribute> ParseAttributes(QByteArrayView tag, qsizetype from)
{
    std::vector<Attribute> out;
    qsizetype i = from;
    const qsizetype n = tag.size() - 1; // before '>'
    while (i < n) {
        while (i < n && (IsSpace(tag[i]) || tag[i] == '/'))
            ++i;
        if (i >= n)
            break;
        Attribute a;
        a.start = i;
        while (i < n && !IsSpace(tag[i]) && tag[i] != '=' && tag[i] != '>' && tag[i] != '/')
            ++i;
        a.name = tag.sliced(a.start, i - a.start).toByteArray().toLower();
        while (i < n && IsSpace(tag[i]))
            ++i;
        if (i < n && tag[i] == '=') {
            ++i;
            while (i < n && IsSpace(tag[i]))
                ++i;
            if (i < n && (tag[i] == '"' || tag[i] == '\'')) {
                const char quote = tag[i];
                const qsizetype close = tag.indexOf(quote, i + 1);
                const qsizetype stop = close < 0 || close > n ? n : close;
                a.value = DecodeEntities(tag.sliced(i + 1, stop - i - 1));
                i = stop < n ? stop + 1 : n;
            } else {
                const qsizetype s = i;
                while (i < n && !IsSpace(tag[i]))
                    ++i;
                a.value = DecodeEntities(tag.sliced(s, i - s));
            }
        }
        a.end = i;
        if (a.end == a.start)
            ++i; // a stray character; never loop on it
        else
            out.push_back(std::move(a));
    }
    return out;
}

// Where a tag that starts at `lt` ends (just past its '>'), quotes respected; -1 when it never ends.
qsizetype TagEnd(QByteArrayView html, qsizetype lt)
{
    char quote = 0;
    for (qsizetype i = lt + 1; i < html.size(); ++i) {
        const char c = html[i];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            // Only a quote that opens an attribute value counts.
            if (i > 0 && (html[i - 1] == '=' || IsSpace(html[i - 1])))
                quote = c;
        } else if (c == '>') {
            return i + 1;
        }
    }
    return -1;
}

qsizetype FindCaseInsensitive(QByteArrayView html, const char *needle, qsizetype from)
{
    const QByteArrayView n(needle);
    for (qsizetype i = html.indexOf('<', from); i >= 0; i = html.indexOf('<', i + 1)) {
        if (html.sliced(i).first(qMin(n.size(), html.size() - i)).compare(n, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

} // namespace

bool IsSafeArchivePath(const QByteArray &path)
{
    if (path.isEmpty() || path.contains('\0') || path.contains('\\'))
        return false;
    for (const QByteArray &part : path.split('/')) {
        if (part.isEmpty() || part == "." || part == "..")
            return false;
    }
    return true;
}

std::string ResolveRelative(const std::string &entryPath, const std::string &href)
{
    std::vector<std::string> parts;
    auto push = [&parts](const std::string &all, bool dropLast) {
        std::vector<std::string> pieces;
        size_t start = 0;
        while (true) {
            const size_t slash = all.find('/', start);
            pieces.push_back(
                all.substr(start, slash == std::string::npos ? std::string::npos : slash - start));
            if (slash == std::string::npos)
                break;
            start = slash + 1;
        }
        if (dropLast)
            pieces.pop_back();
        for (const std::string &p : pieces) {
            if (p.empty() || p == ".")
                continue;
            if (p == "..") {
                // Like a browser, ".." at the top stays at the top: still inside the archive.
                if (!parts.empty())
                    parts.pop_back();
            } else {
                parts.push_back(p);
            }
        }
    };
    if (href.empty() || href[0] != '/')
        push(entryPath, true);
    push(href, false);
    if (parts.empty())
        return {};
    std::string out;
    for (const std::string &p : parts) {
        if (!out.empty())
            out += '/';
        out += p;
    }
    if (out.find('\0') != std::string::npos)
        return {};
    return out;
}

std::string ArchivePathOfLink(const QByteArray &href, const std::string &entryPath, QByteArray *fragment,
                              bool *external)
{
    const bool leaves = LeavesArchive(href);
    if (external)
        *external = leaves;
    if (leaves)
        return {};
    QByteArray u = href;
    if (const qsizetype hash = u.indexOf('#'); hash >= 0) {
        if (fragment)
            *fragment = u.mid(hash);
        u.truncate(hash);
    }
    if (const qsizetype q = u.indexOf('?'); q >= 0)
        u.truncate(q);
    if (u.isEmpty())
        return {};
    return ResolveRelative(entryPath, QByteArray::fromPercentEncoding(u).toStdString());
}

void ScanLinks(QByteArrayView html, const std::function<void(const QByteArray &href)> &found)
{
    auto isLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    auto named = [&](qsizetype at, qsizetype end, const char *name) {
        const QByteArrayView n(name);
        return end - at == n.size() && html.sliced(at, n.size()).compare(n, Qt::CaseInsensitive) == 0;
    };
    qsizetype pos = 0;
    while (pos < html.size()) {
        const qsizetype lt = html.indexOf('<', pos);
        if (lt < 0 || lt + 1 >= html.size())
            return;
        const char next = html[lt + 1];
        if (next == '!' && html.sliced(lt).startsWith("<!--")) {
            const qsizetype close = html.indexOf("-->", lt + 4);
            if (close < 0)
                return;
            pos = close + 3;
            continue;
        }
        if (!isLetter(next) && next != '/' && next != '!') {
            pos = lt + 1; // a "<" in text
            continue;
        }
        const qsizetype end = TagEnd(html, lt);
        if (end < 0)
            return;
        pos = end;
        if (next == '/' || next == '!')
            continue;
        qsizetype nameEnd = lt + 1;
        while (nameEnd < end && IsNameChar(html[nameEnd]))
            ++nameEnd;
        if (named(lt + 1, nameEnd, "a") || named(lt + 1, nameEnd, "area")) {
            // A browser follows the first href of a tag.
            for (const Attribute &a : ParseAttributes(html.sliced(lt, end - lt), nameEnd - lt)) {
                if (a.name == "href") {
                    found(a.value);
                    break;
                }
            }
        } else if (named(lt + 1, nameEnd, "script") || named(lt + 1, nameEnd, "style") ||
                   named(lt + 1, nameEnd, "title")) {
            // Their text is no markup, whatever it looks like.
            const char *close = named(lt + 1, nameEnd, "script")  ? "</script"
                                : named(lt + 1, nameEnd, "style") ? "</style"
                                                                  : "</title";
            const qsizetype at = FindCaseInsensitive(html, close, end);
            if (at < 0)
                return;
            pos = at;
        }
    }
}

QByteArray ArticleTabs(const QString &title)
{
    QByteArray out = "<div class=\"quillory-tabs\" style=\"font:15px sans-serif;margin:.4em 0 .8em\">";
    auto link = [&out](const QByteArray &href, const QString &shown) {
        AppendLink(out, href, shown);
        out.append(" &nbsp; ");
    };
    link(ArticleAddress(QStringLiteral("Talk:") + title), QStringLiteral("Talk"));
    link(EditAddress(title, "edit"), QStringLiteral("Edit"));
    link(EditAddress(title, "history"), QStringLiteral("History"));
    link(ArticleAddress(QStringLiteral("Category:All articles")), QStringLiteral("Category: All articles"));
    out.append("</div>\n");
    return out;
}

RewrittenPage RewriteArticle(const QByteArray &html, const std::string &entryPath, const QString &pageTitle,
                             const QByteArray &tabs,
                             const std::function<LinkTarget(const std::string &path)> &resolve)
{
    RewrittenPage page;
    QByteArray &out = page.html;
    out.reserve(html.size() + html.size() / 8 + 1024);
    QSet<QString> linked;
    bool titleDone = false;
    bool tabsDone = false;
    bool anchorStripped = false; // the open <a> became a <span>, so its </a> must too

    auto titleTag = [&] {
        QByteArray t = "<title>";
        AppendEscaped(t, pageTitle);
        t.append("</title>");
        t.append(OutLinkStyle());
        return t;
    };
    // An address inside the archive for a tag's attribute; `external` is set for one that leaves it.
    auto internalPath = [&](const QByteArray &url, QByteArray *fragment, bool *external) {
        return ArchivePathOfLink(url, entryPath, fragment, external);
    };

    qsizetype pos = 0;
    while (pos < html.size()) {
        const qsizetype lt = html.indexOf('<', pos);
        if (lt < 0) {
            out.append(html.constData() + pos, html.size() - pos);
            break;
        }
        out.append(html.constData() + pos, lt - pos);
        if (html.mid(lt, 4) == "<!--") {
            const qsizetype close = html.indexOf("-->", lt + 4);
            const qsizetype end = close < 0 ? html.size() : close + 3;
            out.append(html.constData() + lt, end - lt);
            pos = end;
            continue;
        }
        const qsizetype end = TagEnd(html, lt);
        if (end < 0) { // a tag cut off at the end: shown as text
            AppendEscaped(out, QByteArrayView(html).sliced(lt));
            break;
        }
        const QByteArray tag = html.mid(lt, end - lt);
        const bool closing = tag.size() > 1 && tag[1] == '/';
        qsizetype nameEnd = closing ? 2 : 1;
        while (nameEnd < tag.size() && IsNameChar(tag[nameEnd]))
            ++nameEnd;
        const QByteArray name = tag.mid(closing ? 2 : 1, nameEnd - (closing ? 2 : 1)).toLower();
        pos = end;

        if (closing) {
            if (name == "a" && anchorStripped) {
                out.append("</span>");
                anchorStripped = false;
            } else {
                out.append(tag);
            }
            continue;
        }
        if (name == "title") {
            const qsizetype close = FindCaseInsensitive(html, "</title", end);
            const qsizetype closeEnd = close < 0 ? -1 : TagEnd(html, close);
            pos = closeEnd < 0 ? html.size() : closeEnd;
            if (!titleDone)
                out.append(titleTag());
            titleDone = true;
            continue;
        }
        if (name == "base")
            continue; // the page's links are made absolute; a base would bend them again
        if (name == "head" && !titleDone) {
            out.append(tag);
            out.append(titleTag());
            titleDone = true;
            continue;
        }
        if (name == "body") {
            out.append(tag);
            if (!titleDone) {
                out.append(titleTag());
                titleDone = true;
            }
            out.append(tabs);
            tabsDone = true;
            continue;
        }

        std::vector<Attribute> attributes = ParseAttributes(tag, nameEnd);
        const bool isLink = name == "a" || name == "area";
        QByteArray rebuilt = tag.left(nameEnd);
        qsizetype copied = nameEnd;
        bool strip = false;
        // A URL attribute's new value; `strip` is set for a link to an article the archive lacks.
        auto rewrite = [&](const Attribute &a, bool *external) -> QByteArray {
            QByteArray fragment;
            const std::string path = internalPath(a.value, &fragment, external);
            if (*external || a.value.startsWith('#'))
                return a.value; // off the site, or a place on this page: kept as it is
            if (isLink && a.name == "href") {
                const LinkTarget t = path.empty() ? LinkTarget() : resolve(path);
                if (!t.exists) {
                    strip = true;
                    return {};
                }
                if (t.article && !t.main && !linked.contains(t.title)) {
                    linked.insert(t.title);
                    page.links.append(t.title);
                }
                return t.address + (t.article ? fragment : QByteArray());
            }
            if (path.empty())
                return {};
            return "/zim/" + QByteArray::fromStdString(path).toPercentEncoding("/") + fragment;
        };
        // A browser follows a link's first href; whether it ends a round must be known before the
        // link's own class and title are copied, which may come first.
        const Attribute *followed = nullptr;
        QByteArray followedValue;
        PageKind followedKind = PageKind::Article;
        if (isLink) {
            for (const Attribute &a : attributes) {
                if (a.name == "href") {
                    followed = &a;
                    bool external = false;
                    followedValue = rewrite(a, &external);
                    followedKind = external ? PageKind::OffSite : KindOfLink(followedValue);
                    break;
                }
            }
        }
        const bool markOut = !strip && TakesPlayerOut(followedKind);
        bool classMarked = false;
        if (markOut) {
            rebuilt.append(" title=\"");
            rebuilt.append(OutLinkTitleValue(followedKind));
            rebuilt.append('"');
        }
        for (const Attribute &a : attributes) {
            if (strip)
                break;
            if (markOut && (a.name == "title" || a.name == "class")) {
                rebuilt.append(tag.constData() + copied, a.start - copied);
                copied = a.end;
                if (a.name == "class" && !classMarked) {
                    rebuilt.append("class=\"");
                    AppendEscaped(rebuilt, QByteArrayView(a.value));
                    rebuilt.append(' ');
                    rebuilt.append(kOutLinkClass);
                    rebuilt.append('"');
                    classMarked = true;
                }
                continue; // the tooltip says what following the link does; a second class is ignored
            }
            const bool urlAttribute = a.name == "href" || a.name == "src" || a.name == "poster" ||
                                      (a.name == "data" && name == "object");
            if (!urlAttribute && a.name != "srcset")
                continue;
            rebuilt.append(tag.constData() + copied, a.start - copied);
            copied = a.end;
            if (a.name == "srcset")
                continue; // the plain src is enough, and every address in it would need rewriting
            bool external = false;
            const QByteArray value = &a == followed ? followedValue : rewrite(a, &external);
            if (strip)
                break;
            rebuilt.append(a.name);
            rebuilt.append("=\"");
            AppendEscaped(rebuilt, QByteArrayView(value));
            rebuilt.append('"');
        }
        if (strip) {
            if (!tag.endsWith("/>")) {
                out.append("<span>");
                anchorStripped = true;
            }
            continue;
        }
        if (markOut && !classMarked) {
            rebuilt.append(" class=\"");
            rebuilt.append(kOutLinkClass);
            rebuilt.append('"');
        }
        rebuilt.append(tag.constData() + copied, tag.size() - copied);
        out.append(rebuilt);
        if (name == "script" || name == "style") {
            // Their text is not HTML: copied as it is up to the closing tag.
            const qsizetype close = FindCaseInsensitive(html, name == "script" ? "</script" : "</style", end);
            const qsizetype stop = close < 0 ? html.size() : close;
            out.append(html.constData() + end, stop - end);
            pos = stop;
        }
    }
    if (!tabsDone)
        out.prepend(tabs);
    if (!titleDone)
        out.prepend(titleTag());
    if (anchorStripped)
        out.append("</span>");
    return page;
}
