#include "platform/qt/WindowSystem.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

bool SingleInstanceLock::TryLock(const QString &name)
{
    if (IsLocked())
        return true;
    m_lock = std::make_unique<QLockFile>(QDir(QDir::tempPath()).filePath(name + QStringLiteral(".lock")));
    // Only a lock whose owner has died is stale; a copy that runs for days keeps its lock.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return true;
    m_lock.reset();
    return false;
}

DrawingLock::DrawingLock(QWidget *window) : m_window(window)
{
    if (m_window) {
        m_wasEnabled = m_window->updatesEnabled();
        m_window->setUpdatesEnabled(false);
    }
}

DrawingLock::~DrawingLock()
{
    // An outer lock still in force keeps drawing off.
    if (m_window && m_wasEnabled)
        m_window->setUpdatesEnabled(true);
}

bool StartProgramMinimized(const QString &path, qint64 *pid)
{
    const QFileInfo file(path);
    if (!file.exists() || !file.isFile() || !file.isExecutable())
        return false;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(StartMinimizedVariable), QStringLiteral("1"));
    QProcess process;
    process.setProgram(file.absoluteFilePath());
    process.setWorkingDirectory(file.absolutePath());
    process.setProcessEnvironment(environment);
    return process.startDetached(pid);
}

bool ShouldStartMinimized()
{
    return qgetenv(StartMinimizedVariable) == "1";
}
