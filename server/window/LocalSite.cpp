#include "server/window/LocalSite.h"

#include "site/Encyclopedia.h"
#include "site/graph/Routes.h"

LocalSite::LocalSite(quint16 port, QString cacheFolder) : m_port(port), m_cacheFolder(std::move(cacheFolder))
{
    m_thread.setObjectName(QStringLiteral("site"));
    m_server = new SiteServer;
    m_server->moveToThread(&m_thread);
    QObject::connect(&m_thread, &QThread::finished, m_server, &QObject::deleteLater);
    m_thread.start();
}

LocalSite::~LocalSite()
{
    Stop();
    m_thread.quit();
    m_thread.wait();
}

bool LocalSite::Start(const QString &setting, QString *description, QString *error)
{
    if (!m_site || setting != m_loadedSetting) {
        m_site = OpenEncyclopedia(setting, &m_description, &m_loadError, m_cacheFolder);
        m_loadedSetting = setting;
    }
    *description = m_description;
    bool started = false;
    QString why;
    // The port is taken (or refused) before Start returns, as the host expects.
    QMetaObject::invokeMethod(
        m_server,
        [this, &started, &why, site = m_site] {
            started = m_server->Start(site, QHostAddress::AnyIPv4, m_port);
            why = m_server->ErrorString();
            m_boundPort = m_server->Port();
        },
        Qt::BlockingQueuedConnection);
    m_running = started;
    if (!started) {
        *error = QStringLiteral("Could not serve the encyclopedia on TCP port %1: %2").arg(m_port).arg(why);
        return false;
    }
    *error = m_loadError;
    return true;
}

void LocalSite::Stop()
{
    m_running = false;
    // The port is free again when Stop returns.
    QMetaObject::invokeMethod(
        m_server, [this] { m_server->Stop(); }, Qt::BlockingQueuedConnection);
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
    if (!m_site || !m_running)
        return std::nullopt;
    return ShortestRoute(*m_site, from, to);
}

std::shared_ptr<const BotMap> LocalSite::Map() const
{
    if (!m_site || !m_running)
        return nullptr;
    if (!m_map || m_map->Site() != m_site)
        m_map = SiteBotMap::Of(m_site);
    return m_map;
}
