// Hosting for real: the start window, over real UDP and the real platform pieces, starts the real
// QuilloryServer copied into a folder of its own, waits for it, joins it and reaches the player list.
#include "client/ModData.h"
#include "client/host/frmHost.h"
#include "client/main/frmMain.h"
#include "client/start/StartSteps.h"
#include "common/WaitFor.h"
#include "platform/qt/InterfaceNetwork.h"
#include "platform/qt/UdpSocket.h"
#include "platform/qt/WindowSystem.h"
#include "protocol/Protocol.h"
#include "settings/Options.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkDatagram>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>
#include <csignal>
#include <gtest/gtest.h>

#include "fakes/ScriptedDialogs.h"

namespace
{

bool GamePortFree()
{
    QUdpSocket probe;
    return probe.bind(QHostAddress::AnyIPv4, 7200);
}

// The process running the program at exactly this path (our own copy), 0 when none.
qint64 PidOfProgram(const QString &path)
{
    const QString wanted = QFileInfo(path).canonicalFilePath();
    const QDir proc(QStringLiteral("/proc"));
    for (const QString &entry : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool numeric = false;
        const qint64 pid = entry.toLongLong(&numeric);
        if (!numeric)
            continue;
        if (QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget() == wanted)
            return pid;
    }
    return 0;
}

// Ends the server this test started, by its process id.
class ServerCleanup
{
public:
    explicit ServerCleanup(QString program) : m_program(std::move(program)) {}
    ~ServerCleanup()
    {
        const qint64 pid = PidOfProgram(m_program);
        if (pid <= 0)
            return;
        ::kill(pid_t(pid), SIGTERM);
        if (!WaitFor([&] { return PidOfProgram(m_program) == 0; }, 5000))
            ::kill(pid_t(pid), SIGKILL);
    }

private:
    QString m_program;
};

TEST(ClientHostE2e, HostsARealServerAndReachesThePlayerList)
{
    const QString built = qEnvironmentVariable("QUILLORY_BIN_DIR") + QStringLiteral("/QuilloryServer");
    if (!QFile::exists(built))
        GTEST_SKIP() << "QuilloryServer is not built (looked for " << built.toStdString() << ")";
    // Another program on this machine may hold the game port for a while (a server of another test run).
    if (!WaitFor(GamePortFree, 60000))
        GTEST_SKIP() << "UDP port 7200 stayed taken by another program for 60 s; cannot host here";

    QApplication::setQuitOnLastWindowClosed(false);
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString program = folder.filePath(QStringLiteral("QuilloryServer"));
    ASSERT_TRUE(QFile::copy(built, program));
    ServerCleanup cleanup(program);
    // Client and server share the settings files of this folder, as they do when installed together.
    modOptions::SetOptionsDirectory(folder.path());
    ModData modData;
    modData.ResetAll();
    SaveOption(QStringLiteral("Name"), QStringLiteral("Ann"));

    UdpSocketFactory sockets;
    InterfaceNetwork network;
    ScriptedDialogs dialogs;
    JoinConfig config;
    config.serverProgram = program;
    frmMain window(modData, sockets, dialogs, config);
    window.SetProgramStarter([](const QString &path) { return StartProgramMinimized(path); });
    WireStartSteps(window, modData, sockets, dialogs, network);
    window.show();
    QSignalSpy completed(&window, &frmMain::JoinCompleted);

    // The player fills the host dialog: an address of this machine, a welcome text and a password.
    dialogs.OnModal([](QDialog &dialog) {
        auto &host = dynamic_cast<frmHost &>(dialog);
        host.txtIP->setText(QStringLiteral("127.0.0.2"));
        host.txtWelcomeMessage->setPlainText(QStringLiteral("Hello from %v"));
        host.txtPassword->setText(QStringLiteral("s3cret"));
        host.cmdHost->click();
        return int(host.result());
    });
    window.cmdHost->click();

    ASSERT_TRUE(WaitFor([&] { return completed.count() == 1; }, 15000))
        << "status: " << window.lblStatus->text().toStdString()
        << "; boxes: " << dialogs.Texts().join('|').toStdString();
    EXPECT_GT(PidOfProgram(program), 0) << "the server runs from the client's folder";
    EXPECT_EQ(modData.OwnPort, QStringLiteral("7201"))
        << "the server holds 7200, the client takes the next port";
    EXPECT_EQ(modData.ServerHost, QStringLiteral("127.0.0.2"));
    // The server answers from the address its route to the client gives, not the one typed; the
    // game window will hear that address only.
    EXPECT_EQ(modData.ServerIP, QStringLiteral("127.0.0.1"));
    // The host typed the password a moment ago: the client joins its own server with it, unasked.
    EXPECT_FALSE(dialogs.Texts().contains(QStringLiteral("Private server, please enter password:")));
    EXPECT_TRUE(modData.IsHost);
    EXPECT_FALSE(modData.JoinedMidRound);
    EXPECT_EQ(modData.WelcomeText, QStringLiteral("Hello from 1.04 (beta)"));
    ASSERT_EQ(modData.PlayerCount, 1);
    EXPECT_EQ(modData.Players[1].Name, QStringLiteral("Ann"));

    // The server's own list holds the name.
    QUdpSocket asker;
    ASSERT_TRUE(asker.bind(QHostAddress::LocalHost, 0));
    asker.writeDatagram(QStringLiteral("GETPLAYERLIST PORT=%1;").arg(asker.localPort()).toUtf8(),
                        QHostAddress::LocalHost, 7200);
    ASSERT_TRUE(WaitFor([&] { return asker.hasPendingDatagrams(); }, 5000));
    EXPECT_EQ(QString::fromUtf8(asker.receiveDatagram().data()),
              QStringLiteral("PLAYERLIST COUNT=1;P1=Ann;"));
}

} // namespace
