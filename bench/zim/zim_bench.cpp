// Measures the site on ZIM archives and prints the figures, for a small archive, a large one of
// small articles (500,000 unless given) and one of articles of real size (30,000 unless given):
//  - time from opening the archive to the first served page (main page and an article), over HTTP;
//  - resident memory added by the open archive, and by its case-blind index per million titles;
//  - look-up ("go", in the title's case and in another) and random-draw latency, p50/p99;
//  - article pages per second and p50/p99 latency over 8 keep-alive loopback connections, for random
//    articles and for the articles of one round; and for the random ones from kiwix-serve on the
//    same archive, side by side, when it is installed.
// Pages are measured once the link graph is built, as a server serves them after its first opening.
// The archives are generated once and kept in the system's temporary folder (bench/common/ZimArchive.h).
//
// zim_bench [large-article-count] [real-size-article-count]

#include "site/http/SiteServer.h"
#include "site/zim/ZimSite.h"

#include "bench/common/BenchSupport.h"
#include "bench/common/RealSizeArchive.h"
#include "bench/common/ZimArchive.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QUrl>

using namespace bench;

namespace
{

constexpr int kLookUps = 2000;
// Articles the players of one round read between them.
constexpr int kRoundArticles = 200;

// GET over one connection on this thread's event loop (the server runs on it too).
bool Fetch(quint16 port, const QByteArray &target)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    QByteArray got;
    QEventLoop loop;
    QObject::connect(&socket, &QTcpSocket::connected, &loop, [&] {
        socket.write("GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
    });
    QObject::connect(&socket, &QTcpSocket::readyRead, &loop, [&] { got += socket.readAll(); });
    QObject::connect(&socket, &QTcpSocket::disconnected, &loop, &QEventLoop::quit);
    // A server not yet listening refuses the connection, which then never disconnects.
    QObject::connect(&socket, &QTcpSocket::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    loop.exec();
    return got.startsWith("HTTP/1.1 200");
}

QByteArray SearchTarget(const QString &word)
{
    return "/wiki/Special:Search?search=" + QUrl::toPercentEncoding(word) + "&go=Go";
}

// What the load client printed, and its figures.
struct Load {
    bool ok = false;
    QByteArray line;
    double pagesPerSecond = 0, p99 = 0;
};

double Figure(const QByteArray &line, const QByteArray &name)
{
    const qsizetype at = line.indexOf(name + '=');
    return at < 0 ? 0.0 : line.mid(at + name.size() + 1).split(' ').value(0).toDouble();
}

// Runs the load client (a second copy of this program) on those articles, addressed as `prefix` +
// their path, over kConnections keep-alive connections.
Load RunLoad(const QString &program, quint16 port, const std::vector<int> &pages, const QByteArray &prefix,
             QTemporaryDir &work, const char *label)
{
    QByteArray addresses;
    for (const int i : pages)
        addresses += prefix + QUrl::toPercentEncoding(QString::fromStdString(PathOf(i)), "/") + '\n';
    const QString list = work.filePath(QString::fromLatin1(label) + QStringLiteral(".txt"));
    QFile out(list);
    out.open(QIODevice::WriteOnly);
    out.write(addresses);
    out.close();
    QProcess client;
    client.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QEventLoop loop;
    QObject::connect(&client, &QProcess::finished, &loop, &QEventLoop::quit);
    client.start(program, {QStringLiteral("--client"), QString::number(port), list});
    loop.exec();
    Load load;
    if (client.exitCode() != 0) {
        std::printf("%s: client failed (exit %d)\n", label, client.exitCode());
        return load;
    }
    load.line = client.readAllStandardOutput().trimmed();
    load.ok = true;
    load.pagesPerSecond = Figure(load.line, "pages_per_s");
    load.p99 = Figure(load.line, "p99_ms");
    return load;
}

// The same random pages from the offline reader's own server on the same archive, when it is
// installed, and how the two compare.
void CompareWithKiwix(const char *label, const QString &file, const QString &program,
                      const std::vector<int> &pages, const Load &ours, QTemporaryDir &work)
{
    const QString kiwix = QStandardPaths::findExecutable(QStringLiteral("kiwix-serve"));
    if (kiwix.isEmpty()) {
        std::printf(
            "%s: kiwix-serve is not installed (Debian package kiwix-tools); no side-by-side figures\n",
            label);
        return;
    }
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    QProcess serve;
    serve.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    serve.setStandardOutputFile(QProcess::nullDevice());
    serve.start(kiwix, {QStringLiteral("--address=127.0.0.1"), QStringLiteral("--port=%1").arg(port), file});
    serve.waitForStarted(5000);
    // Its versions address an article as /content/<book>/<path>, /<book>/<path> or /<book>/A/<path>.
    const QByteArray book = QFileInfo(file).completeBaseName().toUtf8();
    const QByteArray prefixes[] = {"/content/" + book + '/', '/' + book + '/', '/' + book + "/A/"};
    QByteArray prefix;
    for (int tries = 0; tries < 100 && prefix.isEmpty() && serve.state() == QProcess::Running; ++tries) {
        for (const QByteArray &p : prefixes) {
            if (prefix.isEmpty() && Fetch(port, p + QByteArray::fromStdString(PathOf(pages.front()))))
                prefix = p;
        }
        if (prefix.isEmpty())
            QThread::msleep(100);
    }
    if (prefix.isEmpty()) {
        std::printf("%s: kiwix-serve did not serve the archive's articles\n", label);
    } else {
        const Load theirs = RunLoad(program, port, pages, prefix, work, label);
        if (theirs.ok) {
            std::printf("%s: kiwix-serve random pages: %s\n", label, theirs.line.constData());
            std::printf(
                "%s: pages_per_s ratio (ours / kiwix-serve) = %.2f (target >= 2); p99_ms %.1f vs %.1f\n",
                label, ours.pagesPerSecond / qMax(theirs.pagesPerSecond, 1e-9), ours.p99, theirs.p99);
        }
    }
    serve.terminate();
    if (!serve.waitForFinished(5000))
        serve.kill();
    serve.waitForFinished(5000);
}

// Article i has a redirect "Alias i" when i is a multiple of `aliasEvery`.
void Measure(const char *label, const QString &file, int articles, int aliasEvery, const QString &program,
             QTemporaryDir &work)
{
    if (file.isEmpty())
        return;
    std::printf("%s: %s, %.1f MiB\n", label, qPrintable(file), double(QFileInfo(file).size()) / 1048576.0);

    const long rssBefore = ResidentKiB();
    QElapsedTimer sinceStart;
    sinceStart.start();
    QString error;
    std::shared_ptr<ZimSite> site = ZimSite::Open(file, &error);
    if (!site) {
        std::printf("%s: %s\n", label, qPrintable(error));
        return;
    }
    SiteServer server;
    if (!server.Start(site, QHostAddress::LocalHost, 0)) {
        std::printf("%s: cannot serve: %s\n", label, qPrintable(server.ErrorString()));
        return;
    }
    const double openMs = double(sinceStart.nsecsElapsed()) / 1e6;
    const bool mainOk = Fetch(server.Port(), "/wiki/Main_Page");
    const double mainMs = double(sinceStart.nsecsElapsed()) / 1e6;
    const bool articleOk = Fetch(server.Port(), ArticleAddress(TitleOf(articles / 2)));
    const double articleMs = double(sinceStart.nsecsElapsed()) / 1e6;
    const long rssServing = ResidentKiB();
    std::printf(
        "%s: open_ms=%.1f first_main_page_ms=%.1f (%s) first_article_ms=%.1f (%s) index_progress=%d%%\n",
        label, openMs, mainMs, mainOk ? "200" : "FAILED", articleMs, articleOk ? "200" : "FAILED",
        site->Progress());

    // While the index is still being built, a look-up in another case tries the usual spellings.
    QRandomGenerator random(7);
    if (site->Progress() < 100) {
        const Latency early = Time(500, [&](int) {
            (void)site->Answer(SearchTarget(TitleOf(int(random.bounded(quint32(articles)))).toLower()));
        });
        std::printf("%s: go other case during indexing (at %d%%): p50_ms=%.3f p99_ms=%.3f\n", label,
                    site->Progress(), early.p50, early.p99);
    }
    site->WaitForIndex();
    const double indexS = double(sinceStart.nsecsElapsed()) / 1e9;
    const long rssIndexed = ResidentKiB();
    const qint64 titles = site->IndexedTitles();
    std::printf(
        "%s: index of %lld titles ready at %.2f s; rss_added_serving_mib=%.1f rss_added_total_mib=%.1f "
        "index_mib_per_million_titles=%.1f\n",
        label, titles, indexS, double(rssServing - rssBefore) / 1024.0,
        double(rssIndexed - rssBefore) / 1024.0,
        titles > 0 ? double(rssIndexed - rssServing) / 1024.0 * 1e6 / double(titles) : 0.0);

    int misses = 0; // look-ups that did not lead to an article
    auto go = [&](const QString &word) { misses += site->Answer(SearchTarget(word)).status != 302; };
    const Latency exact = Time(kLookUps, [&](int) { go(TitleOf(int(random.bounded(quint32(articles))))); });
    const Latency other =
        Time(kLookUps, [&](int) { go(TitleOf(int(random.bounded(quint32(articles)))).toUpper()); });
    const Latency redirect = Time(kLookUps, [&](int) {
        go(QStringLiteral("alias %1").arg(int(random.bounded(quint32(articles / aliasEvery))) * aliasEvery));
    });
    const Latency draw = Time(kLookUps, [&](int) { (void)site->Answer("/wiki/Special:Random"); });
    std::printf("%s: go exact p50_ms=%.3f p99_ms=%.3f | go other case p50_ms=%.3f p99_ms=%.3f | go redirect "
                "p50_ms=%.3f p99_ms=%.3f | random p50_ms=%.3f p99_ms=%.3f | look-ups not found: %d\n",
                label, exact.p50, exact.p99, other.p50, other.p99, redirect.p50, redirect.p99, draw.p50,
                draw.p99, misses);

    // Random articles, and the articles of one round: players who all start from one page and head
    // for one goal read a few hundred pages between them, whose clusters a server can keep warm.
    std::vector<int> randomPages, roundPages;
    for (int i = 0; i < kRequests + kWarmUp; ++i)
        randomPages.push_back(int(random.bounded(quint32(articles))));
    std::vector<int> round;
    for (int i = 0; i < kRoundArticles; ++i)
        round.push_back(int(random.bounded(quint32(articles))));
    for (int i = 0; i < kRequests + kWarmUp; ++i)
        roundPages.push_back(round[random.bounded(quint32(round.size()))]);

    site->WaitForGraph();
    const double cpuBefore = CpuSeconds();
    const Load ours = RunLoad(program, server.Port(), randomPages, "/wiki/", work, label);
    const double serverCpu = CpuSeconds() - cpuBefore;
    if (!ours.ok)
        return;
    std::printf("%s: random pages: %s server_cpu_s=%.2f\n", label, ours.line.constData(), serverCpu);
    const Load warm = RunLoad(program, server.Port(), roundPages, "/wiki/", work, label);
    if (warm.ok)
        std::printf("%s: pages of one round (%d articles): %s\n", label, kRoundArticles,
                    warm.line.constData());
    std::fflush(stdout);
    server.Stop();
    site.reset();
    CompareWithKiwix(label, file, program, randomPages, ours, work);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 4 && args[1] == QLatin1String("--client"))
        return RunClient(quint16(args[2].toUInt()), args[3]);
    const int large = qMax(1000, args.value(1, QStringLiteral("500000")).toInt());
    const int realSize = qMax(1000, args.value(2, QString::number(kRealSizeArticles)).toInt());

    QTemporaryDir work;
    QFile loadavg(QStringLiteral("/proc/loadavg"));
    loadavg.open(QIODevice::ReadOnly);
    std::printf("machine: %d cores; Qt %s; load average %s\n", QThread::idealThreadCount(), qVersion(),
                loadavg.readAll().trimmed().constData());
    std::fflush(stdout);
    Measure("small", GeneratedArchive(2000), 2000, 10, app.applicationFilePath(), work);
    std::fflush(stdout);
    Measure("large", GeneratedArchive(large), large, 10, app.applicationFilePath(), work);
    std::fflush(stdout);
    Measure("real-size", RealSizeArchive(realSize), realSize, kRealSizeAliasEvery, app.applicationFilePath(),
            work);
    return 0;
}
