#include "JoinTestSupport.h"
#include "client/host/frmHost.h"
#include "client/main/frmMain.h"
#include "client/servers/SimpleCombo.h"
#include "client/servers/frmServers.h"
#include "client/start/StartSteps.h"
#include "common/AccessibleWalk.h"
#include "fakes/FakeNetwork.h"
#include "fakes/ScriptedDialogs.h"
#include "platform/qt/UdpSocket.h"
#include "protocol/Messages.h"
#include "settings/SiteSettings.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace
{

const QString kVersion = QStringLiteral("1.04 (beta)");

class WindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QApplication::setQuitOnLastWindowClosed(false);
        m_base = FreePortRange();
        ASSERT_NE(m_base, 0);
        m_config.serverPort = m_peer.Port();
        m_config.firstLocalPort = m_base;
    }

    std::unique_ptr<frmMain> MakeMain()
    {
        auto window = std::make_unique<frmMain>(modData, m_sockets, m_dialogs, m_config);
        WireStartSteps(*window, modData, m_sockets, m_dialogs, m_network);
        window->SetProgramStarter([this](const QString &path) {
            m_started << path;
            return true;
        });
        window->show();
        return window;
    }

    // Answers the server browser: picks the address and joins.
    void PickServer(const QString &address)
    {
        m_dialogs.OnModal([address](QDialog &dialog) {
            auto &browser = dynamic_cast<frmServers &>(dialog);
            browser.cmbServers->setText(address);
            browser.cmdJoin->click();
            return int(browser.result());
        });
    }

    bool ControlsEnabled(frmMain &w)
    {
        return w.txtName->isEnabled() && w.cmdJoin->isEnabled() && w.cmdHost->isEnabled();
    }

    CleanClientState m_state;
    ModData &modData = m_state.modData;
    UdpPeer m_peer;
    UdpSocketFactory m_sockets;
    // No broadcast: the scripted peer hears only what a test sends it.
    FixedLocalNetwork m_network;
    ScriptedDialogs m_dialogs;
    JoinConfig m_config;
    quint16 m_base = 0;
    QStringList m_started;
};

TEST_F(WindowTest, StartWindowLoadsTheNameAndKeepsItClean)
{
    SaveOption(QStringLiteral("Name"), QStringLiteral("Zoe"));
    auto w = MakeMain();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("The Quillory - 1.04 (beta)"));
    EXPECT_EQ(w->txtName->text(), QStringLiteral("Zoe"));
    EXPECT_EQ(w->txtName->selectedText(), QStringLiteral("Zoe"));
    EXPECT_EQ(w->cmdJoin->text(), QStringLiteral("Join Game"));
    EXPECT_EQ(w->cmdHost->text(), QStringLiteral("Host Game"));
    EXPECT_EQ(w->cmdExit->text(), QStringLiteral("Exit"));
    EXPECT_EQ(w->Label2->text(), QStringLiteral("Simple intellectual fun."));
    EXPECT_EQ(w->tmrTimeout->interval(), 4000);
    EXPECT_FALSE(w->tmrTimeout->isActive());

    w->txtName->clear();
    QTest::keyClicks(w->txtName, QStringLiteral("a=b;c"));
    EXPECT_EQ(w->txtName->text(), QStringLiteral("abc"));
    EXPECT_EQ(w->txtName->cursorPosition(), 3);
    EXPECT_EQ(LoadOption(QStringLiteral("Name")), QStringLiteral("abc"));

    // A separator typed in the middle leaves the caret where it was.
    w->txtName->setCursorPosition(1);
    QTest::keyClicks(w->txtName, QStringLiteral("="));
    EXPECT_EQ(w->txtName->text(), QStringLiteral("abc"));
    EXPECT_EQ(w->txtName->cursorPosition(), 1);
}

TEST_F(WindowTest, EnterInTheNameBoxJoinsAndNeverHosts)
{
    auto w = MakeMain();
    QStringList opened;
    m_dialogs.OnModal([&](QDialog &dialog) {
        opened << dialog.metaObject()->className();
        return 0;
    });
    w->txtName->setText(QStringLiteral("Ann"));
    QTest::keyClick(w->txtName, Qt::Key_Return);
    EXPECT_EQ(opened, QStringList{QStringLiteral("frmServers")});
    EXPECT_TRUE(m_started.isEmpty());
    EXPECT_TRUE(ControlsEnabled(*w)) << "cancelled browser: the window stays as it was";

    // An empty name: the message, and no dialog.
    w->txtName->setText(QStringLiteral(";="));
    w->cmdHost->click();
    EXPECT_EQ(opened.size(), 1);
    EXPECT_EQ(m_dialogs.Texts().last(), QStringLiteral("Please enter your name."));
}

