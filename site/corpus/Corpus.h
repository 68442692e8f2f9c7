#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

// One article of the encyclopedia. The text is kept as UTF-8 (a large corpus is mostly text, and
// UTF-8 halves its size in memory); paragraphs are separated by '\n'.
struct Article {
    // A stretch of the text shown as a link to links[link]. Offsets are UTF-8 byte offsets.
    struct Anchor {
        qsizetype offset = 0;
        qsizetype length = 0;
        int link = 0;
    };

    QString title;
    QString category; // "" when the article belongs to no category
    QByteArray text;
    QList<int> links; // indexes of the linked articles, in page order, no repeats
    // When empty, the page finds the linked titles in the text by itself.
    std::vector<Anchor> anchors;
    // Links that leave the site: (address, shown text).
    QList<QPair<QString, QString>> externalLinks;

    QStringList Paragraphs() const;
};

// The articles of one encyclopedia with the look-ups that the site needs. Titles are Unicode; in an
// address a blank and an underscore are the same, so every look-up treats "_" as " ".
class Corpus
{
public:
    // Adds an article and returns its index; -1 when the title is empty or already taken.
    int AddArticle(const QString &title, const QByteArray &utf8Text = {}, const QString &category = {});
    Article &Edit(int index) { return m_articles[index]; }

    // Adds a link unless the target is already linked from that page. A page may link to itself.
    void AddLink(int from, int to);
    // Another name that leads to an article; ignored when it names an article already.
    void AddRedirect(const QString &from, const QString &toTitle);
    void SetMainPageLinks(const QList<int> &articles) { m_mainPage = articles; }

    int Count() const { return int(m_articles.size()); }
    const Article &At(int index) const { return m_articles[index]; }
    // Titles of the articles that an article links to, in page order.
    QStringList LinkTitles(int index) const;
    int LinkCount() const;
    const QList<int> &MainPageLinks() const { return m_mainPage; }

    // Index of the article, or -1.
    int Find(const QString &title) const;
    int FindIgnoringCase(const QString &title) const;
    // Index of the article that a redirect of that name (exact, then ignoring case) leads to, or -1.
    int FindRedirect(const QString &title) const;
    // What "go" does with a typed word: exact title, then ignoring case, then a redirect.
    int Resolve(const QString &word) const;
    // A uniformly drawn article, -1 for an empty corpus.
    int Random() const;
    // Titles that contain the word, ignoring case, in title order, at most `limit` of them.
    QStringList Search(const QString &word, int limit = 50) const;
    // Articles that link to the given one.
    QList<int> LinksHere(int index) const;
    // Articles of one category, in title order.
    QList<int> InCategory(const QString &category) const;

    // "_" to " ", which is how an address names a title.
    static QString NormalizeTitle(const QString &title);

private:
    static QString FoldKey(const QString &title);

    std::vector<Article> m_articles;
    QHash<QString, int> m_exact;
    QHash<QString, int> m_folded;
    QHash<QString, int> m_redirects;       // exact name -> article
    QHash<QString, int> m_foldedRedirects; // case-folded name -> article
    QList<int> m_mainPage;
};
