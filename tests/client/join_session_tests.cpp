#include "client/JoinSession.h"
#include "client/ModData.h"
#include "fakes/FakeNetwork.h"
#include "fakes/ScriptedDialogs.h"
#include "protocol/Messages.h"
#include "protocol/Protocol.h"
#include "settings/Options.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace
{

const QString kServer = QStringLiteral("10.0.0.5");
const QString kVersion = QStringLiteral("1.04 (beta)");

// Plays the game server on the fake network: records what it hears, answers through a script.
class ScriptedServer : public QObject
{
public:
    ScriptedServer(FakeNetwork &net, const ModData &client, const QString &address, quint16 port = 7200)
        : m_client(client), m_socket(net.CreateSocket(address))
    {
        m_socket->Bind(port);
        connect(m_socket.get(), &DatagramSocket::DataArrival, this, [this] {
            const QString text = m_socket->GetData();
            received << text;
            const QString from = m_socket->RemoteHostIP();
            const quint16 fromPort = m_socket->RemotePort();
            if (onMessage) {
                for (const QString &reply : onMessage(text))
                    m_socket->SendTo(from, fromPort, reply);
            }
        });
    }
    // Sends to the client's port, as the server's answers do.
    void Send(const QString &text)
    {
        m_socket->SendTo(QStringLiteral("127.0.0.1"), m_client.OwnPort.toUShort(), text);
    }

    QStringList received;
    std::function<QStringList(const QString &)> onMessage;

private:
    const ModData &m_client;
    std::unique_ptr<FakeSocket> m_socket;
};

class JoinSessionTest : public ::testing::Test
{
protected:
    ModData modData;
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        modOptions::SetOptionsDirectory(m_dir.path());
        modData.ResetAll();
        m_factory = m_net.Factory();
        JoinConfig config;
        config.serverProgram = m_dir.filePath(QStringLiteral("QuilloryServer"));
        config.serverWaitMs = 200;
        config.statusRetryMs = 20;
        m_session = std::make_unique<JoinSession>(modData, *m_factory, m_dialogs, config);
        // The server browser: it finds the own port when it opens, then the player picks kServer.
        m_session->SetServerBrowser([this](auto closed) {
            modData.OwnPort = FindLocalPort(*m_factory);
            modData.ChosenServer = m_browserChoice;
            closed();
        });
        m_session->SetHostDialog([this](auto closed) {
            modData.ChosenServer = m_hostChoice;
            closed();
        });
        m_session->SetProgramStarter([this](const QString &path) {
            m_started << path;
            return m_startResult;
        });
    }
    void TearDown() override
    {
        m_session.reset();
        modData.ResetAll();
    }

    // Join kServer with the name and let the network settle.
    void JoinAs(const QString &name)
    {
        m_session->Join(name);
        m_net.Deliver();
    }

    QTemporaryDir m_dir;
    FakeNetwork m_net;
    std::unique_ptr<SocketFactory> m_factory;
    ScriptedDialogs m_dialogs;
    std::unique_ptr<JoinSession> m_session;
    QString m_browserChoice = kServer;
    QString m_hostChoice = QStringLiteral("192.168.1.20");
    QStringList m_started;
    bool m_startResult = true;
};

