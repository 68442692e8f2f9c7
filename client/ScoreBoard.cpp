#include "client/ScoreBoard.h"

#include "client/ModData.h"

#include <algorithm>

namespace scoreboard
{

QString ColumnText(const ModData &modData, Column column)
{
    QString text;
    for (qint32 i = 1; i <= modData.PlayerCount; ++i) {
        const PlayerInfo &p = modData.Players[i];
        switch (column) {
        case Column::Names:
            text += p.Name;
            break;
        case Column::Scores:
            text += QString::number(p.Wins) + QStringLiteral(" / ") + QString::number(p.Clicks) +
                    QStringLiteral(" / ") + QString::number(p.RoundClicks);
            break;
        case Column::Pings:
            text += QString::number(p.Ping) + QStringLiteral("ms");
            break;
        }
        text += QStringLiteral("\r\n");
    }
    return text;
}

namespace
{
QString count(qint32 n, const char *one, const char *many)
{
    return QString::number(n) + QLatin1Char(' ') + QLatin1String(n == 1 ? one : many);
}
} // namespace

QString RowSentence(const PlayerInfo &p)
{
    return p.Name + QStringLiteral(": ") + count(p.Wins, "win", "wins") + QStringLiteral(", ") +
           count(p.Clicks, "click", "clicks") + QStringLiteral(", ") + QString::number(p.RoundClicks) +
           QStringLiteral(" this round, ") + QString::number(p.Ping) + QStringLiteral(" ms");
}

QStringList RowSentences(const ModData &modData)
{
    QStringList rows;
    for (qint32 i = 1; i <= modData.PlayerCount; ++i)
        rows << RowSentence(modData.Players[i]);
    return rows;
}

QStringList TableHeaders()
{
    return {QStringLiteral("Player"), QStringLiteral("Wins"), QStringLiteral("Clicks"),
            QStringLiteral("This round"), QStringLiteral("Ping")};
}

QStringList TableCells(const PlayerInfo &p)
{
    return {p.Name, QString::number(p.Wins), QString::number(p.Clicks), QString::number(p.RoundClicks),
            QString::number(p.Ping) + QStringLiteral(" ms")};
}

namespace
{
QString word(const ModData &modData, qint32 index)
{
    if (!modData.InRound)
        return QStringLiteral("None");
    // A round announced with fewer words than it names shows the missing one as empty.
    if (index < 0 || index >= modData.Words.size())
        return QString();
    return modData.Words.at(index);
}
} // namespace

QString StartWordText(const ModData &modData)
{
    return word(modData, 0);
}

QString WordToFindText(const ModData &modData)
{
    return word(modData, modData.TargetIndex);
}

QSize SnapSize(const QSize &twips)
{
    return QSize(kWidthTwips, std::max(twips.height(), kMinHeightTwips));
}

BottomLayout LayoutFor(int h)
{
    BottomLayout l{};
    l.columnRuleBottom = h - 136;
    l.line4 = h - 136;
    l.asterisk = h - 128;
    l.line5 = h - 112;
    l.startCaption = h - 104;
    l.startWord = h - 88;
    l.findCaption = h - 68;
    l.nextWord = h - 52;
    l.columnHeight = l.line4 - 32;
    return l;
}

} // namespace scoreboard
