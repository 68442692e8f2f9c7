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
    for (UdpPeer *p : three) {
        const QStringList got = p->Take(2);
        ASSERT_EQ(got.size(), 2) << p->Name().toStdString();
        EXPECT_EQ(got[0], startGame);
        EXPECT_TRUE(got[1].startsWith("CHAT NAME=GAME;TEXT=Shortest route from " + start + " to ") ||
                    got[1] == "CHAT NAME=GAME;TEXT=No route leads from " + start + " to " + destination +
                                  " in this encyclopedia.")
            << got[1].toStdString();
    }

    bob.Send("NAVIGATE NAME=Bob;URL=Stepping stone;");
    for (UdpPeer *p : three)
        EXPECT_EQ(p->Take(1), QStringList({score("Bob", 0, 1, 1, "yes")}));

    cy.Send("NAVIGATE NAME=Cy;URL=special;");
    EXPECT_EQ(cy.Take(2), QStringList({"DISQUALIFY URL=special;", score("Cy", 0, 1, 1, "no")}));
    EXPECT_EQ(ann.Take(1), QStringList({score("Cy", 0, 1, 1, "no")}));
    EXPECT_EQ(bob.Take(1), QStringList({score("Cy", 0, 1, 1, "no")}));

    // A join in the middle of the round fetches the words.
    dan.Send(connectText(dan));
    EXPECT_EQ(dan.Take(1), QStringList({"CONNECTACCEPT PLAYING=yes;"}));
    for (UdpPeer *p : three)
        EXPECT_EQ(p->Take(1), QStringList({"JOIN NAME=Dan;"}));
    dan.Send("GETWORDS NAME=Dan;");
    EXPECT_EQ(dan.Take(1), QStringList({startGame}));

    ann.Send("NAVIGATE NAME=Ann;URL=" + destination + ";");
    // The win, then the winner's time and clicks from GAME.
    for (UdpPeer *p : all) {
        const QStringList got = p->Take(3);
        ASSERT_EQ(got.size(), 3) << p->Name().toStdString();
        EXPECT_EQ(got.mid(0, 2), QStringList({score("Ann", 0, 1, 1, "yes"), "WINNER NAME=Ann;"}));
        EXPECT_TRUE(got[2].startsWith("CHAT NAME=GAME;TEXT=Ann reached " + destination + " in 0:"))
            << got[2].toStdString();
    }
    ann.Send("SENDMYPATH NAME=Ann;PATH=" + start + "\r" + destination + ";");
    for (UdpPeer *p : all)
        EXPECT_EQ(p->Take(1), QStringList({"PATHIS NAME=Ann;PATH=" + start + "\r" + destination + ";"}));

    // Round two: everyone is disqualified and the oldest player chooses again.
    ann.Send("SETWORDS COUNT=1;WORD0=Apple;WORD1=Pear;");
    for (UdpPeer *p : all) {
        const QStringList got = p->Take(2);
        ASSERT_EQ(got.size(), 2) << p->Name().toStdString();
        EXPECT_EQ(got[0], "STARTGAME COUNT=1;WORD0=Apple;WORD1=Pear;");
        EXPECT_TRUE(got[1].startsWith("CHAT NAME=GAME;TEXT=")) << "the par: " << got[1].toStdString();
    }
    const QStringList kinds = {"list", "number", "talk"};
    for (int i = 0; i < 3; ++i) {
        UdpPeer *p = three[i];
        p->Send("NAVIGATE NAME=" + p->Name() + ";URL=" + kinds[i] + ";");
        // Each of the three reported once in round one; the win reset the round clicks.
        const QString s = score(p->Name(), p == &ann ? 1 : 0, 2, 1, "no");
        EXPECT_EQ(p->Take(2), QStringList({"DISQUALIFY URL=" + kinds[i] + ";", s}));
        for (UdpPeer *other : all) {
            if (other != p) {
                EXPECT_EQ(other->Take(1), QStringList({s}));
            }
        }
    }
    dan.Send("NAVIGATE NAME=Dan;URL=user;");
    EXPECT_EQ(dan.Take(3),
              QStringList({"DISQUALIFY URL=user;", "NEWGAME NAME=Ann;", score("Dan", 0, 1, 1, "yes")}));
    for (UdpPeer *p : three)
        EXPECT_EQ(p->Take(2), QStringList({"NEWGAME NAME=Ann;", score("Dan", 0, 1, 1, "yes")}));
    for (UdpPeer *p : all)
        EXPECT_TRUE(p->Drain().isEmpty()) << p->Name().toStdString();
}

} // namespace
