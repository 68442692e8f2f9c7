#pragma once

#include "platform/Dialogs.h"

#include <QPointer>
#include <QWidget>

// The real boxes: QMessageBox, QInputDialog and QFileDialog over the given window (or the
// application), in front of every window and never in an event loop of their own. With a finder,
// the encyclopedia chooser also lists the files it finds.
class QtDialogs : public Dialogs
{
public:
    explicit QtDialogs(QWidget *parent = nullptr, EncyclopediaFinder finder = {})
        : m_parent(parent), m_finder(std::move(finder))
    {
    }

    void ShowMessage(const QString &text, MessageIcon icon, const QString &caption, QObject *context,
                     std::function<void()> done) override;
    void AskYesNo(const QString &text, const QString &caption, QObject *context,
                  std::function<void(bool yes)> done) override;
    void AskInput(const QString &prompt, const QString &caption, QObject *context,
                  std::function<void(const QString &)> done) override;
    void OpenModal(QDialog *dialog, QObject *context, std::function<void(int result)> done) override;
    void ChooseEncyclopedia(const QString &current, const QString &caption, QObject *context,
                            std::function<void(std::optional<QString>)> done) override;

private:
    QPointer<QWidget> m_parent;
    EncyclopediaFinder m_finder;
};
