// Measures the link graph and its shortest routes, and prints the figures:
//  1. the Wikispeedia corpus: load time, graph build time, size, winnable articles, bytes per link,
//     shortest route p50/p99 over uniformly drawn pairs and over pairs drawn among winnable articles;
//  2. a generated graph (1,000,000 articles and 30,000,000 links unless given): build time, bytes per
//     link, resident memory added, winnable articles, shortest route p50/p99/max, and the size and
//     save and load times of its cache file;
//  3. a generated ZIM archive (500,000 articles unless given): time from opening it to a built graph,
//     then from opening it again to the graph read back from the cache folder, the cache file's size,
//     and shortest routes between titles;
//  4. the real-size archive (30,000 articles unless given): every article read once in storage
//     order on one thread, then start to the graph's cache file, as a ratio to that reading; the
//     graph alone on one thread and on every core; the time extrapolated to 6.8 M articles of 1.5x
//     the size; bytes per link.
// Each route search starts after one untimed search, which allocates the search's working space.
//
// graph_bench [wikispeedia-folder] [zim-articles] [graph-articles] [graph-links] [real-size-articles]
//     (default: $QUILLORY_DATA_DIR/wikispeedia 500000 1000000 30000000 30000)

#include "site/corpus/CorpusSite.h"
#include "site/corpus/WikispeediaCorpus.h"
#include "site/graph/LinkGraph.h"
#include "site/graph/Routes.h"
#include "site/zim/ZimArchive.h"
#include "site/zim/ZimGraph.h"
#include "site/zim/ZimSite.h"

#include "bench/common/BenchSupport.h"
#include "bench/common/RealSizeArchive.h"
#include "bench/common/ZimArchive.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

#include <zim/item.h>

#include <cmath>
#include <cstdio>
#include <numeric>

using namespace bench;

