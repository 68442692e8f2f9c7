#include "server/GameServer.h"

#include "platform/Browser.h"
#include "platform/Clock.h"
#include "platform/DatagramSocket.h"
#include "protocol/Messages.h"
#include "protocol/PageKinds.h"
#include "protocol/Protocol.h"
#include "protocol/Version.h"

#include <array>
#include <limits>

namespace
{

constexpr qint32 kDropAfter = 20; // seconds of silence, as counted by the 2-second tick
constexpr qint32 kTickStep = 2;

const QString kStatusAnswerStart = QStringLiteral("STATUS VER=");
const QString kYes = QStringLiteral("yes");
const QString kNo = QStringLiteral("no");

// A count that would overflow fails the report instead of wrapping to a negative score.
bool addOne(qint32 &value)
{
    if (value == std::numeric_limits<qint32>::max())
        return false;
    ++value;
    return true;
}

} // namespace

// ---- the round record ----

void RoundRecord::Start(const QString &startPage, qint32 tick, const QList<const PlayerRecord *> &players)
{
    m_open = true;
    m_round = m_round == std::numeric_limits<qint32>::max() ? 1 : m_round + 1;
    m_startTick = tick;
    m_startPage = startPage;
    m_rows.clear();
    for (const PlayerRecord *player : players)
        rowOf(*player, true);
}

RoundRecord::Row *RoundRecord::rowOf(const PlayerRecord &player, bool join)
{
    for (Row &row : m_rows) {
        if (row.playerId == player.Id)
            return &row;
    }
    // Every player at once fits the table; joins and leaves without end cannot grow the record.
    if (!join || m_rows.size() >= msg::kMaxPlayers)
        return nullptr;
    Row row;
    row.playerId = player.Id;
    row.result.round = m_round;
    row.result.name = player.Name;
    row.first << m_startPage;
    row.firstBytes = m_startPage.toUtf8().size();
    m_rows << row;
    return &m_rows.last();
}

qint32 RoundRecord::sinceStart(qint32 tick) const
{
    return qint32(qBound(qint64(0), qint64(tick) - m_startTick, qint64(std::numeric_limits<qint32>::max())));
}

void RoundRecord::Report(const PlayerRecord &player, const QString &page, qint32 tick)
{
    Row *row = m_open ? rowOf(player, true) : nullptr;
    if (!row || row->result.outcome != msg::Outcome::Racing)
        return;
    const qsizetype bytes = page.toUtf8().size();
    if (!row->leftOut && row->firstBytes + bytes <= kMaxDatagramBytes) {
        row->first << page;
        row->firstBytes += bytes;
    } else {
        row->last << page;
        row->lastBytes += bytes;
        while (row->lastBytes > kMaxDatagramBytes) {
            row->lastBytes -= row->last.first().toUtf8().size();
            row->last.removeFirst();
            row->leftOut = true;
        }
    }
    if (row->result.clicks < std::numeric_limits<qint32>::max())
        ++row->result.clicks;
    row->result.milliseconds = sinceStart(tick);
}

void RoundRecord::Finish(const PlayerRecord &player, msg::Outcome outcome, const QString &reason, qint32 tick)
{
    Row *row = m_open ? rowOf(player, true) : nullptr;
    if (!row || row->result.outcome != msg::Outcome::Racing)
        return;
    row->result.outcome = outcome;
    row->result.reason = reason;
    row->result.milliseconds = sinceStart(tick);
}

void RoundRecord::Leave(quint64 playerId, qint32 tick)
{
    for (Row &row : m_rows) {
        if (row.playerId != playerId || !m_open || row.result.outcome != msg::Outcome::Racing)
            continue;
        row.result.outcome = msg::Outcome::Out;
        row.result.reason = msg::kReasonLeft;
        row.result.milliseconds = sinceStart(tick);
    }
}

QStringList RoundRecord::RouteOf(quint64 playerId) const
{
    for (const Row &row : m_rows) {
        if (row.playerId != playerId)
            continue;
        QStringList route = row.first;
        if (row.leftOut)
            route << msg::kLeftOut;
        return route << row.last;
    }
    return {};
}

