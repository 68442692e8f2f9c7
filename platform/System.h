#pragma once

#include <QString>
#include <QStringList>

// Small services of the operating system the programs need.
namespace sys
{

// Milliseconds since boot (CLOCK_BOOTTIME), wrapped to signed 32 bits.
qint32 TickCount();
// The folder of the running program.
QString ProgramDirectory();
// Starts a program without waiting for it; false when it could not be started.
bool StartDetached(const QString &program, const QStringList &arguments = {});

// Whether the process `pid` still runs `program` (a process number is reused once its program ended).
bool IsRunning(qint64 pid, const QString &program);
// Asks the process to end as its window's close would (SIGTERM), if it still runs `program`.
bool StopProgram(qint64 pid, const QString &program);

} // namespace sys
