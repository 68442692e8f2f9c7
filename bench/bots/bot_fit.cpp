// Fits the bots to human races: the pace per page, the detours per click and the giving up, from the
// Wikispeedia races, and prints the figures the bots' styles hold.
#include "server/Bots.h"
#include "server/SiteBotMap.h"
#include "site/corpus/CorpusSite.h"
#include "site/corpus/WikispeediaCorpus.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <vector>

namespace
{

struct Pair {
    QString start, destination;
    qint32 par = 0;
};

// Each data row's columns, comments and blank lines left out.
std::vector<QList<QByteArray>> ReadRows(const QString &file)
{
    QFile in(file);
    std::vector<QList<QByteArray>> rows;
    if (!in.open(QIODevice::ReadOnly))
        return rows;
    while (!in.atEnd()) {
        const QByteArray line = in.readLine().trimmed();
        if (!line.isEmpty() && !line.startsWith('#'))
            rows.push_back(line.split('\t'));
    }
    return rows;
}

double Quantile(std::vector<double> v, double q)
{
    std::sort(v.begin(), v.end());
    const double at = q * double(v.size() - 1);
    const size_t low = size_t(at);
    const double part = at - double(low);
    return low + 1 < v.size() ? v[low] * (1 - part) + v[low + 1] * part : v[low];
}

double Mean(const std::vector<double> &v, size_t from, size_t to)
{
    return std::accumulate(v.begin() + qsizetype(from), v.begin() + qsizetype(to), 0.0) / double(to - from);
}

// The bots' mean clicks over par on the pairs, of the races they finish, and the share they give up.
struct Outcome {
    double meanOver = 0, gaveUp = 0;
};

Outcome Race(const BotStyle &style, const BotMap &map, const std::vector<Pair> &pairs, quint32 seed)
{
    QRandomGenerator random(seed);
    double over = 0;
    int finished = 0, gaveUp = 0;
    for (const Pair &p : pairs) {
        QString page = p.start;
        qint32 clicks = 0;
        while (page != p.destination && clicks < 1000) {
            const BotMove move = NextBotMove(style, map, page, p.destination, random);
            if (move.kind == BotMove::Kind::GiveUp)
                break;
            page = move.page;
            ++clicks;
        }
        if (page == p.destination) {
            over += clicks - p.par;
            ++finished;
        } else {
            ++gaveUp;
        }
    }
    return {finished ? over / finished : 0, double(gaveUp) / double(pairs.size())};
}

// The detour chance whose races come `target` clicks over par on average: more detours, more
// clicks, so halving the interval finds it. The same draws for every chance keep the halving steady.
double FitDetour(BotStyle style, const BotMap &map, const std::vector<Pair> &pairs, double target)
{
    double low = 0, high = 0.95;
    for (int i = 0; i < 16; ++i) {
        style.detour = (low + high) / 2;
        (Race(style, map, pairs, 7).meanOver < target ? low : high) = style.detour;
    }
    return (low + high) / 2;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                    : qEnvironmentVariable("QUILLORY_DATA_DIR") + "/wikispeedia";
    QString error;
    const std::shared_ptr<const Corpus> corpus = LoadWikispeediaCorpus(folder, &error);
    if (!corpus) {
        std::fprintf(stderr, "bot_fit: %s\n", qPrintable(error));
        return 1;
    }
    const auto site = std::make_shared<CorpusSite>(corpus, QStringLiteral("Wikispeedia"));
    const std::shared_ptr<const SiteBotMap> map = SiteBotMap::Of(site);
    if (!map) {
        std::fprintf(stderr, "bot_fit: no link graph\n");
        return 1;
    }

    // Clicks over par of the finished races (back steps count as clicks: in the game they are).
    std::vector<double> over;
    std::vector<Pair> pairs;
    double finishedClicks = 0;
    const auto finished = ReadRows(folder + "/paths_finished.tsv");
    for (const QList<QByteArray> &cols : finished) {
        if (cols.size() < 4)
            continue;
        const Pair p{DecodeWikispeediaName(cols[1]), DecodeWikispeediaName(cols[2]), 0};
        const qint32 clicks = qint32(cols[3].count(';'));
        finishedClicks += clicks;
        const qint32 par = map->Distance(p.start, p.destination);
        if (par <= 0)
            continue;
        over.push_back(clicks - par);
        if (over.size() % 10 == 0)
            pairs.push_back({p.start, p.destination, par});
    }
    std::sort(over.begin(), over.end());
    const size_t n = over.size();
    std::printf("finished races: %zu rows, %zu with a route by the graph\n", finished.size(), n);
    std::printf("clicks over par: mean %.3f, quartiles %.0f / %.0f / %.0f, 90th %.0f\n", Mean(over, 0, n),
                Quantile(over, 0.25), Quantile(over, 0.5), Quantile(over, 0.75), Quantile(over, 0.9));
    const double hardTarget = Mean(over, 0, n / 3), normalTarget = Mean(over, n / 3, 2 * n / 3),
                 easyTarget = Mean(over, n / 2, n);
    std::printf("mean over par: fastest third %.3f, middle third %.3f, slower half %.3f\n", hardTarget,
                normalTarget, easyTarget);

    // The pace: seconds per page seen of the races abandoned by a restart (a timeout's duration holds
    // the half hour of waiting). The pages seen are the clicks and the first page.
    std::vector<double> logPace;
    double abandonedClicks = 0;
    int abandoned = 0;
    for (const QList<QByteArray> &cols : ReadRows(folder + "/paths_unfinished.tsv")) {
        if (cols.size() < 6)
            continue;
        ++abandoned;
        const qint32 clicks = qint32(cols[3].count(';'));
        abandonedClicks += clicks + 1; // the click not made
        const double seconds = cols[2].toDouble();
        if (cols[5] == "restart" && clicks >= 1 && seconds > 0)
            logPace.push_back(std::log(seconds / (clicks + 1)));
    }
    const double mu = Mean(logPace, 0, logPace.size());
    double var = 0;
    for (double x : logPace)
        var += (x - mu) * (x - mu);
    const double sigma = std::sqrt(var / double(logPace.size() - 1));
    const double z = 0.6744897501960817; // the normal distribution's third quartile
    std::printf("pace: %zu restarted races, seconds per page log-normal mu %.4f sigma %.4f: median %.2f s, "
                "quartiles %.2f / %.2f s\n",
                logPace.size(), mu, sigma, std::exp(mu), std::exp(mu - z * sigma), std::exp(mu + z * sigma));

    // Giving up: abandoned races per click played. The finished file holds a sample of the finished
    // races; its clicks are scaled to all of them, as every abandoned race is in the other file.
    const double allFinished = 51318;
    const double giveUp =
        abandoned / (finishedClicks * allFinished / double(finished.size()) + abandonedClicks);
    std::printf("giving up: %d abandoned races, %.0f clicks in all races: %.5f per click\n", abandoned,
                finishedClicks * allFinished / double(finished.size()) + abandonedClicks, giveUp);

    BotStyle hard{std::exp(mu - z * sigma), sigma, 0, 0};
    BotStyle normal{std::exp(mu), sigma, 0, 0};
    BotStyle easy{std::exp(mu + z * sigma), sigma, 0, giveUp};
    std::printf("fitting detours on %zu of the humans' pairs...\n", pairs.size());
    hard.detour = FitDetour(hard, *map, pairs, hardTarget);
    normal.detour = FitDetour(normal, *map, pairs, normalTarget);
    easy.detour = FitDetour(easy, *map, pairs, easyTarget);
    for (const auto &[name, style] : {std::pair{"easy", easy}, {"normal", normal}, {"hard", hard}}) {
        const Outcome o = Race(style, *map, pairs, 11);
        std::printf("%-6s {%.2f, %.4f, %.4f, %.5f}: over par %.3f, gives up %.3f (other draws)\n", name,
                    style.secondsPerPage, style.paceSpread, style.detour, style.giveUp, o.meanOver, o.gaveUp);
    }
    return 0;
}
