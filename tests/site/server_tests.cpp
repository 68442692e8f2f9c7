#include "site/corpus/BuiltinCorpus.h"
#include "site/http/SiteServer.h"

#include "tests/site/RawHttp.h"
#include "tests/site/SiteTestUtil.h"

#include <QElapsedTimer>
#include <QSet>
#include <QTcpServer>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <memory>
#include <vector>

namespace
{

// The page kinds of the game's title rules, in their order, for a page name.
QString KindOf(const QString &name)
{
    const std::pair<const char *, const char *> prefixes[] = {
        {"List of", "list"},    {"Editing", "edit"}, {"Talk:", "talk"},       {"Category:", "category"},
        {"Wikipedia:", "wiki"}, {"Help:", "help"},   {"Special:", "special"}, {"User:", "user"},
        {"Portal:", "portal"},  {"Search", "search"}};
    if (name.startsWith(QLatin1String("List of")))
        return QStringLiteral("list");
    if (name.endsWith(QLatin1String(" - History")))
        return QStringLiteral("history");
    for (const auto &[prefix, kind] : prefixes) {
        if (name.startsWith(QLatin1String(prefix)))
            return QString::fromLatin1(kind);
    }
    if (IsNumericTitle(name))
        return QStringLiteral("number");
    return QStringLiteral("article");
}

class SiteServerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_server.SetIdleTimeout(400);
        ASSERT_TRUE(m_server.Start(BuiltinCorpus(), QHostAddress::LocalHost, 0))
            << m_server.ErrorString().toStdString();
        m_port = m_server.Port();
        ASSERT_NE(m_port, 0);
    }

    SiteServer m_server;
    quint16 m_port = 0;
};

} // namespace

// Everything a player can click from the main page: each link answers a page with the title
// marker, or a redirect to one; every page kind of the title rules turns up; every article is found
// and reachable from every other by the links on the pages.
TEST_F(SiteServerTest, CrawlFromTheMainPageReachesEveryArticleAndPageKind)
{
    auto corpus = BuiltinCorpus();
    std::deque<QByteArray> queue{"/wiki/Main_Page"};
    QSet<QByteArray> visited{"/wiki/Main_Page"};
    QSet<QString> articles;
    std::map<QString, QSet<QString>> served; // article -> articles its served page links to
    std::map<QString, int> kinds;
    int offSite = 0;
    while (!queue.empty()) {
        const QByteArray address = queue.front();
        queue.pop_front();
        RawReply reply = RawGet(m_port, address);
        ASSERT_TRUE(reply.ok) << address.toStdString();
        ASSERT_EQ(reply.contentType, "text/html; charset=utf-8") << address.toStdString();
        if (reply.status == 302) {
            ASSERT_TRUE(reply.location.startsWith("/wiki/")) << address.toStdString();
            reply = RawGet(m_port, reply.location);
        }
        ASSERT_EQ(reply.status, 200) << address.toStdString();
        ASSERT_TRUE(PageTitleOf(reply.body).endsWith(kTitleSuffix)) << address.toStdString();
        const QString name = PageNameOf(reply.body);
        const QString kind = KindOf(name);
        ++kinds[kind];
        const bool article = kind == QLatin1String("article") && corpus->Find(name) >= 0;
        if (article)
            articles.insert(name);
        for (const QByteArray &href : HrefsOf(reply.body)) {
            const QString target =
                Corpus::NormalizeTitle(QString::fromUtf8(QByteArray::fromPercentEncoding(href.mid(6))));
            if (article && href.startsWith("/wiki/") && corpus->Find(target) >= 0)
                served[name].insert(target);
            if (!href.startsWith('/')) {
                EXPECT_TRUE(href.startsWith("http://")) << href.toStdString();
                ++offSite;
                continue;
            }
            if (!visited.contains(href)) {
                visited.insert(href);
                queue.push_back(href);
            }
        }
    }
    int playable = 0;
    for (int i = 0; i < corpus->Count(); ++i)
        playable += KindOf(corpus->At(i).title) == QLatin1String("article");
    EXPECT_EQ(articles.size(), playable);

    // The promise holds on the pages as served: from every playable article, every other playable
    // article is at most 6 clicks away without passing a page that disqualifies.
    for (const QString &from : articles) {
        std::map<QString, int> distance{{from, 0}};
        std::deque<QString> next{from};
        while (!next.empty()) {
            const QString at = next.front();
            next.pop_front();
            for (const QString &to : served[at]) {
                if (!distance.count(to) && articles.contains(to)) {
                    distance[to] = distance[at] + 1;
                    next.push_back(to);
                }
            }
        }
        EXPECT_EQ(qsizetype(distance.size()), articles.size()) << from.toStdString();
        for (const auto &[to, clicks] : distance)
            EXPECT_LE(clicks, 6) << from.toStdString() << " -> " << to.toStdString();
    }
    for (const char *kind : {"list", "history", "edit", "talk", "category", "wiki", "help", "special", "user",
                             "portal", "search", "number", "article"})
        EXPECT_GT(kinds[QString::fromLatin1(kind)], 0) << kind;
    EXPECT_GT(offSite, 0) << "a link that leaves the site";
    std::printf("crawled %lld addresses\n", static_cast<long long>(visited.size()));
}