namespace
{

constexpr int kWikispeediaPairs = 10000;
constexpr int kLargePairs = 1000;

double Seconds(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e9;
}

void PrintMachine(const char *when)
{
    QFile loadavg(QStringLiteral("/proc/loadavg"));
    loadavg.open(QIODevice::ReadOnly);
    std::printf("machine (%s): %d cores; Qt %s; load average %s\n", when, QThread::idealThreadCount(),
                qVersion(), loadavg.readAll().trimmed().constData());
    std::fflush(stdout);
}

// Routes between `pairs` pairs that `draw` gives: latency, how many found no route, mean clicks.
struct RouteFigures {
    Latency latency;
    int noRoute = 0;
    double meanClicks = 0;
};

RouteFigures MeasureRoutes(int pairs,
                           const std::function<std::pair<LinkGraph::Node, LinkGraph::Node>()> &draw,
                           const std::function<qsizetype(LinkGraph::Node, LinkGraph::Node)> &route)
{
    std::vector<std::pair<LinkGraph::Node, LinkGraph::Node>> drawn(static_cast<size_t>(pairs));
    for (auto &p : drawn)
        p = draw();
    (void)route(drawn[0].first, drawn[0].second);
    RouteFigures f;
    qint64 clicks = 0;
    f.latency = Time(pairs, [&](int i) {
        const qsizetype length = route(drawn[size_t(i)].first, drawn[size_t(i)].second);
        if (length == 0)
            ++f.noRoute;
        else
            clicks += length - 1;
    });
    f.meanClicks = pairs > f.noRoute ? double(clicks) / double(pairs - f.noRoute) : 0.0;
    return f;
}

void PrintRoutes(const char *label, const char *pairs, int count, const RouteFigures &f)
{
    std::printf("%s: shortest route over %d %s: p50_ms=%.4f p99_ms=%.4f max_ms=%.3f no_route=%d "
                "mean_clicks=%.2f\n",
                label, count, pairs, f.latency.p50, f.latency.p99, f.latency.max, f.noRoute, f.meanClicks);
    std::fflush(stdout);
}

void PrintGraph(const char *label, const LinkGraph &g)
{
    std::printf("%s: articles=%u links=%llu winnable=%zu bytes_per_link=%.2f graph_mib=%.1f\n", label,
                g.NodeCount(), (unsigned long long)g.LinkCount(), g.Winnable().size(),
                double(g.BytesUsed()) / double(qMax<quint64>(1, g.LinkCount())),
                double(g.BytesUsed()) / 1048576.0);
}

bool MeasureWikispeedia(const QString &folder)
{
    const char *label = "wikispeedia";
    QElapsedTimer t;
    t.start();
    QString error;
    std::shared_ptr<const Corpus> corpus = LoadWikispeediaCorpus(folder, &error);
    const double loadS = Seconds(t);
    if (!corpus) {
        std::printf("%s: cannot load %s: %s\n", label, qPrintable(folder), qPrintable(error));
        return false;
    }
    t.restart();
    const CorpusSite site(corpus, QStringLiteral("Wikispeedia"));
    const double buildS = Seconds(t);
    std::printf("%s: corpus loaded in %.3f s; graph built (site construction) in %.1f ms\n", label, loadS,
                buildS * 1000);
    const LinkGraph &g = *site.Graph();
    PrintGraph(label, g);

    auto route = [&g](LinkGraph::Node a, LinkGraph::Node b) {
        return qsizetype(g.ShortestRoute(a, b).size());
    };
    QRandomGenerator random(20261207);
    const quint32 n = g.NodeCount();
    PrintRoutes(
        label, "uniformly drawn pairs", kWikispeediaPairs,
        MeasureRoutes(
            kWikispeediaPairs, [&] { return std::make_pair(random.bounded(n), random.bounded(n)); }, route));
    const RouteFigures winnable = MeasureRoutes(
        kWikispeediaPairs, [&] { return std::make_pair(g.RandomWinnable(), g.RandomWinnable()); }, route);
    PrintRoutes(label, "pairs drawn among winnable articles", kWikispeediaPairs, winnable);
    std::printf("%s: winnable pairs with a route: %d of %d\n", label, kWikispeediaPairs - winnable.noRoute,
                kWikispeediaPairs);
    return winnable.noRoute == 0;
}

// A graph shaped roughly like an encyclopedia's. Out-degrees are drawn from an exponential
// distribution and scaled so they add up to `linkCount` exactly. Of the link targets, 60% are drawn
// by popularity: articles get ranks in a random order and a rank r (from 1) is drawn with weight
// r^-0.8 (the inverse of the continuous power law's distribution), so the most popular article gets
// about 1% of them; the other 40% land near the linking article (within 500 in number, as articles
// of one subject sit together). One article in 20, drawn uniformly, may not be passed through
// (the page kinds a route avoids). Self-links and repeats are dropped by the graph.
struct GeneratedLinks {
    std::vector<quint8> marks;
    std::vector<std::pair<LinkGraph::Node, LinkGraph::Node>> links;
};

GeneratedLinks Generate(quint32 articles, quint64 linkCount)
{
    QRandomGenerator random(articles ^ quint32(linkCount));
    std::vector<quint8> marks(articles, LinkGraph::Drawable | LinkGraph::Passable);
    for (quint8 &m : marks) {
        if (random.bounded(20) == 0)
            m = LinkGraph::Drawable;
    }
    std::vector<LinkGraph::Node> byRank(articles);
    std::iota(byRank.begin(), byRank.end(), 0u);
    for (quint32 i = articles - 1; i > 0; --i)
        std::swap(byRank[i], byRank[random.bounded(i + 1)]);

    std::vector<double> weight(articles);
    for (double &w : weight)
        w = -std::log(1.0 - random.generateDouble());
    const double total = std::accumulate(weight.begin(), weight.end(), 0.0);
    std::vector<quint32> degree(articles);
    quint64 given = 0;
    for (quint32 i = 0; i < articles; ++i) {
        degree[i] = quint32(weight[i] * double(linkCount) / total);
        given += degree[i];
    }
    for (quint32 i = 0; given < linkCount; i = (i + 1) % articles, ++given)
        ++degree[i];
    weight.clear();
    weight.shrink_to_fit();

    constexpr double kExponent = 0.8;
    constexpr int kNear = 500;
    const double top = std::pow(double(articles) + 1.0, 1.0 - kExponent) - 1.0;
    std::vector<std::pair<LinkGraph::Node, LinkGraph::Node>> links;
    links.reserve(linkCount);
    for (quint32 from = 0; from < articles; ++from) {
        for (quint32 k = 0; k < degree[from]; ++k) {
            LinkGraph::Node to;
            if (random.bounded(10) < 6) {
                const double x = std::pow(top * random.generateDouble() + 1.0, 1.0 / (1.0 - kExponent));
                to = byRank[qMin(quint32(x) - 1, articles - 1)];
            } else {
                const qint64 offset = qint64(random.bounded(2 * kNear + 1)) - kNear;
                to = LinkGraph::Node((qint64(from) + offset + articles) % articles);
            }
            links.emplace_back(from, to);
        }
    }
    return {std::move(marks), std::move(links)};
}

void MeasureGenerated(quint32 articles, quint64 linkCount)
{
    const char *label = "generated";
    std::printf("%s: %u articles, %llu links drawn (exponential out-degrees; targets 60%% by a power-law "
                "popularity r^-0.8 over shuffled ranks, 40%% within 500 of the linking article; 5%% of "
                "articles not passable)\n",
                label, articles, (unsigned long long)linkCount);
    std::fflush(stdout);
    const long rssBefore = ResidentKiB();
    QElapsedTimer t;
    t.start();
    GeneratedLinks generated = Generate(articles, linkCount);
    const double generateS = Seconds(t);
    t.restart();
    const LinkGraph g(std::move(generated.marks), std::move(generated.links));
    const double buildS = Seconds(t);
    const long rssBuilt = ResidentKiB();
    std::printf("%s: links drawn in %.2f s; graph built in %.2f s\n", label, generateS, buildS);
    PrintGraph(label, g);
    std::printf("%s: rss_added_mib=%.1f (graph held, generation's arrays freed)\n", label,
                double(rssBuilt - rssBefore) / 1024.0);
    std::fflush(stdout);

    auto route = [&g](LinkGraph::Node a, LinkGraph::Node b) {
        return qsizetype(g.ShortestRoute(a, b).size());
    };
    QRandomGenerator random(20261207);
    PrintRoutes(label, "uniformly drawn pairs", kLargePairs,
                MeasureRoutes(
                    kLargePairs,
                    [&] { return std::make_pair(random.bounded(articles), random.bounded(articles)); },
                    route));
    PrintRoutes(
        label, "pairs drawn among winnable articles", kLargePairs,
        MeasureRoutes(
            kLargePairs, [&] { return std::make_pair(g.RandomWinnable(), g.RandomWinnable()); }, route));
    std::printf("%s: rss_added_mib=%.1f (with the route search's working space)\n", label,
                double(ResidentKiB() - rssBefore) / 1024.0);

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("generated.links"));
    const QByteArray key = "generated-graph";
    t.restart();
    const qsizetype serialized = g.Serialize(key).size();
    const double serializeS = Seconds(t);
    t.restart();
    const bool saved = g.Save(file, key);
    const double saveS = Seconds(t);
    t.restart();
    const long rssBeforeLoad = ResidentKiB();
    const std::optional<LinkGraph> loaded = LinkGraph::Load(file, key, articles);
    const double loadS = Seconds(t);
    if (loaded) {
        std::printf("%s: built from the cache file in %.2f s: graph_mib=%.1f rss_added_by_load_mib=%.1f "
                    "(targets: memory at most 1536 MiB)\n",
                    label, loadS, double(loaded->BytesUsed()) / 1048576.0,
                    double(ResidentKiB() - rssBeforeLoad) / 1024.0);
        QRandomGenerator loadedRandom(20261208);
        PrintRoutes("generated (from cache)", "uniformly drawn pairs", kLargePairs,
                    MeasureRoutes(
                        kLargePairs,
                        [&] {
                            return std::make_pair(loadedRandom.bounded(articles),
                                                  loadedRandom.bounded(articles));
                        },
                        [&loaded](LinkGraph::Node a, LinkGraph::Node b) {
                            return qsizetype(loaded->ShortestRoute(a, b).size());
                        }));
    }
    const bool loadedSame =
        loaded && loaded->LinkCount() == g.LinkCount() && loaded->Winnable() == g.Winnable();
    std::printf(
        "%s: serialized_mib=%.1f (in %.2f s); save %.2f s%s; load %.2f s (with the incoming links and "
        "winnable articles worked out again)%s\n",
        label, double(serialized) / 1048576.0, serializeS, saveS, saved ? "" : " FAILED", loadS,
        loadedSame ? "" : " FAILED OR DIFFERENT");
    std::fflush(stdout);
}

