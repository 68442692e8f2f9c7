// The bots of the game server: players the server itself plays, through the same handlers as the
// messages of any player.
#include "server/GameServer.h"

#include "platform/Clock.h"
#include "protocol/Messages.h"
#include "protocol/Names.h"

namespace
{

// A winning bot lets the room read the results before it draws the next words, then takes about
// as long as a person pressing Randomize twice and Start (kBotDrawPauseMs after each draw).
constexpr qint32 kChoosePauseMs = 8000;
// A draw whose page never came is asked for again.
constexpr qint32 kDrawTimeoutMs = 15000;
// Destinations drawn in a row that cannot be reached from the start before the start is drawn anew.
constexpr int kDestinationTries = 5;

const QString kGame = QStringLiteral("GAME");
const QString kBotSuffix = QStringLiteral(" (bot)");

bool Due(qint32 now, qint32 due)
{
    return qint32(quint32(now) - quint32(due)) >= 0;
}

// "/bot" and what follows it, trimmed; nothing for any other text.
std::optional<QString> BotCommand(const QString &text)
{
    const QString typed = text.trimmed();
    if (typed.compare(QLatin1String("/bot"), Qt::CaseInsensitive) != 0 &&
        !typed.startsWith(QLatin1String("/bot "), Qt::CaseInsensitive))
        return std::nullopt;
    return typed.mid(4).trimmed();
}

} // namespace

qint32 GameServer::HostIndex() const
{
    for (qint32 i = 1; i <= m_players.PlayerCount(); ++i) {
        const PlayerRecord &r = m_players.Players(i);
        if (!r.Bot && !r.Banned)
            return i;
    }
    return 0;
}

std::optional<QString> GameServer::AddBot(BotLevel level, QString *why)
{
    QString reason;
    if (!m_botMapSource || !m_botMapSource())
        reason = QStringLiteral("Bots play only on this server's own encyclopedia, once its link graph is "
                                "ready; there is none here now.");
    else if (m_players.PlayerCount() >= kMaxPlayers)
        reason = QStringLiteral("The game is full: there is no place for a bot.");
    if (!reason.isEmpty()) {
        if (why)
            *why = reason;
        return std::nullopt;
    }
    // The first name no player has: names come back when their bots leave.
    QString name;
    qint32 index = 0;
    for (qint32 serial = 0; index < 1; ++serial) {
        name = BotName(serial);
        index = m_players.AddBot(name);
    }
    emit PlayerAppended(name);
    for (qint32 i = 1; i < index; ++i)
        sendTo(i, msg::Join(name));
    BotPlayer bot;
    bot.id = m_players.Players(index).Id;
    bot.level = level;
    bot.random.seed(m_botRandom.generate());
    // A bot that comes while a round runs races it from the start, as a player who joins does.
    if (m_round.GameInProgress && m_round.Turn.isEmpty())
        startBotRace(bot);
    m_bots << bot;
    sendToAll(msg::Chat(kGame, name + " joins the game (" + BotLevelWord(level) + ")."));
    return name;
}

bool GameServer::RemoveBot(const QString &name, QString *why)
{
    for (qint32 i = 1; i <= m_players.PlayerCount(); ++i) {
        const PlayerRecord &r = m_players.Players(i);
        if (r.Bot &&
            (names::SameIgnoringCase(r.Name, name) || names::SameIgnoringCase(r.Name, name + kBotSuffix))) {
            actFor(i, msg::Disconnect(r.Name));
            return true;
        }
    }
    if (why)
        *why = "There is no bot named " + name + ".";
    return false;
}

void GameServer::actFor(qint32 index, const QString &text)
{
    const Route *route = routeOf(VerbOf(text));
    if (!route || !route->handle)
        return;
    QString answer, then;
    (this->*route->handle)(Request{text, index, answer, then});
}

void GameServer::tellPlayer(qint32 index, const QString &line)
{
    sendTo(index, msg::Chat(kGame, line));
}

bool GameServer::onBotCommand(qint32 index, const QString &text)
{
    const auto chat = msg::DecodeChat(text);
    const std::optional<QString> command = chat ? BotCommand(chat->text) : std::nullopt;
    if (!command)
        return false;
    if (index != HostIndex()) {
        tellPlayer(index, QStringLiteral("Only the host can add or remove bots."));
        return true;
    }
    QString why;
    const bool remove = command->compare(QLatin1String("remove"), Qt::CaseInsensitive) == 0 ||
                        command->startsWith(QLatin1String("remove "), Qt::CaseInsensitive);
    const QString name = remove ? command->mid(6).trimmed() : QString();
    const std::optional<BotLevel> level =
        command->isEmpty() ? std::optional(BotLevel::Normal) : BotLevelFromWord(*command);
    if (remove && !name.isEmpty()) {
        if (!RemoveBot(name, &why))
            tellPlayer(index, why);
    } else if (!remove && level) {
        if (!AddBot(*level, &why))
            tellPlayer(index, why);
    } else {
        tellPlayer(index, QStringLiteral("Type /bot easy, /bot normal or /bot hard to add a bot, and /bot "
                                         "remove and its name to remove one."));
    }
    return true;
}

