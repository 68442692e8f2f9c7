// Two real client cores and the real server core on one in-memory network: the handshake, a whole
// round won by a click, and a round everybody leaves by forbidden pages, in milliseconds.
#include "GameTestSupport.h"

#include "client/JoinSession.h"
#include "client/PortFinder.h"
#include "fakes/ManualClock.h"
#include "protocol/Messages.h"
#include "server/GameServer.h"
#include "settings/Options.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <memory>

namespace
{

const QString kServerMachine = QStringLiteral("10.0.0.1");

// Every look-up and every article address shows the article of that name; talk pages their own.
ScriptedBrowser::Page SitePage(const QString &url)
{
    QString name;
    const qsizetype search = url.indexOf(QLatin1String("search="));
    const qsizetype wiki = url.indexOf(QLatin1String("/wiki/"));
    if (search >= 0)
        name = QUrl::fromPercentEncoding(url.mid(search + 7).section(QLatin1Char('&'), 0, 0).toUtf8());
    else if (wiki >= 0)
        name = url.mid(wiki + 6).replace(QLatin1Char('_'), QLatin1Char(' '));
    if (name.isEmpty())
        return {};
    return ScriptedBrowser::Page{name + kTitleSuffix, {}};
}

// One player's client without windows: the handshake, then the game window's core.
struct Client {
    Client(FakeNetwork &net, const QString &machine, const QString &playerName)
        : factory(net.Factory(machine)), name(playerName)
    {
        browser.SetResolver(SitePage);
        session = std::make_unique<JoinSession>(modData, *factory, dialogs);
        session->SetServerBrowser([this](auto closed) {
            modData.OwnPort = FindLocalPort(*factory);
            modData.ChosenServer = kServerMachine;
            closed();
        });
        QObject::connect(session.get(), &JoinSession::Completed, [this] {
            socket = factory->CreateSocket();
            core = std::make_unique<GameCore>(modData, *socket, browser, dialogs, view, kSite);
            core->InitGame();
        });
    }
    void Click(const QString &article) { browser.Navigate("http://" + kSite + "/wiki/" + article); }

    ModData modData;
    std::unique_ptr<SocketFactory> factory;
    QString name;
    ScriptedBrowser browser;
    ScriptedDialogs dialogs;
    RecordingView view;
    std::unique_ptr<JoinSession> session;
    std::unique_ptr<DatagramSocket> socket;
    std::unique_ptr<GameCore> core;
};

class TwoClientsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        modOptions::SetOptionsDirectory(m_dir.path());
        serverSocket = net.CreateSocket(kServerMachine);
        server = std::make_unique<GameServer>(*serverSocket, serverBrowser, clock);
        ASSERT_TRUE(server->Start());
        ann = std::make_unique<Client>(net, QStringLiteral("10.0.0.2"), QStringLiteral("Ann"));
        bob = std::make_unique<Client>(net, QStringLiteral("10.0.0.3"), QStringLiteral("Bob"));
    }
    // Delivers datagrams and lets page loads finish until nothing moves any more.
    void Settle()
    {
        for (int quiet = 0; quiet < 3;) {
            const int delivered = net.Deliver();
            QCoreApplication::processEvents();
            const bool waiting = (ann->core && ann->core->StartPending()) ||
                                 (bob->core && bob->core->StartPending()) || ann->browser.Busy() ||
                                 bob->browser.Busy();
            quiet = delivered == 0 && !waiting ? quiet + 1 : 0;
        }
    }

    QTemporaryDir m_dir;
    FakeNetwork net;
    std::unique_ptr<FakeSocket> serverSocket;
    ScriptedBrowser serverBrowser;
    ManualClock clock;
    std::unique_ptr<GameServer> server;
    std::unique_ptr<Client> ann, bob;
};

TEST_F(TwoClientsTest, AWholeRoundAndARoundEverybodyLeaves)
{
    ann->session->Join(ann->name);
    Settle();
    bob->session->Join(bob->name);
    Settle();
    ASSERT_TRUE(ann->core && bob->core);
    EXPECT_TRUE(ann->modData.IsHost);
    EXPECT_FALSE(bob->modData.IsHost);
    EXPECT_EQ(ann->modData.PlayerCount, 2) << "Ann hears Bob join";
    EXPECT_EQ(bob->modData.PlayerCount, 2) << "Bob gets the whole list";
    EXPECT_EQ(ann->view.chat, QStringList{"GAME: Bob has joined the game."});

    // Round 1: Ann chooses, Bob wins by two clicks.
    ann->core->SendData(msg::SetWords(QStringLiteral("Cat"), QStringLiteral("Dog")));
    Settle();
    for (Client *c : {ann.get(), bob.get()}) {
        EXPECT_TRUE(c->modData.InRound) << c->name.toStdString();
        EXPECT_EQ(c->modData.Words, (QStringList{"Cat", "Dog"}));
        EXPECT_EQ(c->view.chat.last(), "GAME: The game has begun!");
    }
    bob->Click(QStringLiteral("Mouse"));
    Settle();
    EXPECT_EQ(ann->modData.Players[ann->modData.FindPlayer("Bob")].RoundClicks, 1) << "Ann sees Bob's click";
    bob->Click(QStringLiteral("Dog"));
    Settle();
    for (Client *c : {ann.get(), bob.get()}) {
        EXPECT_FALSE(c->modData.InRound) << c->name.toStdString();
        EXPECT_TRUE(c->view.chat.contains("GAME: Bob has won the round in 2 clicks!"))
            << c->name.toStdString();
        EXPECT_TRUE(c->view.chat.contains("GAME: The winning route was: \r\nCat --> Mouse --> Dog"))
            << c->view.chat.join('|').toStdString();
        EXPECT_EQ(c->modData.Players[c->modData.FindPlayer("Bob")].Wins, 1);
    }
    EXPECT_EQ(bob->view.chooserOpened, 1) << "the winner chooses next";
    EXPECT_EQ(ann->view.chooserOpened, 0);
    EXPECT_EQ(server->Players().Players(2).Wins, 1);

    // Round 2: Bob's words; both open a talk page and are out, so the chooser is named again.
    bob->core->SendData(msg::SetWords(QStringLiteral("Horse"), QStringLiteral("Bee")));
    Settle();
    ASSERT_TRUE(ann->modData.InRound && bob->modData.InRound);
    ann->Click(QStringLiteral("Talk:Horse"));
    Settle();
    EXPECT_TRUE(
        bob->view.chat.contains("GAME: Ann has been disqualified for visiting an illegal page: \"talk\""))
        << bob->view.chat.join('|').toStdString();
    bob->Click(QStringLiteral("Talk:Horse"));
    Settle();
    for (Client *c : {ann.get(), bob.get()}) {
        EXPECT_EQ(c->modData.Chooser, QStringLiteral("Ann")) << "the oldest player chooses";
        EXPECT_FALSE(c->modData.InRound);
    }
    EXPECT_EQ(ann->view.chooserOpened, 1);
    EXPECT_EQ(bob->view.chooserOpened, 1);
}

} // namespace
