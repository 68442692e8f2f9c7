// The game window with the real Chromium browser against a local encyclopedia, and the server
// played by a script on the in-memory network.

#include "WindowTestSupport.h"
#include "common/AccessibleWalk.h"

#include "client/chat/frmChat.h"
#include "client/game/frmGame.h"
#include "client/winner/frmWinner.h"
#include "platform/qt/WebBrowser.h"
#include "protocol/Messages.h"
#include "site/http/SiteServer.h"

#include "server/GameServer.h"
#include <QAbstractHttpServer>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrlQuery>
#include <QWebEngineHistory>

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
        const quint16 port = StartSite();
        ASSERT_NE(port, 0);
        SaveOption(QStringLiteral("Site"), QStringLiteral("127.0.0.1:") + QString::number(port));
        modData.AddPlayer(QStringLiteral("Ann"));
        modData.AddPlayer(QStringLiteral("Bob"));
        session->Open();
        ASSERT_TRUE(QTest::qWaitFor([this] { return !browser->Busy() && MainPageShown(); }, 30000))
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
    // The encyclopedia the game browses; its port.
    virtual quint16 StartSite()
    {
        return m_site.Start(SmallCorpus(), QHostAddress::LocalHost, 0) ? m_site.Port() : 0;
    }
    virtual bool MainPageShown() const { return modData.CurrentPage == QLatin1String("Main Page"); }

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

// A screen reader finds the article view by its name; the page inside it is the site's to label.
TEST_F(RealBrowserTest, TheArticleViewHasAnAccessibleName)
{
    ExpectAllNamed(session->Game(), 1, {"Article", "Round", "Round status"});
}

TEST_F(RealBrowserTest, ClickedPagesAreReportedByTheRules)
{
    Expect(2); // the two score polls
    FromServer(msg::StartGame({QStringLiteral("Kitty"), QStringLiteral("Mouse")}));
    EXPECT_TRUE(modData.InRound);
    EXPECT_TRUE(session->Chat()->History().endsWith(QStringLiteral("GAME: The game has begun!")));
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
        EXPECT_EQ(session->Game()->windowTitle(), QString::fromUtf8(s.caption)) << s.link;
    }
    EXPECT_EQ(modData.Route, QStringLiteral("Kitty\rDog\rMouse\rCat\rDog\r"));
}

// The chooser's Verify opens the destination before the round; Back after the start must not lead
// there (a win without a single link). Back within the round still works.
TEST_F(RealBrowserTest, BackCannotReachAPageOpenedBeforeTheRound)
{
    Expect(2);
    browser->Navigate(session->Game()->Core().LookupUrl(QStringLiteral("Mouse")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !browser->Busy() && modData.CurrentPage == "Mouse"; }, 30000));
    FromServer(msg::StartGame({QStringLiteral("Cat"), QStringLiteral("Mouse")}));
    ASSERT_TRUE(modData.InRound);
    ASSERT_EQ(modData.CurrentPage, QStringLiteral("Cat"));

    browser->GoBack();
    browser->Page()->triggerAction(QWebEnginePage::Back);
    QTest::qWait(1500);
    EXPECT_EQ(Expect(0), QStringList{}) << "no page before the round is reported";
    EXPECT_EQ(modData.CurrentPage, QStringLiteral("Cat"));
    EXPECT_FALSE(browser->Page()->history()->canGoBack());

    // Back within the round leads to the start article again (which is never reported). The page is
    // opened as the player's own click would (a link clicked by script counts as no gesture, and
    // Chromium's Back skips the page it left).
    browser->Navigate(session->Game()->Core().LookupUrl(QStringLiteral("Dog")));
    EXPECT_EQ(Expect(1), QStringList{"NAVIGATE NAME=Ann;URL=Dog;"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !browser->Busy(); }, 30000));
    browser->GoBack();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !browser->Busy() && modData.CurrentPage == "Cat"; }, 30000));
    EXPECT_EQ(session->Game()->windowTitle(), QStringLiteral("Quillory - Cat"));
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
    frmWinner *w = session->Chooser();
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

