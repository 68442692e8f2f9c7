#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QHostAddress>
#include <QTcpSocket>

#include <atomic>
#include <thread>

// A plain HTTP/1.1 client for tests: sends the request bytes exactly as given (nothing normalised),
// on its own thread, while the calling thread keeps the server's event loop running.
struct RawReply {
    bool ok = false; // a complete response arrived
    int status = 0;
    QByteArray contentType;
    QByteArray location;
    QByteArray body;
    bool closed = false; // the server closed the connection without a response
};

inline RawReply ParseRawReply(const QByteArray &data)
{
    RawReply r;
    const qsizetype end = data.indexOf("\r\n\r\n");
    if (end < 0)
        return r;
    const QList<QByteArray> lines = data.left(end).split('\n');
    const QList<QByteArray> statusLine = lines.value(0).trimmed().split(' ');
    r.status = statusLine.value(1).toInt();
    qsizetype length = -1;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon < 0)
            continue;
        const QByteArray key = lines[i].left(colon).trimmed().toLower();
        const QByteArray value = lines[i].mid(colon + 1).trimmed();
        if (key == "content-type")
            r.contentType = value;
        else if (key == "location")
            r.location = value;
        else if (key == "content-length")
            length = value.toLongLong();
    }
    r.body = data.mid(end + 4);
    if (length >= 0) {
        if (r.body.size() < length)
            return r;
        r.body.truncate(length);
    }
    r.ok = true;
    return r;
}

// Runs `work` on a thread of its own while the calling thread keeps the server's event loop running.
template <typename Work> void RunBesideEventLoop(Work work)
{
    std::atomic<bool> done{false};
    std::thread client([&]() {
        work();
        done = true;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [] {}, Qt::QueuedConnection);
    });
    while (!done)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    client.join();
}

// Sends `request` (a whole HTTP request) to 127.0.0.1:port and reads one response.
inline RawReply RawExchange(quint16 port, const QByteArray &request)
{
    QByteArray received;
    bool closed = false;
    RunBesideEventLoop([&]() {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port);
        if (!socket.waitForConnected(5000))
            return;
        socket.write(request);
        socket.waitForBytesWritten(5000);
        while (!ParseRawReply(received).ok) {
            if (!socket.waitForReadyRead(5000)) {
                closed = socket.state() != QAbstractSocket::ConnectedState;
                break;
            }
            received += socket.readAll();
        }
    });
    RawReply r = ParseRawReply(received);
    r.closed = !r.ok && closed;
    return r;
}

// Sends `requests` in one write and returns everything received until the server closes the
// connection (or stays silent for 5 s).
inline QByteArray RawSendAll(quint16 port, const QByteArray &requests)
{
    QByteArray received;
    RunBesideEventLoop([&]() {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port);
        if (!socket.waitForConnected(5000))
            return;
        socket.write(requests);
        socket.waitForBytesWritten(5000);
        while (socket.waitForReadyRead(5000))
            received += socket.readAll();
    });
    return received;
}

inline RawReply RawGet(quint16 port, const QByteArray &target)
{
    return RawExchange(port, "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
}

// Sends `head`, then `filler` again and again until the server drops the connection or `limit`
// bytes have gone out. Returns the bytes sent; *dropped tells whether the server ended it.
inline qint64 FloodUntilDropped(quint16 port, const QByteArray &head, const QByteArray &filler, qint64 limit,
                                bool *dropped)
{
    qint64 sent = 0;
    *dropped = false;
    RunBesideEventLoop([&]() {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port);
        if (!socket.waitForConnected(5000))
            return;
        socket.write(head);
        while (sent < limit) {
            if (socket.write(filler) < 0 || !socket.waitForBytesWritten(5000) ||
                socket.state() != QAbstractSocket::ConnectedState) {
                // A write that merely timed out leaves the connection up: not dropped.
                *dropped = socket.state() != QAbstractSocket::ConnectedState;
                return;
            }
            sent += filler.size();
        }
    });
    return sent;
}
