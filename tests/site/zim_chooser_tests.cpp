// The encyclopedia chooser of either program on a folder of archives written for the test: each
// readable archive is one row with its own facts, and choosing a row serves that file.
#include "platform/qt/QtDialogs.h"
#include "site/choice/FoundEncyclopedias.h"

#include "tests/common/WaitFor.h"
#include "tests/common/ZimTestArchive.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace
{

QString WriteArchive(const QString &file, const std::string &title, int articles)
{
    ZimTestArchive a;
    a.Title(title);
    for (int i = 0; i < articles; ++i)
        a.Article("A" + std::to_string(i), "Article " + std::to_string(i), "<p>Text.</p>");
    EXPECT_TRUE(a.Write(file));
    return QFileInfo(file).canonicalFilePath();
}

TEST(ZimChooser, ListsTheArchivesOfAFolderAndServesTheChosenOne)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const struct {
        QString file, title;
        int articles;
    } rows[] = {
        // by title, whatever the order on disk
        {WriteArchive(dir.filePath(QStringLiteral("z.zim")), "Animals", 3), QStringLiteral("Animals"), 3},
        {WriteArchive(dir.filePath(QStringLiteral("a.zim")), "Rivers", 5), QStringLiteral("Rivers"), 5},
    };
    QFile broken(dir.filePath(QStringLiteral("broken.zim")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not an archive");
    broken.close();

    const QString folder = dir.path();
    QtDialogs dialogs(nullptr, [folder] { return FindEncyclopediaFiles({folder}, {}); });
    QObject context;
    std::optional<std::optional<QString>> answer;
    dialogs.ChooseEncyclopedia(QString(), QStringLiteral("QuilloryServer"), &context,
                               [&](const std::optional<QString> &chosen) { answer = chosen; });
    ASSERT_TRUE(WaitFor([] { return QApplication::activeModalWidget() != nullptr; }));
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    auto *list = box->findChild<QTreeWidget *>();
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(WaitFor([&] { return list->topLevelItemCount() > 0; }, 10000));
    ASSERT_EQ(list->topLevelItemCount(), int(std::size(rows)));
    const QLocale locale;
    for (int i = 0; i < int(std::size(rows)); ++i) {
        const QTreeWidgetItem *row = list->topLevelItem(i);
        EXPECT_EQ(row->text(0), rows[i].title);
        EXPECT_EQ(row->text(1), QStringLiteral("eng"));
        EXPECT_EQ(row->text(2), locale.toString(rows[i].articles));
        EXPECT_EQ(row->text(3), locale.formattedDataSize(QFileInfo(rows[i].file).size()));
        EXPECT_NE(row->text(4), QStringLiteral("unknown"));
        EXPECT_EQ(row->toolTip(0), rows[i].file);
    }

    list->setCurrentItem(list->topLevelItem(1));
    QPushButton *serve = nullptr;
    for (QAbstractButton *b : box->buttons()) {
        if (b->text() == QStringLiteral("Serve the chosen file"))
            serve = qobject_cast<QPushButton *>(b);
    }
    ASSERT_NE(serve, nullptr);
    serve->click();
    ASSERT_TRUE(WaitFor([&] { return answer.has_value(); }));
    EXPECT_EQ(*answer, std::optional<QString>(rows[1].file));
}

} // namespace
