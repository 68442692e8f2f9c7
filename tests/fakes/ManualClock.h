#pragma once

#include "platform/Clock.h"

// A clock that only moves when the test moves it.
class ManualClock : public Clock
{
public:
    qint32 TickCount() const override { return m_tick; }
    QDateTime Now() const override { return m_now; }
    QString LongTime() const override { return m_longTime; }
    QString LongDate() const override { return m_longDate; }

    void SetTick(qint32 tick) { m_tick = tick; }
    void Advance(qint32 ms)
    {
        m_tick = static_cast<qint32>(static_cast<quint32>(m_tick) + static_cast<quint32>(ms));
        m_now = m_now.addMSecs(ms);
    }
    void SetNow(const QDateTime &now) { m_now = now; }
    void SetLongTime(const QString &t) { m_longTime = t; }
    void SetLongDate(const QString &d) { m_longDate = d; }

private:
    qint32 m_tick = 1000;
    QDateTime m_now = QDateTime(QDate(2006, 9, 4), QTime(9, 5, 7));
    QString m_longTime = QStringLiteral("9:05:07 AM");
    QString m_longDate = QStringLiteral("Monday, September 4, 2006");
};
