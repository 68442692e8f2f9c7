#include "platform/qt/QtDialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

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
    box->addButton(QMessageBox::Cancel);
    const QString start = current.isEmpty() ? QString() : QFileInfo(current).absolutePath();
    QPointer<QWidget> parent = m_parent;
    openInFront(box, context,
                [parent, box, builtin, zim, folder, start, caption, context, done = std::move(done)](int) {
                    const QAbstractButton *clicked = box->clickedButton();
                    if (clicked == builtin) {
                        if (done)
                            done(QString());
                    } else if (clicked == zim || clicked == folder) {
                        pickPath(parent, clicked == folder, start, caption, context, done);
                    } else if (done) {
                        done(std::nullopt);
                    }
                });
}
