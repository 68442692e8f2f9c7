#include "platform/System.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <ctime>

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

} // namespace sys
