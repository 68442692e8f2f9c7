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

namespace
{
// The typed text as a command: only blanks count as padding around it, as the player sees them.
QString Command(const QString &typed)
{
    qsizetype start = 0, end = typed.size();
    while (start < end && typed[start] == QLatin1Char(' '))
        ++start;
    while (end > start && typed[end - 1] == QLatin1Char(' '))
        --end;
    return typed.mid(start, end - start).toLower();
}
} // namespace

QString OutgoingMessage(const QString &typed, const QString &playerName, const QString &ownPort)
{
    if (typed.isEmpty())
        return QString();
    const QString command = Command(typed);
    if (command == QLatin1String("/time") || command == QLatin1String("/date"))
        return msg::TimeRequest(ownPort);
    if (command == QLatin1String("/giveup"))
        return msg::GiveUp(playerName);
    if (command == QLatin1String("/help"))
        return QString();
    return msg::Chat(playerName, typed);
}

QStringList LocalAnswer(const QString &typed)
{
    if (Command(typed) != QLatin1String("/help"))
        return {};
    return {QStringLiteral("Chat commands:"),
            QStringLiteral("/time or /date: the server's time and date"),
            QStringLiteral("/giveup: leave a round you cannot finish"),
            QStringLiteral("/bot [easy|normal|hard]: the host adds a bot (normal unless told)"),
            QStringLiteral("/bot remove NAME: the host removes that bot"),
            QStringLiteral("/help: this list")};
}

QString PlayersCaption(int count)
{
    return QStringLiteral("Players (") + QString::number(count) + QStringLiteral("):");
}

QStringList BotLevels()
{
    return {QStringLiteral("easy"), QStringLiteral("normal"), QStringLiteral("hard")};
}

QString AddBotCommand(const QString &level)
{
    return QStringLiteral("/bot ") + level;
}

QString RemoveBotCommand(const QString &name)
{
    return QStringLiteral("/bot remove ") + name;
}

bool IsBotName(const QString &name)
{
    return name.endsWith(QLatin1String(" (bot)"));
}

} // namespace chatlog
