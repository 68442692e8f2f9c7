#include "platform/qt/SystemClock.h"

#include "platform/System.h"

#include <QLocale>

qint32 SystemClock::TickCount() const
{
    return sys::TickCount();
}

QDateTime SystemClock::Now() const
{
    return QDateTime::currentDateTime();
}

QString SystemClock::LongTime() const
{
    return QLocale::system().toString(QTime::currentTime(), QLocale::LongFormat);
}

QString SystemClock::LongDate() const
{
    return QLocale::system().toString(QDate::currentDate(), QLocale::LongFormat);
}
