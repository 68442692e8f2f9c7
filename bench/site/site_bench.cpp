// Measures the local encyclopedia and prints the figures:
//  - load time and resident memory of the Wikispeedia corpus with its texts;
//  - article pages per second and p50/p99 latency of 10,000 requests over 8 keep-alive loopback
//    connections, against the built-in and the Wikispeedia corpus.
// The load runs in a second copy of this program ("--client"), so the client's work does not
// share the server's event loop.
//
// site_bench [wikispeedia-folder]   (default: $QUILLORY_DATA_DIR/wikispeedia)

#include "site/corpus/BuiltinCorpus.h"
#include "site/corpus/CorpusPages.h"
#include "site/corpus/WikispeediaCorpus.h"
#include "site/http/SiteServer.h"

#include "bench/common/BenchSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace
{

using namespace bench;

// ---- server side ----

void Measure(const char *label, std::shared_ptr<const Corpus> corpus, const QString &program,
             QTemporaryDir &work)
{
    // The same uniformly drawn articles for every run of this corpus.
    QByteArray addresses;
    QRandomGenerator random(20261207);
    for (int i = 0; i < kRequests + kWarmUp; ++i)
        addresses += ArticleAddress(corpus->At(int(random.bounded(quint32(corpus->Count())))).title) + '\n';
    const QString file = work.filePath(QString::fromLatin1(label) + QStringLiteral(".txt"));
    QFile out(file);
    out.open(QIODevice::WriteOnly);
    out.write(addresses);
    out.close();

    // Building the pages alone, without HTTP, over the same addresses.
    // The first pass reads the texts from memory not yet cached; the second shows the steady state.
    {
        const QList<QByteArray> list = addresses.split('\n');
        for (const char *pass : {"first pass", "second pass"}) {
            QElapsedTimer timer;
            timer.start();
            qint64 bytes = 0;
            for (int i = 0; i < kRequests; ++i)
                bytes += AnswerRequest(*corpus, list[i]).body.size();
            std::printf("%s: page building alone, %s: %.1f us per page (%.1f KiB per page)\n", label, pass,
                        double(timer.nsecsElapsed()) / 1e3 / kRequests, double(bytes) / 1024.0 / kRequests);
        }
    }

    SiteServer server;
    if (!server.Start(corpus, QHostAddress::LocalHost, 0)) {
        std::printf("%s: cannot start: %s\n", label, qPrintable(server.ErrorString()));
        return;
    }
    QProcess client;
    client.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QEventLoop loop;
    QObject::connect(&client, &QProcess::finished, &loop, &QEventLoop::quit);
    const double cpuBefore = CpuSeconds();
    client.start(program, {QStringLiteral("--client"), QString::number(server.Port()), file});
    loop.exec();
    const double serverCpu = CpuSeconds() - cpuBefore;
    const QByteArray result = client.readAllStandardOutput().trimmed();
    if (client.exitCode() != 0) {
        std::printf("%s: client failed (exit %d)\n", label, client.exitCode());
        return;
    }
    std::printf("%s: %s server_cpu_s=%.2f (%.0f us per page)\n", label, result.constData(), serverCpu,
                serverCpu * 1e6 / (kRequests + kWarmUp));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 4 && args[1] == QLatin1String("--client"))
        return RunClient(quint16(args[2].toUInt()), args[3]);

    QString folder = args.value(1);
    if (folder.isEmpty()) {
        const QString data = qEnvironmentVariableIsEmpty("QUILLORY_DATA_DIR")
                                 ? QStringLiteral(QUILLORY_DEFAULT_DATA_DIR)
                                 : qEnvironmentVariable("QUILLORY_DATA_DIR");
        folder = data + QStringLiteral("/wikispeedia");
    }
    QTemporaryDir work;
    QFile loadavg(QStringLiteral("/proc/loadavg"));
    loadavg.open(QIODevice::ReadOnly);
    // Other work on the machine takes cores from both processes; the load average says how much.
    std::printf("machine: %d cores; Qt %s; load average %s\n", QThread::idealThreadCount(), qVersion(),
                loadavg.readAll().trimmed().constData());

    // The texts ship compressed; extract them next to links to the two tables (not timed).
    const QString corpusDir = work.filePath(QStringLiteral("wikispeedia"));
    QDir().mkpath(corpusDir);
    for (const char *name : {"articles.tsv", "links.tsv", "categories.tsv"})
        QFile::link(folder + QLatin1Char('/') + QLatin1String(name),
                    corpusDir + QLatin1Char('/') + QLatin1String(name));
    QProcess tar;
    tar.start(QStringLiteral("tar"),
              {QStringLiteral("-xJf"), folder + QStringLiteral("/plaintext_articles.tar.xz"),
               QStringLiteral("-C"), corpusDir});
    if (!tar.waitForFinished(300000) || tar.exitCode() != 0) {
        std::printf("wikispeedia: cannot extract %s/plaintext_articles.tar.xz; skipped\n",
                    qPrintable(folder));
        return 1;
    }

    std::shared_ptr<const Corpus> corpus;
    std::vector<double> loads;
    const long rssBefore = ResidentKiB();
    long rssAfter = 0;
    for (int run = 0; run < 3; ++run) {
        corpus.reset();
        QElapsedTimer timer;
        timer.start();
        QString error;
        corpus = LoadWikispeediaCorpus(corpusDir, &error);
        loads.push_back(double(timer.nsecsElapsed()) / 1e9);
        // Memory counts after the first load only: later ones reuse what the first freed.
        if (run == 0)
            rssAfter = ResidentKiB();
        if (!corpus) {
            std::printf("wikispeedia: %s\n", qPrintable(error));
            return 1;
        }
    }
    qint64 textBytes = 0;
    for (int i = 0; i < corpus->Count(); ++i)
        textBytes += corpus->At(i).text.size();
    std::printf("wikispeedia load: articles=%d links=%d text_mib=%.1f first_s=%.3f then_s=%.3f,%.3f "
                "rss_mib=%.1f (%.1f before the load)\n",
                corpus->Count(), corpus->LinkCount(), double(textBytes) / 1048576.0, loads[0], loads[1],
                loads[2], double(rssAfter) / 1024.0, double(rssBefore) / 1024.0);

    Measure("built-in", BuiltinCorpus(), app.applicationFilePath(), work);
    Measure("wikispeedia", corpus, app.applicationFilePath(), work);
    return 0;
}
