#pragma once

#include "platform/Dialogs.h"

#include <QList>
#include <QPointer>
#include <QQueue>
#include <functional>

// Only a program with widgets can have a dialog to delete.
#ifdef QT_WIDGETS_LIB
#include <QDialog>
inline void DiscardScriptedDialog(QDialog *dialog)
{
    delete dialog;
}
#else
inline void DiscardScriptedDialog(QDialog *) {}
#endif

// Dialogs answered by the test at once, as a player clicking straight away would: `done` runs
// before the call returns, unless `context` is gone by then. Every box shown is recorded.
class ScriptedDialogs : public Dialogs
{
public:
    struct Shown {
        QString kind; // "message", "question", "input", "modal", "encyclopedia"
        QString text;
        MessageIcon icon = MessageIcon::Information;
        QString caption;
    };

    void ShowMessage(const QString &text, MessageIcon icon, const QString &caption, QObject *context,
                     std::function<void()> done) override
    {
        QPointer<QObject> alive(context);
        m_shown.append({QStringLiteral("message"), text, icon, caption});
        if (m_onMessage)
            m_onMessage(text);
        if (answered(context, alive) && done)
            done();
    }
    void AskYesNo(const QString &text, const QString &caption, QObject *context,
                  std::function<void(bool yes)> done) override
    {
        QPointer<QObject> alive(context);
        m_shown.append({QStringLiteral("question"), text, MessageIcon::Question, caption});
        bool yes = false;
        if (m_onQuestion)
            yes = m_onQuestion(text);
        else if (!m_yesNo.isEmpty())
            yes = m_yesNo.dequeue();
        if (answered(context, alive) && done)
            done(yes);
    }
    void AskInput(const QString &prompt, const QString &caption, QObject *context,
                  std::function<void(const QString &)> done) override
    {
        QPointer<QObject> alive(context);
        m_shown.append({QStringLiteral("input"), prompt, MessageIcon::Information, caption});
        const QString answer = m_inputs.isEmpty() ? QString() : m_inputs.dequeue();
        if (answered(context, alive) && done)
            done(answer);
    }
    // The dialog is deleted before `done` runs, as the real one is.
    void OpenModal(QDialog *dialog, QObject *context, std::function<void(int result)> done) override
    {
        QPointer<QObject> alive(context);
        m_shown.append({QStringLiteral("modal"), {}, MessageIcon::Information, {}});
        const int result = m_onModal ? m_onModal(*dialog) : 0;
        DiscardScriptedDialog(dialog);
        if (answered(context, alive) && done)
            done(result);
    }
    void ChooseEncyclopedia(const QString &current, const QString &caption, QObject *context,
                            std::function<void(std::optional<QString>)> done) override
    {
        QPointer<QObject> alive(context);
        m_shown.append({QStringLiteral("encyclopedia"), current, MessageIcon::Question, caption});
        const auto choice = m_encyclopedias.isEmpty() ? std::nullopt : m_encyclopedias.dequeue();
        if (answered(context, alive) && done)
            done(choice);
    }

    // Answers, used in order; an empty queue answers No / cancels.
    void QueueYesNo(bool yes) { m_yesNo.enqueue(yes); }
    void QueueInput(const QString &text) { m_inputs.enqueue(text); }
    void QueueEncyclopedia(std::optional<QString> choice) { m_encyclopedias.enqueue(std::move(choice)); }
    // Runs while a question box is open (the game goes on meanwhile), then answers.
    void OnQuestion(std::function<bool(const QString &)> f) { m_onQuestion = std::move(f); }
    void OnMessage(std::function<void(const QString &)> f) { m_onMessage = std::move(f); }
    // Plays the player in an opened dialog; returns its result code.
    void OnModal(std::function<int(QDialog &)> f) { m_onModal = std::move(f); }

    const QList<Shown> &ShownBoxes() const { return m_shown; }
    QStringList Texts() const
    {
        QStringList out;
        for (const Shown &s : m_shown)
            out << s.text;
        return out;
    }
    void Clear() { m_shown.clear(); }

private:
    // No context means nobody can be gone.
    static bool answered(QObject *context, const QPointer<QObject> &alive) { return !context || alive; }

    QList<Shown> m_shown;
    QQueue<bool> m_yesNo;
    QQueue<QString> m_inputs;
    QQueue<std::optional<QString>> m_encyclopedias;
    std::function<bool(const QString &)> m_onQuestion;
    std::function<void(const QString &)> m_onMessage;
    std::function<int(QDialog &)> m_onModal;
};
