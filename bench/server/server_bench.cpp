// Measures the real QuilloryServer program on loopback and prints the figures:
//  - resident memory of the idle server serving the built-in encyclopedia;
//  - PINGME -> PING round trips per second and p50/p99 latency, one request in flight and one per
//    bot for 32 bots, next to a plain UDP echo loop of this program measured the same way;
//  - NAVIGATE reports per second with 32 joined bots (each report fans out 32 SCOREIS);
//  - GETRANDOM -> SETRANDOM at every player, p50/p99 over 200 draws from the local encyclopedia;
//  - whole rounds of 32 bots x 10 pages: wall time and the server's CPU time.
// The server runs as its own process (a copy in a temporary folder with empty settings, offscreen),
// so its CPU time is its own. It uses the game's fixed ports, UDP and TCP 7200: nothing else may
// hold them while the benchmark runs.
//
// server_bench [folder holding QuilloryServer]   (default: this program's folder)

#include "protocol/Protocol.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace
{

using SteadyClock = std::chrono::steady_clock;

constexpr int kBots = 32;
constexpr int kDraws = 200;
constexpr int kRounds = 20;
constexpr int kPagesPerBot = 10;
const std::string kVersion = "1.04 (beta)";

double microsSince(SteadyClock::time_point start)
{
    return std::chrono::duration<double, std::micro>(SteadyClock::now() - start).count();
}

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t at = std::min(v.size() - 1, size_t(p * double(v.size())));
    return v[at];
}

// ---- plain UDP on 127.0.0.1 ----

int openUdp(uint16_t port = 0, uint32_t address = INADDR_LOOPBACK)
{
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    const int buffer = 4 << 20; // the kernel caps it at its maximum; as large as allowed
    setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(address);
    a.sin_port = htons(port);
    if (bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

uint16_t localPort(int fd)
{
    sockaddr_in a{};
    socklen_t len = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr *>(&a), &len);
    return ntohs(a.sin_port);
}

void sendTo(int fd, uint16_t port, const std::string &text)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(port);
    sendto(fd, text.data(), text.size(), 0, reinterpret_cast<sockaddr *>(&a), sizeof a);
}

// One datagram if one is there (or comes within the timeout).
bool receive(int fd, std::string &out, int timeoutMs)
{
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, timeoutMs) <= 0)
        return false;
    char buffer[65536];
    const ssize_t n = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
    if (n < 0)
        return false;
    out.assign(buffer, size_t(n));
    return true;
}

bool portFree(int type, uint16_t port)
{
    const int fd = socket(AF_INET, type | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_ANY);
    a.sin_port = htons(port);
    const bool ok = bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0;
    close(fd);
    return ok;
}

// The status line of an HTTP GET to 127.0.0.1:7200, "" when nobody answers.
std::string httpStatus(const std::string &path)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(kGamePort);
    std::string line;
    if (connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0) {
        const std::string request = "GET " + path + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
        send(fd, request.data(), request.size(), MSG_NOSIGNAL);
        char buffer[256];
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 5000) > 0) {
            const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
            if (n > 0)
                line.assign(buffer, size_t(n));
        }
    }
    close(fd);
    return line.substr(0, line.find('\r'));
}

// ---- the server process ----

struct Usage {
    long rssKiB = -1;
    double cpuTicksSeconds = 0; // utime + stime of /proc/<pid>/stat
    double onCpuSeconds = 0;    // sum of the threads' run time from schedstat (nanosecond grain)
};

Usage usageOf(qint64 pid)
{
    Usage u;
    const QString base = "/proc/" + QString::number(pid);
    QFile status(base + "/status");
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:"))
                u.rssKiB = line.mid(6).trimmed().split(' ').value(0).toLong();
        }
    }
    QFile stat(base + "/stat");
    if (stat.open(QIODevice::ReadOnly)) {
        const QByteArray all = stat.readAll();
        // Fields after the ")" that closes the command name: state is field 3, utime 14, stime 15.
        const QList<QByteArray> f = all.mid(all.lastIndexOf(')') + 2).split(' ');
        const double hz = double(sysconf(_SC_CLK_TCK));
        if (f.size() > 12)
            u.cpuTicksSeconds = (f[11].toDouble() + f[12].toDouble()) / hz;
    }
    const QStringList tasks = QDir(base + "/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &t : tasks) {
        QFile s(base + "/task/" + t + "/schedstat");
        if (s.open(QIODevice::ReadOnly))
            u.onCpuSeconds += s.readAll().split(' ').value(0).toDouble() / 1e9;
    }
    return u;
}

