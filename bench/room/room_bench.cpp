// A full room on the real-size archive, measured: the real game server (ServerHost with its UDP
// socket, its site on TCP 7200 and its headless browser, on this program's main thread) with one
// player over real UDP who hosts and pings steadily, and 255 bots the player adds with /bot racing at
// the fastest pace (a click at every bot tick). Every page a bot opens is also fetched over HTTP, as
// its browser would, on one keep-alive connection per bot. Prints beside the targets:
//  - the server's CPU per second of play, datagrams per second, resident memory;
//  - the player's PINGME -> PING p50/p99;
//  - page fetch p50/p99 (from the bot's click to the last byte) and pages per second;
//  - the same page figures for the warm-up, apart: its backlog must not pass for the room at play.
// The player and the browsers run on threads of their own; the server's CPU is every other thread
// of the process. The machine may be busy with other work: the load average is printed.
// Uses the game's fixed ports, UDP and TCP 7200: nothing else may hold them.
//
// room_bench [seconds of play (30)] [articles (30000)] [pace: share of a person's pauses (0)]

#include "platform/qt/HeadlessBrowser.h"
#include "platform/qt/SystemClock.h"
#include "platform/qt/UdpSocket.h"
#include "protocol/Decoders.h"
#include "protocol/Messages.h"
#include "protocol/Protocol.h"
#include "protocol/Verbs.h"
#include "protocol/Version.h"
#include "server/ServerHost.h"
#include "server/window/LocalSite.h"
#include "settings/Options.h"
#include "settings/SiteSettings.h"

#include "bench/common/BenchSupport.h"
#include "bench/common/RealSizeArchive.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace
{

using SteadyClock = std::chrono::steady_clock;

constexpr int kBots = 255; // with the player, the server's cap of 256
constexpr int kPingEveryMs = 10;
constexpr double kPingTargetMs = 5.0;
constexpr double kPageTargetMs = 100.0;
// The room's first round starts on cold caches with every bot at once; its backlog of pages takes a
// few seconds to clear and is reported apart from the measured play.
constexpr int kWarmUpSeconds = 10;
const QString kPlayer = QStringLiteral("Host");
const char *const kLevels[] = {"easy", "normal", "hard"};

double msBetween(SteadyClock::time_point from, SteadyClock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * double(v.size())))];
}

pid_t threadId()
{
    return pid_t(syscall(SYS_gettid));
}

sockaddr_in loopback(uint16_t port)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(port);
    return a;
}

std::string loadAverage()
{
    QFile f(QStringLiteral("/proc/loadavg"));
    if (!f.open(QIODevice::ReadOnly))
        return "?";
    return f.readAll().split(' ').mid(0, 3).join(' ').toStdString();
}

// Run time of this process's threads but the given ones, in seconds (schedstat: nanosecond grain).
double cpuSecondsExcept(const std::vector<pid_t> &others)
{
    double seconds = 0;
    const QStringList tasks =
        QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &t : tasks) {
        if (std::find(others.begin(), others.end(), pid_t(t.toInt())) != others.end())
            continue;
        QFile s("/proc/self/task/" + t + "/schedstat");
        if (s.open(QIODevice::ReadOnly))
            seconds += s.readAll().split(' ').value(0).toDouble() / 1e9;
    }
    return seconds;
}

// What the threads tell each other.
struct Room {
    std::atomic<bool> graphReady{false};
    std::atomic<bool> measuring{false};
    std::atomic<bool> warmingUp{true}; // until the measured play starts
    std::atomic<bool> finished{false};
    std::atomic<bool> failed{false};
    std::atomic<pid_t> playerThread{0}, browserThread{0};
    SteadyClock::time_point measureStart, measureEnd; // set by the player before `measuring` changes
    double serverCpuStart = 0, serverCpuEnd = 0;      // likewise
    double benchCpuStart = 0, benchCpuEnd = 0;        // the player's and the browsers' threads
    std::atomic<long> clicks{0};                      // bot pages opened while measuring
};

