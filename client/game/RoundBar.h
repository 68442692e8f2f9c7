#pragma once

#include "client/RoundStatus.h"

#include <QWidget>

class QLabel;
class QPushButton;

// The strip over the article that keeps the round in view: start → destination in large type, the
// par, the player's clicks, the clock, and what the player should know now (out, won, whose turn).
class RoundBar : public QWidget
{
    Q_OBJECT
public:
    explicit RoundBar(QWidget *parent = nullptr);

    void Show(const RoundTexts &texts, bool resultsAvailable);

    QLabel *lblRoute;
    QLabel *lblPar;
    QLabel *lblClicks;
    QLabel *lblClock;
    QLabel *lblStatus;
    QPushButton *cmdResults;

signals:
    // The player asks to see the last round's results again.
    void ResultsRequested();
};