// ---- bots ----

struct Bot {
    int fd = -1;
    uint16_t port = 0;
    std::string name;
};

std::string field(const std::string &message, const std::string &key)
{
    const size_t at = message.find(key + "=");
    if (at == std::string::npos)
        return {};
    const size_t from = at + key.size() + 1;
    const size_t end = message.find(';', from);
    return end == std::string::npos ? std::string() : message.substr(from, end - from);
}

// Reads every bot's socket until nothing has come for quietMs; calls heard(bot, datagram).
void drain(std::vector<Bot> &bots, int quietMs,
           const std::function<void(int, const std::string &)> &heard = {})
{
    std::vector<pollfd> fds;
    for (const Bot &b : bots)
        fds.push_back({b.fd, POLLIN, 0});
    std::string d;
    while (poll(fds.data(), fds.size(), quietMs) > 0) {
        for (size_t i = 0; i < fds.size(); ++i) {
            if (!(fds[i].revents & POLLIN))
                continue;
            while (receive(fds[i].fd, d, 0)) {
                if (heard)
                    heard(int(i), d);
            }
        }
    }
}

// Runs until `until` holds or the timeout passes, handing every datagram to heard(). False on timeout.
bool pump(std::vector<Bot> &bots, int timeoutMs, const std::function<void(int, const std::string &)> &heard,
          const std::function<bool()> &until)
{
    std::vector<pollfd> fds;
    for (const Bot &b : bots)
        fds.push_back({b.fd, POLLIN, 0});
    const auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
    std::string d;
    while (!until()) {
        const int left =
            int(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now()).count());
        if (left <= 0)
            return false;
        if (poll(fds.data(), fds.size(), left) <= 0)
            continue;
        for (size_t i = 0; i < fds.size(); ++i) {
            if (!(fds[i].revents & POLLIN))
                continue;
            while (receive(fds[i].fd, d, 0))
                heard(int(i), d);
        }
    }
    return true;
}

// Every bot asks for a ping and answers it, which is the server's only sign of life; a bot that
// stays silent for 20 s is dropped.
void keepAlive(std::vector<Bot> &bots)
{
    for (Bot &b : bots) {
        sendTo(b.fd, kGamePort, "PINGME " + std::to_string(b.port));
        std::string d;
        const auto start = SteadyClock::now();
        while (microsSince(start) < 2e6 && receive(b.fd, d, 100)) {
            if (d.rfind("PING TIME=", 0) == 0) {
                sendTo(b.fd, kGamePort, "PONG NAME=" + b.name + ";TIME=" + field(d, "TIME") + ";");
                break;
            }
        }
    }
    drain(bots, 50);
}

// ---- round trips: the server's PINGME next to an echo loop ----

struct RoundTrips {
    double perSecond = 0;
    double p50 = 0, p99 = 0; // microseconds
    long lost = 0;
};