// Bad requests over a real connection: each gets its answer or a closed connection, and the
// server goes on serving.
TEST_F(SiteServerTest, BadRequestsNeverStopTheServer)
{
    struct Row {
        QByteArray request;
        int status; // 0: the server may close the connection instead of answering
    };
    const QByteArray host = "Host: 127.0.0.1\r\nConnection: close\r\n\r\n";
    const Row rows[] = {
        {"GET /wiki/..%2F..%2F..%2Fetc%2Fpasswd HTTP/1.1\r\n" + host, 404},
        {"GET /wiki/../../etc/passwd HTTP/1.1\r\n" + host, 404},
        {"GET /wiki/Cat%00 HTTP/1.1\r\n" + host, 404},
        {"GET /wiki/Cat" + QByteArray(1, '\0') + "x HTTP/1.1\r\n" + host, 0},
        {"GET /wiki/" + QByteArray(5 * 1024, 'T') + " HTTP/1.1\r\n" + host, 414},
        {"GET /wiki/Special:Search?search=" + QByteArray(5 * 1024, 'w') + "&go=Go HTTP/1.1\r\n" + host, 414},
        {"GET /wiki/" + QByteArray(200 * 1024, 'T') + " HTTP/1.1\r\n" + host, 0},
        {"GET /wiki/Foo:Bar HTTP/1.1\r\n" + host, 404},
        {"GET /wiki/Special:Search?search=Cat HTTP/1.1\r\n" + host, 200},
        {"GET /wiki/Special:Search?search=Cat&go=Go HTTP/1.1\r\n" + host, 302},
        {"POST /wiki/Cat HTTP/1.1\r\nContent-Length: 3\r\n" + host + "abc", 405},
        {"BREW /wiki/Cat HTTP/1.1\r\n" + host, 0},
        {QByteArray("\x16\x03\x01\x02\x00\x01\x00\x01\xfc\x03\x03", 11) + QByteArray(300, '\xff'), 0},
        {"GET http://127.0.0.1/wiki/Cat HTTP/1.1\r\n" + host, 200},
    };
    for (const Row &r : rows) {
        const RawReply reply = RawExchange(m_port, r.request);
        const std::string what = r.request.left(60).toStdString();
        if (r.status != 0) {
            EXPECT_TRUE(reply.ok) << what;
            EXPECT_EQ(reply.status, r.status) << what;
        } else {
            // Either an error status or a connection closed by the server (at the latest when idle).
            EXPECT_TRUE(reply.closed || (reply.ok && reply.status >= 400)) << what;
        }
        const RawReply after = RawGet(m_port, "/wiki/Cat");
        ASSERT_EQ(after.status, 200) << "after " << what;
    }
}

