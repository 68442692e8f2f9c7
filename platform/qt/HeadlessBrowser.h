#pragma once

#include "platform/Browser.h"

#include <QByteArray>
#include <QPointer>
#include <QStringList>
#include <QUrl>

class QNetworkAccessManager;
#include <QNetworkReply>

// A browser without a screen or a script engine: fetches a page over HTTP, follows redirects and
// reads its <title>. The server draws random articles with it. Nothing here blocks.
class HeadlessBrowser : public Browser
{
    Q_OBJECT
public:
    explicit HeadlessBrowser(QObject *parent = nullptr);
    ~HeadlessBrowser() override;

    void Navigate(const QString &url) override;
    void GoBack() override;
    void ForgetHistory() override;
    // True from Navigate until DocumentComplete is raised.
    bool Busy() const override { return m_busy; }

    // Limits; the defaults suit an encyclopedia page.
    void SetTransferTimeout(int ms) { m_timeoutMs = ms; }
    void SetMaxBodyBytes(qint64 bytes) { m_maxBody = bytes; }
    static constexpr int MaxRedirects = 10;
    static constexpr int MaxHistory = 50;

    // The address of the page shown last (after redirects).
    QString CurrentUrl() const { return m_history.isEmpty() ? QString() : m_history.last(); }

    // The title of an HTML document as a browser shows it: entities decoded, blanks collapsed.
    // Null when the document has no <title>.
    static QString ExtractTitle(const QByteArray &html);
    static QString DecodeEntities(const QString &text);

private:
    void load(const QString &url);
    void readMore();
    void finish(bool cutShort);
    void failLater(const QString &url);

    QNetworkAccessManager *m_network = nullptr;
    QPointer<QNetworkReply> m_reply;
    QString m_requested;
    QByteArray m_body;
    bool m_busy = false;
    int m_generation = 0;
    int m_timeoutMs = 15000;
    qint64 m_maxBody = 2 * 1024 * 1024;
    QStringList m_history;
};
