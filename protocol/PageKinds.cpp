#include "protocol/PageKinds.h"

#include <array>
#include <utility>

bool MatchesWildcard(const QString &text, const QString &pattern)
{
    // Greedy matching with one back-track point: the last "*" seen absorbs one more character
    // whenever the rest fails to match.
    qsizetype t = 0, p = 0;
    qsizetype starP = -1, starT = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == QLatin1Char('*')) {
            starP = p++;
            starT = t;
        } else if (p < pattern.size() && pattern[p] == text[t]) {
            ++p;
            ++t;
        } else if (starP >= 0) {
            p = starP + 1;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == QLatin1Char('*'))
        ++p;
    return p == pattern.size();
}

namespace
{
bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}
bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}
} // namespace

bool IsNumericString(const QString &text)
{
    qsizetype i = 0, end = text.size();
    while (i < end && isBlank(text[i]))
        ++i;
    while (end > i && isBlank(text[end - 1]))
        --end;
    if (i < end && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        ++i;
    // Whole part: digits, with group separators only between digits.
    int digits = 0;
    while (i < end) {
        if (isDigit(text[i])) {
            ++digits;
            ++i;
        } else if (text[i] == QLatin1Char(',') && digits > 0 && i + 1 < end && isDigit(text[i + 1])) {
            ++i;
        } else {
            break;
        }
    }
    if (i < end && text[i] == QLatin1Char('.')) {
        ++i;
        while (i < end && isDigit(text[i])) {
            ++digits;
            ++i;
        }
    }
    if (digits == 0)
        return false;
    if (i < end && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        ++i;
        if (i < end && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
            ++i;
        int exponentDigits = 0;
        while (i < end && isDigit(text[i])) {
            ++exponentDigits;
            ++i;
        }
        if (exponentDigits == 0)
            return false;
    }
    return i == end;
}

QString PageKind(const QString &pageName)
{
    // Order matters: the first rule that holds names the kind ("List of Help:x" is a list).
    static const std::array<std::pair<QString, QString>, 11> rules{{
        {QStringLiteral("List of*"), QStringLiteral("list")},
        {QStringLiteral("* - History"), QStringLiteral("history")},
        {QStringLiteral("Editing*"), QStringLiteral("edit")},
        {QStringLiteral("Talk:*"), QStringLiteral("talk")},
        {QStringLiteral("Category:*"), QStringLiteral("category")},
        {QStringLiteral("Wikipedia:*"), QStringLiteral("wiki")},
        {QStringLiteral("Help:*"), QStringLiteral("help")},
        {QStringLiteral("Special:*"), QStringLiteral("special")},
        {QStringLiteral("User:*"), QStringLiteral("user")},
        {QStringLiteral("Portal:*"), QStringLiteral("portal")},
        {QStringLiteral("Search*"), QStringLiteral("search")},
    }};
    for (const auto &[pattern, kind] : rules) {
        if (MatchesWildcard(pageName, pattern))
            return kind;
    }
    if (IsNumericString(pageName))
        return QStringLiteral("number");
    return QString();
}