// A client that keeps sending without a request ever completing (a huge body, endless headers) is
// cut off long before it could fill the server's memory; other clients are still served.
TEST_F(SiteServerTest, ClientsThatSendWithoutEndAreCutOff)
{
    const QByteArray filler(64 * 1024, 'x');
    const qint64 limit = 64 * 1024 * 1024;
    struct Row {
        const char *what;
        QByteArray head;
    };
    const Row rows[] = {
        {"huge body", "POST /wiki/Cat HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 1000000000\r\n\r\n"},
        {"endless header", "GET /wiki/Cat HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Filler: "},
        {"endless address", "GET /wiki/"},
    };
    for (const Row &r : rows) {
        bool dropped = false;
        const qint64 sent = FloodUntilDropped(m_port, r.head, filler, limit, &dropped);
        EXPECT_TRUE(dropped) << r.what;
        // What the two ends' socket buffers hold comes on top of what the server accepts.
        EXPECT_LT(sent, 24 * 1024 * 1024) << r.what;
        EXPECT_EQ(RawGet(m_port, "/wiki/Cat").status, 200) << "after " << r.what;
    }
}

TEST_F(SiteServerTest, IdleConnectionsAreClosed)
{
    QTcpSocket idle;
    idle.connectToHost(QHostAddress::LocalHost, m_port);
    ASSERT_TRUE(idle.waitForConnected(5000));
    idle.write("GET /wiki/Cat HTTP/1.1\r\n"); // a request begun and never finished
    QElapsedTimer waited;
    waited.start();
    while (idle.state() == QAbstractSocket::ConnectedState && waited.elapsed() < 10000)
        QTest::qWait(20);
    EXPECT_NE(idle.state(), QAbstractSocket::ConnectedState) << "closed after 400 ms without a byte";
    EXPECT_EQ(RawGet(m_port, "/wiki/Cat").status, 200);
}

// HEAD gets the headers of the page and no body, so the next answer on the connection is read
// from its first byte; requests sent back to back are answered in order.
TEST_F(SiteServerTest, HeadAnswersWithoutABodyOnAKeptConnection)
{
    QByteArray received;
    RunBesideEventLoop([&]() {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, m_port);
        if (!socket.waitForConnected(5000))
            return;
        socket.write("HEAD /wiki/Cat HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"
                     "HEAD /wiki/Kitten HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"
                     "GET /wiki/Cat HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
        while (socket.waitForReadyRead(5000))
            received += socket.readAll();
    });
    const qsizetype firstEnd = received.indexOf("\r\n\r\n");
    ASSERT_GT(firstEnd, 0) << received.left(200).toStdString();
    const RawReply head = ParseRawReply(received.left(firstEnd + 4));
    EXPECT_EQ(head.status, 200);
    EXPECT_EQ(head.contentType, "text/html; charset=utf-8");
    const QByteArray rest = received.mid(firstEnd + 4);
    ASSERT_TRUE(rest.startsWith("HTTP/1.1 302")) << rest.left(200).toStdString();
    const qsizetype secondEnd = rest.indexOf("\r\n\r\n");
    EXPECT_EQ(ParseRawReply(rest.left(secondEnd + 4)).location, "/wiki/Cat");
    const RawReply get = ParseRawReply(rest.mid(secondEnd + 4));
    ASSERT_TRUE(get.ok) << rest.mid(secondEnd + 4, 200).toStdString();
    EXPECT_EQ(get.status, 200);
    EXPECT_TRUE(received.left(firstEnd).contains("Content-Length: " + QByteArray::number(get.body.size())))
        << "HEAD announces the length the page has";
}

// At the cap, a newcomer is served and the connection held longest without an answer goes: a few
// hundred connections that each trickle a byte now and then can never lock new players out.
TEST(SiteServer, ANewcomerAtTheCapTakesThePlaceOfTheLongestHeldConnection)
{
    SiteServer server;
    server.SetMaxConnections(3);
    ASSERT_TRUE(server.Start(BuiltinCorpus(), QHostAddress::LocalHost, 0));
    const quint16 port = server.Port();

    std::vector<std::unique_ptr<QTcpSocket>> open;
    for (int i = 0; i < 3; ++i) {
        open.push_back(std::make_unique<QTcpSocket>());
        open.back()->connectToHost(QHostAddress::LocalHost, port);
        ASSERT_TRUE(open.back()->waitForConnected(5000));
        open.back()->write("GET /wiki/Cat HTTP/1.1\r\n"); // begun, never finished
        open.back()->flush();
        QTest::qWait(30);
    }
    EXPECT_EQ(RawGet(port, "/wiki/Cat").status, 200) << "the newcomer is answered";
    EXPECT_TRUE(open[0]->state() != QAbstractSocket::ConnectedState || open[0]->waitForDisconnected(2000))
        << "the oldest held connection made room";
    EXPECT_EQ(open[2]->state(), QAbstractSocket::ConnectedState) << "the newest held one stays";
}

