#include "client/PageRules.h"

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

std::optional<QString> PageNameFromCurrentTitle(const QString &title)
{
    if (title.contains(kTitleMarker) || !title.endsWith(kCurrentTitleSuffix) ||
        title.size() == kCurrentTitleSuffix.size())
        return std::nullopt;
    return title.chopped(kCurrentTitleSuffix.size());
}

QString CurrentPageKind(const QString &pageName)
{
    static const std::array<std::pair<QString, QString>, 6> rules{{
        {QStringLiteral("*: Revision history"), QStringLiteral("history")},
        {QStringLiteral("*: Difference between revisions"), QStringLiteral("history")},
        {QStringLiteral("* - Search results"), QStringLiteral("search")},
        {QStringLiteral("Search results for*"), QStringLiteral("search")},
        {QStringLiteral("Creating*"), QStringLiteral("edit")},
        {QStringLiteral("View source for*"), QStringLiteral("edit")},
    }};
    for (const auto &[pattern, kind] : rules) {
        if (MatchesWildcard(pageName, pattern))
            return kind;
    }
    return PageKind(pageName);
}

std::optional<QString> PageNameFromTitle(const QString &title)
{
    if (!title.contains(kTitleMarker))
        return std::nullopt;
    const qsizetype cut = title.lastIndexOf(QLatin1String(" -"));
    if (cut < 0)
        return std::nullopt;
    return title.left(cut);
}

bool IsOffSiteUrl(const QString &url, const QString &siteDomain)
{
    return !url.toLower().contains(siteDomain.toLower() + QLatin1String("/w"));
}

PageOutcome TitleRules::ApplyTitle(const QString &title, PageState &state)
{
    PageOutcome out;
    // Today's titles carry no marker; everything below holds for them as for the marked ones.
    if (const std::optional<QString> current = PageNameFromCurrentTitle(title))
        return applyPageName(*current, CurrentPageKind(*current), state);
    if (!title.contains(kTitleMarker))
        return out;
    const bool hasDash = title.contains(QLatin1Char('-'));
    if (state.inRound && !hasDash) {
        // A marked page without a name: nothing to report, and the caption says so.
        state.currentPage.clear();
        out.caption = kCaption;
        return out;
    }
    // A marked title with a "-" but no " -" names no page; it changes nothing.
    const std::optional<QString> name = PageNameFromTitle(title);
    if (!name)
        return out;
    return applyPageName(*name, PageKind(*name), state);
}

PageOutcome TitleRules::applyPageName(const QString &name, const QString &kind, PageState &state)
{
    PageOutcome out;
    if (!state.inRound) {
        state.currentPage = name;
        return out;
    }
    if (!kind.isEmpty()) {
        state.currentPage = kind;
        out.caption = kCaption + QLatin1String(" - ") + kind;
        if (kind != state.lastReportedPage)
            out.navigate = kind;
        state.lastReportedPage = kind;
        return out;
    }
    state.currentPage = name;
    out.caption = kCaption + QLatin1String(" - ") + name;
    if (name != state.startWord && name != state.lastReportedPage) {
        out.navigate = name;
        state.route += name + QLatin1Char('\r');
    }
    state.lastReportedPage = name;
    return out;
}

PageOutcome TitleRules::ApplyNavigation(const QString &url, const QString &siteDomain, PageState &state)
{
    PageOutcome out;
    if (!state.inRound || !IsOffSiteUrl(url, siteDomain))
        return out;
    state.currentPage = QStringLiteral("nowiki");
    out.navigate = state.currentPage;
    return out;
}
