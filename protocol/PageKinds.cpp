#include "protocol/PageKinds.h"

#include <array>
#include <iterator>
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

namespace
{
struct KindEntry {
    PageKind kind;
    QLatin1String word;
    bool takesOut;
    // Why a player whom such a page took out is out, in the words a player reads.
    QLatin1String outReason;
};

// Every kind with its word, whether it takes a player out and why, in the order of the enum.
constexpr KindEntry kKinds[] = {
    {PageKind::Article, QLatin1String(""), false, QLatin1String("")},
    {PageKind::List, QLatin1String("list"), true, QLatin1String("opened a list page")},
    {PageKind::History, QLatin1String("history"), true, QLatin1String("opened a page's history")},
    {PageKind::Edit, QLatin1String("edit"), true, QLatin1String("opened an edit page")},
    {PageKind::Talk, QLatin1String("talk"), true, QLatin1String("opened a Talk page")},
    {PageKind::Project, QLatin1String("wiki"), true, QLatin1String("opened a project page")},
    {PageKind::Category, QLatin1String("category"), true, QLatin1String("opened a category page")},
    {PageKind::Help, QLatin1String("help"), true, QLatin1String("opened a help page")},
    {PageKind::Special, QLatin1String("special"), true, QLatin1String("opened a special page")},
    {PageKind::User, QLatin1String("user"), true, QLatin1String("opened a user page")},
    {PageKind::Portal, QLatin1String("portal"), true, QLatin1String("opened a portal page")},
    {PageKind::Search, QLatin1String("search"), false, QLatin1String("")},
    {PageKind::Number, QLatin1String("number"), true, QLatin1String("opened a page named by a number")},
    {PageKind::OffSite, QLatin1String("nowiki"), true, QLatin1String("left the encyclopedia")},
};

constexpr bool inEnumOrder()
{
    for (size_t i = 0; i < std::size(kKinds); ++i) {
        if (static_cast<size_t>(kKinds[i].kind) != i)
            return false;
    }
    return std::size(kKinds) == static_cast<size_t>(PageKind::OffSite) + 1;
}
static_assert(inEnumOrder(), "one entry per kind, in the order of the enum");

constexpr bool reasonWhereOut()
{
    for (const KindEntry &entry : kKinds) {
        if (entry.takesOut == entry.outReason.isEmpty())
            return false;
    }
    return true;
}
static_assert(reasonWhereOut(), "every kind that takes a player out says why, and only those");

const KindEntry &entryOf(PageKind kind)
{
    const auto index = static_cast<size_t>(kind);
    return index < std::size(kKinds) ? kKinds[index] : kKinds[0];
}
} // namespace

QLatin1String KindWord(PageKind kind)
{
    return entryOf(kind).word;
}

PageKind KindOfWord(QStringView reported)
{
    for (const KindEntry &entry : kKinds) {
        if (entry.kind != PageKind::Article && reported == entry.word)
            return entry.kind;
    }
    return PageKind::Article;
}

bool TakesPlayerOut(PageKind kind)
{
    return entryOf(kind).takesOut;
}

QString OutReason(PageKind kind)
{
    return entryOf(kind).outReason;
}

bool MayEndRound(PageKind kind)
{
    return kind == PageKind::Article;
}

PageKind KindOfPage(const QString &pageName)
{
    // Order matters: the first rule that holds names the kind ("List of Help:x" is a list).
    static const std::array<std::pair<QString, PageKind>, 11> rules{{
        {QStringLiteral("List of*"), PageKind::List},
        {QStringLiteral("* - History"), PageKind::History},
        {QStringLiteral("Editing*"), PageKind::Edit},
        {QStringLiteral("Talk:*"), PageKind::Talk},
        {QStringLiteral("Category:*"), PageKind::Category},
        {QStringLiteral("Wikipedia:*"), PageKind::Project},
        {QStringLiteral("Help:*"), PageKind::Help},
        {QStringLiteral("Special:*"), PageKind::Special},
        {QStringLiteral("User:*"), PageKind::User},
        {QStringLiteral("Portal:*"), PageKind::Portal},
        {QStringLiteral("Search*"), PageKind::Search},
    }};
    for (const auto &[pattern, kind] : rules) {
        if (MatchesWildcard(pageName, pattern))
            return kind;
    }
    if (IsNumericString(pageName))
        return PageKind::Number;
    return PageKind::Article;
}
