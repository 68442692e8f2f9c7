#pragma once

#include "platform/Clock.h"

// The machine's clock: tick count since boot, local time, and the system locale's long formats.
class SystemClock : public Clock
{
public:
    qint32 TickCount() const override;
    QDateTime Now() const override;
    QString LongTime() const override;
    QString LongDate() const override;
};
