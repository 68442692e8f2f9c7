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

QString PlayerCount(qint32 count)
{
    return count == 1 ? QStringLiteral("1 player") : QString::number(count) + QStringLiteral(" players");
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
    const GameServer &game = m_host.Server();
    connect(&game, &GameServer::PlayerAppended, this, &DedicatedServer::onJoined);
    connect(&game, &GameServer::PlayerRemoved, this, &DedicatedServer::onLeft);
    connect(&game, &GameServer::PlayersCleared, this, [this] { m_names.clear(); });
    connect(&game, &GameServer::RoundStarted, this, &DedicatedServer::onRoundStarted);
    connect(&game, &GameServer::RoundEnded, this, &DedicatedServer::onRoundEnded);
}

void DedicatedServer::Stop()
{
    const qint32 players = m_host.Server().Players().PlayerCount();
    // Each player's leaving is the stop's doing; one line says it for all of them.
    m_stopping = true;
    m_host.Stop();
    m_stopping = false;
    print("Stopped; " + PlayerCount(players) + " told to disconnect");
}

void DedicatedServer::onJoined(const QString &name)
{
    m_names << OneLine(name);
    print(m_names.last() + " joined (" + PlayerCount(qint32(m_names.size())) + ")");
}

void DedicatedServer::onLeft(qint32 index)
{
    if (index < 1 || index > m_names.size())
        return;
    const QString name = m_names.takeAt(index - 1);
    if (!m_stopping)
        print(name + " left (" + PlayerCount(qint32(m_names.size())) + ")");
}

void DedicatedServer::onRoundStarted(qint32 round, const QStringList &words)
{
    QStringList shown;
    for (const QString &word : words)
        shown << OneLine(word);
    print("Round " + QString::number(round) + " started: " + shown.join(QStringLiteral(" --> ")));
}

void DedicatedServer::onRoundEnded(qint32 round, RoundEnd how, const QString &winner)
{
    const QString text = how == RoundEnd::Won            ? "won by " + OneLine(winner)
                         : how == RoundEnd::EverybodyOut ? QStringLiteral("ended: every player is out")
                                                         : QStringLiteral("called off");
    print("Round " + QString::number(round) + " " + text);
}

void DedicatedServer::print(const QString &line)
{
    m_out << m_host.Now().toString(Qt::ISODate) << ' ' << line << '\n';
    m_out.flush();
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
