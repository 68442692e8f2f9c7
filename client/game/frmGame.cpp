#include "client/game/frmGame.h"

#include "client/ModData.h"
#include "client/ScoreBoard.h"
#include "client/Twips.h"
#include "client/chat/frmChat.h"
#include "client/game/GameSession.h"
#include "client/scores/frmScores.h"
#include "client/winner/frmWinner.h"
#include "platform/Browser.h"
#include "platform/DatagramSocket.h"
#include "platform/qt/WebBrowser.h"
#include "settings/SiteSettings.h"

#include <QCloseEvent>
#include <QScreen>
#include <QTimer>

namespace
{
constexpr int kMargin = 8;
} // namespace

frmGame::frmGame(ModData &data, QWidget *parent) : QWidget(parent), modData(data)
{
    setWindowTitle(TitleRules::kCaption);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    GameServices &services = Services();
    m_socket = services.createSocket();
    m_browser = services.createBrowser(this);
    if (auto *web = dynamic_cast<WebBrowser *>(m_browser.get()))
        wbMain = web->Widget();
    else
        wbMain = new QWidget(this); // a browser without a view (tests)
    wbMain->setParent(this);
    wbMain->move(kMargin, kMargin);
    wbMain->setAccessibleName(QStringLiteral("Article"));
    // The server address may carry the blanks it was typed with; datagrams reach it all the same,
    // and the site's address must too, or every page of the round would count as off the site.
    const QString siteHost = site::ClientSiteHost(modData.ServerHost.trimmed());
    m_core = std::make_unique<GameCore>(modData, *m_socket, *m_browser, *services.dialogs,
                                        static_cast<GameView &>(*this), siteHost, services.serverPort);

    tmrGetScores = new QTimer(this);
    tmrGetScores->setInterval(services.scorePollMs);
    connect(tmrGetScores, &QTimer::timeout, this, &frmGame::tmrGetScores_Timer);
    tmrPing = new QTimer(this);
    tmrPing->setInterval(services.pingMs);
    connect(tmrPing, &QTimer::timeout, this, &frmGame::tmrPing_Timer);

    // Form_Load
    InitGame();
    placeWindow();
    m_core->Disconnected = false;
    m_core->ScorePollIndex = 1;
    tmrGetScores->start();
    tmrPing->start();
}

frmGame::~frmGame()
{
    ForgetGameWindow(this);
    // The core goes first: it listens to the browser and the socket.
    m_core.reset();
}

void frmGame::InitGame()
{
    m_core->InitGame();
}

void frmGame::SendData(const QString &text)
{
    m_core->SendData(text);
}

void frmGame::placeWindow()
{
    // Right of the chat, the scoreboard and the chooser, which it never covers.
    PlaceWindow(this, PlaceOnScreenOf(this).game);
}

void frmGame::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized))
        return;
    const int w = width() - 2 * kMargin;
    const int h = height() - 2 * kMargin;
    // Too small a window keeps the browser's old size.
    if (w > 0 && h > 0)
        wbMain->resize(w, h);
}

void frmGame::tmrGetScores_Timer()
{
    if (!m_core->ScorePollTick())
        tmrGetScores->stop();
}

void frmGame::tmrPing_Timer()
{
    m_core->PingTick();
}

void frmGame::closeEvent(QCloseEvent *event)
{
    event->accept();
    if (m_closing)
        return;
    m_closing = true;
    tmrGetScores->stop();
    tmrPing->stop();
    if (ChatWindowExists())
        ChatWindow()->UnloadNow();
    if (ScoresWindowExists())
        ScoresWindow()->UnloadNow();
    if (ChooserWindowExists())
        ChooserWindow()->UnloadNow();
    m_core->Closing();
    ForgetGameWindow(this);
    deleteLater();
    Services().endProgram();
}

void frmGame::AddChat(const QString &name, const QString &text)
{
    ChatWindow()->AddChat(name, text);
}

void frmGame::UpdateChatList()
{
    ChatWindow()->UpdateList();
}

void frmGame::UpdateScores(const ScoreFlags &flags)
{
    ScoresWindow()->UpdateList(flags);
}

bool frmGame::ChooserShown() const
{
    return ::ChooserShown();
}

void frmGame::ShowChooser()
{
    frmWinner *chooser = ChooserWindow();
    chooser->show();
    chooser->raise();
}

void frmGame::SetChooserWord(const QString &source, const QString &title)
{
    ChooserWindow()->SetWord(source, title);
}

void frmGame::SetCaption(const QString &caption)
{
    setWindowTitle(caption);
}

void frmGame::CloseGame()
{
    close();
}