double cpuSecondsOf(const std::vector<pid_t> &threads)
{
    double seconds = 0;
    for (const pid_t t : threads) {
        QFile s("/proc/self/task/" + QString::number(t) + "/schedstat");
        if (s.open(QIODevice::ReadOnly))
            seconds += s.readAll().split(' ').value(0).toDouble() / 1e9;
    }
    return seconds;
}

// ---- the bots' browsers: one keep-alive connection per bot ----

class Browsers
{
public:
    explicit Browsers(Room &run) : m_run(run), m_wake(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
    ~Browsers()
    {
        for (Connection &c : m_connections) {
            if (c.fd >= 0)
                close(c.fd);
        }
        close(m_wake);
    }

    // From the server's thread: bot `slot` opened `title`.
    void Open(int slot, const QString &title)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_incoming.push_back({slot, title, SteadyClock::now(), m_run.warmingUp.load()});
        }
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = write(m_wake, &one, sizeof one);
    }

    void Run()
    {
        m_run.browserThread = threadId();
        m_connections.resize(kBots);
        std::vector<pollfd> fds;
        std::vector<int> slotOf;
        char buffer[65536];
        while (!m_run.finished) {
            fds.assign(1, {m_wake, POLLIN, 0});
            slotOf.assign(1, -1);
            for (int s = 0; s < kBots; ++s) {
                if (m_connections[size_t(s)].inFlight) {
                    fds.push_back({m_connections[size_t(s)].fd, POLLIN, 0});
                    slotOf.push_back(s);
                }
            }
            if (poll(fds.data(), fds.size(), 100) <= 0)
                continue;
            if (fds[0].revents & POLLIN)
                takeIncoming();
            for (size_t k = 1; k < fds.size(); ++k) {
                if (!(fds[k].revents & (POLLIN | POLLHUP | POLLERR)))
                    continue;
                Connection &c = m_connections[size_t(slotOf[k])];
                const ssize_t n = recv(c.fd, buffer, sizeof buffer, MSG_DONTWAIT);
                if (n <= 0) {
                    // Closed by the server: the browser connects again and asks once more.
                    close(c.fd);
                    c.fd = -1;
                    c.inFlight = false;
                    c.buffer.clear();
                    ++m_reconnects;
                    sendNext(c);
                    continue;
                }
                c.buffer.append(buffer, size_t(n));
                readAnswers(c);
            }
        }
    }

    std::vector<double> Latencies() const { return m_latencies; }
    std::vector<double> WarmUpLatencies() const { return m_warmUpLatencies; }
    long Pages() const { return m_pages; }
    long NotOk() const { return m_notOk; }
    long Reconnects() const { return m_reconnects; }
    long Bytes() const { return m_bytes; }
    long Waiting() const
    {
        long waiting = 0;
        for (const Connection &c : m_connections)
            waiting += long(c.queue.size()) + (c.inFlight ? 1 : 0);
        return waiting;
    }

