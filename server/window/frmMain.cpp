#include "server/window/frmMain.h"

#include "platform/Dialogs.h"
#include "settings/SiteSettings.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

namespace
{
const QString kProgramTitle = QStringLiteral("QuilloryServer");
}

frmMain::frmMain(ServerHost &host, Dialogs &dialogs, QWidget *parent)
    : QWidget(parent), m_host(host), m_dialogs(dialogs)
{
    lblWelcomeMessage = new QLabel(QStringLiteral("Welcome Message:"), this);
    txtWelcomeMessage = new QPlainTextEdit(this);
    txtWelcomeMessage->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    lblPassword = new QLabel(QStringLiteral("Password:"), this);
    txtPassword = new QLineEdit(this);
    lblConnected = new QLabel(QStringLiteral("Connected:"), this);
    lstConnected = new QListWidget(this);
    cmdStart = new QPushButton(QStringLiteral("Start Server"), this);
    cmdStop = new QPushButton(QStringLiteral("Stop Server"), this);
    lblStatus = new QLabel(this);
    lblStatus->setWordWrap(true);
    cmdEncyclopedia = new QPushButton(QStringLiteral("Encyclopedia..."), this);
    lblSite = new QLabel(this);
    lblSite->setWordWrap(true);
    lblSite->setTextInteractionFlags(Qt::TextSelectableByMouse);
    prgSite = new QProgressBar(this);
    prgSite->setAccessibleName(QStringLiteral("Encyclopedia progress"));
    prgSite->setVisible(false);
    lblWelcomeMessage->setBuddy(txtWelcomeMessage);
    txtWelcomeMessage->setAccessibleName(QStringLiteral("Welcome Message"));
    lblPassword->setBuddy(txtPassword);
    txtPassword->setAccessibleName(QStringLiteral("Password"));
    lblConnected->setBuddy(lstConnected);
    lstConnected->setAccessibleName(QStringLiteral("Connected"));
    lstConnected->setAccessibleDescription(QStringLiteral("Double-click a player to ban or unban them"));

    auto *grid = new QGridLayout(this);
    grid->addWidget(lblWelcomeMessage, 0, 0, 1, 2);
    grid->addWidget(txtWelcomeMessage, 1, 0, 1, 2);
    grid->addWidget(lblPassword, 2, 0, 1, 2);
    grid->addWidget(txtPassword, 3, 0, 1, 2);
    grid->addWidget(lblConnected, 4, 0, 1, 2);
    grid->addWidget(lstConnected, 5, 0, 1, 2);
    grid->addWidget(cmdStart, 6, 0);
    grid->addWidget(cmdStop, 6, 1);
    grid->addWidget(cmdEncyclopedia, 7, 0);
    grid->addWidget(lblSite, 8, 0, 1, 2);
    grid->addWidget(prgSite, 9, 0, 1, 2);
    grid->addWidget(lblStatus, 10, 0, 1, 2);

    connect(txtPassword, &QLineEdit::textChanged, this, &frmMain::txtPassword_Change);
    connect(txtWelcomeMessage, &QPlainTextEdit::textChanged, this, &frmMain::txtWelcomeMessage_Change);
    connect(lstConnected, &QListWidget::itemDoubleClicked, this, &frmMain::lstConnected_DblClick);
    connect(cmdStart, &QPushButton::clicked, this, &frmMain::cmdStart_Click);
    connect(cmdStop, &QPushButton::clicked, this, &frmMain::cmdStop_Click);
    connect(cmdEncyclopedia, &QPushButton::clicked, this, &frmMain::cmdEncyclopedia_Click);

    // The list shows one entry per record, in table order.
    connect(&m_host, &ServerHost::PlayerAppended, this,
            [this](const QString &name) { lstConnected->addItem(name); });
    connect(&m_host, &ServerHost::PlayerRemoved, this,
            [this](qint32 index) { delete lstConnected->takeItem(index - 1); });
    connect(&m_host, &ServerHost::PlayersCleared, lstConnected, &QListWidget::clear);
    connect(&m_host, &ServerHost::StateChanged, this, &frmMain::showState);
    // A background index reports its progress.
    connect(&m_host, &ServerHost::Ticked, this, &frmMain::showProgress);
    tmrInactiveUsers = &m_host.InactivityTimer();
    showState();
}

void frmMain::Form_Load()
{
    m_host.LoadSettings();
    m_loading = true;
    txtWelcomeMessage->setPlainText(m_host.Welcome());
    txtPassword->setText(m_host.Password());
    m_loading = false;
    cmdStart_Click();
}

void frmMain::cmdStart_Click()
{
    m_host.Start();
}

void frmMain::cmdStop_Click()
{
    m_host.Stop();
}

void frmMain::showState()
{
    const bool serving = m_host.Serving();
    cmdStart->setEnabled(!serving);
    cmdStop->setEnabled(serving);
    lblStatus->setText(m_host.BindErrorText());
    setWindowTitle(m_host.Caption());
    const SiteFacts &site = m_host.Site();
    QString text = QStringLiteral("Encyclopedia: not served");
    if (site.started) {
        text =
            site.up ? "Encyclopedia: " + site.description + "\nPlayers browse it at " + site.url : QString();
        if (!site.error.isEmpty())
            text += (text.isEmpty() ? QString() : QStringLiteral("\n")) + site.error;
    }
    lblSite->setText(text);
    showProgress();
}

void frmMain::showProgress()
{
    const SiteProgress progress = m_host.Progress();
    prgSite->setVisible(progress.Running());
    prgSite->setValue(progress.percent);
    prgSite->setFormat(progress.task + QStringLiteral(": %p%"));
}

void frmMain::cmdEncyclopedia_Click()
{
    m_dialogs.ChooseEncyclopedia(site::EncyclopediaSetting(), kProgramTitle, this,
                                 [this](const std::optional<QString> &chosen) {
                                     if (chosen)
                                         m_host.SetEncyclopedia(*chosen);
                                 });
}

void frmMain::txtPassword_Change()
{
    const QString typed = txtPassword->text();
    const QString cleaned = GameServer::CleanPassword(typed);
    if (cleaned != typed) {
        const int caret = txtPassword->cursorPosition();
        const QSignalBlocker block(txtPassword);
        txtPassword->setText(cleaned);
        txtPassword->setCursorPosition(qMin(caret, int(cleaned.size())));
    }
    // Filling the box from the settings keeps the settings as they are.
    m_host.SetPassword(cleaned, m_loading ? ServerHost::Save::No : ServerHost::Save::Yes);
}

void frmMain::txtWelcomeMessage_Change()
{
    const QString text = txtWelcomeMessage->toPlainText();
    m_host.SetWelcome(text, m_loading ? ServerHost::Save::No : ServerHost::Save::Yes);
}

void frmMain::lstConnected_DblClick()
{
    const QList<QListWidgetItem *> selected = lstConnected->selectedItems();
    if (selected.isEmpty())
        return;
    const auto question = m_host.Server().AskBan(selected.first()->text());
    if (!question)
        return;
    // The game goes on while the box is open: the player may leave before the answer, which then
    // counts for nobody.
    m_dialogs.AskYesNo(question->text, kProgramTitle, this,
                       [this, asked = *question](bool yes) { m_host.Server().ApplyBan(asked, yes); });
}

void frmMain::tmrInactiveUsers_Timer()
{
    m_host.InactivityTick();
}

void frmMain::closeEvent(QCloseEvent *event)
{
    cmdStop_Click(); // every player hears DISCONNECT
    event->accept();
}
