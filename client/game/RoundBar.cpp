#include "client/game/RoundBar.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace
{
QLabel *part(QWidget *parent, const QString &accessibleName, qreal scale, bool bold)
{
    auto *label = new QLabel(parent);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * scale);
    font.setBold(bold);
    label->setFont(font);
    label->setAccessibleName(accessibleName);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

void setPart(QLabel *label, const QString &text)
{
    label->setText(text);
    label->setAccessibleDescription(text);
    label->setVisible(!text.isEmpty());
}
} // namespace

RoundBar::RoundBar(QWidget *parent)
    : QWidget(parent), lblRoute(part(this, QStringLiteral("Round"), 1.6, true)),
      lblPar(part(this, QStringLiteral("Par"), 1.2, false)),
      lblClicks(part(this, QStringLiteral("Clicks this round"), 1.2, true)),
      lblClock(part(this, QStringLiteral("Round clock"), 1.6, true)),
      lblStatus(part(this, QStringLiteral("Round status"), 1.1, false)),
      cmdResults(new QPushButton(QStringLiteral("Results"), this))
{
    setAccessibleName(QStringLiteral("Round bar"));
    // Whole titles: a long one wraps rather than being cut.
    lblRoute->setWordWrap(true);
    lblStatus->setWordWrap(true);
    lblClock->setMinimumWidth(lblClock->fontMetrics().horizontalAdvance(QStringLiteral("00:00:00")));
    lblClock->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    cmdResults->setAccessibleDescription(QStringLiteral("Shows the last round's results again"));
    cmdResults->setVisible(false);

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 4);
    grid->addWidget(lblRoute, 0, 0);
    grid->addWidget(lblPar, 0, 1);
    grid->addWidget(lblClicks, 0, 2);
    grid->addWidget(lblClock, 0, 3);
    grid->addWidget(lblStatus, 1, 0, 1, 3);
    grid->addWidget(cmdResults, 1, 3);
    grid->setColumnStretch(0, 1);
    grid->setHorizontalSpacing(16);
    connect(cmdResults, &QPushButton::clicked, this, &RoundBar::ResultsRequested);
    Show(RoundTexts{}, false);
}

void RoundBar::Show(const RoundTexts &t, bool resultsAvailable)
{
    setPart(lblRoute, t.route);
    setPart(lblPar, t.par);
    setPart(lblClicks, t.clicks);
    setPart(lblClock, t.clock);
    setPart(lblStatus, t.status);
    cmdResults->setVisible(resultsAvailable);
}
