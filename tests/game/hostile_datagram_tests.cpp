// The client's message handlers under a seeded flood of hostile datagrams from the server's
// address: nothing crashes, nothing grows without bound, and the game still works afterwards.
#include "GameTestSupport.h"

#include "client/ChatLog.h"
#include "client/JoinSession.h"
#include "common/HostileDatagrams.h"
#include "protocol/Messages.h"
#include "protocol/Protocol.h"
#include "settings/Options.h"

#include "platform/qt/UdpSocket.h"

#include <QNetworkDatagram>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>
#include <cstdio>

namespace
{

// The text a real socket hands over for these bytes.
QString AsReceived(const QByteArray &bytes)
{
    return QString::fromUtf8(bytes);
}

// Keeps the chat as the chat window does (bounded history), not every line ever shown.
class ChatHistoryView : public RecordingView
{
public:
    void AddChat(const QString &name, const QString &text) override
    {
        history = chatlog::AppendLine(history, name, text);
        lastLine = name + QStringLiteral(": ") + text;
        ++lines;
    }
    QString history;
    QString lastLine;
    int lines = 0;
};

class HostileGameTest : public ::testing::Test
{
protected:
    ModData modData;
    void SetUp() override
    {
        modData.ResetAll();
        modData.ResetRound();
        modData.ServerHost = QStringLiteral("127.0.0.1");
        modData.PlayerName = QStringLiteral("Ann");
        modData.OwnPort = QStringLiteral("7201");
        modData.AddPlayer(QStringLiteral("Ann"));
        modData.AddPlayer(QStringLiteral("Bob"));
        server = net.CreateSocket();
        ASSERT_TRUE(server->Bind(quint16(7200)));
        socket = net.CreateSocket();
        core = std::make_unique<GameCore>(modData, *socket, browser, dialogs, view, kSite);
        browser.SetResolver(ArticleOfTheLookUp);
        ASSERT_TRUE(core->InitGame());
        net.Deliver();
    }
    void TearDown() override
    {
        core.reset();
        modData.ResetAll();
    }
    // As the server: to the client's port, from 127.0.0.1:7200.
    void FromServer(const QString &text) { server->SendTo(QStringLiteral("127.0.0.1"), 7201, text); }
    QStringList SentToServer() const { return net.SentTo(7200); }

    FakeNetwork net;
    std::unique_ptr<FakeSocket> server;
    std::unique_ptr<FakeSocket> socket;
    ScriptedBrowser browser;
    ScriptedDialogs dialogs;
    ChatHistoryView view;
    std::unique_ptr<GameCore> core;
};

TEST_F(HostileGameTest, FiftyThousandMutatedDatagramsThenANormalRound)
{
    constexpr int kDatagrams = 50000;
    constexpr int kBatch = 100;
    hostile::DatagramFuzzer fuzzer(7200u, {QStringLiteral("Ann"), QStringLiteral("Bob")});
    qsizetype longestHistory = 0;
    qsizetype longestRoute = 0;
    qint32 mostPlayers = 0;
    for (int sent = 0; sent < kDatagrams;) {
        for (int i = 0; i < kBatch; ++i, ++sent)
            FromServer(AsReceived(fuzzer.Next()));
        net.Deliver();
        // What the client sent back, and the fake browser's own records, are not the client's memory.
        net.ClearSent();
        ASSERT_LE(modData.PlayerCount, ModData::kMaxPlayers) << "after " << sent;
        ASSERT_EQ(modData.PlayerCount, modData.Players.Size()) << "after " << sent;
        ASSERT_LE(modData.Words.size(), 64) << "after " << sent;
        // At most kMaxLines lines, of which the newest may hold line breaks of its own.
        const qsizetype historyLines = view.history.count(QStringLiteral("\r\n")) + 1;
        ASSERT_LE(historyLines, chatlog::kMaxLines + view.lastLine.count(QStringLiteral("\r\n")))
            << "after " << sent;
        longestHistory = std::max(longestHistory, view.history.size());
        longestRoute = std::max(longestRoute, modData.Route.size());
        mostPlayers = std::max(mostPlayers, modData.PlayerCount);
    }
    std::printf("%d datagrams: at most %d players listed, chat history at most %lld characters "
                "(%d lines shown in all), route at most %lld characters\n",
                kDatagrams, mostPlayers, static_cast<long long>(longestHistory), view.lines,
                static_cast<long long>(longestRoute));
    EXPECT_LE(dialogs.ShownBoxes().size(), 1); // one disconnection notice at most

    // The server tells everybody left; then a normal round runs.
    const QStringList listed = [this] {
        QStringList names;
        for (qint32 i = 1; i <= modData.PlayerCount; ++i)
            names << modData.Players[i].Name;
        return names;
    }();
    for (const QString &name : listed)
        FromServer(msg::Leave(name));
    net.Deliver();
    ASSERT_EQ(modData.PlayerCount, 0);
    FromServer(msg::Join(QStringLiteral("Ann")));
    FromServer(msg::Join(QStringLiteral("Bob")));
    FromServer(msg::NewGame(QStringLiteral("Bob")));
    FromServer(msg::StartGame({QStringLiteral("Cat"), QStringLiteral("Mouse")}));
    net.Deliver();
    QTest::qWaitFor([this] { return !core->StartPending(); }, 30000);
    ASSERT_EQ(modData.PlayerCount, 2);
    EXPECT_TRUE(modData.InRound);
    EXPECT_EQ(modData.Words, QStringList({QStringLiteral("Cat"), QStringLiteral("Mouse")}));
    EXPECT_EQ(view.lastLine, QStringLiteral("GAME: The game has begun!"));
    net.ClearSent();
    FromServer(msg::ScoreIs(QStringLiteral("Ann"), 0, 3, 3, QStringLiteral("yes")));
    FromServer(msg::Winner(QStringLiteral("Ann")));
    net.Deliver();
    EXPECT_FALSE(modData.InRound);
    EXPECT_EQ(modData.Players[1].Wins, 1);
    EXPECT_TRUE(view.history.endsWith(QStringLiteral("GAME: Ann has won the round in 3 clicks!")));
    EXPECT_EQ(SentToServer(), QStringList{QStringLiteral("SENDMYPATH NAME=Ann;PATH=Cat;")});
    EXPECT_TRUE(view.chooserShown);
}

// The start window's handshake: mutated replies while it connects never leave it stuck or
// holding more than a server can list, and a clean handshake still completes afterwards.
TEST(HostileJoinTest, MutatedRepliesWhileConnecting)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    modOptions::SetOptionsDirectory(dir.path());
    FakeNetwork net;
    const auto factory = net.Factory();
    const auto server = net.CreateSocket(QStringLiteral("10.0.0.5"));
    ASSERT_TRUE(server->Bind(quint16(7200)));
    ScriptedDialogs dialogs;
    ModData modData;

