#include "client/JoinRules.h"

namespace joinRules
{

namespace
{
bool IsSeparator(QChar c)
{
    return c == QLatin1Char('=') || c == QLatin1Char(';');
}
// Blanks only, as the player types them; other white space is part of the text.
QString TrimBlanks(const QString &text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text.at(start) == QLatin1Char(' '))
        ++start;
    while (end > start && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.mid(start, end - start);
}
} // namespace

QString CleanField(const QString &text)
{
    QString out = text;
    out.remove(QLatin1Char('='));
    out.remove(QLatin1Char(';'));
    return out;
}

CleanedText CleanFieldKeepingCaret(const QString &text, int caret)
{
    CleanedText out;
    out.text.reserve(text.size());
    const int limit = qBound(0, caret, int(text.size()));
    for (int i = 0; i < text.size(); ++i) {
        if (IsSeparator(text.at(i)))
            continue;
        if (i < limit)
            ++out.caret;
        out.text.append(text.at(i));
    }
    return out;
}

QString HostHelpText()
{
    const QString br = QStringLiteral("\r\n");
    return QStringLiteral("Enter your IP address to connect to the local server.") + br + br +
           QStringLiteral("If hosting over the Internet, type your external IP address (found at ") +
           QStringLiteral("ifconfig.me") + QStringLiteral(").") + br +
           QStringLiteral(
               "UDP port 7200 (the game) and TCP port 7200 (the encyclopedia) must be routed to your "
               "local PC if you are behind a router; the players' clients use UDP ports 7200-7220.") +
           br + br + QStringLiteral("If hosting over LAN, type your internal IP address.");
}

HostAddress CheckHostAddress(const QString &text)
{
    if (IsBlankAddress(text))
        return HostAddress::Blank;
    const QString plain = TrimBlanks(text).toLower();
    if (plain == QLatin1String("localhost") || plain == QLatin1String("127.0.0.1"))
        return HostAddress::Loopback;
    return HostAddress::Accepted;
}

QStringList SplitServers(const QString &line)
{
    return line.split(QLatin1Char(','), Qt::SkipEmptyParts);
}

QString ServersAfterJoin(const QString &chosen, const QStringList &items)
{
    QStringList out{chosen};
    for (const QString &item : items) {
        if (item.compare(chosen, Qt::CaseInsensitive) != 0)
            out << item;
    }
    return out.join(QLatin1Char(','));
}

bool IsBlankAddress(const QString &text)
{
    QString plain = text;
    plain.remove(QLatin1Char('.'));
    return TrimBlanks(plain).isEmpty();
}

QString AddressOfActiveEntry(const QString &entry)
{
    const int at = entry.lastIndexOf(QLatin1String(" ("));
    return at < 0 ? entry : entry.left(at);
}

} // namespace joinRules