bool MeasureZim(int articles)
{
    const char *label = "zim";
    const QString file = GeneratedArchive(articles);
    if (file.isEmpty())
        return false;
    std::printf("%s: %s, %.1f MiB, %d articles with %d links each (uniformly drawn) and one to a missing "
                "page per paragraph\n",
                label, qPrintable(file), double(QFileInfo(file).size()) / 1048576.0, articles,
                kLinksPerArticle);
    QTemporaryDir cache;
    // Opens the archive and waits for its graph: seconds to the title index and to the graph.
    auto open = [&](double *indexS, double *graphS) -> std::shared_ptr<ZimSite> {
        QElapsedTimer t;
        t.start();
        QString error;
        std::shared_ptr<ZimSite> site = ZimSite::Open(file, &error, cache.path());
        if (!site) {
            std::printf("%s: %s\n", label, qPrintable(error));
            return nullptr;
        }
        site->WaitForIndex();
        *indexS = Seconds(t);
        site->WaitForGraph();
        *graphS = Seconds(t);
        return site;
    };
    double indexS = 0, buildS = 0;
    {
        const std::shared_ptr<ZimSite> site = open(&indexS, &buildS);
        if (!site)
            return false;
        if (!site->Graph() || site->GraphLoadedFromCache()) {
            std::printf("%s: the graph was not built\n", label);
            return false;
        }
        std::printf(
            "%s: open to graph built: %.2f s (title index ready at %.2f s, so the graph took %.2f s)\n",
            label, buildS, indexS, buildS - indexS);
        PrintGraph(label, *site->Graph());
    }
    const QFileInfoList cached = QDir(cache.path()).entryInfoList({QStringLiteral("*.links")}, QDir::Files);
    double reopenS = 0;
    const std::shared_ptr<ZimSite> site = open(&indexS, &reopenS);
    if (!site)
        return false;
    const bool fromCache = site->GraphLoadedFromCache();
    std::printf("%s: open again to graph ready: %.2f s (title index ready at %.2f s, graph read in %.2f s); "
                "loaded from cache: %s; cache file %.1f MiB\n",
                label, reopenS, indexS, reopenS - indexS, fromCache ? "yes" : "NO",
                cached.size() == 1 ? double(cached.front().size()) / 1048576.0 : -1.0);
    if (!fromCache || !site->Graph())
        return false;

    QRandomGenerator random(20261207);
    std::vector<std::pair<QString, QString>> pairs(kLargePairs);
    for (auto &[from, to] : pairs) {
        from = TitleOf(int(random.bounded(quint32(articles))));
        to = TitleOf(int(random.bounded(quint32(articles))));
    }
    (void)ShortestRoute(*site, pairs[0].first, pairs[0].second);
    int noRoute = 0, notReady = 0;
    qint64 clicks = 0;
    const Latency latency = Time(kLargePairs, [&](int i) {
        const std::optional<QStringList> route =
            ShortestRoute(*site, pairs[size_t(i)].first, pairs[size_t(i)].second);
        if (!route)
            ++notReady;
        else if (route->isEmpty())
            ++noRoute;
        else
            clicks += route->size() - 1;
    });
    std::printf("%s: shortest route between titles over %d uniformly drawn pairs: p50_ms=%.3f p99_ms=%.3f "
                "max_ms=%.3f no_route=%d graph_not_ready=%d mean_clicks=%.2f\n",
                label, kLargePairs, latency.p50, latency.p99, latency.max, noRoute, notReady,
                kLargePairs > noRoute ? double(clicks) / double(kLargePairs - noRoute) : 0.0);
    return notReady == 0;
}

