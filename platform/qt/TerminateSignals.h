#pragma once

#include <QSocketNotifier>
#include <functional>
#include <memory>

class QObject;

// SIGTERM and SIGINT end a program as its user would: `terminate` runs once, from the event loop, and
// then the program leaves its event loop with exit code 0. A signal handler may do almost nothing
// itself, so it only wakes the event loop. Null when the signals could not be caught; they then keep
// their default action. One catcher per program.
std::unique_ptr<QSocketNotifier> CatchTerminateSignals(QObject *context, std::function<void()> terminate);
