#pragma once

#include <QSize>
#include <QString>
#include <QStringList>

class ModData;
struct PlayerInfo;

// The scoreboard's texts and layout, without widgets.
namespace scoreboard
{

enum class Column { Names, Scores, Pings };

// One row per listed player, each ending in CR LF: "Name", "2 / 37 / 5", "120ms".
QString ColumnText(const ModData &modData, Column column);
// A row as one sentence for a screen reader: "Ann: 1 win, 4 clicks, 2 this round, 35 ms".
QString RowSentence(const PlayerInfo &player);
// One sentence per listed player, in list order.
QStringList RowSentences(const ModData &modData);
// The players panel's table: its column headers, and a player's cells in that order, each figure
// in whole words where a bare number would not say what it counts ("35 ms").
QStringList TableHeaders();
QStringList TableCells(const PlayerInfo &player);
// Start and destination labels: "None" outside a round.
QString StartWordText(const ModData &modData);
QString WordToFindText(const ModData &modData);

constexpr int kWidthTwips = 3585;
constexpr int kMinHeightTwips = 3120;

// The window's outer size in twips after the resize rule: width fixed, height at least the minimum.
QSize SnapSize(const QSize &twips);

// Vertical places (pixels) of the controls that follow the bottom edge, for an inner height H.
struct BottomLayout {
    int columnRuleBottom; // Line2 and Line3 end here
    int line4;
    int asterisk;
    int line5;
    int startCaption;
    int startWord;
    int findCaption;
    int nextWord;
    int columnHeight; // lblPlayers, lblScores, lblPings
};
BottomLayout LayoutFor(int innerHeight);

} // namespace scoreboard
