#include "site/http/SiteServer.h"

#include "site/corpus/CorpusSite.h"
#include "site/pages/Pages.h"

#include <QAbstractHttpServer>
#include <QDeadlineTimer>
#include <QHash>
#include <QHttpServerRequest>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QThreadPool>
#include <QTimer>
#include <QUrl>

#include <deque>
#include <optional>

namespace
{

// When a connection last did something, kept on the socket itself.
constexpr char kLastActive[] = "siteLastActive";
// Bytes a connection has sent since its last answer, kept on the socket itself.
constexpr char kUnanswered[] = "siteUnanswered";
// When the request now being received began; absent while the connection waits between requests.
constexpr char kRequestStarted[] = "siteRequestStarted";
// A request is an address of at most 4 KiB and a browser's headers. A client that sends far more
// without getting an answer (a huge body, endless headers) is cut off before the server's request
// buffers grow with it.
constexpr qint64 kMaxUnansweredBytes = 256 * 1024;

qint64 Now()
{
    return QDeadlineTimer::current().deadline();
}

void MarkActive(QTcpSocket *socket)
{
    socket->setProperty(kLastActive, Now());
}

// Since when the connection has held its place without getting an answer: the start of the
// request it is sending, or, between requests, its last activity.
qint64 HeldSince(const QTcpSocket *socket)
{
    const QVariant started = socket->property(kRequestStarted);
    return started.isValid() ? started.toLongLong() : socket->property(kLastActive).toLongLong();
}

// Requests a connection may send ahead of its answers; a client that queues more is cut off.
constexpr int kMaxWaitingAnswers = 16;

QByteArray ReasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 302:
        return "Found";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 414:
        return "URI Too Long";
    default:
        return "Status";
    }
}

// The bytes of an answer on the wire. A HEAD request gets the headers a GET would get and no
// body: a client reading the next answer on that connection must not find this page's text in
// front of it.
QByteArray Wire(const SiteAnswer &answer, bool head)
{
    QByteArray out = "HTTP/1.1 " + QByteArray::number(answer.status) + ' ' + ReasonPhrase(answer.status) +
                     "\r\nContent-Type: " + answer.contentType + "\r\n";
    if (answer.status == 302)
        out += "Location: " + answer.location + "\r\n";
    out += "Content-Length: " + QByteArray::number(answer.body.size()) + "\r\n\r\n";
    if (!head)
        out += answer.body;
    return out;
}

bool WantsClose(const QHttpServerRequest &request)
{
    for (const auto &[key, value] : request.headers()) {
        if (key.compare("Connection", Qt::CaseInsensitive) == 0)
            return value.trimmed().compare("close", Qt::CaseInsensitive) == 0;
    }
    return false;
}

} // namespace

// Accepts connections for the HTTP server, and watches each one's bytes before the server's own
// request parser sees them (its readyRead handler is connected after this one).
class SiteTcpServer : public QTcpServer
{
public:
    SiteTcpServer(int maxConnections, QObject *parent) : QTcpServer(parent), m_maxConnections(maxConnections)
    {
    }

protected:
    void incomingConnection(qintptr handle) override
    {
        auto *socket = new QTcpSocket(this);
        if (!socket->setSocketDescriptor(handle)) {
            delete socket;
            return;
        }
        // At the cap a newcomer takes the place of the connection that has waited longest, so
        // that connections trickling bytes can never keep every place from new players.
        if (OpenConnections() > m_maxConnections)
            CloseLongestHeld(socket);
        MarkActive(socket);
        socket->setProperty(kUnanswered, qint64(0));
        connect(socket, &QTcpSocket::readyRead, socket, [socket] {
            MarkActive(socket);
            if (!socket->property(kRequestStarted).isValid())
                socket->setProperty(kRequestStarted, Now());
            const qint64 unanswered = socket->property(kUnanswered).toLongLong() + socket->bytesAvailable();
            socket->setProperty(kUnanswered, unanswered);
            if (unanswered > kMaxUnansweredBytes)
                socket->abort();
        });
        addPendingConnection(socket);
    }

private:
    void CloseLongestHeld(const QTcpSocket *newcomer)
    {
        QTcpSocket *oldest = nullptr;
        for (QTcpSocket *socket : parent()->findChildren<QTcpSocket *>()) {
            if (socket == newcomer || socket->state() != QAbstractSocket::ConnectedState)
                continue;
            if (!oldest || HeldSince(socket) < HeldSince(oldest))
                oldest = socket;
        }
        if (oldest)
            oldest->abort();
    }

