#pragma once

#include <QAccessible>
#include <QMetaEnum>
#include <QStringList>
#include <QWidget>
#include <gtest/gtest.h>

// What a screen reader finds in a window: the names of the controls a player can type into, press,
// pick from or focus, and where each one sits that it could announce only by its kind.
struct AccessibleControls {
    int inputControls = 0;
    QStringList names;
    QStringList unnamed; // e.g. "frmHost/QGroupBox/QLineEdit (EditableText)"
};

inline void VisitAccessible(QAccessibleInterface *node, const QString &path, int depth,
                            AccessibleControls &out)
{
    using A = QAccessible;
    static const QList<A::Role> inputRoles = {A::EditableText, A::PushButton, A::CheckBox, A::RadioButton,
                                              A::ComboBox,     A::SpinBox,    A::List,     A::ListItem,
                                              A::Table,        A::Row,        A::Cell,     A::Slider};
    if (!node || !node->isValid() || depth > 64)
        return;
    // Links are clicked in a web view though the focus goes inside it; the page there is the site's
    // to label.
    const bool webView = node->object() && node->object()->inherits("QWebEngineView");
    if (depth > 0 && (webView || node->state().focusable || inputRoles.contains(node->role()))) {
        ++out.inputControls;
        const QString name = node->text(A::Name).trimmed();
        if (name.isEmpty())
            out.unnamed << path + " (" + QMetaEnum::fromType<A::Role>().valueToKey(node->role()) + ")";
        else
            out.names << name;
    }
    for (int i = 0; !webView && i < node->childCount(); ++i) {
        QAccessibleInterface *child = node->child(i);
        const QObject *object = child ? child->object() : nullptr;
        VisitAccessible(child, path + '/' + (object ? object->metaObject()->className() : "item"), depth + 1,
                        out);
    }
}

// Walks a window's accessibility tree from its top, as a screen reader would.
inline AccessibleControls WalkAccessible(QWidget *window)
{
    // Without an assistive technology attached Qt keeps accessibility off; a test switches it on.
    QAccessible::setActive(true);
    AccessibleControls out;
    VisitAccessible(QAccessible::queryAccessibleInterface(window), window->metaObject()->className(), 0, out);
    return out;
}

// Fails the running test for every unnamed control, for each of `names` not among the controls'
// names, and when fewer than `atLeast` controls were found: a walk that finds nothing proves nothing.
inline void ExpectAllNamed(QWidget *window, int atLeast, const QStringList &names)
{
    const AccessibleControls found = WalkAccessible(window);
    const std::string title = window->windowTitle().toStdString();
    EXPECT_GE(found.inputControls, atLeast) << title;
    EXPECT_TRUE(found.unnamed.isEmpty()) << title << ": " << found.unnamed.join(", ").toStdString();
    for (const QString &name : names)
        EXPECT_TRUE(found.names.contains(name)) << title << ": " << name.toStdString();
}