TEST_F(JoinSessionTest, HappyPathWithWelcomeAndHostBeforeAccept)
{
    ScriptedServer server(m_net, modData, kServer);
    server.onMessage = [](const QString &text) -> QStringList {
        if (GetVerb(text) == QLatin1String("CONNECT"))
            return {msg::Message(QStringLiteral("2 user(s) connected; have fun=yes")),
                    msg::IsHost(QStringLiteral("Ann")), msg::ConnectAccept(true)};
        if (GetVerb(text) == QLatin1String("GETPLAYERLIST"))
            return {msg::PlayerList({QStringLiteral("Bob"), QStringLiteral("Ann")})};
        return {};
    };
    QSignalSpy completed(m_session.get(), &JoinSession::Completed);
    modData.Words = {QStringLiteral("x"), QStringLiteral("y")};
    modData.InRound = true;

    JoinAs(QStringLiteral("Ann"));

    ASSERT_EQ(server.received.size(), 2);
    EXPECT_EQ(server.received[0], QStringLiteral("CONNECT VER=1.04 (beta);NAME=Ann;PORT=7200;PWD=;"));
    EXPECT_EQ(server.received[1], QStringLiteral("GETPLAYERLIST PORT=7200;"));
    EXPECT_EQ(m_net.Sent().front().fromPort, 7200); // CONNECT leaves from the port it names
    EXPECT_EQ(completed.count(), 1);
    EXPECT_EQ(m_session->CurrentState(), JoinSession::State::Done);
    EXPECT_FALSE(m_session->TimerRunning());
    EXPECT_EQ(m_session->Status(), QStringLiteral("Connection accepted."));
    EXPECT_TRUE(modData.IsHost);
    EXPECT_EQ(modData.WelcomeText, QStringLiteral("2 user(s) connected; have fun=yes"));
    EXPECT_TRUE(modData.JoinedMidRound);
    EXPECT_EQ(modData.ServerHost, kServer);
    EXPECT_EQ(modData.PlayerName, QStringLiteral("Ann"));
    ASSERT_EQ(modData.PlayerCount, 2);
    EXPECT_EQ(modData.Players[1].Name, QStringLiteral("Bob"));
    EXPECT_EQ(modData.Players[2].Name, QStringLiteral("Ann"));
    EXPECT_EQ(modData.Words, QStringList{QString()}); // ResetRound ran
    EXPECT_FALSE(modData.InRound);
    // The handshake port is free again for the game window.
    EXPECT_FALSE(m_net.IsBound(QStringLiteral("127.0.0.1"), 7200));
}

// The game window later hears only the address the acceptance came from, so that address is the
// one kept: not the name the player typed, and nothing left over from an earlier attempt.
TEST_F(JoinSessionTest, TheServerAddressIsTheAcceptanceSender)
{
    struct Case {
        QString typed;
        QString serverMachine;
        QString acceptFrom; // the machine whose socket on the game port sends CONNECTACCEPT
        bool accepted;
        QString expected;
    };
    const QList<Case> cases = {
        {"10.0.0.5", "10.0.0.5", "10.0.0.5", true, "10.0.0.5"},
        {"localhost", "127.0.0.1", "127.0.0.1", true, "127.0.0.1"},
        {"10.0.0.5", "10.0.0.5", "10.0.0.8", true, "10.0.0.8"},
        {"10.0.0.5", "10.0.0.5", "10.0.0.5", false, ""},
    };
    for (const Case &c : cases) {
        modData.ResetAll();
        modData.ServerIP = QStringLiteral("10.9.9.9"); // from an earlier attempt
        m_browserChoice = c.typed;
        ScriptedServer server(m_net, modData, c.serverMachine);
        std::unique_ptr<ScriptedServer> other;
        if (c.acceptFrom != c.serverMachine)
            other = std::make_unique<ScriptedServer>(m_net, modData, c.acceptFrom);
        ScriptedServer &acceptor = other ? *other : server;
        server.onMessage = [&](const QString &text) -> QStringList {
            if (GetVerb(text) == QLatin1String("CONNECT")) {
                acceptor.Send(c.accepted ? msg::ConnectAccept(false) : msg::ConnectRejectError(-10));
                return {};
            }
            if (GetVerb(text) == QLatin1String("GETPLAYERLIST"))
                return {msg::PlayerList({QStringLiteral("Ann")})};
            return {};
        };
        JoinAs(QStringLiteral("Ann"));
        const std::string label = (c.typed + QStringLiteral(" / ") + c.acceptFrom).toStdString();
        EXPECT_EQ(m_session->CurrentState(), c.accepted ? JoinSession::State::Done : JoinSession::State::Idle)
            << label;
        EXPECT_EQ(modData.ServerIP, c.expected) << label;
        EXPECT_EQ(modData.ServerHost, c.typed) << label;
        m_session = std::make_unique<JoinSession>(modData, *m_factory, m_dialogs, m_session->Config());
        m_session->SetServerBrowser([this](auto closed) {
            modData.OwnPort = FindLocalPort(*m_factory);
            modData.ChosenServer = m_browserChoice;
            closed();
        });
    }
    modData.ServerIP = QStringLiteral("10.9.9.9");
    modData.ResetAll();
    EXPECT_TRUE(modData.ServerIP.isEmpty());
}

