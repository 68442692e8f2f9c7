#pragma once

#include <QRandomGenerator>
#include <QString>
#include <QStringList>
#include <optional>

// What a bot sees of the encyclopedia: where the links of an article lead, and how far an article
// is from another. The server hands it over when it serves its own encyclopedia's link graph.
class BotMap
{
public:
    virtual ~BotMap() = default;
    // The articles a player may open by one link from `title`, none out of bounds; the same list
    // every time it is asked.
    virtual QStringList Links(const QString &title) const = 0;
    // Clicks of a shortest route from `from` to `to`; -1 when none leads there (or either is no
    // article).
    virtual qint32 Distance(const QString &from, const QString &to) const = 0;
};

enum class BotLevel { Easy, Normal, Hard };

// "easy", "normal", "hard", in any letter case; nothing for any other word.
std::optional<BotLevel> BotLevelFromWord(const QString &word);
QString BotLevelWord(BotLevel level);

// How one level races: the pause on each page and how it errs.
struct BotStyle {
    double secondsPerPage; // median pause on a page before the next click
    double paceSpread;     // standard deviation of the pause's logarithm
    double detour;         // chance that a click makes no progress although a link would
    double giveUp;         // chance, before each click, of giving the round up
};

// The styles of the three levels, fitted to human races (bench/bots/bot_fit).
const BotStyle &StyleOf(BotLevel level);

// One decision of a bot on a page of a round.
struct BotMove {
    enum class Kind { Click, GiveUp };
    Kind kind = Kind::GiveUp;
    QString page; // for a click: the article opened, always one link away
};

// How a person races, as a bot does it: the destination is clicked as soon as a page links to it;
// otherwise a click mostly takes a link that brings the destination one click nearer, and with the
// style's detour chance a link that does not (but from where the destination can still be
// reached). A page from which no route leads on is where a person is lost and gives up, and so is
// the style's give-up chance at any click.
BotMove NextBotMove(const BotStyle &style, const BotMap &map, const QString &page, const QString &destination,
                    QRandomGenerator &random);

// The pause on a page before the next click, in milliseconds: log-normal about the style's median.
qint32 BotPauseMs(const BotStyle &style, QRandomGenerator &random);

// The names bots take, in order from 0: "Ada (bot)" ... and, once all are taken, "Ada 2 (bot)" ...
QString BotName(qint32 serial);
