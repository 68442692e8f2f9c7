#include "client/host/frmHost.h"

#include "client/JoinRules.h"
#include "client/ModData.h"
#include "platform/Dialogs.h"
#include "settings/Options.h"
#include "settings/SiteSettings.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

frmHost::frmHost(ModData &data, Dialogs &dialogs, QWidget *parent)
    : QDialog(parent), lblIP(new QLabel(QStringLiteral("Your IP address:"), this)),
      txtIP(new QLineEdit(this)), cmdHost(new QPushButton(QStringLiteral("Host"), this)),
      cmdCancel(new QPushButton(QStringLiteral("Cancel"), this)),
      cmdHelp(new QPushButton(QStringLiteral("?"), this)),
      cmdReset(new QPushButton(QStringLiteral("Reset"), this)),
      fraOptional(new QGroupBox(QStringLiteral("Optional Settings"), this)),
      lblWelcomeMessage(new QLabel(QStringLiteral("Welcome Message:"), fraOptional)),
      txtWelcomeMessage(new QPlainTextEdit(fraOptional)),
      lblPassword(new QLabel(QStringLiteral("Password:"), fraOptional)),
      txtPassword(new QLineEdit(fraOptional)), lblEncyclopedia(new QLabel(fraOptional)),
      cmdEncyclopedia(new QPushButton(QStringLiteral("Encyclopedia..."), fraOptional)), modData(data),
      m_dialogs(dialogs)
{
    setWindowTitle(QStringLiteral("Host a Game"));
    for (QPushButton *b : {cmdHost, cmdCancel, cmdHelp, cmdReset, cmdEncyclopedia})
        b->setAutoDefault(false); // Enter in the address box hosts; elsewhere it types
    txtWelcomeMessage->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    lblIP->setBuddy(txtIP);
    txtIP->setAccessibleName(QStringLiteral("Your IP address"));
    lblWelcomeMessage->setBuddy(txtWelcomeMessage);
    txtWelcomeMessage->setAccessibleName(QStringLiteral("Welcome Message"));
    lblPassword->setBuddy(txtPassword);
    txtPassword->setAccessibleName(QStringLiteral("Password"));
    txtPassword->setAccessibleDescription(QStringLiteral("Leave empty for a public game"));
    cmdHelp->setAccessibleName(QStringLiteral("Help"));

    auto *frame = new QGridLayout(fraOptional);
    frame->addWidget(lblWelcomeMessage, 0, 0);
    frame->addWidget(txtWelcomeMessage, 1, 0, 1, 2);
    frame->addWidget(lblPassword, 2, 0);
    frame->addWidget(txtPassword, 2, 1);
    frame->addWidget(cmdEncyclopedia, 3, 0);
    frame->addWidget(lblEncyclopedia, 3, 1);
    lblEncyclopedia->setWordWrap(true);
    auto *grid = new QGridLayout(this);
    grid->addWidget(lblIP, 0, 0);
    grid->addWidget(txtIP, 0, 1, 1, 2);
    grid->addWidget(cmdHelp, 0, 3);
    grid->addWidget(fraOptional, 1, 0, 1, 4);
    grid->addWidget(cmdReset, 2, 0);
    grid->addWidget(cmdHost, 2, 2);
    grid->addWidget(cmdCancel, 2, 3);
    setTabOrder(txtIP, txtWelcomeMessage);
    txtIP->installEventFilter(this);

    m_loading = true;
    txtIP->setText(LoadOption(QStringLiteral("Server")));
    txtWelcomeMessage->setPlainText(LoadOption(QStringLiteral("Welcome")));
    txtPassword->setText(LoadOption(QStringLiteral("Password")));
    lblEncyclopedia->setText(site::EncyclopediaChoiceText(site::EncyclopediaSetting()));
    m_loading = false;

    connect(txtIP, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (!m_loading)
            SaveOption(QStringLiteral("Server"), text);
    });
    connect(txtWelcomeMessage, &QPlainTextEdit::textChanged, this, [this] {
        if (m_loading)
            return;
        // Lines end the way the settings files end them.
        QString text = txtWelcomeMessage->toPlainText();
        text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
        SaveOption(QStringLiteral("Welcome"), text);
    });
    connect(txtPassword, &QLineEdit::textChanged, this, &frmHost::txtPassword_Change);
    connect(txtIP, &QLineEdit::returnPressed, this, &frmHost::cmdHost_Click);
    connect(cmdHost, &QPushButton::clicked, this, &frmHost::cmdHost_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmHost::reject);
    connect(cmdHelp, &QPushButton::clicked, this, &frmHost::cmdHelp_Click);
    connect(cmdReset, &QPushButton::clicked, this, &frmHost::cmdReset_Click);
    connect(cmdEncyclopedia, &QPushButton::clicked, this, &frmHost::cmdEncyclopedia_Click);
    txtIP->setFocus();
}

