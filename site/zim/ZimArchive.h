#pragma once

#include "site/zim/ZimBlobs.h"
#include "site/zim/ZimHtml.h"

#include <QByteArray>
#include <QString>

#include <zim/archive.h>
#include <zim/entry.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// What a read of the archive that threw left behind.
struct ReadFailure {
    bool failed = false;
    QString what; // the library's own words, "" when it gave none
};

// Every read of the archive passes through here. libzim reports a damaged or cut-off file by
// throwing from almost any call; the reader gets `fallback` instead (an empty answer, a missing
// entry, a page not found), so a bad archive costs a page, never the server.
template <typename T, typename Read> T Guarded(Read &&read, T fallback, ReadFailure *failure = nullptr)
{
    try {
        return read();
    } catch (const std::exception &e) {
        if (failure)
            *failure = {true, QString::fromUtf8(e.what())};
    } catch (...) {
        if (failure)
            *failure = {true, QString()};
    }
    return fallback;
}

// What a random draw makes of an article: taken at once, taken when no preferred one turns up, or
// never.
enum class Candidate { Preferred, Possible, Refused };

// One ZIM archive, and the look-ups the site makes in it. No call throws.
class ZimArchive
{
public:
    // nullptr, with *error saying why, when the file is missing, unreadable, truncated or no archive.
    static std::unique_ptr<ZimArchive> Open(const QString &file, QString *error);
    ~ZimArchive();

    const QString &File() const { return m_file; }
    // The archive's own name (its "Title" metadata), the file name when it has none.
    const QString &Title() const { return m_title; }
    qint64 ArticleCount() const { return m_articleCount; }
    zim::entry_index_type EntryCount() const { return m_entryCount; }
    // The library's archive, for the few reads that walk it whole; each goes through Guarded.
    const zim::Archive &Library() const { return m_archive; }
    // The items' bytes read straight from the file, on any thread; libzim when it declines.
    const ZimBlobs &Blobs() const { return *m_blobs; }

    std::optional<zim::Entry> ByPath(const std::string &path) const;
    // The entry at that place in path order.
    std::optional<zim::Entry> At(zim::entry_index_type index) const;
    // The entry a name from an address or a search box names: by title, else by path (where blanks
    // are underscores). Redirects included.
    std::optional<zim::Entry> Lookup(const QString &name) const;
    // The entry a redirect leads to in the end; the entry itself when it is none.
    std::optional<zim::Entry> Follow(const zim::Entry &e) const;

    bool IsArticle(const zim::Entry &e) const;
    bool IsMain(const zim::Entry &e) const { return m_mainIndex && e.getIndex() == *m_mainIndex; }
    bool IsDisambiguation(const zim::Entry &e) const;
    QString TitleOf(const zim::Entry &e) const;
    // An article's HTML; nothing when it cannot be read.
    std::optional<QByteArray> Html(const zim::Entry &e) const;
    // The main entry after its redirects, when the archive has one.
    std::optional<zim::Entry> MainEntry() const;

    // The address on the site of an entry: articles under /wiki/, everything else under /zim/.
    QByteArray AddressOf(const zim::Entry &e) const;
    static QByteArray ResourceAddress(const std::string &path);
    // What a path inside the archive leads to; `index`, when given, receives the entry's index in
    // path order.
    LinkTarget Resolve(const std::string &path, zim::entry_index_type *index = nullptr) const;
    // A uniformly drawn front article (never a redirect, the main page or a disambiguation page);
    // "" when none is found. `judge`, when given, rates each drawn article by its index: the draw is
    // uniform over the preferred ones when any turns up, else it is the first possible one.
    QString DrawArticle(const std::function<Candidate(zim::entry_index_type)> &judge = {}) const;

    // Whether a page of that title and HTML only lists the articles a word may mean.
    static bool IsDisambiguationPage(const QString &title, std::string_view html);

private:
    ZimArchive(const QString &file, const std::string &path);
    struct Resolved {
        LinkTarget target;
        zim::entry_index_type index = 0;
    };
    Resolved ResolveInArchive(const std::string &path) const;
    // "main page" or "first article" when that page's content cannot be read (the failure says
    // why), "" when both can.
    QString FirstUnreadablePage(ReadFailure *failure) const;

    QString m_file;
    zim::Archive m_archive;
    std::unique_ptr<ZimBlobs> m_blobs;
    // Where the paths that pages link to lead: a few popular articles take most links, and each
    // look-up in the archive is a binary search through its directory.
    static constexpr int kResolvedPaths = 1 << 15;
    static constexpr qint64 kResolvedBytes = 8ll << 20;
    mutable LruCache<std::string, Resolved> m_resolved{kResolvedPaths, kResolvedBytes};
    QString m_title;
    qint64 m_articleCount = 0;
    zim::entry_index_type m_entryCount = 0;
    std::optional<zim::entry_index_type> m_mainIndex;
};

QString FromUtf8(const std::string &s);
