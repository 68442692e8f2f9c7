#pragma once

#include "protocol/PageKinds.h"
#include "protocol/Protocol.h"
#include "protocol/Verbs.h"

#include <QString>
#include <QStringList>
#include <optional>

// Readers of the messages, as plain values, and the bounds their fields keep. Every message the
// server sends has one. Each reader reads its message with GetValue (or GetValueFrom, where noted)
// and gives no value for another verb.
namespace msg
{

// A round has two words (indexes 0 and 1); a few more are taken, but no datagram may make either
// program allocate at will.
inline constexpr qint32 kMaxWordIndex = 63;
// Far more players than a game ever holds; beyond it a flood of made-up joins would make every
// broadcast, and each further join, ever more costly.
inline constexpr qint32 kMaxPlayers = 256;
// The longest name the server takes, in UTF-8 bytes, so that a full table's list fits a datagram.
inline constexpr qsizetype kMaxNameBytes = 200;
static_assert(kMaxPlayers < 1000, "the longest list below counts three digits per index");
static_assert(qsizetype(sizeof("PLAYERLIST COUNT=999;") - 1) +
                      kMaxPlayers * (qsizetype(sizeof("P999=;") - 1) + kMaxNameBytes) <=
                  kMaxDatagramBytes,
              "a full table's player list fits one datagram");

// SETWORDS and STARTGAME: the round's words, the start first. COUNT is the highest index; each
// WORDi is read after the field before it, so a key inside an earlier word is never read again. A
// missing word reads as "". No value when COUNT is no number in 0..kMaxWordIndex.
std::optional<QStringList> DecodeWords(const QString &message);

// SCOREIS. The numbers are read in order and the first that is no number ends the reading: it and
// every field after it stay empty, while those before it count. No value when WINS is no number.
struct Score {
    QString name;
    qint32 wins = 0;
    std::optional<qint32> clicks;
    std::optional<qint32> roundClicks;
    std::optional<QString> inGame; // there only when all three numbers are
};
std::optional<Score> DecodeScoreIs(const QString &message);

// PLAYERLIST: the names P1..P<COUNT>, each read after the field before it, up to the first that
// is missing or has no closing ";". A name equal to an earlier one (names::SameIgnoringCase) is
// left out, and at most kMaxPlayers names are kept. COUNT below 1 lists nobody; no value when
// COUNT is no number.
std::optional<QStringList> DecodePlayerList(const QString &message);

// CONNECT. Each field is its first match anywhere in the message; a missing one reads as "".
struct ConnectRequest {
    QString version;
    QString name;
    std::optional<quint16> port; // none when PORT is no port number
    QString password;
};
std::optional<ConnectRequest> DecodeConnect(const QString &message);

// ---- what the server sends ----

// CONNECTACCEPT. `playing` is the round's state for "yes" and "no", nothing for any other value.
struct Accepted {
    std::optional<bool> playing;
    friend bool operator==(const Accepted &, const Accepted &) = default;
};
std::optional<Accepted> DecodeConnectAccept(const QString &message);

// CONNECTREJECT: either the version the server requires (the message names "VER" anywhere), or
// the reason code as sent, which need not be a number.
struct Rejected {
    std::optional<QString> requiredVersion;
    QString error;
    friend bool operator==(const Rejected &, const Rejected &) = default;
};
std::optional<Rejected> DecodeConnectReject(const QString &message);

// MESSAGE: the welcome text, everything after the verb and its blank, ";" and "=" included. No
// value when nothing follows the verb.
std::optional<QString> DecodeWelcome(const QString &message);

// The messages that name one player and nothing else: ISHOST, JOIN, LEAVE, DROP, WINNER, NEWGAME,
// TURN.
struct PlayerNamed {
    Verb verb = Verb::Unknown;
    QString name;
    friend bool operator==(const PlayerNamed &, const PlayerNamed &) = default;
};
std::optional<PlayerNamed> DecodePlayerNamed(const QString &message);

// PING: the server's tick, as sent, echoed back in PONG. No value when TIME is no number: the
// server can only use a tick it sent, and a long text would not even fit the answer.
struct PingRequest {
    QString tick;
    friend bool operator==(const PingRequest &, const PingRequest &) = default;
};
std::optional<PingRequest> DecodePing(const QString &message);

// PINGIS. No value when PING is no number.
struct PingReport {
    QString name;
    qint32 milliseconds = 0;
    friend bool operator==(const PingReport &, const PingReport &) = default;
};
std::optional<PingReport> DecodePingIs(const QString &message);

// CHAT, both ways: the text runs from the first "TEXT=" to the end of the datagram, ";" and "="
// included; "" when there is none.
struct ChatLine {
    QString name;
    QString text;
    friend bool operator==(const ChatLine &, const ChatLine &) = default;
};
std::optional<ChatLine> DecodeChat(const QString &message);

// TIME as the server answers it.
struct TimeOfDay {
    QString time;
    QString date;
    friend bool operator==(const TimeOfDay &, const TimeOfDay &) = default;
};
std::optional<TimeOfDay> DecodeTime(const QString &message);

// STARTGAME: the start article as its own field, and the round's words as DecodeWords reads them
// (nothing when they cannot be read; the round starts all the same).
struct RoundStart {
    QString start;
    std::optional<QStringList> words;
    friend bool operator==(const RoundStart &, const RoundStart &) = default;
};
std::optional<RoundStart> DecodeStartGame(const QString &message);

// SETRANDOM: which word was drawn ("1" the start, "2" the destination, anything else neither) and
// the article's title.
struct RandomWord {
    QString source;
    QString title;
    friend bool operator==(const RandomWord &, const RandomWord &) = default;
};
std::optional<RandomWord> DecodeSetRandom(const QString &message);

// NAVIGATE (the page a player reports, or the page the server sends a client to) and DISQUALIFY
// (the page that took the player out): one page value.
struct PageValue {
    Verb verb = Verb::Unknown;
    QString page;
    friend bool operator==(const PageValue &, const PageValue &) = default;
};
std::optional<PageValue> DecodePageValue(const QString &message);

// PATHIS and SENDMYPATH: a player and a route, its pages each ended by a carriage return but the
// last.
struct Route {
    QString name;
    QString route;
    // The route as players read it: the pages with " --> " between them.
    QString Shown() const;
    friend bool operator==(const Route &, const Route &) = default;
};
std::optional<Route> DecodeRoute(const QString &message);

// STATUS as the server answers it. The count stays text: a list shows it as it came, and an empty
// one means the answer is no server's.
struct ServerStatus {
    QString version;
    QString count;
    QString server;
    friend bool operator==(const ServerStatus &, const ServerStatus &) = default;
};
std::optional<ServerStatus> DecodeStatusReply(const QString &message);

// ---- a round's results, which the server sends when a round ends ----

// How a player's round ended. On the wire: "first", "finished", "racing", "gaveup", "out". Racing
// is a player still on the way when the round ended; Finished one who arrived after the first
// (this server ends a round at its first arrival, so it never sends it).
enum class Outcome { First, Finished, Racing, GaveUp, Out };
QLatin1String OutcomeWord(Outcome outcome);

// The reason of a player who left the game, or was dropped from it, during the round.
inline const QString kReasonLeft = QStringLiteral("left");

// RESULT: one player's round.
struct PlayerResult {
    qint32 round = 0; // the server's count of started rounds
    QString name;
    Outcome outcome = Outcome::Racing;
    // When Out: the page-kind word that took the player out ("talk", "nowiki", ...) or kReasonLeft;
    // else "".
    QString reason;
    // From the round's start to the player's last report (the win, the page that took them out,
    // giving up, leaving).
    qint32 milliseconds = 0;
    qint32 clicks = 0;
    QStringList route; // the pages reported in the round, the start article first
    friend bool operator==(const PlayerResult &, const PlayerResult &) = default;
};
// The fields are read in order, each after the one before, so a key's text inside a name is never
// read as that key; the route runs to the end of the datagram. No value when ROUND, MS or CLICKS
// is no number or OUTCOME is none of the words.
std::optional<PlayerResult> DecodeResult(const QString &message);

// A result's reason in plain words: "opened a Talk page", "left the game"; "" for no reason.
QString ReasonInWords(const QString &reason);

// SHORTEST: one shortest route of the round, start and destination included.
struct ShortestRoute {
    qint32 round = 0;
    qint32 clicks = 0;
    QStringList route;
    friend bool operator==(const ShortestRoute &, const ShortestRoute &) = default;
};
// Read like RESULT. No value when ROUND or CLICKS is no number.
std::optional<ShortestRoute> DecodeShortest(const QString &message);

// PAR: how many clicks a shortest route of the round takes. No value when CLICKS is no number.
std::optional<qint32> DecodePar(const QString &message);

// BYE: why the server is about to disconnect a player. On the wire: "stopped", "banned", "silent".
enum class ByeReason { Stopped, Banned, Silent };
QLatin1String ByeWord(ByeReason reason);
// No value for any other word.
std::optional<ByeReason> DecodeBye(const QString &message);

// Where RESULT and SHORTEST shorten a route that would not fit one datagram: in the middle, keeping
// as many pages from both ends as fit (the first and last at least), with this one page standing for
// what was left out.
inline const QString kLeftOut = QStringLiteral("\u2026");

} // namespace msg
