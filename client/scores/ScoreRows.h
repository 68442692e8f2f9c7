#pragma once

#include <QLabel>
#include <QStringList>
#include <functional>

// The scoreboard's names column. To a screen reader it is the list "Scoreboard" with one item per
// player that reads the whole row, "Ann: 1 win, 4 clicks, 2 this round, 35 ms", since the three
// columns a sighted player reads across make no sentence one by one.
class ScoreRows : public QLabel
{
    Q_OBJECT
public:
    ScoreRows(std::function<QStringList()> rows, QWidget *parent);

    QStringList Rows() const { return m_rows(); }
    // A figure, a name or the number of players changed.
    void RowsChanged();

private:
    std::function<QStringList()> m_rows;
};
