#pragma once

#include <QString>

#include <functional>
#include <optional>

class QDialog;
class QObject;

enum class MessageIcon { Information, Critical, Question };

// Every modal question or notice of the game goes through here, so tests can answer them.
class Dialogs
{
public:
    virtual ~Dialogs() = default;
    virtual void MessageBox(const QString &text, MessageIcon icon, const QString &caption) = 0;
    // A Yes/No question with a question icon; true for Yes.
    virtual bool AskYesNo(const QString &text, const QString &caption) = 0;
    // An input box; "" when cancelled, as the player would see it.
    virtual QString InputBox(const QString &prompt, const QString &caption, const QString &initial = {}) = 0;
    // Runs a dialog modally and returns its result code.
    virtual int RunModal(QDialog &dialog) = 0;

    // The same boxes without waiting for them: the box stays open in front while the game goes on
    // (datagrams, pages, timers), and `done` runs once the player has answered, unless `context`
    // is gone by then. A step that continues in `done` needs no check that the game still exists.
    virtual void ShowMessage(const QString &text, MessageIcon icon, const QString &caption, QObject *context,
                             std::function<void()> done) = 0;
    // "" when cancelled.
    virtual void AskInput(const QString &prompt, const QString &caption, QObject *context,
                          std::function<void(const QString &)> done) = 0;
    // Which encyclopedia to serve: "" for the built-in one, else a picked .zim file or Wikispeedia
    // folder; nothing when cancelled. `current` is the setting as it stands.
    virtual std::optional<QString> ChooseEncyclopedia(const QString &current, const QString &caption) = 0;
};