QList<msg::PlayerResult> RoundRecord::Close()
{
    QList<msg::PlayerResult> results;
    if (!m_open)
        return results;
    m_open = false;
    for (const Row &row : m_rows) {
        msg::PlayerResult result = row.result;
        result.route = RouteOf(row.playerId);
        results << result;
    }
    return results;
}

// ---- the game server ----

GameServer::GameServer(DatagramSocket &socket, Browser &browser, Clock &clock, QObject *parent)
    : QObject(parent), m_socket(socket), m_browser(browser), m_clock(clock)
{
    connect(&m_socket, &DatagramSocket::Received, this, &GameServer::HandleDatagram);
    connect(&m_browser, &Browser::TitleChange, this, &GameServer::onRandomTitle);
    connect(&m_browser, &Browser::DocumentComplete, this, [this](const QString &) { onRandomComplete(); });
}

bool GameServer::Start(quint16 port)
{
    if (m_state == ServerState::Serving)
        return true;
    if (!m_socket.Bind(port)) {
        // Half-started serving would look alive to the operator but never hear a player.
        m_bindError = m_socket.ErrorString();
        m_state = ServerState::Stopped;
        return false;
    }
    m_bindError.clear();
    m_state = ServerState::Serving;
    return true;
}

void GameServer::Stop()
{
    m_state = ServerState::Stopped;
    while (m_players.PlayerCount() != 0) {
        sendTo(1, msg::Bye(msg::ByeReason::Stopped));
        sendTo(1, msg::DisconnectNotice());
        leavesRound(1);
        removeAt(1);
    }
    m_round.Turn.clear();
    emit PlayersCleared();
    m_socket.Close();
}

QString GameServer::CleanPassword(QString password)
{
    return password.remove(QLatin1Char('=')).remove(QLatin1Char(';'));
}

QString GameServer::Caption() const
{
    switch (m_state) {
    case ServerState::BeforeStart:
        return QStringLiteral("Game Server");
    case ServerState::Serving:
        return "Server - " + PublicAddress() + " - " + modVersion::Version;
    case ServerState::Stopped:
        break;
    }
    return "Server - " + modVersion::Version;
}

void GameServer::SetPublicAddress(const QString &address)
{
    const QString plain = address.trimmed();
    const bool loopback = plain.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0 ||
                          plain.startsWith(QLatin1String("127.")) || plain == QLatin1String("::1");
    // Blanks and separators would break the caption's and the welcome text's one line.
    const bool plainWord = !plain.contains(QLatin1Char(' ')) && !plain.contains(QLatin1Char(';')) &&
                           !plain.contains(QLatin1Char('=')) && plain.size() <= 255;
    m_publicAddress = loopback || !plainWord ? QString() : plain;
}

QString GameServer::PublicAddress() const
{
    return m_publicAddress.isEmpty() ? m_socket.LocalIP() : m_publicAddress;
}

QString GameServer::RandomArticleUrl() const
{
    return "http://" + m_siteHost + "/wiki/Special:Random";
}

QString GameServer::ExpandWelcome() const
{
    return ExpandWelcome(m_welcome, m_players.PlayerCount(), PublicAddress(), m_clock);
}

QString GameServer::ExpandWelcome(const QString &text, qint32 playerCount, const QString &ip,
                                  const Clock &clock)
{
    const QDateTime now = clock.Now();
    QString out = text;
    out.replace(QStringLiteral("%v"), modVersion::Version);
    out.replace(QStringLiteral("%p"), QString::number(playerCount));
    out.replace(QStringLiteral("%ip"), ip);
    out.replace(QStringLiteral("%time"), clock.LongTime());
    out.replace(QStringLiteral("%date"), clock.LongDate());
    out.replace(QStringLiteral("%shorttime"), now.time().toString(QStringLiteral("HH:mm:ss")));
    out.replace(QStringLiteral("%shortdate"), now.date().toString(QStringLiteral("MM-dd-yyyy")));
    return out;
}

bool GameServer::IsForbiddenPage(const QString &page)
{
    return TakesPlayerOut(KindOfWord(page));
}

// ---- dispatcher ----

