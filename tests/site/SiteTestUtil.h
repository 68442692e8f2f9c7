#pragma once

#include "site/corpus/Corpus.h"
#include "site/corpus/CorpusPages.h"

#include <QList>
#include <QRegularExpression>
#include <QString>

#include <deque>
#include <functional>
#include <vector>

inline QString UnescapeHtml(QString s)
{
    s.replace(QLatin1String("&lt;"), QLatin1String("<"));
    s.replace(QLatin1String("&gt;"), QLatin1String(">"));
    s.replace(QLatin1String("&quot;"), QLatin1String("\""));
    s.replace(QLatin1String("&amp;"), QLatin1String("&"));
    return s;
}

// The document title as a browser shows it.
inline QString PageTitleOf(const QByteArray &body)
{
    const qsizetype open = body.indexOf("<title>");
    const qsizetype close = body.indexOf("</title>");
    if (open < 0 || close < open)
        return {};
    return UnescapeHtml(QString::fromUtf8(body.mid(open + 7, close - open - 7)));
}

// The page name the game reads from a title: the part before the last " -".
inline QString PageNameOf(const QByteArray &body)
{
    const QString title = PageTitleOf(body);
    const qsizetype dash = title.lastIndexOf(QLatin1String(" -"));
    return dash < 0 ? QString() : title.left(dash);
}

inline QList<QByteArray> HrefsOf(const QByteArray &body)
{
    static const QRegularExpression href(QStringLiteral("href=\"([^\"]*)\""));
    QList<QByteArray> result;
    auto it = href.globalMatch(QString::fromUtf8(body));
    while (it.hasNext())
        result.append(UnescapeHtml(it.next().captured(1)).toUtf8());
    return result;
}

// A number as the game's title rules see one: "1984", "3.14", " -2e5 ".
inline bool IsNumericTitle(const QString &title)
{
    static const QRegularExpression number(
        QStringLiteral("^\\s*[+-]?(\\d[\\d,]*(\\.\\d*)?|\\.\\d+)([eE][+-]?\\d+)?\\s*$"));
    return number.match(title).hasMatch();
}

// Clicks from `from` to every article, walking only through articles that `through` accepts;
// -1 where none leads.
inline std::vector<int> Distances(const Corpus &c, int from, const std::function<bool(int)> &through)
{
    std::vector<int> distance(size_t(c.Count()), -1);
    std::deque<int> queue{from};
    distance[size_t(from)] = 0;
    while (!queue.empty()) {
        const int at = queue.front();
        queue.pop_front();
        if (!through(at))
            continue;
        for (int next : c.At(at).links) {
            if (distance[size_t(next)] < 0) {
                distance[size_t(next)] = distance[size_t(at)] + 1;
                queue.push_back(next);
            }
        }
    }
    return distance;
}
