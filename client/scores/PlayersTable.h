#pragma once

#include "client/GameCore.h"

#include <QTableWidget>

class ModData;

// The players panel of the one game window: one row per player, with plain headers (player, wins,
// clicks, this round, ping) that a screen reader reads with each cell. It holds no data: it redraws
// from modData when the scores change.
class PlayersTable : public QTableWidget
{
    Q_OBJECT
public:
    explicit PlayersTable(ModData &modData, QWidget *parent = nullptr);

    void UpdateList(const ScoreFlags &flags);

private:
    ModData &modData;
};