// One request in flight per socket; `request` builds the datagram, `isAnswer` recognises its answer.
RoundTrips measureRoundTrips(std::vector<Bot> &sockets, uint16_t target, int total,
                             const std::function<std::string(const Bot &)> &request,
                             const std::function<bool(const std::string &)> &isAnswer)
{
    std::vector<SteadyClock::time_point> sentAt(sockets.size());
    std::vector<double> latencies;
    latencies.reserve(size_t(total));
    int sent = 0;
    for (size_t i = 0; i < sockets.size() && sent < total; ++i, ++sent) {
        sentAt[i] = SteadyClock::now();
        sendTo(sockets[i].fd, target, request(sockets[i]));
    }
    const auto start = SteadyClock::now();
    RoundTrips r;
    std::vector<pollfd> fds;
    for (const Bot &b : sockets)
        fds.push_back({b.fd, POLLIN, 0});
    std::string d;
    int done = 0;
    while (done < sent) {
        if (poll(fds.data(), fds.size(), 1000) <= 0) {
            // A lost datagram: give up on what is in flight.
            r.lost += sent - done;
            break;
        }
        for (size_t i = 0; i < fds.size(); ++i) {
            if (!(fds[i].revents & POLLIN))
                continue;
            while (receive(fds[i].fd, d, 0)) {
                if (!isAnswer(d))
                    continue;
                latencies.push_back(microsSince(sentAt[i]));
                ++done;
                if (sent < total) {
                    sentAt[i] = SteadyClock::now();
                    sendTo(fds[i].fd, target, request(sockets[i]));
                    ++sent;
                }
            }
        }
    }
    const double seconds = microsSince(start) / 1e6;
    r.perSecond = double(done) / seconds;
    r.p50 = percentile(latencies, 0.50);
    r.p99 = percentile(latencies, 0.99);
    return r;
}