bool frmHost::eventFilter(QObject *watched, QEvent *event)
{
    // The address box selects its whole text when it gets the focus; after the mouse press
    // that gave the focus has placed the caret.
    if (watched == txtIP && event->type() == QEvent::FocusIn)
        QTimer::singleShot(0, txtIP, [this] { txtIP->selectAll(); });
    return QDialog::eventFilter(watched, event);
}

void frmHost::txtPassword_Change()
{
    const auto cleaned =
        joinRules::CleanFieldKeepingCaret(txtPassword->text(), txtPassword->cursorPosition());
    if (cleaned.text != txtPassword->text()) {
        const QSignalBlocker blocker(txtPassword);
        txtPassword->setText(cleaned.text);
        txtPassword->setCursorPosition(cleaned.caret);
    }
    if (!m_loading)
        SaveOption(QStringLiteral("Password"), txtPassword->text());
}

void frmHost::selectAddress()
{
    txtIP->selectAll();
    txtIP->setFocus();
}

void frmHost::cmdHost_Click()
{
    switch (joinRules::CheckHostAddress(txtIP->text())) {
    case joinRules::HostAddress::Blank:
        selectAddress();
        return;
    case joinRules::HostAddress::Loopback:
        m_dialogs.ShowMessage(
            QStringLiteral("You must provide an internal or external IP address that other users can "
                           "also connect to (127.0.0.1 will not work)."),
            MessageIcon::Critical, QStringLiteral("Quillory"), this, [this] { selectAddress(); });
        return;
    case joinRules::HostAddress::Accepted:
        modData.ChosenServer = txtIP->text();
        accept();
        return;
    }
}

void frmHost::cmdReset_Click()
{
    txtIP->setText(QString());
    txtWelcomeMessage->setPlainText(joinRules::DefaultWelcome);
    txtPassword->setText(QString());
    // Each box saves on change; an unchanged box saves too, so Reset always leaves the defaults.
    SaveOption(QStringLiteral("Server"), QString());
    SaveOption(QStringLiteral("Welcome"), joinRules::DefaultWelcome);
    SaveOption(QStringLiteral("Password"), QString());
}

void frmHost::cmdHelp_Click()
{
    m_dialogs.ShowMessage(joinRules::HostHelpText(), MessageIcon::Information, QStringLiteral("Quillory"),
                          this, {});
}

void frmHost::reject()
{
    modData.ChosenServer.clear();
    QDialog::reject();
}

void frmHost::cmdEncyclopedia_Click()
{
    // Saved at once: the server started after this dialog reads it.
    m_dialogs.ChooseEncyclopedia(site::EncyclopediaSetting(), QStringLiteral("Quillory"), this,
                                 [this](const std::optional<QString> &chosen) {
                                     if (!chosen)
                                         return;
                                     site::SaveEncyclopediaSetting(*chosen);
                                     lblEncyclopedia->setText(site::EncyclopediaChoiceText(*chosen));
                                 });
}
