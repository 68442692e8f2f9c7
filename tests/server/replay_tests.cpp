// Real play data: finished human races of the Wikispeedia game replayed through the server over
// real UDP, each page classified by the client's title rules, with random words drawn by the
// server's headless browser from the local site serving the same corpus.
#include "client/PageRules.h"
#include "platform/qt/HeadlessBrowser.h"
#include "platform/qt/SystemClock.h"
#include "platform/qt/UdpSocket.h"
#include "protocol/Messages.h"
#include "protocol/Protocol.h"
#include "protocol/Version.h"
#include "server/GameServer.h"
#include "site/corpus/WikispeediaCorpus.h"
#include "site/http/SiteServer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QNetworkDatagram>
#include <QSet>
#include <QTimer>
#include <QUdpSocket>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>

namespace
{

// Runs the event loop until the condition holds; wakes on every event instead of polling, so a
// round trip on loopback costs what it costs and not a sleep.
bool waitUntil(const std::function<bool()> &done, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    QTimer wake;
    wake.setSingleShot(true);
    wake.start(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// A client's socket on 127.0.0.1 that keeps what it hears, in order.
struct Client {
    Client(QString playerName, quint16 serverPort) : name(std::move(playerName)), server(serverPort)
    {
        socket.bind(QHostAddress::LocalHost, 0);
        QObject::connect(&socket, &QUdpSocket::readyRead, &socket, [this] {
            while (socket.hasPendingDatagrams())
                got << QString::fromUtf8(socket.receiveDatagram().data());
        });
    }
    void send(const QString &text) { socket.writeDatagram(text.toUtf8(), QHostAddress::LocalHost, server); }
    QString port() const { return QString::number(socket.localPort()); }

    // Everything heard up to and including the first datagram with the prefix; empty on timeout,
    // leaving what was heard in place.
    QStringList until(const QString &prefix, int timeoutMs = 5000)
    {
        qsizetype at = -1;
        const bool found = waitUntil(
            [&] {
                for (qsizetype k = 0; k < got.size(); ++k) {
                    if (got[k].startsWith(prefix)) {
                        at = k;
                        return true;
                    }
                }
                return false;
            },
            timeoutMs);
        if (!found)
            return {};
        QStringList out = got.mid(0, at + 1);
        got.remove(0, at + 1);
        return out;
    }

    // A barrier: the server answers in the order it hears, so once the echo of this unique tag is
    // back, everything caused by this client's earlier datagrams has arrived. Returns what came
    // before the echo; fails the test when the echo never comes.
    QStringList sync(const QString &tag)
    {
        send(msg::Status(tag, port()));
        QStringList heard = until("STATUS VER=" + modVersion::Version + ";#=", 5000);
        while (!heard.isEmpty() && GetValue(heard.last(), QStringLiteral("SERVER")) != tag) {
            // An echo of an older barrier: only possible after a lost datagram.
            ADD_FAILURE() << name.toStdString() << ": stale barrier " << heard.last().toStdString();
            heard.removeLast();
            heard << until("STATUS VER=", 5000);
        }
        if (heard.isEmpty()) {
            ADD_FAILURE() << name.toStdString() << ": no echo of barrier " << tag.toStdString();
            return {};
        }
        heard.removeLast();
        return heard;
    }

    QString name;
    quint16 server;
    QUdpSocket socket;
    QStringList got;
};

struct Race {
    QString start, target;
    QStringList pages; // the start article first
};

QList<Race> loadRaces(const QString &file, int every)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QList<Race> races;
    int row = 0;
    while (!in.atEnd()) {
        const QByteArray line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QList<QByteArray> cols = line.split('\t');
        if (cols.size() < 4)
            continue;
        // A sample of all races, plus every race through a list article, so both outcomes are well covered.
        const bool viaList = cols[3].contains("List_of");
        if (row++ % every != 0 && !viaList)
            continue;
        Race race{DecodeWikispeediaName(cols[1]), DecodeWikispeediaName(cols[2]), {}};
        for (const QByteArray &page : cols[3].split(';'))
            race.pages << DecodeWikispeediaName(page);
        races << race;
    }
    return races;
}

QStringList startingWith(const QStringList &lines, const QString &prefix)
{
    QStringList out;
    for (const QString &d : lines) {
        if (d.startsWith(prefix))
            out << d;
    }
    return out;
}

TEST(WikispeediaReplay, FinishedHumanPathsEndInOneWinnerOrADisqualification)
{
    const QString data = qEnvironmentVariable("QUILLORY_DATA_DIR");
    const QString folder = data + "/wikispeedia";
    if (data.isEmpty() || !QFile::exists(folder + "/paths_finished.tsv"))
        GTEST_SKIP() << "Wikispeedia data not found (QUILLORY_DATA_DIR/wikispeedia); replay skipped";

    QElapsedTimer loadTime;
    loadTime.start();
    QString error;
    std::shared_ptr<const Corpus> corpus = LoadWikispeediaCorpus(folder, &error);
    ASSERT_TRUE(corpus) << error.toStdString();
    std::printf("corpus: %d articles loaded in %lld ms\n", corpus->Count(), loadTime.elapsed());

    SiteServer site;
    ASSERT_TRUE(site.Start(corpus, QHostAddress::LocalHost, 0)) << site.ErrorString().toStdString();
    UdpSocket socket;
    HeadlessBrowser browser;
    SystemClock clock;
    GameServer server(socket, browser, clock);
    server.SetSiteHost("127.0.0.1:" + QString::number(site.Port()));
    ASSERT_TRUE(server.Start(0)) << server.BindError().toStdString();
    const quint16 serverPort = socket.LocalPort();

    Client runner("Runner", serverPort);
    Client watcher("Watcher", serverPort); // stays in the round, so a disqualification ends nothing
    for (Client *c : {&runner, &watcher}) {
        c->send(msg::Connect(modVersion::Version, c->name, c->port(), ""));
        ASSERT_FALSE(c->until("CONNECTACCEPT").isEmpty());
    }

    const QList<Race> races = loadRaces(folder + "/paths_finished.tsv", 1);
    ASSERT_GE(races.size(), 2000);

    const QString marker = " - " + kTitleMarker;
    static const QStringList outOfBounds = {"list", "history", "edit", "talk",   "category", "wiki",
                                            "help", "special", "user", "portal", "number",   "nowiki"};
    int winners = 0, disqualified = 0, unwinnable = 0, nothingReported = 0, draws = 0,
        drawsNotFoundByName = 0;
    QSet<QString> shownTitles;
    for (int a = 0; a < corpus->Count(); ++a)
        shownTitles.insert(corpus->At(a).title.simplified());
    QMap<QString, int> disqualifiedBy;
    PageState state;        // lasts across rounds, as in the game window
    qint64 clicks = 0;      // the runner's total clicks as last polled
    qint64 roundClicks = 0; // and its round clicks: NEWGAME puts a player back without resetting them
    QElapsedTimer replayTime;
    replayTime.start();
    for (int i = 0; i < races.size(); ++i) {
        const Race &race = races[i];
        const std::string where =
            QString("race %1: %2 -> %3").arg(i).arg(race.start, race.target).toStdString();
        const QString tag = "race-" + QString::number(i);

        if (i % 100 == 0) {
            // A random word drawn by the server's hidden browser: one answer, an article of this corpus.
            const QString src = QString::number(1 + (i / 100) % 2);
            const QString prefix = "SETRANDOM SRC=" + src + ";URL=";
            runner.send("GETRANDOM SRC=" + src + ";");
            const QStringList upTo = watcher.until(prefix, 15000);
            ASSERT_FALSE(upTo.isEmpty()) << where << ": no SETRANDOM";
            const QString drawn = upTo.last();
            const QString title = GetValue(drawn, QStringLiteral("URL"));
            // The title as a page shows it must name the article again ("Star_Trek__The_Original_Series").
            EXPECT_TRUE(shownTitles.contains(title)) << title.toStdString();
            if (corpus->Resolve(title) < 0)
                ++drawsNotFoundByName;
            EXPECT_EQ(startingWith(runner.sync(tag + "-draw"), "SETRANDOM "), QStringList{drawn}) << where;
            EXPECT_TRUE(startingWith(watcher.sync(tag + "-draw"), "SETRANDOM ").isEmpty()) << where;
            ++draws;
        }

        watcher.send("NEWGAME"); // everyone back in the round
        runner.send(msg::SetWords(race.start, race.target));
        state.inRound = true;
        state.startWord = race.start;
        state.currentPage = race.start;
        state.route = race.start + "\r";

        QStringList reported;
        QStringList heard;
        for (qsizetype k = 1; k < race.pages.size(); ++k) { // the start article is never reported
            const PageOutcome out = TitleRules::ApplyTitle(race.pages[k] + marker, state);
            if (!out.navigate)
                continue;
            reported << *out.navigate;
            runner.send(msg::Navigate(runner.name, *out.navigate));
            // A player clicks one page at a time; a long race is paced so no buffer overflows.
            if (reported.size() % 32 == 0)
                heard << runner.sync(tag + "-" + QString::number(k));
        }
        runner.send(msg::GetScore(runner.port(), runner.name));
        heard << runner.sync(tag);
        state.inRound = false;
        watcher.got.clear();
        if (heard.isEmpty())
            FAIL() << where << ": lost the server";

        // NEWGAME, then the words, then what the reports caused, then the poll's answer.
        ASSERT_GE(heard.size(), 3) << where;
        EXPECT_EQ(heard[0], msg::NewGame("Runner")) << where;
        EXPECT_EQ(heard[1], msg::StartGame({race.start, race.target})) << where;
        const QStringList scores = startingWith(heard, "SCOREIS NAME=Runner;");
        const QStringList winnerLines = startingWith(heard, "WINNER ");
        const QStringList disqualifications = startingWith(heard, "DISQUALIFY ");
        ASSERT_FALSE(scores.isEmpty()) << where;
        EXPECT_EQ(heard.last(), scores.last()) << where;
        const qint64 clicksBefore = clicks;
        const qint64 roundClicksBefore = roundClicks;
        clicks = GetValue(scores.last(), "CLICK").toLongLong();
        roundClicks = GetValue(scores.last(), "RCLICK").toLongLong();

        qsizetype forbiddenAt = -1;
        for (qsizetype k = 0; k < reported.size() && forbiddenAt < 0; ++k) {
            if (outOfBounds.contains(reported[k]))
                forbiddenAt = k;
        }
        if (reported.isEmpty()) {
            ++nothingReported;
            EXPECT_TRUE(winnerLines.isEmpty()) << where;
            EXPECT_EQ(clicks, clicksBefore) << where;
            continue;
        }
        if (forbiddenAt >= 0) {
            ++disqualified;
            ++disqualifiedBy[reported[forbiddenAt]];
            EXPECT_EQ(disqualifications, QStringList({"DISQUALIFY URL=" + reported[forbiddenAt] + ";"}))
                << where;
            EXPECT_TRUE(winnerLines.isEmpty()) << where;
            // The reports up to the forbidden one were counted, none after it; then the poll.
            ASSERT_EQ(scores.size(), forbiddenAt + 2) << where;
            EXPECT_EQ(clicks - clicksBefore, forbiddenAt + 1) << where;
            EXPECT_TRUE(scores[forbiddenAt].endsWith(";INGAME=no;")) << where;
            EXPECT_TRUE(scores.last().endsWith(";INGAME=no;")) << where;
            continue;
        }
        if (reported.last() != race.target) {
            // The target itself is a page the rules name by kind: it can never be reached.
            ++unwinnable;
            EXPECT_TRUE(winnerLines.isEmpty()) << where;
            EXPECT_EQ(clicks - clicksBefore, reported.size()) << where;
            continue;
        }
        ++winners;
        EXPECT_EQ(winnerLines, QStringList({"WINNER NAME=Runner;"})) << where;
        EXPECT_TRUE(disqualifications.isEmpty()) << where;
        // The winning report's score, sent just before WINNER, counts every reported page.
        const qsizetype winnerAt = heard.indexOf("WINNER NAME=Runner;");
        ASSERT_GT(winnerAt, 0) << where;
        const QString winningScore = heard[winnerAt - 1];
        EXPECT_EQ(GetValue(winningScore, "CLICK").toLongLong() - clicksBefore, reported.size()) << where;
        EXPECT_EQ(GetValue(winningScore, "RCLICK").toLongLong() - roundClicksBefore, reported.size())
            << where;
        EXPECT_EQ(clicks - clicksBefore, reported.size()) << where;
        EXPECT_EQ(GetValue(scores.last(), "RCLICK"), "0") << where;
        EXPECT_EQ(GetValue(scores.last(), "WINS").toInt(), winners) << where;
    }
    QString kinds;
    for (auto it = disqualifiedBy.cbegin(); it != disqualifiedBy.cend(); ++it)
        kinds += QString(" %1=%2").arg(it.key()).arg(it.value());
    std::printf(
        "replayed %lld finished human paths in %lld ms: %d ended in WINNER, %d in DISQUALIFY (%s), "
        "%d unwinnable by the title rules, %d reported nothing; %d random draws (%d of them not found by "
        "their shown title)\n",
        static_cast<long long>(races.size()), replayTime.elapsed(), winners, disqualified,
        qPrintable(kinds.trimmed()), unwinnable, nothingReported, draws, drawsNotFoundByName);
    EXPECT_GE(winners + disqualified, 2000);
    EXPECT_GT(winners, 0);
    EXPECT_GT(disqualified, 0);
    EXPECT_EQ(drawsNotFoundByName, 0) << "a drawn title the site cannot look up again";
    server.Stop();
    site.Stop();
}

} // namespace
