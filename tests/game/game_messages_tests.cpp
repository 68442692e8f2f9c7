#include "GameTestSupport.h"

#include "protocol/Messages.h"
#include "protocol/Protocol.h"

#include <QElapsedTimer>
#include <QTimer>
#include <limits>

namespace
{

class GameMessagesTest : public GameFixture
{
};

TEST_F(GameMessagesTest, PingIsAnsweredWithOnePongCarryingTheTickUnchanged)
{
    for (const QString &tick : {QStringLiteral("12345"), QStringLiteral("-7"), QStringLiteral(" 8 ")}) {
        core->HandleDatagram(QStringLiteral("PING TIME=") + tick + QStringLiteral(";"));
        EXPECT_EQ(Sent(), QStringList{QStringLiteral("PONG NAME=Ann;TIME=") + tick + QStringLiteral(";")});
    }
    // A tick that is no number is no tick the server sent; a long one would not even fit the answer.
    for (const QString &tick :
         {QStringLiteral(" x "), QString(65496, QLatin1Char('9')), QStringLiteral("\t7")}) {
        core->HandleDatagram(QStringLiteral("PING TIME=") + tick + QStringLiteral(";"));
        EXPECT_TRUE(Sent().isEmpty()) << tick.left(20).toStdString();
    }
}

TEST_F(GameMessagesTest, DisconnectShowsTheBoxClosesAndSendsNoFarewell)
{
    core->HandleDatagram(QStringLiteral("DISCONNECT"));
    ASSERT_EQ(dialogs.ShownBoxes().size(), 1);
    EXPECT_EQ(dialogs.ShownBoxes()[0].text, QStringLiteral("You have been disconnected from the game."));
    EXPECT_EQ(dialogs.ShownBoxes()[0].icon, MessageIcon::Information);
    EXPECT_EQ(dialogs.ShownBoxes()[0].caption, QStringLiteral("Quillory"));
    EXPECT_TRUE(core->Disconnected);
    EXPECT_EQ(view.closeRequests, 1);
    core->Closing();
    EXPECT_TRUE(Sent().isEmpty());
}

TEST_F(GameMessagesTest, ClosingOtherwiseSendsExactlyOneDisconnect)
{
    core->Closing();
    core->Closing();
    core->PingTick();
    EXPECT_EQ(Sent(), QStringList{QStringLiteral("DISCONNECT NAME=Ann;")});
}

TEST_F(GameMessagesTest, ScoreIsStoresFieldsInOrderUntilOneFails)
{
    struct Row {
        const char *datagram;
        int wins, clicks, roundClicks;
        const char *inGame;
        bool refreshed;
    };
    const Row rows[] = {
        {"SCOREIS NAME=Bob;WINS=2;CLICK=37;RCLICK=5;INGAME=no;", 2, 37, 5, "no", true},
        {"SCOREIS NAME=bob;WINS=9;CLICK=9;RCLICK=9;INGAME=yes;", 0, 0, 0, "yes", false}, // exact name only
        {"SCOREIS NAME=Bob;WINS=4;CLICK=x;RCLICK=5;INGAME=no;", 4, 0, 0, "yes", false},
        {"SCOREIS NAME=Bob;WINS=4;CLICK=8;RCLICK=;INGAME=no;", 4, 8, 0, "yes", false},
        {"SCOREIS NAME=Bob;WINS=99999999999;CLICK=1;RCLICK=1;INGAME=no;", 0, 0, 0, "yes", false},
        {"SCOREIS NAME=Zed;WINS=1;CLICK=1;RCLICK=1;INGAME=no;", 0, 0, 0, "yes", false},
    };
    for (const Row &r : rows) {
        modData.ResetAll();
        modData.PlayerName = QStringLiteral("Ann");
        AddPlayers({QStringLiteral("Ann"), QStringLiteral("Bob")});
        view.scoreUpdates.clear();
        core->HandleDatagram(QString::fromUtf8(r.datagram));
        const PlayerInfo &bob = modData.Players[2];
        EXPECT_EQ(bob.Wins, r.wins) << r.datagram;
        EXPECT_EQ(bob.Clicks, r.clicks) << r.datagram;
        EXPECT_EQ(bob.RoundClicks, r.roundClicks) << r.datagram;
        EXPECT_EQ(bob.InGame, QString::fromUtf8(r.inGame)) << r.datagram;
        EXPECT_EQ(view.scoreUpdates, r.refreshed ? QStringList{"-S--"} : QStringList{}) << r.datagram;
    }
}

TEST_F(GameMessagesTest, PingIsRefreshesOnlyThePingColumn)
{
    AddPlayers({QStringLiteral("Ann"), QStringLiteral("Bob")});
    core->HandleDatagram(msg::PingIs(QStringLiteral("Bob"), 120));
    EXPECT_EQ(modData.Players[2].Ping, 120);
    core->HandleDatagram(QStringLiteral("PINGIS NAME=Nobody;PING=5;"));
    core->HandleDatagram(QStringLiteral("PINGIS NAME=Bob;PING=;"));
    EXPECT_EQ(modData.Players[2].Ping, 120);
    EXPECT_EQ(view.scoreUpdates, QStringList{"--I-"});
}

TEST_F(GameMessagesTest, ChatLines)
{
    struct Row {
        QString datagram;
        QStringList lines;
    };
    const Row rows[] = {
        {"MESSAGE Welcome; be=nice\r\nsecond line", {"GAME: Welcome; be=nice\r\nsecond line"}},
        {"MESSAGE ", {"GAME: "}},
        {"MESSAGE", {}},
        {"CHAT NAME=Bob;TEXT=a;b=c", {"Bob: a;b=c"}},
        {"CHAT NAME=Bob;TEXT=", {"Bob: "}},
        {"TIME TIME=9:05:07 AM;DATE=Monday, September 4, 2006;",
         {"Current Time: 9:05:07 AM on Monday, September 4, 2006"}},
        {"PATHIS NAME=Bob;PATH=Cat\rDog\rMouse;",
         {"GAME: The winning route was: \r\nCat --> Dog --> Mouse", "GAME: Bob now chooses the next words."}},
        {"SETRANDOM SRC=1;URL=Paris;", {"GAME: Initial page randomized: \"Paris\""}},
        {"SETRANDOM SRC=2;URL=Rome;", {"GAME: Destination page randomized: \"Rome\""}},
        {"SETRANDOM SRC=3;URL=Oslo;", {}},
        {"UNKNOWN NAME=Bob;", {}},
        {"ping TIME=1;", {}},
        {"", {}},
    };
    for (const Row &r : rows) {
        view.chat.clear();
        core->HandleDatagram(r.datagram);
        EXPECT_EQ(view.chat, r.lines) << r.datagram.toStdString();
    }
    EXPECT_TRUE(Sent().isEmpty());
}

TEST_F(GameMessagesTest, JoinLeaveAndDropAnnounceAndRefreshEvenWhenTheListDoesNotChange)
{
    struct Row {
        const char *datagram;
        const char *line;
        QStringList players;
    };
    const Row rows[] = {
        {"JOIN NAME=Bob;", "GAME: Bob has joined the game.", {"Ann", "Bob"}},
        {"JOIN NAME=BOB;", "GAME: BOB has joined the game.", {"Ann", "Bob"}},
        {"JOIN NAME=Cid;", "GAME: Cid has joined the game.", {"Ann", "Bob", "Cid"}},
        {"LEAVE NAME=bob;", "GAME: bob has left the game.", {"Ann", "Cid"}},
        {"LEAVE NAME=Zed;", "GAME: Zed has left the game.", {"Ann", "Cid"}},
        {"DROP NAME=Cid;", "GAME: Cid was dropped from the game.", {"Ann"}},
        {"DROP NAME=Cid;", "GAME: Cid was dropped from the game.", {"Ann"}},
    };
    AddPlayers({QStringLiteral("Ann")});
    int n = 0;
    for (const Row &r : rows) {
        view.chat.clear();
        view.scoreUpdates.clear();
        core->HandleDatagram(QString::fromUtf8(r.datagram));
        ++n;
        EXPECT_EQ(view.chat, QStringList{QString::fromUtf8(r.line)});
        QStringList names;
        for (qint32 i = 1; i <= modData.PlayerCount; ++i)
            names << modData.Players[i].Name;
        EXPECT_EQ(names, r.players) << r.datagram;
        EXPECT_EQ(view.chatListUpdates, n);
        EXPECT_EQ(view.scoreUpdates, QStringList{"PSIW"});
    }
}

TEST_F(GameMessagesTest, WinnerOfAnotherPlayerIsAnnouncedOnly)
{
    AddPlayers({QStringLiteral("Ann"), QStringLiteral("Bob")});
    modData.Players[2].RoundClicks = 7;
    modData.Players[2].Wins = 1;
    modData.InRound = true;
    core->HandleDatagram(msg::Winner(QStringLiteral("Bob")));
    EXPECT_FALSE(modData.InRound);
    EXPECT_EQ(view.chat, QStringList{"GAME: Bob has won the round in 7 clicks!"});
    EXPECT_EQ(modData.Players[2].Wins, 2);
    EXPECT_EQ(view.scoreUpdates, QStringList{"-S--"});
    EXPECT_TRUE(Sent().isEmpty());
    EXPECT_EQ(view.chooserOpened, 0);
}

TEST_F(GameMessagesTest, WinnerNamingThisPlayerSendsTheRouteAndOpensTheChooser)
{
    AddPlayers({QStringLiteral("Ann"), QStringLiteral("Bob")});
    modData.Route = QStringLiteral("Cat\rDog\rMouse\r");
    modData.InRound = true;
    core->HandleDatagram(msg::Winner(QStringLiteral("Ann")));
    EXPECT_EQ(Sent(), QStringList{QStringLiteral("SENDMYPATH NAME=Ann;PATH=Cat\rDog\rMouse;")});
    EXPECT_EQ(view.chooserOpened, 1);
    EXPECT_EQ(modData.Players[1].Wins, 1);
}

TEST_F(GameMessagesTest, WinnerNobodyListsOnlyEndsTheRound)
{
    AddPlayers({QStringLiteral("Ann")});
    modData.InRound = true;
    core->HandleDatagram(msg::Winner(QStringLiteral("ann")));
    EXPECT_FALSE(modData.InRound);
    EXPECT_TRUE(view.chat.isEmpty());
    EXPECT_TRUE(Sent().isEmpty());
    EXPECT_EQ(view.chooserOpened, 0);
}

TEST_F(GameMessagesTest, NewGameResetsTheRoundAndOpensTheChooserOnlyForTheNamedPlayer)
{
    struct Row {
        const char *name;
        int opened;
    };
    for (const Row &r : {Row{"Bob", 0}, Row{"ann", 0}, Row{"Ann", 1}}) {
        view.chooserOpened = 0;
        modData.Words = QStringList{QStringLiteral("Cat"), QStringLiteral("Dog")};
        modData.TargetIndex = 1;
        modData.InRound = true;
        core->HandleDatagram(msg::NewGame(QString::fromUtf8(r.name)));
        EXPECT_EQ(modData.Words, QStringList{QString()});
        EXPECT_EQ(modData.TargetIndex, 0);
        EXPECT_FALSE(modData.InRound);
        EXPECT_EQ(modData.Chooser, QString::fromUtf8(r.name));
        EXPECT_EQ(view.chooserOpened, r.opened) << r.name;
    }
}

// Everybody hears that the round is over and who chooses next; the chooser hears that it is their
// turn. Outside a round (the chooser left an idle server) only who chooses is told.
TEST_F(GameMessagesTest, NewGameTellsWhoChoosesNext)
{
    struct Row {
        bool inRound;
        const char *name;
        QStringList chat;
    };
    const Row rows[] = {
        {true,
         "Bob",
         {"GAME: The round is over: nobody is left in it.", "GAME: Bob chooses the next words."}},
        {true,
         "Ann",
         {"GAME: The round is over: nobody is left in it.", "GAME: Ann chooses the next words.",
          "GAME: It is your turn to choose the next words."}},
        {false, "Bob", {"GAME: Bob chooses the next words."}},
    };
    for (const Row &r : rows) {
        view.chat.clear();
        modData.InRound = r.inRound;
        core->HandleDatagram(msg::NewGame(QString::fromUtf8(r.name)));
        EXPECT_EQ(view.chat, r.chat) << r.name;
    }
}

// The last page reported in a round does not mute the first click of the next round onto the
// same page: a rematch to the same destination can be won.
TEST_F(GameMessagesTest, EachRoundReportsItsFirstPageAfresh)
{
    AddPlayers({QStringLiteral("Ann"), QStringLiteral("Bob")});
    HandleAndSettle(msg::StartGame({QStringLiteral("Cat"), QStringLiteral("Dog")}));
    browser.Navigate(core->LookupUrl(QStringLiteral("Dog")));
    QTest::qWaitFor([this] { return !browser.Busy(); }, 5000);
    EXPECT_EQ(Sent(), QStringList{"NAVIGATE NAME=Ann;URL=Dog;"});
    core->HandleDatagram(msg::Winner(QStringLiteral("Ann")));
    Sent();
    HandleAndSettle(msg::StartGame({QStringLiteral("Mouse"), QStringLiteral("Dog")}));
    browser.Navigate(core->LookupUrl(QStringLiteral("Dog")));
    QTest::qWaitFor([this] { return !browser.Busy(); }, 5000);
    EXPECT_EQ(Sent(), QStringList{"NAVIGATE NAME=Ann;URL=Dog;"});
}

TEST_F(GameMessagesTest, DisqualifyQuotesTheCurrentPageAndKeepsTheRound)
{
    AddPlayers({QStringLiteral("Bob"), QStringLiteral("Ann")});
    modData.InRound = true;
    modData.Words = QStringList{QStringLiteral("Cat"), QStringLiteral("Dog")};
    core->HandleTitleChange(QStringLiteral("Special:Random") + kTitleSuffix);
    EXPECT_EQ(Sent(), QStringList{QStringLiteral("NAVIGATE NAME=Ann;URL=special;")});
    core->HandleDatagram(msg::Disqualify(QStringLiteral("special")));
    EXPECT_EQ(modData.Players[2].InGame, QStringLiteral("no"));
    EXPECT_EQ(modData.Players[1].InGame, QStringLiteral("yes"));
    EXPECT_EQ(browser.Navigations().last(), QStringLiteral("http://wiki.test:7200/wiki/Main_Page"));
    EXPECT_EQ(
        Sent(),
        QStringList{QStringLiteral(
            "CHAT NAME=GAME;TEXT=Ann has been disqualified for visiting an illegal page: \"special\"")});
    EXPECT_TRUE(modData.InRound);
}

TEST_F(GameMessagesTest, DisqualifyWhenNotListedDoesNothing)
{
    AddPlayers({QStringLiteral("Bob")});
    core->HandleDatagram(QStringLiteral("DISQUALIFY URL=special;"));
    EXPECT_TRUE(Sent().isEmpty());
    EXPECT_TRUE(browser.Navigations().isEmpty());
}

// A word travels in the look-up address percent-encoded, so that "&", "+", "#", "%" and "?" stay
// part of the word.
TEST_F(GameMessagesTest, NavigateAndSetRandomOpenTheArticleEncoded)
{
    const std::pair<QString, QString> words[] = {
        {"Black & white", "Black%20%26%20white"},
        {"C++", "C%2B%2B"},
        {"J. S. Fry & Sons", "J.%20S.%20Fry%20%26%20Sons"},
        {"100% #1?", "100%25%20%231%3F"},
        {"Ære", "%C3%86re"},
    };
    for (const auto &[word, encoded] : words) {
        core->HandleDatagram(QStringLiteral("NAVIGATE NAME=x;URL=") + word + QLatin1Char(';'));
        EXPECT_EQ(browser.Navigations().last(),
                  "http://wiki.test:7200/wiki/Special:Search?search=" + encoded + "&go=Go");
    }
    EXPECT_TRUE(view.chat.isEmpty());
}

TEST_F(GameMessagesTest, SetRandomFillsTheChooserOnlyWhenShown)
{
    struct Row {
        const char *datagram;
        bool shown;
        QStringList words;
    };
    const Row rows[] = {
        {"SETRANDOM SRC=1;URL=Paris;", true, {"1=Paris"}},
        {"SETRANDOM SRC=2;URL=Rome;", true, {"2=Rome"}},
        {"SETRANDOM SRC=3;URL=Oslo;", true, {}},
        {"SETRANDOM SRC=1;URL=Paris;", false, {}},
    };
    for (const Row &r : rows) {
        view.chooserShown = r.shown;
        view.chooserWords.clear();
        const qsizetype before = browser.Navigations().size();
        core->HandleDatagram(QString::fromUtf8(r.datagram));
        EXPECT_EQ(view.chooserWords, r.words) << r.datagram;
        EXPECT_EQ(browser.Navigations().size(), before + 1);
        EXPECT_EQ(core->LastReportedPage, GetValue(QString::fromUtf8(r.datagram), QStringLiteral("URL")));
        EXPECT_EQ(view.chooserOpened, 0);
    }
}

TEST_F(GameMessagesTest, SetRandomTwiceRepeatsEverything)
{
    for (int i = 0; i < 2; ++i)
        core->HandleDatagram(QStringLiteral("SETRANDOM SRC=1;URL=Paris;"));
    EXPECT_EQ(view.chat.size(), 2);
    EXPECT_EQ(browser.Navigations().size(), 2);
}

TEST_F(GameMessagesTest, StartGameWaitsForTheStartArticleThenStartsTheRound)
{
    AddPlayers({QStringLiteral("Ann"), QStringLiteral("Bob")});
    modData.Players[1].RoundClicks = 4;
    modData.Players[2].InGame = QStringLiteral("no");
    // The last round ended on a page the caption still names.
    view.caption = QStringLiteral("Quillory - history");
    browser.SetAutoLoad(false);
    // The load finishes while the handler waits; the title arrives with modData.InRound still false.
    QTimer::singleShot(50, &browser, [this] {
        EXPECT_TRUE(view.chat.isEmpty());
        browser.FinishLoad();
    });
    HandleAndSettle(msg::StartGame({QStringLiteral("Cat"), QStringLiteral("Mouse")}));
    EXPECT_EQ(view.chat, QStringList{"GAME: The game has begun!"});
    EXPECT_TRUE(modData.InRound);
    EXPECT_EQ(modData.Words, (QStringList{QStringLiteral("Cat"), QStringLiteral("Mouse")}));
    EXPECT_EQ(modData.TargetIndex, 1);
    EXPECT_EQ(modData.CurrentPage, QStringLiteral("Cat"));
    EXPECT_EQ(view.caption, QStringLiteral("Quillory - Cat"));
    EXPECT_EQ(modData.Route, QStringLiteral("Cat\r"));
    EXPECT_EQ(modData.Players[1].RoundClicks, 0);
    EXPECT_EQ(modData.Players[2].InGame, QStringLiteral("yes"));
    EXPECT_EQ(view.scoreUpdates, QStringList{"---W"});
    EXPECT_EQ(browser.Navigations(),
              QStringList{"http://wiki.test:7200/wiki/Special:Search?search=Cat&go=Go"});
    EXPECT_TRUE(Sent().isEmpty()); // the start article is never reported
}

TEST_F(GameMessagesTest, StartGameWithABadCountStartsTheRoundButKeepsTheWords)
{
    const QString counts[] = {QStringLiteral("x"), QStringLiteral("-1"), QStringLiteral("64"),
                              QStringLiteral("2147483647"), QString()};
    for (const QString &count : counts) {
        modData.ResetRound();
        view.chat.clear();
        HandleAndSettle(QStringLiteral("STARTGAME COUNT=") + count + QStringLiteral(";WORD0=Cat;WORD1=Dog;"));
        EXPECT_TRUE(modData.InRound) << count.toStdString();
        EXPECT_EQ(view.chat, QStringList{"GAME: The game has begun!"});
        EXPECT_EQ(modData.Words, QStringList{QString()}) << count.toStdString();
        EXPECT_EQ(modData.TargetIndex, 0);
    }
    HandleAndSettle(QStringLiteral("STARTGAME COUNT=3;WORD0=Cat;WORD1=Dog;"));
    EXPECT_EQ(modData.Words, (QStringList{"Cat", "Dog", "", ""}));
}

TEST_F(GameMessagesTest, StartGameDoesNotWaitForeverForABusyBrowser)
{
    browser.SetAutoLoad(false);
    core->LoadLimitMs = 200;
    QElapsedTimer t;
    t.start();
    HandleAndSettle(msg::StartGame({QStringLiteral("Cat"), QStringLiteral("Dog")}));
    EXPECT_TRUE(modData.InRound);
    EXPECT_EQ(view.chat, QStringList{"GAME: The game has begun!"});
    EXPECT_GE(t.elapsed(), 150);
}

TEST_F(GameMessagesTest, DatagramsHandledDuringTheStartWaitRunToTheirEnd)
{
    AddPlayers({QStringLiteral("Ann")});
    ASSERT_TRUE(socket->Bind(quint16(7201)));
    browser.SetAutoLoad(false);
    QTimer::singleShot(20, &browser, [this] {
        server->SendTo(QStringLiteral("127.0.0.1"), 7201, QStringLiteral("PING TIME=5;"));
        net.Deliver();
        browser.FinishLoad();
    });
    HandleAndSettle(msg::StartGame({QStringLiteral("Cat"), QStringLiteral("Dog")}));
    EXPECT_EQ(Sent(), QStringList{QStringLiteral("PONG NAME=Ann;TIME=5;")});
    EXPECT_TRUE(modData.InRound);
}

// The window can close while the start article loads (the server said DISCONNECT): the wait ends
// there and the round does not start in a window that is gone.
TEST_F(GameMessagesTest, ClosingDuringTheStartWaitStartsNoRound)
{
    AddPlayers({QStringLiteral("Ann")});
    browser.SetAutoLoad(false);
    core->LoadLimitMs = 2000;
    QTimer::singleShot(20, &browser, [this] {
        core->HandleDatagram(QStringLiteral("DISCONNECT"));
        core->Closing();
    });
    HandleAndSettle(msg::StartGame({QStringLiteral("Cat"), QStringLiteral("Dog")}));
    EXPECT_EQ(view.closeRequests, 1);
    EXPECT_FALSE(modData.InRound);
    EXPECT_TRUE(view.chat.isEmpty());
    EXPECT_EQ(modData.Words, QStringList{QString()});
    EXPECT_TRUE(Sent().isEmpty()); // no farewell after the server's DISCONNECT
    core->HandleDatagram(QStringLiteral("PING TIME=1;"));
    EXPECT_TRUE(Sent().isEmpty());
}

// A start article that loads slowly can outlast its round: whatever ended or replaced the round
// during the wait must stand when the wait is over.
TEST_F(GameMessagesTest, RoundMessagesDuringTheStartWaitAreNotUndone)
{
    struct Row {
        QString during;
        bool inRound;
        QStringList words;
        QStringList chat;
    };
    const QStringList catDog{QStringLiteral("Cat"), QStringLiteral("Dog")};
    const Row rows[] = {
        {msg::Winner(QStringLiteral("Bob")), false, catDog, {"GAME: Bob has won the round in 1 click!"}},
        {msg::NewGame(QStringLiteral("Bob")),
         false,
         {QString()},
         {"GAME: The round is over: nobody is left in it.", "GAME: Bob chooses the next words."}},
        {msg::StartGame({QStringLiteral("Horse"), QStringLiteral("Bee")}),
         true,
         {QStringLiteral("Horse"), QStringLiteral("Bee")},
         {"GAME: The game has begun!"}},
    };
    AddPlayers({QStringLiteral("Ann"), QStringLiteral("Bob")});
    ASSERT_TRUE(socket->Bind(quint16(7201)));
    for (const Row &r : rows) {
        modData.ResetRound();
        modData.Words = catDog; // what the round before left
        modData.Players[2].RoundClicks = 1;
        view.chat.clear();
        browser.SetAutoLoad(false);
        QTimer::singleShot(20, &browser, [&] {
            // Only the newer STARTGAME may find the browser idle.
            browser.SetAutoLoad(true);
            server->SendTo(QStringLiteral("127.0.0.1"), 7201, r.during);
            net.Deliver();
            browser.FinishLoad();
        });
        HandleAndSettle(msg::StartGame({QStringLiteral("Cat"), QStringLiteral("Dog")}));
        EXPECT_EQ(modData.InRound, r.inRound) << r.during.toStdString();
        EXPECT_EQ(modData.Words, r.words) << r.during.toStdString();
        EXPECT_EQ(view.chat, r.chat) << r.during.toStdString();
    }
    // Undisturbed, the same datagram still starts its round.
    browser.SetAutoLoad(true);
    HandleAndSettle(msg::StartGame({QStringLiteral("Cat"), QStringLiteral("Dog")}));
    EXPECT_TRUE(modData.InRound);
    EXPECT_EQ(modData.Words, catDog);
}

TEST_F(GameMessagesTest, InitGameBindsOpensTheMainPageAndAsksForTheWordsMidRound)
{
    modData.JoinedMidRound = true;
    ASSERT_TRUE(core->InitGame());
    EXPECT_TRUE(net.IsBound(QStringLiteral("127.0.0.1"), 7201));
    EXPECT_EQ(browser.Navigations(), QStringList{"http://wiki.test:7200/wiki/Main_Page"});
    EXPECT_EQ(view.chat, QStringList{"GAME: Game is in progress; joining..."});
    EXPECT_EQ(Sent(), QStringList{QStringLiteral("GETWORDS NAME=Ann;")});
    EXPECT_FALSE(modData.JoinedMidRound);

    // Datagrams reach the handler through the socket.
    server->SendTo(QStringLiteral("127.0.0.1"), 7201, QStringLiteral("CHAT NAME=Bob;TEXT=hi"));
    net.Deliver();
    EXPECT_EQ(view.chat.last(), QStringLiteral("Bob: hi"));
}

// The socket listens on every address; only the server's own address and game port may drive the
// game. Each datagram below is sent by each sender to a fresh game window.
TEST_F(GameMessagesTest, OnlyTheServersAddressAndPortAreHeard)
{
    struct Sender {
        QString serverIP; // what the handshake recorded
        QString address;
        quint16 port;
        bool heard;
    };
    const Sender senders[] = {
        {"127.0.0.1", "127.0.0.1", 7200, true},
        {"127.0.0.1", "10.0.0.9", 7200, false},  // another machine on the game port
        {"127.0.0.1", "127.0.0.1", 7300, false}, // another program on the server's machine
        {"127.0.0.1", "10.0.0.9", 7300, false},
        {"", "10.0.0.9", 7300, true}, // no address recorded: everybody is heard, as before
    };
    struct Effect {
        QString datagram;
        std::function<bool()> acted;
    };
    const Effect effects[] = {
        {"DISCONNECT",
         [&] { return view.closeRequests == 1 && dialogs.ShownBoxes().size() == 1 && core->Disconnected; }},
        {msg::Winner(QStringLiteral("Bob")),
         [&] {
             return !modData.InRound && modData.Players[2].Wins == 1 &&
                    view.chat == QStringList{"GAME: Bob has won the round in 0 clicks!"};
         }},
        {"JOIN NAME=Eve;", [&] { return modData.PlayerCount == 3 && view.chat.size() == 1; }},
        {"PING TIME=42;", [&] { return Sent() == QStringList{"PONG NAME=Ann;TIME=42;"}; }},
    };
    ASSERT_TRUE(socket->Bind(quint16(7201)));
    for (const Sender &from : senders) {
        for (const Effect &e : effects) {
            modData.ResetAll();
            modData.PlayerName = QStringLiteral("Ann");
            modData.ServerHost = QStringLiteral("127.0.0.1");
            modData.ServerIP = from.serverIP;
            AddPlayers({QStringLiteral("Ann"), QStringLiteral("Bob")});
            modData.InRound = true;
            view = RecordingView();
            dialogs.Clear();
            Sent();
            core = std::make_unique<GameCore>(modData, *socket, browser, dialogs, view, kSite);
            std::unique_ptr<FakeSocket> sender;
            if (from.address != QLatin1String("127.0.0.1") || from.port != 7200) {
                sender = net.CreateSocket(from.address);
                ASSERT_TRUE(sender->Bind(from.port));
            }
            (sender ? *sender : *server).SendTo(QStringLiteral("127.0.0.1"), 7201, e.datagram);
            net.Deliver();
            EXPECT_EQ(e.acted(), from.heard)
                << e.datagram.toStdString() << " from " << from.address.toStdString() << ":" << from.port
                << " (server " << from.serverIP.toStdString() << ")";
            if (!from.heard) {
                EXPECT_TRUE(modData.InRound);
                EXPECT_EQ(modData.PlayerCount, 2);
                EXPECT_TRUE(view.chat.isEmpty());
                EXPECT_TRUE(dialogs.ShownBoxes().isEmpty());
            }
        }
    }
}

TEST_F(GameMessagesTest, ScorePollingAsksEachPlayerOnceThenStops)
{
    AddPlayers({QStringLiteral("Ann"), QStringLiteral("Bob"), QStringLiteral("Cid")});
    EXPECT_TRUE(core->ScorePollTick());
    EXPECT_TRUE(core->ScorePollTick());
    EXPECT_FALSE(core->ScorePollTick());
    EXPECT_EQ(Sent(), (QStringList{"GETSCORE PORT=7201;NAME=Ann;", "GETSCORE PORT=7201;NAME=Bob;",
                                   "GETSCORE PORT=7201;NAME=Cid;"}));
}

TEST_F(GameMessagesTest, ScorePollingStopsWhenTheListShrinksBelowTheIndex)
{
    AddPlayers({QStringLiteral("Ann"), QStringLiteral("Bob"), QStringLiteral("Cid")});
    EXPECT_TRUE(core->ScorePollTick());
    EXPECT_TRUE(core->ScorePollTick());
    core->HandleDatagram(QStringLiteral("LEAVE NAME=Cid;"));
    core->HandleDatagram(QStringLiteral("LEAVE NAME=Bob;"));
    EXPECT_FALSE(core->ScorePollTick());
    EXPECT_EQ(Sent().size(), 2);
}

TEST_F(GameMessagesTest, KeepAliveIsTheVerbAndThePort)
{
    core->PingTick();
    const QStringList sent = Sent();
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent[0], QStringLiteral("PINGME 7201"));
    EXPECT_EQ(sent[0].size(), 11);
}