const GameServer::Route *GameServer::routeOf(Verb verb)
{
    // Every verb the server takes, who may send it, and whether it is answered.
    static const Route routes[] = {
        {Verb::PingMe, Sender::Anyone, true, &GameServer::onPingMe},
        {Verb::Status, Sender::Anyone, true, &GameServer::onStatus},
        {Verb::Connect, Sender::Anyone, true, nullptr, &GameServer::onConnect},
        {Verb::GetPlayerList, Sender::Anyone, true, &GameServer::onGetPlayerList},
        {Verb::Time, Sender::Anyone, true, &GameServer::onTime},
        {Verb::GetScore, Sender::Listed, true, &GameServer::onScore},
        {Verb::GetPing, Sender::Listed, true, &GameServer::onPing},
        {Verb::GetWords, Sender::Listed, false, &GameServer::onGetWords},
        {Verb::Pong, Sender::Named, false, &GameServer::onPong},
        {Verb::Disconnect, Sender::NamedAnyCase, false, &GameServer::onDisconnect},
        {Verb::Navigate, Sender::Named, false, &GameServer::onNavigate},
        {Verb::SendMyPath, Sender::Named, false, &GameServer::onSendMyPath},
        {Verb::Chat, Sender::Active, false, &GameServer::onChat},
        {Verb::SetWords, Sender::Active, false, &GameServer::onSetWords},
        {Verb::GetRandom, Sender::Active, false, &GameServer::onGetRandom},
        {Verb::NewGame, Sender::Active, false, &GameServer::onNewGame},
        {Verb::GiveUp, Sender::Named, false, &GameServer::onGiveUp},
    };
    for (const Route &route : routes) {
        if (route.verb == verb)
            return &route;
    }
    return nullptr;
}

void GameServer::HandleDatagram(const QString &text, const QString &fromAddress, quint16 fromPort)
{
    // What this server sent to itself, by a reply aimed at its own port, is never a request.
    if (fromPort == m_socket.LocalPort() && m_socket.IsOwnAddress(fromAddress))
        return;
    const Route *route = routeOf(VerbOf(text));
    if (!route)
        return; // unknown verb: ignored
    const Origin from{fromAddress, fromPort};
    const auto player = identify(route->sender, text, from);
    if (!player)
        return;
    QString answer, then;
    const Request request{text, *player, answer, then};
    const Outcome outcome =
        route->join ? (this->*route->join)(request, from) : (this->*route->handle)(request);
    if (outcome == Outcome::Failed)
        return;
    if (!route->answers)
        return;
    const auto port = ParsePort(route->verb == Verb::PingMe ? text.mid(VerbText(Verb::PingMe).size() + 1)
                                                            : GetValue(text, QStringLiteral("PORT")));
    if (!port)
        return;
    // An answer to this server's own socket would be read as a new request: a datagram naming
    // the server's port would keep it answering itself for as long as it runs.
    if (*port == m_socket.LocalPort() && m_socket.IsOwnAddress(fromAddress))
        return;
    // An answer that cannot travel in one datagram is not given, like one without a port.
    if (answer.isEmpty() || !FitsDatagram(answer))
        return;
    m_socket.SendTo(fromAddress, *port, answer);
    if (!then.isEmpty() && FitsDatagram(then))
        m_socket.SendTo(fromAddress, *port, then);
}

std::optional<qint32> GameServer::identify(Sender rule, const QString &text, const Origin &from) const
{
    qint32 index = 0;
    switch (rule) {
    case Sender::Anyone:
        return 0;
    case Sender::Listed:
        index = m_players.FindPlayer(GetValue(text, QStringLiteral("NAME")));
        break;
    case Sender::Active:
        for (qint32 i = 1; i <= m_players.PlayerCount() && index == 0; ++i) {
            if (fromRecord(i, from) && !m_players.Players(i).Banned)
                index = i;
        }
        break;
    case Sender::Named:
        index = m_players.FindPlayer(GetValue(text, QStringLiteral("NAME")));
        index = index != 0 && fromRecord(index, from) ? index : 0;
        break;
    case Sender::NamedAnyCase:
        index = m_players.FindForRemoval(GetValue(text, QStringLiteral("NAME")));
        index = index != 0 && fromRecord(index, from) ? index : 0;
        break;
    }
    if (index == 0)
        return std::nullopt;
    return index;
}

