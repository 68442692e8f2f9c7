// Two players race over the real server: the host verifies two words and starts; the guest clicks
// its way to the destination and wins; everybody sees the win, the route and the score; the
// winner's chooser opens. In the second round both players open a talk page, and the round ends
// in NEWGAME with the named player's chooser open.
//
// The host is this test process; the guest is a second copy of this program running GuestPlays.

#include "../server/E2eSupport.h"
#include "RoundPlayer.h"

#include "client/JoinSession.h"
#include "client/ModData.h"
#include "client/chat/frmChat.h"
#include "client/game/frmGame.h"
#include "client/scores/frmScores.h"
#include "client/session/GameSession.h"
#include "client/winner/frmWinner.h"
#include "fakes/ScriptedDialogs.h"
#include "platform/qt/UdpSocket.h"
#include "platform/qt/WebBrowser.h"
#include "settings/Options.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <cstdio>

namespace
{

const char kGuestDirVariable[] = "QUILLORY_ROUND_GUEST_DIR";

// The two processes keep in step through small files in the guest's folder.
void Signal(const QString &dir, const QString &name)
{
    QFile f(dir + QLatin1Char('/') + name);
    if (f.open(QIODevice::WriteOnly))
        f.write("1");
}
bool AwaitSignal(const QString &dir, const QString &name)
{
    return QTest::qWaitFor([&] { return QFile::exists(dir + QLatin1Char('/') + name); }, kStepMs);
}

void Note(const char *what, qint64 ms)
{
    std::printf("[round_e2e] %s: %lld ms\n", what, static_cast<long long>(ms));
    std::fflush(stdout);
}

// The second player, run as its own process by HostVerifiesGuestWinsThenEveryoneIsOut.
TEST(RoundE2e, GuestPlays)
{
    const QString dir = qEnvironmentVariable(kGuestDirVariable);
    if (dir.isEmpty())
        GTEST_SKIP() << "runs only as the second player of HostVerifiesGuestWinsThenEveryoneIsOut";
    QFile report(dir + QStringLiteral("/guest.txt"));
    ASSERT_TRUE(report.open(QIODevice::WriteOnly | QIODevice::Truncate));
    auto say = [&report](const QString &line) {
        report.write((line + QLatin1Char('\n')).toUtf8());
        report.flush();
    };

    Player bob(QStringLiteral("Bob"));
    ASSERT_TRUE(bob.Join());
    say(QStringLiteral("joined port=") + bob.modData.OwnPort);
    ASSERT_TRUE(bob.PageShown(QStringLiteral("Main Page"))) << bob.State();
    Signal(dir, QStringLiteral("guest_ready"));

    // Round 1: the host chose Cat -> Dog; one click wins, once both players have the start article.
    ASSERT_TRUE(bob.RoundRunsWith(QStringLiteral("Cat"))) << bob.State();
    ASSERT_TRUE(bob.PageShown(QStringLiteral("Cat"))) << bob.State();
    ASSERT_TRUE(AwaitSignal(dir, QStringLiteral("host_in_round"))) << bob.State();
    bob.Click(QStringLiteral("dogs"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return bob.session->ChooserShown(); }, kStepMs))
        << "the winner's chooser did not open" << bob.State();
    ASSERT_TRUE(bob.ChatShows(QStringLiteral("GAME: The winning route was: \r\nCat --> Dog")));
    say(QStringLiteral("chooser opened after winning"));
    say(QStringLiteral("score=") +
        bob.session->Scores()->lblScores->text().replace(QStringLiteral("\r\n"), QStringLiteral("|")));

    // Round 2, chosen by the winner once the host has looked at the end of round 1.
    ASSERT_TRUE(AwaitSignal(dir, QStringLiteral("host_saw_win"))) << bob.State();
    QString resolved;
    ASSERT_TRUE(bob.ChooseWords(QStringLiteral("Horse"), QStringLiteral("bee"), &resolved))
        << resolved.toStdString() << bob.State();
    say(QStringLiteral("round 2 words ") + resolved);
    ASSERT_TRUE(bob.RoundRunsWith(QStringLiteral("Horse"))) << bob.State();
    ASSERT_TRUE(bob.PageShown(QStringLiteral("Horse"))) << bob.State();
    bob.Click(QStringLiteral("Talk"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !bob.modData.Chooser.isEmpty(); }, kStepMs))
        << "no NEWGAME" << bob.State();
    QTest::qWait(500);
    say(QStringLiteral("newgame chooser=") + bob.modData.Chooser + QStringLiteral(" shown=") +
        (bob.session->ChooserShown() ? QStringLiteral("yes") : QStringLiteral("no")));
    QFile chat(dir + QStringLiteral("/guest_chat.txt"));
    ASSERT_TRUE(chat.open(QIODevice::WriteOnly | QIODevice::Truncate));
    chat.write(bob.Chat().toUtf8());
    chat.close();
    say(QStringLiteral("done"));
}

