#include "site/pages/SharedPages.h"

using namespace page;

namespace
{

void AppendList(QByteArray &out, const QList<ArticleRef> &articles)
{
    out.append("<ul>\n");
    for (const ArticleRef &a : articles) {
        out.append("<li>");
        AppendLink(out, a.address, a.title);
        out.append("</li>\n");
    }
    out.append("</ul>\n");
}

// The paragraph under the heading of a namespace page; nothing when the page does not exist.
std::optional<QByteArray> NamespaceText(const PageSource &source, const QString &ns, const QString &rest)
{
    QByteArray out;
    if (ns == QLatin1String("Talk")) {
        const auto article = source.FindArticle(rest);
        if (!article)
            return std::nullopt;
        out.append("<p>This page is for talking about improvements to the article ");
        AppendLink(out, article->address, article->title);
        out.append(". Nobody has written here yet. &mdash; ");
        AppendLink(out, "/wiki/User:Quill", QStringLiteral("Quill"));
        out.append("</p>\n");
    } else if (ns == QLatin1String("Category") && source.KeepsCategories()) {
        const QList<ArticleRef> members = source.CategoryMembers(rest);
        if (members.isEmpty())
            return std::nullopt;
        out.append("<p>Articles in this category:</p>\n");
        AppendList(out, members);
    } else if (ns == QLatin1String("Category")) {
        out.append("<p>Every article of this encyclopedia is in this category. ");
        AppendLink(out, "/wiki/Special:Random", QStringLiteral("Read a random one"));
        out.append(".</p>\n");
    } else if (ns == QLatin1String("Portal") && source.KeepsCategories()) {
        out.append("<p>The articles of this encyclopedia by subject:</p>\n<ul>\n");
        for (const QString &c : source.Categories()) {
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
    } else if (ns == QLatin1String("Special")) {
        const QString linksHere = QStringLiteral("WhatLinksHere/");
        if (source.KeepsLinksHere() && rest.startsWith(linksHere)) {
            const auto article = source.FindArticle(rest.mid(linksHere.size()));
            if (!article)
                return std::nullopt;
            out.append("<p>Articles that link to ");
            AppendLink(out, article->address, article->title);
            out.append(":</p>\n");
            AppendList(out, source.LinksHere(*article));
        } else {
            out.append("<p>This special page is not available on the local encyclopedia.</p>\n");
        }
    } else { // Wikipedia:, and Portal: where there are no subjects
        out.append("<p>This encyclopedia is served by the game server on your own network, "
                   "so nobody needs the internet to play.</p>\n");
    }
    return out;
}

} // namespace

namespace shared
{

SiteAnswer SearchPage(const PageSource &source, const QString &word, bool go)
{
    if (go) {
        if (const QByteArray to = source.GoAddress(word); !to.isEmpty())
            return Redirect(to);
    }
    QByteArray out = PageStart(QStringLiteral("Search"), QStringLiteral("Search results"));
    out.append("<form action=\"/wiki/Special:Search\"><input name=\"search\" size=\"30\" value=\"");
    AppendEscaped(out, word);
    out.append("\"> <input type=\"submit\" name=\"go\" value=\"Go\"></form>\n");
    const PageSource::TitleSearch found = source.SearchTitles(word);
    const char *match = found.byPrefix ? "begins with" : "contains";
    if (found.blank) {
        out.append("<p>Type a word to search for.</p>\n");
    } else if (found.titles.isEmpty()) {
        out.append("<p>No article title ");
        out.append(match);
        out.append(" &quot;");
        AppendEscaped(out, word);
        out.append("&quot;.</p>\n");
    } else {
        out.append("<p>Article titles that ");
        out.append(found.byPrefix ? "begin with" : "contain");
        out.append(" &quot;");
        AppendEscaped(out, word);
        out.append("&quot;:</p>\n<ul>\n");
        for (const QString &title : found.titles) {
            out.append("<li>");
            AppendLink(out, ArticleAddress(title), title);
            out.append("</li>\n");
        }
        out.append("</ul>\n");
    }
    PageEnd(out);
    return Page(out);
}

SiteAnswer NamespacePage(const PageSource &source, const QString &name, const QString &ns,
                         const QString &rest)
{
    if (rest.isEmpty())
        return NotFound();
    const std::optional<QByteArray> text = NamespaceText(source, ns, rest);
    if (!text)
        return NotFound();
    QByteArray out = PageStart(name, name);
    out.append(*text);
    PageEnd(out);
    return Page(out);
}

SiteAnswer EditPage(const PageSource &source, const ArticleRef &article)
{
    const QString name = QStringLiteral("Editing ") + article.title;
    QByteArray out = PageStart(name, name);
    if (source.ArticleOrigin() == PageSource::Origin::Written) {
        out.append("<p>This encyclopedia is read-only; the text below cannot be saved.</p>\n"
                   "<form><textarea readonly>");
        AppendEscaped(out, QByteArrayView(source.ArticleText(article)));
    } else {
        out.append("<p>This encyclopedia is read-only; its articles cannot be changed here.</p>\n"
                   "<form><textarea readonly>");
    }
    out.append("</textarea><p><button type=\"button\" disabled>Save page</button> ");
    AppendLink(out, article.address, QStringLiteral("Cancel"));
    out.append("</p></form>\n");
    PageEnd(out);
    return Page(out);
}

SiteAnswer HistoryPage(const PageSource &source, const ArticleRef &article)
{
    QByteArray out = PageStart(article.title + QStringLiteral(" - History"),
                               article.title + QStringLiteral(": Revision history"));
    out.append("<ul>\n<li>(cur) ");
    AppendLink(out, article.address, QStringLiteral("Current version"));
    if (source.ArticleOrigin() == PageSource::Origin::Written) {
        out.append(" by ");
        AppendLink(out, "/wiki/User:Quill", QStringLiteral("Quill"));
        out.append(" (first and only revision)</li>\n</ul>\n");
    } else {
        out.append(" as stored in the archive</li>\n</ul>\n");
    }
    PageEnd(out);
    return Page(out);
}

} // namespace shared
