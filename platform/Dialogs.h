#pragma once

#include <QDate>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

class QDialog;
class QObject;

enum class MessageIcon { Information, Critical, Question };

// An encyclopedia file found on this machine, as the encyclopedia chooser lists it.
struct EncyclopediaFile {
    QString file; // absolute path, what choosing it answers
    QString title;
    QString language; // "" when the file does not say
    qint64 articles = 0;
    qint64 bytes = 0;
    QDate date;
};
// Looks through the machine's usual folders for encyclopedia files. It may read disks for a while,
// so the chooser runs it away from the windows' thread; it must not touch any window.
using EncyclopediaFinder = std::function<QList<EncyclopediaFile>()>;

// Every modal question or notice of the game goes through here, so tests can answer them.
//
// No box waits for its answer: it opens in front of every window while the game goes on
// (datagrams, pages, timers), the call returns at once, and `done` runs once the player has
// answered, unless `context` is gone by then. A step that continues in `done` needs no check
// that the game still exists. `done` may be empty when nothing follows the answer.
class Dialogs
{
public:
    virtual ~Dialogs() = default;

    virtual void ShowMessage(const QString &text, MessageIcon icon, const QString &caption, QObject *context,
                             std::function<void()> done) = 0;
    // A Yes/No question with a question icon; true for Yes.
    virtual void AskYesNo(const QString &text, const QString &caption, QObject *context,
                          std::function<void(bool yes)> done) = 0;
    // "" when cancelled, as the player sees it.
    virtual void AskInput(const QString &prompt, const QString &caption, QObject *context,
                          std::function<void(const QString &)> done) = 0;
    // Shows a dialog of the game in front and takes it over; it is deleted once closed, and `done`
    // gets its result code after that, so whatever the dialog held (a bound port) is free again.
    virtual void OpenModal(QDialog *dialog, QObject *context, std::function<void(int result)> done) = 0;
    // Which encyclopedia to serve: "" for the built-in one, else a .zim file picked from those found
    // on the machine or by browsing, or a Wikispeedia folder; nothing when cancelled. `current` is
    // the setting as it stands.
    virtual void ChooseEncyclopedia(const QString &current, const QString &caption, QObject *context,
                                    std::function<void(std::optional<QString>)> done) = 0;
};
