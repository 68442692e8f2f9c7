#pragma once

#include "protocol/PageKinds.h"
#include "settings/SiteSettings.h"

#include <QString>
#include <optional>

// How the client classifies the pages its browser shows. The client never blocks a page: it names
// the page (or its kind) and the server judges it.

// The text every page title of the encyclopedia ends with, after " - ".
inline const QString kTitleMarker = QLatin1String(site::kTitleMarker);

// Today's online encyclopedia titles its pages "<page> - Wikipedia": the site's name after the
// last " - ", without the marker.
inline const QString kCurrentTitleSuffix = QStringLiteral(" - Wikipedia");
// The page name of such a title; nothing for any other title.
std::optional<QString> PageNameFromCurrentTitle(const QString &title);
// The kind of a page named in today's titles: its own kinds ("Dog: Revision history", "dog - Search
// results", "Creating Dog", "View source for Dog"), then those of KindOfPage.
PageKind CurrentPageKind(const QString &pageName);

// The page name of a title: the text before its last " -". Nothing when the title lacks the
// marker, or has no " -" at all.
std::optional<QString> PageNameFromTitle(const QString &title);

// True when a navigation leaves the site: the address does not hold the site domain followed
// directly by "/w" (compared in lower case).
bool IsOffSiteUrl(const QString &url, const QString &siteDomain);

// The parts of the round state that the page rules read and write.
struct PageState {
    bool inRound = false;
    QString startWord;        // Words(0); never reported
    QString currentPage;      // what the browser shows: page name, kind word or "nowiki"
    QString route;            // reported articles, each followed by a carriage return
    QString lastReportedPage; // makes each page reported once
};

// What the game window does after a title change or a navigation.
struct PageOutcome {
    std::optional<QString> caption;  // new window caption, when it changes
    std::optional<QString> navigate; // URL value to send in NAVIGATE, when one is due
};

class TitleRules
{
public:
    // The window caption while no page is named, and the prefix of every page caption.
    static inline const QString kCaption = QStringLiteral("Quillory");

    // Applies a new document title to the state.
    static PageOutcome ApplyTitle(const QString &title, PageState &state);
    // Applies a navigation (of the page or of a frame) about to happen; every off-site navigation
    // in a round is reported, a repeated one too.
    static PageOutcome ApplyNavigation(const QString &url, const QString &siteDomain, PageState &state);

private:
    // A named page of the given kind, shown now.
    static PageOutcome applyPageName(const QString &name, PageKind kind, PageState &state);
};
