#pragma once

#include "protocol/Decoders.h"
#include "protocol/Verbs.h"
#include "server/Bots.h"
#include "server/PlayerTable.h"
#include "settings/SiteSettings.h"

#include <QHash>
#include <QObject>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class Browser;
class Clock;
class DatagramSocket;

// What a round is about; it outlives a stop of the server so a restart resumes the same round.
struct RoundState {
    std::optional<QStringList> Words; // Words(0) is the start, the last one the destination
    bool GameInProgress = false;
    QString Chooser;
    // Whose turn it is to choose the next words while no round runs (the host of an idle server,
    // the winner, or the player NEWGAME named); "" while a round runs.
    QString Turn;
    QString RandomSource;
    QString RandomTitle;
};

enum class ServerState { BeforeStart, Serving, Stopped };

// How a recorded round ended.
enum class RoundEnd { Won, EverybodyOut, CalledOff };

// Who raced in the round that runs and how: for each player the pages they reported, the start
// article first, and how their round went. A player is recorded from the round's start, or from
// their first report when they joined later; a player who leaves keeps their row.
class RoundRecord
{
public:
    // A new round: the last round's rows go and the count of started rounds goes up.
    void Start(const QString &startPage, qint32 tick, const QList<const PlayerRecord *> &players);
    // From the start until the round ends (a win, or nobody left in it).
    bool Open() const { return m_open; }
    qint32 Round() const { return m_round; }
    qint32 StartTick() const { return m_startTick; }
    // A page a player still racing reported.
    void Report(const PlayerRecord &player, const QString &page, qint32 tick);
    // How a player's round ended, while they are still racing in it.
    void Finish(const PlayerRecord &player, msg::Outcome outcome, const QString &reason, qint32 tick);
    // A recorded player who is still racing left the game: out, for kReasonLeft.
    void Leave(quint64 playerId, qint32 tick);
    // The round is over (or called off); its results, in the order the players joined the record.
    QList<msg::PlayerResult> Close();
    // The pages a player reported in the round, the start first; empty for a player not recorded.
    QStringList RouteOf(quint64 playerId) const;

private:
    // A route keeps its first and its last pages up to a datagram's size each and counts the rest:
    // no message can carry more, and reports without end cannot make the server hold more.
    struct Row {
        quint64 playerId = 0;
        msg::PlayerResult result; // its route unused: the pages are kept below
        QStringList first, last;
        qsizetype firstBytes = 0, lastBytes = 0;
        bool leftOut = false;
    };
    Row *rowOf(const PlayerRecord &player, bool join);
    qint32 sinceStart(qint32 tick) const;

    bool m_open = false;
    qint32 m_round = 0;
    qint32 m_startTick = 0;
    QString m_startPage;
    QList<Row> m_rows;
};

// The game server without its window: the datagram dispatcher with every handler, the round
// engine, the inactivity tick, start and stop, and the ban decisions. The host hands it the
// password and the welcome text; the views mirror its player list.
class GameServer : public QObject
{
    Q_OBJECT
public:
    static constexpr quint16 kGamePort = ::kGamePort;
    static constexpr qint32 kMaxPlayers = msg::kMaxPlayers;
    static constexpr qsizetype kMaxNameBytes = msg::kMaxNameBytes;
    // How often InactivityTick runs.
    static constexpr int kInactivityTickMs = 2000;

    GameServer(DatagramSocket &socket, Browser &browser, Clock &clock, QObject *parent = nullptr);

    // Binds the port; on failure the server stays stopped and BindError() holds the reason.
    bool Start(quint16 port = kGamePort);
    // Sends DISCONNECT to every player, empties the table and closes the socket.
    void Stop();
    ServerState State() const { return m_state; }
    QString BindError() const { return m_bindError; }
    // The window caption for the current state.
    QString Caption() const;

    void SetPassword(const QString &password) { m_password = password; }
    QString Password() const { return m_password; }
    // A password as the server can take it: '=' and ';' would end the PWD field, so they go.
    static QString CleanPassword(QString password);
    void SetWelcomeTemplate(const QString &text) { m_welcome = text; }
    // The address players should type, as the host gave it in the Host dialog; blank or a loopback
    // address (which only this machine reaches) leaves the socket's own LAN address.
    void SetPublicAddress(const QString &address);
    QString PublicAddress() const;
    QString WelcomeTemplate() const { return m_welcome; }
    // The random-article host ("host" or "host:port").
    void SetSiteHost(const QString &host) { m_siteHost = host; }
    // Tells one shortest route between two articles (start and end included), empty when none
    // leads there, nothing when it cannot be told. With it the server announces each round's par
    // and, after a win, a shortest route.
    using RouteFinder = std::function<std::optional<QStringList>(const QString &, const QString &)>;
    void SetRouteFinder(RouteFinder finder) { m_routeFinder = std::move(finder); }
    QString RandomArticleUrl() const;