bool GameServer::fromRecord(qint32 index, const Origin &from) const
{
    const PlayerRecord &r = m_players.Players(index);
    // No datagram speaks for a bot: its moves come from the server itself.
    return !r.Bot && r.Address == from.address && r.Port == from.port;
}

// ---- answers to anyone ----

GameServer::Outcome GameServer::onPingMe(const Request &r)
{
    r.answer = msg::Ping(m_clock.TickCount());
    return Outcome::Done;
}

GameServer::Outcome GameServer::onStatus(const Request &r)
{
    // Another server's answer also reads as STATUS; answering it would bounce the two
    // servers' answers between them for ever. Requests never carry VER.
    if (r.text.startsWith(kStatusAnswerStart))
        return Outcome::Failed;
    r.answer = msg::StatusReply(modVersion::Version, m_players.PlayerCount(),
                                GetValue(r.text, QStringLiteral("SERVER")));
    return Outcome::Done;
}

GameServer::Outcome GameServer::onGetPlayerList(const Request &r)
{
    QStringList names;
    for (qint32 i = 1; i <= m_players.PlayerCount(); ++i)
        names << m_players.Players(i).Name;
    r.answer = msg::PlayerList(names);
    return Outcome::Done;
}

GameServer::Outcome GameServer::onTime(const Request &r)
{
    r.answer = msg::TimeReply(m_clock.LongTime(), m_clock.LongDate());
    return Outcome::Done;
}

// ---- connections ----

GameServer::Outcome GameServer::onPong(const Request &r)
{
    const auto sent = GetNumber(r.text, QStringLiteral("TIME"));
    if (!sent)
        return Outcome::Failed;
    const qint64 ping = qint64(m_clock.TickCount()) - qint64(*sent);
    if (ping < std::numeric_limits<qint32>::min() || ping > std::numeric_limits<qint32>::max())
        return Outcome::Failed;
    PlayerRecord &record = m_players.Players(r.player);
    record.Ping = static_cast<qint32>(ping);
    record.Inactive = 0;
    sendToAll(msg::PingIs(record.Name, record.Ping));
    return Outcome::Done;
}

GameServer::Outcome GameServer::onConnect(const Request &r, const Origin &from)
{
    const auto request = msg::DecodeConnect(r.text);
    if (!request)
        return Outcome::Failed;
    if (request->version != modVersion::Version) {
        r.answer = msg::ConnectRejectVersion(modVersion::Version);
        return Outcome::Done;
    }
    if (!m_password.isEmpty() && request->password.isEmpty()) {
        r.answer = msg::NeedPwd();
        return Outcome::Done;
    }
    if (!m_password.isEmpty() && request->password != m_password) {
        r.answer = msg::ConnectRejectError(WrongPassword);
        return Outcome::Done;
    }
    bool host = false;
    if (!m_round.GameInProgress) {
        host = true;
        // Bots left behind by a host who has gone do not keep the next player from hosting.
        for (qint32 i = 1; i <= m_players.PlayerCount(); ++i)
            host = host && (m_players.Players(i).Banned || m_players.Players(i).Bot);
    }
    // A full table takes nobody and, having no refusal code for it, answers nothing.
    if (m_players.PlayerCount() >= kMaxPlayers)
        return Outcome::Failed;
    const QString &name = request->name;
    // A longer name would push the player list past one datagram and lock every later joiner out.
    if (name.toUtf8().size() > kMaxNameBytes)
        return Outcome::Failed;
    const qint32 result = m_players.AddPlayer(name, from.address, QString::number(from.port));
    if (result < 1) {
        r.answer = msg::ConnectRejectError(result);
        return Outcome::Done;
    }
    emit PlayerAppended(name);
    r.answer = msg::ConnectAccept(m_round.GameInProgress);
    for (qint32 i = 1; i <= m_players.PlayerCount(); ++i) {
        if (m_players.Players(i).Name != name) {
            sendTo(i, msg::Join(name));
            continue;
        }
        const QString welcome = ExpandWelcome();
        if (!welcome.isEmpty())
            sendTo(i, msg::Message(welcome));
        if (host) {
            m_round.Turn = name;
            sendTo(i, msg::IsHost(name));
        }
    }
    // A player who joins between rounds hears who chooses the next words; the host knows by ISHOST.
    if (!host && !m_round.Turn.isEmpty())
        r.then = msg::Turn(m_round.Turn);
    return Outcome::Done;
}

