#include "client/chat/frmChat.h"

#include "client/ChatLog.h"
#include "client/ModData.h"
#include "client/Twips.h"
#include "platform/qt/WindowSystem.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>

namespace
{
// Design places are in twips.
QRect twips(int left, int top, int width, int height)
{
    return QRect(left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel,
                 height / kTwipsPerPixel);
}
} // namespace

frmChat::frmChat(ModData &data, const std::function<void(QWidget *)> &place, QWidget *parent)
    : QWidget(parent), modData(data)
{
    setWindowTitle(QStringLiteral("Chat"));
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(5520 / 15, 3255 / 15);

    lblChat = new QLabel(QStringLiteral("Chat:"), this);
    lblChat->setGeometry(twips(120, 120, 3375, 495));
    lblChat->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    txtChat = new QPlainTextEdit(this);
    txtChat->setGeometry(twips(120, 360, 3375, 2415));
    txtChat->setReadOnly(true);
    txtChat->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtSend = new QLineEdit(this);
    txtSend->setGeometry(twips(120, 2880, 2775, 255));
    cmdSend = new QPushButton(QStringLiteral("Send"), this);
    cmdSend->setGeometry(twips(3000, 2880, 495, 255));
    lblPlayers = new QLabel(QStringLiteral("Players:"), this);
    lblPlayers->setGeometry(twips(3600, 120, 1815, 615));
    lblPlayers->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lstPlayers = new QListWidget(this);
    lstPlayers->setGeometry(twips(3600, 360, 1815, 2790));

    lblChat->setBuddy(txtChat);
    txtChat->setAccessibleName(QStringLiteral("Chat"));
    txtSend->setAccessibleName(QStringLiteral("Chat message"));
    lblPlayers->setBuddy(lstPlayers);
    lstPlayers->setAccessibleName(QStringLiteral("Players"));

    // The label sits behind the history box it heads.
    lblChat->lower();
    lblPlayers->lower();
    setTabOrder(txtSend, cmdSend);
    txtSend->setFocus();

    connect(cmdSend, &QPushButton::clicked, this, &frmChat::cmdSend_Click);
    connect(txtSend, &QLineEdit::returnPressed, this, &frmChat::cmdSend_Click);

    place(this);
    UpdateList();
}

frmChat::~frmChat() = default;

void frmChat::AddChat(const QString &name, const QString &text)
{
    DrawingLock lock(this);
    m_history = chatlog::AppendLine(m_history, name, text);
    QString shown = m_history;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    txtChat->setPlainText(shown);
    txtChat->moveCursor(QTextCursor::End);
    txtChat->ensureCursorVisible();
    txtChat->verticalScrollBar()->setValue(txtChat->verticalScrollBar()->maximum());
}

void frmChat::UpdateList()
{
    lstPlayers->clear();
    for (qint32 i = 1; i <= modData.PlayerCount; ++i)
        lstPlayers->addItem(modData.Players[i].Name);
    lblPlayers->setText(chatlog::PlayersCaption(lstPlayers->count()));
}

void frmChat::cmdSend_Click()
{
    const QStringList local = chatlog::LocalAnswer(txtSend->text());
    for (const QString &line : local)
        AddChat(QStringLiteral("GAME"), line);
    const QString message = chatlog::OutgoingMessage(txtSend->text(), modData.PlayerName, modData.OwnPort);
    if (!message.isEmpty())
        emit Send(message);
    if (!message.isEmpty() || !local.isEmpty())
        txtSend->clear();
}

void frmChat::UnloadNow()
{
    m_allowUnload = true;
    close();
    emit Unloading();
    deleteLater();
}

void frmChat::closeEvent(QCloseEvent *event)
{
    if (m_allowUnload)
        event->accept();
    else
        event->ignore();
}