private:
    struct Page {
        int slot;
        QString title;
        SteadyClock::time_point opened;
        bool warmUp;
    };
    struct Connection {
        int fd = -1;
        bool inFlight = false;
        std::deque<Page> queue; // the first is in flight
        std::string buffer;
    };

    void takeIncoming()
    {
        uint64_t count = 0;
        [[maybe_unused]] const ssize_t n = read(m_wake, &count, sizeof count);
        std::vector<Page> pages;
        {
            const std::lock_guard lock(m_mutex);
            pages.swap(m_incoming);
        }
        for (Page &p : pages) {
            Connection &c = m_connections[size_t(p.slot)];
            c.queue.push_back(std::move(p));
            if (!c.inFlight)
                sendNext(c);
        }
    }

    void sendNext(Connection &c)
    {
        if (c.queue.empty())
            return;
        if (c.fd < 0) {
            c.fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            const int one = 1;
            setsockopt(c.fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            const sockaddr_in a = loopback(site::kSitePort);
            if (connect(c.fd, reinterpret_cast<const sockaddr *>(&a), sizeof a) != 0) {
                close(c.fd);
                c.fd = -1;
                ++m_notOk;
                c.queue.pop_front();
                return;
            }
        }
        // The link a page's anchor holds: the title with underscores, percent-encoded.
        QString path = c.queue.front().title;
        path.replace(QLatin1Char(' '), QLatin1Char('_'));
        const std::string request = "GET /wiki/" + QUrl::toPercentEncoding(path, "()_,'!:").toStdString() +
                                    " HTTP/1.1\r\nHost: 127.0.0.1:7200\r\nAccept: text/html\r\n\r\n";
        send(c.fd, request.data(), request.size(), MSG_NOSIGNAL);
        c.inFlight = true;
    }

    void readAnswers(Connection &c)
    {
        while (c.inFlight) {
            const size_t end = c.buffer.find("\r\n\r\n");
            if (end == std::string::npos)
                return;
            std::string head = c.buffer.substr(0, end);
            std::transform(head.begin(), head.end(), head.begin(), ::tolower);
            const size_t cl = head.find("content-length:");
            const size_t length = cl == std::string::npos ? 0 : size_t(std::atol(head.c_str() + cl + 15));
            if (c.buffer.size() < end + 4 + length)
                return;
            const Page &p = c.queue.front();
            if (m_run.measuring && p.opened >= m_run.measureStart) {
                m_latencies.push_back(msBetween(p.opened, SteadyClock::now()));
                ++m_pages;
                m_bytes += long(end + 4 + length);
                if (head.rfind("http/1.1 200", 0) != 0)
                    ++m_notOk;
            } else if (p.warmUp) {
                m_warmUpLatencies.push_back(msBetween(p.opened, SteadyClock::now()));
            }
            c.buffer.erase(0, end + 4 + length);
            c.queue.pop_front();
            c.inFlight = false;
            sendNext(c);
        }
    }

    Room &m_run;
    int m_wake;
    std::mutex m_mutex;
    std::vector<Page> m_incoming;
    std::vector<Connection> m_connections;
    std::vector<double> m_latencies, m_warmUpLatencies;
    long m_pages = 0, m_notOk = 0, m_reconnects = 0, m_bytes = 0;
};

// ---- the player: joins as the client does, hosts, pings ----

class Player
{
public:
    Player(Room &run, int seconds) : m_run(run), m_seconds(seconds)
    {
        m_fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        const int buffer = 4 << 20;
        setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
        sockaddr_in a = loopback(0);
        bind(m_fd, reinterpret_cast<sockaddr *>(&a), sizeof a);
        socklen_t len = sizeof a;
        getsockname(m_fd, reinterpret_cast<sockaddr *>(&a), &len);
        m_port = QString::number(ntohs(a.sin_port));
    }
    ~Player() { close(m_fd); }

    void Run()
    {
        m_run.playerThread = threadId();
        if (!play())
            m_run.failed = true;
        m_run.finished = true;
    }

    std::vector<double> PingMs() const { return m_pingMs; }
    long Sent() const { return m_sent; }
    long Received() const { return m_received; }
    long Lost() const { return m_lost; }
    int BotsJoined() const { return m_botsJoined; }
    const std::string &Failure() const { return m_failure; }

private:
    bool fail(const std::string &why)
    {
        m_failure = why;
        return false;
    }

    bool play()
    {
        // The join: CONNECT, then the player list once accepted.
        send(msg::Connect(modVersion::Version, kPlayer, m_port, QString()));
        if (!waitFor([&] { return m_accepted; }, 5000))
            return fail("the server did not accept the player");
        send(msg::GetPlayerList(m_port));
        if (!waitFor([&] { return m_listed; }, 5000))
            return fail("no player list");
        if (!waitFor([&] { return m_run.graphReady.load(); }, 600000))
            return fail("the link graph was not ready in 10 minutes");

        // The host fills the room, a third of each level.
        for (int b = 0; b < kBots; ++b) {
            send(msg::Chat(kPlayer, QStringLiteral("/bot ") + QLatin1String(kLevels[b % 3])));
            serve(0);
        }
        if (!waitFor([&] { return m_botsJoined == kBots; }, 30000))
            return fail("only " + std::to_string(m_botsJoined) + " bots joined");

        // The first words, as Randomize twice and Start; the winners choose after that.
        for (const int source : {1, 2}) {
            m_random.clear();
            send(msg::GetRandom(source));
            if (!waitFor([&] { return !m_random.isEmpty(); }, 10000))
                return fail("no random article");
            (source == 1 ? m_start : m_destination) = m_random;
        }
        send(msg::SetWords(m_start, m_destination));
        if (!waitFor([&] { return m_started > 0; }, 5000))
            return fail("the round did not start");

        pingFor(kWarmUpSeconds, false);
        const std::vector<pid_t> benchThreads{m_run.playerThread, m_run.browserThread};
        m_run.serverCpuStart = cpuSecondsExcept(benchThreads);
        m_run.benchCpuStart = cpuSecondsOf(benchThreads);
        m_run.measureStart = SteadyClock::now();
        m_run.warmingUp = false;
        m_run.measuring = true;
        pingFor(m_seconds, true);
        m_run.measureEnd = SteadyClock::now();
        m_run.measuring = false;
        m_run.serverCpuEnd = cpuSecondsExcept(benchThreads);
        m_run.benchCpuEnd = cpuSecondsOf(benchThreads);
        send(msg::Disconnect(kPlayer));
        return true;
    }

