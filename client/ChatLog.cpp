#include "client/ChatLog.h"

#include "protocol/Messages.h"

#include <QRegularExpression>
#include <QStringList>

namespace chatlog
{

QString AppendLine(const QString &history, const QString &name, const QString &text)
{
    const QString line = name + QStringLiteral(": ") + text;
    const QString crlf = QStringLiteral("\r\n");
    const QString all = history.isEmpty() ? line : history + crlf + line;
    // Every break the chat box shows starts a line: CR LF, a lone CR or LF, and the Unicode line
    // and paragraph separators. The lines of an entry count one by one, so the box never holds
    // more than kMaxLines, however many breaks one message carries.
    static const QRegularExpression breaks(QStringLiteral("\\r\\n|[\\r\\n\\x{2028}\\x{2029}]"));
    QStringList lines = all.split(breaks);
    if (lines.size() > kMaxLines)
        lines = lines.mid(lines.size() - kMaxLines);
    return lines.join(crlf);
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
