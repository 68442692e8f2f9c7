#pragma once

#include "site/corpus/Corpus.h"
#include "site/pages/PageSource.h"

#include <functional>

// An encyclopedia held in memory as a Corpus, as the shared router and pages see it. Articles are
// written for the site, so their text can be shown for editing; they keep categories and the
// links that lead to each.
class CorpusPages : public PageSource
{
public:
    // Special:Random leads to the article `drawRandom` gives, to a uniformly drawn one without it.
    explicit CorpusPages(const Corpus &corpus, std::function<int()> drawRandom = {});

    Origin ArticleOrigin() const override { return Origin::Written; }
    std::optional<SiteAnswer> OwnPage(const QString &name) const override;
    SiteAnswer MainPage() const override;
    std::optional<ArticleRef> FindArticle(const QString &name) const override;
    QByteArray RedirectAddress(const QString &name) const override;
    QByteArray GoAddress(const QString &word) const override;
    TitleSearch SearchTitles(const QString &word) const override;
    QByteArray RandomAddress() const override;
    SiteAnswer Resource(const QByteArray &) const override { return page::NotFound(); }
    QByteArray ArticleText(const ArticleRef &article) const override;
    bool KeepsCategories() const override { return true; }
    QStringList Categories() const override;
    QList<ArticleRef> CategoryMembers(const QString &category) const override;
    bool KeepsLinksHere() const override { return true; }
    QList<ArticleRef> LinksHere(const ArticleRef &article) const override;

private:
    ArticleRef RefOf(int index) const;
    QList<ArticleRef> RefsOf(const QList<int> &indexes) const;

    const Corpus &m_corpus;
    std::function<int()> m_drawRandom;
};

// `target` is the request's path and query exactly as sent ("/wiki/%C3%85land"). Special:Random
// leads to the article `drawRandom` gives, to a uniformly drawn one without it.
SiteAnswer AnswerRequest(const Corpus &corpus, const QByteArray &target,
                         const std::function<int()> &drawRandom = {});

// Where in the article's text each linked title is shown as a link: the stored anchors, or, when the
// article has none, the first place where each linked title appears as whole words (its first letter
// in either case). Links that appear nowhere are listed below the text.
std::vector<Article::Anchor> PlaceAnchors(const Corpus &corpus, const Article &article);
