#pragma once

#include <QAccessible>
#include <QMetaEnum>
#include <QStringList>
#include <QWidget>
#include <gtest/gtest.h>

// What a screen reader finds in a window: the controls a player can type into, press, pick from or
// move the focus to, and those among them it could announce only by their kind.
struct AccessibleControls {
    int inputControls = 0;
    QStringList names;   // of the input controls, in tree order
    QStringList unnamed; // where each unnamed one sits, e.g. "frmHost/QGroupBox/QLineEdit (EditableText)"
};

namespace accessiblewalk
{

inline bool IsWebView(QAccessibleInterface *node)
{
    return node->object() && node->object()->inherits("QWebEngineView");
}

inline bool TakesInput(QAccessibleInterface *node)
{
    // The player clicks links in a web view, though the focus goes to a widget inside it.
    if (IsWebView(node))
        return true;
    switch (node->role()) {
    case QAccessible::EditableText:
    case QAccessible::PushButton:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::ComboBox:
    case QAccessible::SpinBox:
    case QAccessible::List:
    case QAccessible::ListItem:
    case QAccessible::Table:
    case QAccessible::Row:
    case QAccessible::Cell:
    case QAccessible::Slider:
        return true;
    default:
        return node->state().focusable;
    }
}

inline QString Describe(QAccessibleInterface *node, const QString &path)
{
    const char *role = QMetaEnum::fromType<QAccessible::Role>().valueToKey(node->role());
    return path + QStringLiteral(" (") + QLatin1String(role ? role : "?") + QLatin1Char(')');
}

inline void Visit(QAccessibleInterface *node, const QString &path, int depth, AccessibleControls &out)
{
    if (!node || !node->isValid() || depth > 64)
        return;
    if (depth > 0 && TakesInput(node)) {
        ++out.inputControls;
        const QString name = node->text(QAccessible::Name).trimmed();
        if (name.isEmpty())
            out.unnamed << Describe(node, path);
        else
            out.names << name;
    }
    // The page inside a web view is the site's to label; the view itself counts above.
    if (IsWebView(node))
        return;
    for (int i = 0; i < node->childCount(); ++i) {
        QAccessibleInterface *child = node->child(i);
        if (!child)
            continue;
        const QObject *object = child->object();
        const QString step =
            object ? QLatin1String(object->metaObject()->className()) : QStringLiteral("item %1").arg(i);
        Visit(child, path + QLatin1Char('/') + step, depth + 1, out);
    }
}

} // namespace accessiblewalk

// Walks the accessibility tree of a window from its top, as a screen reader would.
inline AccessibleControls WalkAccessible(QWidget *window)
{
    // Without an assistive technology attached Qt keeps accessibility off; a test switches it on.
    QAccessible::setActive(true);
    AccessibleControls out;
    accessiblewalk::Visit(QAccessible::queryAccessibleInterface(window),
                          QLatin1String(window->metaObject()->className()), 0, out);
    return out;
}

// Fails the running test for every unnamed control of the window, for each of `names` not found
// among the controls' names, and when fewer than `atLeast` controls were found: a walk that
// finds nothing proves nothing.
inline void ExpectAllNamed(QWidget *window, int atLeast, const QStringList &names)
{
    const AccessibleControls found = WalkAccessible(window);
    const std::string title = window->windowTitle().toStdString();
    EXPECT_GE(found.inputControls, atLeast) << title;
    EXPECT_TRUE(found.unnamed.isEmpty()) << title << ": " << found.unnamed.join(", ").toStdString();
    for (const QString &name : names)
        EXPECT_TRUE(found.names.contains(name)) << title << ": " << name.toStdString();
}
