#include "server/window/frmMain.h"

#include "platform/DatagramSocket.h"
#include "platform/Dialogs.h"
#include "server/window/SiteControl.h"
#include "settings/Options.h"
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

frmMain::frmMain(DatagramSocket &socket, Browser &browser, Clock &clock, Dialogs &dialogs, SiteControl *site,
                 QWidget *parent)
    : QWidget(parent), wsServer(socket), wbMain(browser), m_dialogs(dialogs), m_site(site),
      m_server(socket, browser, clock)
{
    setWindowTitle(m_server.Caption());
    lblWelcomeMessage = new QLabel(QStringLiteral("Welcome Message:"), this);
    txtWelcomeMessage = new QPlainTextEdit(this);
    txtWelcomeMessage->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    lblPassword = new QLabel(QStringLiteral("Password:"), this);
    txtPassword = new QLineEdit(this);
    lblConnected = new QLabel(QStringLiteral("Connected:"), this);
    lstConnected = new QListWidget(this);
    cmdStart = new QPushButton(QStringLiteral("Start Server"), this);
    cmdStop = new QPushButton(QStringLiteral("Stop Server"), this);
    cmdStop->setEnabled(false);
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
    connect(&m_server, &GameServer::PlayerAppended, this,
            [this](const QString &name) { lstConnected->addItem(name); });
    connect(&m_server, &GameServer::PlayerRemoved, this,
            [this](qint32 index) { delete lstConnected->takeItem(index - 1); });
    connect(&m_server, &GameServer::PlayersCleared, lstConnected, &QListWidget::clear);

    // Runs in every state; with nobody connected a tick does nothing.
    tmrInactiveUsers = new QTimer(this);
    tmrInactiveUsers->setInterval(GameServer::kInactivityTickMs);
    connect(tmrInactiveUsers, &QTimer::timeout, this, &frmMain::tmrInactiveUsers_Timer);
    tmrInactiveUsers->start();
    showSite(false);
}

void frmMain::Form_Load()
{
    m_loading = true;
    txtWelcomeMessage->setPlainText(LoadOption(QStringLiteral("Welcome")));
    txtPassword->setText(LoadOption(QStringLiteral("Password")));
    m_loading = false;
    m_server.SetSiteHost(site::ServerSiteHost());
    m_server.SetRouteFinder([this](const QString &from, const QString &to) -> std::optional<QStringList> {
        return m_site ? m_site->Route(from, to) : std::nullopt;
    });
    cmdStart_Click();
}

void frmMain::cmdStart_Click()
{
    cmdStart->setEnabled(false);
    cmdStop->setEnabled(true);
    if (!m_server.Start(GameServer::kGamePort)) {
        cmdStart->setEnabled(true);
        cmdStop->setEnabled(false);
        lblStatus->setText("Could not bind UDP port " + QString::number(GameServer::kGamePort) + ": " +
                           m_server.BindError());
        setWindowTitle(m_server.Caption());
        return;
    }
    lblStatus->clear();
    setWindowTitle(m_server.Caption());
    showSite(true);
}

void frmMain::cmdStop_Click()
{
    cmdStart->setEnabled(true);
    cmdStop->setEnabled(false);
    m_server.Stop();
    lstConnected->clear();
    if (m_site)
        m_site->Stop();
    showSite(false);
    setWindowTitle(m_server.Caption());
}

void frmMain::showSite(bool serving)
{
    if (!serving || !m_site) {
        m_siteText = QStringLiteral("Encyclopedia: not served");
        lblSite->setText(m_siteText);
        prgSite->setVisible(false);
        return;
    }
    QString description;
    QString error;
    const bool up = m_site->Start(&description, &error);
    QString text;
    if (up) {
        text = "Encyclopedia: " + description + "\nPlayers browse it at http://" + wsServer.LocalIP() + ":" +
               QString::number(site::kSitePort) + "/wiki/Main_Page";
    }
    if (!error.isEmpty())
        text += (text.isEmpty() ? QString() : QStringLiteral("\n")) + error;
    m_siteText = text;
    refreshSite();
}

void frmMain::refreshSite()
{
    lblSite->setText(m_siteText);
    const SiteProgress progress = m_site && cmdStop->isEnabled() ? m_site->Progress() : SiteProgress();
    prgSite->setVisible(progress.Running());
    prgSite->setValue(progress.percent);
    prgSite->setFormat(progress.task + QStringLiteral(": %p%"));
}

void frmMain::cmdEncyclopedia_Click()
{
    const auto chosen = m_dialogs.ChooseEncyclopedia(site::EncyclopediaSetting(), kProgramTitle);
    if (!chosen)
        return;
    site::SaveEncyclopediaSetting(*chosen);
    // While serving, players get the new encyclopedia at once.
    if (cmdStop->isEnabled() && m_site) {
        m_site->Stop();
        showSite(true);
    }
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
    m_server.SetPassword(cleaned);
    if (!m_loading)
        SaveOption(QStringLiteral("Password"), cleaned);
}

void frmMain::txtWelcomeMessage_Change()
{
    const QString text = txtWelcomeMessage->toPlainText();
    m_server.SetWelcomeTemplate(text);
    if (!m_loading)
        SaveOption(QStringLiteral("Welcome"), text);
}

void frmMain::lstConnected_DblClick()
{
    const QList<QListWidgetItem *> selected = lstConnected->selectedItems();
    if (selected.isEmpty())
        return;
    const auto question = m_server.AskBan(selected.first()->text());
    if (!question)
        return;
    // The box keeps events running: the player may leave before the answer, which then counts for nobody.
    const bool yes = m_dialogs.AskYesNo(question->text, kProgramTitle);
    m_server.ApplyBan(*question, yes);
}

void frmMain::tmrInactiveUsers_Timer()
{
    m_server.InactivityTick();
    refreshSite(); // a background index reports its progress
}

void frmMain::closeEvent(QCloseEvent *event)
{
    cmdStop_Click(); // every player hears DISCONNECT
    event->accept();
}
