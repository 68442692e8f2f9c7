#include "site/choice/FoundEncyclopedias.h"

#include "site/zim/ZimLibrary.h"

QList<EncyclopediaFile> FindEncyclopediaFiles(const QStringList &folders, const QStringList &libraryFiles)
{
    QList<EncyclopediaFile> files;
    for (const ZimFileInfo &z : FindZimFiles(folders, libraryFiles))
        files.append({z.file, z.title, z.language, z.articleCount, z.bytes, z.date});
    return files;
}

EncyclopediaFinder UsualEncyclopediaFinder()
{
    // The places are looked up when the search runs, so a folder made since is seen.
    return [] { return FindEncyclopediaFiles(UsualZimFolders(), UsualZimLibraryFiles()); };
}