TEST_F(WindowTest, JoinThroughTheBrowserReachesThePlayerList)
{
    SaveOption(QStringLiteral("Servers"), QStringLiteral("127.0.0.1"));
    m_peer.script = [](const QString &text) -> QStringList {
        const QString verb = GetVerb(text);
        if (verb == QLatin1String("STATUS"))
            return {msg::StatusReply(kVersion, 1, GetValue(text, QStringLiteral("SERVER")))};
        if (verb == QLatin1String("CONNECT"))
            return {msg::Message(QStringLiteral("Welcome, 1 player")), msg::IsHost(QStringLiteral("Ann")),
                    msg::ConnectAccept(false)};
        if (verb == QLatin1String("GETPLAYERLIST"))
            return {msg::PlayerList({QStringLiteral("Ann")})};
        return {};
    };
    // The player waits for the status answer, clicks it, then joins.
    m_dialogs.OnModal([](QDialog &dialog) {
        auto &browser = dynamic_cast<frmServers &>(dialog);
        EXPECT_EQ(browser.windowTitle(), QStringLiteral("Join a Game"));
        EXPECT_TRUE(WaitFor([&] { return browser.lstActive->count() == 1; }));
        EXPECT_EQ(browser.lstActive->item(0)->text(), QStringLiteral("127.0.0.1 (1)"));
        EXPECT_TRUE(WaitFor([&] { return !browser.tmrSearch->isActive(); }));
        EXPECT_EQ(browser.lblStatus->text(), QString());
        browser.cmbServers->setText(QString());
        browser.lstActive->setCurrentRow(0);
        emit browser.lstActive->itemClicked(browser.lstActive->item(0));
        EXPECT_EQ(browser.cmbServers->text(), QStringLiteral("127.0.0.1"));
        browser.cmdJoin->click();
        return int(browser.result());
    });
    auto w = MakeMain();
    QSignalSpy completed(w.get(), &frmMain::JoinCompleted);
    w->txtName->setText(QStringLiteral("Ann"));
    w->cmdJoin->click();

    ASSERT_TRUE(WaitFor([&] { return completed.count() == 1; })) << w->lblStatus->text().toStdString();
    EXPECT_FALSE(w->isVisible()) << "the start window closes itself";
    ASSERT_GE(m_peer.received.size(), 3);
    const QString port = QString::number(m_base);
    EXPECT_EQ(m_peer.received[0], QStringLiteral("STATUS SERVER=127.0.0.1;PORT=") + port + QLatin1Char(';'));
    EXPECT_EQ(m_peer.received[1],
              QStringLiteral("CONNECT VER=1.04 (beta);NAME=Ann;PORT=") + port + QStringLiteral(";PWD=;"));
    EXPECT_EQ(m_peer.received[2], QStringLiteral("GETPLAYERLIST PORT=") + port + QLatin1Char(';'));
    EXPECT_EQ(m_peer.lastSender, m_base) << "CONNECT leaves from the port it names";
    EXPECT_EQ(modData.PlayerCount, 1);
    EXPECT_TRUE(modData.IsHost);
    EXPECT_FALSE(modData.JoinedMidRound);
    EXPECT_EQ(modData.WelcomeText, QStringLiteral("Welcome, 1 player"));
    EXPECT_EQ(modData.ServerHost, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(LoadOption(QStringLiteral("LastServer")), QStringLiteral("127.0.0.1"));
    // The own port is free again for the game window.
    QUdpSocket next;
    EXPECT_TRUE(next.bind(QHostAddress::AnyIPv4, m_base));
}

// After the server ended the game the start window comes back with the reason, the name and the last
// server as they were, and joins again.
TEST_F(WindowTest, TheStartWindowComesBackAfterADisconnectAndJoinsAgain)
{
    m_peer.script = [](const QString &text) -> QStringList {
        const QString verb = GetVerb(text);
        if (verb == QLatin1String("CONNECT"))
            return {msg::ConnectAccept(false)};
        if (verb == QLatin1String("GETPLAYERLIST"))
            return {msg::PlayerList({QStringLiteral("Ann")})};
        return {};
    };
    PickServer(QStringLiteral("127.0.0.1"));
    auto w = MakeMain();
    QSignalSpy completed(w.get(), &frmMain::JoinCompleted);
    w->txtName->setText(QStringLiteral("Ann"));
    w->cmdJoin->click();
    ASSERT_TRUE(WaitFor([&] { return completed.count() == 1; })) << w->lblStatus->text().toStdString();
    ASSERT_FALSE(w->isVisible());

    modData.ResetAll();
    const QString why = QStringLiteral("You have been disconnected from the game: the server was stopped.");
    w->ComeBack(why);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->lblStatus->text(), why);
    EXPECT_TRUE(ControlsEnabled(*w));
    EXPECT_EQ(w->txtName->text(), QStringLiteral("Ann"));
    EXPECT_EQ(LoadOption(QStringLiteral("LastServer")), QStringLiteral("127.0.0.1"));

    m_peer.received.clear();
    w->cmdJoin->click();
    ASSERT_TRUE(WaitFor([&] { return completed.count() == 2; })) << w->lblStatus->text().toStdString();
    EXPECT_EQ(modData.PlayerCount, 1) << "the list of the last game is gone";
    EXPECT_TRUE(m_peer.received.contains(QStringLiteral("CONNECT VER=1.04 (beta);NAME=Ann;PORT=") +
                                         QString::number(m_base) + QStringLiteral(";PWD=;")));
}

