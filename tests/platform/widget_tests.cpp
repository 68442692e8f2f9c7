#include "PlatformTestSupport.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/WindowSystem.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QThread>
#include <QThreadPool>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include "common/AccessibleWalk.h"

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

// The box in front once it has opened, nullptr when none opens.
QWidget *BoxInFront()
{
    WaitFor([] { return QApplication::activeModalWidget() != nullptr; }, 3000);
    return QApplication::activeModalWidget();
}

void Press(QWidget *box, QMessageBox::StandardButton which)
{
    static_cast<QMessageBox *>(box)->button(which)->click();
}

// A box must leave the game running: timers fire and posted events arrive while it waits.
void ExpectEventsRunWhileOpen()
{
    bool timed = false;
    bool posted = false;
    QTimer::singleShot(10, [&] { timed = true; });
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [&] { posted = true; }, Qt::QueuedConnection);
    EXPECT_TRUE(WaitFor([&] { return timed && posted; }, 3000));
}

// Closed boxes delete themselves.
bool GoneOnceIdle(const QPointer<QWidget> &box)
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return box.isNull();
}

// Counts how often a window was blocked by a box in front of it, and let go again.
class BlockWatch : public QObject
{
public:
    bool eventFilter(QObject *, QEvent *event) override
    {
        blocked += event->type() == QEvent::WindowBlocked;
        unblocked += event->type() == QEvent::WindowUnblocked;
        return false;
    }
    int blocked = 0;
    int unblocked = 0;
};

TEST(QtDialogs, MessageBoxesShowIconTextAndCaptionInFrontOfEverything)
{
    // A window of the game that has nothing to do with the box: it must not take clicks meanwhile.
    QWidget game;
    game.show();
    BlockWatch watch;
    game.installEventFilter(&watch);
    QtDialogs dialogs;
    QObject context;
    const struct {
        MessageIcon icon;
        QMessageBox::Icon shown;
    } cases[] = {{MessageIcon::Information, QMessageBox::Information},
                 {MessageIcon::Critical, QMessageBox::Critical},
                 {MessageIcon::Question, QMessageBox::Question}};
    for (const auto &c : cases) {
        bool closed = false;
        dialogs.ShowMessage(QStringLiteral("Critical error:\r\nCould not find a local port to bind to."),
                            c.icon, QStringLiteral("Quillory"), &context, [&] { closed = true; });
        auto *box = qobject_cast<QMessageBox *>(BoxInFront());
        ASSERT_NE(box, nullptr);
        EXPECT_FALSE(closed);
        EXPECT_EQ(box->windowModality(), Qt::ApplicationModal);
        EXPECT_TRUE(WaitFor([&] { return watch.blocked == 1; }, 3000));
        EXPECT_EQ(box->icon(), c.shown);
        EXPECT_EQ(box->windowTitle(), QStringLiteral("Quillory"));
        EXPECT_EQ(box->text(), QStringLiteral("Critical error:\r\nCould not find a local port to bind to."));
        const QPointer<QWidget> shown(box);
        Press(box, QMessageBox::Ok);
        EXPECT_TRUE(closed);
        EXPECT_TRUE(GoneOnceIdle(shown));
        EXPECT_TRUE(WaitFor([&] { return watch.unblocked == 1; }, 3000));
        watch.blocked = watch.unblocked = 0;
    }
}

TEST(QtDialogs, AQuestionReturnsAtOnceAndAnswersWhenClicked)
{
    QtDialogs dialogs;
    QObject context;
    for (const bool yes : {true, false}) {
        std::optional<bool> answer;
        dialogs.AskYesNo(QStringLiteral("Ban this player?"), QStringLiteral("QuilloryServer"), &context,
                         [&](bool said) { answer = said; });
        QWidget *box = BoxInFront();
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(static_cast<QMessageBox *>(box)->icon(), QMessageBox::Question);
        EXPECT_EQ(box->windowTitle(), QStringLiteral("QuilloryServer"));
        ExpectEventsRunWhileOpen();
        EXPECT_FALSE(answer.has_value()) << "no answer before a click";
        EXPECT_TRUE(box->isVisible());
        Press(box, yes ? QMessageBox::Yes : QMessageBox::No);
        EXPECT_EQ(answer, yes);
    }
}

