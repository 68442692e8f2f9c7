#include "site/Pages.h"

#include <QSet>
#include <QUrl>

#include <algorithm>
#include <array>
#include <cstring>

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

void AppendLink(QByteArray &out, const QByteArray &href, const QString &shown)
{
    out.append("<a href=\"");
    AppendEscaped(out, QByteArrayView(href));
    out.append("\">");
    AppendEscaped(out, shown);
    out.append("</a>");
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
    out.append("</style></head>\n<body>\n<h1>");
    AppendEscaped(out, heading);
    out.append("</h1>\n<div class=\"sub\">From the local encyclopedia</div>\n");
    return out;
}

void PageEnd(QByteArray &out)
{
    out.append("<div class=\"foot\"><a href=\"/wiki/Help:Contents\">Help</a>"
               "<a href=\"/wiki/Wikipedia:About\">About this encyclopedia</a></div>\n</body></html>\n");
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

namespace
{

using namespace page;

void AppendList(QByteArray &out, const Corpus &corpus, const QList<int> &articles)
{
    out.append("<ul>\n");
    for (int i : articles) {
        out.append("<li>");
        AppendLink(out, ArticleAddress(corpus.At(i).title), corpus.At(i).title);
        out.append("</li>\n");
    }
    out.append("</ul>\n");
}

SiteAnswer ArticlePage(const Corpus &corpus, int index)
{
    const Article &a = corpus.At(index);
    QByteArray out = PageStart(a.title, a.title);
    out.reserve(a.text.size() * 2 + 4096);
    out.append("<div class=\"tabs\">");
    AppendLink(out, ArticleAddress(QStringLiteral("Talk:") + a.title), QStringLiteral("Talk"));
    AppendLink(out, EditAddress(a.title, "edit"), QStringLiteral("Edit"));
    AppendLink(out, EditAddress(a.title, "history"), QStringLiteral("History"));
    out.append("</div>\n");

    const std::vector<Article::Anchor> anchors = PlaceAnchors(corpus, a);
    std::vector<bool> shown(size_t(a.links.size()), false);
    const QByteArrayView text(a.text);
    out.append("<p>");
    qsizetype pos = 0;
    auto appendPlain = [&](qsizetype end) {
        AppendEscaped(out, text.sliced(pos, end - pos), true);
        pos = end;
    };
    for (const Article::Anchor &anchor : anchors) {
        // Anchors come in text order; one that overlaps another or leaves the text is not shown.
        if (anchor.offset < pos || anchor.length <= 0 || anchor.offset + anchor.length > text.size() ||
            anchor.link < 0 || anchor.link >= a.links.size())
            continue;
        appendPlain(anchor.offset);
        const int target = a.links[anchor.link];
        out.append("<a href=\"");
        AppendEscaped(out, QByteArrayView(ArticleAddress(corpus.At(target).title)));
        out.append("\">");
        AppendEscaped(out, text.sliced(anchor.offset, anchor.length));
        out.append("</a>");
        pos = anchor.offset + anchor.length;
        shown[size_t(anchor.link)] = true;
    }
    appendPlain(text.size());
    out.append("</p>\n");

    QList<int> rest;
    for (qsizetype i = 0; i < a.links.size(); ++i) {
        if (!shown[size_t(i)])
            rest.append(a.links[i]);
    }
    if (!rest.isEmpty()) {
        out.append("<h2>Links</h2>\n");
        AppendList(out, corpus, rest);
    }
    if (!a.externalLinks.isEmpty()) {
        out.append("<h2>External links</h2>\n<ul>\n");
        for (const auto &link : a.externalLinks) {
            out.append("<li>");
            AppendLink(out, link.first.toUtf8(), link.second);
            out.append("</li>\n");
        }
        out.append("</ul>\n");
    }
    out.append("<div class=\"foot\">");
    if (!a.category.isEmpty()) {
        out.append("Category: ");
        AppendLink(out, ArticleAddress(QStringLiteral("Category:") + a.category), a.category);
    }
    AppendLink(out, ArticleAddress(QStringLiteral("Special:WhatLinksHere/") + a.title),
               QStringLiteral("What links here"));
    out.append("</div>\n");
    PageEnd(out);
    return Page(out);
}

SiteAnswer MainPage(const Corpus &corpus)
{
    QByteArray out = PageStart(QStringLiteral("Main Page"), QStringLiteral("Welcome to the encyclopedia"));
    out.append("<p>This encyclopedia holds ");
    out.append(QByteArray::number(corpus.Count()));
    out.append(" articles. Start reading with one of these:</p>\n");
    AppendList(out, corpus, corpus.MainPageLinks());
    out.append("<p>Browse by subject in the ");
    AppendLink(out, "/wiki/Portal:Contents", QStringLiteral("contents portal"));
    out.append(", or ");
    AppendLink(out, "/wiki/Special:Search", QStringLiteral("search the titles"));
    out.append(".</p>\n");
    PageEnd(out);
    return Page(out);
}

SiteAnswer SearchPage(const Corpus &corpus, const QHash<QByteArray, QString> &query)
{
    const QString word = query.value("search");
    if (query.contains("go")) {
        const int index = corpus.Resolve(word.trimmed());
        if (index >= 0)
            return Redirect(ArticleAddress(corpus.At(index).title));
    }
    QByteArray out = PageStart(QStringLiteral("Search"), QStringLiteral("Search results"));
    out.append("<form action=\"/wiki/Special:Search\"><input name=\"search\" size=\"30\" value=\"");
    AppendEscaped(out, word);
    out.append("\"> <input type=\"submit\" name=\"go\" value=\"Go\"></form>\n");
    const QStringList found = corpus.Search(word, 50);
    if (word.trimmed().isEmpty()) {
        out.append("<p>Type a word to search for.</p>\n");
    } else if (found.isEmpty()) {
        out.append("<p>No article title contains &quot;");
        AppendEscaped(out, word);
        out.append("&quot;.</p>\n");
    } else {
        out.append("<p>Article titles that contain &quot;");
        AppendEscaped(out, word);
        out.append("&quot;:</p>\n<ul>\n");
        for (const QString &title : found) {
            out.append("<li>");
            AppendLink(out, ArticleAddress(title), title);
            out.append("</li>\n");
        }
        out.append("</ul>\n");
    }
    PageEnd(out);
    return Page(out);
}

SiteAnswer SpecialPage(const Corpus &corpus, const QString &name, const QHash<QByteArray, QString> &query,
                       const std::function<int()> &drawRandom)
{
    const QString sub = name.mid(8); // after "Special:"
    if (sub == QLatin1String("Search"))
        return SearchPage(corpus, query);
    if (sub == QLatin1String("Random")) {
        const int index = drawRandom ? drawRandom() : corpus.Random();
        return index < 0 ? NotFound() : Redirect(ArticleAddress(corpus.At(index).title));
    }
    QByteArray out = PageStart(name, name);
    const QString linksHere = QStringLiteral("WhatLinksHere/");
    if (sub.startsWith(linksHere)) {
        const int index = corpus.Find(sub.mid(linksHere.size()));
        if (index < 0)
            return NotFound();
        out.append("<p>Articles that link to ");
        AppendLink(out, ArticleAddress(corpus.At(index).title), corpus.At(index).title);
        out.append(":</p>\n");
        AppendList(out, corpus, corpus.LinksHere(index));
    } else {
        out.append("<p>This special page is not available on the local encyclopedia.</p>\n");
    }
    PageEnd(out);
    return Page(out);
}

SiteAnswer NamespacePage(const Corpus &corpus, const QString &name, const QString &ns, const QString &rest)
{
    if (rest.isEmpty())
        return NotFound();
    QByteArray out = PageStart(name, name);
    if (ns == QLatin1String("Talk")) {
        const int index = corpus.Find(rest);
        if (index < 0)
            return NotFound();
        out.append("<p>This page is for talking about improvements to the article ");
        AppendLink(out, ArticleAddress(corpus.At(index).title), corpus.At(index).title);
        out.append(". Nobody has written here yet. &mdash; ");
        AppendLink(out, "/wiki/User:Quill", QStringLiteral("Quill"));
        out.append("</p>\n");
    } else if (ns == QLatin1String("Category")) {
        const QList<int> members = corpus.InCategory(rest);
        if (members.isEmpty())
            return NotFound();
        out.append("<p>Articles in this category:</p>\n");
        AppendList(out, corpus, members);
    } else if (ns == QLatin1String("Portal")) {
        QStringList categories;
        QSet<QString> seen;
        for (int i = 0; i < corpus.Count(); ++i) {
            const QString &c = corpus.At(i).category;
            if (!c.isEmpty() && !seen.contains(c)) {
                seen.insert(c);
                categories.append(c);
            }
        }
        std::sort(categories.begin(), categories.end());
        out.append("<p>The articles of this encyclopedia by subject:</p>\n<ul>\n");
        for (const QString &c : categories) {
            out.append("<li>");
            AppendLink(out, ArticleAddress(QStringLiteral("Category:") + c), c);
            out.append("</li>\n");
        }
        out.append("</ul>\n");
    } else if (ns == QLatin1String("User")) {
        out.append("<p>This user looks after the local encyclopedia.</p>\n");
    } else if (ns == QLatin1String("Help")) {
        out.append("<p>Read an article and click a blue link to go to another article. "
                   "The tabs above an article lead to its talk page, its text and its history.</p>\n");
    } else { // Wikipedia:
        out.append("<p>This encyclopedia is served by the game server on your own network, "
                   "so nobody needs the internet to play.</p>\n");
    }
    PageEnd(out);
    return Page(out);
}

SiteAnswer IndexPhp(const Corpus &corpus, const QHash<QByteArray, QString> &query)
{
    const int index = corpus.Find(query.value("title").trimmed());
    if (index < 0)
        return NotFound();
    const Article &a = corpus.At(index);
    const QString action = query.value("action");
    if (action.isEmpty() || action == QLatin1String("view"))
        return Redirect(ArticleAddress(a.title));
    if (action == QLatin1String("edit")) {
        QByteArray out =
            PageStart(QStringLiteral("Editing ") + a.title, QStringLiteral("Editing ") + a.title);
        out.append("<p>This encyclopedia is read-only; the text below cannot be saved.</p>\n"
                   "<form><textarea readonly>");
        AppendEscaped(out, QByteArrayView(a.text));
        out.append("</textarea><p><button type=\"button\" disabled>Save page</button> ");
        AppendLink(out, ArticleAddress(a.title), QStringLiteral("Cancel"));
        out.append("</p></form>\n");
        PageEnd(out);
        return Page(out);
    }
    if (action == QLatin1String("history")) {
        const QString name = a.title + QStringLiteral(" - History");
        QByteArray out = PageStart(name, a.title + QStringLiteral(": Revision history"));
        out.append("<ul>\n<li>(cur) ");
        AppendLink(out, ArticleAddress(a.title), QStringLiteral("Current version"));
        out.append(" by ");
        AppendLink(out, "/wiki/User:Quill", QStringLiteral("Quill"));
        out.append(" (first and only revision)</li>\n</ul>\n");
        PageEnd(out);
        return Page(out);
    }
    return NotFound();
}

// Letters, digits and every byte of a multi-byte UTF-8 character.
constexpr auto kWordBytes = [] {
    std::array<bool, 256> table{};
    for (int u = 0; u < 256; ++u)
        table[size_t(u)] =
            (u >= '0' && u <= '9') || (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u >= 0x80;
    return table;
}();

inline bool IsWordByte(char c)
{
    return kWordBytes[static_cast<unsigned char>(c)];
}

char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

} // namespace

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

std::vector<Article::Anchor> PlaceAnchors(const Corpus &corpus, const Article &article)
{
    if (!article.anchors.empty() || article.links.isEmpty() || article.text.isEmpty())
        return article.anchors;

    // One pass over the text: at each word start, look up the linked titles that begin with that
    // word (first letter in either case) and take the longest that matches there in full.
    struct Candidate {
        QByteArray title;
        QByteArray key; // the title's first word, first letter in lower case
        int link;
    };
    std::vector<Candidate> candidates;
    candidates.reserve(size_t(article.links.size()));
    for (qsizetype i = 0; i < article.links.size(); ++i) {
        QByteArray title = corpus.At(article.links[i]).title.toUtf8();
        if (title.isEmpty() || !IsWordByte(title[0]))
            continue;
        qsizetype w = 0;
        while (w < title.size() && IsWordByte(title[w]))
            ++w;
        QByteArray key = title.left(w);
        key[0] = LowerAscii(key[0]);
        candidates.push_back({std::move(title), std::move(key), int(i)});
    }
    std::sort(candidates.begin(), candidates.end(),
              [](const Candidate &a, const Candidate &b) { return a.title.size() > b.title.size(); });
    // Keys are views into `candidates`, which no longer changes.
    QHash<QByteArrayView, std::vector<const Candidate *>> byFirstWord;
    byFirstWord.reserve(qsizetype(candidates.size()));
    // Most words of a text start no linked title; their first two bytes rule them out before
    // any hashing.
    std::vector<bool> starts(65536, false);
    auto pairOf = [](char first, char second) {
        return size_t(static_cast<unsigned char>(LowerAscii(first))) << 8 |
               static_cast<unsigned char>(second);
    };
    for (const Candidate &c : candidates) {
        byFirstWord[QByteArrayView(c.key)].push_back(&c);
        starts[pairOf(c.key[0], c.key.size() > 1 ? c.key[1] : '\0')] = true;
    }

    std::vector<Article::Anchor> anchors;
    std::vector<bool> used(size_t(article.links.size()), false);
    const char *text = article.text.constData();
    const qsizetype n = article.text.size();
    char key[64];
    qsizetype i = 0;
    while (i < n) {
        if (!IsWordByte(text[i])) {
            ++i;
            continue;
        }
        qsizetype w = i;
        while (w < n && IsWordByte(text[w]))
            ++w;
        qsizetype next = w;
        if (w - i <= qsizetype(sizeof key) && starts[pairOf(text[i], w - i > 1 ? text[i + 1] : '\0')]) {
            memcpy(key, text + i, size_t(w - i));
            key[0] = LowerAscii(key[0]);
            const auto it = byFirstWord.constFind(QByteArrayView(key, w - i));
            if (it != byFirstWord.cend()) {
                for (const Candidate *c : *it) {
                    const qsizetype len = c->title.size();
                    if (used[size_t(c->link)] || i + len > n)
                        continue;
                    if (LowerAscii(text[i]) != LowerAscii(c->title[0]) ||
                        memcmp(text + i + 1, c->title.constData() + 1, size_t(len - 1)) != 0)
                        continue;
                    if (i + len < n && IsWordByte(text[i + len]) && IsWordByte(c->title[len - 1]))
                        continue;
                    anchors.push_back({i, len, c->link});
                    used[size_t(c->link)] = true;
                    next = i + len;
                    break;
                }
            }
        }
        i = next;
    }
    std::sort(anchors.begin(), anchors.end(),
              [](const Article::Anchor &a, const Article::Anchor &b) { return a.offset < b.offset; });
    return anchors;
}

SiteAnswer AnswerRequest(const Corpus &corpus, const QByteArray &target,
                         const std::function<int()> &drawRandom)
{
    if (target.size() > kMaxTargetBytes)
        return TooLong();
    QByteArrayView rest(target);
    const qsizetype hash = rest.indexOf('#');
    if (hash >= 0)
        rest = rest.first(hash);
    const qsizetype question = rest.indexOf('?');
    const QByteArrayView path = question < 0 ? rest : rest.first(question);
    const QByteArrayView queryText = question < 0 ? QByteArrayView() : rest.sliced(question + 1);

    if (path == "/w/index.php")
        return IndexPhp(corpus, ParseQuery(queryText));
    if (!path.startsWith("/wiki/"))
        return NotFound();

    const QString name = DecodePathName(path.sliced(6));
    if (name.isEmpty())
        return NotFound();
    if (name == QLatin1String("Main Page"))
        return MainPage(corpus);
    const int index = corpus.Find(name);
    if (index >= 0)
        return ArticlePage(corpus, index);

    const qsizetype colon = name.indexOf(QLatin1Char(':'));
    if (colon > 0) {
        const QString ns = name.left(colon);
        if (ns == QLatin1String("Special"))
            return SpecialPage(corpus, name, ParseQuery(queryText), drawRandom);
        static const QStringList kNamespaces = {QStringLiteral("Talk"),   QStringLiteral("Category"),
                                                QStringLiteral("Help"),   QStringLiteral("User"),
                                                QStringLiteral("Portal"), QStringLiteral("Wikipedia")};
        if (kNamespaces.contains(ns))
            return NamespacePage(corpus, name, ns, name.mid(colon + 1));
    }
    const int redirect = corpus.FindRedirect(name);
    if (redirect >= 0)
        return Redirect(ArticleAddress(corpus.At(redirect).title));
    return NotFound();
}
