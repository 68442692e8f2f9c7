// The dedicated server for real: QuilloryServer --headless with no display at all, over real UDP,
// and the host's settings reaching it when the programs' folder is read-only, as when installed.
#include "E2eSupport.h"

#include "client/ModData.h"
#include "client/host/frmHost.h"
#include "fakes/ScriptedDialogs.h"
#include "settings/Options.h"

#include <QLineEdit>
#include <QLockFile>
#include <QPlainTextEdit>

namespace
{

const QString kVer = QStringLiteral("1.04 (beta)");

QString connectText(UdpPeer &p, const QString &password = {})
{
    return "CONNECT VER=" + kVer + ";NAME=" + p.Name() + ";PORT=" + p.Port() + ";PWD=" + password + ";";
}

// No display of any kind; a window system asked for anyway would end the program at once.
void NoDisplay(QProcessEnvironment &env)
{
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.insert("QT_QPA_PLATFORM", "xcb");
}

TEST(ServerHeadlessE2e, ServesReportsPlayersAndEndsOnSigterm)
{
    ServerProcess server;
    QString why;
    Launch launch{{"--headless", "--report-interval-ms=200"}, {}, NoDisplay};
    ASSERT_TRUE(server.Start({{"Welcome", "Hi from %v"}}, &why, 20000, launch)) << why.toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return server.Output().contains(" Players (0): none\n"); }, 5000))
        << server.Output().toStdString();

    UdpPeer ann("Ann", 7201);
    ann.Send(connectText(ann));
    EXPECT_EQ(ann.Take(3),
              QStringList({"MESSAGE Hi from 1.04 (beta)", "ISHOST NAME=Ann;", "CONNECTACCEPT PLAYING=no;"}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return server.Output().contains(" Players (1): Ann\n"); }, 5000))
        << server.Output().toStdString();
    // Nothing changed: several intervals pass without another report.
    QTest::qWait(1000);
    EXPECT_EQ(server.Output().count("Players ("), 2) << server.Output().toStdString();
    EXPECT_TRUE(server.Output().contains(" Encyclopedia: built-in encyclopedia"));

    QLockFile lock(QDir::temp().filePath("QuilloryServer.lock"));
    EXPECT_FALSE(lock.tryLock(0)) << "the running server holds the machine's one-server lock";
    server.Signal(SIGTERM);
    EXPECT_EQ(ann.WaitFor("DISCONNECT"), "DISCONNECT");
    int code = -1;
    ASSERT_TRUE(server.EndsCleanly(10000, &code));
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(lock.tryLock(0)) << "the lock went with the server";
}

TEST(ServerHeadlessE2e, HostSettingsReachTheServerFromAReadOnlyFolder)
{
    const QString folder = qEnvironmentVariable("QUILLORY_READONLY_BIN_DIR");
    if (folder.isEmpty())
        GTEST_SKIP() << "runs through readonly_program_folder.sh";
    if (modOptions::CanWriteIn(folder))
        GTEST_SKIP() << "no read-only folder could be made here (root without a mount namespace)";
    QTemporaryDir config;
    ASSERT_TRUE(config.isValid());
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());

    // The client beside the server picks its settings folder by the same rule; the player types
    // the welcome text and password in the host dialog.
    modOptions::SetOptionsDirectory(
        modOptions::ChooseOptionsDirectory(folder, modOptions::UserOptionsDirectory()));
    {
        ModData data;
        ScriptedDialogs dialogs;
        frmHost host(data, dialogs);
        host.txtWelcomeMessage->setPlainText("Welcome to %v");
        host.txtPassword->setText("s3cret");
    }
    modOptions::SetOptionsDirectory(QString());
    EXPECT_TRUE(QFile::exists(config.path() + "/Quillory/Password.dat"));

    ServerProcess server;
    QString why;
    Launch launch{{"--headless"}, folder + "/QuilloryServer", [&](QProcessEnvironment &env) {
                      NoDisplay(env);
                      env.insert("XDG_CONFIG_HOME", config.path());
                  }};
    ASSERT_TRUE(server.Start({}, &why, 20000, launch)) << why.toStdString();
    UdpPeer ann("Ann", 7201);
    ann.Send(connectText(ann));
    EXPECT_EQ(ann.Take(1), QStringList({"NEEDPWD"}));
    ann.Send(connectText(ann, "s3cret"));
    EXPECT_EQ(ann.Take(3), QStringList({"MESSAGE Welcome to 1.04 (beta)", "ISHOST NAME=Ann;",
                                        "CONNECTACCEPT PLAYING=no;"}));
    qunsetenv("XDG_CONFIG_HOME");
}

} // namespace
