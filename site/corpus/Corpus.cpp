#include "site/corpus/Corpus.h"

#include <QRandomGenerator>

#include <algorithm>

QStringList Article::Paragraphs() const
{
    return QString::fromUtf8(text).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString Corpus::NormalizeTitle(const QString &title)
{
    QString t = title;
    t.replace(QLatin1Char('_'), QLatin1Char(' '));
    return t;
}

QString Corpus::FoldKey(const QString &title)
{
    return NormalizeTitle(title).toCaseFolded();
}

int Corpus::AddArticle(const QString &title, const QByteArray &utf8Text, const QString &category)
{
    const QString t = NormalizeTitle(title);
    if (t.isEmpty() || m_exact.contains(t))
        return -1;
    const int index = int(m_articles.size());
    Article a;
    a.title = t;
    a.text = utf8Text;
    a.category = category;
    m_articles.push_back(std::move(a));
    m_exact.insert(t, index);
    // The first of several titles that differ only in case wins the case-blind look-up.
    const QString key = FoldKey(t);
    if (!m_folded.contains(key))
        m_folded.insert(key, index);
    return index;
}

void Corpus::AddLink(int from, int to)
{
    if (from < 0 || to < 0 || from >= Count() || to >= Count())
        return;
    QList<int> &links = m_articles[from].links;
    if (!links.contains(to))
        links.append(to);
}

void Corpus::AddRedirect(const QString &from, const QString &toTitle)
{
    const QString name = NormalizeTitle(from);
    const int target = Find(toTitle);
    if (name.isEmpty() || target < 0 || m_exact.contains(name))
        return;
    m_redirects.insert(name, target);
    const QString key = FoldKey(name);
    if (!m_foldedRedirects.contains(key))
        m_foldedRedirects.insert(key, target);
}

QStringList Corpus::LinkTitles(int index) const
{
    QStringList titles;
    for (int target : m_articles[index].links)
        titles.append(m_articles[target].title);
    return titles;
}

int Corpus::LinkCount() const
{
    int n = 0;
    for (const Article &a : m_articles)
        n += int(a.links.size());
    return n;
}

int Corpus::Find(const QString &title) const
{
    return m_exact.value(NormalizeTitle(title), -1);
}

int Corpus::FindIgnoringCase(const QString &title) const
{
    return m_folded.value(FoldKey(title), -1);
}

int Corpus::FindRedirect(const QString &title) const
{
    const int exact = m_redirects.value(NormalizeTitle(title), -1);
    return exact >= 0 ? exact : m_foldedRedirects.value(FoldKey(title), -1);
}

int Corpus::Resolve(const QString &word) const
{
    int index = Find(word);
    if (index < 0)
        index = FindIgnoringCase(word);
    if (index < 0)
        index = FindRedirect(word);
    return index;
}

int Corpus::Random() const
{
    if (m_articles.empty())
        return -1;
    return int(QRandomGenerator::global()->bounded(quint32(m_articles.size())));
}

QStringList Corpus::Search(const QString &word, int limit) const
{
    const QString w = NormalizeTitle(word).trimmed();
    QStringList found;
    if (w.isEmpty() || limit <= 0)
        return found;
    for (const Article &a : m_articles) {
        if (a.title.contains(w, Qt::CaseInsensitive))
            found.append(a.title);
    }
    std::sort(found.begin(), found.end());
    if (found.size() > limit)
        found.resize(limit);
    return found;
}

QList<int> Corpus::LinksHere(int index) const
{
    QList<int> result;
    for (int i = 0; i < Count(); ++i) {
        if (m_articles[i].links.contains(index))
            result.append(i);
    }
    return result;
}

QList<int> Corpus::InCategory(const QString &category) const
{
    QList<int> result;
    for (int i = 0; i < Count(); ++i) {
        if (!category.isEmpty() && m_articles[i].category == category)
            result.append(i);
    }
    std::sort(result.begin(), result.end(),
              [this](int a, int b) { return m_articles[a].title < m_articles[b].title; });
    return result;
}
