#include "GameTestSupport.h"
#include "ScriptedWindowsTest.h"
#include "WindowTestSupport.h"
#include "common/AccessibleWalk.h"

#include "client/WindowPlacement.h"
#include "client/chat/frmChat.h"
#include "client/game/ResultsView.h"
#include "client/game/RoundBar.h"
#include "client/game/frmGame.h"
#include "client/scores/frmScores.h"
#include "client/winner/frmWinner.h"
#include "fakes/ScriptedBrowser.h"
#include "platform/qt/UdpSocket.h"
#include "protocol/Decoders.h"
#include "protocol/Messages.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

namespace
{

using WindowsTest = ScriptedWindowsTest;

TEST_F(WindowsTest, OpeningShowsTheWindowsAndTheWelcomeText)
{
    modData.WelcomeText = QStringLiteral("Welcome; be=nice");
    Open({QStringLiteral("Ann"), QStringLiteral("Bob")}, true);
    ASSERT_TRUE(session->HasChat() && session->HasScores() && session->HasGame());
    EXPECT_TRUE(session->Chat()->isVisible());
    EXPECT_TRUE(session->Scores()->isVisible());
    EXPECT_TRUE(session->Game()->isVisible());
    EXPECT_TRUE(session->ChooserShown());
    EXPECT_EQ(session->Chat()->History(), QStringLiteral("GAME: Welcome; be=nice"));
    EXPECT_EQ(session->Chat()->lblPlayers->text(), QStringLiteral("Players (2):"));
    EXPECT_EQ(session->Chat()->lstPlayers->count(), 2);
    EXPECT_EQ(session->Game()->windowTitle(), QStringLiteral("Quillory"));
    EXPECT_EQ(browser->Navigations(), QStringList{"http://127.0.0.1:7200/wiki/Main_Page"});
    // The scoreboard under the chat, the chooser under it, the game window right of all three.
    const QRect chat = session->Chat()->frameGeometry(), scores = session->Scores()->frameGeometry(),
                chooser = session->Chooser()->frameGeometry(), game = session->GameWindow()->frameGeometry();
    EXPECT_EQ(scores.top(), chat.bottom() + 1);
    EXPECT_EQ(game.left(), std::max({chat.right(), scores.right(), chooser.right()}) + 1);
    EXPECT_FALSE(chooser.intersects(scores) || chooser.intersects(game) || chat.intersects(game));
    // The scoreboard's rows are in the application's own font size.
    EXPECT_EQ(session->Scores()->lblPlayers->font().pointSizeF(), QFont().pointSizeF());
    EXPECT_EQ(session->Game()->wbMain->pos(), QPoint(8, 8 + session->Game()->Bar()->height()));
}

// A server address picked or typed with blanks around it still leads to its site, so the pages of
// a round are the site's own and not off-site navigations.
TEST_F(WindowsTest, AServerAddressWithBlanksStillBrowsesItsSite)
{
    modData.ServerHost = QStringLiteral(" 127.0.0.1 ");
    Open({QStringLiteral("Ann")});
    EXPECT_EQ(session->Game()->Core().SiteHost(), QStringLiteral("127.0.0.1:7200"));
    EXPECT_EQ(browser->Navigations(), QStringList{"http://127.0.0.1:7200/wiki/Main_Page"});
    modData.InRound = true;
    session->Game()->Core().HandleBeforeNavigate(QStringLiteral("http://127.0.0.1:7200/wiki/Dog"));
    EXPECT_TRUE(Received().isEmpty());
}

// The controls that Tab visits after `from`, in order (labels and other unfocusable ones skipped).
QList<QWidget *> TabChain(QWidget *from, int count)
{
    QList<QWidget *> out;
    for (QWidget *w = from->nextInFocusChain(); w != from && out.size() < count; w = w->nextInFocusChain()) {
        if (w->focusPolicy() & Qt::TabFocus)
            out << w;
    }
    return out;
}

TEST_F(WindowsTest, TabOrderOfTheChooserAndTheChat)
{
    Open({QStringLiteral("Ann")}, true);
    frmWinner *w = session->Chooser();
    EXPECT_EQ(TabChain(w->cmdRandom1, 5), (QList<QWidget *>{w->txtInitial, w->txtDestination, w->cmdRandom2,
                                                            w->cmdStartGame, w->cmdVerify}));
    EXPECT_EQ(TabChain(session->Chat()->txtSend, 1), QList<QWidget *>{session->Chat()->cmdSend});
}

// A screen reader finds a name for every control of the game's windows, and reads each row of the
// scoreboard as one sentence.
TEST_F(WindowsTest, EveryControlHasAnAccessibleName)
{
    Open({QStringLiteral("Ann"), QStringLiteral("Bob")}, true);
    modData.Players[1] = PlayerInfo{QStringLiteral("Ann"), 1, 4, 2, 35};
    session->Scores()->UpdateList(ScoreFlags::All());
    ExpectAllNamed(session->Chat(), 6, {"Chat", "Chat message", "Send", "Players", "Ann", "Bob"});
    ExpectAllNamed(session->Scores(), 3,
                   {"Scoreboard", "Ann: 1 win, 4 clicks, 2 this round, 35 ms",
                    "Bob: 0 wins, 0 clicks, 0 this round, 0 ms"});
    ExpectAllNamed(session->Chooser(), 6,
                   {"Initial article", "Destination article", "Randomize", "Verify Words", "Start Game"});
    EXPECT_EQ(session->Game()->wbMain->accessibleName(), QStringLiteral("Article"));

    // A player who leaves leaves the scoreboard's rows too.
    modData.RemovePlayer(QStringLiteral("Ann"));
    session->Scores()->UpdateList(ScoreFlags::All());
    EXPECT_EQ(WalkAccessible(session->Scores()).names,
              (QStringList{"Scoreboard", "Bob: 0 wins, 0 clicks, 0 this round, 0 ms"}));
}

TEST_F(WindowsTest, NotHostNoChooserAndNoWelcomeLine)
{
    Open({QStringLiteral("Ann")});
    EXPECT_FALSE(session->ChooserShown());
    EXPECT_TRUE(session->Chat()->History().isEmpty());
}

TEST_F(WindowsTest, BrowserKeepsAnEightPixelMarginUnderTheRoundBar)
{
    Open({QStringLiteral("Ann")});
    frmGame *game = session->Game();
    QWidget *window = session->GameWindow();
    window->resize(500, 400);
    QCoreApplication::processEvents();
    const int bar = game->Bar()->height();
    const int w = game->width(), h = game->height();
    EXPECT_GT(bar, 0);
    EXPECT_EQ(w, 500);
    EXPECT_EQ(game->Bar()->geometry(), QRect(8, 8, w - 16, bar));
    EXPECT_EQ(game->wbMain->geometry(), QRect(8, 8 + bar, w - 16, h - 16 - bar));
    // Too small: the browser keeps its size.
    window->resize(300, window->height() - h + 20);
    QCoreApplication::processEvents();
    ASSERT_LT(game->height(), 16 + bar);
    EXPECT_EQ(game->wbMain->size(), QSize(w - 16, h - 16 - bar));
}

// Polls each player once, 100 ms apart, then stops; the keep-alive goes every 10 s.
TEST_F(WindowsTest, ScorePollingAndKeepAlive)
{
    Open({QStringLiteral("Ann"), QStringLiteral("Bob"), QStringLiteral("Cid")});
    EXPECT_EQ(session->Game()->tmrGetScores->interval(), 100);
    EXPECT_EQ(session->Game()->tmrPing->interval(), 10000);
    QElapsedTimer clock;
    clock.start();
    QStringList seen;
    QList<qint64> at;
    while (clock.elapsed() < 10500) {
        QTest::qWait(20);
        for (const QString &d : Received()) {
            seen << d;
            at << clock.elapsed();
        }
    }
    EXPECT_EQ(seen, (QStringList{"GETSCORE PORT=7201;NAME=Ann;", "GETSCORE PORT=7201;NAME=Bob;",
                                 "GETSCORE PORT=7201;NAME=Cid;", "PINGME 7201"}));
    EXPECT_FALSE(session->Game()->tmrGetScores->isActive());
    EXPECT_TRUE(session->Game()->tmrPing->isActive());
    for (int i = 0; i < at.size(); ++i)
        std::printf("  %-32s after %lld ms\n", qPrintable(seen.value(i)), static_cast<long long>(at[i]));
}

TEST_F(WindowsTest, ChatKeepsTheLastHundredLinesInView)
{
    Open({QStringLiteral("Ann")});
    for (int i = 1; i <= 150; ++i)
        FromServer(QStringLiteral("CHAT NAME=Bob;TEXT=line ") + QString::number(i));
    frmChat *chat = session->Chat();
    const QStringList lines = chat->History().split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 100);
    EXPECT_EQ(lines.first(), QStringLiteral("Bob: line 51"));
    EXPECT_EQ(lines.last(), QStringLiteral("Bob: line 150"));
    EXPECT_EQ(chat->txtChat->toPlainText().split(QLatin1Char('\n')).size(), 100);
    EXPECT_EQ(chat->txtChat->textCursor().position(), chat->txtChat->document()->characterCount() - 1);
    QScrollBar *bar = chat->txtChat->verticalScrollBar();
    EXPECT_EQ(bar->value(), bar->maximum());
}