    hostile::DatagramFuzzer fuzzer(1204u, {QStringLiteral("Ann"), QStringLiteral("Bob")});
    fuzzer.OnlyVerbs({"CONNECTREJECT", "NEEDPWD", "CONNECTACCEPT", "MESSAGE", "ISHOST", "PLAYERLIST", "JOIN",
                      "PING", "STATUS"});
    int completedByNoise = 0, rejected = 0, timedOut = 0, recovered = 0;
    constexpr int kAttempts = 400;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        modData.ResetAll();
        JoinSession session(modData, *factory, dialogs);
        session.SetServerBrowser([&](auto closed) {
            modData.OwnPort = FindLocalPort(*factory);
            modData.ChosenServer = QStringLiteral("10.0.0.5");
            closed();
        });
        QSignalSpy completed(&session, &JoinSession::Completed);
        if (fuzzer.pick(2))
            dialogs.QueueInput(QStringLiteral("secret"));
        session.Join(QStringLiteral("Ann"));
        net.Deliver();
        ASSERT_EQ(session.CurrentState(), JoinSession::State::Connecting);
        const quint16 port = modData.OwnPort.toUShort();
        for (int i = 0; i < 40 && session.CurrentState() == JoinSession::State::Connecting; ++i) {
            server->SendTo(QStringLiteral("127.0.0.1"), port, AsReceived(fuzzer.Next()));
            net.Deliver();
        }
        ASSERT_LE(modData.PlayerCount, ModData::kMaxPlayers);
        ASSERT_EQ(modData.PlayerCount, modData.Players.Size());
        if (session.CurrentState() == JoinSession::State::Done) {
            ++completedByNoise;
            EXPECT_EQ(completed.size(), 1);
            EXPECT_EQ(modData.Words, QStringList{QString()});
            continue;
        }
        if (session.CurrentState() == JoinSession::State::Connecting) {
            ++timedOut;
            session.TimeoutTick();
        } else {
            ++rejected;
        }
        ASSERT_EQ(session.CurrentState(), JoinSession::State::Idle) << "attempt " << attempt;
        EXPECT_FALSE(session.TimerRunning());

