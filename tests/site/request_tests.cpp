// How a request target is read into the page it asks for, before any encyclopedia is asked.
#include "site/pages/PageRequest.h"

#include "tests/common/QtPrinting.h"

#include <gtest/gtest.h>

namespace
{

using Kind = PageRequest::Kind;

const char *KindName(Kind kind)
{
    switch (kind) {
    case Kind::TooLong:
        return "TooLong";
    case Kind::NotFound:
        return "NotFound";
    case Kind::MainPage:
        return "MainPage";
    case Kind::Article:
        return "Article";
    case Kind::Search:
        return "Search";
    case Kind::Random:
        return "Random";
    case Kind::Namespace:
        return "Namespace";
    case Kind::View:
        return "View";
    case Kind::Edit:
        return "Edit";
    case Kind::History:
        return "History";
    case Kind::Resource:
        return "Resource";
    }
    return "?";
}

} // namespace

TEST(PageRequest, TargetsReadAsThePageTheyAskFor)
{
    struct Row {
        QByteArray target;
        Kind kind;
        const char *name = "";
        const char *ns = "";
        const char *rest = "";
        const char *word = "";
        bool go = false;
        const char *resource = "";
    };
    const Row rows[] = {
        // The main page, whichever way its name is spelt in the address.
        {"/wiki/Main_Page", Kind::MainPage, "Main Page"},
        {"/wiki/Main%20Page?x=1#top", Kind::MainPage, "Main Page"},
        {"/wiki/main_page", Kind::Article, "main page"},
        // Articles: encoded characters are decoded, "_" is a blank, '+' stays a plus in a path.
        {"/wiki/New_York", Kind::Article, "New York"},
        {"/wiki/%C3%85land", Kind::Article, "\xC3\x85land"},
        {"/wiki/C%2B%2B", Kind::Article, "C++"},
        {"/wiki/A+B", Kind::Article, "A+B"},
        {"/wiki/B%3Fx%3D1%23y", Kind::Article, "B?x=1#y"},
        {"/wiki/Cat#History", Kind::Article, "Cat"},
        {"/wiki/Cat?#", Kind::Article, "Cat"},
        {"/wiki//Cat", Kind::Article, "/Cat"},
        {"/wiki/../wiki/Cat", Kind::Article, "../wiki/Cat"},
        // A name whose prefix is no namespace of the site, or a colon in front, is a plain name.
        {"/wiki/Template:Cat", Kind::Article, "Template:Cat"},
        {"/wiki/:Cat", Kind::Article, ":Cat"},
        {"/wiki/talk:Cat", Kind::Article, "talk:Cat"},
        // Namespaces, the colon encoded or not.
        {"/wiki/Talk:Cat", Kind::Namespace, "Talk:Cat", "Talk", "Cat"},
        {"/wiki/Talk%3ANew_York", Kind::Namespace, "Talk:New York", "Talk", "New York"},
        {"/wiki/Category:", Kind::Namespace, "Category:", "Category", ""},
        {"/wiki/Help:Contents", Kind::Namespace, "Help:Contents", "Help", "Contents"},
        {"/wiki/Special:WhatLinksHere/Cat", Kind::Namespace, "Special:WhatLinksHere/Cat", "Special",
         "WhatLinksHere/Cat"},
        {"/wiki/Special:random", Kind::Namespace, "Special:random", "Special", "random"},
        {"/wiki/Special:Random/x", Kind::Namespace, "Special:Random/x", "Special", "Random/x"},
        // Search: form decoding of the query; the first value counts; "go" counts with any value.
        {"/wiki/Special:Search?search=big+apple&go=Go", Kind::Search, "Special:Search", "Special", "Search",
         "big apple", true},
        {"/wiki/Special:Search?search=C%2B%2B", Kind::Search, "Special:Search", "Special", "Search", "C++"},
        {"/wiki/Special:Search?search=&go=Go", Kind::Search, "Special:Search", "Special", "Search", "", true},
        {"/wiki/Special:Search?go", Kind::Search, "Special:Search", "Special", "Search", "", true},
        {"/wiki/Special:Search", Kind::Search, "Special:Search", "Special", "Search"},
        {"/wiki/Special:Search?search=a&search=b", Kind::Search, "Special:Search", "Special", "Search", "a"},
        {"/wiki/Special:Search?sea%72ch=cat", Kind::Search, "Special:Search", "Special", "Search", "cat"},
        {"/wiki/Special:Search?search=cat#go", Kind::Search, "Special:Search", "Special", "Search", "cat"},
        {"/wiki/Special:Search?search%3Dcat", Kind::Search, "Special:Search", "Special", "Search"},
        {"/wiki/Special:Random", Kind::Random, "Special:Random", "Special", "Random"},
        {"/wiki/Special:Random?x=1", Kind::Random, "Special:Random", "Special", "Random"},
        // index.php: the title is trimmed; no title, or an action it does not know, is no page.
        {"/w/index.php?title=Cat", Kind::View, "Cat"},
        {"/w/index.php?title=Cat&action=view", Kind::View, "Cat"},
        {"/w/index.php?title=New_York&action=edit", Kind::Edit, "New_York"},
        {"/w/index.php?title=+Cat+&action=history", Kind::History, "Cat"},
        {"/w/index.php?action=edit&title=Cat&action=history", Kind::Edit, "Cat"},
        {"/w/index.php?title=Cat&action=delete", Kind::NotFound, "Cat"},
        {"/w/index.php?action=edit", Kind::NotFound},
        {"/w/index.php?title=&action=edit", Kind::NotFound},
        {"/w/index.php", Kind::NotFound},
        {"/w/index.php/x?title=Cat", Kind::NotFound},
        {"/W/index.php?title=Cat", Kind::NotFound},
        // Resources keep their encoding: only the archive knows what a path may hold.
        {"/zim/I/dog.png", Kind::Resource, "", "", "", "", false, "I/dog.png"},
        {"/zim/I%2Fdog.png?v=2", Kind::Resource, "", "", "", "", false, "I%2Fdog.png"},
        {"/zim/", Kind::Resource},
        // Nothing else is a page.
        {"/wiki/", Kind::NotFound},
        {"/wiki", Kind::NotFound},
        {"/wiki/%", Kind::Article, "%"},
        {"//wiki/Cat", Kind::NotFound},
        {"/", Kind::NotFound},
        {"", Kind::NotFound},
        {"/favicon.ico", Kind::NotFound},
        {"wiki/Cat", Kind::NotFound},
        // The length limit comes before everything and counts the target as sent.
        {"/wiki/Main_Page?" + QByteArray(kMaxTargetBytes, 'x'), Kind::TooLong},
    };
    for (const Row &r : rows) {
        const PageRequest p = ParseRequest(r.target);
        const std::string where = r.target.left(70).toStdString();
        EXPECT_STREQ(KindName(p.kind), KindName(r.kind)) << where;
        EXPECT_EQ(p.name, QString::fromUtf8(r.name)) << where;
        EXPECT_EQ(p.ns, QString::fromUtf8(r.ns)) << where;
        EXPECT_EQ(p.rest, QString::fromUtf8(r.rest)) << where;
        EXPECT_EQ(p.word, QString::fromUtf8(r.word)) << where;
        EXPECT_EQ(p.go, r.go) << where;
        EXPECT_EQ(p.resource, QByteArray(r.resource)) << where;
    }
}

TEST(PageRequest, NamesKeepWhatTheArchiveKindsMustRefuse)
{
    // A NUL stays in the name: an archive refuses such names itself, a page shown for one drops it.
    const PageRequest nul = ParseRequest("/wiki/Help:Cat%00");
    EXPECT_EQ(nul.kind, PageRequest::Kind::Namespace);
    EXPECT_EQ(nul.rest, QStringLiteral("Cat") + QChar(0));

    // A target of exactly the limit is still read.
    const QByteArray longest = ("/wiki/" + QByteArray(kMaxTargetBytes, 'A')).left(kMaxTargetBytes);
    const PageRequest atLimit = ParseRequest(longest);
    EXPECT_EQ(atLimit.kind, PageRequest::Kind::Article);
    EXPECT_EQ(atLimit.name, QString(kMaxTargetBytes - 6, QLatin1Char('A')));
    EXPECT_EQ(ParseRequest(longest + "#").kind, PageRequest::Kind::TooLong) << "a fragment counts too";
}
