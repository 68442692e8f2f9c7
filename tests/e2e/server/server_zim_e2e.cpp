// A whole round against the real QuilloryServer serving a ZIM archive written here.
#include "E2eSupport.h"
#include "platform/qt/HeadlessBrowser.h"
#include "tests/common/ZimTestArchive.h"

#include <QRegularExpression>
#include <QSet>

namespace
{

const QStringList kArticles = {"Amber", "Basalt", "Chalk", "Dolomite", "Emerald"};

QString connectText(UdpPeer &p)
{
    return "CONNECT VER=1.04 (beta);NAME=" + p.Name() + ";PORT=" + p.Port() + ";PWD=;";
}

// Every article links to every other, relatively, as archives do.
ZimTestArchive Rocks()
{
    ZimTestArchive a;
    a.Title("Rocks").Main("Rocks_portal");
    std::string portal;
    for (const QString &from : kArticles) {
        std::string body = "<p>" + from.toStdString() + " is a rock.";
        for (const QString &to : kArticles) {
            if (to != from)
                body += " <a href=\"" + to.toStdString() + "\">" + to.toStdString() + "</a>";
        }
        a.Article(from.toStdString(), from.toStdString(), body + "</p>");
        portal += "<a href=\"" + from.toStdString() + "\">" + from.toStdString() + "</a> ";
    }
    a.Article("Rocks_portal", "Rocks portal", portal);
    a.RedirectTo("Stone", "Stone", "Basalt");
    return a;
}

QString Get(const QString &path, int *status)
{
    const QByteArray body = HttpGet("http://127.0.0.1:7200" + path, status);
    return *status == 200 ? HeadlessBrowser::ExtractTitle(body) : QString();
}

QStringList ArticleHrefs(const QString &path)
{
    int status = 0;
    const QString body = QString::fromUtf8(HttpGet("http://127.0.0.1:7200" + path, &status));
    static const QRegularExpression href(QStringLiteral("href=\"(/wiki/[A-Z][a-z]+)\""));
    QStringList out;
    for (auto it = href.globalMatch(body); it.hasNext();)
        out << it.next().captured(1);
    return out;
}

TEST(ServerZimE2e, AWholeRoundOnAnArchive)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("rocks.zim");
    ASSERT_TRUE(Rocks().Write(file));
    ServerProcess server;
    QString why;
    ASSERT_TRUE(server.Start({{"Encyclopedia", file}}, &why)) << why.toStdString();

    int status = 0;
    EXPECT_EQ(Get("/wiki/Main_Page", &status), "Main Page - Wikipedia, the free encyclopedia");
    (void)Get("/wiki/Special:Search?search=stone&go=Go", &status);
    EXPECT_EQ(status, 302) << "to the article the redirect names";

    UdpPeer ann("Ann", 7201), bob("Bob", 7202);
    for (UdpPeer *p : {&ann, &bob}) {
        p->Send(connectText(*p));
        ASSERT_FALSE(p->WaitFor("CONNECTACCEPT").isEmpty()) << p->Name().toStdString();
    }
    ann.Drain();
    bob.Drain();

    // The server's hidden browser draws both words from the archive's articles.
    QStringList words;
    for (const QString src : {"1", "2"}) {
        ann.Send("GETRANDOM SRC=" + src + ";");
        const QString prefix = "SETRANDOM SRC=" + src + ";URL=";
        const QString setRandom = bob.WaitFor(prefix, 10000);
        ASSERT_TRUE(setRandom.startsWith(prefix)) << setRandom.toStdString();
        const QString title = setRandom.mid(prefix.size()).chopped(1);
        EXPECT_TRUE(kArticles.contains(title)) << title.toStdString();
        words << title;
    }
    const QString start = words[0];
    const QString destination = words[1] == start ? kArticles[(kArticles.indexOf(start) + 1) % 5] : words[1];
    ann.Send("SETWORDS COUNT=1;WORD0=" + start + ";WORD1=" + destination + ";");
    EXPECT_FALSE(bob.WaitFor("STARTGAME COUNT=1;").isEmpty());
    // The archive's link graph is built by now: every round tells its par.
    EXPECT_EQ(bob.WaitFor("CHAT NAME=GAME;"),
              "CHAT NAME=GAME;TEXT=Shortest route from " + start + " to " + destination + ": 1 click.");
    ann.Drain();

    // Bob follows the start page's own links to the destination, reporting each page.
    const QStringList hrefs = ArticleHrefs("/wiki/" + start);
    ASSERT_TRUE(hrefs.contains("/wiki/" + destination)) << hrefs.join(' ').toStdString();
    const QString page = Get("/wiki/" + destination, &status);
    ASSERT_EQ(page, destination + " - Wikipedia, the free encyclopedia");
    bob.Send("NAVIGATE NAME=Bob;URL=" + page.left(page.lastIndexOf(" -")) + ";");
    EXPECT_FALSE(ann.WaitFor("WINNER NAME=Bob;").isEmpty());
    EXPECT_EQ(ann.WaitFor("CHAT NAME=GAME;"),
              "CHAT NAME=GAME;TEXT=Bob reached " + destination + " in 0:00 with 1 click.");
    EXPECT_EQ(ann.WaitFor("CHAT NAME=GAME;"), "CHAT NAME=GAME;TEXT=No route is shorter.");
    bob.Send("SENDMYPATH NAME=Bob;PATH=" + start + "\r" + destination + ";");
    EXPECT_EQ(ann.WaitFor("PATHIS "), "PATHIS NAME=Bob;PATH=" + start + "\r" + destination + ";");

    // A forbidden page kind reached from an article's tabs still disqualifies.
    EXPECT_EQ(Get("/wiki/Talk:" + start, &status), "Talk:" + start + " - Wikipedia, the free encyclopedia");
}

} // namespace