// A plain UDP echo loop on its own thread: the fastest any server on this machine could answer.
class EchoServer
{
public:
    EchoServer() : m_fd(openUdp())
    {
        m_port = localPort(m_fd);
        m_thread = std::thread([this] {
            char buffer[65536];
            sockaddr_in from{};
            while (!m_stop) {
                socklen_t len = sizeof from;
                pollfd p{m_fd, POLLIN, 0};
                if (poll(&p, 1, 100) <= 0)
                    continue;
                const ssize_t n =
                    recvfrom(m_fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr *>(&from), &len);
                if (n >= 0)
                    sendto(m_fd, buffer, size_t(n), 0, reinterpret_cast<sockaddr *>(&from), len);
            }
        });
    }
    ~EchoServer()
    {
        m_stop = true;
        m_thread.join();
        close(m_fd);
    }
    uint16_t Port() const { return m_port; }

private:
    int m_fd;
    uint16_t m_port = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

void printRoundTrips(const char *what, const RoundTrips &r)
{
    std::printf("  %-44s %9.0f round trips/s   p50 %6.1f us   p99 %6.1f us%s\n", what, r.perSecond, r.p50,
                r.p99, r.lost ? "   (some lost)" : "");
}

// ---- reports with one in flight per bot ----

struct Reports {
    double perSecond = 0;
    double p50 = 0, p99 = 0;
    long scoresHeard = 0;
    long scoresExpected = 0;
    double seconds = 0;
    bool complete = false;
};

// Sends `schedule` (bot index, page) as NAVIGATE reports, at most one unanswered report per bot; a
// report is answered when its bot hears its own SCOREIS. `extra` sees every other datagram.
Reports runReports(std::vector<Bot> &bots, const std::vector<std::pair<int, std::string>> &schedule,
                   const std::function<void(int, const std::string &)> &extra = {})
{
    Reports r;
    std::vector<std::vector<size_t>> queue(bots.size()); // per bot, its reports in schedule order
    for (size_t k = 0; k < schedule.size(); ++k)
        queue[size_t(schedule[k].first)].push_back(k);
    std::vector<size_t> next(bots.size(), 0);
    std::vector<SteadyClock::time_point> sentAt(bots.size());
    std::vector<double> latencies;
    size_t done = 0;
    auto sendNext = [&](size_t b) {
        if (next[b] >= queue[b].size())
            return;
        const std::string &page = schedule[queue[b][next[b]++]].second;
        sentAt[b] = SteadyClock::now();
        sendTo(bots[b].fd, kGamePort, "NAVIGATE NAME=" + bots[b].name + ";URL=" + page + ";");
    };
    const auto start = SteadyClock::now();
    for (size_t b = 0; b < bots.size(); ++b)
        sendNext(b);
    r.complete = pump(
        bots, 10000,
        [&](int b, const std::string &d) {
            if (d.rfind("SCOREIS ", 0) != 0) {
                if (extra)
                    extra(b, d);
                return;
            }
            ++r.scoresHeard;
            if (field(d, "NAME") != bots[size_t(b)].name)
                return;
            latencies.push_back(microsSince(sentAt[size_t(b)]));
            ++done;
            sendNext(size_t(b));
        },
        [&] { return done == schedule.size(); });
    r.seconds = microsSince(start) / 1e6;
    r.perSecond = double(done) / r.seconds;
    r.p50 = percentile(latencies, 0.50);
    r.p99 = percentile(latencies, 0.99);
    r.scoresExpected = long(schedule.size()) * long(bots.size());
    return r;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString binDir =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QCoreApplication::applicationDirPath();
    const QString program = binDir + "/QuilloryServer";
    if (!QFile::exists(program)) {
        std::fprintf(stderr, "no QuilloryServer in %s\n", qPrintable(binDir));
        return 1;
    }
    for (int waited = 0; !portFree(SOCK_DGRAM, kGamePort) || !portFree(SOCK_STREAM, kGamePort); ++waited) {
        if (waited == 0)
            std::printf("waiting for UDP/TCP port 7200 to come free...\n");
        if (waited == 180) {
            std::fprintf(stderr, "port 7200 stays taken\n");
            return 1;
        }
        QThread::sleep(1);
    }

    // A copy in a folder of its own: no settings files, so no welcome text, no password, the
    // built-in encyclopedia, random articles from 127.0.0.1:7200.
    QTemporaryDir dir;
    const QString copy = dir.filePath("QuilloryServer");
    QFile::copy(program, copy);
    QProcess server;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    server.setProcessEnvironment(env);
    server.setWorkingDirectory(dir.path());
    server.setProcessChannelMode(QProcess::ForwardedChannels);
    server.start(copy, {});
    if (!server.waitForStarted(5000)) {
        std::fprintf(stderr, "could not start %s\n", qPrintable(copy));
        return 1;
    }
    const qint64 pid = server.processId();

    int probe = openUdp();
    bool ready = false;
    for (int i = 0; i < 100 && !ready && server.state() == QProcess::Running; ++i) {
        sendTo(probe, kGamePort, "STATUS SERVER=bench;PORT=" + std::to_string(localPort(probe)) + ";");
        std::string d;
        ready = receive(probe, d, 200) && d.rfind("STATUS VER=", 0) == 0;
    }
    close(probe);
    const std::string site = httpStatus("/wiki/Main_Page");
    if (!ready || site.find(" 200") == std::string::npos) {
        std::fprintf(stderr, "the server does not answer (UDP STATUS %s, site \"%s\")\n",
                     ready ? "ok" : "missing", site.c_str());
        return 1;
    }
    QThread::msleep(2000);
    const Usage idle = usageOf(pid);
    std::printf("QuilloryServer (pid %lld, separate process), built-in encyclopedia on TCP 7200\n", pid);
    std::printf("  idle resident memory: %.1f MB (%ld KiB)\n", double(idle.rssKiB) / 1024.0, idle.rssKiB);

    std::vector<Bot> bots(kBots);
    for (int i = 0; i < kBots; ++i) {
        // The server takes at most 21 players from one machine: the bots sit on loopback
        // addresses 127.0.0.2 and up, 16 to an address, like players on several machines.
        bots[size_t(i)].fd = openUdp(0, INADDR_LOOPBACK + 1 + uint32_t(i / 16));
        bots[size_t(i)].port = localPort(bots[size_t(i)].fd);
        bots[size_t(i)].name = "Bot" + std::to_string(i + 1);
        sendTo(bots[size_t(i)].fd, kGamePort,
               "CONNECT VER=" + kVersion + ";NAME=" + bots[size_t(i)].name +
                   ";PORT=" + std::to_string(bots[size_t(i)].port) + ";PWD=;");
        std::string d;
        bool accepted = false;
        while (!accepted && receive(bots[size_t(i)].fd, d, 2000))
            accepted = d.rfind("CONNECTACCEPT ", 0) == 0;
        if (!accepted) {
            std::fprintf(stderr, "%s was not accepted\n", bots[size_t(i)].name.c_str());
            return 1;
        }
    }
    drain(bots, 100);
    std::printf("  %d bots joined\n\n", kBots);

    // ---- PINGME -> PING next to the echo loop ----
    EchoServer echo;
    std::vector<Bot> one(bots.begin(), bots.begin() + 1);
    const auto pingMe = [](const Bot &b) { return "PINGME " + std::to_string(b.port); };
    const auto isPing = [](const std::string &d) { return d.rfind("PING TIME=", 0) == 0; };
    const auto isEcho = [](const std::string &d) { return d.rfind("PINGME ", 0) == 0; };
    std::printf("PINGME -> PING (server) and the same datagram echoed by a plain UDP loop (baseline):\n");
    keepAlive(bots);
    measureRoundTrips(one, kGamePort, 2000, pingMe, isPing); // warm-up
    const RoundTrips server1 = measureRoundTrips(one, kGamePort, 30000, pingMe, isPing);
    measureRoundTrips(one, echo.Port(), 2000, pingMe, isEcho);
    const RoundTrips echo1 = measureRoundTrips(one, echo.Port(), 30000, pingMe, isEcho);
    keepAlive(bots);
    const RoundTrips server32 = measureRoundTrips(bots, kGamePort, 100000, pingMe, isPing);
    const RoundTrips echo32 = measureRoundTrips(bots, echo.Port(), 100000, pingMe, isEcho);
    printRoundTrips("server, 1 request in flight", server1);
    printRoundTrips("echo baseline, 1 request in flight", echo1);
    printRoundTrips("server, 32 bots with 1 request each", server32);
    printRoundTrips("echo baseline, 32 bots with 1 request each", echo32);
    std::printf("  server / echo: %.0f%% (1 in flight), %.0f%% (32 in flight)\n\n",
                100.0 * server1.perSecond / echo1.perSecond, 100.0 * server32.perSecond / echo32.perSecond);

    // ---- NAVIGATE reports, each fanning out 32 SCOREIS ----
    keepAlive(bots);
    sendTo(bots[0].fd, kGamePort, "SETWORDS COUNT=1;WORD0=Bench Start;WORD1=Bench Nowhere;");
    drain(bots, 100);
    {
        std::vector<std::pair<int, std::string>> schedule;
        for (int k = 0; k < 200; ++k) {
            for (int b = 0; b < kBots; ++b)
                schedule.emplace_back(b, "Page " + std::to_string(k));
        }
        const Reports warm = runReports(bots, std::vector(schedule.begin(), schedule.begin() + 640));
        (void)warm;
        keepAlive(bots);
        const Reports r = runReports(bots, schedule);
        std::printf(
            "NAVIGATE with 32 bots, one report in flight per bot (each report fans out 32 SCOREIS):\n");
        std::printf("  %.0f reports/s (%.0f SCOREIS sent/s); report -> own SCOREIS p50 %.1f us, p99 %.1f us; "
                    "%ld of %ld SCOREIS heard\n\n",
                    r.perSecond, r.perSecond * kBots, r.p50, r.p99, r.scoresHeard, r.scoresExpected);
    }

    // ---- GETRANDOM -> SETRANDOM at every player ----
    keepAlive(bots);
    {
        std::vector<double> latencies;
        int missing = 0;
        long extra = 0;
        for (int draw = 0; draw < kDraws; ++draw) {
            if (draw % 50 == 0)
                keepAlive(bots);
            const std::string src = std::to_string(1 + draw % 2);
            std::vector<int> heard(bots.size(), 0);
            int complete = 0;
            const auto start = SteadyClock::now();
            sendTo(bots[0].fd, kGamePort, "GETRANDOM SRC=" + src + ";");
            const bool ok = pump(
                bots, 10000,
                [&](int b, const std::string &d) {
                    if (d.rfind("SETRANDOM SRC=" + src + ";URL=", 0) == 0 && ++heard[size_t(b)] == 1)
                        ++complete;
                },
                [&] { return complete == kBots; });
            if (!ok) {
                ++missing;
                continue;
            }
            latencies.push_back(microsSince(start));
            // A second answer to the same request would show up here.
            drain(bots, 5, [&](int, const std::string &d) { extra += d.rfind("SETRANDOM ", 0) == 0; });
        }
        std::printf("GETRANDOM -> SETRANDOM at all %d players (local encyclopedia, %d draws):\n", kBots,
                    kDraws);
        std::printf("  p50 %.2f ms, p99 %.2f ms; %d draws unanswered, %ld extra SETRANDOM\n\n",
                    percentile(latencies, 0.5) / 1000.0, percentile(latencies, 0.99) / 1000.0, missing,
                    extra);
    }

    // ---- whole rounds ----
    {
        std::vector<double> wall, cpu, cpuTicks;
        int incomplete = 0;
        for (int round = 0; round < kRounds; ++round) {
            keepAlive(bots);
            const std::string goal = "Goal " + std::to_string(round);
            const int winner = round % kBots;
            std::vector<std::pair<int, std::string>> schedule;
            for (int page = 1; page <= kPagesPerBot; ++page) {
                for (int b = 0; b < kBots; ++b) {
                    if (page == kPagesPerBot && b == winner)
                        continue;
                    schedule.emplace_back(b, "Page " + std::to_string(b) + "-" + std::to_string(page));
                }
            }
            schedule.emplace_back(winner, goal); // the winner's tenth page, the last report of the round

            const Usage before = usageOf(pid);
            const auto start = SteadyClock::now();
            sendTo(bots[0].fd, kGamePort,
                   "SETWORDS COUNT=1;WORD0=Start " + std::to_string(round) + ";WORD1=" + goal + ";");
            int started = 0;
            bool ok = pump(
                bots, 5000, [&](int, const std::string &d) { started += d.rfind("STARTGAME ", 0) == 0; },
                [&] { return started == kBots; });
            int winners = 0, paths = 0;
            bool pathSent = false;
            std::string route;
            for (int page = 1; page < kPagesPerBot; ++page)
                route += "Page " + std::to_string(winner) + "-" + std::to_string(page) + "\r";
            route += goal;
            auto onOther = [&](int, const std::string &d) {
                winners += d.rfind("WINNER NAME=", 0) == 0;
                paths += d.rfind("PATHIS NAME=", 0) == 0;
                if (winners > 0 && !pathSent) {
                    // The winner's client sends its route when WINNER names it.
                    pathSent = true;
                    sendTo(bots[size_t(winner)].fd, kGamePort,
                           "SENDMYPATH NAME=" + bots[size_t(winner)].name + ";PATH=" + route + ";");
                }
            };
            ok = ok && runReports(bots, schedule, onOther).complete;
            ok = ok && pump(bots, 5000, onOther, [&] { return paths == kBots; });
            const double seconds = microsSince(start) / 1e6;
            const Usage after = usageOf(pid);
            if (!ok || winners != kBots) {
                ++incomplete;
                drain(bots, 100);
                continue;
            }
            wall.push_back(seconds * 1000.0);
            cpu.push_back((after.onCpuSeconds - before.onCpuSeconds) * 1000.0);
            cpuTicks.push_back((after.cpuTicksSeconds - before.cpuTicksSeconds) * 1000.0);
            drain(bots, 20);
        }
        auto mean = [](const std::vector<double> &v) {
            double s = 0;
            for (double x : v)
                s += x;
            return v.empty() ? 0 : s / double(v.size());
        };
        std::printf(
            "Whole round, %d bots x %d pages (SETWORDS -> STARTGAME, %d reports, WINNER, SENDMYPATH -> "
            "PATHIS at all), %d rounds:\n",
            kBots, kPagesPerBot, kBots * kPagesPerBot, kRounds);
        std::printf("  wall time per round: mean %.1f ms, p50 %.1f ms, max %.1f ms\n", mean(wall),
                    percentile(wall, 0.5), percentile(wall, 1.0));
        std::printf(
            "  server CPU time per round: mean %.1f ms (thread run time), %.1f ms (utime+stime, %ld Hz "
            "ticks)\n",
            mean(cpu), mean(cpuTicks), sysconf(_SC_CLK_TCK));
        std::printf("  %d rounds incomplete\n\n", incomplete);
    }

    const Usage end = usageOf(pid);
    std::printf("resident memory after the run: %.1f MB\n", double(end.rssKiB) / 1024.0);
    for (Bot &b : bots)
        close(b.fd);
    server.terminate();
    if (!server.waitForFinished(5000))
        server.kill();
    server.waitForFinished(5000);
    return 0;
}
