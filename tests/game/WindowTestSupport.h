#pragma once

#include "common/QtPrinting.h"

#include "client/ModData.h"
#include "client/game/frmGame.h"
#include "client/session/GameSession.h"
#include "fakes/FakeNetwork.h"
#include "fakes/ScriptedDialogs.h"
#include "settings/Options.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

// The game windows of player Ann (port 7201) with a server socket on 7200 of the in-memory network.
// BrowserT is the browser the game window gets.
template <typename BrowserT> class WindowFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        modOptions::SetOptionsDirectory(m_dir.path());
        // Each window of its own unless a test says otherwise: most tests look at one window.
        SaveGameLayout(Layout());
        modData.ResetAll();
        modData.ResetRound();
        modData.ServerHost = QStringLiteral("127.0.0.1");
        modData.PlayerName = QStringLiteral("Ann");
        modData.OwnPort = QStringLiteral("7201");
        server = net.CreateSocket();
        ASSERT_TRUE(server->Bind(quint16(7200)));
        QObject::connect(server.get(), &DatagramSocket::DataArrival,
                         [this] { received << server->GetData(); });
        GameServices s;
        s.createSocket = [this] { return std::unique_ptr<DatagramSocket>(net.CreateSocket()); };
        s.createBrowser = [this](QWidget *window) {
            auto b = MakeBrowser(window);
            browser = b.get();
            return std::unique_ptr<Browser>(std::move(b));
        };
        s.dialogs = &dialogs;
        s.endProgram = [this] { ++programEnds; };
        Adjust(s);
        session = std::make_unique<GameSession>(modData, s);
    }
    void TearDown() override
    {
        if (session->HasGame())
            session->Game()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        session.reset();
        modData.ResetAll();
    }
    virtual std::unique_ptr<BrowserT> MakeBrowser(QWidget *window) = 0;
    virtual void Adjust(GameServices &) {}
    virtual GameLayout Layout() const { return GameLayout::Windows; }

    // A datagram from the server to the client, handled before this returns.
    void FromServer(const QString &text)
    {
        server->SendTo(QStringLiteral("127.0.0.1"), 7201, text);
        net.Deliver();
        // A STARTGAME begins the round once its start article has loaded.
        if (session->HasGame())
            QTest::qWaitFor([this] { return !session->HasGame() || !session->Game()->Core().StartPending(); },
                            30000);
    }
    QStringList Received()
    {
        net.Deliver();
        QStringList out = received;
        received.clear();
        return out;
    }

    QTemporaryDir m_dir;
    ModData modData;
    FakeNetwork net;
    std::unique_ptr<FakeSocket> server;
    ScriptedDialogs dialogs;
    std::unique_ptr<GameSession> session;
    BrowserT *browser = nullptr;
    QStringList received;
    int programEnds = 0;
};