GameServer::Outcome GameServer::onDisconnect(const Request &r)
{
    const QString name = m_players.Players(r.player).Name;
    leavesRound(r.player);
    removeAt(r.player);
    // The others hear the name as the leaving player spelled it.
    if (m_players.PlayerCount() >= 1)
        sendToAll(msg::Leave(GetValue(r.text, QStringLiteral("NAME"))));
    passTurnIfChooserLeft(name);
    return Outcome::Done;
}

GameServer::Outcome GameServer::onChat(const Request &r)
{
    // Bytes that are not UTF-8 come back three times as long; a relay that would no longer fit
    // one datagram reaches nobody, so it is refused like any message that cannot be delivered.
    if (!FitsDatagram(r.text))
        return Outcome::Failed;
    if (onBotCommand(r.player, r.text))
        return Outcome::Done;
    const quint64 id = m_players.Players(r.player).Id;
    if (const auto told = m_toldForClient.constFind(id); told != m_toldForClient.cend() && *told == r.text) {
        m_toldForClient.erase(told);
        return Outcome::Done;
    }
    sendToAll(r.text);
    return Outcome::Done;
}

GameServer::Outcome GameServer::onScore(const Request &r)
{
    const PlayerRecord &p = m_players.Players(r.player);
    r.answer = msg::ScoreIs(p.Name, p.Wins, p.Clicks, p.RoundClicks, p.InGame);
    return Outcome::Done;
}

GameServer::Outcome GameServer::onPing(const Request &r)
{
    const PlayerRecord &p = m_players.Players(r.player);
    r.answer = msg::PingIs(p.Name, p.Ping);
    return Outcome::Done;
}

// ---- round engine ----

QString GameServer::wordsText() const
{
    return msg::StartGame(*m_round.Words);
}

GameServer::Outcome GameServer::onSetWords(const Request &r)
{
    // Each word is read after the one before, so a key inside an earlier word is never read again.
    const auto words = msg::DecodeWords(r.text);
    if (!words)
        return Outcome::Failed;
    // A round whose words cannot reach the players in one datagram would run without anybody in it.
    if (!FitsDatagram(msg::StartGame(*words)))
        return Outcome::Failed;
    m_round.Words = *words;
    m_round.GameInProgress = true;
    m_round.Turn.clear();
    QList<const PlayerRecord *> racing;
    for (qint32 i = 1; i <= m_players.PlayerCount(); ++i) {
        if (!m_players.Players(i).Banned)
            racing << &m_players.Players(i);
    }
    m_record.Start(words->first(), m_clock.TickCount(), racing);
    for (BotPlayer &bot : m_bots)
        startBotRace(bot);
    m_toldForClient.clear();
    sendToAll(wordsText());
    announcePar();
    emit RoundStarted(m_record.Round(), *words);
    return Outcome::Done;
}

GameServer::Outcome GameServer::onGetWords(const Request &r)
{
    if (!m_round.Words)
        return Outcome::Failed;
    sendTo(r.player, wordsText());
    return Outcome::Done;
}

GameServer::Outcome GameServer::onGetRandom(const Request &r)
{
    const QString source = GetValue(r.text, QStringLiteral("SRC"));
    // The answer carries the source back: a source that alone outgrows a datagram is unanswerable.
    if (!FitsDatagram(msg::SetRandom(source, QString())))
        return Outcome::Failed;
    // A new request forgets the last title, so an old or failed page can never answer it.
    m_round.RandomTitle.clear();
    m_round.RandomSource = source;
    m_randomPending = true;
    m_browser.Navigate(RandomArticleUrl());
    return Outcome::Done;
}

void GameServer::onRandomTitle(const QString &title)
{
    if (!m_randomPending || !title.contains(QLatin1Char('-')))
        return;
    const qsizetype cut = title.lastIndexOf(QStringLiteral(" -"));
    if (cut >= 0)
        m_round.RandomTitle = title.left(cut);
}