TEST_F(WindowTest, RefusalsShowTheirTextAndReturnToIdle)
{
    struct Case {
        QString reply;
        QString status;
    };
    const QList<Case> cases = {
        {"CONNECTREJECT VER=1.04 (beta);", "Connection was refused: Version 1.04 (beta) required."},
        {"CONNECTREJECT ERROR=-11;", "Connection was refused: Name is banned from this server."},
        {"CONNECTREJECT ERROR=-7;", "Connection was refused: Unknown error."},
    };
    auto w = MakeMain();
    w->txtName->setText(QStringLiteral("Ann"));
    PickServer(QStringLiteral("127.0.0.1"));
    for (const Case &c : cases) {
        m_peer.script = [&](const QString &) { return QStringList{c.reply}; };
        w->cmdJoin->click();
        EXPECT_FALSE(ControlsEnabled(*w));
        ASSERT_TRUE(WaitFor([&] { return ControlsEnabled(*w); })) << c.reply.toStdString();
        EXPECT_EQ(w->lblStatus->text(), c.status);
        EXPECT_FALSE(w->tmrTimeout->isActive());
    }
}

TEST_F(WindowTest, PasswordStepAnsweredAndCancelled)
{
    m_peer.script = [](const QString &text) -> QStringList {
        if (GetVerb(text) != QLatin1String("CONNECT"))
            return {};
        if (GetValue(text, QStringLiteral("PWD")).isEmpty())
            return {msg::NeedPwd()};
        return {msg::ConnectAccept(true)};
    };
    auto w = MakeMain();
    w->txtName->setText(QStringLiteral("Ann"));
    PickServer(QStringLiteral("127.0.0.1"));

    m_dialogs.QueueInput(QStringLiteral("pw"));
    w->cmdJoin->click();
    ASSERT_TRUE(WaitFor([&] { return w->lblStatus->text() == QLatin1String("Connection accepted."); }));
    EXPECT_TRUE(m_peer.received.contains(QStringLiteral("CONNECT VER=1.04 (beta);NAME=Ann;PORT=") +
                                         QString::number(m_base) + QStringLiteral(";PWD=pw;")));
    EXPECT_TRUE(modData.JoinedMidRound);
    EXPECT_TRUE(w->tmrTimeout->isActive());
    w->Session().TimeoutTick();

    // Cancelled: back to Idle with an empty status.
    m_peer.received.clear();
    w->cmdJoin->click();
    ASSERT_TRUE(WaitFor([&] { return ControlsEnabled(*w); }));
    EXPECT_EQ(w->lblStatus->text(), QString());
    EXPECT_FALSE(w->tmrTimeout->isActive());
    EXPECT_EQ(m_peer.received.size(), 1);
    EXPECT_EQ(m_dialogs.ShownBoxes().last().text, QStringLiteral("Private server, please enter password:"));
}