// A site that titles its pages as today's online encyclopedia does: "Dog - Wikipedia", "Dog:
// Revision history - Wikipedia", "dog - Search results - Wikipedia"; the main page only
// "Wikipedia, the free encyclopedia". Every page links to Dog, Mouse, its history and a search.
class TodaysTitlesSite : public QAbstractHttpServer
{
public:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override
    {
        const QUrl url = request.url();
        const QUrlQuery query(url);
        const QString path = url.path();
        ++requests;
        QString title;
        QString name = QStringLiteral("Main Page");
        if (path == QLatin1String("/wiki/Special:Search")) {
            const QString word = query.queryItemValue(QStringLiteral("search"), QUrl::FullyDecoded);
            if (query.hasQueryItem(QStringLiteral("go"))) {
                makeResponder(request, socket)
                    .write(QByteArray(), {{"Location", "/wiki/" + QUrl::toPercentEncoding(word)}},
                           QHttpServerResponder::StatusCode::Found);
                return true;
            }
            title = word + QStringLiteral(" - Search results");
        } else if (path == QLatin1String("/w/index.php")) {
            name = query.queryItemValue(QStringLiteral("title"), QUrl::FullyDecoded);
            title = name + QStringLiteral(": Revision history");
        } else if (path.startsWith(QLatin1String("/wiki/")) && path != QLatin1String("/wiki/Main_Page")) {
            name =
                QUrl::fromPercentEncoding(path.mid(6).toUtf8()).replace(QLatin1Char('_'), QLatin1Char(' '));
            title = name;
        }
        const QString fullTitle =
            title.isEmpty() ? QStringLiteral("Wikipedia, the free encyclopedia") : title + " - Wikipedia";
        const QString body =
            "<html><head><title>" + fullTitle.toHtmlEscaped() + "</title></head><body>" +
            "<a href=\"/wiki/Dog\">Dog</a> <a href=\"/wiki/Mouse\">Mouse</a> " +
            "<a href=\"/w/index.php?title=" + name + "&amp;action=history\">View history</a> " +
            "<a href=\"/wiki/Special:Search?search=dog&amp;fulltext=1\">Search dog</a></body></html>";
        makeResponder(request, socket).write(body.toUtf8(), {{"Content-Type", "text/html; charset=utf-8"}});
        return true;
    }
    void missingHandler(const QHttpServerRequest &, QTcpSocket *) override {}
    int requests = 0;
};

class TodaysTitlesTest : public RealBrowserTest
{
protected:
    quint16 StartSite() override
    {
        // The HTTP server takes the listening socket as its own.
        auto *tcp = new QTcpServer(&m_today);
        if (!tcp->listen(QHostAddress::LocalHost, 0))
            return 0;
        m_today.bind(tcp);
        return tcp->serverPort();
    }
    bool MainPageShown() const override { return m_today.requests > 0; }

    TodaysTitlesSite m_today;
};

// A round against a site with today's titles plays as on the local site: articles are reported by
// name, a history page as "history" (which disqualifies), a search result page as "search".
TEST_F(TodaysTitlesTest, ARoundReportsTodaysPages)
{
    Expect(2);
    FromServer(msg::StartGame({QStringLiteral("Cat"), QStringLiteral("Mouse")}));
    ASSERT_TRUE(modData.InRound);
    EXPECT_EQ(modData.CurrentPage, QStringLiteral("Cat")) << "the look-up found the start article";
    EXPECT_TRUE(Expect(0).isEmpty());
    Click(QStringLiteral("Dog"));
    EXPECT_EQ(Expect(1), QStringList{"NAVIGATE NAME=Ann;URL=Dog;"});
    Click(QStringLiteral("View history"));
    EXPECT_EQ(Expect(1), QStringList{"NAVIGATE NAME=Ann;URL=history;"});
    EXPECT_TRUE(GameServer::IsForbiddenPage(QStringLiteral("history")));
    Click(QStringLiteral("Search dog"));
    EXPECT_EQ(Expect(1), QStringList{"NAVIGATE NAME=Ann;URL=search;"});
    Click(QStringLiteral("Mouse"));
    EXPECT_EQ(Expect(1), QStringList{"NAVIGATE NAME=Ann;URL=Mouse;"});
}

} // namespace
