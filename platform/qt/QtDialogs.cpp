#include "platform/qt/QtDialogs.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QGridLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QtConcurrent/QtConcurrentRun>

namespace
{
QMessageBox::Icon boxIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Information:
        break;
    }
    return QMessageBox::Information;
}

// Shows the box in front of every window and returns at once; `answered` runs with its result
// code when the player closes it, unless `context` is gone by then. The box deletes itself.
// QDialog::open() would make the box modal to its parent only, which leaves every window open
// to clicks when there is no parent.
void openInFront(QDialog *box, QObject *context, std::function<void(int)> answered)
{
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    QObject::connect(box, &QDialog::finished, context ? context : box,
                     [answered = std::move(answered)](int result) {
                         if (answered)
                             answered(result);
                     });
    box->show();
}

// The file picker behind the ZIM and folder choices; nothing when cancelled.
void pickPath(QWidget *parent, bool folder, const QString &start, const QString &caption, QObject *context,
              std::function<void(std::optional<QString>)> done)
{
    auto *picker = new QFileDialog(parent, caption, start);
    if (folder) {
        picker->setFileMode(QFileDialog::Directory);
        picker->setOption(QFileDialog::ShowDirsOnly);
    } else {
        picker->setFileMode(QFileDialog::ExistingFile);
        picker->setNameFilter(QStringLiteral("ZIM archives (*.zim);;All files (*)"));
    }
    openInFront(picker, context, [picker, done = std::move(done)](int result) {
        const QStringList picked = picker->selectedFiles();
        if (!done)
            return;
        if (result != QDialog::Accepted || picked.isEmpty() || picked.first().isEmpty())
            done(std::nullopt);
        else
            done(picked.first());
    });
}

// Puts the list of encyclopedia files found on the machine into the chooser, above its buttons,
// and starts looking for them on a worker thread; the list fills once the search is done. A search
// still running when the chooser closes runs to its end and is thrown away: it holds nothing of
// the chooser. Activating a row presses `use`, which is enabled while a row is selected.
void ListFoundFiles(QMessageBox *box, const EncyclopediaFinder &finder, QPushButton *use)
{
    auto *status = new QLabel(QStringLiteral("Looking for ZIM files in the usual folders..."), box);
    status->setObjectName(QStringLiteral("lblFound"));
    auto *list = new QTreeWidget(box);
    list->setObjectName(QStringLiteral("lstFound"));
    list->setAccessibleName(QStringLiteral("ZIM files found on this computer"));
    list->setHeaderLabels({QStringLiteral("Title"), QStringLiteral("Language"), QStringLiteral("Articles"),
                           QStringLiteral("Size"), QStringLiteral("Date")});
    list->setRootIsDecorated(false);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    // The box sizes itself once, when shown, to what its parts need at least.
    list->setMinimumSize(560, 150);
    status->setBuddy(list);
    use->setEnabled(false);
    QObject::connect(list, &QTreeWidget::itemSelectionChanged, use,
                     [list, use] { use->setEnabled(!list->selectedItems().isEmpty()); });
    QObject::connect(list, &QTreeWidget::itemActivated, use, [use] { use->click(); });

    // The buttons move below the list; the text stays on top.
    auto *grid = qobject_cast<QGridLayout *>(box->layout());
    auto *buttons = box->findChild<QDialogButtonBox *>();
    if (grid && buttons) {
        const int columns = grid->columnCount();
        grid->removeWidget(buttons);
        const int row = grid->rowCount();
        grid->addWidget(status, row, 0, 1, columns);
        grid->addWidget(list, row + 1, 0, 1, columns);
        grid->addWidget(buttons, row + 2, 0, 1, columns);
    }

    auto *search = new QFutureWatcher<QList<EncyclopediaFile>>(box);
    QObject::connect(search, &QFutureWatcherBase::finished, box, [search, list, status] {
        const QList<EncyclopediaFile> found = search->result();
        const QLocale locale;
        for (const EncyclopediaFile &f : found) {
            // A screen reader reads every cell; an empty one would say nothing at all.
            const QString unknown = QStringLiteral("unknown");
            const QString date = locale.toString(f.date, QLocale::ShortFormat);
            auto *row = new QTreeWidgetItem(
                list, {f.title, f.language.isEmpty() ? unknown : f.language, locale.toString(f.articles),
                       locale.formattedDataSize(f.bytes), date.isEmpty() ? unknown : date});
            row->setData(0, Qt::UserRole, f.file);
            for (int c = 0; c < list->columnCount(); ++c)
                row->setToolTip(c, f.file);
            for (int c = 2; c < 4; ++c)
                row->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
        }
        for (int c = 1; c < list->columnCount(); ++c)
            list->resizeColumnToContents(c);
        status->setText(found.isEmpty() ? QStringLiteral("No ZIM files found in the usual folders.")
                                        : QStringLiteral("ZIM files found on this computer:"));
    });
    search->setFuture(QtConcurrent::run(finder));
}

