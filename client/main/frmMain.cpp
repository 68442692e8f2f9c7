#include "client/main/frmMain.h"

#include "client/JoinRules.h"
#include "protocol/Version.h"
#include "settings/Options.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>

frmMain::frmMain(ModData &data, SocketFactory &sockets, Dialogs &dialogs, JoinConfig config, QWidget *parent)
    : QWidget(parent), Label1(new QLabel(QStringLiteral("The Quillory"), this)),
      Label2(new QLabel(QStringLiteral("Simple intellectual fun."), this)),
      Label4(new QLabel(
          QStringLiteral("Enter your name below, then use the buttons to the right to create or join a "
                         "game. Let the fun begin!"),
          this)),
      Line1(new QFrame(this)), txtName(new QLineEdit(this)),
      cmdJoin(new QPushButton(QStringLiteral("Join Game"), this)),
      cmdHost(new QPushButton(QStringLiteral("Host Game"), this)),
      cmdExit(new QPushButton(QStringLiteral("Exit"), this)), lblStatus(new QLabel(this)),
      tmrTimeout(new QTimer(this)), m_session(data, sockets, dialogs, config)
{
    QFont title = Label1->font();
    title.setPointSize(title.pointSize() * 2);
    title.setBold(true);
    Label1->setFont(title);
    Label4->setWordWrap(true);
    Line1->setFrameShape(QFrame::HLine);
    txtName->setAccessibleName(QStringLiteral("Name"));
    txtName->setAccessibleDescription(Label4->text());

    auto *grid = new QGridLayout(this);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(Line1, 2, 0, 1, 2);
    grid->addWidget(Label4, 3, 0);
    grid->addWidget(txtName, 4, 0);
    grid->addWidget(lblStatus, 5, 0);
    grid->addWidget(cmdJoin, 3, 1);
    grid->addWidget(cmdHost, 4, 1);
    grid->addWidget(cmdExit, 5, 1);

    tmrTimeout->setInterval(config.timeoutMs);
    tmrTimeout->setSingleShot(true);
    connect(tmrTimeout, &QTimer::timeout, &m_session, &JoinSession::TimeoutTick);
    connect(&m_session, &JoinSession::StartTimer, tmrTimeout, qOverload<>(&QTimer::start));
    connect(&m_session, &JoinSession::StopTimer, tmrTimeout, &QTimer::stop);
    connect(&m_session, &JoinSession::StatusChanged, lblStatus, &QLabel::setText);
    connect(&m_session, &JoinSession::ControlsEnabled, this, &frmMain::setControlsEnabled);
    connect(&m_session, &JoinSession::FocusName, txtName, qOverload<>(&QWidget::setFocus));
    connect(&m_session, &JoinSession::FatalExit, this, &frmMain::ProgramEnd);
    connect(&m_session, &JoinSession::Completed, this, [this] {
        emit JoinCompleted();
        cmdExit_Click();
    });

    connect(txtName, &QLineEdit::textChanged, this, &frmMain::txtName_Change);
    // Enter in the name box joins; it never hosts.
    connect(txtName, &QLineEdit::returnPressed, this, &frmMain::cmdJoin_Click);
    connect(cmdJoin, &QPushButton::clicked, this, &frmMain::cmdJoin_Click);
    connect(cmdHost, &QPushButton::clicked, this, &frmMain::cmdHost_Click);
    connect(cmdExit, &QPushButton::clicked, this, &frmMain::cmdExit_Click);
    connect(new QShortcut(Qt::Key_Escape, this), &QShortcut::activated, this, &frmMain::cmdExit_Click);

    txtName->setText(LoadOption(QStringLiteral("Name")));
    txtName->setSelection(0, int(txtName->text().size()));
    setWindowTitle(QStringLiteral("The Quillory - ") + modVersion::Version);
}

frmMain::~frmMain()
{
    m_session.Abort();
}

void frmMain::ComeBack(const QString &why)
{
    m_session.Restart(why);
    show();
    raise();
    activateWindow();
    txtName->setFocus();
}

void frmMain::txtName_Change()
{
    const auto cleaned = joinRules::CleanFieldKeepingCaret(txtName->text(), txtName->cursorPosition());
    if (cleaned.text != txtName->text()) {
        const QSignalBlocker blocker(txtName);
        txtName->setText(cleaned.text);
        txtName->setCursorPosition(cleaned.caret);
    }
    SaveOption(QStringLiteral("Name"), txtName->text());
}

QString frmMain::cleanedName()
{
    const QString clean = joinRules::CleanField(txtName->text());
    if (clean != txtName->text())
        txtName->setText(clean);
    return clean;
}

void frmMain::cmdJoin_Click()
{
    m_session.Join(cleanedName());
}

void frmMain::cmdHost_Click()
{
    m_session.Host(cleanedName());
}

void frmMain::cmdExit_Click()
{
    close();
}

void frmMain::closeEvent(QCloseEvent *event)
{
    // Whatever attempt is under way ends with the window; a server Host started keeps running.
    m_session.Abort();
    tmrTimeout->stop();
    event->accept();
}

void frmMain::setControlsEnabled(bool enabled)
{
    txtName->setEnabled(enabled);
    cmdJoin->setEnabled(enabled);
    cmdHost->setEnabled(enabled);
}