    // Bots race on the map of the encyclopedia served here; the source gives it, or nullptr where the
    // server has no link graph (players browse another site, or the graph is still being built).
    using BotMapSource = std::function<std::shared_ptr<const BotMap>()>;
    void SetBotMapSource(BotMapSource source) { m_botMapSource = std::move(source); }
    // Every bot's choices come from this seed, so a room with bots can be played again alike.
    void SetBotSeed(quint64 seed) { m_botRandom.seed(quint32(seed ^ (seed >> 32))); }
    // The share of a person's pauses that bots take, on a page and when choosing words: 1 as people
    // play; 0 makes every bot act at each BotTick, the fastest a full room can race (load tests).
    void SetBotPace(double share) { m_botPace = qMax(0.0, share); }
    // How often BotTick runs.
    static constexpr int kBotTickMs = 200;
    // A bot that chooses pauses this long after each random draw.
    static constexpr qint32 kBotDrawPauseMs = 1500;
    // A bot of that level joins: its name, or nothing with *why saying why not.
    std::optional<QString> AddBot(BotLevel level, QString *why = nullptr);
    // The bot of that name leaves as a player who leaves; the name ignores case and may leave out
    // " (bot)". False with *why saying why not.
    bool RemoveBot(const QString &name, QString *why = nullptr);
    // Who may add and remove bots: the oldest player who is neither a bot nor banned (the player told
    // ISHOST on an idle server, or the longest here when that one has left); 0 when nobody is.
    qint32 HostIndex() const;
    // Bots whose pause is over click, give up or choose the next words.
    void BotTick();

    QString ExpandWelcome() const;
    static QString ExpandWelcome(const QString &text, qint32 playerCount, const QString &ip,
                                 const Clock &clock);

    // One datagram, as the socket hands it over.
    void HandleDatagram(const QString &text, const QString &fromAddress, quint16 fromPort);
    // The 2-second inactivity check; runs whether serving or not.
    void InactivityTick();

    // The operator's ban/unban question for a listed name ("" when no record has that name), and
    // the decision once answered. The answer only counts for the record that was asked about.
    struct BanQuestion {
        QString text;
        quint64 playerId = 0;
        bool unban = false;
    };
    std::optional<BanQuestion> AskBan(const QString &listedName) const;
    void ApplyBan(const BanQuestion &question, bool yes);

    PlayerTable &Players() { return m_players; }
    const PlayerTable &Players() const { return m_players; }
    RoundState &Round() { return m_round; }
    const RoundState &Round() const { return m_round; }
    // True while a random-article request waits for its page.
    bool RandomPending() const { return m_randomPending; }

    static bool IsForbiddenPage(const QString &page);

signals:
    // The list of connected players follows the table through these.
    void PlayerAppended(const QString &name);
    void PlayerRemoved(qint32 index); // 1-based, as in the table
    void PlayersCleared();
    // A round's record opens and closes; `words` as in RoundState, `winner` "" unless it was won.
    void RoundStarted(qint32 round, const QStringList &words);
    void RoundEnded(qint32 round, RoundEnd how, const QString &winner);

private:
    enum class Outcome { Failed, Done };

    // Who may send a verb. The sender is identified by this rule before the verb is handled, and a
    // datagram whose sender the rule refuses is ignored.
    enum class Sender {
        Anyone,
        // Anyone, about the player NAME names exactly; that player is the one handled.
        Listed,
        // A listed player who is not banned, from its own address and port.
        Active,
        // The player NAME names exactly, from its own address and port.
        Named,
        // The same, with the name matched ignoring case as a leaving player's is.
        NamedAnyCase,
    };
    // Where a datagram came from.
    struct Origin {
        const QString &address;
        quint16 port;
    };
    // One datagram whose sender its verb's rule admitted.
    struct Request {
        const QString &text;
        qint32 player;   // the record the rule found; 0 for Anyone
        QString &answer; // what goes back to the sender, for the verbs that answer
        QString &then;   // what follows the answer the same way, once it was sent
    };
    struct Route {
        Verb verb;
        Sender sender;
        bool answers; // at the PORT field's port (PINGME: the port after the verb)
        Outcome (GameServer::*handle)(const Request &);
        // Instead of handle, for a join: the only handler that sees an address, as the new record keeps it.
        Outcome (GameServer::*join)(const Request &, const Origin &) = nullptr;
    };
    // The route of a verb the server takes; nullptr for any other.
    static const Route *routeOf(Verb verb);
    // The record the rule admits (0 for Anyone); no value when it refuses the sender.
    std::optional<qint32> identify(Sender rule, const QString &text, const Origin &from) const;
    bool fromRecord(qint32 index, const Origin &from) const;

