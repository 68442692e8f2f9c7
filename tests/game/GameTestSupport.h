#pragma once

#include "common/QtPrinting.h"

#include "client/GameCore.h"
#include "client/ModData.h"
#include "fakes/FakeNetwork.h"
#include "fakes/ScriptedBrowser.h"
#include "fakes/ScriptedDialogs.h"

#include <QStringList>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>
#include <memory>

// Records what the game logic asks of the windows around it.
class RecordingView : public GameView
{
public:
    void AddChat(const QString &name, const QString &text) override
    {
        chat << name + QStringLiteral(": ") + text;
    }
    void UpdateChatList() override { ++chatListUpdates; }
    void UpdateScores(const ScoreFlags &f) override
    {
        QString s;
        s += f.Player ? QLatin1Char('P') : QLatin1Char('-');
        s += f.Score ? QLatin1Char('S') : QLatin1Char('-');
        s += f.Ping ? QLatin1Char('I') : QLatin1Char('-');
        s += f.Words ? QLatin1Char('W') : QLatin1Char('-');
        scoreUpdates << s;
    }
    bool ChooserShown() const override { return chooserShown; }
    void ShowChooser() override
    {
        chooserShown = true;
        ++chooserOpened;
    }
    void SetChooserWord(const QString &source, const QString &title) override
    {
        chooserWords << source + "=" + title;
    }
    void SetCaption(const QString &c) override { caption = c; }
    void CloseGame() override { ++closeRequests; }

    QStringList chat;
    int chatListUpdates = 0;
    QStringList scoreUpdates;
    bool chooserShown = false;
    int chooserOpened = 0;
    QStringList chooserWords;
    QString caption;
    int closeRequests = 0;
};

inline const QString kSite = QStringLiteral("wiki.test:7200");
inline const QString kTitleSuffix = QStringLiteral(" - Wikipedia, the free encyclopedia");

// A scripted site on which any look-up opens the article of that name; the main page is its own.
inline ScriptedBrowser::Page ArticleOfTheLookUp(const QString &url)
{
    const QString key = QStringLiteral("search=");
    const qsizetype at = url.indexOf(key);
    if (at < 0)
        return ScriptedBrowser::Page{QStringLiteral("Main Page") + kTitleSuffix, {}};
    const QString word =
        QUrl::fromPercentEncoding(url.mid(at + key.size()).section(QLatin1Char('&'), 0, 0).toUtf8());
    return ScriptedBrowser::Page{word + kTitleSuffix, {}};
}

// A client at 127.0.0.1:7201 and its game server at 127.0.0.1:7200 on the in-memory network.
class GameFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        modData.ResetAll();
        modData.ResetRound();
        modData.ServerHost = QStringLiteral("127.0.0.1");
        modData.PlayerName = QStringLiteral("Ann");
        modData.OwnPort = QStringLiteral("7201");
        server = net.CreateSocket();
        ASSERT_TRUE(server->Bind(quint16(7200)));
        socket = net.CreateSocket();
        core = std::make_unique<GameCore>(modData, *socket, browser, dialogs, view, kSite);
        browser.SetResolver(ArticleOfTheLookUp);
    }
    void TearDown() override
    {
        core.reset();
        modData.ResetAll();
    }
    // Texts the client sent to the server since the last call.
    QStringList Sent()
    {
        QStringList out = net.SentTo(7200).mid(m_seen);
        m_seen += out.size();
        return out;
    }
    // Hands a datagram to the client and lets events run until a round it starts no longer waits
    // for its start article.
    void HandleAndSettle(const QString &datagram)
    {
        core->HandleDatagram(datagram);
        QTest::qWaitFor([this] { return !core->StartPending(); }, 30000);
    }
    void AddPlayers(const QStringList &names)
    {
        for (const QString &n : names)
            modData.AddPlayer(n);
    }

    ModData modData;
    FakeNetwork net;
    std::unique_ptr<FakeSocket> server;
    std::unique_ptr<FakeSocket> socket;
    ScriptedBrowser browser;
    ScriptedDialogs dialogs;
    RecordingView view;
    std::unique_ptr<GameCore> core;

private:
    qsizetype m_seen = 0;
};
