#pragma once

// A client of the game inside a test process: the real join over UDP, the real game windows with
// Chromium, driven through their controls.

#include "client/JoinSession.h"
#include "client/ModData.h"
#include "client/chat/frmChat.h"
#include "client/game/frmGame.h"
#include "client/session/GameSession.h"
#include "client/winner/frmWinner.h"
#include "fakes/ScriptedDialogs.h"
#include "platform/qt/UdpSocket.h"
#include "platform/qt/WebBrowser.h"
#include "settings/Options.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <string>

constexpr int kStepMs = 90000; // two Chromiums share two cores with everything else

// One client of the game in this process: joins 127.0.0.1 and then plays through its windows.
class Player
{
public:
    ModData modData;
    std::unique_ptr<GameSession> session;

    explicit Player(const QString &name) : m_name(name)
    {
        QApplication::setQuitOnLastWindowClosed(false);
        modOptions::SetOptionsDirectory(m_folder.path());
        modData.ResetAll();
        GameServices services = RealGameServices(m_dialogs);
        services.endProgram = [] {};
        session = std::make_unique<GameSession>(modData, services);
    }
    ~Player()
    {
        if (session->HasGame())
            session->Game()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        session.reset();
    }

    bool Join()
    {
        m_session = std::make_unique<JoinSession>(modData, m_sockets, m_dialogs);
        m_session->SetServerBrowser([this](auto closed) {
            modData.ChosenServer = QStringLiteral("127.0.0.1");
            modData.OwnPort = FindLocalPort(m_sockets);
            closed();
        });
        bool done = false;
        QObject::connect(m_session.get(), &JoinSession::Completed, [this, &done] {
            session->Open();
            done = true;
        });
        m_session->Join(m_name);
        return QTest::qWaitFor([&] { return done; }, 20000);
    }

    WebBrowser &Browser() { return static_cast<WebBrowser &>(session->Game()->GameBrowser()); }
    bool PageShown(const QString &page)
    {
        return QTest::qWaitFor([&] { return !Browser().Busy() && modData.CurrentPage == page; }, kStepMs);
    }
    void Click(const QString &text)
    {
        Browser().RunJavaScript(
            QStringLiteral(
                "(function(){var a=Array.from(document.querySelectorAll('a')).find(function(x){return "
                "x.textContent==='%1';}); if(a) a.click();})();")
                .arg(text));
    }
    QString Chat() const { return session->HasChat() ? session->Chat()->History() : QString(); }
    bool ChatShows(const QString &text)
    {
        return QTest::qWaitFor([&] { return Chat().contains(text); }, kStepMs);
    }
    // Types both words in the chooser, verifies them and starts; false when verification failed.
    bool ChooseWords(const QString &initial, const QString &destination, QString *resolved)
    {
        frmWinner *w = session->Chooser();
        w->txtInitial->setText(initial);
        w->txtDestination->setText(destination);
        w->cmdVerify->click();
        QTest::qWaitFor([w] { return !w->Chooser().Verifying(); }, 60000);
        *resolved = w->txtInitial->text() + QLatin1Char('/') + w->txtDestination->text();
        if (!w->cmdStartGame->isEnabled())
            return false;
        w->cmdStartGame->click();
        return true;
    }
    bool RoundRunsWith(const QString &start)
    {
        return QTest::qWaitFor([&] { return modData.InRound && modData.Words.value(0) == start; }, kStepMs);
    }

    ScriptedDialogs &Dialogs() { return m_dialogs; }

    // What this player's client holds now, for the message of a failed step.
    std::string State() const
    {
        const QString s =
            QStringLiteral("\n[%1] InRound=%2 Words=%3 Chooser=%4 CurrentPage=%5 boxes=%6\nchat:\n%7")
                .arg(m_name, modData.InRound ? QStringLiteral("yes") : QStringLiteral("no"),
                     modData.Words.join(QLatin1Char('/')), modData.Chooser, modData.CurrentPage,
                     m_dialogs.Texts().join(QLatin1Char('|')), Chat());
        return s.toStdString();
    }

private:
    QString m_name;
    QTemporaryDir m_folder;
    UdpSocketFactory m_sockets;
    ScriptedDialogs m_dialogs;
    std::unique_ptr<JoinSession> m_session;
};
