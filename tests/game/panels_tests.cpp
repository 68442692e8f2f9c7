#include "GameTestSupport.h"
#include "ScriptedWindowsTest.h"
#include "WindowTestSupport.h"
#include "common/AccessibleWalk.h"

#include "client/chat/frmChat.h"
#include "client/game/frmGame.h"
#include "client/scores/PlayersPanel.h"
#include "client/scores/PlayersTable.h"
#include "client/scores/frmScores.h"
#include "client/session/GameFrame.h"
#include "client/winner/frmWinner.h"
#include "fakes/ScriptedBrowser.h"
#include "protocol/Messages.h"

#include <QAction>
#include <QComboBox>
#include <QDockWidget>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>

namespace
{

// The game as one window with its panels, the way a player finds it by default.
class PanelsTest : public ScriptedWindowsTest
{
protected:
    GameLayout Layout() const override { return GameLayout::Panels; }
    void Adjust(GameServices &s) override
    {
        s.backToStart = [this](const QString &why) { backToStart << why; };
    }
    QDockWidget *dock(GameFrame::Panel panel) { return session->Frame()->Dock(panel); }
    QStringList rowOf(int row)
    {
        QStringList cells;
        PlayersTable *t = session->Players();
        for (int c = 0; c < t->columnCount(); ++c)
            cells << t->item(row, c)->text();
        return cells;
    }