        // The same window joins cleanly now.
        modData.ResetAll();
        session.Join(QStringLiteral("Ann"));
        net.Deliver();
        server->SendTo(QStringLiteral("127.0.0.1"), modData.OwnPort.toUShort(), msg::ConnectAccept(false));
        server->SendTo(QStringLiteral("127.0.0.1"), modData.OwnPort.toUShort(),
                       msg::PlayerList({QStringLiteral("Bob"), QStringLiteral("Ann")}));
        net.Deliver();
        ASSERT_EQ(session.CurrentState(), JoinSession::State::Done) << "attempt " << attempt;
        ASSERT_EQ(modData.PlayerCount, 2);
        EXPECT_EQ(modData.Players[2].Name, QStringLiteral("Ann"));
        ++recovered;
        net.ClearSent();
    }
    std::printf("%d handshakes under noise: %d completed by a mutated list, %d refused or cancelled, "
                "%d left to time out; %d joined cleanly afterwards\n",
                kAttempts, completedByNoise, rejected, timedOut, recovered);
    modData.ResetAll();
}

// A flood of STARTGAME over a real socket: every datagram that arrives while a round waits for
// its start article is handled inside that wait, so the waits nest. The client must not run out
// of stack, and must still answer afterwards.
class StackMeasuringBrowser : public ScriptedBrowser
{
public:
    bool Busy() const override
    {
        const char marker = 0;
        const auto here = reinterpret_cast<quintptr>(&marker);
        if (lowest == 0 || here < lowest)
            lowest = here;
        return ScriptedBrowser::Busy();
    }
    mutable quintptr lowest = 0;
};

TEST(HostileStartGameFlood, NestedWaitsStayShallowAndTheClientAnswers)
{
    ModData modData;
    modData.ResetAll();
    modData.ResetRound();
    QUdpSocket serverSocket;
    ASSERT_TRUE(serverSocket.bind(QHostAddress::LocalHost, 0));
    QUdpSocket probe;
    ASSERT_TRUE(probe.bind(QHostAddress::LocalHost, 0));
    const quint16 clientPort = probe.localPort();
    probe.close();
    modData.ServerHost = QStringLiteral("127.0.0.1");
    modData.PlayerName = QStringLiteral("Ann");
    modData.OwnPort = QString::number(clientPort);
    modData.AddPlayer(QStringLiteral("Ann"));

    UdpSocket socket;
    StackMeasuringBrowser browser;
    browser.SetResolver([](const QString &) {
        return ScriptedBrowser::Page{QStringLiteral("Cat") + kTitleSuffix, {}};
    });
    ScriptedDialogs dialogs;
    ChatHistoryView view;
    GameCore core(modData, socket, browser, dialogs, view, kSite, serverSocket.localPort());
    ASSERT_TRUE(core.InitGame());
    const char base = 0;
    const auto top = reinterpret_cast<quintptr>(&base);

    constexpr int kFlood = 3000;
    int sent = 0;
    QTimer sender;
    sender.setInterval(1);
    QObject::connect(&sender, &QTimer::timeout, &sender, [&] {
        for (int i = 0; i < 20 && sent < kFlood; ++i, ++sent)
            serverSocket.writeDatagram(QByteArrayLiteral("STARTGAME COUNT=1;WORD0=Cat;WORD1=Dog;"),
                                       QHostAddress::LocalHost, clientPort);
        if (sent == kFlood)
            sender.stop();
    });
    sender.start();
    QElapsedTimer t;
    t.start();
    (void)QTest::qWaitFor([&] { return sent == kFlood; }, 60000);
    // Still answering: a PING gets its PONG.
    serverSocket.writeDatagram(QByteArrayLiteral("PING TIME=42;"), QHostAddress::LocalHost, clientPort);
    QByteArray pong;
    (void)QTest::qWaitFor(
        [&] {
            while (serverSocket.hasPendingDatagrams()) {
                const QByteArray d = serverSocket.receiveDatagram().data();
                if (d.startsWith("PONG "))
                    pong = d;
            }
            return !pong.isEmpty();
        },
        10000);
    EXPECT_EQ(pong, QByteArrayLiteral("PONG NAME=Ann;TIME=42;"));
    EXPECT_TRUE(modData.InRound);
    const qint64 used = browser.lowest == 0 ? 0 : qint64(top) - qint64(browser.lowest);
    std::printf("%d STARTGAME datagrams in %.1f s; deepest wait used %lld KiB of stack\n", sent,
                t.elapsed() / 1000.0, static_cast<long long>(used / 1024));
    EXPECT_EQ(sent, kFlood);
    // Far below the 8 MiB a thread gets: waits do not pile up one per datagram.
    EXPECT_LT(used, 2 * 1024 * 1024);
    core.Closing();
    modData.ResetAll();
}

} // namespace
