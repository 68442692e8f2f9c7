// The game window with the real Chromium browser against a local encyclopedia, and the server
// played by a script on the in-memory network.

#include "WindowTestSupport.h"

#include "client/chat/frmChat.h"
#include "client/game/frmGame.h"
#include "client/winner/frmWinner.h"
#include "platform/qt/WebBrowser.h"
#include "protocol/Messages.h"
#include "site/SiteServer.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>

namespace
{

std::shared_ptr<const Corpus> SmallCorpus()
{
    auto c = std::make_shared<Corpus>();
    const int cat =
        c->AddArticle(QStringLiteral("Cat"), "The Cat chases the Dog. See List of dogs and 1984.");
    const int dog = c->AddArticle(QStringLiteral("Dog"), "A Dog fears nobody but the Mouse.");
    const int mouse = c->AddArticle(QStringLiteral("Mouse"), "A Mouse likes the Cat.");
    const int list = c->AddArticle(QStringLiteral("List of dogs"), "Every Dog there is.");
    const int year = c->AddArticle(QStringLiteral("1984"), "A year with a Cat in it.");
    c->AddLink(cat, dog);
    c->AddLink(cat, list);
    c->AddLink(cat, year);
    c->AddLink(dog, mouse);
    c->AddLink(mouse, cat);
    c->AddLink(list, dog);
    c->AddLink(year, cat);
    c->Edit(cat).externalLinks.append(
        {QStringLiteral("http://offsite.invalid/"), QStringLiteral("Elsewhere")});
    c->AddRedirect(QStringLiteral("Kitty"), QStringLiteral("Cat"));
    c->SetMainPageLinks({cat});
    return c;
}

class RealBrowserTest : public WindowFixture<WebBrowser>
{
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        ASSERT_TRUE(m_site.Start(SmallCorpus(), QHostAddress::LocalHost, 0))
            << m_site.ErrorString().toStdString();
        SaveOption(QStringLiteral("Site"), QStringLiteral("127.0.0.1:") + QString::number(m_site.Port()));
        modData.AddPlayer(QStringLiteral("Ann"));
        modData.AddPlayer(QStringLiteral("Bob"));
        OpenGameWindows(modData);
        ASSERT_TRUE(
            QTest::qWaitFor([this] { return !browser->Busy() && modData.CurrentPage == "Main Page"; }, 30000))
            << "the main page did not load";
    }
    void TearDown() override
    {
        WindowFixture::TearDown();
        m_site.Stop();
    }
    std::unique_ptr<WebBrowser> MakeBrowser(QWidget *window) override
    {
        return std::make_unique<WebBrowser>(window);
    }

    // Clicks the first link showing exactly this text, as the player would.
    void Click(const QString &text)
    {
        browser->RunJavaScript(
            QStringLiteral(
                "(function(){var a=Array.from(document.querySelectorAll('a')).find(function(x){return "
                "x.textContent==='%1';}); if(a) a.click();})();")
                .arg(text));
    }
    // Waits until the server got `count` more datagrams besides keep-alives; returns them.
    QStringList Expect(int count)
    {
        auto game = [this] {
            received.removeIf([](const QString &d) { return d.startsWith(QLatin1String("PINGME")); });
        };
        (void)QTest::qWaitFor(
            [&] {
                net.Deliver();
                game();
                return received.size() >= count;
            },
            20000);
        QTest::qWait(300); // anything extra would show up now
        net.Deliver();
        game();
        return Received();
    }

    SiteServer m_site;
};

TEST_F(RealBrowserTest, ClickedPagesAreReportedByTheRules)
{
    Expect(2); // the two score polls
    FromServer(msg::StartGame({QStringLiteral("Kitty"), QStringLiteral("Mouse")}));
    EXPECT_TRUE(modData.InRound);
    EXPECT_TRUE(ChatWindow()->History().endsWith(QStringLiteral("GAME: The game has begun!")));
    // The start article's title (Cat, reached through "Kitty") arrived before the round began.
    EXPECT_EQ(Expect(0), QStringList{});
    EXPECT_EQ(modData.CurrentPage, QStringLiteral("Cat"));

    struct Step {
        const char *link;
        QStringList sent;
        const char *caption;
    };
    const Step steps[] = {
        {"Dog", {"NAVIGATE NAME=Ann;URL=Dog;"}, "Quillory - Dog"},
        {"Mouse", {"NAVIGATE NAME=Ann;URL=Mouse;"}, "Quillory - Mouse"},
        {"Cat", {"NAVIGATE NAME=Ann;URL=Cat;"}, "Quillory - Cat"},
        {"List of dogs", {"NAVIGATE NAME=Ann;URL=list;"}, "Quillory - list"},
        {"Dog", {"NAVIGATE NAME=Ann;URL=Dog;"}, "Quillory - Dog"},
        {"Talk", {"NAVIGATE NAME=Ann;URL=talk;"}, "Quillory - talk"},
    };
    for (const Step &s : steps) {
        Click(QString::fromUtf8(s.link));
        EXPECT_EQ(Expect(s.sent.size()), s.sent) << s.link;
        EXPECT_EQ(GameWindow()->windowTitle(), QString::fromUtf8(s.caption)) << s.link;
    }
    EXPECT_EQ(modData.Route, QStringLiteral("Kitty\rDog\rMouse\rCat\rDog\r"));
}