// The file of the chosen row of the chooser's list, "" when none is chosen.
QString ChosenFile(const QMessageBox *box)
{
    const auto *list = box->findChild<QTreeWidget *>(QStringLiteral("lstFound"));
    const QList<QTreeWidgetItem *> chosen = list ? list->selectedItems() : QList<QTreeWidgetItem *>();
    return chosen.isEmpty() ? QString() : chosen.first()->data(0, Qt::UserRole).toString();
}

} // namespace

void QtDialogs::ShowMessage(const QString &text, MessageIcon icon, const QString &caption, QObject *context,
                            std::function<void()> done)
{
    auto *box = new QMessageBox(boxIcon(icon), caption, text, QMessageBox::Ok, m_parent);
    openInFront(box, context, [done = std::move(done)](int) {
        if (done)
            done();
    });
}

void QtDialogs::AskYesNo(const QString &text, const QString &caption, QObject *context,
                         std::function<void(bool yes)> done)
{
    auto *box =
        new QMessageBox(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No, m_parent);
    box->setDefaultButton(QMessageBox::Yes);
    openInFront(box, context, [done = std::move(done)](int result) {
        if (done)
            done(result == QMessageBox::Yes);
    });
}

void QtDialogs::AskInput(const QString &prompt, const QString &caption, QObject *context,
                         std::function<void(const QString &)> done)
{
    auto *input = new QInputDialog(m_parent);
    input->setWindowTitle(caption);
    input->setLabelText(prompt);
    input->setTextEchoMode(QLineEdit::Normal);
    openInFront(input, context, [input, done = std::move(done)](int result) {
        // Cancel gives an empty answer, as the player sees it.
        if (done)
            done(result == QDialog::Accepted ? input->textValue() : QString());
    });
}

void QtDialogs::OpenModal(QDialog *dialog, QObject *context, std::function<void(int result)> done)
{
    // The answer waits until the dialog is deleted: a step that goes on from it may need what the
    // dialog held (the server browser's port). A dialog deleted without being closed answers nothing.
    auto result = std::make_shared<std::optional<int>>();
    openInFront(dialog, dialog, [dialog, result](int code) {
        *result = code;
        dialog->deleteLater();
    });
    QObject::connect(dialog, &QObject::destroyed, context ? context : dialog,
                     [result, done = std::move(done)] {
                         if (*result && done)
                             done(**result);
                     });
}

void QtDialogs::ChooseEncyclopedia(const QString &current, const QString &caption, QObject *context,
                                   std::function<void(std::optional<QString>)> done)
{
    auto *box =
        new QMessageBox(QMessageBox::Question, caption,
                        QStringLiteral("Which encyclopedia should the server serve?\nNow: %1")
                            .arg(current.isEmpty() ? QStringLiteral("the built-in encyclopedia") : current),
                        QMessageBox::NoButton, m_parent);
    QPushButton *builtin = box->addButton(QStringLiteral("Built-in"), QMessageBox::AcceptRole);
    QPushButton *zim = box->addButton(QStringLiteral("ZIM file..."), QMessageBox::AcceptRole);
    QPushButton *folder = box->addButton(QStringLiteral("Wikispeedia folder..."), QMessageBox::AcceptRole);
    QPushButton *found = nullptr;
    if (m_finder) {
        found = box->addButton(QStringLiteral("Serve the chosen file"), QMessageBox::AcceptRole);
        ListFoundFiles(box, m_finder, found);
    }
    box->addButton(QMessageBox::Cancel);
    const QString start = current.isEmpty() ? QString() : QFileInfo(current).absolutePath();
    QPointer<QWidget> parent = m_parent;
    openInFront(
        box, context,
        [parent, box, builtin, zim, folder, found, start, caption, context, done = std::move(done)](int) {
            const QAbstractButton *clicked = box->clickedButton();
            if (clicked == builtin) {
                if (done)
                    done(QString());
            } else if (found && clicked == found) {
                const QString file = ChosenFile(box);
                if (done)
                    done(file.isEmpty() ? std::optional<QString>() : file);
            } else if (clicked == zim || clicked == folder) {
                pickPath(parent, clicked == folder, start, caption, context, done);
            } else if (done) {
                done(std::nullopt);
            }
        });
}