TEST(QtDialogs, InputGivesTheTextOrNothingWhenCancelled)
{
    QWidget parent;
    QtDialogs dialogs(&parent);
    const struct {
        bool accept;
        QString typed;
        QString answer;
    } cases[] = {{true, QStringLiteral("secret"), QStringLiteral("secret")},
                 {false, QStringLiteral("typed"), QString()}};
    for (const auto &c : cases) {
        std::optional<QString> answer;
        dialogs.AskInput(QStringLiteral("Password:"), QStringLiteral("Quillory"), &parent,
                         [&](const QString &text) { answer = text; });
        auto *input = qobject_cast<QInputDialog *>(BoxInFront());
        ASSERT_NE(input, nullptr);
        EXPECT_EQ(input->labelText(), QStringLiteral("Password:"));
        EXPECT_EQ(input->windowTitle(), QStringLiteral("Quillory"));
        EXPECT_FALSE(answer.has_value());
        input->setTextValue(c.typed);
        if (c.accept)
            input->accept();
        else
            input->reject();
        EXPECT_EQ(answer, c.answer);
    }
}

// A dialog that says when it is destroyed, with all it holds.
class WatchedDialog : public QDialog
{
public:
    explicit WatchedDialog(bool &gone) : m_gone(gone) {}
    ~WatchedDialog() override { m_gone = true; }

private:
    bool &m_gone;
};

// The dialog is deleted before `done` runs: what it held is free for the step that follows.
TEST(QtDialogs, AModalDialogReturnsAtOnceAndAnswersOnceGone)
{
    QtDialogs dialogs;
    QObject context;
    const struct {
        std::function<void(QDialog &)> act;
        int result;
    } cases[] = {{[](QDialog &d) { d.accept(); }, QDialog::Accepted},
                 {[](QDialog &d) { d.reject(); }, QDialog::Rejected},
                 {[](QDialog &d) { d.close(); }, QDialog::Rejected},
                 {[](QDialog &d) { d.done(7); }, 7}};
    for (const auto &c : cases) {
        bool gone = false;
        auto *dialog = new WatchedDialog(gone);
        std::optional<int> result;
        bool goneFirst = false;
        dialogs.OpenModal(dialog, &context, [&](int code) {
            result = code;
            goneFirst = gone;
        });
        ASSERT_EQ(BoxInFront(), dialog);
        EXPECT_EQ(dialog->windowModality(), Qt::ApplicationModal);
        ExpectEventsRunWhileOpen();
        EXPECT_FALSE(result.has_value());
        c.act(*dialog);
        ASSERT_TRUE(WaitFor([&] { return result.has_value(); }, 3000)) << c.result;
        EXPECT_EQ(*result, c.result);
        EXPECT_TRUE(goneFirst);
    }
}

// Whatever asked may be gone by the time the player answers: its step does not run.
TEST(QtDialogs, NoAnswerReachesAContextThatIsGone)
{
    QtDialogs dialogs;
    const struct {
        const char *kind;
        std::function<void(QObject *, bool &)> open;
        std::function<void(QWidget *)> answer;
    } cases[] = {
        {"message",
         [&](QObject *context, bool &ran) {
             dialogs.ShowMessage(QStringLiteral("Hi"), MessageIcon::Information, QStringLiteral("Quillory"),
                                 context, [&ran] { ran = true; });
         },
         [](QWidget *box) { Press(box, QMessageBox::Ok); }},
        {"question",
         [&](QObject *context, bool &ran) {
             dialogs.AskYesNo(QStringLiteral("Ban?"), QStringLiteral("QuilloryServer"), context,
                              [&ran](bool) { ran = true; });
         },
         [](QWidget *box) { Press(box, QMessageBox::Yes); }},
        {"input",
         [&](QObject *context, bool &ran) {
             dialogs.AskInput(QStringLiteral("Password:"), QStringLiteral("Quillory"), context,
                              [&ran](const QString &) { ran = true; });
         },
         [](QWidget *box) { static_cast<QDialog *>(box)->accept(); }},
        {"modal",
         [&](QObject *context, bool &ran) {
             dialogs.OpenModal(new QDialog, context, [&ran](int) { ran = true; });
         },
         [](QWidget *box) { static_cast<QDialog *>(box)->accept(); }},
        {"encyclopedia",
         [&](QObject *context, bool &ran) {
             dialogs.ChooseEncyclopedia(QString(), QStringLiteral("Quillory"), context,
                                        [&ran](const std::optional<QString> &) { ran = true; });
         },
         [](QWidget *box) { static_cast<QMessageBox *>(box)->buttons().first()->click(); }},
    };
    for (const auto &c : cases) {
        bool ran = false;
        auto context = std::make_unique<QObject>();
        c.open(context.get(), ran);
        QWidget *box = BoxInFront();
        ASSERT_NE(box, nullptr) << c.kind;
        const QPointer<QWidget> watch(box);
        context.reset();
        c.answer(box);
        RunEventsFor(20);
        EXPECT_FALSE(ran) << c.kind;
        EXPECT_TRUE(GoneOnceIdle(watch)) << c.kind;
    }
}

