#pragma once

#include <QDateTime>
#include <QString>

// Time as the game reads it; tests use a manual clock.
class Clock
{
public:
    virtual ~Clock() = default;
    // Milliseconds since the machine started, wrapped to signed 32 bits.
    virtual qint32 TickCount() const = 0;
    virtual QDateTime Now() const = 0;
    // The system's long time and long date texts.
    virtual QString LongTime() const = 0;
    virtual QString LongDate() const = 0;
};
