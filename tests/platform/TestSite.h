#pragma once

#include <QHttpServer>
#include <QHttpServerRequest>
#include <QHttpServerResponse>
#include <QMap>
#include <QString>

// A small web site for browser tests, on a free port of the loopback address. Every page is
// text/html; charset=utf-8. Pages are added by path; a redirect answers 302 with a Location.
class TestSite
{
public:
    TestSite()
    {
        m_server.route(QStringLiteral("/<arg>"), [this](const QUrl &, const QHttpServerRequest &request) {
            return answer(request.url().path().mid(1));
        });
        m_port = m_server.listen(QHostAddress::LocalHost, 0);
    }

    void AddPage(const QString &path, const QByteArray &html) { m_pages.insert(path, html); }
    void AddRedirect(const QString &path, const QString &to) { m_redirects.insert(path, to); }
    // A page whose <title> holds the given text (raw HTML, entities as written) and a body.
    void AddTitled(const QString &path, const QString &title, const QString &body = {})
    {
        AddPage(path,
                QStringLiteral("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>%1</title></head>"
                               "<body>%2</body></html>")
                    .arg(title, body)
                    .toUtf8());
    }

    QString Url(const QString &path) const
    {
        return QStringLiteral("http://127.0.0.1:%1/%2").arg(m_port).arg(path);
    }
    quint16 Port() const { return m_port; }
    int Requests(const QString &path) const { return m_requests.value(path); }

private:
    QHttpServerResponse answer(const QString &path)
    {
        m_requests[path]++;
        if (m_redirects.contains(path)) {
            QHttpServerResponse response(QHttpServerResponder::StatusCode::Found);
            response.addHeader("Location", Url(m_redirects.value(path)).toUtf8());
            return response;
        }
        if (m_pages.contains(path))
            return QHttpServerResponse("text/html; charset=utf-8", m_pages.value(path));
        return QHttpServerResponse("text/html; charset=utf-8",
                                   "<html><head><title>Not found</title></head><body>none</body></html>",
                                   QHttpServerResponder::StatusCode::NotFound);
    }

    QHttpServer m_server;
    quint16 m_port = 0;
    QMap<QString, QByteArray> m_pages;
    QMap<QString, QString> m_redirects;
    QMap<QString, int> m_requests;
};
