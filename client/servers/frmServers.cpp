#include "client/servers/frmServers.h"

#include "client/servers/SimpleCombo.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

frmServers::frmServers(ModData &modData, SocketFactory &sockets, Dialogs &dialogs, LocalNetwork &network,
                       quint16 serverPort, quint16 firstLocalPort, QWidget *parent)
    : QDialog(parent, Qt::Tool), Label2(new QLabel(QStringLiteral("Server IP Address:"), this)),
      cmbServers(new SimpleCombo(this)), Label1(new QLabel(QStringLiteral("Active Servers:"), this)),
      lstActive(new QListWidget(this)), lblStatus(new QLabel(this)),
      cmdJoin(new QPushButton(QStringLiteral("Join"), this)),
      cmdCancel(new QPushButton(QStringLiteral("Cancel"), this)), tmrSearch(new QTimer(this)),
      tmrBroadcast(new QTimer(this)),
      m_browser(modData, sockets, dialogs, network, serverPort, firstLocalPort)
{
    setWindowTitle(QStringLiteral("Join a Game"));
    // Enter belongs to the address line; no button takes it over.
    cmdJoin->setAutoDefault(false);
    cmdCancel->setAutoDefault(false);
    Label2->setBuddy(cmbServers);
    cmbServers->line->setAccessibleName(QStringLiteral("Server address"));
    cmbServers->list->setAccessibleName(QStringLiteral("Known servers"));
    Label1->setBuddy(lstActive);
    lstActive->setAccessibleName(QStringLiteral("Active Servers"));
    lstActive->setAccessibleDescription(
        QStringLiteral("Servers that answered, with their number of players"));

    auto *grid = new QGridLayout(this);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(lstActive, 1, 0, 2, 1);
    grid->addWidget(Label2, 0, 1, 1, 2);
    grid->addWidget(cmbServers, 1, 1, 1, 2);
    grid->addWidget(lblStatus, 3, 0);
    grid->addWidget(cmdJoin, 3, 1);
    grid->addWidget(cmdCancel, 3, 2);
    setTabOrder(cmbServers, cmdJoin);
    setTabOrder(cmdJoin, cmdCancel);
    setTabOrder(cmdCancel, lstActive);
    setFixedSize(460, 260);

    connect(&m_browser, &ServerBrowser::StatusChanged, lblStatus, &QLabel::setText);
    connect(&m_browser, &ServerBrowser::ActiveAdded, this, [this](const QString &entry) {
        lstActive->addItem(entry);
        describe(lstActive->item(lstActive->count() - 1), lstActive->count() - 1);
    });
    connect(&m_browser, &ServerBrowser::ActiveChanged, this, [this](int row, const QString &entry) {
        if (QListWidgetItem *item = lstActive->item(row)) {
            item->setText(entry);
            describe(item, row);
        }
    });
    connect(lstActive, &QListWidget::itemClicked, this, &frmServers::lstActive_Click);
    connect(lstActive, &QListWidget::itemDoubleClicked, this, [this] {
        lstActive_Click();
        Join();
    });
    connect(cmbServers, &SimpleCombo::itemDoubleClicked, this, &frmServers::Join);
    connect(cmbServers, &SimpleCombo::returnPressed, this, &frmServers::Join);
    connect(cmdJoin, &QPushButton::clicked, this, &frmServers::Join);
    connect(cmdCancel, &QPushButton::clicked, this, &frmServers::reject);

    tmrSearch->setInterval(100);
    connect(tmrSearch, &QTimer::timeout, this, [this] {
        if (!m_browser.Tick())
            tmrSearch->stop();
    });
    tmrBroadcast->setInterval(ServerBrowser::kBroadcastIntervalMs);
    connect(tmrBroadcast, &QTimer::timeout, &m_browser, &ServerBrowser::Broadcast);
}

bool frmServers::Load()
{
    const bool loaded = m_browser.Load();
    for (const QString &item : m_browser.Items())
        cmbServers->addItem(item);
    cmbServers->setText(m_browser.LoadedText());
    if (m_browser.LoadedSelection() >= 0)
        cmbServers->list->setCurrentRow(m_browser.LoadedSelection());

    if (loaded) {
        tmrSearch->start();
        m_browser.Broadcast();
        tmrBroadcast->start();
    }
    return loaded;
}

void frmServers::lstActive_Click()
{
    const QListWidgetItem *entry = lstActive->currentItem();
    if (!entry)
        return;
    const int index = m_browser.ItemForActiveEntry(entry->text());
    const QString found = m_browser.FoundAddress(lstActive->row(entry));
    if (index >= 0)
        cmbServers->setCurrentIndex(index);
    else if (!found.isEmpty())
        cmbServers->setText(found);
}

void frmServers::describe(QListWidgetItem *item, int row)
{
    // Read out as address and number of players rather than the parentheses of the entry.
    item->setData(Qt::AccessibleTextRole, m_browser.SpokenEntry(row));
    item->setData(Qt::AccessibleDescriptionRole, m_browser.FoundOnNetwork(row)
                                                     ? QStringLiteral("Found on the local network")
                                                     : QStringLiteral("A remembered server"));
}

void frmServers::Join()
{
    if (m_browser.Join(cmbServers->text()))
        accept();
}

void frmServers::reject()
{
    m_browser.Cancel();
    QDialog::reject();
}
