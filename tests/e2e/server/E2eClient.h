#pragma once

// A player's client without windows for end-to-end tests: the real handshake over UDP, then the
// game window's real core with a real HTTP browser.

#include "client/ChatLog.h"
#include "client/GameCore.h"
#include "client/JoinSession.h"
#include "client/ModData.h"
#include "fakes/ScriptedDialogs.h"
#include "platform/qt/HeadlessBrowser.h"
#include "platform/qt/UdpSocket.h"

#include <QTest>
#include <memory>

namespace
{

constexpr int kStepMs = 15000;
const QString kSite = QStringLiteral("127.0.0.1:7200");

class ChatView : public GameView
{
public:
    void AddChat(const QString &name, const QString &text) override
    {
        chat << name + QStringLiteral(": ") + text;
    }
    void UpdateChatList() override {}
    void UpdateScores(const ScoreFlags &) override {}
    bool ChooserShown() const override { return false; }
    void ShowChooser() override { ++chooserOpened; }
    void SetChooserWord(const QString &, const QString &) override {}
    void SetCaption(const QString &) override {}
    void CloseGame() override {}

    QStringList chat;
    int chooserOpened = 0;
};

// One player's client without windows: the handshake, then the game window's core.
struct Client {
    explicit Client(const QString &playerName) : name(playerName)
    {
        session = std::make_unique<JoinSession>(modData, sockets, dialogs);
        session->SetServerBrowser([this](auto closed) {
            modData.OwnPort = FindLocalPort(sockets);
            modData.ChosenServer = QStringLiteral("127.0.0.1");
            closed();
        });
        QObject::connect(session.get(), &JoinSession::Completed, [this] {
            socket = sockets.CreateSocket();
            core = std::make_unique<GameCore>(modData, *socket, browser, dialogs, view, kSite);
            core->InitGame();
        });
    }
    bool Join()
    {
        session->Join(name);
        return QTest::qWaitFor([this] { return core != nullptr; }, kStepMs);
    }
    void Click(const QString &article) { browser.Navigate("http://" + kSite + "/wiki/" + article); }
    void Type(const QString &typed)
    {
        const QString message = chatlog::OutgoingMessage(typed, modData.PlayerName, modData.OwnPort);
        core->SendData(message);
    }
    bool InRound() const { return modData.InRound && core && !core->StartPending(); }
    bool Heard(const QString &line) const
    {
        return QTest::qWaitFor([&] { return view.chat.contains(line); }, kStepMs);
    }

    QString name;
    ModData modData;
    UdpSocketFactory sockets;
    ScriptedDialogs dialogs;
    HeadlessBrowser browser;
    ChatView view;
    std::unique_ptr<JoinSession> session;
    std::unique_ptr<DatagramSocket> socket;
    std::unique_ptr<GameCore> core;
};

} // namespace