TEST(QtDialogs, ChoosingTheEncyclopediaPicksWithoutWaiting)
{
    QTemporaryDir data;
    ASSERT_TRUE(data.isValid());
    const QString zim = data.filePath(QStringLiteral("wp.zim"));
    const QString folder = data.filePath(QStringLiteral("wikispeedia"));
    ASSERT_TRUE(QFile(zim).open(QIODevice::WriteOnly));
    ASSERT_TRUE(QDir().mkpath(folder));

    QtDialogs dialogs;
    QObject context;
    const struct {
        QString button;
        QString pick; // in the file picker; empty: the picker is cancelled
        std::optional<QString> answer;
    } cases[] = {
        {QStringLiteral("Built-in"), {}, QString()},
        {QStringLiteral("Cancel"), {}, std::nullopt},
        {QStringLiteral("ZIM file..."), zim, zim},
        {QStringLiteral("ZIM file..."), {}, std::nullopt},
        {QStringLiteral("Wikispeedia folder..."), folder, folder},
    };
    for (const auto &c : cases) {
        const std::string label = (c.button + QLatin1Char(' ') + c.pick).toStdString();
        std::optional<std::optional<QString>> answer;
        dialogs.ChooseEncyclopedia(zim, QStringLiteral("QuilloryServer"), &context,
                                   [&](const std::optional<QString> &chosen) { answer = chosen; });
        auto *box = qobject_cast<QMessageBox *>(BoxInFront());
        ASSERT_NE(box, nullptr) << label;
        EXPECT_EQ(box->text(), QStringLiteral("Which encyclopedia should the server serve?\nNow: ") + zim);
        QAbstractButton *button = nullptr;
        for (QAbstractButton *b : box->buttons()) {
            if (b->text() == c.button)
                button = b;
        }
        ASSERT_NE(button, nullptr) << label;
        button->click();
        if (c.button.endsWith(QLatin1String("..."))) {
            QFileDialog *picker = nullptr;
            ASSERT_TRUE(WaitFor([&] {
                picker = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
                return picker != nullptr;
            })) << label;
            EXPECT_EQ(picker->windowTitle(), QStringLiteral("QuilloryServer"));
            EXPECT_EQ(picker->directory().absolutePath(), QDir(data.path()).absolutePath());
            EXPECT_FALSE(answer.has_value()) << "the picker is open: " << label;
            if (c.pick.isEmpty()) {
                picker->reject();
            } else {
                picker->selectFile(c.pick);
                static_cast<QDialog *>(picker)->accept(); // the picker checks what was picked
            }
        }
        ASSERT_TRUE(answer.has_value()) << label;
        EXPECT_EQ(*answer, c.answer) << label;
        RunEventsFor(20);
    }
}

QPushButton *ButtonNamed(QMessageBox *box, const QString &text)
{
    for (QAbstractButton *b : box->buttons()) {
        if (b->text() == text)
            return qobject_cast<QPushButton *>(b);
    }
    return nullptr;
}