TEST_F(JoinSessionTest, StatusAndControlsWhileConnecting)
{
    ScriptedServer server(m_net, modData, kServer);
    QSignalSpy enabled(m_session.get(), &JoinSession::ControlsEnabled);
    QSignalSpy started(m_session.get(), &JoinSession::StartTimer);
    JoinAs(QStringLiteral("  ")); // a name of blanks is a name
    EXPECT_EQ(server.received,
              QStringList{QStringLiteral("CONNECT VER=1.04 (beta);NAME=  ;PORT=7200;PWD=;")});
    EXPECT_EQ(m_session->Status(), QStringLiteral("Connecting to 10.0.0.5..."));
    EXPECT_EQ(m_session->CurrentState(), JoinSession::State::Connecting);
    EXPECT_TRUE(m_session->TimerRunning());
    EXPECT_EQ(started.count(), 1);
    ASSERT_EQ(enabled.count(), 1);
    EXPECT_FALSE(enabled[0][0].toBool());
}

TEST_F(JoinSessionTest, RejectionTexts)
{
    struct Case {
        QString reply;
        QString status;
    };
    const QList<Case> cases = {
        {"CONNECTREJECT VER=1.04 (beta);", "Connection was refused: Version 1.04 (beta) required."},
        {"CONNECTREJECT VER=2.0;", "Connection was refused: Version 2.0 required."},
        {"CONNECTREJECT ERROR=-10;", "Connection was refused: Name is already in use."},
        {"CONNECTREJECT ERROR=-11;", "Connection was refused: Name is banned from this server."},
        {"CONNECTREJECT ERROR=-20;", "Connection was refused: IP is already connected."},
        {"CONNECTREJECT ERROR=-21;", "Connection was refused: IP is banned from this server."},
        {"CONNECTREJECT ERROR=-100;", "Connection was refused: Wrong password."},
        {"CONNECTREJECT ERROR=-7;", "Connection was refused: Unknown error."},
        {"CONNECTREJECT ERROR= -10;", "Connection was refused: Unknown error."}, // compared as text
        {"CONNECTREJECT", "Connection was refused: Unknown error."},
        // "VER" anywhere wins over the error code, even inside another word.
        {"CONNECTREJECT ERROR=-10;SERVERX=1;", "Connection was refused: Version  required."},
    };
    for (const Case &c : cases) {
        modData.ResetAll();
        ScriptedServer server(m_net, modData, kServer);
        server.onMessage = [&](const QString &) { return QStringList{c.reply}; };
        QSignalSpy enabled(m_session.get(), &JoinSession::ControlsEnabled);
        JoinAs(QStringLiteral("Ann"));
        EXPECT_EQ(m_session->Status(), c.status) << c.reply.toStdString();
        EXPECT_EQ(m_session->CurrentState(), JoinSession::State::Idle);
        EXPECT_FALSE(m_session->TimerRunning());
        ASSERT_GE(enabled.count(), 2);
        EXPECT_TRUE(enabled.last()[0].toBool());
        EXPECT_FALSE(m_net.IsBound(QStringLiteral("127.0.0.1"), 7200)) << "wsConnect closed";
    }
}

