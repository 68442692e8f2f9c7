#pragma once

#include <QWidget>

class ModData;
class PlayersTable;
class QComboBox;
class QPushButton;

// The players panel of the one game window: the players' table and, for the player who hosts,
// computer players to add at a level and to remove, as the chat commands "/bot" would.
class PlayersPanel : public QWidget
{
    Q_OBJECT
public:
    explicit PlayersPanel(ModData &modData, QWidget *parent = nullptr);

    PlayersTable *Table() const { return m_table; }
    // Shows the bot controls to the host only.
    void SetHost(bool host);

    QComboBox *cmbBotLevel;
    QPushButton *cmdAddBot;
    QPushButton *cmdRemoveBot;

signals:
    // A chat command, as the player would type it ("/bot hard", "/bot remove Ada (bot)").
    void Command(const QString &typed);

private:
    // The selected player when it is a bot, else "".
    QString selectedBot() const;
    void selectionChanged();

    ModData &modData;
    PlayersTable *m_table;
};