// The chooser's list of the files found on the machine: filled from a search on another thread,
// a row chosen by its button or by activating it.
TEST(QtDialogs, TheEncyclopediaChooserListsTheFilesFoundAndServesTheChosenOne)
{
    const QList<EncyclopediaFile> files = {
        {QStringLiteral("/data/wiki.zim"), QStringLiteral("Wikipedia"), QStringLiteral("eng"), 6800000,
         qint64(95) << 30, QDate(2024, 1, 15)},
        {QStringLiteral("/data/books.zim"), QStringLiteral("Books"), QString(), 1200, 5 << 20,
         QDate(2023, 6, 2)},
    };
    std::atomic<bool> searchedAway{false};
    QtDialogs dialogs(nullptr, [&] {
        searchedAway = QThread::currentThread() != QCoreApplication::instance()->thread();
        return files;
    });
    QObject context;
    const QLocale locale;
    const struct {
        int row;
        bool activate; // else select and press the button
    } cases[] = {{0, false}, {1, true}};
    for (const auto &c : cases) {
        std::optional<std::optional<QString>> answer;
        dialogs.ChooseEncyclopedia(QString(), QStringLiteral("Quillory"), &context,
                                   [&](const std::optional<QString> &chosen) { answer = chosen; });
        auto *box = qobject_cast<QMessageBox *>(BoxInFront());
        ASSERT_NE(box, nullptr);
        auto *list = box->findChild<QTreeWidget *>();
        ASSERT_NE(list, nullptr);
        ASSERT_TRUE(WaitFor([&] { return list->topLevelItemCount() == files.size(); }));
        EXPECT_TRUE(searchedAway);
        for (int i = 0; i < files.size(); ++i) {
            const QTreeWidgetItem *row = list->topLevelItem(i);
            const EncyclopediaFile &f = files[i];
            EXPECT_EQ(row->text(0), f.title);
            EXPECT_EQ(row->text(1), f.language.isEmpty() ? QStringLiteral("unknown") : f.language);
            EXPECT_EQ(row->text(2), locale.toString(f.articles));
            EXPECT_EQ(row->text(3), locale.formattedDataSize(f.bytes));
            EXPECT_EQ(row->text(4), locale.toString(f.date, QLocale::ShortFormat));
            EXPECT_EQ(row->toolTip(0), f.file);
        }
        QPushButton *serve = ButtonNamed(box, QStringLiteral("Serve the chosen file"));
        ASSERT_NE(serve, nullptr);
        EXPECT_FALSE(serve->isEnabled()) << "nothing is chosen yet";
        ExpectAllNamed(box, 6,
                       {QStringLiteral("ZIM files found on this computer"), files[0].title,
                        QStringLiteral("Serve the chosen file")});
        QTreeWidgetItem *row = list->topLevelItem(c.row);
        list->setCurrentItem(row);
        EXPECT_TRUE(serve->isEnabled());
        if (c.activate)
            emit list->itemActivated(row, 0);
        else
            serve->click();
        ASSERT_TRUE(WaitFor([&] { return answer.has_value(); }));
        EXPECT_EQ(*answer, std::optional<QString>(files[c.row].file));
        RunEventsFor(20);
    }
}

TEST(QtDialogs, TheChooserClosedWhileTheSearchRunsLeavesItBehind)
{
    QSemaphore started, release;
    bool searched = false;
    QtDialogs dialogs(nullptr, [&] {
        started.release();
        release.acquire();
        searched = true;
        return QList<EncyclopediaFile>{{QStringLiteral("/x.zim"), QStringLiteral("X"), {}, 1, 1, {}}};
    });
    QObject context;
    std::optional<std::optional<QString>> answer;
    dialogs.ChooseEncyclopedia(QString(), QStringLiteral("Quillory"), &context,
                               [&](const std::optional<QString> &chosen) { answer = chosen; });
    auto *box = qobject_cast<QMessageBox *>(BoxInFront());
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(started.tryAcquire(1, 5000));
    // The game goes on while the search runs, and the other choices stay open.
    ExpectEventsRunWhileOpen();
    const QPointer<QWidget> watch(box);
    ButtonNamed(box, QStringLiteral("Built-in"))->click();
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(*answer, std::optional<QString>(QString()));
    EXPECT_TRUE(GoneOnceIdle(watch));
    release.release();
    QThreadPool::globalInstance()->waitForDone(5000);
    EXPECT_TRUE(searched);
    RunEventsFor(50);
    EXPECT_EQ(*answer, std::optional<QString>(QString())) << "answered once";
}

} // namespace