void GameServer::onRandomComplete()
{
    // A load that ended without a title keeps waiting: a redirect or a frame may still bring it,
    // and the next request starts afresh anyway.
    if (!m_randomPending || m_round.RandomTitle.isEmpty())
        return;
    m_randomPending = false;
    sendToAll(msg::SetRandom(m_round.RandomSource, m_round.RandomTitle));
    // A bot that is choosing takes the title as a chooser's box does, and pauses before the next step.
    if (m_botChoice.waiting) {
        m_botChoice.waiting = false;
        m_botChoice.due = qint32(quint32(m_clock.TickCount()) + quint32(botPause(kBotDrawPauseMs)));
        (m_botChoice.step == BotChoice::Step::DrawStart ? m_botChoice.start : m_botChoice.destination) =
            m_round.RandomTitle;
    }
}

void GameServer::fixChooser()
{
    if (m_players.PlayerCount() == 0)
        return;
    for (qint32 i = 1; i <= m_players.PlayerCount(); ++i) {
        if (m_players.Players(i).Name == m_round.Chooser)
            return;
    }
    m_round.Chooser = m_players.Players(1).Name;
}

namespace
{
QString ClickCount(qint32 n)
{
    return QString::number(n) + (n == 1 ? QStringLiteral(" click") : QStringLiteral(" clicks"));
}
} // namespace

void GameServer::announcePar()
{
    m_par.reset();
    if (!m_routeFinder || m_round.Words->isEmpty())
        return;
    const QString start = m_round.Words->first(), destination = m_round.Words->last();
    m_par = m_routeFinder(start, destination);
    if (!m_par)
        return;
    const QString line =
        m_par->isEmpty() ? "No route leads from " + start + " to " + destination + " in this encyclopedia."
                         : "Shortest route from " + start + " to " + destination + ": " +
                               ClickCount(qint32(m_par->size()) - 1) + ".";
    const QString chat = msg::Chat(QStringLiteral("GAME"), line);
    if (FitsDatagram(chat))
        sendToAll(chat);
    if (!m_par->isEmpty())
        sendToAll(msg::Par(qint32(m_par->size()) - 1));
}

void GameServer::announceWin(const QString &winner, qint32 clicks, const QStringList &route)
{
    // Round facts come with a route finder (the server window always has one).
    if (!m_routeFinder)
        return;
    const qint64 ms = qint64(m_clock.TickCount()) - m_record.StartTick();
    const qint64 seconds = qMax<qint64>(0, ms) / 1000;
    const QString won =
        msg::Chat(QStringLiteral("GAME"),
                  winner + " reached " + m_round.Words->last() + " in " + QString::number(seconds / 60) +
                      ":" + QStringLiteral("%1").arg(seconds % 60, 2, 10, QLatin1Char('0')) + " with " +
                      ClickCount(clicks) + ".");
    if (FitsDatagram(won))
        sendToAll(won);
    if (!m_par || m_par->isEmpty())
        return;
    // The winner's own route is in the chat already (PATHIS); a shortest one is told only when it
    // is another.
    if (route == *m_par) {
        sendToAll(msg::Chat(QStringLiteral("GAME"), QStringLiteral("No route is shorter.")));
        return;
    }
    const QString takes = "A shortest route takes " + ClickCount(qint32(m_par->size()) - 1);
    // A route too long for one datagram is left out; the number of clicks still goes out.
    QString shortest =
        msg::Chat(QStringLiteral("GAME"), takes + ": " + m_par->join(QStringLiteral(" --> ")) + ".");
    if (!FitsDatagram(shortest))
        shortest = msg::Chat(QStringLiteral("GAME"), takes + ".");
    sendToAll(shortest);
}

void GameServer::restartIfEverybodyOut()
{
    for (qint32 i = 1; i <= m_players.PlayerCount(); ++i) {
        if (m_players.Players(i).InGame == kYes)
            return;
    }
    fixChooser();
    m_round.Turn = m_round.Chooser;
    for (qint32 i = 1; i <= m_players.PlayerCount(); ++i) {
        m_players.Players(i).RoundClicks = 0;
        m_players.Players(i).InGame = kYes;
        sendTo(i, msg::NewGame(m_round.Chooser));
    }
    sendResults(RoundEnd::EverybodyOut);
}

