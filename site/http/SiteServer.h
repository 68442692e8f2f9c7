#pragma once

#include "settings/SiteSettings.h"
#include "site/EncyclopediaSite.h"
#include "site/corpus/Corpus.h"

#include <QHostAddress>
#include <QObject>

#include <memory>

class SiteHttpServer;
class SiteTcpServer;
class QTimer;

// Serves an encyclopedia over HTTP from Start to Stop. Every answer comes from the encyclopedia's
// Answer, so the site behaves the same in tests and in the game.
class SiteServer : public QObject
{
    Q_OBJECT

public:
    explicit SiteServer(QObject *parent = nullptr);
    ~SiteServer() override;

    // Port 0 picks any free port. False, with ErrorString(), when the port cannot be had; a running
    // server is stopped first.
    bool Start(std::shared_ptr<const EncyclopediaSite> site,
               const QHostAddress &address = QHostAddress::AnyIPv4, quint16 port = site::kSitePort);
    // A corpus in memory (the built-in encyclopedia, a Wikispeedia folder).
    bool Start(std::shared_ptr<const Corpus> corpus, const QHostAddress &address = QHostAddress::AnyIPv4,
               quint16 port = site::kSitePort);
    bool Start(std::nullptr_t, const QHostAddress &address = QHostAddress::AnyIPv4,
               quint16 port = site::kSitePort)
    {
        return Start(std::shared_ptr<const EncyclopediaSite>(), address, port);
    }
    // Closes the port and every open connection; the port is free again when Stop returns.
    void Stop();
    bool IsRunning() const;
    quint16 Port() const;
    QString ErrorString() const { return m_error; }
    // A connection that sends nothing for this long is closed, so that stray or half-open
    // connections cannot pile up. 60 s unless set.
    void SetIdleTimeout(int milliseconds);
    // A request must arrive whole within this time from its first byte, or its connection is
    // closed. 10 s unless set.
    void SetRequestDeadline(int milliseconds);
    // Connections open at once. 512 unless set; a connection beyond it takes the place of the one
    // that has waited longest for an answer or sat idle longest.
    void SetMaxConnections(int connections);

private:
    void SweepIdleConnections();

    SiteHttpServer *m_http = nullptr;
    SiteTcpServer *m_tcp = nullptr;
    QString m_error;
    QTimer *m_sweep = nullptr;
    int m_idleTimeout = 60000;
    int m_requestDeadline = 10000;
    int m_maxConnections = 512;
};
