#include "protocol/Protocol.h"

#include <limits>

QString GetVerb(const QString &message)
{
    const qsizetype blank = message.indexOf(QLatin1Char(' '));
    return blank < 0 ? message : message.left(blank);
}

QString GetValue(const QString &message, const QString &key)
{
    return GetValueFrom(message, key, 0, nullptr);
}

QString GetValueFrom(const QString &message, const QString &key, qsizetype from, qsizetype *end)
{
    const qsizetype a = message.indexOf(key + QLatin1Char('='), from);
    if (a < 0)
        return QString();
    const qsizetype valueStart = a + key.size() + 1;
    const qsizetype b = message.indexOf(QLatin1Char(';'), valueStart);
    if (b < 0)
        return QString();
    if (end)
        *end = b + 1;
    return message.mid(valueStart, b - valueStart);
}

bool FitsDatagram(const QString &message)
{
    // A UTF-16 unit never takes more than 3 UTF-8 bytes, so most messages need no count at all.
    if (message.size() * 3 <= kMaxDatagramBytes)
        return true;
    if (message.size() > kMaxDatagramBytes)
        return false;
    return message.toUtf8().size() <= kMaxDatagramBytes;
}

std::optional<qint32> ParseNumber(const QString &text)
{
    // Only blanks pad a number; a tab, line break or form feed makes it no number.
    qsizetype first = 0, last = text.size();
    while (first < last && text[first] == QLatin1Char(' '))
        ++first;
    while (last > first && text[last - 1] == QLatin1Char(' '))
        --last;
    const QStringView t = QStringView(text).mid(first, last - first);
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

std::optional<quint16> ParsePort(const QString &text)
{
    const auto value = ParseNumber(text);
    if (!value || *value < 1 || *value > 65535)
        return std::nullopt;
    return static_cast<quint16>(*value);
}