    // One PINGME in flight, a new one every kPingEveryMs; one unanswered for a second is lost.
    void pingFor(int seconds, bool record)
    {
        const auto end = SteadyClock::now() + std::chrono::seconds(seconds);
        auto next = SteadyClock::now();
        while (SteadyClock::now() < end) {
            const auto now = SteadyClock::now();
            if (m_pingInFlight && msBetween(m_pingSent, now) > 1000) {
                m_pingInFlight = false;
                m_lost += record;
            }
            if (!m_pingInFlight && now >= next) {
                m_pingInFlight = true;
                m_recordPing = record;
                m_pingSent = SteadyClock::now();
                send(msg::PingMe(m_port));
                next = m_pingSent + std::chrono::milliseconds(kPingEveryMs);
            }
            serve(std::max(1, int(msBetween(SteadyClock::now(), next))));
        }
    }

    template <typename Done> bool waitFor(Done done, int timeoutMs)
    {
        const auto end = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
        while (!done()) {
            if (SteadyClock::now() >= end)
                return false;
            serve(20);
        }
        return true;
    }

    void send(const QString &text)
    {
        const QByteArray bytes = text.toUtf8();
        const sockaddr_in a = loopback(kGamePort);
        sendto(m_fd, bytes.data(), size_t(bytes.size()), 0, reinterpret_cast<const sockaddr *>(&a), sizeof a);
        m_sent += m_run.measuring;
    }

    // Reads what has come, waiting up to timeoutMs for the first datagram.
    void serve(int timeoutMs)
    {
        pollfd p{m_fd, POLLIN, 0};
        if (poll(&p, 1, timeoutMs) <= 0)
            return;
        char buffer[65536];
        ssize_t n;
        while ((n = recv(m_fd, buffer, sizeof buffer, MSG_DONTWAIT)) >= 0)
            heard(QString::fromUtf8(buffer, n));
    }

    void heard(const QString &d)
    {
        const auto now = SteadyClock::now();
        m_received += m_run.measuring;
        switch (VerbOf(d)) {
        case Verb::ConnectAccept:
            m_accepted = true;
            break;
        case Verb::PlayerList:
            m_listed = true;
            break;
        case Verb::Ping:
            // The server sends PING only to answer PINGME; the client answers every one with PONG.
            if (m_pingInFlight) {
                m_pingInFlight = false;
                if (m_recordPing)
                    m_pingMs.push_back(msBetween(m_pingSent, now));
            }
            if (const auto ping = msg::DecodePing(d))
                send(msg::Pong(kPlayer, ping->tick));
            break;
        case Verb::Chat:
            if (d.contains(QLatin1String(" joins the game (")))
                ++m_botsJoined;
            break;
        case Verb::SetRandom:
            if (const auto word = msg::DecodeSetRandom(d))
                m_random = word->title;
            break;
        case Verb::StartGame:
            ++m_started;
            break;
        default:
            break;
        }
    }

