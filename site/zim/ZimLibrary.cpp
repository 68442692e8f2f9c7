#include "site/zim/ZimLibrary.h"

#include "site/zim/ZimArchive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>
#include <QXmlStreamReader>

#include <algorithm>

namespace
{

// Offline readers' folders inside a data folder, and their library file's name.
const char *const kReaderFolders[] = {"kiwix", "kiwix-desktop"};
const char *const kLibraryFile = "library.xml";

void AddArchivesIn(const QString &folder, QStringList &files)
{
    const QDir dir(folder);
    for (const QFileInfo &f : dir.entryInfoList({QStringLiteral("*.zim")}, QDir::Files | QDir::Readable))
        files.append(f.absoluteFilePath());
}

// The archives a library file lists; a relative path is relative to the file's folder.
void AddArchivesListedIn(const QString &libraryFile, QStringList &files)
{
    QFile f(libraryFile);
    if (!f.open(QIODevice::ReadOnly))
        return;
    const QDir base = QFileInfo(libraryFile).absoluteDir();
    QXmlStreamReader xml(&f);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("book")) {
            const QString path = xml.attributes().value(QLatin1String("path")).toString();
            if (!path.isEmpty())
                files.append(QFileInfo(base, path).absoluteFilePath());
        }
    }
}

QString Metadata(const ZimArchive &archive, const char *name)
{
    return Guarded([&] { return FromUtf8(archive.Library().getMetadata(name)).simplified(); }, QString());
}

} // namespace

QStringList UsualZimFolders()
{
    QStringList folders;
    for (const auto location : {QStandardPaths::DownloadLocation, QStandardPaths::DocumentsLocation})
        folders += QStandardPaths::standardLocations(location);
    for (const QString &data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        folders.append(data);
        for (const char *reader : kReaderFolders)
            folders.append(data + QLatin1Char('/') + QLatin1String(reader));
    }
    folders.removeDuplicates();
    return folders;
}

QStringList UsualZimLibraryFiles()
{
    QStringList files;
    for (const QString &data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        for (const char *reader : kReaderFolders) {
            const QString file =
                QStringLiteral("%1/%2/%3").arg(data, QLatin1String(reader), QLatin1String(kLibraryFile));
            if (QFileInfo::exists(file))
                files.append(file);
        }
    }
    return files;
}

QList<ZimFileInfo> FindZimFiles(const QStringList &folders, const QStringList &libraryFiles)
{
    QStringList candidates;
    for (const QString &folder : folders) {
        AddArchivesIn(folder, candidates);
        for (const QFileInfo &inside : QDir(folder).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot))
            AddArchivesIn(inside.absoluteFilePath(), candidates);
    }
    for (const QString &library : libraryFiles)
        AddArchivesListedIn(library, candidates);

    QList<ZimFileInfo> found;
    QSet<QString> seen; // the same archive reached by two paths is listed once
    for (const QString &file : candidates) {
        const QFileInfo info(file);
        const QString canonical = info.canonicalFilePath();
        if (canonical.isEmpty() || seen.contains(canonical))
            continue;
        seen.insert(canonical);
        QString error;
        const std::unique_ptr<ZimArchive> archive = ZimArchive::Open(canonical, &error);
        if (!archive)
            continue;
        ZimFileInfo z;
        z.file = canonical;
        z.title = archive->Title();
        z.language = Metadata(*archive, "Language");
        z.articleCount = archive->ArticleCount();
        z.bytes = info.size();
        z.date = QDate::fromString(Metadata(*archive, "Date"), Qt::ISODate);
        if (!z.date.isValid())
            z.date = info.lastModified().date();
        found.append(z);
    }
    std::sort(found.begin(), found.end(), [](const ZimFileInfo &a, const ZimFileInfo &b) {
        const int byTitle = a.title.compare(b.title, Qt::CaseInsensitive);
        return byTitle != 0 ? byTitle < 0 : a.file < b.file;
    });
    return found;
}
