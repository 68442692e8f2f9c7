#pragma once

#include "site/pages/Pages.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// An article as a link to it shows it.
struct ArticleRef {
    QString title;
    QByteArray address; // where the site serves it, "/wiki/Main_Page" for an archive's main entry
};

// What the shared router and pages ask of one kind of encyclopedia (held in memory, or an archive
// read page by page). Every call gives an answer even for a damaged archive.
class PageSource
{
public:
    virtual ~PageSource() = default;

    // Where the articles come from: pages about editing and history tell players so.
    enum class Origin {
        Written, // written for the site, text and all, by its one author
        Archive, // an archive's stored pages, with no text to edit
    };
    virtual Origin ArticleOrigin() const = 0;

    // The kind's own answer for a name under /wiki/, asked before any namespace: the page of the
    // article of that name, or a redirect or refusal the kind gives there; nothing to go on.
    virtual std::optional<SiteAnswer> OwnPage(const QString &name) const = 0;
    virtual SiteAnswer MainPage() const = 0;
    // The article of exactly that name (redirects are not articles).
    virtual std::optional<ArticleRef> FindArticle(const QString &name) const = 0;
    // Where a redirect of that name leads when nothing else answered the name; "" for none.
    virtual QByteArray RedirectAddress(const QString &name) const = 0;
    // Where "go" on a typed word leads; "" when no article fits the word.
    virtual QByteArray GoAddress(const QString &word) const = 0;

    struct TitleSearch {
        bool blank = false;    // nothing to search for in the word
        bool byPrefix = false; // titles that begin with the word, else titles that contain it
        QStringList titles;    // at most a page full
    };
    virtual TitleSearch SearchTitles(const QString &word) const = 0;
    // A random article's address; "" when there is none to draw.
    virtual QByteArray RandomAddress() const = 0;
    // A picture, stylesheet or script, `encodedPath` as the address has it.
    virtual SiteAnswer Resource(const QByteArray &encodedPath) const = 0;
    // The text an edit page shows, for Origin::Written.
    virtual QByteArray ArticleText(const ArticleRef &article) const = 0;

    // Categories are kept only by some kinds; in the others every article is in every category.
    virtual bool KeepsCategories() const = 0;
    virtual QStringList Categories() const = 0;                                   // sorted
    virtual QList<ArticleRef> CategoryMembers(const QString &category) const = 0; // in title order
    // Which articles link to one, kept only by some kinds.
    virtual bool KeepsLinksHere() const = 0;
    virtual QList<ArticleRef> LinksHere(const ArticleRef &article) const = 0;
};
