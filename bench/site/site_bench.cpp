// Measures the local encyclopedia and prints the figures:
//  - load time and resident memory of the Wikispeedia corpus with its texts;
//  - article pages per second and p50/p99 latency of 10,000 requests over 8 keep-alive loopback
//    connections, against the built-in and the Wikispeedia corpus.
// The load runs in a second copy of this program ("--client"), so the client's work does not
// share the server's event loop.
//
// site_bench [wikispeedia-folder]   (default: $QUILLORY_SHARED_DIR/data/wikispeedia)

#include "site/BuiltinCorpus.h"
#include "site/Pages.h"
#include "site/SiteServer.h"
#include "site/WikispeediaCorpus.h"

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

constexpr int kRequests = 10000;
constexpr int kWarmUp = 500;
constexpr int kConnections = 8;

long ResidentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// ---- client side (second process) ----

struct Connection {
    QTcpSocket *socket = nullptr;
    QByteArray buffer;
    QElapsedTimer sent;
};

int RunClient(quint16 port, const QString &addressFile)
{
    QFile f(addressFile);
    if (!f.open(QIODevice::ReadOnly))
        return 2;
    const QList<QByteArray> addresses = f.readAll().split('\n');

    auto runPhase = [&](int total, std::vector<double> *latencies, int *errors, qint64 *bytes) {
        std::vector<Connection> connections(kConnections);
        int next = 0, finished = 0;
        QEventLoop loop;
        auto send = [&](Connection &c) {
            const QByteArray &address = addresses[next % (addresses.size() - 1)];
            ++next;
            c.sent.start();
            c.socket->write("GET " + address + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
        };
        for (Connection &c : connections) {
            c.socket = new QTcpSocket;
            c.socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            QObject::connect(c.socket, &QTcpSocket::readyRead, [&, pc = &c]() {
                Connection &conn = *pc;
                conn.buffer += conn.socket->readAll();
                while (true) {
                    const qsizetype end = conn.buffer.indexOf("\r\n\r\n");
                    if (end < 0)
                        return;
                    const QByteArray head = conn.buffer.left(end).toLower();
                    const qsizetype cl = head.indexOf("content-length:");
                    const qsizetype length =
                        cl < 0 ? 0
                               : head.mid(cl + 15, head.indexOf('\r', cl) - cl - 15).trimmed().toLongLong();
                    if (conn.buffer.size() < end + 4 + length)
                        return;
                    if (!head.startsWith("http/1.1 200"))
                        ++*errors;
                    *bytes += end + 4 + length;
                    if (latencies)
                        latencies->push_back(double(conn.sent.nsecsElapsed()) / 1e6);
                    conn.buffer.remove(0, end + 4 + length);
                    ++finished;
                    if (next < total)
                        send(conn);
                    else if (finished == total)
                        loop.quit();
                }
            });
            QObject::connect(c.socket, &QTcpSocket::disconnected, &loop, [&]() {
                ++*errors;
                loop.quit();
            });
            c.socket->connectToHost(QHostAddress::LocalHost, port);
            if (!c.socket->waitForConnected(5000))
                return false;
        }
        for (Connection &c : connections) {
            if (next < total)
                send(c);
        }
        loop.exec();
        for (Connection &c : connections) {
            QObject::disconnect(c.socket, nullptr, nullptr, nullptr);
            delete c.socket;
        }
        return finished == total;
    };

    int errors = 0;
    qint64 bytes = 0;
    if (!runPhase(kWarmUp, nullptr, &errors, &bytes))
        return 3;
    std::vector<double> latencies;
    latencies.reserve(kRequests);
    errors = 0;
    bytes = 0;
    QElapsedTimer wall;
    wall.start();
    const double cpuBefore = CpuSeconds();
    const bool ok = runPhase(kRequests, &latencies, &errors, &bytes);
    const double seconds = double(wall.nsecsElapsed()) / 1e9;
    const double clientCpu = CpuSeconds() - cpuBefore;
    if (!ok)
        return 4;
    std::sort(latencies.begin(), latencies.end());
    auto at = [&](double q) { return latencies[size_t(q * double(latencies.size() - 1))]; };
    std::printf(
        "requests=%d connections=%d seconds=%.3f pages_per_s=%.0f p50_ms=%.3f p99_ms=%.3f max_ms=%.3f "
        "non200=%d mean_page_kib=%.1f client_cpu_s=%.2f\n",
        kRequests, kConnections, seconds, kRequests / seconds, at(0.50), at(0.99), latencies.back(), errors,
        double(bytes) / kRequests / 1024.0, clientCpu);
    return 0;
}

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
        const QString shared = qEnvironmentVariableIsEmpty("QUILLORY_SHARED_DIR")
                                   ? QStringLiteral(QUILLORY_DEFAULT_SHARED_DIR)
                                   : qEnvironmentVariable("QUILLORY_SHARED_DIR");
        folder = shared + QStringLiteral("/data/wikispeedia");
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