TEST_F(JoinSessionTest, PasswordAnsweredIsSentCleanedWithAFreshTimer)
{
    ScriptedServer server(m_net, modData, kServer);
    server.onMessage = [](const QString &text) -> QStringList {
        if (GetValue(text, QStringLiteral("PWD")).isEmpty())
            return {msg::NeedPwd()};
        return {};
    };
    m_dialogs.QueueInput(QStringLiteral("se=cr;et"));
    QSignalSpy started(m_session.get(), &JoinSession::StartTimer);
    QSignalSpy stopped(m_session.get(), &JoinSession::StopTimer);
    JoinAs(QStringLiteral("Ann"));

    ASSERT_EQ(server.received.size(), 2);
    EXPECT_EQ(server.received[1], QStringLiteral("CONNECT VER=1.04 (beta);NAME=Ann;PORT=7200;PWD=secret;"));
    ASSERT_EQ(m_dialogs.ShownBoxes().size(), 1);
    EXPECT_EQ(m_dialogs.ShownBoxes()[0].kind, QStringLiteral("input"));
    EXPECT_EQ(m_dialogs.ShownBoxes()[0].text, QStringLiteral("Private server, please enter password:"));
    EXPECT_EQ(stopped.count(), 1);
    EXPECT_EQ(started.count(), 2);
    EXPECT_TRUE(m_session->TimerRunning());
    EXPECT_EQ(m_session->CurrentState(), JoinSession::State::Connecting);

    // A wrong password comes back as a rejection.
    server.Send(msg::ConnectRejectError(-100));
    m_net.Deliver();
    EXPECT_EQ(m_session->Status(), QStringLiteral("Connection was refused: Wrong password."));
}

TEST_F(JoinSessionTest, PasswordCancelledOrOnlySeparatorsReturnsToIdle)
{
    for (const QString &answer : {QString(), QStringLiteral("=;")}) {
        ScriptedServer server(m_net, modData, kServer);
        server.onMessage = [](const QString &) { return QStringList{msg::NeedPwd()}; };
        if (!answer.isNull())
            m_dialogs.QueueInput(answer);
        QSignalSpy focus(m_session.get(), &JoinSession::FocusName);
        JoinAs(QStringLiteral("Ann"));
        EXPECT_EQ(server.received.size(), 1) << "nothing sent after an empty answer";
        EXPECT_EQ(m_session->CurrentState(), JoinSession::State::Idle);
        EXPECT_EQ(m_session->Status(), QString());
        EXPECT_FALSE(m_session->TimerRunning());
        EXPECT_EQ(focus.count(), 1);
        EXPECT_FALSE(m_net.IsBound(QStringLiteral("127.0.0.1"), 7200));
    }
}

TEST_F(JoinSessionTest, TimeoutReturnsToIdleAndFreesThePort)
{
    ScriptedServer server(m_net, modData, kServer); // never answers
    JoinAs(QStringLiteral("Ann"));
    m_session->TimeoutTick();
    EXPECT_EQ(m_session->Status(), QStringLiteral("Connection timed out: Check firewall/router settings."));
    EXPECT_EQ(m_session->CurrentState(), JoinSession::State::Idle);
    EXPECT_FALSE(m_session->TimerRunning());
    EXPECT_FALSE(m_net.IsBound(QStringLiteral("127.0.0.1"), 7200));
    // A late reply after the time-out changes nothing.
    server.Send(msg::ConnectAccept(false));
    m_net.Deliver();
    EXPECT_EQ(m_session->Status(), QStringLiteral("Connection timed out: Check firewall/router settings."));

    // A new attempt works from the start again.
    server.onMessage = [](const QString &) { return QStringList{msg::ConnectRejectError(-10)}; };
    JoinAs(QStringLiteral("Ann"));
    EXPECT_EQ(m_session->Status(), QStringLiteral("Connection was refused: Name is already in use."));
}

TEST_F(JoinSessionTest, RepliesThatChangeNoState)
{
    struct Case {
        QStringList replies;
        bool isHost;
        QString welcome;
        bool midRound; // starts true
        QStringList sent;
    };
    const QString list = QStringLiteral("GETPLAYERLIST PORT=7200;");
    const QList<Case> cases = {
        {{"ISHOST NAME=ann;"}, false, {}, true, {}},
        {{"ISHOST NAME=Ann;"}, true, {}, true, {}},
        {{"MESSAGE Hello"}, false, "Hello", true, {}},
        {{"MESSAGE "}, false, "", true, {}},
        {{"CONNECTACCEPT"}, false, {}, true, {list}},
        {{"CONNECTACCEPT PLAYING=no;"}, false, {}, false, {list}},
        {{"CONNECTACCEPT PLAYING=YES;"}, false, {}, true, {list}},
        {{"connectaccept PLAYING=no;", "WHATEVER", ""}, false, {}, true, {}},
    };
    for (const Case &c : cases) {
        modData.ResetAll();
        modData.JoinedMidRound = true;
        ScriptedServer server(m_net, modData, kServer);
        JoinAs(QStringLiteral("Ann"));
        for (const QString &r : c.replies)
            server.Send(r);
        m_net.Deliver();
        const QString label = c.replies.join(QLatin1Char('|'));
        EXPECT_EQ(modData.IsHost, c.isHost) << label.toStdString();
        EXPECT_EQ(modData.WelcomeText, c.welcome) << label.toStdString();
        EXPECT_EQ(modData.JoinedMidRound, c.midRound) << label.toStdString();
        EXPECT_EQ(server.received.mid(1), c.sent) << label.toStdString();
        EXPECT_EQ(m_session->CurrentState(), JoinSession::State::Connecting) << label.toStdString();
        EXPECT_TRUE(m_session->TimerRunning());
        m_session->TimeoutTick();
    }
}

