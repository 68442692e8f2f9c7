#include "protocol/Names.h"

namespace names
{

namespace
{
// The code point at *i, moving past it; a lone surrogate stands for itself.
char32_t nextCodePoint(QStringView s, qsizetype *i)
{
    const QChar c = s[*i];
    ++*i;
    if (c.isHighSurrogate() && *i < s.size() && s[*i].isLowSurrogate())
        return QChar::surrogateToUcs4(c, s[(*i)++]);
    return c.unicode();
}
} // namespace

bool SameIgnoringCase(QStringView a, QStringView b)
{
    // Compared in place, without lowering copies: joins and leaves compare against every listed
    // name, and a full list of long names must not cost a copy of each per datagram.
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (QChar::toLower(nextCodePoint(a, &i)) != QChar::toLower(nextCodePoint(b, &j)))
            return false;
    }
    return i == a.size() && j == b.size();
}

QStringView WithoutTrailingBlanks(QStringView name)
{
    qsizetype end = name.size();
    while (end > 0 && name[end - 1] == QLatin1Char(' '))
        --end;
    return name.left(end);
}

} // namespace names
