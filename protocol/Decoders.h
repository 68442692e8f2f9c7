#pragma once

#include "protocol/Protocol.h"

#include <QString>
#include <QStringList>
#include <optional>

// Readers of the messages with several or repeated fields, and the bounds those fields keep.
// Each reader reads its message with GetValue (or GetValueFrom, where noted) and gives no value
// for another verb.
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

} // namespace msg