TEST_F(JoinSessionTest, PlayerListCounts)
{
    struct Case {
        QString reply;
        bool completes;
        QStringList players;
    };
    const QList<Case> cases = {
        {"PLAYERLIST COUNT=0;", true, {}},
        {"PLAYERLIST COUNT=2;P1=Ann;P2=Bob;", true, {"Ann", "Bob"}},
        {"PLAYERLIST COUNT=2;P1=Ann;P2=ann;", true, {"Ann"}},
        // A COUNT larger than the fields present stops at the first missing one.
        {"PLAYERLIST COUNT=2147483647;P1=Ann;P2=Bob;", true, {"Ann", "Bob"}},
        {"PLAYERLIST COUNT=3;P1=Ann;P3=Cy;", true, {"Ann"}},
        {"PLAYERLIST COUNT=-5;P1=Ann;", true, {}},
        // Not a number: the datagram is dropped and the window keeps waiting.
        {"PLAYERLIST COUNT=many;P1=Ann;", false, {}},
        {"PLAYERLIST COUNT=99999999999;P1=Ann;", false, {}},
        {"PLAYERLIST P1=Ann;", false, {}},
    };
    for (const Case &c : cases) {
        modData.ResetAll();
        ScriptedServer server(m_net, modData, kServer);
        QSignalSpy completed(m_session.get(), &JoinSession::Completed);
        JoinAs(QStringLiteral("Ann"));
        server.Send(c.reply);
        m_net.Deliver();
        EXPECT_EQ(completed.count(), c.completes ? 1 : 0) << c.reply.toStdString();
        QStringList names;
        for (qint32 i = 1; i <= modData.PlayerCount; ++i)
            names << modData.Players[i].Name;
        EXPECT_EQ(names, c.players) << c.reply.toStdString();
        if (!c.completes) {
            EXPECT_EQ(m_session->CurrentState(), JoinSession::State::Connecting);
            m_session->TimeoutTick();
            EXPECT_EQ(m_session->CurrentState(), JoinSession::State::Idle);
        } else {
            // Later attempts are not possible once the game windows took over.
            m_session = std::make_unique<JoinSession>(modData, *m_factory, m_dialogs, m_session->Config());
            m_session->SetServerBrowser([this](auto closed) {
                modData.OwnPort = FindLocalPort(*m_factory);
                modData.ChosenServer = m_browserChoice;
                closed();
            });
        }
    }
}

TEST_F(JoinSessionTest, EmptyNameOrCancelledBrowserSendsNothing)
{
    ScriptedServer server(m_net, modData, kServer);
    QSignalSpy focus(m_session.get(), &JoinSession::FocusName);
    JoinAs(QStringLiteral("=;"));
    ASSERT_EQ(m_dialogs.ShownBoxes().size(), 1);
    EXPECT_EQ(m_dialogs.ShownBoxes()[0].text, QStringLiteral("Please enter your name."));
    EXPECT_EQ(m_dialogs.ShownBoxes()[0].icon, MessageIcon::Information);
    EXPECT_EQ(m_dialogs.ShownBoxes()[0].caption, QStringLiteral("Quillory"));
    EXPECT_EQ(focus.count(), 1);

    m_browserChoice.clear();
    modData.ChosenServer = QStringLiteral("stale");
    JoinAs(QStringLiteral("Ann"));
    EXPECT_TRUE(server.received.isEmpty());
    EXPECT_EQ(m_session->CurrentState(), JoinSession::State::Idle);
    EXPECT_EQ(m_session->Status(), QString());
}