void GameServer::sendResults(RoundEnd how, const QString &winner)
{
    if (!m_record.Open())
        return;
    const qint32 round = m_record.Round();
    const QList<msg::PlayerResult> results = m_record.Close();
    if (m_par && !m_par->isEmpty())
        sendToAll(msg::Shortest({round, qint32(m_par->size()) - 1, *m_par}));
    for (const msg::PlayerResult &result : results)
        sendToAll(msg::Result(result));
    emit RoundEnded(round, how, winner);
}

void GameServer::leavesRound(qint32 index)
{
    m_record.Leave(m_players.Players(index).Id, m_clock.TickCount());
}

void GameServer::announceDisqualified(qint32 index, const QString &page)
{
    const PlayerRecord &player = m_players.Players(index);
    // The words the player's own client has always told the others with.
    const QString chat = msg::Chat(QStringLiteral("GAME"), player.Name +
                                                               " has been disqualified for visiting an "
                                                               "illegal page: \"" +
                                                               page + "\"");
    if (!FitsDatagram(chat))
        return;
    sendToAll(chat);
    m_toldForClient.insert(player.Id, chat);
}

void GameServer::passTurnIfChooserLeft(const QString &leftName)
{
    if (m_round.Turn.isEmpty() || leftName != m_round.Turn)
        return;
    if (m_players.PlayerCount() == 0) {
        m_round.Turn.clear();
        return;
    }
    m_round.Chooser = m_players.Players(1).Name;
    m_round.Turn = m_round.Chooser;
    for (qint32 i = 1; i <= m_players.PlayerCount(); ++i) {
        m_players.Players(i).InGame = kYes;
        sendTo(i, msg::NewGame(m_round.Chooser));
    }
}

GameServer::Outcome GameServer::onGiveUp(const Request &r)
{
    // Only a player still racing in a running round can give it up.
    PlayerRecord &player = m_players.Players(r.player);
    if (!m_round.GameInProgress || !m_round.Turn.isEmpty() || player.InGame == kNo)
        return Outcome::Done;
    player.InGame = kNo;
    m_record.Finish(player, msg::Outcome::GaveUp, QString(), m_clock.TickCount());
    const QString name = player.Name;
    sendToAll(msg::Chat(QStringLiteral("GAME"), name + QStringLiteral(" gave up the round.")));
    restartIfEverybodyOut();
    const PlayerRecord &after = m_players.Players(r.player);
    sendToAll(msg::ScoreIs(after.Name, after.Wins, after.Clicks, after.RoundClicks, after.InGame));
    return Outcome::Done;
}

GameServer::Outcome GameServer::onNavigate(const Request &r)
{
    const qint32 index = r.player;
    if (m_players.Players(index).InGame == kNo)
        return Outcome::Done;
    const QString page = GetValue(r.text, QStringLiteral("URL"));
    const qint32 tick = m_clock.TickCount();
    m_record.Report(m_players.Players(index), page, tick);
    if (IsForbiddenPage(page)) {
        m_players.Players(index).InGame = kNo;
        m_record.Finish(m_players.Players(index), msg::Outcome::Out, page, tick);
        sendTo(index, msg::Disqualify(page));
        announceDisqualified(index, page);
        restartIfEverybodyOut();
    }
    PlayerRecord &player = m_players.Players(index);
    player.LastPage = page;
    if (!addOne(player.RoundClicks) || !addOne(player.Clicks))
        return Outcome::Failed;
    sendToAll(msg::ScoreIs(player.Name, player.Wins, player.Clicks, player.RoundClicks, player.InGame));
    if (!m_round.Words || m_round.Words->isEmpty())
        return Outcome::Failed;
    if (m_round.Words->last() != player.LastPage || player.InGame != kYes)
        return Outcome::Done;
    m_round.GameInProgress = false;
    m_round.Turn = player.Name;
    if (!addOne(player.Wins))
        return Outcome::Failed;
    const QString winner = player.Name;
    const qint32 clicks = player.RoundClicks;
    const QStringList route = m_record.Open() ? m_record.RouteOf(player.Id) : QStringList();
    m_record.Finish(player, msg::Outcome::First, QString(), tick);
    for (qint32 i = 1; i <= m_players.PlayerCount(); ++i) {
        m_players.Players(i).RoundClicks = 0;
        m_players.Players(i).InGame = kYes;
        sendTo(i, msg::Winner(winner));
    }
    sendResults(RoundEnd::Won, winner);
    announceWin(winner, clicks, route);
    return Outcome::Done;
}

