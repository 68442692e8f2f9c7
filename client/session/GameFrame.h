#pragma once

#include <QMainWindow>

class QDockWidget;

// The one game window: the game in the middle, and the chat, the players and the word chooser as
// panels at its side, each with its caption, movable and resizable. Its View menu shows or hides a
// panel and switches to separate windows.
class GameFrame : public QMainWindow
{
    Q_OBJECT
public:
    enum class Panel { Chat, Players, Chooser };

    explicit GameFrame(QWidget *parent = nullptr);

    // Puts a window's content into its panel, with the window's caption and accessible name, and
    // shows the panel; nullptr empties and hides it.
    void SetPanel(Panel panel, QWidget *content);
    QDockWidget *Dock(Panel panel) const;
    // View > Separate Windows.
    QAction *SeparateWindows() const { return m_separate; }

    // The panels' place and sizes, and the window's, as one line of text for a settings file.
    QString SavedLayout() const;
    bool RestoreLayout(const QString &saved);

signals:
    // The close button: the game decides what goes with the window.
    void CloseRequested();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QDockWidget *m_docks[3] = {};
    QAction *m_separate = nullptr;
};
