#include "client/game/frmGame.h"

#include "client/ModData.h"
#include "client/game/GameServices.h"
#include "client/game/ResultsView.h"
#include "client/game/RoundBar.h"
#include "platform/Browser.h"
#include "platform/DatagramSocket.h"
#include "platform/qt/WebBrowser.h"
#include "settings/SiteSettings.h"

#include <QCloseEvent>
#include <QTimer>

namespace
{
constexpr int kMargin = 8;
} // namespace

frmGame::frmGame(ModData &data, const GameServices &services, GameView &around, QWidget *parent)
    : QWidget(parent), modData(data)
{
    setWindowTitle(TitleRules::kCaption);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    m_socket = services.createSocket();
    m_browser = services.createBrowser(this);
    if (auto *web = dynamic_cast<WebBrowser *>(m_browser.get()))
        wbMain = web->Widget();
    else
        wbMain = new QWidget(this); // a browser without a view (tests)
    wbMain->setParent(this);
    wbMain->setAccessibleName(QStringLiteral("Article"));
    m_bar = new RoundBar(this);
    m_bar->move(kMargin, kMargin);
    m_resultsView = new ResultsView(this);
    m_resultsView->hide();
    // The server address may carry the blanks it was typed with; datagrams reach it all the same,
    // and the site's address must too, or every page of the round would count as off the site.
    const QString siteHost = site::ClientSiteHost(modData.ServerHost.trimmed());
    m_core = std::make_unique<GameCore>(modData, *m_socket, *m_browser, *services.dialogs, around, siteHost,
                                        services.serverPort);

    connect(m_core.get(), &GameCore::ResultsArrived, this, &frmGame::ShowResults);
    connect(m_core.get(), &GameCore::ResultsChanged, this, [this] {
        m_resultsView->Fill(m_core->Results());
        if (m_core->Results().Empty())
            m_resultsView->hide();
    });
    connect(m_bar, &RoundBar::ResultsRequested, this, &frmGame::ShowResults);

    tmrGetScores = new QTimer(this);
    tmrGetScores->setInterval(services.scorePollMs);
    connect(tmrGetScores, &QTimer::timeout, this, &frmGame::tmrGetScores_Timer);
    tmrPing = new QTimer(this);
    tmrPing->setInterval(services.pingMs);
    connect(tmrPing, &QTimer::timeout, this, &frmGame::tmrPing_Timer);
    // The round bar's clock shows seconds.
    tmrRound = new QTimer(this);
    tmrRound->setInterval(250);
    connect(tmrRound, &QTimer::timeout, this, &frmGame::tmrRound_Timer);
}

void frmGame::Load()
{
    InitGame();
    m_core->Disconnected = false;
    m_core->ScorePollIndex = 1;
    tmrGetScores->start();
    tmrPing->start();
    tmrRound->start();
    tmrRound_Timer();
}

frmGame::~frmGame()
{
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

void frmGame::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized))
        return;
    layoutParts();
}

void frmGame::layoutParts()
{
    const int w = width() - 2 * kMargin;
    if (w <= 0)
        return;
    // The round bar takes the height its texts need at this width; the article the rest.
    const int barHeight = m_bar->hasHeightForWidth() ? m_bar->heightForWidth(w) : m_bar->sizeHint().height();
    m_bar->setGeometry(kMargin, kMargin, w, barHeight);
    const int top = kMargin + barHeight;
    const int h = height() - top - kMargin;
    // Too small a window keeps the browser's old size.
    if (h > 0)
        wbMain->setGeometry(kMargin, top, w, h);
    // The results lie over the article, never over the other windows (the chooser's boxes).
    const QRect article = wbMain->geometry();
    m_resultsView->setGeometry(article.adjusted(16, 16, -16, -16));
}

void frmGame::ShowResults()
{
    m_resultsView->Fill(m_core->Results());
    layoutParts();
    m_resultsView->show();
    m_resultsView->raise();
}

void frmGame::tmrRound_Timer()
{
    const int before = m_bar->height();
    const RoundFacts facts = m_core->Facts();
    m_bar->Show(DescribeRound(facts), !facts.racing && !m_core->Results().Empty());
    const int w = width() - 2 * kMargin;
    if (w > 0 && m_bar->heightForWidth(w) != before)
        layoutParts();
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
    tmrRound->stop();
    emit Closing();
    m_core->Closing();
    deleteLater();
    emit Closed();
}
