#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

// A ZIM archive found on this machine, as a host choosing an encyclopedia sees it.
struct ZimFileInfo {
    QString file; // absolute path
    QString title;
    QString language; // as the archive names it ("eng"), "" when it does not
    qint64 articleCount = 0;
    qint64 bytes = 0;
    QDate date; // the archive's own date, else the file's

    bool operator==(const ZimFileInfo &) const = default;
};

// Where archives are usually kept: the user's download and documents folders and every XDG data
// folder (with the folders right inside it, where offline readers keep theirs).
QStringList UsualZimFolders();
// The library files offline encyclopedia readers keep in the XDG data folders, listing the
// archives they know wherever those are.
QStringList UsualZimLibraryFiles();

// The archives in those folders (and the folders right inside them) and those the library files
// name, each once, by title; files that are no readable archive are left out.
QList<ZimFileInfo> FindZimFiles(const QStringList &folders, const QStringList &libraryFiles);