// Bytes that keep trickling keep a connection active, but not past the deadline for a whole request.
TEST(SiteServer, ARequestThatNeverCompletesIsCutOffAtItsDeadline)
{
    SiteServer server;
    server.SetIdleTimeout(60000);
    server.SetRequestDeadline(300);
    ASSERT_TRUE(server.Start(BuiltinCorpus(), QHostAddress::LocalHost, 0));
    QTcpSocket slow;
    slow.connectToHost(QHostAddress::LocalHost, server.Port());
    ASSERT_TRUE(slow.waitForConnected(5000));
    slow.write("GET /wiki/Cat HTTP/1.1\r\n");
    QElapsedTimer waited;
    waited.start();
    while (slow.state() == QAbstractSocket::ConnectedState && waited.elapsed() < 10000) {
        slow.write("X");
        QTest::qWait(40);
    }
    EXPECT_NE(slow.state(), QAbstractSocket::ConnectedState);

    // A connection that finishes its requests in time stays for the next one.
    QTcpSocket kept;
    kept.connectToHost(QHostAddress::LocalHost, server.Port());
    ASSERT_TRUE(kept.waitForConnected(5000));
    for (int i = 0; i < 3; ++i) {
        kept.write("GET /wiki/Cat HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
        QByteArray reply;
        for (int waits = 0; waits < 100 && !ParseRawReply(reply).ok; ++waits) {
            QTest::qWait(20);
            reply += kept.readAll();
        }
        EXPECT_EQ(ParseRawReply(reply).status, 200) << "request " << i;
        QTest::qWait(200);
    }
}

TEST_F(SiteServerTest, ServesSeveralRequestsOnOneConnection)
{
    const QByteArray one = "GET /wiki/Cat HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
    const QByteArray two = "GET /wiki/Dog HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
    QByteArray received;
    RunBesideEventLoop([&]() {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, m_port);
        if (!socket.waitForConnected(5000))
            return;
        socket.write(one);
        socket.waitForBytesWritten(5000);
        while (!ParseRawReply(received).ok && socket.waitForReadyRead(5000))
            received += socket.readAll();
        socket.write(two);
        socket.waitForBytesWritten(5000);
        while (socket.waitForReadyRead(5000))
            received += socket.readAll();
    });
    EXPECT_TRUE(received.contains("<title>Cat - Wikipedia"));
    EXPECT_TRUE(received.contains("<title>Dog - Wikipedia"));
}

TEST(SiteServer, StopFreesThePortAndATakenPortFailsStart)
{
    SiteServer first;
    ASSERT_TRUE(first.Start(BuiltinCorpus(), QHostAddress::LocalHost, 0));
    const quint16 port = first.Port();
    EXPECT_TRUE(first.IsRunning());

    SiteServer second;
    EXPECT_FALSE(second.Start(BuiltinCorpus(), QHostAddress::LocalHost, port));
    EXPECT_FALSE(second.IsRunning());
    EXPECT_FALSE(second.ErrorString().isEmpty());
    EXPECT_EQ(second.Port(), 0);

    // An open connection must not keep the port or the old server alive.
    QTcpSocket idle;
    idle.connectToHost(QHostAddress::LocalHost, port);
    ASSERT_TRUE(idle.waitForConnected(5000));
    QCoreApplication::processEvents();

    first.Stop();
    EXPECT_TRUE(idle.state() == QAbstractSocket::UnconnectedState || idle.waitForDisconnected(2000))
        << "Stop ends open connections";
    EXPECT_FALSE(first.IsRunning());
    EXPECT_EQ(first.Port(), 0);
    EXPECT_EQ(RawGet(port, "/wiki/Cat").status, 0) << "nothing answers after Stop";

    ASSERT_TRUE(second.Start(BuiltinCorpus(), QHostAddress::LocalHost, port))
        << second.ErrorString().toStdString();
    EXPECT_EQ(RawGet(port, "/wiki/Cat").status, 200);
    second.Stop();
    ASSERT_TRUE(second.Start(BuiltinCorpus(), QHostAddress::LocalHost, port)) << "restart on the same port";
    EXPECT_EQ(RawGet(port, "/wiki/Cat").status, 200);
    EXPECT_FALSE(second.Start(nullptr, QHostAddress::LocalHost, 0));
    EXPECT_FALSE(second.IsRunning());
}

