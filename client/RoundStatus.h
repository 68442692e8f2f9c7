#pragma once

#include <QString>
#include <optional>

// What the round bar over the article tells, from the facts of the round as this client knows them.

// The facts, gathered by the game's logic.
struct RoundFacts {
    bool racing = false; // a round runs (or waits for its start article)
    QString start;       // the round's words; both empty before the first round
    QString destination;
    std::optional<qint32> par; // clicks of a shortest route, when the server told it
    qint32 clicks = 0;         // this player's clicks this round
    qint64 elapsedMs = 0;      // since the round started; frozen when it ended
    QString outReason;         // plain words, when this player is out of the round
    QString winner;            // who won the round that ended, "" when nobody did
    bool wonByMe = false;
    QString chooser; // who chooses the next words, "" when not known
    bool chooserIsMe = false;
};

// The bar's texts. Empty parts are hidden.
struct RoundTexts {
    QString route;  // "Cat → River"
    QString par;    // "Par 2 clicks"
    QString clicks; // "3 clicks"
    QString clock;  // "1:05"
    QString status; // what the player should know now: out, won, whose turn
};

RoundTexts DescribeRound(const RoundFacts &facts);

// A duration as a clock shows it: "0:41", "12:05", "1:02:03".
QString ClockText(qint64 milliseconds);