TEST_F(WindowsTest, ChatSendsWhatIsTypedAndTimeCommands)
{
    Open({QStringLiteral("Ann")});
    Received();
    frmChat *chat = session->Chat();
    struct Row {
        QString typed;
        QStringList sent;
    };
    const Row rows[] = {
        {"  /TIME ", {"TIME PORT=7201;"}},
        {"/time please", {"CHAT NAME=Ann;TEXT=/time please"}},
        {"a;b=c", {"CHAT NAME=Ann;TEXT=a;b=c"}},
        {"", {}},
    };
    for (const Row &r : rows) {
        chat->txtSend->setText(r.typed);
        QTest::keyClick(chat->txtSend, Qt::Key_Return);
        EXPECT_EQ(Received(), r.sent) << r.typed.toStdString();
        EXPECT_TRUE(chat->txtSend->text().isEmpty());
    }
    chat->txtSend->setText(QStringLiteral("hi"));
    chat->cmdSend->click();
    EXPECT_EQ(Received(), QStringList{"CHAT NAME=Ann;TEXT=hi"});
}

TEST_F(WindowsTest, ChatScoreboardAndChooserRefuseTheCloseBox)
{
    Open({QStringLiteral("Ann")}, true);
    EXPECT_FALSE(session->Chat()->close());
    EXPECT_FALSE(session->Scores()->close());
    EXPECT_FALSE(session->Chooser()->close());
    EXPECT_TRUE(session->Chat()->isVisible());
    EXPECT_TRUE(session->Scores()->isVisible());
    EXPECT_TRUE(session->ChooserShown());
}