GameServer::Outcome GameServer::onNewGame(const Request &)
{
    fixChooser();
    m_round.Turn = m_round.Chooser;
    for (qint32 i = 1; i <= m_players.PlayerCount(); ++i) {
        m_players.Players(i).InGame = kYes;
        sendTo(i, msg::NewGame(m_round.Chooser));
    }
    // A round called off has no results to tell; its record ends, so later reports add nothing.
    if (m_record.Open()) {
        m_record.Close();
        emit RoundEnded(m_record.Round(), RoundEnd::CalledOff, QString());
    }
    return Outcome::Done;
}

GameServer::Outcome GameServer::onSendMyPath(const Request &r)
{
    const QString relay =
        msg::PathIs(m_players.Players(r.player).Name, GetValue(r.text, QStringLiteral("PATH")));
    if (!FitsDatagram(relay))
        return Outcome::Failed;
    sendToAll(relay);
    return Outcome::Done;
}

// ---- inactivity, bans ----

void GameServer::InactivityTick()
{
    const qint32 count = m_players.PlayerCount();
    for (qint32 i = 1; i <= count && i <= m_players.PlayerCount(); ++i) {
        PlayerRecord &record = m_players.Players(i);
        if (record.Bot)
            continue; // a bot is never silent
        if (!record.Banned && record.Inactive <= std::numeric_limits<qint32>::max() - kTickStep)
            record.Inactive += kTickStep;
        if (record.Inactive < kDropAfter)
            continue;
        const QString name = record.Name;
        sendTo(i, msg::Bye(msg::ByeReason::Silent));
        sendTo(i, msg::DisconnectNotice());
        for (qint32 j = 1; j <= m_players.PlayerCount(); ++j) {
            if (j != i)
                sendTo(j, msg::Drop(name));
        }
        leavesRound(i);
        removeAt(i);
        passTurnIfChooserLeft(name);
        return; // one drop per tick
    }
}

std::optional<GameServer::BanQuestion> GameServer::AskBan(const QString &listedName) const
{
    for (qint32 i = 1; i <= m_players.PlayerCount(); ++i) {
        const PlayerRecord &r = m_players.Players(i);
        if (r.Name != listedName)
            continue;
        BanQuestion q;
        q.playerId = r.Id;
        q.unban = r.Banned;
        q.text = (r.Banned ? "Unban player " : "Ban player ") + r.Name + "?";
        return q;
    }
    return std::nullopt;
}

void GameServer::ApplyBan(const BanQuestion &question, bool yes)
{
    const qint32 index = m_players.FindById(question.playerId);
    if (!yes || index == 0)
        return;
    PlayerRecord &r = m_players.Players(index);
    if (question.unban) {
        r.Inactive = kDropAfter;
        r.Banned = false;
        return;
    }
    sendTo(index, msg::Bye(msg::ByeReason::Banned));
    sendTo(index, msg::DisconnectNotice());
    r.Banned = true;
    r.InGame = kNo;
    leavesRound(index);
}

// ---- helpers ----

void GameServer::sendTo(qint32 index, const QString &text)
{
    sendBytesTo(index, text.toUtf8());
}

void GameServer::sendBytesTo(qint32 index, const QByteArray &utf8)
{
    // Handlers refuse what would not fit before they change anything; this is the last guard.
    if (utf8.size() > kMaxDatagramBytes)
        return;
    const PlayerRecord &r = m_players.Players(index);
    if (r.Bot)
        return;
    m_socket.SendTo(r.Address, static_cast<quint16>(r.Port), utf8);
}

void GameServer::sendToAll(const QString &text)
{
    // Encoded once: with a full table the same text goes out hundreds of times.
    const QByteArray utf8 = text.toUtf8();
    for (qint32 i = 1; i <= m_players.PlayerCount(); ++i)
        sendBytesTo(i, utf8);
}

void GameServer::removeAt(qint32 index)
{
    const quint64 id = m_players.Players(index).Id;
    m_bots.removeIf([id](const BotPlayer &bot) { return bot.id == id; });
    m_players.RemovePlayer(m_players.Players(index).Name);
    emit PlayerRemoved(index);
}
