#pragma once

#include "protocol/PageKinds.h"
#include "settings/SiteSettings.h"

#include <QByteArray>
#include <QHash>
#include <QString>

// What the site's pages are made of, independent of any network code: an answer is a status, a
// redirect address and an HTML body.

// What every page title ends with; the game's title rules look for it.
inline const QString kTitleSuffix = QStringLiteral(" - ") + QLatin1String(site::kTitleMarker);
// Longer addresses (path and query as sent) are refused with 414.
constexpr qsizetype kMaxTargetBytes = 4096;

struct SiteAnswer {
    int status = 200;    // 200, 302, 404 or 414
    QByteArray location; // where a 302 leads: an address on the site
    QByteArray body;
    // Pages are HTML; a picture, stylesheet or script of an archive carries its own stored type.
    QByteArray contentType = "text/html; charset=utf-8";
};

// "/wiki/New_York" for the title "New York": blanks become underscores, the rest percent-encoded.
QByteArray ArticleAddress(const QString &title);
// "T - Wikipedia, the free encyclopedia"
QString PageTitle(const QString &name);

// The pieces every kind of encyclopedia builds its pages from, so that all pages look alike.
namespace page
{
// Escapes text for HTML (a NUL is dropped); with `paragraphs`, a line break also closes one
// paragraph and opens the next.
void AppendEscaped(QByteArray &out, QByteArrayView text, bool paragraphs = false);
void AppendEscaped(QByteArray &out, const QString &text);
void AppendLink(QByteArray &out, const QByteArray &href, const QString &shown);
// "<a href=\"…\">", marked when following the link ends a player's round.
void AppendLinkStart(QByteArray &out, const QByteArrayView href);

// A player loses a round by one click on a link that leaves the encyclopedia or opens a page of a
// kind that takes players out; such links carry this class and a tooltip saying so.
inline constexpr char kOutLinkClass[] = "quillory-out";
// What a link on the site leads to: OffSite for one with a scheme or a host of its own, the kind of
// the page it opens for /wiki/ and /w/index.php addresses, Article for anything else. The search
// and random pages lead on to articles or to a search page, which take nobody out.
PageKind KindOfLink(QByteArrayView href);
// "Leaves the encyclopedia: following it ends your round", "A list page: opening it ends your
// round"; "" for the kinds that take nobody out.
QString OutLinkTooltip(PageKind kind);
// The tooltip as an escaped `title` value; "" for the kinds that take nobody out.
QByteArray OutLinkTitleValue(PageKind kind);
// The rules that colour and mark such links, as a <style> element for a page's head.
QByteArray OutLinkStyle();
// "/w/index.php?title=T&action=edit"
QByteArray EditAddress(const QString &title, const char *action);
// The top of a page: the title with its marker, the stylesheet and the heading.
QByteArray PageStart(const QString &pageName, const QString &heading);
void PageEnd(QByteArray &out);
SiteAnswer Page(QByteArray body, int status = 200);
SiteAnswer Redirect(const QByteArray &location);
SiteAnswer NotFound();
SiteAnswer TooLong();
// A percent-encoded name from an address, "_" read as a blank.
QString DecodePathName(QByteArrayView encoded);
// Form decoding of a query: '+' is a blank, then percent-decoding; the first value of a key counts.
QHash<QByteArray, QString> ParseQuery(QByteArrayView query);
} // namespace page
