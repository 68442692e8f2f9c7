#include "client/scores/PlayersTable.h"

#include "client/ModData.h"
#include "client/ScoreBoard.h"

#include <QHeaderView>

PlayersTable::PlayersTable(ModData &data, QWidget *parent) : QTableWidget(parent), modData(data)
{
    setWindowTitle(QStringLiteral("Players"));
    setAccessibleName(QStringLiteral("Players"));
    const QStringList headers = scoreboard::TableHeaders();
    setColumnCount(int(headers.size()));
    setHorizontalHeaderLabels(headers);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // A row is chosen to remove a bot.
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setFocusPolicy(Qt::TabFocus);
    setAlternatingRowColors(true);
    setShowGrid(false);
    setWordWrap(false);
    verticalHeader()->hide();
    // The name takes what the figures leave; the figures keep the width their headers need.
    horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int c = 1; c < columnCount(); ++c)
        horizontalHeader()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    horizontalHeader()->setHighlightSections(false);
    UpdateList(ScoreFlags::All());
}

void PlayersTable::UpdateList(const ScoreFlags &flags)
{
    if (!(flags.Player || flags.Score || flags.Ping) || flags.Sorted)
        return;
    setRowCount(modData.PlayerCount);
    for (qint32 i = 1; i <= modData.PlayerCount; ++i) {
        const QStringList cells = scoreboard::TableCells(modData.Players[i]);
        for (int c = 0; c < cells.size(); ++c) {
            QTableWidgetItem *cell = item(i - 1, c);
            if (!cell) {
                cell = new QTableWidgetItem;
                cell->setTextAlignment(c == 0 ? int(Qt::AlignLeft | Qt::AlignVCenter)
                                              : int(Qt::AlignRight | Qt::AlignVCenter));
                setItem(i - 1, c, cell);
            }
            if (cell->text() != cells.at(c))
                cell->setText(cells.at(c));
        }
    }
}
