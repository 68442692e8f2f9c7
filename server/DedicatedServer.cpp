#include "server/DedicatedServer.h"

#include "platform/Clock.h"
#include "platform/DatagramSocket.h"
#include "server/window/SiteControl.h"
#include "settings/Options.h"
#include "settings/SiteSettings.h"

#include <QTextStream>

namespace
{
// A name or text shown on one log line: line breaks and other control characters in a player's
// name must not start a line of their own that looks like the server's.
QString OneLine(QString text)
{
    for (QChar &c : text) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            c = QChar::ReplacementCharacter;
    }
    return text;
}
} // namespace

DedicatedServer::DedicatedServer(DatagramSocket &socket, Browser &browser, Clock &clock, SiteControl *site,
                                 QTextStream &out, std::chrono::milliseconds reportInterval, QObject *parent)
    : QObject(parent), m_socket(socket), m_server(socket, browser, clock), m_clock(clock), m_site(site),
      m_out(out)
{
    m_inactivity.setInterval(GameServer::kInactivityTickMs);
    connect(&m_inactivity, &QTimer::timeout, &m_server, &GameServer::InactivityTick);
    m_reportTimer.setInterval(reportInterval);
    connect(&m_reportTimer, &QTimer::timeout, this, &DedicatedServer::ReportTick);
}

bool DedicatedServer::Start(QString *error)
{
    m_server.SetWelcomeTemplate(LoadOption(QStringLiteral("Welcome")));
    m_server.SetPassword(GameServer::CleanPassword(LoadOption(QStringLiteral("Password"))));
    m_server.SetSiteHost(site::ServerSiteHost());
    m_server.SetRouteFinder([this](const QString &from, const QString &to) -> std::optional<QStringList> {
        return m_site ? m_site->Route(from, to) : std::nullopt;
    });
    if (!m_server.Start(GameServer::kGamePort)) {
        *error =
            "Could not bind UDP port " + QString::number(GameServer::kGamePort) + ": " + m_server.BindError();
        return false;
    }
    m_siteText = QStringLiteral("not served");
    if (m_site) {
        QString description;
        QString siteError;
        if (m_site->Start(&description, &siteError))
            m_siteText = description + ", players browse it at http://" + m_socket.LocalIP() + ":" +
                         QString::number(site::kSitePort) + "/wiki/Main_Page";
        if (!siteError.isEmpty())
            m_siteText += " (" + siteError + ")";
    }
    m_inactivity.start();
    m_reportTimer.start();
    ReportTick();
    return true;
}

void DedicatedServer::Stop()
{
    m_inactivity.stop();
    m_reportTimer.stop();
    m_server.Stop();
    if (m_site)
        m_site->Stop();
}

QString DedicatedServer::Report() const
{
    const PlayerTable &table = m_server.Players();
    QStringList names;
    for (qint32 i = 1; i <= table.PlayerCount(); ++i) {
        const PlayerRecord &p = table.Players(i);
        names << OneLine(p.Name) + (p.Banned ? QStringLiteral(" (banned)") : QString());
    }
    const QString progress = m_site ? m_site->Progress().Text() : QString();
    return QStringLiteral("Players (%1): %2\nEncyclopedia: %3")
        .arg(table.PlayerCount())
        .arg(names.isEmpty() ? QStringLiteral("none") : names.join(QStringLiteral(", ")))
        .arg(OneLine(progress.isEmpty() ? m_siteText : m_siteText + "; " + progress));
}

void DedicatedServer::ReportTick()
{
    const QString report = Report();
    if (report == m_printed)
        return;
    m_printed = report;
    const QString time = m_clock.Now().toString(Qt::ISODate);
    for (const QString &line : report.split(QLatin1Char('\n')))
        m_out << time << ' ' << line << '\n';
    m_out.flush();
}
