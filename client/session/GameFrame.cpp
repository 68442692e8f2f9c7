#include "client/session/GameFrame.h"

#include <QAction>
#include <QCloseEvent>
#include <QDockWidget>
#include <QMenuBar>

namespace
{
struct PanelInfo {
    const char *objectName;
    const char *title; // until a window's content brings its own
};
constexpr PanelInfo kPanels[] = {
    {"dockChat", "Chat"},
    {"dockPlayers", "Players"},
    {"dockChooser", "Choose Words"},
};
} // namespace

GameFrame::GameFrame(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmGameFrame"));
    setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowNestedDocks);
    QMenu *view = menuBar()->addMenu(QStringLiteral("&View"));
    // Top to bottom: who plays and how they stand, the chat, the next words.
    for (int i : {int(Panel::Players), int(Panel::Chat), int(Panel::Chooser)}) {
        auto *dock = new QDockWidget(QString::fromLatin1(kPanels[i].title), this);
        dock->setObjectName(QString::fromLatin1(kPanels[i].objectName));
        // The game's panels go with the game, never alone: they move and float but do not close.
        dock->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
        dock->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
        addDockWidget(Qt::LeftDockWidgetArea, dock, Qt::Vertical);
        dock->hide();
        m_docks[i] = dock;
    }
    // The chooser comes and goes with the game's turns; the others are the player's to hide.
    view->addAction(m_docks[int(Panel::Chat)]->toggleViewAction());
    view->addAction(m_docks[int(Panel::Players)]->toggleViewAction());
    view->addSeparator();
    m_separate = view->addAction(QStringLiteral("&Separate Windows"));
    m_separate->setCheckable(true);
}

QDockWidget *GameFrame::Dock(Panel panel) const
{
    return m_docks[int(panel)];
}

void GameFrame::SetPanel(Panel panel, QWidget *content)
{
    QDockWidget *dock = Dock(panel);
    if (QWidget *old = dock->widget(); old && old != content)
        old->setParent(nullptr); // its owner decides its fate
    if (!content) {
        dock->setWidget(nullptr);
        dock->hide();
        return;
    }
    dock->setWidget(content);
    if (!content->windowTitle().isEmpty())
        dock->setWindowTitle(content->windowTitle());
    dock->setAccessibleName(dock->windowTitle());
    content->show();
    dock->show();
}

QString GameFrame::SavedLayout() const
{
    return QString::fromLatin1(saveGeometry().toBase64()) + QLatin1Char(' ') +
           QString::fromLatin1(saveState().toBase64());
}

bool GameFrame::RestoreLayout(const QString &saved)
{
    const QStringList parts = saved.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.size() != 2)
        return false;
    const QByteArray geometry = QByteArray::fromBase64(parts[0].toLatin1());
    const QByteArray state = QByteArray::fromBase64(parts[1].toLatin1());
    return restoreGeometry(geometry) && restoreState(state);
}

void GameFrame::closeEvent(QCloseEvent *event)
{
    event->ignore();
    emit CloseRequested();
}