// The server browser and the host dialog let events run while they are open: a Join or Host
// click meanwhile must not start a second attempt beside the first.
TEST_F(JoinSessionTest, AClickWhileTheServerBrowserIsOpenStartsNothing)
{
    ScriptedServer server(m_net, modData, kServer);
    int opened = 0;
    m_session->SetServerBrowser([this, &opened](auto closed) {
        ++opened;
        m_session->Join(QStringLiteral("Ann"));
        m_session->Host(QStringLiteral("Ann"));
        modData.OwnPort = FindLocalPort(*m_factory);
        modData.ChosenServer = m_browserChoice;
        closed();
    });
    JoinAs(QStringLiteral("Ann"));
    EXPECT_EQ(opened, 1);
    EXPECT_TRUE(m_started.isEmpty());
    EXPECT_EQ(server.received,
              QStringList{QStringLiteral("CONNECT VER=1.04 (beta);NAME=Ann;PORT=7200;PWD=;")});
    EXPECT_EQ(m_session->CurrentState(), JoinSession::State::Connecting);
}

TEST_F(JoinSessionTest, AnOwnPortThatCannotBeBoundEndsTheAttempt)
{
    ScriptedServer server(m_net, modData, kServer);
    auto squatter = m_net.CreateSocket();
    m_session->SetServerBrowser([&](auto closed) {
        modData.OwnPort = QStringLiteral("7203");
        squatter->Bind(quint16(7203)); // taken between the browser and the connect
        modData.ChosenServer = kServer;
        closed();
    });
    JoinAs(QStringLiteral("Ann"));
    EXPECT_TRUE(server.received.isEmpty());
    EXPECT_EQ(m_session->CurrentState(), JoinSession::State::Idle);
    EXPECT_TRUE(m_session->Status().startsWith(QStringLiteral("Error ")))
        << m_session->Status().toStdString();
    EXPECT_FALSE(m_session->TimerRunning());
}

