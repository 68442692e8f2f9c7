#include "server/Bots.h"

#include "protocol/PageKinds.h"

#include <QList>
#include <cmath>

namespace
{

// Fitted by bench/bots/bot_fit on the Wikispeedia human races (paths_finished.tsv for the clicks
// over par, paths_unfinished.tsv for the pace and the giving up); it prints these figures.
// - Pace: the seconds a person spends on a page (duration / pages seen, races abandoned by a
//   restart) are log-normal; hard takes the first quartile of that pace, normal the median and
//   easy the third quartile, each click spread as much as the races are.
// - Detour: the chance per click of a link that makes no progress, chosen so that the bots' mean
//   clicks over par on the humans' own start and destination pairs equal the humans': the fastest
//   third of races for hard, the middle third for normal, the slower half for easy.
// - Giving up: abandoned races per click played, over all human races; only easy gives up.
// Humans: 2.09 clicks over par on average (the fastest third 0.33, the middle third 1.48, the slower
// half 3.63); 28.4 seconds a page (quartiles 18.3 and 44.1); 24,875 races abandoned in 381,687 clicks.
constexpr BotStyle kEasy{44.09, 0.6509, 0.6348, 0.06517};
constexpr BotStyle kNormal{28.43, 0.6509, 0.3337, 0.0};
constexpr BotStyle kHard{18.33, 0.6509, 0.1094, 0.0};

const QStringList kNames = {"Ada",  "Ben", "Cleo", "Dov", "Eva", "Finn", "Gus", "Hana", "Ivo",
                            "Juno", "Kai", "Lea",  "Max", "Nia", "Otto", "Pia", "Quin", "Rui",
                            "Sol",  "Tea", "Uma",  "Vic", "Wen", "Xia",  "Yan", "Zoe"};

// A uniform draw from a list that is not empty.
const QString &Pick(const QList<const QString *> &from, QRandomGenerator &random)
{
    return *from[qsizetype(random.bounded(quint32(from.size())))];
}

} // namespace

std::optional<BotLevel> BotLevelFromWord(const QString &word)
{
    for (BotLevel level : {BotLevel::Easy, BotLevel::Normal, BotLevel::Hard}) {
        if (word.compare(BotLevelWord(level), Qt::CaseInsensitive) == 0)
            return level;
    }
    return std::nullopt;
}

QString BotLevelWord(BotLevel level)
{
    switch (level) {
    case BotLevel::Easy:
        return QStringLiteral("easy");
    case BotLevel::Hard:
        return QStringLiteral("hard");
    case BotLevel::Normal:
        break;
    }
    return QStringLiteral("normal");
}

const BotStyle &StyleOf(BotLevel level)
{
    switch (level) {
    case BotLevel::Easy:
        return kEasy;
    case BotLevel::Hard:
        return kHard;
    case BotLevel::Normal:
        break;
    }
    return kNormal;
}

BotMove NextBotMove(const BotStyle &style, const BotMap &map, const QString &page, const QString &destination,
                    QRandomGenerator &random)
{
    const qint32 distance = map.Distance(page, destination);
    if (distance <= 0 || random.generateDouble() < style.giveUp)
        return {};
    const QStringList links = map.Links(page);
    QList<const QString *> nearer, others;
    for (const QString &link : links) {
        // The map keeps to the bounds already; a name the server would judge out never goes out.
        if (TakesPlayerOut(KindOfWord(link)))
            continue;
        if (link == destination)
            return {BotMove::Kind::Click, link};
        const qint32 left = map.Distance(link, destination);
        if (left < 0)
            continue;
        (left < distance ? nearer : others) << &link;
    }
    if (nearer.isEmpty() && others.isEmpty())
        return {};
    const bool detour = nearer.isEmpty() || (!others.isEmpty() && random.generateDouble() < style.detour);
    return {BotMove::Kind::Click, Pick(detour ? others : nearer, random)};
}

qint32 BotPauseMs(const BotStyle &style, QRandomGenerator &random)
{
    // Box-Muller: the same draws give the same pauses on every platform.
    const double u = 1.0 - random.generateDouble(), v = random.generateDouble();
    const double normal = std::sqrt(-2.0 * std::log(u)) * std::cos(2.0 * M_PI * v);
    const double seconds = style.secondsPerPage * std::exp(style.paceSpread * normal);
    // A pause beyond a quarter of an hour is a person who has left; the tail stops there.
    return qint32(std::lround(qBound(0.0, seconds, 900.0) * 1000.0));
}

QString BotName(qint32 serial)
{
    const qint32 lap = serial / qint32(kNames.size());
    const QString &name = kNames[serial % kNames.size()];
    return (lap == 0 ? name : name + QLatin1Char(' ') + QString::number(lap + 1)) + QStringLiteral(" (bot)");
}
