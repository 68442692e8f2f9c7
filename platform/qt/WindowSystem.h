#pragma once

#include <QLockFile>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <memory>

// Makes sure only one copy of a program runs on this machine. The lock is a file in the system's
// temporary folder, held for the life of the object and released by the system if the program dies.
class SingleInstanceLock
{
public:
    SingleInstanceLock() = default;
    SingleInstanceLock(const SingleInstanceLock &) = delete;
    SingleInstanceLock &operator=(const SingleInstanceLock &) = delete;

    // False when another live copy holds the lock of that name.
    bool TryLock(const QString &name);
    bool IsLocked() const { return m_lock && m_lock->isLocked(); }

private:
    std::unique_ptr<QLockFile> m_lock;
};

// Suspends drawing of one window while it is rebuilt; drawing resumes when the lock goes.
class DrawingLock
{
public:
    explicit DrawingLock(QWidget *window);
    ~DrawingLock();
    DrawingLock(const DrawingLock &) = delete;
    DrawingLock &operator=(const DrawingLock &) = delete;

private:
    QPointer<QWidget> m_window;
    bool m_wasEnabled = true;
};

// The environment variable through which a started program learns to show itself minimised.
inline constexpr char StartMinimizedVariable[] = "QUILLORY_START_MINIMIZED";

// Starts a program without waiting for it, from the program's own folder, asking it to show
// minimised. False when the file is missing or not executable, or it could not be started.
bool StartProgramMinimized(const QString &path, qint64 *pid = nullptr);
// True in a program that was started by StartProgramMinimized.
bool ShouldStartMinimized();
