#pragma once

#include "protocol/Decoders.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// One player's row of the results view.
struct ResultRow {
    QString name;
    QString outcome; // "finished first", "gave up", "out: opened a Talk page"
    QString time;    // "0:41"
    QString clicks;  // "4 clicks"
    QStringList route;
    // What a screen reader reads: "Ann: finished first in 0:41 with 4 clicks: Cat, Dog, River".
    QString spoken;
};

// The results of the last round, as the server sends them when it ends: one result per player and
// a shortest route. A result of a later round starts them afresh.
class RoundResults
{
public:
    // True when the result began a new round's results (the view opens then).
    bool Add(const msg::PlayerResult &result);
    bool Add(const msg::ShortestRoute &shortest);
    void Clear();
    // A new round began: these results go, and a late one of their round no longer counts.
    void Retire();

    bool Empty() const { return m_results.isEmpty() && !m_shortest; }
    qint32 Round() const { return m_round; }
    // The winner first, then who finished, who was still racing, who gave up, who was out; in
    // each group by fewer clicks.
    QList<ResultRow> Rows() const;
    const std::optional<msg::ShortestRoute> &Shortest() const { return m_shortest; }
    // The result of one player, when it came.
    std::optional<msg::PlayerResult> Of(const QString &name) const;
    // "A shortest route takes 2 clicks: Cat, Dog, River"; "" when none came.
    QString ShortestSpoken() const;

private:
    bool begin(qint32 round);

    qint32 m_round = 0;
    bool m_retired = false;
    QList<msg::PlayerResult> m_results;
    std::optional<msg::ShortestRoute> m_shortest;
};

// How the round ended for a player, in words.
QString OutcomeText(const msg::PlayerResult &result);
