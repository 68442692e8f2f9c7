#include "client/GameCore.h"

#include "client/ModData.h"
#include "platform/Browser.h"
#include "platform/DatagramSocket.h"
#include "platform/Dialogs.h"
#include "protocol/Messages.h"
#include "protocol/PageKinds.h"
#include "protocol/Verbs.h"
#include "settings/SiteSettings.h"

#include <QUrl>
#include <limits>

namespace
{
const QString kGame = QStringLiteral("GAME");
} // namespace

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
    // A host that joined an idle server chooses the first words.
    if (modData.IsHost)
        m_nextChooser = modData.PlayerName;
    else if (!modData.Turn.isEmpty())
        m_nextChooser = modData.Turn;
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

QString Clicks(qint32 count)
{
    return QString::number(count) + (count == 1 ? QStringLiteral(" click") : QStringLiteral(" clicks"));
}

bool GameCore::FromServer(const QString &senderAddress, quint16 senderPort) const
{
    if (modData.ServerIP.isEmpty())
        return true;
    return senderAddress == modData.ServerIP && senderPort == m_serverPort;
}

// Every datagram from the server after joining. One whose handling fails (a player nobody lists, a
// field that is not a number) stops there silently; what was done before stays done.
void GameCore::HandleDatagram(const QString &d)
{
    if (Closed)
        return;
    switch (VerbOf(d)) {
    case Verb::Ping:
        if (const auto ping = msg::DecodePing(d))
            SendData(msg::Pong(modData.PlayerName, ping->tick));
        break;
    case Verb::Disconnect:
        onDisconnect();
        break;
    case Verb::ScoreIs:
        if (const auto score = msg::DecodeScoreIs(d))
            onScore(*score);
        break;
    case Verb::PingIs:
        if (const auto ping = msg::DecodePingIs(d))
            onPingIs(*ping);
        break;
    case Verb::Message:
        if (const auto text = msg::DecodeWelcome(d))
            m_view.AddChat(kGame, *text);
        break;
    case Verb::Join:
    case Verb::Leave:
    case Verb::Drop:
        if (const auto named = msg::DecodePlayerNamed(d))
            onPlayerCameOrWent(*named);
        break;
    case Verb::Chat:
        if (const auto chat = msg::DecodeChat(d))
            m_view.AddChat(chat->name, chat->text);
        break;
    case Verb::Time:
        if (const auto time = msg::DecodeTime(d))
            m_view.AddChat(QStringLiteral("Current Time"), time->time + QStringLiteral(" on ") + time->date);
        break;
    case Verb::Winner:
        if (const auto winner = msg::DecodePlayerNamed(d))
            onWinner(winner->name);
        break;
    case Verb::PathIs:
        if (const auto route = msg::DecodeRoute(d)) {
            m_view.AddChat(kGame, QStringLiteral("The winning route was: \r\n") + route->Shown());
            m_view.AddChat(kGame, route->name + QStringLiteral(" now chooses the next words."));
        }
        break;
    case Verb::NewGame:
        if (const auto chooser = msg::DecodePlayerNamed(d))
            onNewGame(chooser->name);
        break;
    case Verb::Disqualify:
        if (const auto page = msg::DecodePageValue(d))
            onDisqualified(page->page);
        break;
    case Verb::Navigate:
        if (const auto page = msg::DecodePageValue(d))
            m_browser.Navigate(LookupUrl(page->page));
        break;
    case Verb::SetRandom:
        if (const auto random = msg::DecodeSetRandom(d))
            onRandomWord(*random);
        break;
    case Verb::StartGame:
        if (const auto start = msg::DecodeStartGame(d))
            onStartGame(*start);
        break;
    case Verb::Par:
        if (const auto par = msg::DecodePar(d))
            m_par = *par;
        break;
    case Verb::Turn:
        if (const auto turn = msg::DecodePlayerNamed(d); turn && !modData.InRound)
            m_nextChooser = turn->name;
        break;
    case Verb::Result:
        if (const auto result = msg::DecodeResult(d))
            resultsAdded(m_results.Add(*result));
        break;
    case Verb::Bye:
        if (const auto reason = msg::DecodeBye(d))
            m_byeReason = *reason;
        break;
    case Verb::Shortest:
        if (const auto shortest = msg::DecodeShortest(d))
            resultsAdded(m_results.Add(*shortest));
        break;
    default:
        // What a client sends, replies to joining, and anything unknown: not for the game window.
        break;
    }
}

