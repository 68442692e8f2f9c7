#include "client/PageRules.h"

#include <array>
#include <utility>

std::optional<QString> PageNameFromCurrentTitle(const QString &title)
{
    if (title.contains(kTitleMarker) || !title.endsWith(kCurrentTitleSuffix) ||
        title.size() == kCurrentTitleSuffix.size())
        return std::nullopt;
    return title.chopped(kCurrentTitleSuffix.size());
}

PageKind CurrentPageKind(const QString &pageName)
{
    static const std::array<std::pair<QString, PageKind>, 6> rules{{
        {QStringLiteral("*: Revision history"), PageKind::History},
        {QStringLiteral("*: Difference between revisions"), PageKind::History},
        {QStringLiteral("* - Search results"), PageKind::Search},
        {QStringLiteral("Search results for*"), PageKind::Search},
        {QStringLiteral("Creating*"), PageKind::Edit},
        {QStringLiteral("View source for*"), PageKind::Edit},
    }};
    for (const auto &[pattern, kind] : rules) {
        if (MatchesWildcard(pageName, pattern))
            return kind;
    }
    return KindOfPage(pageName);
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
    return applyPageName(*name, KindOfPage(*name), state);
}

PageOutcome TitleRules::applyPageName(const QString &name, PageKind kind, PageState &state)
{
    PageOutcome out;
    if (!state.inRound) {
        state.currentPage = name;
        return out;
    }
    if (kind != PageKind::Article) {
        state.currentPage = KindWord(kind);
        out.caption = kCaption + QLatin1String(" - ") + state.currentPage;
        if (state.currentPage != state.lastReportedPage)
            out.navigate = state.currentPage;
        state.lastReportedPage = state.currentPage;
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
    state.currentPage = KindWord(PageKind::OffSite);
    out.navigate = state.currentPage;
    return out;
}
