#pragma once

#include "server/SiteBotMap.h"
#include "server/SiteControl.h"
#include "site/Encyclopedia.h"
#include "site/http/SiteServer.h"

#include <memory>

// The local encyclopedia on TCP 7200 of every IPv4 address. Link graphs of archives are kept in
// `cacheFolder`.
class LocalSite : public SiteControl
{
public:
    explicit LocalSite(quint16 port = site::kSitePort, QString cacheFolder = LinkCacheFolder())
        : m_port(port), m_cacheFolder(std::move(cacheFolder))
    {
    }
    bool Start(const QString &setting, QString *description, QString *error) override;
    void Stop() override { m_server.Stop(); }
    SiteProgress Progress() const override;
    std::optional<QStringList> Route(const QString &from, const QString &to) const override;
    std::shared_ptr<const BotMap> Map() const override;

private:
    quint16 m_port;
    QString m_cacheFolder;
    SiteServer m_server;
    // A large corpus takes a while to load; a restart with the same setting reuses it.
    std::shared_ptr<const EncyclopediaSite> m_site;
    QString m_loadedSetting;
    QString m_description;
    QString m_loadError;
    // The map keeps its searches between rounds; a new site gets a new one.
    mutable std::shared_ptr<const SiteBotMap> m_map;
};