QString DisconnectText(std::optional<msg::ByeReason> reason)
{
    if (!reason)
        return QStringLiteral("You have been disconnected from the game.");
    switch (*reason) {
    case msg::ByeReason::Stopped:
        return QStringLiteral("You have been disconnected from the game: the server was stopped.");
    case msg::ByeReason::Banned:
        return QStringLiteral("You have been disconnected from the game: the server's operator banned you.");
    case msg::ByeReason::Silent:
        return QStringLiteral(
            "You have been disconnected from the game: the server heard nothing from you for too long.");
    }
    return QStringLiteral("You have been disconnected from the game.");
}

void GameCore::onDisconnect()
{
    // A server that bans and then stops says it twice; one notice is enough, and a window that
    // went while the box was open must not be touched again.
    if (m_disconnectShown)
        return;
    m_disconnectShown = true;
    m_dialogs.ShowMessage(QStringLiteral("You have been disconnected from the game."),
                          MessageIcon::Information, QStringLiteral("Quillory"), this, [this] {
                              // The window may have closed by itself while the box was open.
                              if (Closed)
                                  return;
                              Disconnected = true;
                              m_view.CloseGame();
                          });
}

void GameCore::onScore(const msg::Score &score)
{
    // The fields count in order up to the first that is no number.
    const qint32 i = modData.FindPlayer(score.name);
    if (i == 0)
        return;
    modData.Players[i].Wins = score.wins;
    if (!score.clicks)
        return;
    modData.Players[i].Clicks = *score.clicks;
    if (!score.roundClicks)
        return;
    modData.Players[i].RoundClicks = *score.roundClicks;
    modData.Players[i].InGame = *score.inGame;
    m_view.UpdateScores(ScoreFlags::ScoresOnly());
}

void GameCore::onPingIs(const msg::PingReport &ping)
{
    const qint32 i = modData.FindPlayer(ping.name);
    if (i == 0)
        return;
    modData.Players[i].Ping = ping.milliseconds;
    m_view.UpdateScores(ScoreFlags::PingsOnly());
}

void GameCore::onPlayerCameOrWent(const msg::PlayerNamed &player)
{
    QString line;
    if (player.verb == Verb::Join) {
        modData.AddPlayer(player.name);
        line = player.name + QStringLiteral(" has joined the game.");
    } else {
        modData.RemovePlayer(player.name);
        line = player.name + (player.verb == Verb::Leave ? QStringLiteral(" has left the game.")
                                                         : QStringLiteral(" was dropped from the game."));
    }
    m_view.AddChat(kGame, line);
    m_view.UpdateChatList();
    m_view.UpdateScores(ScoreFlags::All());
}

void GameCore::resultsAdded(bool fresh)
{
    if (fresh)
        emit ResultsArrived();
    emit ResultsChanged();
}

void GameCore::endRoundClock()
{
    if (m_roundClock.isValid())
        m_roundTimeMs = m_roundClock.elapsed();
    m_roundClock.invalidate();
}

RoundFacts GameCore::Facts() const
{
    RoundFacts f;
    f.racing = modData.InRound || m_pendingStart.has_value();
    // A round waiting for its start article already shows its words.
    const bool pendingWords = m_pendingStart && m_pendingStart->words && m_pendingStart->words->size() > 1;
    const QStringList &words = pendingWords ? *m_pendingStart->words : modData.Words;
    const qint32 target = pendingWords ? 1 : modData.TargetIndex;
    if (!words.isEmpty() && !words.first().isEmpty()) {
        f.start = words.first();
        f.destination = words.value(target);
    }
    f.par = m_par;
    if (const qint32 me = modData.FindPlayer(modData.PlayerName))
        f.clicks = modData.Players[me].RoundClicks;
    f.elapsedMs = m_roundClock.isValid() ? m_roundClock.elapsed() : m_roundTimeMs;
    // Once the round's results came, its time is the server's, as the results show it.
    if (const auto mine = m_results.Of(modData.PlayerName); mine && !f.racing)
        f.elapsedMs = mine->milliseconds;
    f.outReason = m_outReason;
    f.winner = m_winner;
    f.wonByMe = !m_winner.isEmpty() && m_winner == modData.PlayerName;
    f.chooser = f.racing ? QString() : m_nextChooser;
    f.chooserIsMe = !f.chooser.isEmpty() && f.chooser == modData.PlayerName;
    return f;
}

void GameCore::onWinner(const QString &name)
{
    const qint32 i = modData.FindPlayer(name);
    endRoundClock();
    m_winner = name;
    m_nextChooser = name;
    // A round still waiting for its start article is over before it began.
    m_pendingStart.reset();
    modData.InRound = false;
    if (i == 0)
        return;
    m_view.AddChat(kGame, name + QStringLiteral(" has won the round in ") +
                              Clicks(modData.Players[i].RoundClicks) + QLatin1Char('!'));
    if (modData.Players[i].Wins < std::numeric_limits<qint32>::max())
        ++modData.Players[i].Wins;
    m_view.UpdateScores(ScoreFlags::ScoresOnly());
    if (name == modData.PlayerName) {
        QString path = modData.Route;
        path.chop(1); // the closing carriage return
        SendData(msg::SendMyPath(modData.Players[i].Name, path));
        m_view.ShowChooser();
    }
}

