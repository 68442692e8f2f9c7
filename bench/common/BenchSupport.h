#pragma once

// What the benchmarks share: resident memory, processor time, latency percentiles, and the HTTP load client
// that runs in a second copy of a benchmark ("--client"), so its work does not share the server's event loop.

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QHostAddress>
#include <QTcpSocket>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace bench
{

constexpr int kRequests = 10000;
constexpr int kWarmUp = 500;
constexpr int kConnections = 8;

inline long ResidentKiB()
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

inline double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Latency of `n` calls of `work` (given the call's number), in milliseconds.
struct Latency {
    double p50, p99, max;
};

inline Latency Time(int n, const std::function<void(int)> &work)
{
    std::vector<double> ms;
    ms.reserve(size_t(n));
    for (int i = 0; i < n; ++i) {
        QElapsedTimer t;
        t.start();
        work(i);
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return {ms[size_t(0.50 * (n - 1))], ms[size_t(0.99 * (n - 1))], ms.back()};
}

// ---- client side (second process) ----

struct Connection {
    QTcpSocket *socket = nullptr;
    QByteArray buffer;
    QElapsedTimer sent;
    bool serverCloses = false; // its last answer said "Connection: close"
};

// Sends the addresses listed in the file (one a line) over kConnections keep-alive connections:
// kWarmUp requests, then kRequests measured ones; prints one line of figures. A server that closes
// the connection after each answer gets a new one for the next request, as a browser does, and
// the time to connect counts in that request's latency.
inline int RunClient(quint16 port, const QString &addressFile)
{
    QFile f(addressFile);
    if (!f.open(QIODevice::ReadOnly))
        return 2;
    const QList<QByteArray> addresses = f.readAll().split('\n');

    int reopened = 0; // connections opened again, in the last phase
    auto runPhase = [&](int total, std::vector<double> *latencies, int *errors, qint64 *bytes) {
        std::vector<Connection> connections(kConnections);
        int next = 0, finished = 0;
        reopened = 0;
        QEventLoop loop;
        auto send = [&](Connection &c) {
            const QByteArray &address = addresses[next % (addresses.size() - 1)];
            ++next;
            c.sent.start();
            if (c.serverCloses) {
                c.socket->abort();
                c.socket->connectToHost(QHostAddress::LocalHost, port);
                c.serverCloses = false;
                ++reopened;
            }
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
                    conn.serverCloses = head.contains("\r\nconnection: close");
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
            QObject::connect(c.socket, &QTcpSocket::disconnected, &loop, [&, pc = &c]() {
                if (pc->serverCloses && pc->buffer.isEmpty())
                    return; // as it said it would; the next request opens another
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
        "non200=%d mean_page_kib=%.1f client_cpu_s=%.2f connections_reopened=%d\n",
        kRequests, kConnections, seconds, kRequests / seconds, at(0.50), at(0.99), latencies.back(), errors,
        double(bytes) / kRequests / 1024.0, clientCpu, reopened);
    return 0;
}

} // namespace bench
