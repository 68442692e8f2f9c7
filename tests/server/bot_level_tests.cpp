// The bots' levels on the real Wikispeedia graph, against the figures fitted to the human races on it:
// clicks over par, giving up and the pace (skipped when the data is absent).
#include "common/QtPrinting.h"

#include "server/SiteBotMap.h"
#include "site/corpus/CorpusSite.h"
#include "site/corpus/WikispeediaCorpus.h"

#include <QFile>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>

// Failure messages name pages and players as text.
static std::ostream &operator<<(std::ostream &os, const QString &s)
{
    return os << s.toStdString();
}

namespace
{

struct Pair {
    QString start, destination;
    qint32 par;
};

TEST(BotLevels, RaceTheHumansPairsAsFarOverParAsTheHumansDo)
{
    const QString data = qEnvironmentVariable("QUILLORY_DATA_DIR");
    const QString folder = data + "/wikispeedia";
    if (data.isEmpty() || !QFile::exists(folder + "/paths_finished.tsv"))
        GTEST_SKIP() << "Wikispeedia data not found (QUILLORY_DATA_DIR/wikispeedia)";
    QString error;
    const std::shared_ptr<const Corpus> corpus = LoadWikispeediaCorpus(folder, &error);
    ASSERT_TRUE(corpus) << error;
    const std::shared_ptr<const SiteBotMap> map =
        SiteBotMap::Of(std::make_shared<CorpusSite>(corpus, QStringLiteral("Wikispeedia")));
    ASSERT_TRUE(map);

    // 1,000 of the pairs humans raced, spread over the file.
    QFile in(folder + "/paths_finished.tsv");
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    std::vector<Pair> pairs;
    for (int row = 0; !in.atEnd() && pairs.size() < 1000;) {
        const QByteArray line = in.readLine().trimmed();
        const QList<QByteArray> cols = line.split('\t');
        if (line.startsWith('#') || cols.size() < 4 || row++ % 37 != 0)
            continue;
        const Pair p{DecodeWikispeediaName(cols[1]), DecodeWikispeediaName(cols[2]), 0};
        if (const qint32 par = map->Distance(p.start, p.destination); par > 0)
            pairs.push_back({p.start, p.destination, par});
    }
    ASSERT_EQ(pairs.size(), 1000u);

    // The humans' mean clicks over par was 0.33 for the fastest third, 1.48 for the middle third and
    // 3.63 for the slower half; 24,875 races were given up in 381,687 clicks; a page took 28.4 seconds
    // (quartiles 18.3 and 44.1). The bands leave room for 1,000 rounds' chance (three standard
    // errors) and for the fit itself (a tenth of a click).
    struct Row {
        BotLevel level;
        double over;                  // the humans' mean clicks over par the level plays like
        double giveUpLow, giveUpHigh; // share of rounds given up
        double secondsPerPage;        // median pause
    };
    const Row rows[] = {
        {BotLevel::Hard, 0.328, 0.0, 0.0, 18.33},
        {BotLevel::Normal, 1.481, 0.0, 0.0, 28.43},
        {BotLevel::Easy, 3.632, 0.3, 0.5, 44.09},
    };
    double lastOver = -1;
    for (const Row &r : rows) {
        QRandomGenerator random(2024);
        double over = 0, squares = 0;
        int finished = 0, gaveUp = 0;
        for (const Pair &p : pairs) {
            QString page = p.start;
            qint32 clicks = 0;
            while (page != p.destination) {
                const BotMove move = NextBotMove(StyleOf(r.level), *map, page, p.destination, random);
                if (move.kind == BotMove::Kind::GiveUp)
                    break;
                ASSERT_TRUE(map->Links(page).contains(move.page)) << page << " -> " << move.page;
                ASSERT_LT(++clicks, 200) << "lost for good between " << p.start << " and " << p.destination;
                page = move.page;
            }
            if (page == p.destination) {
                over += clicks - p.par;
                squares += double(clicks - p.par) * (clicks - p.par);
                ++finished;
            } else {
                ++gaveUp;
            }
        }
        const double meanOver = over / finished, giveUp = gaveUp / 1000.0;
        const double error = std::sqrt((squares / finished - meanOver * meanOver) / finished);
        std::printf("%s: %.3f clicks over par (standard error %.3f), %.3f of the rounds given up\n",
                    qPrintable(BotLevelWord(r.level)), meanOver, error, giveUp);
        EXPECT_NEAR(meanOver, r.over, 3 * error + 0.1) << BotLevelWord(r.level);
        EXPECT_GT(meanOver, lastOver) << BotLevelWord(r.level) << " errs more than the level above";
        lastOver = meanOver;
        EXPECT_GE(giveUp, r.giveUpLow) << BotLevelWord(r.level);
        EXPECT_LE(giveUp, r.giveUpHigh) << BotLevelWord(r.level);

        std::vector<qint32> pauses;
        for (int i = 0; i < 2001; ++i)
            pauses.push_back(BotPauseMs(StyleOf(r.level), random));
        std::sort(pauses.begin(), pauses.end());
        EXPECT_NEAR(pauses[1000] / 1000.0, r.secondsPerPage, 0.08 * r.secondsPerPage)
            << BotLevelWord(r.level);
        // Quartiles as spread as the humans' races: exp(0.6745 sigma) either side of the median.
        EXPECT_NEAR(double(pauses[1500]) / pauses[500], std::exp(2 * 0.6745 * 0.6509), 0.25);
    }
}

} // namespace
