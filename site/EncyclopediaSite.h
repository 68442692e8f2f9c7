#pragma once

#include "site/graph/LinkGraph.h"
#include "site/pages/Pages.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

// One encyclopedia as the site, the server's random draw and the link graph see it, whatever its
// kind (the built-in one, a Wikispeedia folder, a ZIM archive). Titles are Unicode as pages show
// them; an address's "_" is a blank. Every call may come while a large encyclopedia is still
// building an index in the background, and gives a full answer then too.
class EncyclopediaSite
{
public:
    virtual ~EncyclopediaSite() = default;

    // Short text for the server window: kind, name and size.
    virtual QString Description() const = 0;
    virtual qint64 ArticleCount() const = 0;

    // The article's title as pages show it, "" when there is none. Redirects are not articles.
    virtual QString Find(const QString &title) const = 0;
    virtual QString FindIgnoringCase(const QString &title) const = 0;
    // The title of the article that a redirect of that name leads to, "" when none.
    virtual QString FindRedirect(const QString &name) const = 0;
    // What "go" does with a typed word: exact title, then ignoring case, then a redirect.
    QString Resolve(const QString &word) const;

    // A uniformly drawn front article (never a redirect, nor the main page); "" when there is none.
    // Once the link graph is ready, only articles that every other drawn article reaches and is
    // reached from are drawn, so any two draws make a round that can be won. Before, articles known
    // to link out and to be linked to are drawn first, so early rounds are rarely unwinnable.
    virtual QString RandomArticle() const = 0;
    // The answer to "/wiki/Main_Page".
    SiteAnswer MainPage() const { return Answer(QByteArrayLiteral("/wiki/Main_Page")); }
    // The answer to a request target: path and query exactly as sent.
    virtual SiteAnswer Answer(const QByteArray &target) const = 0;
    // Titles of the articles that an article links to, in page order, no repeats.
    virtual QStringList Links(const QString &title) const = 0;

    // Work still running in the background (an index), in percent; 100 when none is left.
    virtual int Progress() const { return 100; }

    // The links of every article as one graph; nullptr until it is ready (a large archive reads
    // every article for it in the background).
    virtual std::shared_ptr<const LinkGraph> Graph() const = 0;
    // Building the graph, in percent; 100 when it is ready or will not be.
    virtual int GraphProgress() const { return 100; }
    // Seconds the graph still needs, estimated from the pace so far; -1 when that cannot be told.
    virtual int GraphSecondsLeft() const { return -1; }
    // The graph's number for an article, LinkGraph::kNoNode when it names none; and back.
    virtual LinkGraph::Node GraphNode(const QString &title) const = 0;
    virtual QString GraphTitle(LinkGraph::Node node) const = 0;
};
