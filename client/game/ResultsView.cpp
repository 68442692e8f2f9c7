#include "client/game/ResultsView.h"

#include "client/RoundResults.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSet>
#include <QShortcut>
#include <QVBoxLayout>

namespace
{
// Pages as boxes with arrows between them; pages of a shortest route stand out in green.
QString chain(const QStringList &pages, const QSet<QString> &shortest)
{
    QStringList boxes;
    for (const QString &page : pages) {
        const bool onShortest = shortest.contains(page);
        boxes << QStringLiteral("<span style=\"background:%1; color:%2;\">&nbsp;%3&nbsp;</span>")
                     .arg(onShortest ? QStringLiteral("#d7f0d8") : QStringLiteral("#ececec"),
                          onShortest ? QStringLiteral("#10481a") : QStringLiteral("#202020"),
                          page.toHtmlEscaped());
    }
    return boxes.join(QStringLiteral(" \u2192 "));
}

QLabel *richLabel(QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setTextFormat(Qt::RichText);
    label->setWordWrap(true);
    return label;
}
} // namespace

ResultsView::ResultsView(QWidget *parent)
    : QFrame(parent), lblTitle(new QLabel(QStringLiteral("Results of the round"), this)),
      lblShortest(richLabel(this)), cmdClose(new QPushButton(QStringLiteral("Close"), this))
{
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    setAccessibleName(QStringLiteral("Results of the round"));
    QFont title = lblTitle->font();
    title.setPointSizeF(title.pointSizeF() * 1.5);
    title.setBold(true);
    lblTitle->setFont(title);
    lblShortest->setAccessibleName(QStringLiteral("Shortest route"));
    cmdClose->setAccessibleDescription(
        QStringLiteral("Closes the results; the Results button opens them again"));

    auto *rows = new QWidget;
    m_rowsLayout = new QVBoxLayout(rows);
    m_rowsLayout->addStretch();
    auto *scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setAccessibleName(QStringLiteral("Players' routes"));
    scroll->setWidget(rows);

    auto *layout = new QVBoxLayout(this);
    auto *head = new QHBoxLayout;
    head->addWidget(lblTitle, 1);
    head->addWidget(cmdClose);
    layout->addLayout(head);
    layout->addWidget(lblShortest);
    layout->addWidget(scroll, 1);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::hide);
    auto *escape = new QShortcut(Qt::Key_Escape, this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, [this] {
        if (isVisible())
            hide();
    });
}

void ResultsView::Fill(const RoundResults &results)
{
    for (QLabel *row : std::as_const(m_rows))
        delete row;
    m_rows.clear();
    QSet<QString> shortest;
    if (const auto &s = results.Shortest()) {
        for (const QString &page : s->route)
            shortest.insert(page);
        lblShortest->setText(QStringLiteral("<b>A shortest route</b> (%1 %2): %3")
                                 .arg(s->clicks)
                                 .arg(s->clicks == 1 ? QStringLiteral("click") : QStringLiteral("clicks"))
                                 .arg(chain(s->route, shortest)));
        lblShortest->setAccessibleDescription(results.ShortestSpoken());
    }
    lblShortest->setVisible(results.Shortest().has_value());
    for (const ResultRow &r : results.Rows()) {
        QLabel *row = richLabel(nullptr);
        row->setText(QStringLiteral("<b>%1</b> %2 in %3 with %4<br>%5")
                         .arg(r.name.toHtmlEscaped(), r.outcome.toHtmlEscaped(), r.time, r.clicks,
                              chain(r.route, shortest)));
        row->setAccessibleName(r.name);
        row->setAccessibleDescription(r.spoken);
        m_rowsLayout->insertWidget(m_rowsLayout->count() - 1, row);
        m_rows << row;
    }
}