TEST_F(WindowsTest, ScoreboardRowsAndColumns)
{
    Open({QStringLiteral("Ann"), QStringLiteral("Bob")});
    frmScores *scores = session->Scores();
    EXPECT_EQ(scores->lblScores->text(), QStringLiteral("0 / 0 / 0\r\n0 / 0 / 0\r\n"));
    EXPECT_EQ(scores->lblStartWord->text(), QStringLiteral("None"));
    FromServer(msg::ScoreIs(QStringLiteral("Bob"), 2, 37, 5, QStringLiteral("yes")));
    EXPECT_EQ(scores->lblScores->text(), QStringLiteral("0 / 0 / 0\r\n2 / 37 / 5\r\n"));
    // A ping redraws its own column only.
    scores->lblPlayers->setText(QStringLiteral("untouched"));
    scores->lblScores->setText(QStringLiteral("untouched"));
    FromServer(msg::PingIs(QStringLiteral("Bob"), 120));
    EXPECT_EQ(scores->lblPings->text(), QStringLiteral("0ms\r\n120ms\r\n"));
    EXPECT_EQ(scores->lblPlayers->text(), QStringLiteral("untouched"));
    EXPECT_EQ(scores->lblScores->text(), QStringLiteral("untouched"));
    // A join rebuilds everything.
    FromServer(msg::Join(QStringLiteral("Cid")));
    EXPECT_EQ(scores->lblPlayers->text(), QStringLiteral("Ann\r\nBob\r\nCid\r\n"));
    EXPECT_EQ(session->Chat()->lblPlayers->text(), QStringLiteral("Players (3):"));
    FromServer(msg::StartGame({QStringLiteral("Cat"), QStringLiteral("Dog")}));
    EXPECT_EQ(scores->lblStartWord->text(), QStringLiteral("Cat"));
    EXPECT_EQ(scores->lblNextWord->text(), QStringLiteral("Dog"));
}

TEST_F(WindowsTest, ScoreboardSnapsItsSize)
{
    Open({QStringLiteral("Ann")});
    frmScores *scores = session->Scores();
    struct Row {
        QSize asked, got;
    };
    for (const Row &r :
         {Row{{100, 100}, {239, 208}}, Row{{400, 500}, {239, 500}}, Row{{239, 208}, {239, 208}}}) {
        scores->resize(r.asked);
        QCoreApplication::processEvents();
        EXPECT_EQ(scores->size(), r.got);
        EXPECT_EQ(scores->lblNextWord->y(), r.got.height() - 52);
        EXPECT_EQ(scores->lblPlayers->height(), r.got.height() - 136 - 32);
    }
}