    int OpenConnections() const
    {
        int open = 0;
        for (const QTcpSocket *socket : parent()->findChildren<QTcpSocket *>())
            open += socket->state() == QAbstractSocket::ConnectedState;
        return open;
    }

    int m_maxConnections;
};

// One handler for every address: the site's rules for paths, queries and lengths live in the
// encyclopedia's Answer, which needs the request target as the client sent it. Pages are made on
// a pool of threads, one a core, so that several are made at once; each connection still gets
// its answers in the order it asked.
class SiteHttpServer : public QAbstractHttpServer
{
public:
    SiteHttpServer(std::shared_ptr<const EncyclopediaSite> site, QObject *parent)
        : QAbstractHttpServer(parent), m_site(std::move(site))
    {
        m_pool.setMaxThreadCount(qMax(1, QThread::idealThreadCount()));
    }

    ~SiteHttpServer() override
    {
        // No page in the making outlives the server that would send it.
        m_pool.waitForDone();
    }

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override
    {
        const QUrl url = request.url();
        QByteArray target = url.path(QUrl::FullyEncoded).toUtf8();
        if (url.hasQuery())
            target += '?' + url.query(QUrl::FullyEncoded).toUtf8();
        const bool allowed = request.method() == QHttpServerRequest::Method::Get ||
                             request.method() == QHttpServerRequest::Method::Head;
        MarkActive(socket);
        socket->setProperty(kUnanswered, qint64(0));
        socket->setProperty(kRequestStarted, QVariant());

        Connection &connection = ConnectionOf(socket);
        if (connection.waiting.size() >= kMaxWaitingAnswers) {
            socket->abort();
            return true;
        }
        const quint64 number = connection.asked++;
        connection.waiting.push_back(
            {number, request.method() == QHttpServerRequest::Method::Head, WantsClose(request), {}});
        const quint64 id = connection.id;
        m_pool.start([this, site = m_site, target, allowed, id, number] {
            SiteAnswer answer;
            if (allowed) {
                answer = site->Answer(target);
            } else {
                answer = site->Answer(QByteArrayLiteral("/-/"));
                answer.status = 405;
            }
            QMetaObject::invokeMethod(
                this, [this, id, number, answer = std::move(answer)] { Deliver(id, number, answer); },
                Qt::QueuedConnection);
        });
        return true;
    }

    void missingHandler(const QHttpServerRequest &, QTcpSocket *) override {}

private:
    struct Waiting {
        quint64 number;
        bool head;
        bool close;
        std::optional<SiteAnswer> answer;
    };
    struct Connection {
        quint64 id = 0;
        QPointer<QTcpSocket> socket;
        quint64 asked = 0;
        std::deque<Waiting> waiting; // in the order asked
    };

    Connection &ConnectionOf(QTcpSocket *socket)
    {
        const QVariant known = socket->property(kConnectionId);
        if (known.isValid()) {
            if (auto it = m_connections.find(known.toULongLong()); it != m_connections.end())
                return *it;
        }
        const quint64 id = ++m_lastId;
        socket->setProperty(kConnectionId, id);
        connect(socket, &QObject::destroyed, this, [this, id] { m_connections.remove(id); });
        Connection &made = m_connections[id];
        made.id = id;
        made.socket = socket;
        return made;
    }