    Room &m_run;
    int m_seconds;
    int m_fd = -1;
    QString m_port;
    bool m_accepted = false, m_listed = false;
    int m_botsJoined = 0, m_started = 0;
    QString m_random, m_start, m_destination;
    bool m_pingInFlight = false, m_recordPing = false;
    SteadyClock::time_point m_pingSent;
    std::vector<double> m_pingMs;
    long m_sent = 0, m_received = 0, m_lost = 0;
    std::string m_failure;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(5, std::atoi(argv[1])) : 30;
    const int articles = argc > 2 ? std::max(1000, std::atoi(argv[2])) : bench::kRealSizeArticles;
    const double pace = argc > 3 ? std::max(0.0, std::atof(argv[3])) : 0.0;
    const QString archive = bench::RealSizeArchive(articles);
    if (archive.isEmpty())
        return 1;

    // Settings of its own: no welcome text, no password, the archive as the encyclopedia. The link
    // graph is kept where the server keeps it, so a second run loads it instead of building it.
    QTemporaryDir settings;
    modOptions::SetOptionsDirectory(settings.path());
    site::SaveEncyclopediaSetting(archive);

    UdpSocket socket;
    HeadlessBrowser browser;
    SystemClock clock;
    LocalSite localSite;
    ServerHost host(socket, browser, clock, &localSite);
    host.LoadSettings();
    host.Server().SetBotPace(pace);
    const auto opening = SteadyClock::now();
    if (!host.Start() || !host.Site().up) {
        std::fprintf(stderr, "the server does not serve: %s %s\n", qPrintable(host.BindErrorText()),
                     qPrintable(host.Site().error));
        return 1;
    }
    std::printf("QuilloryServer core in this process: %s on TCP %d, game on UDP %d\n",
                qPrintable(host.Site().description), site::kSitePort, kGamePort);
    std::printf("load average at the start: %s (2 cores, shared with other work)\n", loadAverage().c_str());

    Room run;
    Browsers browsers(run);
    Player player(run, seconds);
    long graphReadyKiB = 0;

    // Each bot clicks at most once a tick: right after it, the table shows every new page.
    std::unordered_map<quint64, std::pair<int, qint32>> bots; // Id -> browser slot, clicks seen
    QObject::connect(&host.BotTimer(), &QTimer::timeout, &app, [&] {
        const PlayerTable &table = host.Server().Players();
        for (qint32 i = 1; i <= table.PlayerCount(); ++i) {
            const PlayerRecord &r = table.Players(i);
            if (!r.Bot)
                continue;
            auto [at, added] = bots.try_emplace(r.Id, int(bots.size()) % kBots, r.Clicks);
            if (!added && at->second.second != r.Clicks && !r.LastPage.isEmpty()) {
                browsers.Open(at->second.first, r.LastPage);
                run.clicks += run.measuring;
            }
            at->second.second = r.Clicks;
        }
    });
    // Every browser in the room loads the start page when a round starts.
    qint32 roundsStarted = 0, roundsWon = 0, roundsOther = 0;
    QObject::connect(&host.Server(), &GameServer::RoundStarted, &app, [&](qint32, const QStringList &words) {
        roundsStarted += run.measuring;
        if (words.isEmpty())
            return;
        for (const auto &[id, bot] : bots)
            browsers.Open(bot.first, words.first());
    });
    QObject::connect(&host.Server(), &GameServer::RoundEnded, &app,
                     [&](qint32, RoundEnd how, const QString &) {
                         if (run.measuring)
                             ++(how == RoundEnd::Won ? roundsWon : roundsOther);
                     });

    QTimer watch;
    watch.setInterval(100);
    QObject::connect(&watch, &QTimer::timeout, &app, [&] {
        if (!run.graphReady && !host.Progress().Running()) {
            graphReadyKiB = bench::ResidentKiB();
            std::printf(
                "archive open and link graph ready after %.1f s; resident memory %.1f MB before the room\n",
                msBetween(opening, SteadyClock::now()) / 1000.0, double(graphReadyKiB) / 1024.0);
            std::fflush(stdout);
            run.graphReady = true;
        }
        if (run.finished)
            app.quit();
    });
    watch.start();

    std::thread browserThread([&] { browsers.Run(); });
    std::thread playerThread([&] { player.Run(); });

