// The built programs as a user or a service manager meets them: the usage, one plain line when there
// is no display, and SIGTERM or SIGINT ending the client as closing its game window does.
#include "../round/RoundPlayer.h"
#include "../server/E2eSupport.h"

#include "client/app/ClientEnd.h"

#include <QFile>
#include <QProcess>
#include <csignal>

namespace
{

QString Program(const QString &name)
{
    return qEnvironmentVariable("QUILLORY_BIN_DIR") + QLatin1Char('/') + name;
}

struct Ended {
    int code = -1;
    bool normalExit = false;
    QString out;
    QString err;
};

Ended RunToEnd(const QString &program, const QStringList &arguments, const QProcessEnvironment &env)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    Ended run;
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished(5000);
        return run;
    }
    run.code = process.exitCode();
    run.normalExit = process.exitStatus() == QProcess::NormalExit;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// No display server named; `platform` for QT_QPA_PLATFORM, unset when empty.
QProcessEnvironment WithoutDisplay(const QString &platform)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.remove("QT_QPA_PLATFORM");
    if (!platform.isEmpty())
        env.insert("QT_QPA_PLATFORM", platform);
    return env;
}

const QString kClientNoDisplay = "Quillory needs a display: DISPLAY and WAYLAND_DISPLAY are not set.\n";
const QString kServerNoDisplay = "QuilloryServer needs a display for its window: DISPLAY and WAYLAND_DISPLAY "
                                 "are not set; use --headless to serve without one.\n";

TEST(ProgramsE2e, WithoutADisplayTheyExplainInsteadOfAborting)
{
    struct Case {
        QString program;
        QString platform;
        QString err;
    };
    const Case cases[] = {
        {"Quillory", "", kClientNoDisplay},          {"Quillory", "xcb", kClientNoDisplay},
        {"Quillory", "wayland", kClientNoDisplay},   {"QuilloryServer", "", kServerNoDisplay},
        {"QuilloryServer", "xcb", kServerNoDisplay},
    };
    for (const Case &c : cases) {
        const std::string what = (c.program + " with QT_QPA_PLATFORM=" + c.platform).toStdString();
        const Ended run = RunToEnd(Program(c.program), {}, WithoutDisplay(c.platform));
        EXPECT_TRUE(run.normalExit) << what << ": ended by a signal, as Qt's abort does";
        EXPECT_EQ(run.code, 1) << what;
        EXPECT_EQ(run.err, c.err) << what;
        EXPECT_EQ(run.out, QString()) << what;
    }
}

TEST(ProgramsE2e, HelpNeedsNoDisplay)
{
    struct Case {
        QString program;
        QStringList arguments;
        QStringList mentions;
    };
    const Case cases[] = {
        {"Quillory", {"--help"}, {"/Quillory [options]", "-h, --help"}},
        {"Quillory", {"-h"}, {"/Quillory [options]"}},
        {"QuilloryServer", {"--help"}, {"/QuilloryServer [options]", "--headless"}},
        {"QuilloryServer", {"--headless", "--help"}, {"/QuilloryServer [options]", "--headless"}},
    };
    for (const Case &c : cases) {
        const std::string what = (c.program + " " + c.arguments.join(' ')).toStdString();
        const Ended run = RunToEnd(Program(c.program), c.arguments, WithoutDisplay(QString()));
        EXPECT_TRUE(run.normalExit) << what;
        EXPECT_EQ(run.code, 0) << what << run.err.toStdString();
        EXPECT_TRUE(run.out.startsWith("Usage: ")) << what << " says:\n" << run.out.toStdString();
        for (const QString &text : c.mentions)
            EXPECT_TRUE(run.out.contains(text)) << what << " says:\n" << run.out.toStdString();
    }
}

// Whether the process handles the signal itself yet: its handler is installed once the program runs.
bool Catches(qint64 pid, int signal)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signal - 1)) & 1;
    }
    return false;
}

TEST(ProgramsE2e, ClientNotJoinedEndsCleanlyOnSigtermAndSigint)
{
    QTemporaryDir config;
    for (const int signal : {SIGTERM, SIGINT}) {
        QProcess client;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_CONFIG_HOME", config.path());
        client.setProcessEnvironment(env);
        // Its own folder, so that the start window's settings stay out of the build.
        QTemporaryDir folder;
        const QString program = folder.filePath("Quillory");
        ASSERT_TRUE(QFile::copy(Program("Quillory"), program));
        client.start(program, {});
        ASSERT_TRUE(client.waitForStarted(10000));
        ASSERT_TRUE(QTest::qWaitFor([&] { return Catches(client.processId(), signal); }, 20000))
            << "the client never caught signal " << signal;
        ::kill(pid_t(client.processId()), signal);
        ASSERT_TRUE(client.waitForFinished(10000)) << "signal " << signal;
        EXPECT_EQ(client.exitStatus(), QProcess::NormalExit) << "signal " << signal;
        EXPECT_EQ(client.exitCode(), 0) << "signal " << signal;
    }
}

// A joined client, as the real program wires it: the signal closes the game window, whose DISCONNECT
// the real server hears at once, and the game windows go.
TEST(ProgramsE2e, JoinedClientDisconnectsOnSigterm)
{
    ServerProcess server;
    QString why;
    ASSERT_TRUE(server.Start({}, &why, 20000, Launch{{"--headless"}, {}, {}})) << why.toStdString();
    Player ann("Ann");
    ASSERT_TRUE(ann.Join()) << ann.State();
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.Output().contains(" Ann joined (1 player)\n"); }, 5000))
        << server.Output().toStdString();

    const auto endOnSignal = EndClientOnTerminateSignals(*ann.session);
    ASSERT_NE(endOnSignal, nullptr);
    ::raise(SIGTERM);
    EXPECT_TRUE(QTest::qWaitFor([&] { return server.Output().contains(" Ann left (0 players)\n"); }, 10000))
        << server.Output().toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !ann.session->HasGame(); }, 10000));
}

} // namespace
