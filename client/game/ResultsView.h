#pragma once

#include <QFrame>

class QLabel;
class QPushButton;
class QVBoxLayout;
class RoundResults;

// The results of the round, over the article: a shortest route, then one row per player with the
// route they took, drawn as chains of pages so a player sees where the routes parted.
class ResultsView : public QFrame
{
    Q_OBJECT
public:
    explicit ResultsView(QWidget *parent = nullptr);

    void Fill(const RoundResults &results);
    // The rows' labels, in order (tests and screen readers).
    QList<QLabel *> Rows() const { return m_rows; }

    QLabel *lblTitle;
    QLabel *lblShortest;
    QPushButton *cmdClose;

private:
    QVBoxLayout *m_rowsLayout;
    QList<QLabel *> m_rows;
};
