#pragma once

#include "client/GameCore.h"
#include "client/scores/ScoreRows.h"

#include <QWidget>
#include <functional>

class ModData;

class QFrame;
class QLabel;

// The scoreboard: names, "wins / clicks / round clicks" and pings in three columns, and the words
// of the round below. It holds no data: it redraws the columns a change names from modData.
class frmScores : public QWidget
{
    Q_OBJECT
public:
    // `place` puts the window on the screen once its controls are made.
    frmScores(ModData &modData, const std::function<void(QWidget *)> &place, QWidget *parent = nullptr);
    ~frmScores() override;

    void UpdateList(const ScoreFlags &flags);
    void UnloadNow();

    QLabel *Label1;
    QFrame *Line1;
    ScoreRows *lblPlayers; // also the rows a screen reader reads
    QFrame *Line2;
    QLabel *lblScores;
    QFrame *Line3;
    QLabel *lblPings;
    QFrame *Line4;
    QLabel *lblScoresAsterisk;
    QFrame *Line5;
    QLabel *lblStartingWordCaption;
    QLabel *lblStartWord;
    QLabel *lblWordToFindCaption;
    QLabel *lblNextWord;

signals:
    // UnloadNow: the window goes; the next use makes a new one.
    void Unloading();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void layoutBottom();

    bool m_allowUnload = false;
    ModData &modData;
};
