#pragma once

#include "site/Corpus.h"

#include <QByteArray>
#include <QString>

// The pages of the encyclopedia site, independent of any network code: a request target in, a
// status, a redirect address and an HTML body out.

// What every page title ends with; the game's title rules look for it.
inline constexpr char kTitleSuffix[] = " - Wikipedia, the free encyclopedia";
// Longer addresses (path and query as sent) are refused with 414.
constexpr qsizetype kMaxTargetBytes = 4096;

struct SiteAnswer {
    int status = 200;    // 200, 302, 404 or 414
    QByteArray location; // where a 302 leads: an address on the site
    QByteArray body;     // text/html; charset=utf-8
};

// `target` is the request's path and query exactly as sent ("/wiki/%C3%85land").
SiteAnswer AnswerRequest(const Corpus &corpus, const QByteArray &target);

// "/wiki/New_York" for the title "New York": blanks become underscores, the rest percent-encoded.
QByteArray ArticleAddress(const QString &title);
// "T - Wikipedia, the free encyclopedia"
QString PageTitle(const QString &name);
// Where in the article's text each linked title is shown as a link: the stored anchors, or, when the
// article has none, the first place where each linked title appears as whole words (its first letter
// in either case). Links that appear nowhere are listed below the text.
std::vector<Article::Anchor> PlaceAnchors(const Corpus &corpus, const Article &article);
