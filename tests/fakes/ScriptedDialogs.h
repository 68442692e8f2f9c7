#pragma once

#include "platform/Dialogs.h"

#include <QList>
#include <QPointer>
#include <QQueue>
#include <functional>

// Dialogs answered by the test. Every box shown is recorded.
class ScriptedDialogs : public Dialogs
{
public:
    struct Shown {
        QString kind; // "message", "question", "input", "modal", "encyclopedia"
        QString text;
        MessageIcon icon = MessageIcon::Information;
        QString caption;
    };

    void MessageBox(const QString &text, MessageIcon icon, const QString &caption) override
    {
        m_shown.append({QStringLiteral("message"), text, icon, caption});
        if (m_onMessage)
            m_onMessage(text);
    }
    bool AskYesNo(const QString &text, const QString &caption) override
    {
        m_shown.append({QStringLiteral("question"), text, MessageIcon::Question, caption});
        if (m_onQuestion)
            return m_onQuestion(text);
        return m_yesNo.isEmpty() ? false : m_yesNo.dequeue();
    }
    QString InputBox(const QString &prompt, const QString &caption, const QString & = {}) override
    {
        m_shown.append({QStringLiteral("input"), prompt, MessageIcon::Information, caption});
        return m_inputs.isEmpty() ? QString() : m_inputs.dequeue();
    }
    int RunModal(QDialog &dialog) override
    {
        m_shown.append({QStringLiteral("modal"), {}, MessageIcon::Information, {}});
        return m_onModal ? m_onModal(dialog) : 0;
    }
    // Boxes that do not wait are answered at once, as a player clicking straight away would.
    void ShowMessage(const QString &text, MessageIcon icon, const QString &caption, QObject *context,
                     std::function<void()> done) override
    {
        QPointer<QObject> alive(context);
        MessageBox(text, icon, caption);
        if (alive && done)
            done();
    }
    void AskInput(const QString &prompt, const QString &caption, QObject *context,
                  std::function<void(const QString &)> done) override
    {
        QPointer<QObject> alive(context);
        const QString answer = InputBox(prompt, caption);
        if (alive && done)
            done(answer);
    }

    std::optional<QString> ChooseEncyclopedia(const QString &current, const QString &caption) override
    {
        m_shown.append({QStringLiteral("encyclopedia"), current, MessageIcon::Question, caption});
        return m_encyclopedias.isEmpty() ? std::nullopt : m_encyclopedias.dequeue();
    }

    // Answers, used in order; an empty queue answers No / cancels.
    void QueueYesNo(bool yes) { m_yesNo.enqueue(yes); }
    void QueueInput(const QString &text) { m_inputs.enqueue(text); }
    void QueueEncyclopedia(std::optional<QString> choice) { m_encyclopedias.enqueue(std::move(choice)); }
    // Runs while a question box is open (the event loop may run inside), then answers.
    void OnQuestion(std::function<bool(const QString &)> f) { m_onQuestion = std::move(f); }
    void OnMessage(std::function<void(const QString &)> f) { m_onMessage = std::move(f); }
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
    QList<Shown> m_shown;
    QQueue<bool> m_yesNo;
    QQueue<QString> m_inputs;
    QQueue<std::optional<QString>> m_encyclopedias;
    std::function<bool(const QString &)> m_onQuestion;
    std::function<void(const QString &)> m_onMessage;
    std::function<int(QDialog &)> m_onModal;
};
