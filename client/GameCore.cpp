#include "client/GameCore.h"

#include "client/ModData.h"
#include "platform/Browser.h"
#include "platform/DatagramSocket.h"
#include "protocol/Messages.h"
#include "settings/SiteSettings.h"

#include <QUrl>

GameCore::GameCore(ModData &data, DatagramSocket &socket, Browser &browser, Dialogs &dialogs, GameView &view,
                   const QString &siteHost, quint16 serverPort)
    : modData(data), m_socket(socket), m_browser(browser), m_dialogs(dialogs), m_view(view),
      m_siteHost(siteHost), m_siteDomain(site::SiteDomain(siteHost)), m_serverPort(serverPort)
{
    connect(&m_socket, &DatagramSocket::Received, this, &GameCore::onReceived);
    connect(&m_browser, &Browser::TitleChange, this, &GameCore::HandleTitleChange);
    connect(&m_browser, &Browser::BeforeNavigate2, this, &GameCore::HandleBeforeNavigate);
    m_startLimit.setSingleShot(true);
    connect(&m_startLimit, &QTimer::timeout, this, [this] {
        if (m_pendingStart)
            continueStart(m_pendingStart->serial, true);
    });
    connect(&m_browser, &Browser::DocumentComplete, this, [this] {
        if (m_pendingStart)
            continueStart(m_pendingStart->serial, false);
    });
}

GameCore::~GameCore() = default;

bool GameCore::InitGame()
{
    m_socket.SetRemotePort(m_serverPort);
    m_socket.SetRemoteHost(modData.ServerHost);
    const bool bound = m_socket.Bind(modData.OwnPort);
    m_browser.Navigate(MainPageUrl());
    if (modData.JoinedMidRound) {
        m_view.AddChat(QStringLiteral("GAME"), QStringLiteral("Game is in progress; joining..."));
        SendData(msg::GetWords(modData.PlayerName));
        modData.JoinedMidRound = false;
    }
    return bound;
}

void GameCore::SendData(const QString &text)
{
    if (Closed)
        return;
    const QByteArray utf8 = text.toUtf8();
    // A message longer than a datagram would be lost on the way; it is not sent at all.
    if (utf8.size() > kMaxDatagramBytes)
        return;
    m_socket.SendTo(modData.ServerHost, m_serverPort, utf8);
}

QString GameCore::MainPageUrl() const
{
    return QStringLiteral("http://") + m_siteHost + QStringLiteral("/wiki/Main_Page");
}

QString GameCore::LookupUrl(const QString &siteHost, const QString &word)
{
    // Encoded, so that "C++" or "J. S. Fry & Sons" reach the look-up whole.
    return QStringLiteral("http://") + siteHost + QStringLiteral("/wiki/Special:Search?search=") +
           QString::fromLatin1(QUrl::toPercentEncoding(word)) + QStringLiteral("&go=Go");
}

QString GameCore::LookupUrl(const QString &word) const
{
    return LookupUrl(m_siteHost, word);
}

bool GameCore::ScorePollTick()
{
    // The list may have shrunk below the next index since the window opened; then every player
    // still listed has been asked, and polling ends.
    if (ScorePollIndex < 1 || ScorePollIndex > modData.PlayerCount)
        return false;
    SendData(msg::GetScore(modData.OwnPort, modData.Players[ScorePollIndex].Name));
    if (ScorePollIndex == modData.PlayerCount)
        return false;
    ++ScorePollIndex;
    return true;
}

void GameCore::PingTick()
{
    SendData(msg::PingMe(modData.OwnPort));
}

void GameCore::Closing()
{
    if (Closed)
        return;
    if (!Disconnected)
        SendData(msg::Disconnect(modData.PlayerName));
    Closed = true;
    m_pendingStart.reset();
    m_socket.Close();
}

PageState GameCore::pageState() const
{
    PageState s;
    s.inRound = modData.InRound;
    s.startWord = modData.Words.isEmpty() ? QString() : modData.Words.first();
    s.currentPage = modData.CurrentPage;
    s.route = modData.Route;
    s.lastReportedPage = LastReportedPage;
    return s;
}

void GameCore::storePageState(const PageState &state)
{
    modData.CurrentPage = state.currentPage;
    modData.Route = state.route;
    LastReportedPage = state.lastReportedPage;
}

void GameCore::applyOutcome(const PageOutcome &outcome)
{
    if (outcome.caption)
        m_view.SetCaption(*outcome.caption);
    if (outcome.navigate)
        SendData(msg::Navigate(modData.PlayerName, *outcome.navigate));
}

void GameCore::HandleTitleChange(const QString &title)
{
    PageState s = pageState();
    const PageOutcome outcome = TitleRules::ApplyTitle(title, s);
    storePageState(s);
    applyOutcome(outcome);
}

void GameCore::HandleBeforeNavigate(const QString &url)
{
    PageState s = pageState();
    const PageOutcome outcome = TitleRules::ApplyNavigation(url, m_siteDomain, s);
    storePageState(s);
    applyOutcome(outcome);
}

void GameCore::onReceived(const QString &text, const QString &senderAddress, quint16 senderPort)
{
    // The socket listens on every address: anybody on the network could otherwise throw the
    // player out with a DISCONNECT, announce a fake winner or flood the player list.
    if (!FromServer(senderAddress, senderPort))
        return;
    HandleDatagram(text);
}
