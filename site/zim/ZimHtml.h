#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <string>

// What an address inside an archive leads to.
struct LinkTarget {
    bool exists = false;
    bool article = false; // an HTML page, shown under /wiki/
    bool main = false;    // the archive's main page
    QString title;        // the article's title
    QByteArray address;   // its address on the site
};

struct RewrittenPage {
    QByteArray html;
    QStringList links; // titles of the linked articles, in page order, no repeats; the main page left out
};

// An archive article's HTML made into a page of the site: links to other articles lead to their
// /wiki/ addresses (links to articles the archive lacks become plain text), pictures, stylesheets
// and scripts to their /zim/ addresses, links that leave the archive stay; the <title> becomes
// `pageTitle` and `tabs` is put at the top of the body. `resolve` takes a path inside the archive.
RewrittenPage RewriteArticle(const QByteArray &html, const std::string &entryPath, const QString &pageTitle,
                             const QByteArray &tabs,
                             const std::function<LinkTarget(const std::string &path)> &resolve);

// An attribute's value as a browser reads it: the named references of markup ("&amp;", "&quot;",
// "&apos;", "&lt;", "&gt;") and every numeric one ("&#47;", "&#x2F;", "&#X2f;") decoded to UTF-8.
QByteArray DecodeEntities(QByteArrayView value);

// The addresses an article's links lead to, in page order, repeats included: the first href of
// every <a> and <area> with its references decoded. Quoted values may hold any character; nothing
// inside a comment, a script, a style or the title counts. Reads the page without rewriting it.
void ScanLinks(QByteArrayView html, const std::function<void(const QByteArray &href)> &found);

// The path inside the archive that a link's (decoded) address leads to from the page at
// `entryPath`; "" when it leaves the archive (*external set), only names a place on the page, or
// is empty. *fragment receives its "#…", when there is one.
std::string ArchivePathOfLink(const QByteArray &href, const std::string &entryPath,
                              QByteArray *fragment = nullptr, bool *external = nullptr);

// The talk, edit, history and category links shown above every article.
QByteArray ArticleTabs(const QString &title);

// A path inside the archive, read from an address: no empty, "." or ".." part (so no absolute path
// and no way up), no NUL and no backslash.
bool IsSafeArchivePath(const QByteArray &path);

// A link's address resolved against the folder of the page it is on, as a browser would; ".." at
// the top stays there. "" when nothing is left. `href` is percent-decoded and has no query or fragment.
std::string ResolveRelative(const std::string &entryPath, const std::string &href);
