#include "PlatformTestSupport.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/WindowSystem.h"

#include <QApplication>
#include <QDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace
{

TEST(DrawingLock, SuspendsDrawingForItsLifeAndNests)
{
    QWidget window;
    ASSERT_TRUE(window.updatesEnabled());
    {
        DrawingLock outer(&window);
        EXPECT_FALSE(window.updatesEnabled());
        {
            DrawingLock inner(&window);
            EXPECT_FALSE(window.updatesEnabled());
        }
        EXPECT_FALSE(window.updatesEnabled());
    }
    EXPECT_TRUE(window.updatesEnabled());

    // A window that goes while locked, or no window at all, is harmless
    auto gone = std::make_unique<QWidget>();
    auto lock = std::make_unique<DrawingLock>(gone.get());
    gone.reset();
    lock.reset();
    DrawingLock none(nullptr);
}

// Answers the next modal box that opens with the given action, recording what it showed.
struct BoxAnswer {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool seen = false;
};

void AnswerNextBox(BoxAnswer &answer, const std::function<void(QWidget *)> &act)
{
    auto *poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, &answer, act] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        poll->stop();
        poll->deleteLater();
        answer.seen = true;
        answer.title = modal->windowTitle();
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            answer.text = box->text();
            answer.icon = box->icon();
        }
        if (auto *input = qobject_cast<QInputDialog *>(modal))
            answer.text = input->labelText();
        act(modal);
    });
    poll->start(10);
}

void Press(QWidget *modal, QMessageBox::StandardButton which)
{
    static_cast<QMessageBox *>(modal)->button(which)->click();
}

TEST(QtDialogs, MessageBoxesShowIconTextAndCaption)
{
    QtDialogs dialogs;
    const struct {
        MessageIcon icon;
        QMessageBox::Icon shown;
    } cases[] = {{MessageIcon::Information, QMessageBox::Information},
                 {MessageIcon::Critical, QMessageBox::Critical},
                 {MessageIcon::Question, QMessageBox::Question}};
    for (const auto &c : cases) {
        BoxAnswer answer;
        AnswerNextBox(answer, [](QWidget *m) { Press(m, QMessageBox::Ok); });
        dialogs.MessageBox(QStringLiteral("Critical error:\r\nCould not find a local port to bind to."),
                           c.icon, QStringLiteral("Quillory"));
        ASSERT_TRUE(answer.seen);
        EXPECT_EQ(answer.icon, c.shown);
        EXPECT_EQ(answer.title, QStringLiteral("Quillory"));
        EXPECT_EQ(answer.text, QStringLiteral("Critical error:\r\nCould not find a local port to bind to."));
    }
}

TEST(QtDialogs, YesNoQuestion)
{
    QtDialogs dialogs;
    for (const bool yes : {true, false}) {
        BoxAnswer answer;
        AnswerNextBox(answer, [yes](QWidget *m) { Press(m, yes ? QMessageBox::Yes : QMessageBox::No); });
        EXPECT_EQ(dialogs.AskYesNo(QStringLiteral("Ban this player?"), QStringLiteral("QuilloryServer")),
                  yes);
        EXPECT_EQ(answer.icon, QMessageBox::Question);
        EXPECT_EQ(answer.title, QStringLiteral("QuilloryServer"));
    }
}

TEST(QtDialogs, InputBoxGivesTheTextOrNothingWhenCancelled)
{
    QWidget parent;
    QtDialogs dialogs(&parent);
    BoxAnswer typed;
    AnswerNextBox(typed, [](QWidget *m) {
        auto *input = static_cast<QInputDialog *>(m);
        input->setTextValue(QStringLiteral("secret"));
        input->accept();
    });
    EXPECT_EQ(dialogs.InputBox(QStringLiteral("Password:"), QStringLiteral("Quillory"), QStringLiteral("x")),
              QStringLiteral("secret"));
    EXPECT_EQ(typed.text, QStringLiteral("Password:"));

    BoxAnswer cancelled;
    AnswerNextBox(cancelled, [](QWidget *m) { static_cast<QDialog *>(m)->reject(); });
    EXPECT_EQ(
        dialogs.InputBox(QStringLiteral("Password:"), QStringLiteral("Quillory"), QStringLiteral("typed")),
        QString());
    EXPECT_TRUE(cancelled.seen);
}

TEST(QtDialogs, RunModalReturnsTheDialogsResult)
{
    QtDialogs dialogs;
    QDialog dialog;
    BoxAnswer answer;
    AnswerNextBox(answer, [](QWidget *m) { static_cast<QDialog *>(m)->done(QDialog::Accepted); });
    EXPECT_EQ(dialogs.RunModal(dialog), QDialog::Accepted);
    AnswerNextBox(answer, [](QWidget *m) { static_cast<QDialog *>(m)->reject(); });
    EXPECT_EQ(dialogs.RunModal(dialog), QDialog::Rejected);
}

} // namespace