TEST_F(JoinSessionTest, HostStartsTheServerWaitsForItAndTakesTheNextPort)
{
    QFile program(m_session->ServerProgramPath());
    ASSERT_TRUE(program.open(QIODevice::WriteOnly));
    program.close();
    // The "server program" binds the game port only when started, like the real one.
    std::unique_ptr<ScriptedServer> server;
    m_session->SetProgramStarter([&](const QString &path) {
        m_started << path;
        server = std::make_unique<ScriptedServer>(m_net, modData, QStringLiteral("127.0.0.1"));
        server->onMessage = [](const QString &text) -> QStringList {
            if (GetVerb(text) == QLatin1String("STATUS"))
                return {msg::StatusReply(kVersion, 0, GetValue(text, QStringLiteral("SERVER")))};
            return {};
        };
        return true;
    });
    m_hostChoice = QStringLiteral("127.0.0.1");
    m_session->Host(QStringLiteral("Ann"));
    m_net.Deliver();

    EXPECT_EQ(m_started, QStringList{m_session->ServerProgramPath()});
    ASSERT_TRUE(server);
    ASSERT_GE(server->received.size(), 2);
    EXPECT_EQ(GetVerb(server->received.front()), QStringLiteral("STATUS"));
    EXPECT_EQ(server->received.last(), QStringLiteral("CONNECT VER=1.04 (beta);NAME=Ann;PORT=7201;PWD=;"));
    EXPECT_EQ(modData.OwnPort, QStringLiteral("7201"));
    EXPECT_EQ(modData.ServerHost, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(m_session->CurrentState(), JoinSession::State::Connecting);
}

TEST_F(JoinSessionTest, ASocketErrorOnlyChangesTheStatus)
{
    ScriptedServer server(m_net, modData, kServer);
    JoinAs(QStringLiteral("Ann"));
    ASSERT_NE(m_session->ConnectSocket(), nullptr);
    emit m_session->ConnectSocket()->Error(7, QStringLiteral("Host unreachable"));
    EXPECT_EQ(m_session->Status(), QStringLiteral("Error 7: Host unreachable"));
    EXPECT_EQ(m_session->CurrentState(), JoinSession::State::Connecting);
    EXPECT_TRUE(m_session->TimerRunning());
    m_session->TimeoutTick();
    EXPECT_EQ(m_session->CurrentState(), JoinSession::State::Idle);
}

TEST_F(JoinSessionTest, ClosingTheWindowWhileHostWaitsForItsServerConnectsNothing)
{
    QFile program(m_session->ServerProgramPath());
    ASSERT_TRUE(program.open(QIODevice::WriteOnly));
    program.close();
    JoinConfig config = m_session->Config();
    config.serverWaitMs = 60000; // a server that never answers
    m_session = std::make_unique<JoinSession>(modData, *m_factory, m_dialogs, config);
    m_session->SetHostDialog([this](auto closed) {
        modData.ChosenServer = m_hostChoice;
        closed();
    });
    m_session->SetProgramStarter([this](const QString &) {
        QTimer::singleShot(50, m_session.get(), [this] { m_session->Abort(); });
        return true;
    });
    m_session->Host(QStringLiteral("Ann"));
    m_net.Deliver();
    for (const Datagram &d : m_net.Sent())
        EXPECT_EQ(GetVerb(d.text), QStringLiteral("STATUS"));
    EXPECT_NE(m_session->CurrentState(), JoinSession::State::Connecting);
    EXPECT_FALSE(m_session->TimerRunning());
}

TEST_F(JoinSessionTest, HostWithoutTheServerProgram)
{
    QSignalSpy enabled(m_session.get(), &JoinSession::ControlsEnabled);
    m_session->Host(QStringLiteral("Ann"));
    EXPECT_TRUE(m_started.isEmpty());
    ASSERT_EQ(m_dialogs.ShownBoxes().size(), 1);
    EXPECT_EQ(m_dialogs.ShownBoxes()[0].text,
              QStringLiteral(
                  "The server executable could not be found (QuilloryServer). Please reinstall the game."));
    EXPECT_EQ(m_session->CurrentState(), JoinSession::State::Idle);
    EXPECT_TRUE(m_net.Sent().isEmpty());
    EXPECT_TRUE(enabled.isEmpty() || enabled.last()[0].toBool());

    // A program that exists but will not start.
    QFile program(m_session->ServerProgramPath());
    ASSERT_TRUE(program.open(QIODevice::WriteOnly));
    program.close();
    m_startResult = false;
    m_session->Host(QStringLiteral("Ann"));
    EXPECT_EQ(m_started.size(), 1);
    EXPECT_TRUE(
        m_dialogs.ShownBoxes().last().text.startsWith(QStringLiteral("An unexpected error occured (")));
    EXPECT_EQ(m_session->CurrentState(), JoinSession::State::Idle);
    EXPECT_TRUE(m_net.Sent().isEmpty());

    // Cancelling the host dialog starts nothing.
    m_hostChoice.clear();
    m_session->Host(QStringLiteral("Ann"));
    EXPECT_EQ(m_started.size(), 1);
}

TEST_F(JoinSessionTest, HostWithEveryPortTakenEndsTheProgram)
{
    QFile program(m_session->ServerProgramPath());
    ASSERT_TRUE(program.open(QIODevice::WriteOnly));
    program.close();
    std::vector<std::unique_ptr<FakeSocket>> holders;
    for (quint16 p = 7200; p <= 7221; ++p) {
        holders.push_back(m_net.CreateSocket());
        holders.back()->Bind(p);
    }
    QSignalSpy fatal(m_session.get(), &JoinSession::FatalExit);
    m_session->Host(QStringLiteral("Ann"));
    EXPECT_EQ(fatal.count(), 1);
    ASSERT_FALSE(m_dialogs.ShownBoxes().isEmpty());
    EXPECT_EQ(m_dialogs.ShownBoxes().last().text,
              QStringLiteral("Critical error:\r\nCould not find a local port to bind to."));
    EXPECT_EQ(m_dialogs.ShownBoxes().last().icon, MessageIcon::Critical);
}

TEST_F(JoinSessionTest, TheAttemptGoesOnOnlyOnceTheDialogHasClosed)
{
    ScriptedServer server(m_net, modData, kServer);
    std::function<void()> close;
    int opened = 0;
    m_session->SetServerBrowser([&](auto closed) {
        ++opened;
        close = closed;
    });
    JoinAs(QStringLiteral("Ann"));
    EXPECT_EQ(m_session->CurrentState(), JoinSession::State::Busy);
    // The browser stays open while the player clicks the start window again.
    m_session->Join(QStringLiteral("Ann"));
    m_session->Host(QStringLiteral("Ann"));
    EXPECT_EQ(opened, 1);
    EXPECT_TRUE(m_started.isEmpty());
    EXPECT_TRUE(server.received.isEmpty());

    modData.OwnPort = FindLocalPort(*m_factory);
    modData.ChosenServer = kServer;
    close();
    m_net.Deliver();
    EXPECT_EQ(server.received,
              QStringList{QStringLiteral("CONNECT VER=1.04 (beta);NAME=Ann;PORT=7200;PWD=;")});
    EXPECT_EQ(m_session->CurrentState(), JoinSession::State::Connecting);
}

// The start window may close, or go altogether, while its browser or host dialog is still open; the
// dialog closing afterwards starts nothing.
TEST_F(JoinSessionTest, ADialogClosingAfterTheSessionEndedStartsNothing)
{
    QFile program(m_session->ServerProgramPath());
    ASSERT_TRUE(program.open(QIODevice::WriteOnly));
    program.close();
    ScriptedServer server(m_net, modData, kServer);
    struct Case {
        bool host;
        bool destroyed;
    };
    const JoinConfig config = m_session->Config();
    for (const Case c : {Case{false, false}, Case{false, true}, Case{true, false}, Case{true, true}}) {
        m_session = std::make_unique<JoinSession>(modData, *m_factory, m_dialogs, config);
        std::function<void()> close;
        const auto step = [&](auto closed) { close = closed; };
        m_session->SetServerBrowser(step);
        m_session->SetHostDialog(step);
        m_session->SetProgramStarter([this](const QString &path) {
            m_started << path;
            return true;
        });
        if (c.host)
            m_session->Host(QStringLiteral("Ann"));
        else
            m_session->Join(QStringLiteral("Ann"));
        ASSERT_TRUE(close);
        if (c.destroyed)
            m_session.reset();
        else
            m_session->Abort();
        modData.OwnPort = FindLocalPort(*m_factory);
        modData.ChosenServer = kServer;
        close();
        m_net.Deliver();
        EXPECT_TRUE(m_started.isEmpty()) << c.host << c.destroyed;
        EXPECT_TRUE(m_net.Sent().isEmpty()) << c.host << c.destroyed;
        if (!m_session)
            m_session = std::make_unique<JoinSession>(modData, *m_factory, m_dialogs, config);
    }
}

// Whatever failed in starting the server, the attempt lasts until the player has read why: a click
// while that box is open starts nothing.
TEST_F(JoinSessionTest, AFailedHostEndsOnlyOnceItsBoxIsClosed)
{
    QSignalSpy enabled(m_session.get(), &JoinSession::ControlsEnabled);
    JoinSession::State whileOpen = JoinSession::State::Idle;
    qsizetype enabledWhileOpen = -1;
    m_dialogs.OnMessage([&](const QString &) {
        whileOpen = m_session->CurrentState();
        enabledWhileOpen = enabled.count();
        m_session->Host(QStringLiteral("Ann"));
        m_session->Join(QStringLiteral("Ann"));
    });
    m_session->Host(QStringLiteral("Ann"));
    EXPECT_EQ(whileOpen, JoinSession::State::Busy);
    ASSERT_EQ(enabledWhileOpen, 1);
    EXPECT_FALSE(enabled[0][0].toBool());
    ASSERT_EQ(enabled.count(), 2);
    EXPECT_TRUE(enabled[1][0].toBool());
    EXPECT_EQ(m_dialogs.ShownBoxes().size(), 1) << "one box, no second attempt behind it";
    EXPECT_EQ(m_session->CurrentState(), JoinSession::State::Idle);
}

} // namespace
