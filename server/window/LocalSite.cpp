#include "server/window/LocalSite.h"

#include "site/Encyclopedia.h"
#include "site/graph/Routes.h"

bool LocalSite::Start(const QString &setting, QString *description, QString *error)
{
    if (!m_site || setting != m_loadedSetting) {
        m_site = OpenEncyclopedia(setting, &m_description, &m_loadError, m_cacheFolder);
        m_loadedSetting = setting;
    }
    *description = m_description;
    if (!m_server.Start(m_site, QHostAddress::AnyIPv4, m_port)) {
        *error = QStringLiteral("Could not serve the encyclopedia on TCP port %1: %2")
                     .arg(m_port)
                     .arg(m_server.ErrorString());
        return false;
    }
    *error = m_loadError;
    return true;
}

SiteProgress LocalSite::Progress() const
{
    if (!m_site)
        return {};
    if (const int percent = m_site->Progress(); percent < 100)
        return {QStringLiteral("Building the title index"), percent};
    if (const int percent = m_site->GraphProgress(); percent < 100) {
        const QString left = TimeLeftText(m_site->GraphSecondsLeft());
        return {left.isEmpty() ? QStringLiteral("Building the link graph")
                               : QStringLiteral("Building the link graph (%1)").arg(left),
                percent};
    }
    return {};
}

std::optional<QStringList> LocalSite::Route(const QString &from, const QString &to) const
{
    if (!m_site || !m_server.IsRunning())
        return std::nullopt;
    return ShortestRoute(*m_site, from, to);
}

std::shared_ptr<const BotMap> LocalSite::Map() const
{
    if (!m_site || !m_server.IsRunning())
        return nullptr;
    if (!m_map || m_map->Site() != m_site)
        m_map = SiteBotMap::Of(m_site);
    return m_map;
}
