#pragma once

#include "server/SiteBotMap.h"
#include "server/SiteControl.h"
#include "site/Encyclopedia.h"
#include "site/http/SiteServer.h"

#include <QThread>
#include <atomic>
#include <memory>

// The local encyclopedia on TCP 7200 of every IPv4 address. Link graphs of archives are kept in
// `cacheFolder`. Pages are made on a thread of their own: a room full of browsers loading the start
// article at once must not hold up a datagram of the game.
class LocalSite : public SiteControl
{
public:
    explicit LocalSite(quint16 port = site::kSitePort, QString cacheFolder = LinkCacheFolder());
    ~LocalSite() override;
    bool Start(const QString &setting, QString *description, QString *error) override;
    void Stop() override;
    // The TCP port pages are served on while started (the one picked when asked for port 0).
    quint16 Port() const { return m_boundPort; }
    SiteProgress Progress() const override;
    std::optional<QStringList> Route(const QString &from, const QString &to) const override;
    std::shared_ptr<const BotMap> Map() const override;

private:
    quint16 m_port;
    QString m_cacheFolder;
    QThread m_thread;
    // Lives on m_thread; the game's thread reaches it only by blocking calls.
    SiteServer *m_server = nullptr;
    std::atomic<bool> m_running{false};
    quint16 m_boundPort = 0;
    // A large corpus takes a while to load; a restart with the same setting reuses it.
    std::shared_ptr<const EncyclopediaSite> m_site;
    QString m_loadedSetting;
    QString m_description;
    QString m_loadError;
    // The map keeps its searches between rounds; a new site gets a new one.
    mutable std::shared_ptr<const SiteBotMap> m_map;
};
