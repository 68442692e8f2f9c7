#include "client/EventWait.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

bool WaitWhile(const std::function<bool()> &condition, int limitMs)
{
    QDeadlineTimer deadline = limitMs < 0 ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(limitMs);
    // The condition may change without any event of ours (a busy flag read by polling); a short
    // heartbeat wakes the wait so it never sleeps past the change or the limit.
    QTimer heartbeat;
    heartbeat.setInterval(20);
    heartbeat.start();
    QCoreApplication::processEvents();
    while (condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

void LetEventsRun()
{
    QCoreApplication::processEvents();
}