TEST_F(WindowTest, SilentServerTimesOut)
{
    m_config.timeoutMs = 300;
    auto w = MakeMain();
    w->txtName->setText(QStringLiteral("Ann"));
    PickServer(QStringLiteral("127.0.0.1"));
    w->cmdJoin->click();
    EXPECT_EQ(w->lblStatus->text(), QStringLiteral("Connecting to 127.0.0.1..."));
    EXPECT_TRUE(w->tmrTimeout->isActive());
    ASSERT_TRUE(WaitFor([&] { return ControlsEnabled(*w); }));
    EXPECT_EQ(w->lblStatus->text(), QStringLiteral("Connection timed out: Check firewall/router settings."));
    ASSERT_EQ(m_peer.received.size(), 1);
}

TEST_F(WindowTest, ServerBrowserRemembersTheJoinedServerFirst)
{
    SaveOption(QStringLiteral("Servers"), QStringLiteral("a,B,c"));
    SaveOption(QStringLiteral("LastServer"), QStringLiteral("B"));
    frmServers browser(modData, m_sockets, m_dialogs, m_network, m_config.serverPort,
                       m_config.firstLocalPort);
    ASSERT_TRUE(browser.Load());
    EXPECT_EQ(browser.cmbServers->count(), 3);
    EXPECT_EQ(browser.cmbServers->text(), QStringLiteral("B"));
    EXPECT_EQ(browser.cmbServers->currentIndex(), 1);
    EXPECT_TRUE(browser.tmrSearch->isActive());
    EXPECT_EQ(browser.tmrSearch->interval(), 100);

    // Blank: nothing happens.
    browser.cmbServers->setText(QStringLiteral(" . "));
    browser.cmdJoin->click();
    EXPECT_EQ(browser.result(), 0);
    EXPECT_EQ(LoadOption(QStringLiteral("Servers")), QStringLiteral("a,B,c"));

    // Enter in the text line joins.
    browser.cmbServers->setText(QStringLiteral("b"));
    QTest::keyClick(browser.cmbServers->line, Qt::Key_Return);
    EXPECT_EQ(browser.result(), int(QDialog::Accepted));
    EXPECT_EQ(modData.ChosenServer, QStringLiteral("b"));
    EXPECT_EQ(LoadOption(QStringLiteral("Servers")), QStringLiteral("b,a,c"));
    EXPECT_EQ(LoadOption(QStringLiteral("LastServer")), QStringLiteral("b"));
}

// Double-clicking an answer joins the server it came from; double-clicking a known server joins it.
TEST_F(WindowTest, ServerBrowserDoubleClicksJoin)
{
    SaveOption(QStringLiteral("Servers"), QStringLiteral("127.0.0.1,B"));
    m_peer.script = [](const QString &text) -> QStringList {
        if (!text.startsWith(QStringLiteral("STATUS SERVER=127.0.0.1;PORT=")))
            return {};
        return {QStringLiteral("STATUS VER=1.04 (beta);#=3;SERVER=127.0.0.1;")};
    };
    {
        frmServers browser(modData, m_sockets, m_dialogs, m_network, m_config.serverPort,
                           m_config.firstLocalPort);
        ASSERT_TRUE(browser.Load());
        browser.show();
        ASSERT_TRUE(QTest::qWaitFor([&] { return browser.lstActive->count() == 1; }, 3000));
        EXPECT_EQ(browser.lstActive->item(0)->text(), QStringLiteral("127.0.0.1 (3)"));
        const QRect entry = browser.lstActive->visualItemRect(browser.lstActive->item(0));
        QTest::mouseClick(browser.lstActive->viewport(), Qt::LeftButton, {}, entry.center());
        QTest::mouseDClick(browser.lstActive->viewport(), Qt::LeftButton, {}, entry.center());
        EXPECT_EQ(browser.result(), int(QDialog::Accepted));
        EXPECT_EQ(modData.ChosenServer, QStringLiteral("127.0.0.1"));
        EXPECT_EQ(LoadOption(QStringLiteral("Servers")), QStringLiteral("127.0.0.1,B"));
    }
    {
        frmServers browser(modData, m_sockets, m_dialogs, m_network, m_config.serverPort,
                           m_config.firstLocalPort);
        ASSERT_TRUE(browser.Load());
        browser.show();
        QListWidget *list = browser.cmbServers->list;
        const QRect known = list->visualItemRect(list->item(1));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, known.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, known.center());
        EXPECT_EQ(browser.result(), int(QDialog::Accepted));
        EXPECT_EQ(modData.ChosenServer, QStringLiteral("B"));
        EXPECT_EQ(LoadOption(QStringLiteral("Servers")), QStringLiteral("B,127.0.0.1"));
        EXPECT_EQ(LoadOption(QStringLiteral("LastServer")), QStringLiteral("B"));
    }
}

