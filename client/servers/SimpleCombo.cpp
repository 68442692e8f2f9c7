#include "client/servers/SimpleCombo.h"

#include <QVBoxLayout>

SimpleCombo::SimpleCombo(QWidget *parent)
    : QWidget(parent), line(new QLineEdit(this)), list(new QListWidget(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(line);
    layout->addWidget(list);
    setFocusProxy(line);
    // Line and list are one control: Tab goes from the line to the next control, not into the list.
    list->setFocusPolicy(Qt::ClickFocus);
    connect(line, &QLineEdit::returnPressed, this, &SimpleCombo::returnPressed);
    connect(list, &QListWidget::itemClicked, this,
            [this](QListWidgetItem *item) { line->setText(item->text()); });
    connect(list, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem *item) {
        line->setText(item->text());
        emit itemDoubleClicked(list->row(item));
    });
}

QString SimpleCombo::itemText(int index) const
{
    const QListWidgetItem *item = list->item(index);
    return item ? item->text() : QString();
}

void SimpleCombo::setCurrentIndex(int index)
{
    if (index < 0 || index >= list->count()) {
        list->setCurrentRow(-1);
        return;
    }
    list->setCurrentRow(index);
    line->setText(list->item(index)->text());
}