void GameCore::onNewGame(const QString &chooser)
{
    const bool wasInRound = modData.InRound || m_pendingStart.has_value();
    endRoundClock();
    m_pendingStart.reset();
    modData.ResetRound();
    modData.Chooser = chooser;
    m_nextChooser = chooser;
    modData.InRound = false;
    // Everybody hears that the round is over and who chooses next; the chooser that it is their turn.
    if (wasInRound)
        m_view.AddChat(kGame, QStringLiteral("The round is over: nobody is left in it."));
    m_view.AddChat(kGame, modData.Chooser + QStringLiteral(" chooses the next words."));
    if (modData.Chooser == modData.PlayerName) {
        m_view.AddChat(kGame, QStringLiteral("It is your turn to choose the next words."));
        m_view.ShowChooser();
    }
}

void GameCore::onDisqualified(const QString &page)
{
    m_outReason = OutReason(KindOfWord(page));
    const qint32 i = modData.FindPlayer(modData.PlayerName);
    if (i == 0)
        return;
    modData.Players[i].InGame = QStringLiteral("no");
    m_browser.Navigate(MainPageUrl());
    SendData(msg::Chat(kGame, modData.PlayerName +
                                  QStringLiteral(" has been disqualified for visiting an illegal page: \"") +
                                  modData.CurrentPage + QLatin1Char('"')));
}

void GameCore::onRandomWord(const msg::RandomWord &random)
{
    m_browser.Navigate(LookupUrl(random.title));
    LastReportedPage = random.title;
    const bool start = random.source == QLatin1String("1"), destination = random.source == QLatin1String("2");
    if (start)
        m_view.AddChat(kGame,
                       QStringLiteral("Initial page randomized: \"") + random.title + QLatin1Char('"'));
    else if (destination)
        m_view.AddChat(kGame,
                       QStringLiteral("Destination page randomized: \"") + random.title + QLatin1Char('"'));
    if (m_view.ChooserShown() && (start || destination))
        m_view.SetChooserWord(random.source, random.title);
}

void GameCore::onStartGame(const msg::RoundStart &start)
{
    modData.CurrentPage = start.start;
    modData.Route = start.start + QLatin1Char('\r');
    m_par.reset();
    const bool hadResults = !m_results.Empty();
    m_results.Retire();
    if (hadResults)
        emit ResultsChanged();
    m_winner.clear();
    m_outReason.clear();
    m_roundClock.invalidate();
    m_roundTimeMs = 0;
    // The round starts once the start article has loaded: title events until then find
    // InRound still false, so the start page is not reported. A newer STARTGAME replaces this
    // one; a WINNER or NEWGAME meanwhile ends it before it began.
    m_pendingStart = PendingStart{++m_startSerial, start.words};
    m_browser.Navigate(LookupUrl(start.start));
    // An unreachable site must not hold the round back for ever.
    m_startLimit.start(LoadLimitMs);
    // A browser that has nothing to load is idle at once; the round starts after the events
    // already waiting, as it would after any load.
    const quint64 serial = m_startSerial;
    QTimer::singleShot(0, this, [this, serial] { continueStart(serial, false); });
}

void GameCore::continueStart(quint64 serial, bool limitReached)
{
    if (!m_pendingStart || m_pendingStart->serial != serial || Closed)
        return;
    if (!limitReached && m_browser.Busy())
        return;
    const std::optional<QStringList> words = m_pendingStart->words;
    m_pendingStart.reset();
    m_startLimit.stop();
    for (qint32 k = 1; k <= modData.PlayerCount; ++k) {
        modData.Players[k].RoundClicks = 0;
        modData.Players[k].InGame = QStringLiteral("yes");
    }
    // Each round reports its first page afresh, even the page the last round ended on.
    LastReportedPage.clear();
    // No way back to a page opened before the round, such as the destination the chooser verified.
    m_browser.ForgetHistory();
    m_roundClock.start();
    modData.InRound = true;
    // The caption names the page the round starts on, not the last page of the round before.
    m_view.SetCaption(modData.CurrentPage.isEmpty()
                          ? TitleRules::kCaption
                          : TitleRules::kCaption + QLatin1String(" - ") + modData.CurrentPage);
    m_view.AddChat(kGame, QStringLiteral("The game has begun!"));
    // A round announced with words that cannot be read starts all the same and keeps the old words.
    if (!words)
        return;
    modData.Words = *words;
    modData.TargetIndex = 1;
    m_view.UpdateScores(ScoreFlags::WordsOnly());
}
