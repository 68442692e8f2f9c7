#include "client/scores/ScoreRows.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace
{

class RowsAccessible;

// One player's row; it reads whatever that place of the list holds now.
class RowAccessible : public QAccessibleInterface
{
public:
    RowAccessible(const RowsAccessible *list, int row) : m_list(list), m_row(row) {}

    bool isValid() const override;
    QObject *object() const override { return nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *parent() const override;
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        s.readOnly = true;
        return s;
    }

private:
    const RowsAccessible *m_list;
    int m_row;
};

class RowsAccessible : public QAccessibleWidget
{
public:
    explicit RowsAccessible(ScoreRows *rows) : QAccessibleWidget(rows, QAccessible::List) {}
    ~RowsAccessible() override
    {
        for (QAccessible::Id id : std::as_const(m_items))
            QAccessible::deleteAccessibleInterface(id);
    }

    ScoreRows *rows() const { return static_cast<ScoreRows *>(widget()); }
    int childCount() const override { return int(rows()->Rows().size()); }
    QAccessibleInterface *child(int index) const override
    {
        if (index < 0 || index >= childCount())
            return nullptr;
        // Rows are kept by place and live as long as the list; a player leaving only hides the last.
        while (m_items.size() <= index)
            m_items << QAccessible::registerAccessibleInterface(new RowAccessible(this, int(m_items.size())));
        return QAccessible::accessibleInterface(m_items.at(index));
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        for (int i = 0; i < m_items.size() && i < childCount(); ++i) {
            if (QAccessible::accessibleInterface(m_items.at(i)) == child)
                return i;
        }
        return -1;
    }
    QAccessibleInterface *childAt(int x, int y) const override
    {
        const QRect r = rect();
        if (!r.contains(x, y))
            return nullptr;
        return child((y - r.top()) / rowHeight());
    }
    int rowHeight() const { return std::max(1, widget()->fontMetrics().lineSpacing()); }

private:
    mutable QList<QAccessible::Id> m_items;
};

bool RowAccessible::isValid() const
{
    return m_list->isValid() && m_row < m_list->childCount();
}

QAccessibleInterface *RowAccessible::parent() const
{
    return const_cast<RowsAccessible *>(m_list);
}

QString RowAccessible::text(QAccessible::Text t) const
{
    return t == QAccessible::Name ? m_list->rows()->Rows().value(m_row) : QString();
}

QRect RowAccessible::rect() const
{
    const QRect list = m_list->rect();
    const int h = m_list->rowHeight();
    return QRect(list.left(), list.top() + m_row * h, list.width(), h);
}

QAccessibleInterface *rowsFactory(const QString &className, QObject *object)
{
    auto *rows = qobject_cast<ScoreRows *>(object);
    if (!rows || className != QLatin1String(ScoreRows::staticMetaObject.className()))
        return nullptr;
    return new RowsAccessible(rows);
}

} // namespace

ScoreRows::ScoreRows(std::function<QStringList()> rows, QWidget *parent)
    : QLabel(parent), m_rows(std::move(rows))
{
    static const bool installed = [] {
        QAccessible::installFactory(rowsFactory);
        return true;
    }();
    Q_UNUSED(installed);
    setAccessibleName(QStringLiteral("Scoreboard"));
}

void ScoreRows::RowsChanged()
{
    QAccessibleEvent event(this, QAccessible::ObjectReorder);
    QAccessible::updateAccessibility(&event);
}