void GameServer::startBotRace(BotPlayer &bot) const
{
    bot.racing = m_round.Words && !m_round.Words->isEmpty();
    bot.route = QStringList(bot.racing ? m_round.Words->first() : QString());
    bot.due =
        qint32(quint32(m_clock.TickCount()) + quint32(botPause(BotPauseMs(StyleOf(bot.level), bot.random))));
}

void GameServer::BotTick()
{
    if (m_bots.isEmpty())
        return;
    const std::shared_ptr<const BotMap> map = m_botMapSource ? m_botMapSource() : nullptr;
    const qint32 chooser = m_round.Turn.isEmpty() ? 0 : m_players.FindPlayer(m_round.Turn);
    if (chooser != 0 && m_players.Players(chooser).Bot) {
        chooseForBot(chooser, map.get());
        return;
    }
    m_botChoice = {};
    if (map && m_round.GameInProgress && m_round.Turn.isEmpty() && m_round.Words && !m_round.Words->isEmpty())
        moveBots(*map);
}

void GameServer::moveBots(const BotMap &map)
{
    const QString destination = m_round.Words->last();
    const qint32 now = m_clock.TickCount();
    for (BotPlayer &bot : m_bots) {
        if (!bot.racing || !Due(now, bot.due))
            continue;
        const qint32 index = m_players.FindById(bot.id);
        if (index == 0 || m_players.Players(index).InGame != QLatin1String("yes"))
            continue;
        const QString name = m_players.Players(index).Name;
        const BotMove move = NextBotMove(StyleOf(bot.level), map, bot.route.last(), destination, bot.random);
        if (move.kind == BotMove::Kind::GiveUp) {
            bot.racing = false;
            actFor(index, msg::GiveUp(name));
        } else {
            bot.route << move.page;
            bot.due = qint32(quint32(now) + quint32(botPause(BotPauseMs(StyleOf(bot.level), bot.random))));
            actFor(index, msg::Navigate(name, move.page));
            // The winner's client tells its route; so does a winning bot.
            if (!m_round.GameInProgress && m_round.Turn == name)
                actFor(index, msg::SendMyPath(name, bot.route.join(QLatin1Char('\r'))));
        }
        // Won, or nobody left in it: the round is over for every bot.
        if (!m_round.GameInProgress || !m_round.Turn.isEmpty())
            return;
    }
}

void GameServer::chooseForBot(qint32 index, const BotMap *map)
{
    BotChoice &c = m_botChoice;
    const qint32 now = m_clock.TickCount();
    const quint64 id = m_players.Players(index).Id;
    if (c.botId != id) {
        c = {};
        c.botId = id;
        c.due = qint32(quint32(now) + quint32(botPause(kChoosePauseMs)));
    }
    auto draw = [&](BotChoice::Step step) {
        c.step = step;
        (step == BotChoice::Step::DrawStart ? c.start : c.destination).clear();
        c.waiting = true;
        c.due = now;
        actFor(index, msg::GetRandom(step == BotChoice::Step::DrawStart ? 1 : 2));
    };
    if (c.waiting) {
        if (qint32(quint32(now) - quint32(c.due)) >= kDrawTimeoutMs)
            draw(c.step);
        return;
    }
    if (!Due(now, c.due))
        return;
    switch (c.step) {
    case BotChoice::Step::Pause:
        draw(BotChoice::Step::DrawStart);
        return;
    case BotChoice::Step::DrawStart:
        c.tries = 0;
        draw(c.start.isEmpty() ? BotChoice::Step::DrawStart : BotChoice::Step::DrawDestination);
        return;
    case BotChoice::Step::DrawDestination:
        // As a person would not start a round that cannot be won, the bot draws again.
        if (c.destination.isEmpty() || c.destination == c.start ||
            (map && map->Distance(c.start, c.destination) <= 0)) {
            draw(++c.tries < kDestinationTries ? BotChoice::Step::DrawDestination
                                               : BotChoice::Step::DrawStart);
            return;
        }
        actFor(index, msg::SetWords(c.start, c.destination));
        return;
    }
}
