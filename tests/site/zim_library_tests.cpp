// The archives a host may choose from, found in the usual folders and in readers' library files.
#include "site/zim/ZimLibrary.h"

#include "tests/common/ZimTestArchive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{

QString Write(const QString &file, const std::string &title, int articles)
{
    ZimTestArchive a;
    a.Title(title);
    for (int i = 0; i < articles; ++i)
        a.Article("Page_" + std::to_string(i), "Page " + std::to_string(i), "<p>Text.</p>");
    a.Raw("I/x.png", "", "image/png", "png");
    EXPECT_TRUE(QDir().mkpath(QFileInfo(file).absolutePath()));
    EXPECT_TRUE(a.Write(file));
    return QFileInfo(file).canonicalFilePath();
}

void WriteText(const QString &file, const QByteArray &text)
{
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
}

TEST(ZimLibrary, ListsTheArchivesOfFoldersAndLibraryFilesOnceEach)
{
    QTemporaryDir dir;
    const QString downloads = dir.filePath(QStringLiteral("Downloads"));
    const QString beta = Write(downloads + QStringLiteral("/beta.zim"), "Beta", 3);
    const QString alpha = Write(downloads + QStringLiteral("/readers/alpha.zim"), "alpha", 2);
    const QString gamma = Write(dir.filePath(QStringLiteral("elsewhere/gamma.zim")), "Gamma", 1);
    (void)Write(dir.filePath(QStringLiteral("Downloads/a/b/deep.zim")), "Too deep", 1);
    WriteText(downloads + QStringLiteral("/broken.zim"), "not an archive");
    WriteText(downloads + QStringLiteral("/notes.txt"), "beta.zim");
    const QString library = dir.filePath(QStringLiteral("data/reader/library.xml"));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(library).absolutePath()));
    WriteText(library, "<?xml version=\"1.0\"?><library version=\"20110515\">"
                       "<book id=\"1\" path=\"../../elsewhere/gamma.zim\" title=\"G\"/>"
                       "<book id=\"2\" path=\"" +
                           beta.toUtf8() +
                           "\"/>" // also in a folder
                           "<book id=\"3\" path=\"missing.zim\"/><book id=\"4\"/></library>");

    struct Row {
        QString file, title;
        qint64 articles;
    };
    const Row rows[] = {{alpha, "alpha", 2}, {beta, "Beta", 3}, {gamma, "Gamma", 1}}; // by title, any case
    const QList<ZimFileInfo> found =
        FindZimFiles({downloads, dir.filePath(QStringLiteral("nowhere"))}, {library});
    ASSERT_EQ(found.size(), qsizetype(std::size(rows)));
    for (size_t i = 0; i < std::size(rows); ++i) {
        const ZimFileInfo &z = found[qsizetype(i)];
        EXPECT_EQ(z.file, rows[i].file);
        EXPECT_EQ(z.title, rows[i].title);
        EXPECT_EQ(z.articleCount, rows[i].articles) << z.title.toStdString();
        EXPECT_EQ(z.language, QStringLiteral("eng"));
        EXPECT_EQ(z.bytes, QFileInfo(rows[i].file).size());
        EXPECT_TRUE(z.date.isValid());
    }
    EXPECT_TRUE(FindZimFiles({}, {}).isEmpty());
}

TEST(ZimLibrary, UsualPlacesFollowTheUsersFolders)
{
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("share")).toUtf8());
    qputenv("XDG_DATA_DIRS", home.filePath(QStringLiteral("system")).toUtf8());
    const QString library = home.filePath(QStringLiteral("share/kiwix/library.xml"));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(library).absolutePath()));
    WriteText(library, "<library/>");
    const QStringList folders = UsualZimFolders();
    EXPECT_TRUE(folders.contains(home.filePath(QStringLiteral("share")))) << folders.join(' ').toStdString();
    EXPECT_TRUE(folders.contains(home.filePath(QStringLiteral("system/kiwix"))));
    EXPECT_EQ(UsualZimLibraryFiles(), QStringList{library});
}

} // namespace
