#include "client/ChatLog.h"

#include "protocol/Messages.h"

#include <QStringList>

namespace chatlog {

QString AppendLine(const QString &history, const QString &name, const QString &text)
{
    const QString line = name + QStringLiteral(": ") + text;
    if (history.isEmpty())
        return line;
    const QString crlf = QStringLiteral("\r\n");
    QStringList lines = history.split(crlf);
    if (lines.size() >= kMaxLines)
        lines = lines.mid(lines.size() - (kMaxLines - 1));
    return lines.join(crlf) + crlf + line;
}

QString OutgoingMessage(const QString &typed, const QString &playerName, const QString &ownPort)
{
    if (typed.isEmpty())
        return QString();
    // Only blanks count as padding around a command, as the player sees them.
    qsizetype start = 0, end = typed.size();
    while (start < end && typed[start] == QLatin1Char(' '))
        ++start;
    while (end > start && typed[end - 1] == QLatin1Char(' '))
        --end;
    const QString command = typed.mid(start, end - start).toLower();
    if (command == QLatin1String("/time") || command == QLatin1String("/date"))
        return msg::TimeRequest(ownPort);
    return msg::Chat(playerName, typed);
}

QString PlayersCaption(int count)
{
    return QStringLiteral("Players (") + QString::number(count) + QStringLiteral("):");
}

} // namespace chatlog
