#include "server/DedicatedServer.h"

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

QString SiteText(const SiteFacts &site)
{
    QString text =
        site.up ? site.description + ", players browse it at " + site.url : QStringLiteral("not served");
    if (!site.error.isEmpty())
        text += " (" + site.error + ")";
    return text;
}
} // namespace

DedicatedServer::DedicatedServer(ServerHost &host, QTextStream &out, QObject *parent)
    : QObject(parent), m_host(host), m_out(out)
{
    connect(&m_host, &ServerHost::ReportDue, this, &DedicatedServer::ReportTick);
}

bool DedicatedServer::Start(QString *error)
{
    m_host.LoadSettings();
    if (!m_host.Start()) {
        *error = m_host.BindErrorText();
        return false;
    }
    ReportTick();
    return true;
}

QString DedicatedServer::Report() const
{
    const PlayerTable &table = m_host.Server().Players();
    QStringList names;
    for (qint32 i = 1; i <= table.PlayerCount(); ++i) {
        const PlayerRecord &p = table.Players(i);
        names << OneLine(p.Name) + (p.Banned ? QStringLiteral(" (banned)") : QString());
    }
    const QString site = SiteText(m_host.Site());
    const QString progress = m_host.Progress().Text();
    return QStringLiteral("Players (%1): %2\nEncyclopedia: %3")
        .arg(table.PlayerCount())
        .arg(names.isEmpty() ? QStringLiteral("none") : names.join(QStringLiteral(", ")))
        .arg(OneLine(progress.isEmpty() ? site : site + "; " + progress));
}

void DedicatedServer::ReportTick()
{
    const QString report = Report();
    if (report == m_printed)
        return;
    m_printed = report;
    const QString time = m_host.Now().toString(Qt::ISODate);
    for (const QString &line : report.split(QLatin1Char('\n')))
        m_out << time << ' ' << line << '\n';
    m_out.flush();
}
