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
} // namespace

void QtDialogs::MessageBox(const QString &text, MessageIcon icon, const QString &caption)
{
    QMessageBox box(boxIcon(icon), caption, text, QMessageBox::Ok, m_parent);
    box.exec();
}

bool QtDialogs::AskYesNo(const QString &text, const QString &caption)
{
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No, m_parent);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

QString QtDialogs::InputBox(const QString &prompt, const QString &caption, const QString &initial)
{
    bool ok = false;
    const QString text = QInputDialog::getText(m_parent, caption, prompt, QLineEdit::Normal, initial, &ok);
    // Cancel gives an empty answer, as the player sees it.
    return ok ? text : QString();
}

int QtDialogs::RunModal(QDialog &dialog)
{
    return dialog.exec();
}

void QtDialogs::ShowMessage(const QString &text, MessageIcon icon, const QString &caption, QObject *context,
                            std::function<void()> done)
{
    auto *box = new QMessageBox(boxIcon(icon), caption, text, QMessageBox::Ok, m_parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    QObject::connect(box, &QDialog::finished, context, [done = std::move(done)](int) {
        if (done)
            done();
    });
    box->open();
}

void QtDialogs::AskInput(const QString &prompt, const QString &caption, QObject *context,
                         std::function<void(const QString &)> done)
{
    auto *input = new QInputDialog(m_parent);
    input->setAttribute(Qt::WA_DeleteOnClose);
    input->setWindowModality(Qt::ApplicationModal);
    input->setWindowTitle(caption);
    input->setLabelText(prompt);
    input->setTextEchoMode(QLineEdit::Normal);
    QObject::connect(input, &QDialog::finished, context, [input, done = std::move(done)](int result) {
        // Cancel gives an empty answer, as the player sees it.
        if (done)
            done(result == QDialog::Accepted ? input->textValue() : QString());
    });
    input->open();
}

std::optional<QString> QtDialogs::ChooseEncyclopedia(const QString &current, const QString &caption)
{
    QMessageBox box(QMessageBox::Question, caption,
                    QStringLiteral("Which encyclopedia should the server serve?\nNow: %1")
                        .arg(current.isEmpty() ? QStringLiteral("the built-in encyclopedia") : current),
                    QMessageBox::NoButton, m_parent);
    QPushButton *builtin = box.addButton(QStringLiteral("Built-in"), QMessageBox::AcceptRole);
    QPushButton *zim = box.addButton(QStringLiteral("ZIM file..."), QMessageBox::AcceptRole);
    QPushButton *folder = box.addButton(QStringLiteral("Wikispeedia folder..."), QMessageBox::AcceptRole);
    box.addButton(QMessageBox::Cancel);
    box.exec();
    const QString start = current.isEmpty() ? QString() : QFileInfo(current).absolutePath();
    QString picked;
    if (box.clickedButton() == builtin)
        return QString();
    if (box.clickedButton() == zim)
        picked = QFileDialog::getOpenFileName(m_parent, caption, start,
                                              QStringLiteral("ZIM archives (*.zim);;All files (*)"));
    else if (box.clickedButton() == folder)
        picked = QFileDialog::getExistingDirectory(m_parent, caption, start);
    if (picked.isEmpty())
        return std::nullopt;
    return picked;
}