TEST(RoundE2e, HostVerifiesGuestWinsThenEveryoneIsOut)
{
    if (!qEnvironmentVariableIsEmpty(kGuestDirVariable))
        GTEST_SKIP() << "this process is the guest";
    const QString built = qEnvironmentVariable("QUILLORY_BIN_DIR") + QStringLiteral("/QuilloryServer");
    if (!QFile::exists(built))
        GTEST_SKIP() << "QuilloryServer is not built yet (looked for " << built.toStdString() << ")";
    QElapsedTimer total;
    total.start();

    ServerProcess server;
    QString why;
    ASSERT_TRUE(server.Start({}, &why)) << why.toStdString();

    Player ann(QStringLiteral("Ann"));
    ASSERT_TRUE(ann.Join());
    EXPECT_TRUE(ann.modData.IsHost);
    ASSERT_TRUE(ann.session->ChooserShown()) << "the host's chooser";
    ASSERT_TRUE(ann.PageShown(QStringLiteral("Main Page"))) << "the encyclopedia of the server";

    QTemporaryDir guestDir;
    QProcess guest;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(kGuestDirVariable, guestDir.path());
    guest.setProcessEnvironment(env);
    guest.setProcessChannelMode(QProcess::ForwardedChannels);
    guest.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=RoundE2e.GuestPlays")});
    ASSERT_TRUE(guest.waitForStarted(10000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return ann.modData.PlayerCount == 2; }, kStepMs)) << "Bob did not join";
    EXPECT_TRUE(ann.ChatShows(QStringLiteral("GAME: Bob has joined the game.")));
    ASSERT_TRUE(AwaitSignal(guestDir.path(), QStringLiteral("guest_ready"))) << "Bob's encyclopedia";

    // Round 1: the host verifies "Kitten" (a redirect) and "dog" and starts.
    QElapsedTimer round;
    round.start();
    QString resolved;
    ASSERT_TRUE(ann.ChooseWords(QStringLiteral("Kitten"), QStringLiteral("dog"), &resolved))
        << resolved.toStdString();
    EXPECT_EQ(resolved, QStringLiteral("Cat/Dog"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !ann.session->ChooserShown(); }, kStepMs));
    ASSERT_TRUE(ann.RoundRunsWith(QStringLiteral("Cat"))) << ann.State();
    ASSERT_TRUE(ann.PageShown(QStringLiteral("Cat"))) << ann.State();
    EXPECT_TRUE(ann.ChatShows(QStringLiteral("GAME: The game has begun!"))) << ann.State();
    Signal(guestDir.path(), QStringLiteral("host_in_round"));
    ASSERT_TRUE(ann.ChatShows(QStringLiteral("GAME: Bob has won the round in 1 click!"))) << ann.State();
    ASSERT_TRUE(ann.ChatShows(QStringLiteral("GAME: The winning route was: \r\nCat --> Dog"))) << ann.State();
    Note("round 1, Start to the winning route", round.elapsed());
    EXPECT_TRUE(ann.ChatShows(QStringLiteral("GAME: Bob now chooses the next words.")));
    EXPECT_FALSE(ann.modData.InRound) << ann.State();
    const qint32 bob = ann.modData.FindPlayer(QStringLiteral("Bob"));
    ASSERT_GT(bob, 0);
    EXPECT_EQ(ann.modData.Players[bob].Wins, 1);
    EXPECT_TRUE(ann.session->Scores()->lblScores->text().contains(QStringLiteral("1 / 1 / 1")))
        << ann.session->Scores()->lblScores->text().toStdString();
    EXPECT_FALSE(ann.session->ChooserShown()) << "only the winner chooses";
    Signal(guestDir.path(), QStringLiteral("host_saw_win"));

    // Round 2: the winner's words; both players open a talk page and are out.
    round.restart();
    ASSERT_TRUE(ann.RoundRunsWith(QStringLiteral("Horse"))) << ann.State();
    ASSERT_TRUE(ann.PageShown(QStringLiteral("Horse"))) << ann.State();
    ann.Click(QStringLiteral("Talk"));
    ASSERT_TRUE(
        ann.ChatShows(QStringLiteral("Ann has been disqualified for visiting an illegal page: \"talk\"")))
        << ann.State();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !ann.modData.Chooser.isEmpty(); }, kStepMs))
        << "no NEWGAME" << ann.State();
    Note("round 2, start to NEWGAME", round.elapsed());
    EXPECT_FALSE(ann.modData.InRound);
    const bool annChooses = ann.modData.Chooser == QLatin1String("Ann");
    EXPECT_TRUE(annChooses || ann.modData.Chooser == QLatin1String("Bob"))
        << ann.modData.Chooser.toStdString();
    QTest::qWait(300);
    EXPECT_EQ(ann.session->ChooserShown(), annChooses);

    ASSERT_TRUE(guest.waitForFinished(kStepMs));
    EXPECT_EQ(guest.exitCode(), 0);
    QFile report(guestDir.filePath(QStringLiteral("guest.txt")));
    ASSERT_TRUE(report.open(QIODevice::ReadOnly));
    const QString lines = QString::fromUtf8(report.readAll());
    EXPECT_TRUE(lines.contains(QStringLiteral("chooser opened after winning"))) << lines.toStdString();
    EXPECT_TRUE(lines.contains(QRegularExpression(QStringLiteral("score=[^\n]*1 / 1 / 1"))))
        << lines.toStdString();
    EXPECT_TRUE(lines.contains(QStringLiteral("round 2 words Horse/Bee"))) << lines.toStdString();
    EXPECT_TRUE(lines.contains(QStringLiteral("newgame chooser=") + ann.modData.Chooser +
                               QStringLiteral(" shown=") +
                               (annChooses ? QStringLiteral("no") : QStringLiteral("yes"))))
        << lines.toStdString();
    QFile chat(guestDir.filePath(QStringLiteral("guest_chat.txt")));
    ASSERT_TRUE(chat.open(QIODevice::ReadOnly));
    const QString guestChat = QString::fromUtf8(chat.readAll());
    for (const QString &line :
         {QStringLiteral("GAME: Bob has won the round in 1 click!"),
          QStringLiteral("GAME: The winning route was: \r\nCat --> Dog"),
          QStringLiteral("Bob has been disqualified for visiting an illegal page: \"talk\"")})
        EXPECT_TRUE(guestChat.contains(line)) << line.toStdString();
    Note("whole test", total.elapsed());
}

} // namespace
