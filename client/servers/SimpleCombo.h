#pragma once

#include <QLineEdit>
#include <QListWidget>
#include <QWidget>

// A combo box of the simple style: a text line with its list always shown below it.
// Selecting a list item puts it into the text line.
class SimpleCombo : public QWidget
{
    Q_OBJECT
public:
    explicit SimpleCombo(QWidget *parent = nullptr);

    QString text() const { return line->text(); }
    void setText(const QString &text) { line->setText(text); }
    void addItem(const QString &text) { list->addItem(text); }
    int count() const { return list->count(); }
    QString itemText(int index) const;
    int currentIndex() const { return list->currentRow(); }
    // Selects the item and shows it in the text line; -1 clears the selection only.
    void setCurrentIndex(int index);

    QLineEdit *line;
    QListWidget *list;

signals:
    // Enter in the text line; the key goes no further.
    void returnPressed();
    void itemDoubleClicked(int index);
};
