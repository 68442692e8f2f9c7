#include "site/corpus/CorpusPages.h"

#include "site/pages/Router.h"

#include <QSet>

#include <algorithm>
#include <array>
#include <cstring>

using namespace page;

namespace
{

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
        AppendLinkStart(out, ArticleAddress(corpus.At(target).title));
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

SiteAnswer MainPageOf(const Corpus &corpus)
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

CorpusPages::CorpusPages(const Corpus &corpus, std::function<int()> drawRandom)
    : m_corpus(corpus), m_drawRandom(std::move(drawRandom))
{
}

ArticleRef CorpusPages::RefOf(int index) const
{
    const QString &title = m_corpus.At(index).title;
    return {title, ArticleAddress(title)};
}

QList<ArticleRef> CorpusPages::RefsOf(const QList<int> &indexes) const
{
    QList<ArticleRef> out;
    out.reserve(indexes.size());
    for (int i : indexes)
        out.append(RefOf(i));
    return out;
}

std::optional<SiteAnswer> CorpusPages::OwnPage(const QString &name) const
{
    const int index = m_corpus.Find(name);
    if (index < 0)
        return std::nullopt;
    return ArticlePage(m_corpus, index);
}

SiteAnswer CorpusPages::MainPage() const
{
    return MainPageOf(m_corpus);
}

std::optional<ArticleRef> CorpusPages::FindArticle(const QString &name) const
{
    const int index = m_corpus.Find(name);
    if (index < 0)
        return std::nullopt;
    return RefOf(index);
}

QByteArray CorpusPages::RedirectAddress(const QString &name) const
{
    const int index = m_corpus.FindRedirect(name);
    return index < 0 ? QByteArray() : RefOf(index).address;
}

QByteArray CorpusPages::GoAddress(const QString &word) const
{
    const int index = m_corpus.Resolve(word.trimmed());
    return index < 0 ? QByteArray() : RefOf(index).address;
}

PageSource::TitleSearch CorpusPages::SearchTitles(const QString &word) const
{
    TitleSearch found;
    found.blank = word.trimmed().isEmpty();
    found.titles = m_corpus.Search(word, 50);
    return found;
}

QByteArray CorpusPages::RandomAddress() const
{
    const int index = m_drawRandom ? m_drawRandom() : m_corpus.Random();
    return index < 0 ? QByteArray() : RefOf(index).address;
}

QByteArray CorpusPages::ArticleText(const ArticleRef &article) const
{
    const int index = m_corpus.Find(article.title);
    return index < 0 ? QByteArray() : m_corpus.At(index).text;
}

QStringList CorpusPages::Categories() const
{
    QStringList categories;
    QSet<QString> seen;
    for (int i = 0; i < m_corpus.Count(); ++i) {
        const QString &c = m_corpus.At(i).category;
        if (!c.isEmpty() && !seen.contains(c)) {
            seen.insert(c);
            categories.append(c);
        }
    }
    std::sort(categories.begin(), categories.end());
    return categories;
}

QList<ArticleRef> CorpusPages::CategoryMembers(const QString &category) const
{
    return RefsOf(m_corpus.InCategory(category));
}

QList<ArticleRef> CorpusPages::LinksHere(const ArticleRef &article) const
{
    const int index = m_corpus.Find(article.title);
    return index < 0 ? QList<ArticleRef>() : RefsOf(m_corpus.LinksHere(index));
}

SiteAnswer AnswerRequest(const Corpus &corpus, const QByteArray &target,
                         const std::function<int()> &drawRandom)
{
    return AnswerTarget(target, CorpusPages(corpus, drawRandom));
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
