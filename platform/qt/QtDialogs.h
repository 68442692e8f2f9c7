#pragma once

#include "platform/Dialogs.h"

#include <QPointer>
#include <QWidget>

// The real boxes: QMessageBox and QInputDialog, modal over the given window (or the application).
class QtDialogs : public Dialogs
{
public:
    explicit QtDialogs(QWidget *parent = nullptr) : m_parent(parent) {}

    void MessageBox(const QString &text, MessageIcon icon, const QString &caption) override;
    bool AskYesNo(const QString &text, const QString &caption) override;
    QString InputBox(const QString &prompt, const QString &caption, const QString &initial = {}) override;
    int RunModal(QDialog &dialog) override;
    void ShowMessage(const QString &text, MessageIcon icon, const QString &caption, QObject *context,
                     std::function<void()> done) override;
    void AskInput(const QString &prompt, const QString &caption, QObject *context,
                  std::function<void(const QString &)> done) override;
    std::optional<QString> ChooseEncyclopedia(const QString &current, const QString &caption) override;

private:
    QPointer<QWidget> m_parent;
};
