#include "site/http/SiteServer.h"

#include "site/corpus/CorpusSite.h"
#include "site/pages/Pages.h"

#include <QAbstractHttpServer>
#include <QDeadlineTimer>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

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
// encyclopedia's Answer, which needs the request target as the client sent it.
class SiteHttpServer : public QAbstractHttpServer
{
public:
    SiteHttpServer(std::shared_ptr<const EncyclopediaSite> site, QObject *parent)
        : QAbstractHttpServer(parent), m_site(std::move(site))
    {
    }

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override
    {
        const QUrl url = request.url();
        QByteArray target = url.path(QUrl::FullyEncoded).toUtf8();
        if (url.hasQuery())
            target += '?' + url.query(QUrl::FullyEncoded).toUtf8();
        SiteAnswer answer;
        if (request.method() != QHttpServerRequest::Method::Get &&
            request.method() != QHttpServerRequest::Method::Head) {
            answer = m_site->Answer(QByteArrayLiteral("/-/"));
            answer.status = 405;
        } else {
            answer = m_site->Answer(target);
        }
        MarkActive(socket);
        socket->setProperty(kUnanswered, qint64(0));
        socket->setProperty(kRequestStarted, QVariant());
        // Headers and body leave in separate writes; without this the second waits for the
        // client's delayed acknowledgement.
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        {
            auto responder = makeResponder(request, socket);
            const auto status = static_cast<QHttpServerResponder::StatusCode>(answer.status);
            if (request.method() == QHttpServerRequest::Method::Head) {
                // The headers a GET would get, and no body: a client reading the next answer on
                // this connection must not find this page's text in front of it.
                responder.writeStatusLine(status);
                responder.writeHeader("Content-Type", answer.contentType);
                responder.writeHeader("Content-Length", QByteArray::number(answer.body.size()));
                if (answer.status == 302)
                    responder.writeHeader("Location", answer.location);
                responder.writeBody(QByteArray());
            } else if (answer.status == 302) {
                responder.write(answer.body,
                                {{"Content-Type", answer.contentType}, {"Location", answer.location}},
                                status);
            } else {
                responder.write(answer.body, {{"Content-Type", answer.contentType}}, status);
            }
        }
        // The connection stays open for more requests unless the client said otherwise.
        if (WantsClose(request))
            socket->disconnectFromHost();
        return true;
    }

    void missingHandler(const QHttpServerRequest &, QTcpSocket *) override {}

private:
    std::shared_ptr<const EncyclopediaSite> m_site;
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
