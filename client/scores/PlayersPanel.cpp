#include "client/scores/PlayersPanel.h"

#include "client/ChatLog.h"
#include "client/scores/PlayersTable.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

PlayersPanel::PlayersPanel(ModData &data, QWidget *parent)
    : QWidget(parent), cmbBotLevel(new QComboBox(this)),
      cmdAddBot(new QPushButton(QStringLiteral("Add Bot"), this)),
      cmdRemoveBot(new QPushButton(QStringLiteral("Remove Bot"), this)), modData(data),
      m_table(new PlayersTable(data, this))
{
    setWindowTitle(m_table->windowTitle());
    for (const QString &level : chatlog::BotLevels())
        cmbBotLevel->addItem(level.at(0).toUpper() + level.mid(1), level);
    cmbBotLevel->setCurrentIndex(int(chatlog::BotLevels().indexOf(chatlog::kDefaultBotLevel)));
    cmbBotLevel->setAccessibleName(QStringLiteral("Bot level"));
    cmdAddBot->setAccessibleDescription(QStringLiteral("Adds a computer player at the chosen level"));
    cmdRemoveBot->setAccessibleDescription(QStringLiteral("Removes the chosen computer player"));
    cmdRemoveBot->setEnabled(false);

    auto *bots = new QHBoxLayout;
    bots->addWidget(cmbBotLevel);
    bots->addWidget(cmdAddBot);
    bots->addWidget(cmdRemoveBot);
    bots->addStretch();
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(m_table);
    column->addLayout(bots);

    connect(cmdAddBot, &QPushButton::clicked, this,
            [this] { emit Command(chatlog::AddBotCommand(cmbBotLevel->currentData().toString())); });
    connect(cmdRemoveBot, &QPushButton::clicked, this, [this] {
        if (const QString bot = selectedBot(); !bot.isEmpty())
            emit Command(chatlog::RemoveBotCommand(bot));
    });
    connect(m_table, &QTableWidget::itemSelectionChanged, this, &PlayersPanel::selectionChanged);
    SetHost(false);
}

void PlayersPanel::SetHost(bool host)
{
    for (QWidget *w : {static_cast<QWidget *>(cmbBotLevel), static_cast<QWidget *>(cmdAddBot),
                       static_cast<QWidget *>(cmdRemoveBot)})
        w->setVisible(host);
}

QString PlayersPanel::selectedBot() const
{
    const QList<QTableWidgetItem *> chosen = m_table->selectedItems();
    if (chosen.isEmpty())
        return QString();
    const QTableWidgetItem *name = m_table->item(chosen.first()->row(), 0);
    return name && chatlog::IsBotName(name->text()) ? name->text() : QString();
}

void PlayersPanel::selectionChanged()
{
    cmdRemoveBot->setEnabled(!selectedBot().isEmpty());
}