    Outcome onPingMe(const Request &r);
    Outcome onPong(const Request &r);
    Outcome onStatus(const Request &r);
    Outcome onConnect(const Request &r, const Origin &from);
    Outcome onDisconnect(const Request &r);
    Outcome onGetPlayerList(const Request &r);
    Outcome onChat(const Request &r);
    Outcome onTime(const Request &r);
    Outcome onScore(const Request &r);
    Outcome onPing(const Request &r);
    Outcome onSetWords(const Request &r);
    Outcome onGetWords(const Request &r);
    Outcome onGetRandom(const Request &r);
    Outcome onNavigate(const Request &r);
    Outcome onNewGame(const Request &r);
    Outcome onGiveUp(const Request &r);
    Outcome onSendMyPath(const Request &r);

    void onRandomTitle(const QString &title);
    void onRandomComplete();

    void sendTo(qint32 index, const QString &text);
    void sendBytesTo(qint32 index, const QByteArray &utf8);
    void sendToAll(const QString &text);
    void removeAt(qint32 index);
    void fixChooser();
    // When nobody is left in the round, everybody is back in and the chooser is named.
    void restartIfEverybodyOut();
    // The facts of a round the players hear as chat from GAME: its par when it starts, the
    // winner's time and clicks and a shortest route when it is won.
    void announcePar();
    void announceWin(const QString &winner, qint32 clicks, const QStringList &route);
    // The player whose turn it was to choose has gone: the oldest player chooses instead.
    void passTurnIfChooserLeft(const QString &leftName);
    // The round's end, told to everybody: a shortest route, when known, and each recorded player's
    // result. Nothing when no round is recorded.
    void sendResults(RoundEnd how, const QString &winner = QString());
    // A player leaves the game (by leaving, a drop or a ban): their row in the round stays, as out.
    void leavesRound(qint32 index);
    // A disqualification, told by the server before the round's end: the player's own client tells
    // it afterwards, and that relay is then dropped once.
    void announceDisqualified(qint32 index, const QString &page);
    QString wordsText() const;

    // A bot's move enters as the same message from its player would, past the sender rules: the
    // handlers judge it as they judge any player. Nothing is answered to a bot.
    void actFor(qint32 index, const QString &text);
    // A "/bot" chat command; false for any other text.
    bool onBotCommand(qint32 index, const QString &text);
    void tellPlayer(qint32 index, const QString &line);
    // A bot of the table, as it races: its record's Id, how it plays, where it is.
    struct BotPlayer {
        quint64 id = 0;
        BotLevel level = BotLevel::Normal;
        QRandomGenerator random;
        bool racing = false;
        QStringList route; // the pages of its round, the start first
        qint32 due = 0;    // when its pause on the last page is over
    };
    void startBotRace(BotPlayer &bot) const;
    void moveBots(const BotMap &map);
    void chooseForBot(qint32 index, const BotMap *map);

    DatagramSocket &m_socket;
    Browser &m_browser;
    Clock &m_clock;
    PlayerTable m_players;
    RoundState m_round;
    ServerState m_state = ServerState::BeforeStart;
    QString m_bindError;
    QString m_password;
    QString m_welcome;
    QString m_publicAddress;
    QString m_siteHost = QStringLiteral("127.0.0.1:%1").arg(site::kSitePort);
    bool m_randomPending = false;
    RouteFinder m_routeFinder;
    // The round's shortest route, as told when it started.
    std::optional<QStringList> m_par;
    RoundRecord m_record;
    // By player Id: the chat line the server already told for that player's client.
    QHash<quint64, QString> m_toldForClient;

    BotMapSource m_botMapSource;
    QRandomGenerator m_botRandom{1};
    double m_botPace = 1.0;
    qint32 botPause(qint32 ms) const { return qint32(double(ms) * m_botPace); }
    QList<BotPlayer> m_bots;
    // A bot's choice of the next words, as a player's Randomize and Start: a pause, a random start,
    // a random destination that can be reached from it, the words.
    struct BotChoice {
        enum class Step { Pause, DrawStart, DrawDestination };
        quint64 botId = 0;
        Step step = Step::Pause;
        qint32 due = 0;
        bool waiting = false; // for the title of a draw asked at `due`
        QString start, destination;
        int tries = 0; // destinations drawn for this start
    } m_botChoice;
};
