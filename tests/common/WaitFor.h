#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <functional>

// Lets events run until the condition holds or the time is up; true when it holds.
inline bool WaitFor(const std::function<bool()> &condition, int timeoutMs = 5000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Lets events run for a while (to see that nothing more happens).
inline void RunEventsFor(int ms)
{
    WaitFor([] { return false; }, ms);
}