// The full-size encyclopedia the build time is extrapolated to: its article count, and its
// articles' size against those of the real-size archive.
constexpr double kFullSizeArticles = 6.8e6;
constexpr double kFullSizeArticleScale = 1.5;

// Every article's HTML read once with libzim, in storage order, on one thread: the least any
// build that looks at every article must do. Seconds, and the articles and bytes read.
double ReadEveryArticle(const QString &file, qint64 *articles, qint64 *bytes)
{
    const zim::Archive archive(file.toStdString());
    QElapsedTimer t;
    t.start();
    for (const zim::Entry &e : archive.iterEfficient()) {
        if (e.isRedirect())
            continue;
        const zim::Item item = e.getItem();
        if (item.getMimetype().rfind("text/html", 0) != 0)
            continue;
        *bytes += qint64(item.getData().size());
        ++*articles;
    }
    return Seconds(t);
}

// The graph of one archive built on `threads` threads (0: one a core), without the title index;
// seconds.
double BuildGraphOnly(const QString &file, int threads, const QString &cacheFolder, quint64 *links)
{
    QString error;
    const auto archive = ZimArchive::Open(file, &error);
    if (!archive)
        return -1;
    QElapsedTimer t;
    t.start();
    ZimGraph graph(*archive, cacheFolder, threads);
    const std::atomic<bool> stop{false};
    graph.Build(stop);
    graph.Finish();
    *links = graph.Get() ? graph.Get()->LinkCount() : 0;
    return Seconds(t);
}