TEST_F(GameMessagesTest, BrowserEventsDriveThePageRules)
{
    modData.InRound = true;
    modData.Words = QStringList{QStringLiteral("Cat"), QStringLiteral("Dog")};
    browser.SetPage(QStringLiteral("http://wiki.test:7200/wiki/Dog"), QStringLiteral("Dog") + kTitleSuffix);
    browser.SetPage(QStringLiteral("http://elsewhere.org/"), QStringLiteral("Elsewhere"));
    browser.Navigate(core->LookupUrl(QStringLiteral("Dog")));
    browser.FinishLoad();
    browser.Navigate(QStringLiteral("http://elsewhere.org/"));
    browser.FinishLoad();
    EXPECT_EQ(Sent(), (QStringList{"NAVIGATE NAME=Ann;URL=Dog;", "NAVIGATE NAME=Ann;URL=nowiki;"}));
    EXPECT_EQ(view.caption, QStringLiteral("Quillory - Dog"));
    EXPECT_EQ(modData.CurrentPage, QStringLiteral("nowiki"));
    EXPECT_EQ(modData.Route, QStringLiteral("Dog\r"));
}

TEST_F(GameMessagesTest, HostileDatagramsDoNoHarm)
{
    AddPlayers({QStringLiteral("Ann")});
    const QString big(200000, QLatin1Char('x'));
    const QStringList datagrams = {
        QStringLiteral("STARTGAME COUNT=2147483647;WORD0=a;"),
        QStringLiteral("SCOREIS NAME=;"),
        QStringLiteral("PINGIS"),
        QStringLiteral("WINNER"),
        QStringLiteral("PATHIS"),
        QStringLiteral("JOIN ") + big,
        QStringLiteral("CHAT ") + big,
        QStringLiteral("\0\0\0"),
    };
    for (const QString &d : datagrams)
        core->HandleDatagram(d);
    EXPECT_LE(modData.Words.size(), 1);
    EXPECT_EQ(modData.PlayerCount, 2); // the JOIN of an unterminated name adds an empty name once
    // A win count at its limit stays there instead of wrapping round.
    modData.Players[1].Wins = std::numeric_limits<qint32>::max();
    core->HandleDatagram(msg::Winner(QStringLiteral("Ann")));
    EXPECT_EQ(modData.Players[1].Wins, std::numeric_limits<qint32>::max());
}

} // namespace
