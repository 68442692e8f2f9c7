// The real QuilloryServer over real UDP: joining, plain requests, silence, the local site.
#include "E2eSupport.h"

namespace
{

const QString kVer = QStringLiteral("1.04 (beta)");

QString connectText(UdpPeer &p, const QString &password = {})
{
    return "CONNECT VER=" + kVer + ";NAME=" + p.Name() + ";PORT=" + p.Port() + ";PWD=" + password + ";";
}

TEST(ServerE2e, JoinsRequestsAndTheSite)
{
    ServerProcess server;
    QString why;
    ASSERT_TRUE(
        server.Start({{"Welcome", "%p user(s) connected to Quillory Server %v"}, {"Password", ""}}, &why))
        << why.toStdString();

    UdpPeer ann("Ann", 7201);
    UdpPeer bob("Bob", 7202);
    ASSERT_TRUE(ann.Bound() && bob.Bound());

    ann.Send(connectText(ann));
    EXPECT_EQ(ann.Take(3), QStringList({"MESSAGE 1 user(s) connected to Quillory Server 1.04 (beta)",
                                        "ISHOST NAME=Ann;", "CONNECTACCEPT PLAYING=no;"}));
    bob.Send(connectText(bob));
    EXPECT_EQ(bob.Take(3), QStringList({"MESSAGE 2 user(s) connected to Quillory Server 1.04 (beta)",
                                        "CONNECTACCEPT PLAYING=no;", "TURN NAME=Ann;"}));
    EXPECT_EQ(ann.Take(1), QStringList({"JOIN NAME=Bob;"}));

    bob.Send("GETPLAYERLIST PORT=" + bob.Port() + ";");
    EXPECT_EQ(bob.Take(1), QStringList({"PLAYERLIST COUNT=2;P1=Ann;P2=Bob;"}));

    UdpPeer browser("", 7203);
    browser.Send("STATUS SERVER=127.0.0.1;PORT=" + browser.Port() + ";");
    EXPECT_EQ(browser.Take(1), QStringList({"STATUS VER=1.04 (beta);#=2;SERVER=127.0.0.1;"}));

    ann.Send("PINGME " + ann.Port());
    const QStringList ping = ann.Take(1);
    ASSERT_EQ(ping.size(), 1);
    EXPECT_TRUE(ping[0].startsWith("PING TIME=") && ping[0].endsWith(";")) << ping[0].toStdString();
    const QString tick = ping[0].mid(10).chopped(1);
    ann.Send("PONG NAME=Ann;TIME=" + tick + ";");
    const QStringList pingIs = bob.Take(1);
    ASSERT_EQ(pingIs.size(), 1);
    EXPECT_TRUE(pingIs[0].startsWith("PINGIS NAME=Ann;PING=")) << pingIs[0].toStdString();

    const QString chat = "CHAT NAME=Ann;TEXT=hello; = ü";
    ann.Send(chat);
    EXPECT_EQ(bob.Take(1), QStringList({chat}));
    EXPECT_EQ(ann.WaitFor("CHAT "), chat);

    bob.Send("DISCONNECT NAME=bob;");
    EXPECT_EQ(ann.Take(1), QStringList({"LEAVE NAME=bob;"}));

    // The encyclopedia is served on TCP 7200 alongside.
    int status = 0;
    const QByteArray page = HttpGet("http://127.0.0.1:7200/wiki/Main_Page", &status);
    EXPECT_EQ(status, 200);
    EXPECT_TRUE(page.contains("Main Page - Wikipedia, the free encyclopedia"));

    // A second copy ends at once and leaves the first one serving.
    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    second.setProcessEnvironment(env);
    second.start(server.Folder() + "/QuilloryServer", {});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 0);
    browser.Send("STATUS SERVER=x;PORT=" + browser.Port() + ";");
    EXPECT_EQ(browser.Take(1), QStringList({"STATUS VER=1.04 (beta);#=1;SERVER=x;"}));
}

