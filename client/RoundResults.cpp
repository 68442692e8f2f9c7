#include "client/RoundResults.h"

#include "client/RoundStatus.h"

#include <algorithm>

namespace
{
QString clicksText(qint32 n)
{
    return QString::number(n) + (n == 1 ? QStringLiteral(" click") : QStringLiteral(" clicks"));
}

int rank(msg::Outcome outcome)
{
    switch (outcome) {
    case msg::Outcome::First:
        return 0;
    case msg::Outcome::Finished:
        return 1;
    case msg::Outcome::Racing:
        return 2;
    case msg::Outcome::GaveUp:
        return 3;
    case msg::Outcome::Out:
        return 4;
    }
    return 5;
}
} // namespace

QString OutcomeText(const msg::PlayerResult &r)
{
    switch (r.outcome) {
    case msg::Outcome::First:
        return QStringLiteral("finished first");
    case msg::Outcome::Finished:
        return QStringLiteral("finished");
    case msg::Outcome::Racing:
        return QStringLiteral("was still on the way");
    case msg::Outcome::GaveUp:
        return QStringLiteral("gave up");
    case msg::Outcome::Out: {
        const QString why = msg::ReasonInWords(r.reason);
        return why.isEmpty() ? QStringLiteral("out") : QStringLiteral("out: ") + why;
    }
    }
    return QString();
}

void RoundResults::Retire()
{
    Clear();
    m_retired = true;
}

bool RoundResults::begin(qint32 round)
{
    if (m_retired && round <= m_round)
        return false;
    if (round == m_round && !Empty())
        return false;
    if (round < m_round)
        return false;
    Clear();
    m_round = round;
    m_retired = false;
    return true;
}

bool RoundResults::Add(const msg::PlayerResult &result)
{
    if (result.round < m_round || (m_retired && result.round == m_round))
        return false; // a late result of an earlier round
    const bool fresh = begin(result.round);
    // The same player twice (a datagram sent twice) keeps the last.
    m_results.removeIf([&](const msg::PlayerResult &r) { return r.name == result.name; });
    m_results << result;
    return fresh;
}

bool RoundResults::Add(const msg::ShortestRoute &shortest)
{
    if (shortest.round < m_round || (m_retired && shortest.round == m_round))
        return false;
    const bool fresh = begin(shortest.round);
    m_shortest = shortest;
    return fresh;
}

void RoundResults::Clear()
{
    m_results.clear();
    m_shortest.reset();
}

QList<ResultRow> RoundResults::Rows() const
{
    QList<msg::PlayerResult> sorted = m_results;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const msg::PlayerResult &a, const msg::PlayerResult &b) {
                         return std::pair(rank(a.outcome), a.clicks) < std::pair(rank(b.outcome), b.clicks);
                     });
    QList<ResultRow> rows;
    for (const msg::PlayerResult &r : sorted) {
        ResultRow row;
        row.name = r.name;
        row.outcome = OutcomeText(r);
        row.time = ClockText(r.milliseconds);
        row.clicks = clicksText(r.clicks);
        row.route = r.route;
        row.spoken = QStringLiteral("%1: %2 in %3 with %4").arg(r.name, row.outcome, row.time, row.clicks);
        if (!r.route.isEmpty())
            row.spoken += QStringLiteral(": ") + r.route.join(QStringLiteral(", "));
        rows << row;
    }
    return rows;
}

std::optional<msg::PlayerResult> RoundResults::Of(const QString &name) const
{
    for (const msg::PlayerResult &r : m_results) {
        if (r.name == name)
            return r;
    }
    return std::nullopt;
}

QString RoundResults::ShortestSpoken() const
{
    if (!m_shortest)
        return QString();
    return QStringLiteral("A shortest route takes %1: %2")
        .arg(clicksText(m_shortest->clicks), m_shortest->route.join(QStringLiteral(", ")));
}