    QStringList backToStart;
};

TEST_F(PanelsTest, OneWindowHoldsTheChatThePlayersAndTheChooser)
{
    modData.WelcomeText = QStringLiteral("Welcome");
    Open({QStringLiteral("Ann"), QStringLiteral("Bob")}, true);
    QWidget *window = session->GameWindow();
    ASSERT_TRUE(window->isVisible());
    EXPECT_FALSE(session->HasScores()) << "no scoreboard window beside the panels";
    for (QWidget *content : std::initializer_list<QWidget *>{session->Chat(), session->Players(),
                                                             session->Chooser(), session->Game()}) {
        EXPECT_FALSE(content->isWindow()) << content->windowTitle().toStdString();
        EXPECT_TRUE(window->isAncestorOf(content)) << content->windowTitle().toStdString();
        EXPECT_TRUE(content->isVisible()) << content->windowTitle().toStdString();
    }
    // Each panel keeps its caption, which is also what a screen reader calls it.
    const QStringList captions = {"Chat", "Players", "Choose Words"};
    for (int i = 0; i < 3; ++i) {
        QDockWidget *d = dock(GameFrame::Panel(i));
        EXPECT_EQ(d->windowTitle(), captions[i]);
        EXPECT_EQ(d->accessibleName(), captions[i]);
    }
    // The panels stand in a column left of the article: players at the top, the chooser at the bottom.
    const QRect chat = dock(GameFrame::Panel::Chat)->geometry();
    const QRect players = dock(GameFrame::Panel::Players)->geometry();
    const QRect chooser = dock(GameFrame::Panel::Chooser)->geometry();
    const QRect article = session->Game()->geometry();
    EXPECT_LE(players.bottom(), chat.top());
    EXPECT_LE(chat.bottom(), chooser.top());
    EXPECT_LE(std::max({chat.right(), players.right(), chooser.right()}), article.left());
    // The chooser takes the column's width and never narrows it.
    EXPECT_EQ(chooser.width(), chat.width());
    EXPECT_EQ(session->Chooser()->txtInitial->width(), session->Chooser()->width() - 100);
    EXPECT_EQ(session->Chat()->History(), QStringLiteral("GAME: Welcome"));
}

TEST_F(PanelsTest, PlayersReadAsATableWithPlainHeaders)
{
    Open({QStringLiteral("Ann"), QStringLiteral("Bob")});
    PlayersTable *t = session->Players();
    QStringList headers;
    for (int c = 0; c < t->columnCount(); ++c)
        headers << t->horizontalHeaderItem(c)->text();
    EXPECT_EQ(headers, (QStringList{"Player", "Wins", "Clicks", "This round", "Ping"}));
    EXPECT_EQ(t->rowCount(), 2);
    FromServer(msg::ScoreIs(QStringLiteral("Bob"), 2, 37, 5, QStringLiteral("yes")));
    FromServer(msg::PingIs(QStringLiteral("Bob"), 120));
    EXPECT_EQ(rowOf(0), (QStringList{"Ann", "0", "0", "0", "0 ms"}));
    EXPECT_EQ(rowOf(1), (QStringList{"Bob", "2", "37", "5", "120 ms"}));
    FromServer(msg::Join(QStringLiteral("Cy")));
    FromServer(msg::Leave(QStringLiteral("Ann")));
    EXPECT_EQ(t->rowCount(), 2);
    EXPECT_EQ(rowOf(0)[0], QStringLiteral("Bob"));
    EXPECT_EQ(rowOf(1)[0], QStringLiteral("Cy"));
    EXPECT_EQ(t->accessibleName(), QStringLiteral("Players"));
}

// The host adds and removes computer players from the players panel, as the chat commands do;
// other players see no such buttons.
TEST_F(PanelsTest, TheHostAddsAndRemovesBotsFromThePlayersPanel)
{
    Open({QStringLiteral("Ann"), QStringLiteral("Ada (bot)")}, true);
    PlayersPanel *panel = qobject_cast<PlayersPanel *>(session->Players()->parentWidget());
    ASSERT_TRUE(panel);
    EXPECT_TRUE(panel->cmdAddBot->isVisible());
    Received();
    panel->cmbBotLevel->setCurrentIndex(panel->cmbBotLevel->findData(QStringLiteral("hard")));
    panel->cmdAddBot->click();
    EXPECT_EQ(Received(), QStringList{"CHAT NAME=Ann;TEXT=/bot hard"});

    EXPECT_FALSE(panel->cmdRemoveBot->isEnabled());
    session->Players()->selectRow(0); // Ann: no bot
    EXPECT_FALSE(panel->cmdRemoveBot->isEnabled());
    session->Players()->selectRow(1);
    ASSERT_TRUE(panel->cmdRemoveBot->isEnabled());
    panel->cmdRemoveBot->click();
    EXPECT_EQ(Received(), QStringList{"CHAT NAME=Ann;TEXT=/bot remove Ada (bot)"});
}

TEST_F(PanelsTest, OnlyTheHostSeesTheBotButtons)
{
    Open({QStringLiteral("Ann"), QStringLiteral("Bob")});
    auto *panel = qobject_cast<PlayersPanel *>(session->Players()->parentWidget());
    ASSERT_TRUE(panel);
    EXPECT_FALSE(panel->cmdAddBot->isVisible());
    EXPECT_FALSE(panel->cmdRemoveBot->isVisible());
}

// The separate windows are one click away, and back; the chat and the chooser keep what they hold,
// and the choice is remembered for the next game.
TEST_F(PanelsTest, SeparateWindowsAndBackKeepWhatThePanelsHold)
{
    Open({QStringLiteral("Ann")}, true);
    session->Chat()->AddChat(QStringLiteral("Bob"), QStringLiteral("hello"));
    session->Chooser()->txtInitial->setText(QStringLiteral("Dog"));

    session->Frame()->SeparateWindows()->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(session->Layout(), GameLayout::Windows);
    EXPECT_EQ(LoadGameLayout(), GameLayout::Windows);
    EXPECT_TRUE(session->Chat()->isWindow());
    EXPECT_TRUE(session->Chat()->isVisible());
    EXPECT_EQ(session->Chat()->size(), frmChat::kSize);
    EXPECT_TRUE(session->Scores()->isVisible());
    EXPECT_FALSE(session->HasPlayers());
    EXPECT_TRUE(session->Chooser()->isWindow());
    EXPECT_EQ(session->Chooser()->size(), frmWinner::kInside);
    EXPECT_TRUE(session->ChooserShown());
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(dock(GameFrame::Panel(i))->isVisible()) << i;
    // The windows stand apart, the game's right of the others.
    EXPECT_FALSE(session->Chat()->frameGeometry().intersects(session->GameWindow()->frameGeometry()));

    session->Frame()->SeparateWindows()->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(LoadGameLayout(), GameLayout::Panels);
    EXPECT_FALSE(session->Chat()->isWindow());
    EXPECT_FALSE(session->HasScores());
    EXPECT_TRUE(session->Players()->isVisible());
    EXPECT_TRUE(session->ChooserShown());
    EXPECT_EQ(session->Chat()->History(), QStringLiteral("Bob: hello"));
    EXPECT_EQ(session->Chooser()->txtInitial->text(), QStringLiteral("Dog"));
}

// The chooser's panel comes with the player's turn and goes with the words.
TEST_F(PanelsTest, TheChooserPanelFollowsTheTurn)
{
    Open({QStringLiteral("Ann"), QStringLiteral("Bob")});
    EXPECT_FALSE(session->ChooserShown());
    EXPECT_FALSE(dock(GameFrame::Panel::Chooser)->isVisible());
    FromServer(msg::NewGame(QStringLiteral("Ann")));
    EXPECT_TRUE(session->ChooserShown());
    EXPECT_TRUE(dock(GameFrame::Panel::Chooser)->isVisible());
    session->Chooser()->UnloadNow();
    QCoreApplication::processEvents();
    EXPECT_FALSE(dock(GameFrame::Panel::Chooser)->isVisible());
}

// The window's size and the panels' places as the player left them come back in the next game.
TEST_F(PanelsTest, TheLayoutIsRememberedAcrossGames)
{
    Open({QStringLiteral("Ann")});
    QWidget *window = session->GameWindow();
    window->setGeometry(QRect(10, 20, 900, 640));
    QCoreApplication::processEvents();
    session->Frame()->resizeDocks({dock(GameFrame::Panel::Chat)}, {420}, Qt::Horizontal);
    QCoreApplication::processEvents();
    const int width = dock(GameFrame::Panel::Chat)->width();
    session->Game()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(LoadOption(QStringLiteral("Panels")).isEmpty());

    Open({});
    QCoreApplication::processEvents();
    EXPECT_EQ(session->GameWindow()->size(), QSize(900, 640));
    EXPECT_EQ(dock(GameFrame::Panel::Chat)->width(), width);
}

// A game the server ends brings the start window back with the reason; closing the window ends
// the program as before.
TEST_F(PanelsTest, ADisconnectReturnsToTheStartWindowWithTheReason)
{
    struct Case {
        QStringList datagrams;
        QString why;
    };
    const Case cases[] = {
        {{msg::Bye(msg::ByeReason::Stopped), "DISCONNECT"},
         "You have been disconnected from the game: the server was stopped."},
        {{msg::Bye(msg::ByeReason::Banned), "DISCONNECT"},
         "You have been disconnected from the game: the server's operator banned you."},
        {{msg::Bye(msg::ByeReason::Silent), "DISCONNECT"},
         "You have been disconnected from the game: the server heard nothing from you for too long."},
        // A server that gives no reason.
        {{"DISCONNECT"}, "You have been disconnected from the game."},
        {{"BYE REASON=whatever;", "DISCONNECT"}, "You have been disconnected from the game."},
    };
    for (const Case &c : cases) {
        backToStart.clear();
        dialogs.Clear();
        Open({QStringLiteral("Ann")});
        Received();
        for (const QString &d : c.datagrams)
            FromServer(d);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(dialogs.Texts(), QStringList{"You have been disconnected from the game."});
        EXPECT_EQ(backToStart, QStringList{c.why});
        EXPECT_EQ(programEnds, 0);
        EXPECT_FALSE(session->HasGame());
        EXPECT_TRUE(Received().isEmpty()) << "no farewell to a server that said goodbye";
        modData.ResetAll();
        modData.ServerHost = QStringLiteral("127.0.0.1");
        modData.PlayerName = QStringLiteral("Ann");
        modData.OwnPort = QStringLiteral("7201");
    }
    Open({QStringLiteral("Ann")});
    session->GameWindow()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(programEnds, 1);
    EXPECT_EQ(Received(), QStringList{"DISCONNECT NAME=Ann;"});
}

// The player who hosts quits: alone on the server, it stops with the game; with others still
// playing, the player is asked.
TEST_F(PanelsTest, QuittingTheHostAsksAboutTheServerOnlyWhenOthersPlay)
{
    struct Case {
        QStringList players;
        bool running;
        std::optional<bool> answer; // the question's answer, none when nothing is asked
        bool stopped;
    };
    const Case cases[] = {
        {{"Ann"}, true, std::nullopt, true},
        {{"Ann", "Bob"}, true, true, true},
        {{"Ann", "Bob", "Cy"}, true, false, false},
        {{"Ann", "Bob"}, false, std::nullopt, false}, // the server has already gone
    };
    for (const Case &c : cases) {
        int stops = 0;
        session->SetHostedServer({[&] { return c.running; }, [&] { ++stops; }});
        dialogs.Clear();
        if (c.answer)
            dialogs.QueueYesNo(*c.answer);
        modData.ResetAll();
        modData.ServerHost = QStringLiteral("127.0.0.1");
        modData.PlayerName = QStringLiteral("Ann");
        modData.OwnPort = QStringLiteral("7201");
        Open(c.players, true);
        programEnds = 0;
        session->GameWindow()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(dialogs.Texts().size(), c.answer ? 1 : 0) << c.players.join(',').toStdString();
        EXPECT_EQ(stops, c.stopped ? 1 : 0) << c.players.join(',').toStdString();
        EXPECT_EQ(programEnds, 1);
        EXPECT_FALSE(session->HasGame());
    }
}

} // namespace