TEST(ServerE2e, PasswordIsAskedForAndChecked)
{
    ServerProcess server;
    QString why;
    ASSERT_TRUE(server.Start({{"Password", "hunter2"}}, &why)) << why.toStdString();
    UdpPeer ann("Ann", 7201);
    ann.Send(connectText(ann));
    EXPECT_EQ(ann.Take(1), QStringList({"NEEDPWD"}));
    ann.Send(connectText(ann, "Hunter2"));
    EXPECT_EQ(ann.Take(1), QStringList({"CONNECTREJECT ERROR=-100;"}));
    ann.Send("CONNECT VER=1.03;NAME=Ann;PORT=7201;PWD=hunter2;");
    EXPECT_EQ(ann.Take(1), QStringList({"CONNECTREJECT VER=1.04 (beta);"}));
    ann.Send(connectText(ann, "hunter2"));
    EXPECT_EQ(ann.Take(2), QStringList({"ISHOST NAME=Ann;", "CONNECTACCEPT PLAYING=no;"}));
}

TEST(ServerE2e, SilentPlayerIsDroppedAfterAboutTwentySeconds)
{
    ServerProcess server;
    QString why;
    ASSERT_TRUE(server.Start({}, &why)) << why.toStdString();
    UdpPeer ann("Ann", 7201);
    UdpPeer bob("Bob", 7202);
    ann.Send(connectText(ann));
    ASSERT_EQ(ann.Take(2).size(), 2);
    bob.Send(connectText(bob));
    ASSERT_EQ(bob.Take(1).size(), 1);
    ASSERT_EQ(ann.Take(1), QStringList({"JOIN NAME=Bob;"}));

    // Bob answers pings like a live client; Ann stays silent.
    QElapsedTimer t;
    t.start();
    QString annHeard;
    QString bobDrop;
    while (t.elapsed() < 40000 && annHeard.isEmpty()) {
        bob.Send("PINGME " + bob.Port());
        const QString ping = bob.WaitFor("PING TIME=", 2000);
        if (!ping.isEmpty())
            bob.Send("PONG NAME=Bob;TIME=" + ping.mid(10).chopped(1) + ";");
        QTest::qWait(3000);
        for (const QString &d : ann.got) {
            if (d == "DISCONNECT")
                annHeard = d;
        }
        for (const QString &d : bob.got) {
            if (d.startsWith("DROP "))
                bobDrop = d;
        }
    }
    std::printf("Ann dropped after %.1f s of silence\n", t.elapsed() / 1000.0);
    EXPECT_EQ(annHeard, "DISCONNECT");
    if (bobDrop.isEmpty())
        bobDrop = bob.WaitFor("DROP ", 2000);
    EXPECT_EQ(bobDrop, "DROP NAME=Ann;");
    UdpPeer probe("", 7203);
    probe.Send("GETPLAYERLIST PORT=7203;");
    EXPECT_EQ(probe.Take(1), QStringList({"PLAYERLIST COUNT=1;P1=Bob;"}));
}

TEST(ServerE2e, TermAndInterruptEndItLikeClosingTheWindow)
{
    for (const int signal : {SIGTERM, SIGINT}) {
        ServerProcess server;
        QString why;
        ASSERT_TRUE(server.Start({}, &why)) << why.toStdString();
        UdpPeer ann("Ann", 7201);
        UdpPeer bob("Bob", 7202);
        ann.Send(connectText(ann));
        ASSERT_EQ(ann.Take(2).size(), 2) << signal;
        bob.Send(connectText(bob));
        ASSERT_EQ(bob.Take(2).size(), 2) << signal; // CONNECTACCEPT and who chooses
        ann.Drain();

        server.Signal(signal);
        // Why, then the farewell itself.
        EXPECT_EQ(ann.Take(2), QStringList({"BYE REASON=stopped;", "DISCONNECT"})) << signal;
        EXPECT_EQ(bob.Take(2), QStringList({"BYE REASON=stopped;", "DISCONNECT"})) << signal;
        int exitCode = -1;
        EXPECT_TRUE(server.EndsCleanly(10000, &exitCode)) << signal;
        EXPECT_EQ(exitCode, 0) << signal;
    }
}

} // namespace
