// Two whole rounds against the real QuilloryServer and its own encyclopedia.
#include "E2eSupport.h"
#include "platform/qt/HeadlessBrowser.h"

namespace
{

QString connectText(UdpPeer &p)
{
    return "CONNECT VER=1.04 (beta);NAME=" + p.Name() + ";PORT=" + p.Port() + ";PWD=;";
}

QString score(const QString &name, int wins, int clicks, int roundClicks, const QString &inGame)
{
    return QString("SCOREIS NAME=%1;WINS=%2;CLICK=%3;RCLICK=%4;INGAME=%5;")
        .arg(name)
        .arg(wins)
        .arg(clicks)
        .arg(roundClicks)
        .arg(inGame);
}

// The title the site shows for an article, "" when it does not serve it.
QString servedTitle(const QString &article)
{
    int status = 0;
    const QByteArray body =
        HttpGet("http://127.0.0.1:7200/wiki/" + QString::fromUtf8(QUrl::toPercentEncoding(article)), &status);
    return status == 200 ? HeadlessBrowser::ExtractTitle(body) : QString();
}

// The round's par, heard after its words: the chat line, then PAR when a route leads there. True
// when one does, and so a shortest route comes with the results.
bool TakePar(UdpPeer &p, const QString &start, const QString &destination)
{
    const QStringList line = p.Take(1);
    const QString shortest = "CHAT NAME=GAME;TEXT=Shortest route from " + start + " to " + destination + ": ";
    if (line.value(0).startsWith(shortest)) {
        const QString clicks = line[0].mid(shortest.size()).section(' ', 0, 0);
        EXPECT_EQ(p.Take(1), QStringList({"PAR CLICKS=" + clicks + ";"})) << p.Name().toStdString();
        return true;
    }
    EXPECT_EQ(line, QStringList({"CHAT NAME=GAME;TEXT=No route leads from " + start + " to " + destination +
                                 " in this encyclopedia."}))
        << p.Name().toStdString();
    return false;
}

// A round's end: a shortest route when one is known, then one result per player in the round.
void ExpectResults(UdpPeer &p, bool shortest, const QStringList &names)
{
    if (shortest)
        EXPECT_TRUE(p.Take(1).value(0).startsWith("SHORTEST ROUND=")) << p.Name().toStdString();
    for (const QString &name : names) {
        const QString result = p.Take(1).value(0);
        EXPECT_TRUE(result.startsWith("RESULT ") && result.contains(";NAME=" + name + ";"))
            << p.Name().toStdString() << ": " << result.toStdString();
    }
}

QString notice(const QString &name, const QString &page)
{
    return "CHAT NAME=GAME;TEXT=" + name + " has been disqualified for visiting an illegal page: \"" + page +
           "\"";
}

TEST(ServerE2e, TwoWholeRounds)
{
    ServerProcess server;
    QString why;
    ASSERT_TRUE(server.Start({}, &why)) << why.toStdString();
    UdpPeer ann("Ann", 7201), bob("Bob", 7202), cy("Cy", 7203), dan("Dan", 7204);
    UdpPeer *three[] = {&ann, &bob, &cy};
    UdpPeer *all[] = {&ann, &bob, &cy, &dan};
    for (UdpPeer *p : three) {
        p->Send(connectText(*p));
        ASSERT_FALSE(p->WaitFor("CONNECTACCEPT").isEmpty()) << p->Name().toStdString();
    }
    for (UdpPeer *p : three)
        p->Drain();

    // Random words: one SETRANDOM per request, to everyone, naming an article the site serves.
    QStringList words;
    for (const QString src : {"1", "2"}) {
        ann.Send("GETRANDOM SRC=" + src + ";");
        const QString setRandom = bob.WaitFor("SETRANDOM ", 10000);
        ASSERT_TRUE(setRandom.startsWith("SETRANDOM SRC=" + src + ";URL=")) << setRandom.toStdString();
        const QString title = setRandom.mid(QString("SETRANDOM SRC=" + src + ";URL=").size()).chopped(1);
        EXPECT_EQ(servedTitle(title), title + " - Wikipedia, the free encyclopedia");
        for (UdpPeer *p : three)
            EXPECT_EQ(p->Drain(500), p == &bob ? QStringList() : QStringList({setRandom}))
                << p->Name().toStdString();
        words << title;
    }

    // Round one.
    const QString start = words[0];
    const QString destination = words[1] == words[0] ? words[1] + " (again)" : words[1];
    ann.Send("SETWORDS COUNT=1;WORD0=" + start + ";WORD1=" + destination + ";");
    const QString startGame = "STARTGAME COUNT=1;WORD0=" + start + ";WORD1=" + destination + ";";
    // Each hears the words, then the round's par from GAME.
    bool shortest = false;
    for (UdpPeer *p : three) {
        EXPECT_EQ(p->Take(1), QStringList({startGame}));
        shortest = TakePar(*p, start, destination);
    }

    bob.Send("NAVIGATE NAME=Bob;URL=Stepping stone;");
    for (UdpPeer *p : three)
        EXPECT_EQ(p->Take(1), QStringList({score("Bob", 0, 1, 1, "yes")}));

    cy.Send("NAVIGATE NAME=Cy;URL=special;");
    EXPECT_EQ(cy.Take(3),
              QStringList({"DISQUALIFY URL=special;", notice("Cy", "special"), score("Cy", 0, 1, 1, "no")}));
    EXPECT_EQ(ann.Take(2), QStringList({notice("Cy", "special"), score("Cy", 0, 1, 1, "no")}));
    EXPECT_EQ(bob.Take(2), QStringList({notice("Cy", "special"), score("Cy", 0, 1, 1, "no")}));

    // A join in the middle of the round fetches the words.
    dan.Send(connectText(dan));
    EXPECT_EQ(dan.Take(1), QStringList({"CONNECTACCEPT PLAYING=yes;"}));
    for (UdpPeer *p : three)
        EXPECT_EQ(p->Take(1), QStringList({"JOIN NAME=Dan;"}));
    dan.Send("GETWORDS NAME=Dan;");
    EXPECT_EQ(dan.Take(1), QStringList({startGame}));

    ann.Send("NAVIGATE NAME=Ann;URL=" + destination + ";");
    // The win, the results (Dan reported nothing), then the winner's time and clicks from GAME.
    for (UdpPeer *p : all) {
        EXPECT_EQ(p->Take(2), QStringList({score("Ann", 0, 1, 1, "yes"), "WINNER NAME=Ann;"}));
        ExpectResults(*p, shortest, {"Ann", "Bob", "Cy"});
        const QString won = p->Take(1).value(0);
        EXPECT_TRUE(won.startsWith("CHAT NAME=GAME;TEXT=Ann reached " + destination + " in 0:"))
            << won.toStdString();
        if (shortest)
            EXPECT_TRUE(p->Take(1).value(0).startsWith("CHAT NAME=GAME;TEXT=")) << "a shortest route";
    }
    ann.Send("SENDMYPATH NAME=Ann;PATH=" + start + "\r" + destination + ";");
    for (UdpPeer *p : all)
        EXPECT_EQ(p->Take(1), QStringList({"PATHIS NAME=Ann;PATH=" + start + "\r" + destination + ";"}));

    // Round two: everyone is disqualified and the oldest player chooses again.
    ann.Send("SETWORDS COUNT=1;WORD0=Apple;WORD1=Pear;");
    for (UdpPeer *p : all) {
        EXPECT_EQ(p->Take(1), QStringList({"STARTGAME COUNT=1;WORD0=Apple;WORD1=Pear;"}));
        shortest = TakePar(*p, "Apple", "Pear");
    }
    const QStringList kinds = {"list", "number", "talk"};
    for (int i = 0; i < 3; ++i) {
        UdpPeer *p = three[i];
        p->Send("NAVIGATE NAME=" + p->Name() + ";URL=" + kinds[i] + ";");
        // Each of the three reported once in round one; the win reset the round clicks.
        const QString s = score(p->Name(), p == &ann ? 1 : 0, 2, 1, "no");
        EXPECT_EQ(p->Take(3),
                  QStringList({"DISQUALIFY URL=" + kinds[i] + ";", notice(p->Name(), kinds[i]), s}));
        for (UdpPeer *other : all) {
            if (other != p) {
                EXPECT_EQ(other->Take(2), QStringList({notice(p->Name(), kinds[i]), s}));
            }
        }
    }
    // The last one out: their notice comes before the round's end, then the results, then the score.
    dan.Send("NAVIGATE NAME=Dan;URL=user;");
    EXPECT_EQ(dan.Take(1), QStringList({"DISQUALIFY URL=user;"}));
    for (UdpPeer *p : all) {
        EXPECT_EQ(p->Take(2), QStringList({notice("Dan", "user"), "NEWGAME NAME=Ann;"}));
        ExpectResults(*p, shortest, {"Ann", "Bob", "Cy", "Dan"});
        EXPECT_EQ(p->Take(1), QStringList({score("Dan", 0, 1, 1, "yes")}));
    }
    for (UdpPeer *p : all)
        EXPECT_TRUE(p->Drain().isEmpty()) << p->Name().toStdString();
}

} // namespace
