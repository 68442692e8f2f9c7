#include "client/RoundStatus.h"

#include <QStringList>

namespace
{
QString clicksText(qint32 n)
{
    return QString::number(n) + (n == 1 ? QStringLiteral(" click") : QStringLiteral(" clicks"));
}
} // namespace

QString ClockText(qint64 milliseconds)
{
    const qint64 seconds = qMax<qint64>(0, milliseconds) / 1000;
    const qint64 h = seconds / 3600, m = seconds / 60 % 60, s = seconds % 60;
    const QString ss = QStringLiteral("%1").arg(s, 2, 10, QLatin1Char('0'));
    if (h > 0)
        return QStringLiteral("%1:%2:%3").arg(h).arg(m, 2, 10, QLatin1Char('0')).arg(ss);
    return QStringLiteral("%1:%2").arg(m).arg(ss);
}

RoundTexts DescribeRound(const RoundFacts &f)
{
    RoundTexts t;
    if (!f.start.isEmpty() || !f.destination.isEmpty())
        t.route = f.start + QStringLiteral(" \u2192 ") + f.destination;
    if (f.par)
        t.par = QStringLiteral("Par ") + clicksText(*f.par);
    if (f.racing) {
        t.clicks = clicksText(f.clicks);
        t.clock = ClockText(f.elapsedMs);
        if (!f.outReason.isEmpty())
            t.status = QStringLiteral("You are out of this round: you ") + f.outReason + QLatin1Char('.');
        return t;
    }
    // Between rounds: how the last one ended, then whose turn it is.
    QStringList parts;
    if (f.wonByMe)
        parts << QStringLiteral("You won in %1 with %2!").arg(ClockText(f.elapsedMs), clicksText(f.clicks));
    else if (!f.winner.isEmpty())
        parts << f.winner + QStringLiteral(" won the round.");
    else if (!f.outReason.isEmpty())
        parts << QStringLiteral("You were out: you ") + f.outReason + QLatin1Char('.');
    if (f.chooserIsMe)
        parts << QStringLiteral("Your turn to choose the next words.");
    else if (!f.chooser.isEmpty())
        parts << f.chooser + QStringLiteral(" chooses the next words.");
    else
        parts << QStringLiteral("Waiting for the next words.");
    t.status = parts.join(QLatin1Char(' '));
    if (f.wonByMe || !f.winner.isEmpty() || !f.outReason.isEmpty()) {
        t.clicks = clicksText(f.clicks);
        t.clock = ClockText(f.elapsedMs);
    }
    return t;
}
