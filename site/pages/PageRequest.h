#pragma once

#include "site/pages/Pages.h"

#include <QByteArray>
#include <QString>

// Which page a request asks for, read from its target alone: no encyclopedia is asked yet, so every
// kind of encyclopedia reads an address the same way.
struct PageRequest {
    enum class Kind {
        TooLong,   // longer than kMaxTargetBytes
        NotFound,  // no page of the site has an address of this shape
        MainPage,  // /wiki/Main_Page
        Article,   // /wiki/<name>, a name in no namespace of the site
        Search,    // /wiki/Special:Search?search=<word>[&go=Go]
        Random,    // /wiki/Special:Random
        Namespace, // /wiki/Talk:<rest>, Category:, Help:, User:, Portal:, Wikipedia:, Special:<other>
        View,      // /w/index.php?title=<name> with no action or "view"
        Edit,      // /w/index.php?title=<name>&action=edit
        History,   // /w/index.php?title=<name>&action=history
        Resource,  // /zim/<path>: a picture, stylesheet or script of an archive
    };

    Kind kind = Kind::NotFound;
    // The page's name as an address gives it ("_" read as a blank): the whole name under /wiki/,
    // the title of an index.php request. Every name under /wiki/ may still be an article's title.
    QString name;
    QString ns;          // Namespace: "Talk", "Category", …, "Special"
    QString rest;        // Namespace: the name after the colon
    QString word;        // Search: the typed word, as sent
    bool go = false;     // Search: "go" was pressed, so an article of that name is wanted at once
    QByteArray resource; // Resource: the path after /zim/, still percent-encoded

    bool operator==(const PageRequest &) const = default;
};

// `target` is the request's path and query exactly as sent ("/wiki/%C3%85land?x=1#top").
PageRequest ParseRequest(QByteArrayView target);