// STARTGAME may replace a page that is still loading (a page the player clicked, the chooser's
// last step back). Chromium then announces no new start of loading, only the end; the wait must
// still end with the start article's load (the browser idle when it completes).
TEST_F(RealBrowserTest, StartWaitEndsWithTheStartArticleWhenItReplacesALoadingPage)
{
    Expect(2);
    // A site that takes the request and never answers keeps the page loading.
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    QList<QTcpSocket *> held;
    QObject::connect(&silent, &QTcpServer::newConnection, [&] {
        while (QTcpSocket *c = silent.nextPendingConnection())
            held << c;
    });
    browser->Navigate(QStringLiteral("http://127.0.0.1:%1/wiki/Slow").arg(silent.serverPort()));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return !held.isEmpty() && held.first()->bytesAvailable() > 0; }, 30000));
    ASSERT_TRUE(browser->Busy());

    QStringList completes;
    QList<bool> busyAtComplete;
    QObject::connect(browser, &Browser::DocumentComplete, [&](const QString &url) {
        completes << url;
        busyAtComplete << browser->Busy();
    });
    FromServer(msg::StartGame({QStringLiteral("Kitty"), QStringLiteral("Mouse")}));
    EXPECT_TRUE(modData.InRound);
    EXPECT_EQ(modData.CurrentPage, QStringLiteral("Cat"));
    ASSERT_FALSE(completes.isEmpty());
    EXPECT_TRUE(completes.last().endsWith(QStringLiteral("/wiki/Cat"))) << completes.join(' ').toStdString();
    EXPECT_FALSE(busyAtComplete.last()) << "the start article loaded, yet the browser still counted as busy";
    EXPECT_EQ(Expect(0), QStringList{}); // the start article is never reported
}

TEST_F(RealBrowserTest, NumbersAndOffSiteLinks)
{
    Expect(2);
    FromServer(msg::StartGame({QStringLiteral("Cat"), QStringLiteral("Mouse")}));
    EXPECT_TRUE(Expect(0).isEmpty()); // the start article is not reported
    Click(QStringLiteral("1984"));
    EXPECT_EQ(Expect(1), QStringList{"NAVIGATE NAME=Ann;URL=number;"});
    Click(QStringLiteral("Cat"));
    EXPECT_EQ(Expect(0), QStringList{}); // the start word
    Click(QStringLiteral("Elsewhere"));
    EXPECT_EQ(Expect(1), QStringList{"NAVIGATE NAME=Ann;URL=nowiki;"});
    EXPECT_EQ(modData.CurrentPage, QStringLiteral("nowiki"));
}

TEST_F(RealBrowserTest, NothingIsReportedOutsideARound)
{
    Expect(2);
    Click(QStringLiteral("Cat"));
    ASSERT_TRUE(QTest::qWaitFor([this] { return modData.CurrentPage == "Cat"; }, 20000));
    Click(QStringLiteral("Talk"));
    ASSERT_TRUE(QTest::qWaitFor([this] { return modData.CurrentPage == "Talk:Cat"; }, 20000));
    EXPECT_TRUE(Expect(0).isEmpty());
}

TEST_F(RealBrowserTest, ChooserVerifiesAgainstTheSite)
{
    modData.IsHost = true;
    frmWinner *w = ChooserWindow();
    w->show();
    struct Row {
        QString initial, destination;
        QString initialAfter, destinationAfter;
        QStringList messages;
        bool startEnabled;
    };
    const Row rows[] = {
        {"kitty", "mouse", "Cat", "Mouse", {}, true},
        {"Cat", "Nosuchthing", "Cat", "Nosuchthing", {"This article doesn't exist."}, false},
        {"Cat", "Kitty", "Cat", "Kitty", {"There was a problem verifying the destination article."}, false},
    };
    for (const Row &r : rows) {
        dialogs.Clear();
        w->txtInitial->setText(r.initial);
        w->txtDestination->setText(r.destination);
        w->cmdVerify->click();
        QTest::qWaitFor([w] { return !w->Chooser().Verifying(); }, 60000);
        EXPECT_EQ(w->txtInitial->text(), r.initialAfter);
        EXPECT_EQ(w->txtDestination->text(), r.destinationAfter);
        EXPECT_EQ(dialogs.Texts(), r.messages);
        EXPECT_EQ(w->cmdStartGame->isEnabled(), r.startEnabled);
        EXPECT_FALSE(w->Chooser().Verifying());
    }
}

} // namespace