TEST_F(WindowsTest, ClosingTheGameWindowSaysGoodbyeOnceAndClosesEverything)
{
    Open({QStringLiteral("Ann")}, true);
    Received();
    session->Game()->close();
    QCoreApplication::processEvents();
    EXPECT_EQ(Received(), QStringList{"DISCONNECT NAME=Ann;"});
    EXPECT_FALSE(session->HasChat());
    EXPECT_FALSE(session->HasScores());
    EXPECT_FALSE(session->ChooserShown());
    EXPECT_FALSE(session->HasGame());
    EXPECT_EQ(programEnds, 1);
}

TEST_F(WindowsTest, ServerDisconnectClosesWithoutAFarewell)
{
    Open({QStringLiteral("Ann")});
    Received();
    FromServer(QStringLiteral("DISCONNECT"));
    EXPECT_EQ(dialogs.Texts(), QStringList{"You have been disconnected from the game."});
    EXPECT_TRUE(Received().isEmpty());
    EXPECT_FALSE(session->HasGame());
    EXPECT_FALSE(session->HasChat());
    EXPECT_EQ(programEnds, 1);
}

// A ban followed by a stop sends DISCONNECT twice; the second arrives while the first notice waits
// for the player. One notice, one close, and nothing touches the window after it has gone.
TEST_F(WindowsTest, ASecondDisconnectWhileTheNoticeIsOpenClosesOnce)
{
    Open({QStringLiteral("Ann")});
    Received();
    int notices = 0;
    dialogs.OnMessage([&](const QString &) {
        if (++notices > 1)
            return;
        FromServer(QStringLiteral("DISCONNECT"));
        // The box's own event loop may delete a window closed meanwhile.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    });
    FromServer(QStringLiteral("DISCONNECT"));
    EXPECT_EQ(notices, 1);
    EXPECT_TRUE(Received().isEmpty());
    EXPECT_FALSE(session->HasGame());
    EXPECT_EQ(programEnds, 1);
}

// The game window over real UDP on free ports: the server's socket and a stranger's on the same
// machine, the stranger on another port.
class RealUdpWindowsTest : public WindowsTest
{
protected:
    void Adjust(GameServices &s) override
    {
        realServer = std::make_unique<UdpSocket>();
        ASSERT_TRUE(realServer->Bind(quint16(0)));
        UdpSocket probe;
        ASSERT_TRUE(probe.Bind(quint16(0)));
        ownPort = probe.LocalPort();
        probe.Close();
        modData.OwnPort = QString::number(ownPort);
        s.serverPort = realServer->LocalPort();
        s.createSocket = [] { return std::unique_ptr<DatagramSocket>(std::make_unique<UdpSocket>()); };
    }
    std::unique_ptr<UdpSocket> realServer;
    quint16 ownPort = 0;
};

TEST_F(RealUdpWindowsTest, OnlyTheServerIsHeard)
{
    modData.ServerIP = QStringLiteral("127.0.0.1");
    Open({QStringLiteral("Ann"), QStringLiteral("Bob")});
    UdpSocket stranger;
    ASSERT_TRUE(stranger.Bind(quint16(0)));
    for (const QString &text : {QStringLiteral("DISCONNECT"), msg::Winner(QStringLiteral("Bob")),
                                QStringLiteral("JOIN NAME=Eve;"), QStringLiteral("CHAT NAME=Eve;TEXT=fake")})
        stranger.SendTo(QStringLiteral("127.0.0.1"), ownPort, text);
    realServer->SendTo(QStringLiteral("127.0.0.1"), ownPort, QStringLiteral("CHAT NAME=Bob;TEXT=hello"));
    ASSERT_TRUE(QTest::qWaitFor(
        [this] { return session->Chat()->History().contains(QLatin1String("Bob: hello")); }, 5000));
    EXPECT_EQ(session->Chat()->History(), QStringLiteral("Bob: hello"));
    EXPECT_TRUE(dialogs.Texts().isEmpty());
    EXPECT_TRUE(session->HasGame());
    EXPECT_EQ(modData.PlayerCount, 2);

    realServer->SendTo(QStringLiteral("127.0.0.1"), ownPort, QStringLiteral("DISCONNECT"));
    ASSERT_TRUE(QTest::qWaitFor([this] { return programEnds == 1; }, 5000));
    EXPECT_EQ(dialogs.Texts(), QStringList{"You have been disconnected from the game."});
}

TEST_F(WindowsTest, ChooserKeysButtonsAndRandomWords)
{
    Open({QStringLiteral("Ann")}, true);
    Received();
    frmWinner *w = session->Chooser();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Choose Words"));
    EXPECT_TRUE(w->cmdVerify->isEnabled());
    EXPECT_FALSE(w->cmdStartGame->isEnabled());

    // Enter in the first box moves on and inserts nothing.
    w->activateWindow();
    w->txtInitial->setFocus();
    w->txtInitial->setText(QStringLiteral("Cat"));
    QTest::keyClick(w->txtInitial, Qt::Key_Return);
    EXPECT_EQ(w->txtInitial->text(), QStringLiteral("Cat"));

    // A random title fills the box and asks for a verification again.
    w->cmdVerify->setEnabled(false);
    w->cmdStartGame->setEnabled(true);
    FromServer(QStringLiteral("SETRANDOM SRC=2;URL=Dog;"));
    EXPECT_EQ(w->txtDestination->text(), QStringLiteral("Dog"));
    EXPECT_TRUE(w->cmdVerify->isEnabled());
    EXPECT_FALSE(w->cmdStartGame->isEnabled());
    EXPECT_EQ(session->Chat()->History(), QStringLiteral("GAME: Destination page randomized: \"Dog\""));

    w->cmdRandom1->click();
    EXPECT_EQ(Received(), QStringList{"GETRANDOM SRC=1;"});

    // Enter in the destination verifies words not verified yet: unverified words never start a round.
    QTest::keyClick(w->txtDestination, Qt::Key_Return);
    EXPECT_TRUE(w->Chooser().Verifying());
    EXPECT_TRUE(QTest::qWaitFor([w] { return !w->Chooser().Verifying(); }, 5000));
    EXPECT_TRUE(Received().filter(QStringLiteral("SETWORDS")).isEmpty());
    ASSERT_TRUE(w->cmdStartGame->isEnabled());
    // With the words verified, Enter starts, and the chooser goes.
    QTest::keyClick(w->txtDestination, Qt::Key_Return);
    EXPECT_EQ(Received().filter(QStringLiteral("SETWORDS")),
              QStringList{"SETWORDS COUNT=1;WORD0=Cat;WORD1=Dog;"});
    EXPECT_TRUE(QTest::qWaitFor([this] { return !session->ChooserShown(); }, 5000));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // The next opening starts empty.
    FromServer(msg::NewGame(QStringLiteral("Ann")));
    ASSERT_TRUE(session->ChooserShown());
    EXPECT_TRUE(session->Chooser()->txtInitial->text().isEmpty());
    EXPECT_TRUE(session->Chooser()->txtDestination->text().isEmpty());
}

TEST_F(WindowsTest, ChooserVerifiesThroughTheGameBrowser)
{
    Open({QStringLiteral("Ann")}, true);
    frmWinner *w = session->Chooser();
    w->txtInitial->setText(QStringLiteral("paris"));
    w->txtDestination->setText(QStringLiteral("rome"));
    browser->SetPage(QStringLiteral("http://127.0.0.1:7200/wiki/Special:Search?search=paris&go=Go"),
                     QStringLiteral("Paris") + kTitleSuffix);
    w->cmdVerify->click();
    QTest::qWaitFor([w] { return !w->Chooser().Verifying(); }, 5000);
    EXPECT_EQ(w->txtInitial->text(), QStringLiteral("Paris"));
    EXPECT_EQ(w->txtDestination->text(), QStringLiteral("rome"));
    EXPECT_FALSE(w->cmdVerify->isEnabled());
    EXPECT_TRUE(w->cmdStartGame->isEnabled());
    Received();
    w->cmdStartGame->click();
    EXPECT_EQ(Received(), QStringList{"SETWORDS COUNT=1;WORD0=Paris;WORD1=rome;"});
    EXPECT_TRUE(QTest::qWaitFor([this] { return !session->ChooserShown(); }, 5000));
}

// Enter while a verification waits for a page does nothing: neither button is enabled. When the
// chooser then goes, the waiting verification stops without touching it.
TEST_F(WindowsTest, EnterDuringAVerificationDoesNothing)
{
    Open({QStringLiteral("Ann")}, true);
    QPointer<frmWinner> w = session->Chooser();
    w->txtInitial->setText(QStringLiteral("Cat"));
    w->txtDestination->setText(QStringLiteral("Dog"));
    browser->SetAutoLoad(false); // the look-up never shows a page
    Received();
    w->cmdVerify->click();
    QTest::keyClick(w->txtDestination, Qt::Key_Return);
    QTest::keyClick(w->txtInitial, Qt::Key_Return);
    QTest::qWait(100);
    EXPECT_TRUE(Received().filter(QStringLiteral("SETWORDS")).isEmpty());
    EXPECT_TRUE(session->ChooserShown());
    EXPECT_TRUE(w->Chooser().Verifying());
    w->UnloadNow();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(w.isNull());
    EXPECT_TRUE(dialogs.Texts().isEmpty());
}

TEST_F(WindowsTest, WinnerOpensTheChooserOfTheWinnerOnly)
{
    Open({QStringLiteral("Ann"), QStringLiteral("Bob")});
    FromServer(msg::StartGame({QStringLiteral("Cat"), QStringLiteral("Dog")}));
    FromServer(msg::Winner(QStringLiteral("Bob")));
    EXPECT_FALSE(session->ChooserShown());
    FromServer(msg::StartGame({QStringLiteral("Cat"), QStringLiteral("Dog")}));
    Received();
    FromServer(msg::Winner(QStringLiteral("Ann")));
    EXPECT_TRUE(session->ChooserShown());
    EXPECT_EQ(Received(), QStringList{"SENDMYPATH NAME=Ann;PATH=Cat;"});
    EXPECT_EQ(session->Scores()->lblStartWord->text(), QStringLiteral("Cat"));
}

} // namespace

namespace
{

// The round bar and the results at the two screen sizes players have: the whole destination shows
// (wrapped, never cut), the bar leaves the article its room, and the results stay over the article,
// clear of the chooser's word boxes.
TEST_F(WindowsTest, RoundBarAndResultsFitTheScreen)
{
    Open({QStringLiteral("Ann"), QStringLiteral("Bob")}, true);
    const QString destination =
        QStringLiteral("Modern Sounds in Country and Western Music (Ray Charles album)");
    FromServer(msg::StartGame({QStringLiteral("Cat"), destination}));
    FromServer(msg::Par(4));
    FromServer(msg::Winner(QStringLiteral("Bob")));
    FromServer(msg::Shortest({1, 2, {"Cat", "Dog", destination}}));
    FromServer(
        msg::Result({1, "Bob", msg::Outcome::First, {}, 41000, 4, {"Cat", "Dog", "Fish", destination}}));
    FromServer(msg::Result({1, "Ann", msg::Outcome::Out, "talk", 9000, 1, {"Cat", "talk"}}));
    frmGame *game = session->Game();
    ASSERT_TRUE(game->Results()->isVisible()) << "the results open by themselves";
    ASSERT_EQ(game->Results()->Rows().size(), 2);
    EXPECT_EQ(game->Results()->Rows()[1]->accessibleDescription(),
              QStringLiteral("Ann: out: opened a Talk page in 0:09 with 1 click: Cat, talk"));

    for (const QSize screen : {QSize(1366, 768), QSize(1920, 1080)}) {
        SCOPED_TRACE(screen.width());
        const GameWindowsPlacement place =
            PlaceGameWindows(QRect(QPoint(0, 0), screen), QMargins(2, 30, 2, 2),
                             {QSize(368, 217), 240, 200, frmWinner::kInside, 32});
        game->setGeometry(place.game.adjusted(2, 30, -2, -2));
        QTest::qWait(300); // a tick of the bar
        RoundBar *bar = game->Bar();
        EXPECT_TRUE(bar->lblRoute->text().endsWith(destination)) << "the whole title";
        EXPECT_GE(bar->lblRoute->height(), bar->lblRoute->heightForWidth(bar->lblRoute->width()))
            << "not cut";
        EXPECT_LT(bar->height(), game->height() / 4) << "the article keeps its room";
        EXPECT_TRUE(game->wbMain->geometry().contains(game->Results()->geometry()));
        const QRect results(game->mapToGlobal(game->Results()->pos()), game->Results()->size());
        EXPECT_FALSE(results.intersects(place.chooser)) << "the chooser's boxes stay clear";
    }
    // Closed, they come back from the bar's button until the next round.
    game->Results()->cmdClose->click();
    EXPECT_FALSE(game->Results()->isVisible());
    ASSERT_TRUE(game->Bar()->cmdResults->isVisible());
    game->Bar()->cmdResults->click();
    EXPECT_TRUE(game->Results()->isVisible());
}

} // namespace