TEST(SiteServer, ListensOnEveryIPv4AddressByDefault)
{
    // Any free port, on all addresses: the loopback address reaches it.
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::AnyIPv4, 0));
    const quint16 port = probe.serverPort();
    probe.close();
    SiteServer server;
    ASSERT_TRUE(server.Start(BuiltinCorpus(), QHostAddress::AnyIPv4, port))
        << server.ErrorString().toStdString();
    EXPECT_EQ(RawGet(port, "/wiki/Main_Page").status, 200);
}

namespace
{

// A site whose "/slow" page takes a while to make; every other page names its own address.
class SlowFirstSite : public EncyclopediaSite
{
public:
    QString Description() const override { return QStringLiteral("slow"); }
    qint64 ArticleCount() const override { return 0; }
    QString Find(const QString &) const override { return {}; }
    QString FindIgnoringCase(const QString &) const override { return {}; }
    QString FindRedirect(const QString &) const override { return {}; }
    QString RandomArticle() const override { return {}; }
    SiteAnswer Answer(const QByteArray &target) const override
    {
        if (target == "/slow")
            QThread::msleep(300);
        return page::Page("page " + target);
    }
    QStringList Links(const QString &) const override { return {}; }
    std::shared_ptr<const LinkGraph> Graph() const override { return nullptr; }
    LinkGraph::Node GraphNode(const QString &) const override { return LinkGraph::kNoNode; }
    QString GraphTitle(LinkGraph::Node) const override { return {}; }
};

} // namespace

// Pages are made several at once, yet a connection that sends requests ahead gets its answers in
// the order it asked; one that queues more than a browser ever would is cut off.
TEST(SiteServer, AnswersLeaveInTheOrderAskedWhilePagesAreMadeAtOnce)
{
    SiteServer server;
    ASSERT_TRUE(server.Start(std::make_shared<const SlowFirstSite>(), QHostAddress::LocalHost, 0));
    auto get = [](const QByteArray &path, bool close = false) {
        return "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + (close ? "Connection: close\r\n" : "") +
               "\r\n";
    };
    const QByteArray received =
        RawSendAll(server.Port(), get("/slow") + get("/a") + "HEAD /b HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n" +
                                      get("/c", true));
    const qsizetype slow = received.indexOf("page /slow");
    const qsizetype a = received.indexOf("page /a");
    const qsizetype c = received.indexOf("page /c");
    ASSERT_GE(slow, 0) << received.toStdString();
    EXPECT_LT(slow, a);
    EXPECT_LT(a, c);
    EXPECT_FALSE(received.contains("page /b")) << "a HEAD answer carries no body";
    EXPECT_EQ(received.count("HTTP/1.1 200 OK\r\n"), 4);
    EXPECT_TRUE(received.contains("Content-Length: " + QByteArray::number(QByteArray("page /b").size())));

    QByteArray flood = get("/slow");
    for (int i = 0; i < 40; ++i)
        flood += get("/x" + QByteArray::number(i));
    const QByteArray cut = RawSendAll(server.Port(), flood);
    EXPECT_LT(cut.count("HTTP/1.1 200 OK"), 41) << "the connection that asked too far ahead is cut off";
}