bool MeasureRealSizeZim(int articles)
{
    const char *label = "zim-real";
    const QString file = RealSizeArchive(articles);
    if (file.isEmpty())
        return false;
    qint64 read = 0, bytes = 0;
    (void)ReadEveryArticle(file, &read, &bytes); // the file into the page cache, as for any later start
    read = bytes = 0;
    const double readS = ReadEveryArticle(file, &read, &bytes);
    std::printf("%s: %s, %.1f MiB; %lld articles, %.1f MiB of HTML (%.1f KB each)\n", label, qPrintable(file),
                double(QFileInfo(file).size()) / 1048576.0, read, double(bytes) / 1048576.0,
                double(bytes) / 1000.0 / double(qMax<qint64>(1, read)));
    std::printf("%s: reading every article once, storage order, one thread: %.2f s (%.1f us an article)\n",
                label, readS, readS * 1e6 / double(qMax<qint64>(1, read)));
    std::fflush(stdout);

    QTemporaryDir cache;
    QElapsedTimer t;
    t.start();
    QString error;
    std::shared_ptr<ZimSite> site = ZimSite::Open(file, &error, cache.path());
    if (!site) {
        std::printf("%s: %s\n", label, qPrintable(error));
        return false;
    }
    site->WaitForIndex();
    const double indexS = Seconds(t);
    site->WaitForGraph();
    const double startToCacheS = Seconds(t);
    const bool cached = !QDir(cache.path()).entryList({QStringLiteral("*.links")}, QDir::Files).isEmpty();
    if (!site->Graph() || !cached) {
        std::printf("%s: the graph was not built or not kept\n", label);
        return false;
    }
    std::printf(
        "%s: start to the graph's cache file on %d threads: %.2f s (title index %.2f s, graph %.2f s); "
        "ratio to reading: %.2f (target at most 1.0 on 2 cores)\n",
        label, QThread::idealThreadCount(), startToCacheS, indexS, startToCacheS - indexS,
        startToCacheS / readS);
    PrintGraph(label, *site->Graph());
    site.reset();

    QTemporaryDir one, every;
    quint64 linksOne = 0, linksEvery = 0;
    const double oneS = BuildGraphOnly(file, 1, one.path(), &linksOne);
    const double everyS = BuildGraphOnly(file, 0, every.path(), &linksEvery);
    std::printf("%s: graph alone (no title index): one thread %.2f s (ratio %.2f), every core %.2f s (ratio "
                "%.2f); links %llu / %llu\n",
                label, oneS, oneS / readS, everyS, everyS / readS, (unsigned long long)linksOne,
                (unsigned long long)linksEvery);
    const double scale = kFullSizeArticles / double(qMax<qint64>(1, read)) * kFullSizeArticleScale;
    std::printf(
        "%s: extrapolated to %.1f M articles of %.1fx the size: start to cache file %.1f min; reading "
        "alone %.1f min on one thread, %.1f min spread over %d cores\n",
        label, kFullSizeArticles / 1e6, kFullSizeArticleScale, startToCacheS * scale / 60, readS * scale / 60,
        readS * scale / 60 / QThread::idealThreadCount(), QThread::idealThreadCount());
    std::fflush(stdout);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString folder =
        args.value(1, QStringLiteral(QUILLORY_DEFAULT_DATA_DIR) + QStringLiteral("/wikispeedia"));
    const int zimArticles = qMax(1000, args.value(2, QStringLiteral("500000")).toInt());
    const quint32 graphArticles = qMax(1000u, args.value(3, QStringLiteral("1000000")).toUInt());
    const quint64 graphLinks = qMax(1000ull, args.value(4, QStringLiteral("30000000")).toULongLong());
    const int realSizeArticles = qMax(1000, args.value(5, QString::number(kRealSizeArticles)).toInt());

    PrintMachine("start");
    bool ok = MeasureWikispeedia(folder);
    MeasureGenerated(graphArticles, graphLinks);
    ok = MeasureZim(zimArticles) && ok;
    ok = MeasureRealSizeZim(realSizeArticles) && ok;
    PrintMachine("end");
    return ok ? 0 : 1;
}
