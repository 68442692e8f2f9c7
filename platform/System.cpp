#include "platform/System.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <csignal>
#include <ctime>
#include <sys/types.h>

namespace sys
{

qint32 TickCount()
{
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts);
    const quint64 ms = quint64(ts.tv_sec) * 1000u + quint64(ts.tv_nsec) / 1000000u;
    return static_cast<qint32>(static_cast<quint32>(ms));
}

QString ProgramDirectory()
{
    return QCoreApplication::applicationDirPath();
}

bool StartDetached(const QString &program, const QStringList &arguments)
{
    if (!QFileInfo(program).isExecutable())
        return false;
    return QProcess::startDetached(program, arguments, QFileInfo(program).absolutePath());
}

bool IsRunning(qint64 pid, const QString &program)
{
    if (pid <= 0)
        return false;
    const QString running = QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).canonicalFilePath();
    return !running.isEmpty() && running == QFileInfo(program).canonicalFilePath();
}

bool StopProgram(qint64 pid, const QString &program)
{
    return IsRunning(pid, program) && ::kill(pid_t(pid), SIGTERM) == 0;
}

} // namespace sys
