#include "server/ServerHost.h"

#include "platform/Clock.h"
#include "platform/DatagramSocket.h"
#include "settings/Options.h"
#include "settings/SiteSettings.h"

#include <QRandomGenerator>

ServerHost::ServerHost(DatagramSocket &socket, Browser &browser, Clock &clock, SiteControl *site,
                       std::chrono::milliseconds reportInterval, QObject *parent)
    : QObject(parent), m_socket(socket), m_clock(clock), m_site(site), m_server(socket, browser, clock)
{
    m_server.SetRouteFinder([this](const QString &from, const QString &to) -> std::optional<QStringList> {
        return m_site && m_routesHere ? m_site->Route(from, to) : std::nullopt;
    });
    // Bots need the links players follow: only where routes are told.
    m_server.SetBotMapSource([this]() -> std::shared_ptr<const BotMap> {
        return m_site && m_routesHere && Serving() ? m_site->Map() : nullptr;
    });
    m_server.SetBotSeed(QRandomGenerator::global()->generate64());
    connect(&m_server, &GameServer::PlayerAppended, this, &ServerHost::PlayerAppended);
    connect(&m_server, &GameServer::PlayerRemoved, this, &ServerHost::PlayerRemoved);
    connect(&m_server, &GameServer::PlayersCleared, this, &ServerHost::PlayersCleared);

    // Runs in every state; with nobody connected a tick does nothing.
    m_inactivity.setInterval(GameServer::kInactivityTickMs);
    connect(&m_inactivity, &QTimer::timeout, this, &ServerHost::InactivityTick);
    m_inactivity.start();
    m_bots.setInterval(GameServer::kBotTickMs);
    connect(&m_bots, &QTimer::timeout, &m_server, &GameServer::BotTick);
    m_bots.start();
    m_report.setInterval(reportInterval);
    connect(&m_report, &QTimer::timeout, this, &ServerHost::ReportDue);
}

void ServerHost::LoadSettings()
{
    SetWelcome(LoadOption(QStringLiteral("Welcome")), Save::No);
    SetPassword(LoadOption(QStringLiteral("Password")), Save::No);
    // The address the host typed in the Host dialog is the one players should use.
    m_server.SetPublicAddress(LoadOption(QStringLiteral("Server")));
    m_server.SetSiteHost(site::ServerSiteHost());
    // Players who browse another site race on that site's links, not on the encyclopedia's here.
    m_routesHere = site::SiteSetting().isEmpty();
}

bool ServerHost::Start()
{
    if (Serving())
        return true;
    if (!m_server.Start(GameServer::kGamePort)) {
        m_bindErrorText =
            "Could not bind UDP port " + QString::number(GameServer::kGamePort) + ": " + m_server.BindError();
        emit StateChanged();
        return false;
    }
    m_bindErrorText.clear();
    startSite();
    m_report.start();
    emit StateChanged();
    return true;
}

void ServerHost::Stop()
{
    m_report.stop();
    m_server.Stop();
    if (m_site)
        m_site->Stop();
    m_siteFacts = {};
    emit StateChanged();
}

void ServerHost::startSite()
{
    m_siteFacts = {};
    if (!m_site)
        return;
    m_siteFacts.started = true;
    m_siteFacts.up = m_site->Start(site::EncyclopediaSetting(), &m_siteFacts.description, &m_siteFacts.error);
    m_siteFacts.url =
        "http://" + m_socket.LocalIP() + ":" + QString::number(site::kSitePort) + "/wiki/Main_Page";
}

void ServerHost::InactivityTick()
{
    m_server.InactivityTick();
    emit Ticked();
}

SiteProgress ServerHost::Progress() const
{
    return m_site && Serving() ? m_site->Progress() : SiteProgress();
}

void ServerHost::SetWelcome(const QString &text, Save save)
{
    m_server.SetWelcomeTemplate(text);
    if (save == Save::Yes)
        SaveOption(QStringLiteral("Welcome"), text);
}

void ServerHost::SetPassword(const QString &password, Save save)
{
    const QString cleaned = GameServer::CleanPassword(password);
    m_server.SetPassword(cleaned);
    if (save == Save::Yes)
        SaveOption(QStringLiteral("Password"), cleaned);
}

void ServerHost::SetEncyclopedia(const QString &setting)
{
    site::SaveEncyclopediaSetting(setting);
    if (!Serving() || !m_site)
        return;
    m_site->Stop();
    startSite();
    emit StateChanged();
}

QDateTime ServerHost::Now() const
{
    return m_clock.Now();
}