    app.exec();
    playerThread.join();
    browserThread.join();
    const long endKiB = bench::ResidentKiB();
    const std::string loadEnd = loadAverage();
    host.Stop();

    if (run.failed) {
        std::fprintf(stderr, "the room did not get going: %s\n", player.Failure().c_str());
        return 1;
    }
    const double played = msBetween(run.measureStart, run.measureEnd) / 1000.0;
    const std::vector<double> ping = player.PingMs();
    const std::vector<double> pages = browsers.Latencies();
    const double pingP99 = percentile(ping, 0.99), pageP99 = percentile(pages, 0.99);
    char paceText[96];
    std::snprintf(paceText, sizeof paceText,
                  pace == 0 ? "at the fastest pace (a click at every bot tick)"
                            : "pausing %.3g of a person's pauses",
                  pace);
    std::printf("\nA full room: 1 player over UDP + %d bots (%d easy, %d normal, %d hard) %s, %.1f s of play "
                "measured after %d s of warm-up\n",
                player.BotsJoined(), (kBots + 2) / 3, (kBots + 1) / 3, kBots / 3, paceText, played,
                kWarmUpSeconds);
    std::printf("  rounds: %d started, %d won, %d ended otherwise\n", roundsStarted, roundsWon, roundsOther);
    std::printf(
        "  server CPU:            %.3f s per second of play (%.0f%% of one core; every thread but the "
        "player's and the browsers')\n",
        (run.serverCpuEnd - run.serverCpuStart) / played,
        100.0 * (run.serverCpuEnd - run.serverCpuStart) / played);
    std::printf(
        "  bot clicks:            %.0f per second, each a page for its browser (and every browser loads "
        "the start page of each round)\n",
        double(run.clicks) / played);
    std::printf(
        "  benchmark's threads:   %.3f s of CPU per second (player and browsers, on the same 2 cores)\n",
        (run.benchCpuEnd - run.benchCpuStart) / played);
    std::printf("  datagrams:             %.0f per second (%.0f from the server to the player, %.0f from the "
                "player; bots have no socket)\n",
                double(player.Received() + player.Sent()) / played, double(player.Received()) / played,
                double(player.Sent()) / played);
    std::printf("  player PINGME -> PING: p50 %.3f ms, p99 %.3f ms, max %.3f ms over %zu pings (%ld lost)   "
                "target p99 < %.0f ms: %s\n",
                percentile(ping, 0.5), pingP99, percentile(ping, 1.0), ping.size(), player.Lost(),
                kPingTargetMs, pingP99 < kPingTargetMs ? "met" : "MISSED");
    std::printf("  bot page fetches:      %.0f pages/s, p50 %.2f ms, p99 %.2f ms, max %.2f ms over %ld pages "
                "(%.1f KiB mean, %ld not 200, %ld reconnects, %ld left waiting)   target p99 < %.0f ms: %s\n",
                double(browsers.Pages()) / played, percentile(pages, 0.5), pageP99, percentile(pages, 1.0),
                browsers.Pages(),
                browsers.Pages() ? double(browsers.Bytes()) / double(browsers.Pages()) / 1024.0 : 0.0,
                browsers.NotOk(), browsers.Reconnects(), browsers.Waiting(), kPageTargetMs,
                pageP99 < kPageTargetMs ? "met" : "MISSED");
    const std::vector<double> firstPages = browsers.WarmUpLatencies();
    std::printf(
        "  the warm-up, apart:    %zu pages opened in the first %d s (bots joining, the first round on "
        "cold caches): p50 %.2f ms, p99 %.2f ms, max %.2f ms\n",
        firstPages.size(), kWarmUpSeconds, percentile(firstPages, 0.5), percentile(firstPages, 0.99),
        percentile(firstPages, 1.0));
    std::printf("  resident memory:       %.1f MB at the end (%.1f MB before the room; includes the "
                "benchmark's player and %d browser connections)\n",
                double(endKiB) / 1024.0, double(graphReadyKiB) / 1024.0, kBots);
    std::printf("  load average:          %s at the end (1, 5, 15 min)\n", loadEnd.c_str());
    return 0;
}
