#include "PlatformTestSupport.h"
#include "platform/System.h"
#include "platform/qt/ProgramStart.h"
#include "platform/qt/SystemClock.h"
#include "platform/qt/WindowSystem.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QUuid>
#include <gtest/gtest.h>
#include <vector>

namespace
{

TEST(SystemClock, TicksCountMillisecondsSinceBoot)
{
    SystemClock clock;
    QFile uptime(QStringLiteral("/proc/uptime"));
    ASSERT_TRUE(uptime.open(QIODevice::ReadOnly));
    const double bootSeconds = uptime.readAll().split(' ').value(0).toDouble();
    const qint32 tick = clock.TickCount();
    // Within a few seconds of the system's own uptime, modulo the 32-bit wrap
    const qint64 expected = qint64(bootSeconds * 1000.0) & 0xFFFFFFFF;
    const qint64 seen = qint64(quint32(tick));
    EXPECT_LT(qAbs(seen - expected), 3000) << seen << " vs " << expected;

    QThread::msleep(60);
    const qint32 later = clock.TickCount();
    EXPECT_GE(qint32(quint32(later) - quint32(tick)), 60);
}

TEST(SystemClock, LongTextsUseTheSystemLocale)
{
    SystemClock clock;
    EXPECT_FALSE(clock.LongTime().isEmpty());
    EXPECT_TRUE(clock.LongDate().contains(QString::number(QDate::currentDate().year())));
    EXPECT_LE(qAbs(clock.Now().secsTo(QDateTime::currentDateTime())), 2);
}

TEST(SingleInstanceLock, SecondCopyIsRefusedUntilTheFirstGoes)
{
    const QString name = QStringLiteral("QuilloryTest-") + QUuid::createUuid().toString(QUuid::Id128);
    auto first = std::make_unique<SingleInstanceLock>();
    SingleInstanceLock second, other;
    EXPECT_TRUE(first->TryLock(name));
    EXPECT_TRUE(first->IsLocked());
    EXPECT_FALSE(second.TryLock(name));
    EXPECT_FALSE(second.IsLocked());
    EXPECT_TRUE(other.TryLock(name + QStringLiteral("-other")));
    first.reset();
    EXPECT_TRUE(second.TryLock(name));
}

TEST(SingleInstanceLock, LockLeftByADeadProgramIsTakenOver)
{
    const QString name = QStringLiteral("QuilloryTest-") + QUuid::createUuid().toString(QUuid::Id128);
    const QString path = QDir(QDir::tempPath()).filePath(name + QStringLiteral(".lock"));
    {
        // The lock file format of a process that no longer exists
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("999999\nQuilloryServer\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    }
    SingleInstanceLock lock;
    EXPECT_TRUE(lock.TryLock(name));
}

TEST(StartProgramMinimized, RefusesWhatCannotRun)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString plain = dir.filePath(QStringLiteral("plain"));
    QFile f(plain);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\n");
    f.close();
    f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    EXPECT_FALSE(StartProgramMinimized(dir.filePath(QStringLiteral("QuilloryServer"))));
    EXPECT_FALSE(StartProgramMinimized(plain));
    EXPECT_FALSE(StartProgramMinimized(dir.path()));
    EXPECT_FALSE(StartProgramMinimized(QString()));
}

TEST(StartProgramMinimized, StartsFromItsFolderAndAsksForMinimised)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString program = dir.filePath(QStringLiteral("QuilloryServer"));
    const QString out = dir.filePath(QStringLiteral("out.txt"));
    QFile f(program);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\necho \"$QUILLORY_START_MINIMIZED $(pwd)\" > out.tmp && mv out.tmp out.txt\n");
    f.close();
    f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    ASSERT_TRUE(StartProgramMinimized(program));
    ASSERT_TRUE(WaitFor([&] { return QFile::exists(out); }, 10000));
    QFile result(out);
    ASSERT_TRUE(result.open(QIODevice::ReadOnly));
    EXPECT_EQ(result.readAll().trimmed(), "1 " + QDir(dir.path()).canonicalPath().toUtf8());
    // This program itself was not asked to start minimised
    EXPECT_EQ(qgetenv(StartMinimizedVariable), QByteArray());
}

TEST(ShouldStartMinimized, ReadsTheVariable)
{
    const struct {
        const char *value; // nullptr: unset
        bool minimised;
    } cases[] = {{"1", true}, {"0", false}, {"", false}, {"yes", false}, {nullptr, false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.value ? c.value : "(unset)");
        if (c.value)
            qputenv(StartMinimizedVariable, c.value);
        else
            qunsetenv(StartMinimizedVariable);
        EXPECT_EQ(ShouldStartMinimized(), c.minimised);
    }
    qunsetenv(StartMinimizedVariable);
}

} // namespace

namespace
{

// Qt aborts a program that asks for a display server when none is named; these environments are
// known in advance.
TEST(ProgramStart, WindowsNeedADisplayOnlyOnDisplayPlatforms)
{
    struct Case {
        const char *what;
        DisplayEnvironment environment;
        bool canShow;
    };
    const Case cases[] = {
        {"nothing set: Qt's default draws on X11 or Wayland", {"", "", ""}, false},
        {"X11 named, no display", {"xcb", "", ""}, false},
        {"Wayland named, no display", {"wayland", "", ""}, false},
        {"Wayland's EGL variant", {"wayland-egl", "", ""}, false},
        {"fallbacks that all need a display", {"wayland;xcb", "", ""}, false},
        {"platform options do not hide the name", {"xcb:nograb", "", ""}, false},
        {"an X display", {"", ":0", ""}, true},
        {"a Wayland display", {"", "", "wayland-0"}, true},
        {"X11 named with a display", {"xcb", ":1", ""}, true},
        {"offscreen", {"offscreen", "", ""}, true},
        {"minimal", {"minimal", "", ""}, true},
        {"a VNC server of its own", {"vnc:size=800x600", "", ""}, true},
        {"a fallback that draws without a display", {"wayland;offscreen", "", ""}, true},
    };
    for (const Case &c : cases)
        EXPECT_EQ(CanShowWindows(c.environment), c.canShow) << c.what;
}

TEST(ProgramStart, HelpIsAskedByItsOptionsOnly)
{
    struct Case {
        std::vector<const char *> argv;
        bool help;
    };
    const Case cases[] = {
        {{"Quillory"}, false},
        {{"Quillory", "--help"}, true},
        {{"Quillory", "-h"}, true},
        {{"QuilloryServer", "--headless", "--help-all"}, true},
        {{"QuilloryServer", "--headless"}, false},
        {{"Quillory", "--helpful"}, false},
        {{"--help"}, false}, // the program's own name
    };
    for (const Case &c : cases)
        EXPECT_EQ(AsksForHelp(int(c.argv.size()), c.argv.data()), c.help) << c.argv.back();
}

} // namespace