// A server nobody typed answers the browser's broadcast: it is listed once with its count, read
// out with both, and choosing it fills the address that Join then takes.
TEST_F(WindowTest, ServerBrowserListsAServerFoundByBroadcast)
{
    // The loopback network's broadcast reaches a socket bound on every address, as a LAN's would.
    QUdpSocket lan;
    ASSERT_TRUE(lan.bind(QHostAddress::AnyIPv4, 0));
    int players = 2;
    QStringList asked;
    QObject::connect(&lan, &QUdpSocket::readyRead, &lan, [&] {
        while (lan.hasPendingDatagrams()) {
            const QNetworkDatagram d = lan.receiveDatagram();
            const QString text = QString::fromUtf8(d.data());
            asked << text;
            lan.writeDatagram(
                msg::StatusReply(kVersion, players, GetValue(text, QStringLiteral("SERVER"))).toUtf8(),
                d.senderAddress(), GetValue(text, QStringLiteral("PORT")).toUShort());
        }
    });
    FixedLocalNetwork network({QStringLiteral("127.255.255.255")});
    frmServers browser(modData, m_sockets, m_dialogs, network, lan.localPort(), m_config.firstLocalPort);
    ASSERT_TRUE(browser.Load());
    browser.show();
    EXPECT_TRUE(browser.tmrBroadcast->isActive());
    EXPECT_EQ(browser.tmrBroadcast->interval(), 3000);
    ASSERT_TRUE(WaitFor([&] { return browser.lstActive->count() == 1; }));
    EXPECT_EQ(asked, QStringList{QStringLiteral("STATUS SERVER=127.255.255.255;PORT=") +
                                 QString::number(m_base) + QLatin1Char(';')});
    QListWidgetItem *entry = browser.lstActive->item(0);
    EXPECT_EQ(entry->text(), QStringLiteral("127.0.0.1 (2)"));
    EXPECT_EQ(entry->data(Qt::AccessibleDescriptionRole).toString(),
              QStringLiteral("Found on the local network"));
    EXPECT_TRUE(WalkAccessible(&browser).names.contains(QStringLiteral("127.0.0.1, 2 players")));

    // The timer's next rounds (sped up here): the same entry, with the new count.
    players = 1;
    browser.tmrBroadcast->setInterval(50);
    ASSERT_TRUE(WaitFor([&] { return entry->text() == QLatin1String("127.0.0.1 (1)"); }));
    ASSERT_TRUE(WaitFor([&] { return asked.size() >= 3; }));
    EXPECT_EQ(browser.lstActive->count(), 1);
    EXPECT_EQ(entry->data(Qt::AccessibleTextRole).toString(), QStringLiteral("127.0.0.1, 1 player"));

    QTest::mouseClick(browser.lstActive->viewport(), Qt::LeftButton, {},
                      browser.lstActive->visualItemRect(entry).center());
    EXPECT_EQ(browser.cmbServers->text(), QStringLiteral("127.0.0.1"));
    browser.cmdJoin->click();
    EXPECT_EQ(browser.result(), int(QDialog::Accepted));
    EXPECT_EQ(modData.ChosenServer, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(LoadOption(QStringLiteral("Servers")), QStringLiteral("127.0.0.1"));
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

TEST_F(WindowTest, TabOrderOfTheServerBrowserAndTheHostDialog)
{
    frmServers browser(modData, m_sockets, m_dialogs, m_network, m_config.serverPort,
                       m_config.firstLocalPort);
    ASSERT_TRUE(browser.Load());
    EXPECT_EQ(TabChain(browser.cmbServers->line, 3),
              (QList<QWidget *>{browser.cmdJoin, browser.cmdCancel, browser.lstActive}));

    frmHost host(modData, m_dialogs);
    host.show();
    QApplication::setActiveWindow(&host);
    EXPECT_EQ(host.focusWidget(), host.txtIP);
}

// A screen reader finds a name for every control of the start window, the server browser and the
// host dialog: no box or button is announced by its kind alone.
TEST_F(WindowTest, EveryControlHasAnAccessibleName)
{
    SaveOption(QStringLiteral("Servers"), QStringLiteral("a,b"));
    auto start = MakeMain();
    frmServers browser(modData, m_sockets, m_dialogs, m_network, m_config.serverPort,
                       m_config.firstLocalPort);
    ASSERT_TRUE(browser.Load());
    frmHost host(modData, m_dialogs);
    ExpectAllNamed(start.get(), 4, {"Name", "Join Game", "Host Game", "Exit"});
    ExpectAllNamed(&browser, 7,
                   {"Server address", "Known servers", "a", "b", "Active Servers", "Join", "Cancel"});
    ExpectAllNamed(&host, 8,
                   {"Your IP address", "Welcome Message", "Password", "Help", "Host", "Cancel", "Reset"});
}

TEST_F(WindowTest, HostDialogChecksTheAddress)
{
    SaveOption(QStringLiteral("Server"), QStringLiteral("10.1.1.1"));
    SaveOption(QStringLiteral("Welcome"), QStringLiteral("hi %p"));
    SaveOption(QStringLiteral("Password"), QStringLiteral("pw"));
    frmHost host(modData, m_dialogs);
    EXPECT_EQ(host.windowTitle(), QStringLiteral("Host a Game"));
    EXPECT_EQ(host.txtIP->text(), QStringLiteral("10.1.1.1"));
    EXPECT_EQ(host.txtWelcomeMessage->toPlainText(), QStringLiteral("hi %p"));
    EXPECT_EQ(host.txtPassword->text(), QStringLiteral("pw"));

    struct Case {
        QString address;
        bool message;
        bool accepted;
    };
    const QList<Case> cases = {
        {"...", false, false},
        {"LOCALHOST", true, false},
        {" 127.0.0.1 ", true, false},
    };
    for (const Case &c : cases) {
        m_dialogs.Clear();
        host.txtIP->setText(c.address);
        host.cmdHost->click();
        EXPECT_EQ(m_dialogs.ShownBoxes().size(), c.message ? 1 : 0) << c.address.toStdString();
        EXPECT_EQ(host.result(), 0);
        EXPECT_EQ(host.txtIP->selectedText(), c.address);
    }
    EXPECT_EQ(m_dialogs.ShownBoxes()[0].icon, MessageIcon::Critical);
    EXPECT_EQ(m_dialogs.ShownBoxes()[0].text,
              QStringLiteral(
                  "You must provide an internal or external IP address that other users can also connect to "
                  "(127.0.0.1 will not work)."));

    // The password box drops separators; every box saved as typed.
    host.txtPassword->clear();
    QTest::keyClicks(host.txtPassword, QStringLiteral("s=e;c"));
    EXPECT_EQ(host.txtPassword->text(), QStringLiteral("sec"));
    EXPECT_EQ(LoadOption(QStringLiteral("Password")), QStringLiteral("sec"));
    host.txtWelcomeMessage->setPlainText(QStringLiteral("line one\nline two"));
    EXPECT_EQ(LoadOption(QStringLiteral("Welcome")), QStringLiteral("line one"));

    host.txtIP->setText(QStringLiteral(" 127.0.0.2 "));
    EXPECT_EQ(LoadOption(QStringLiteral("Server")), QStringLiteral(" 127.0.0.2 "));
    QTest::keyClick(host.txtIP, Qt::Key_Return);
    EXPECT_EQ(host.result(), int(QDialog::Accepted));
    EXPECT_EQ(modData.ChosenServer, QStringLiteral(" 127.0.0.2 "));
}

TEST_F(WindowTest, HostResetThenCancelHostsNothing)
{
    SaveOption(QStringLiteral("Server"), QStringLiteral("10.1.1.1"));
    SaveOption(QStringLiteral("Password"), QStringLiteral("pw"));
    QFile(m_state.Path() + QStringLiteral("/QuilloryServer")).open(QIODevice::WriteOnly);
    m_config.serverProgram = m_state.Path() + QStringLiteral("/QuilloryServer");
    auto w = MakeMain();
    m_dialogs.OnModal([](QDialog &dialog) {
        auto &host = dynamic_cast<frmHost &>(dialog);
        host.cmdHelp->click();
        host.cmdReset->click();
        EXPECT_EQ(host.txtWelcomeMessage->toPlainText(),
                  QStringLiteral("%p user(s) connected to Quillory Server %v"));
        host.cmdCancel->click();
        return int(host.result());
    });
    w->txtName->setText(QStringLiteral("Ann"));
    w->cmdHost->click();
    EXPECT_TRUE(m_started.isEmpty());
    EXPECT_TRUE(m_peer.received.isEmpty());
    EXPECT_TRUE(ControlsEnabled(*w));
    EXPECT_EQ(LoadOption(QStringLiteral("Server")), QString());
    EXPECT_EQ(LoadOption(QStringLiteral("Password")), QString());
    EXPECT_EQ(LoadOption(QStringLiteral("Welcome")),
              QStringLiteral("%p user(s) connected to Quillory Server %v"));
    ASSERT_FALSE(m_dialogs.ShownBoxes().isEmpty());
    const auto help = m_dialogs.ShownBoxes()[1]; // after the modal entry
    EXPECT_EQ(help.icon, MessageIcon::Information);
    EXPECT_TRUE(
        help.text.startsWith(QStringLiteral("Enter your IP address to connect to the local server.")));
}

} // namespace

TEST_F(WindowTest, HostDialogChoosesTheEncyclopediaTheServerWillServe)
{
    SaveOption(QStringLiteral("Encyclopedia"), QStringLiteral("/data/old.zim"));
    frmHost host(modData, m_dialogs);
    EXPECT_EQ(host.lblEncyclopedia->text(), QStringLiteral("/data/old.zim"));
    struct Row {
        std::optional<QString> answer;
        const char *setting;
        const char *shown;
    };
    const Row rows[] = {
        {std::nullopt, "/data/old.zim", "/data/old.zim"},
        {QStringLiteral("/data/wp_en_all.zim"), "/data/wp_en_all.zim", "/data/wp_en_all.zim"},
        {QString(), "", "built-in encyclopedia"},
        {QStringLiteral("/data/wikispeedia"), "/data/wikispeedia", "/data/wikispeedia"},
    };
    for (const Row &r : rows) {
        m_dialogs.QueueEncyclopedia(r.answer);
        host.cmdEncyclopedia->click();
        EXPECT_EQ(site::EncyclopediaSetting(), QString::fromUtf8(r.setting)) << r.setting;
        EXPECT_EQ(host.lblEncyclopedia->text(), QString::fromUtf8(r.shown)) << r.setting;
    }
    EXPECT_EQ(host.result(), 0) << "choosing does not close the dialog";
}

// With every own port taken, Join shows why and the program ends only once the player has closed
// that box; the server browser never opens.
TEST_F(WindowTest, NoFreePortEndsTheProgramAfterTheBox)
{
    std::vector<std::unique_ptr<QUdpSocket>> taken;
    for (int i = 0; i < kClientPortCount; ++i) {
        taken.push_back(std::make_unique<QUdpSocket>());
        ASSERT_TRUE(taken.back()->bind(QHostAddress::AnyIPv4, quint16(m_base + i)));
    }
    auto w = MakeMain();
    QSignalSpy ended(w.get(), &frmMain::ProgramEnd);
    int endedWhileOpen = -1;
    m_dialogs.OnMessage([&](const QString &) { endedWhileOpen = int(ended.count()); });
    w->txtName->setText(QStringLiteral("Ann"));
    w->cmdJoin->click();

    EXPECT_EQ(endedWhileOpen, 0);
    EXPECT_EQ(ended.count(), 1);
    ASSERT_EQ(m_dialogs.ShownBoxes().size(), 1) << "no browser after the box";
    EXPECT_EQ(m_dialogs.ShownBoxes()[0].kind, QStringLiteral("message"));
    EXPECT_EQ(m_dialogs.ShownBoxes()[0].text,
              QStringLiteral("Critical error:\r\nCould not find a local port to bind to."));
    EXPECT_EQ(m_dialogs.ShownBoxes()[0].icon, MessageIcon::Critical);
    EXPECT_TRUE(m_peer.received.isEmpty());
    EXPECT_EQ(w->Session().CurrentState(), JoinSession::State::Idle);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(w->findChildren<frmServers *>().size(), 0) << "the unshown browser is gone";
}
