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
    setFixedSize(kSize);

    lblChat = new QLabel(QStringLiteral("Chat:"), this);
    lblChat->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    txtChat = new QPlainTextEdit(this);
    txtChat->setReadOnly(true);
    txtChat->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtSend = new QLineEdit(this);
    cmdSend = new QPushButton(QStringLiteral("Send"), this);
    lblPlayers = new QLabel(QStringLiteral("Players:"), this);
    lblPlayers->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lstPlayers = new QListWidget(this);
    layoutControls();

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

void frmChat::SetResizable(bool resizable)
{
    // As a panel the chat shares the window with the players' table, which lists the players
    // already: the history takes the list's room.
    m_listShown = !resizable;
    lblPlayers->setVisible(m_listShown);
    lstPlayers->setVisible(m_listShown);
    if (!resizable)
        setFixedSize(kSize);
    else {
        setMinimumSize(kMinimumPanelSize);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
    layoutControls();
}

void frmChat::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutControls();
}

// The history fills what the player list at the right and the send row at the bottom leave; at the
// window's own size this is the layout it has always had.
void frmChat::layoutControls()
{
    const QRect list = twips(3600, 360, 1815, 2790);
    const QRect history = twips(120, 360, 3375, 2415);
    const int listRoom = m_listShown ? 0 : list.right() - history.right();
    const int grow = width() - kSize.width() + listRoom, rise = height() - kSize.height();
    lblChat->setGeometry(QRect(twips(120, 120, 3375, 495)).adjusted(0, 0, grow, 0));
    txtChat->setGeometry(history.adjusted(0, 0, grow, rise));
    const QRect send = twips(120, 2880, 2775, 255), button = twips(3000, 2880, 495, 255);
    txtSend->setGeometry(send.translated(0, rise).adjusted(0, 0, grow, 0));
    cmdSend->setGeometry(button.translated(grow, rise));
    lblPlayers->setGeometry(twips(3600, 120, 1815, 615).translated(grow, 0));
    lstPlayers->setGeometry(list.translated(grow, 0).adjusted(0, 0, 0, rise));
}

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
