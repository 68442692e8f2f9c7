// Joining without typing: on a network of its own, the real start window opens the server browser,
// whose broadcast the real QuilloryServer answers; the player picks the listed server and joins it.
#include "../server/E2eSupport.h"

#include "client/ModData.h"
#include "client/main/frmMain.h"
#include "client/servers/SimpleCombo.h"
#include "client/servers/frmServers.h"
#include "client/start/StartSteps.h"
#include "fakes/ScriptedDialogs.h"
#include "platform/qt/InterfaceNetwork.h"
#include "platform/qt/UdpSocket.h"
#include "settings/Options.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>

namespace
{

TEST(LanE2e, FindsTheServerByBroadcastAndJoinsItWithoutTyping)
{
    const QString unavailable = qEnvironmentVariable("QUILLORY_LAN_UNAVAILABLE");
    if (!unavailable.isEmpty())
        GTEST_SKIP() << unavailable.toStdString();
    const QString address = qEnvironmentVariable("QUILLORY_LAN_ADDRESS");
    const QString broadcast = qEnvironmentVariable("QUILLORY_LAN_BROADCAST");
    if (address.isEmpty())
        GTEST_SKIP() << "run through private_lan.sh, which makes the network this test broadcasts on";

    // The machine's interfaces name the private network once its link is up; loopback has none.
    InterfaceNetwork network;
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return network.BroadcastAddresses() == QStringList{broadcast}; }, 10000))
        << network.BroadcastAddresses().join(',').toStdString();

    ServerProcess server;
    QString why;
    ASSERT_TRUE(server.Start({{"Welcome", ""}, {"Password", ""}, {"Encyclopedia", ""}}, &why))
        << why.toStdString();

    // No server typed or remembered: the browser starts with empty lists.
    QApplication::setQuitOnLastWindowClosed(false);
    QTemporaryDir settings;
    ASSERT_TRUE(settings.isValid());
    modOptions::SetOptionsDirectory(settings.path());
    ModData modData;
    modData.ResetAll();
    UdpSocketFactory sockets;
    ScriptedDialogs dialogs;
    frmMain window(modData, sockets, dialogs);
    WireStartSteps(window, modData, sockets, dialogs, network);
    window.show();
    QSignalSpy completed(&window, &frmMain::JoinCompleted);

    QStringList listed;
    QString spoken;
    dialogs.OnModal([&](QDialog &dialog) {
        auto &browser = dynamic_cast<frmServers &>(dialog);
        browser.show();
        EXPECT_EQ(browser.cmbServers->count(), 0);
        EXPECT_EQ(browser.cmbServers->text(), QString());
        if (!QTest::qWaitFor([&] { return browser.lstActive->count() > 0; }, 10000))
            return 0;
        // Another round of broadcasts is answered too, and lands in the same entry.
        QTest::qWait(ServerBrowser::kBroadcastIntervalMs + 500);
        for (int row = 0; row < browser.lstActive->count(); ++row)
            listed << browser.lstActive->item(row)->text();
        QListWidgetItem *entry = browser.lstActive->item(0);
        spoken = entry->data(Qt::AccessibleTextRole).toString();
        QTest::mouseClick(browser.lstActive->viewport(), Qt::LeftButton, {},
                          browser.lstActive->visualItemRect(entry).center());
        browser.cmdJoin->click();
        return int(browser.result());
    });
    window.txtName->setText(QStringLiteral("Ann"));
    window.cmdJoin->click();

    ASSERT_TRUE(QTest::qWaitFor([&] { return completed.count() == 1; }, 20000))
        << "listed: " << listed.join('|').toStdString()
        << "; status: " << window.lblStatus->text().toStdString();
    EXPECT_EQ(listed, QStringList{address + QStringLiteral(" (0)")});
    EXPECT_EQ(spoken, address + QStringLiteral(", 0 players"));
    EXPECT_EQ(modData.ServerHost, address);
    EXPECT_EQ(modData.ServerIP, address);
    EXPECT_EQ(modData.OwnPort, QStringLiteral("7201")) << "the server holds 7200";
    ASSERT_EQ(modData.PlayerCount, 1);
    EXPECT_EQ(modData.Players[1].Name, QStringLiteral("Ann"));
    EXPECT_TRUE(modData.IsHost);
    // The found server is remembered like a typed one.
    EXPECT_EQ(LoadOption(QStringLiteral("LastServer")), address);
    EXPECT_EQ(LoadOption(QStringLiteral("Servers")), address);
}

} // namespace
