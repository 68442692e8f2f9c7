#pragma once

#include <QString>
#include <QWidget>
#include <functional>

class ModData;

class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

// The chat window: the last hundred lines of chat and game notices, the player list, and the box
// to type in. The player cannot close it; it goes with the game window.
class frmChat : public QWidget
{
    Q_OBJECT
public:
    // `place` puts the window on the screen once its controls are made.
    frmChat(ModData &modData, const std::function<void(QWidget *)> &place, QWidget *parent = nullptr);
    ~frmChat() override;
    // The window's own size; as a panel of the game window it may grow from a smaller least size.
    static constexpr QSize kSize{5520 / 15, 3255 / 15};
    static constexpr QSize kMinimumPanelSize{300, 160};
    void SetResizable(bool resizable);

    // Adds the line "name: text", dropping the oldest beyond a hundred lines.
    void AddChat(const QString &name, const QString &text);
    // Refills the player list from modData.
    void UpdateList();
    void UnloadNow();

    // The history as kept: lines separated by CR LF.
    QString History() const { return m_history; }

    QLabel *lblChat;
    QPlainTextEdit *txtChat;
    QLineEdit *txtSend;
    QPushButton *cmdSend;
    QLabel *lblPlayers;
    QListWidget *lstPlayers;

signals:
    // A chat message or command to the game server.
    void Send(const QString &message);
    // UnloadNow: the window goes; the next use makes a new one.
    void Unloading();

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void layoutControls();
    void cmdSend_Click();

    QString m_history;
    bool m_allowUnload = false;
    bool m_listShown = true;
    ModData &modData;
};