    void Deliver(quint64 id, quint64 number, const SiteAnswer &answer)
    {
        const auto it = m_connections.find(id);
        if (it == m_connections.end())
            return;
        Connection &connection = *it;
        for (Waiting &w : connection.waiting) {
            if (w.number == number)
                w.answer = answer;
        }
        QTcpSocket *socket = connection.socket;
        if (!socket)
            return;
        // Headers and body leave at once, without waiting for the client's acknowledgements.
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        while (!connection.waiting.empty() && connection.waiting.front().answer) {
            const Waiting w = std::move(connection.waiting.front());
            connection.waiting.pop_front();
            if (socket->state() != QAbstractSocket::ConnectedState)
                continue;
            socket->write(Wire(*w.answer, w.head));
            MarkActive(socket);
            // The connection stays open for more requests unless the client said otherwise.
            if (w.close)
                socket->disconnectFromHost();
        }
    }

    static constexpr char kConnectionId[] = "siteConnectionId";

    std::shared_ptr<const EncyclopediaSite> m_site;
    QThreadPool m_pool;
    QHash<quint64, Connection> m_connections;
    quint64 m_lastId = 0;
};

SiteServer::SiteServer(QObject *parent) : QObject(parent), m_sweep(new QTimer(this))
{
    connect(m_sweep, &QTimer::timeout, this, &SiteServer::SweepIdleConnections);
    SetIdleTimeout(m_idleTimeout);
}

void SiteServer::SetIdleTimeout(int milliseconds)
{
    m_idleTimeout = qMax(1, milliseconds);
    m_sweep->setInterval(qBound(10, qMin(m_idleTimeout, m_requestDeadline) / 4, 15000));
}

void SiteServer::SetRequestDeadline(int milliseconds)
{
    m_requestDeadline = qMax(1, milliseconds);
    m_sweep->setInterval(qBound(10, qMin(m_idleTimeout, m_requestDeadline) / 4, 15000));
}

void SiteServer::SetMaxConnections(int connections)
{
    m_maxConnections = qMax(1, connections);
}

void SiteServer::SweepIdleConnections()
{
    const qint64 now = Now();
    for (QTcpSocket *socket : findChildren<QTcpSocket *>()) {
        if (socket->state() == QAbstractSocket::UnconnectedState)
            continue;
        // Every accepted connection carries the time of its last activity.
        const QVariant last = socket->property(kLastActive);
        const QVariant started = socket->property(kRequestStarted);
        // A request must be complete within the deadline, however steadily its bytes trickle in.
        if ((last.isValid() && now - last.toLongLong() > m_idleTimeout) ||
            (started.isValid() && now - started.toLongLong() > m_requestDeadline))
            socket->abort();
    }
}

SiteServer::~SiteServer()
{
    Stop();
}

bool SiteServer::Start(std::shared_ptr<const Corpus> corpus, const QHostAddress &address, quint16 port)
{
    return Start(corpus ? std::make_shared<const CorpusSite>(std::move(corpus), QString()) : nullptr, address,
                 port);
}

bool SiteServer::Start(std::shared_ptr<const EncyclopediaSite> site, const QHostAddress &address,
                       quint16 port)
{
    Stop();
    m_error.clear();
    if (!site) {
        m_error = QStringLiteral("no encyclopedia to serve");
        return false;
    }
    auto *tcp = new SiteTcpServer(m_maxConnections, this);
    if (!tcp->listen(address, port)) {
        m_error = tcp->errorString();
        delete tcp;
        return false;
    }
    m_tcp = tcp;
    m_http = new SiteHttpServer(std::move(site), this);
    m_http->bind(m_tcp);
    m_sweep->start();
    return true;
}

void SiteServer::Stop()
{
    m_sweep->stop();
    if (!m_http && !m_tcp)
        return;
    if (m_tcp)
        m_tcp->close();
    // Open connections end now rather than when their peers hang up.
    for (QTcpSocket *socket : findChildren<QTcpSocket *>())
        socket->abort();
    // Deleted later: Stop may run while the server is delivering a request.
    if (m_http)
        m_http->deleteLater();
    if (m_tcp && m_tcp->parent() != m_http)
        m_tcp->deleteLater();
    m_http = nullptr;
    m_tcp = nullptr;
}

bool SiteServer::IsRunning() const
{
    return m_tcp && m_tcp->isListening();
}

quint16 SiteServer::Port() const
{
    return IsRunning() ? m_tcp->serverPort() : 0;
}
