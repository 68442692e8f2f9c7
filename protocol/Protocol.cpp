#include "protocol/Protocol.h"

#include <limits>

QString GetVerb(const QString &message)
{
    const qsizetype blank = message.indexOf(QLatin1Char(' '));
    return blank < 0 ? message : message.left(blank);
}

QString GetValue(const QString &message, const QString &key)
{
    const qsizetype a = message.indexOf(key + QLatin1Char('='));
    if (a < 0)
        return QString();
    const qsizetype valueStart = a + key.size() + 1;
    const qsizetype b = message.indexOf(QLatin1Char(';'), valueStart);
    if (b < 0)
        return QString();
    return message.mid(valueStart, b - valueStart);
}

std::optional<qint32> ParseNumber(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    qsizetype i = 0;
    bool negative = false;
    if (t[0] == QLatin1Char('+') || t[0] == QLatin1Char('-')) {
        negative = t[0] == QLatin1Char('-');
        i = 1;
    }
    if (i == t.size())
        return std::nullopt;
    qint64 value = 0;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        value = value * 10 + (c.unicode() - '0');
        if (value > qint64(std::numeric_limits<qint32>::max()) + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return static_cast<qint32>(value);
}

std::optional<qint32> GetNumber(const QString &message, const QString &key)
{
    return ParseNumber(GetValue(message, key));
}
