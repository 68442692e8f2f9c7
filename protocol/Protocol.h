#pragma once

#include <QString>
#include <optional>

// The most a datagram carries (UDP over IPv4). Nothing either program sends may be longer, as
// UTF-8 bytes: a longer message would be lost on the way without a trace.
inline constexpr qsizetype kMaxDatagramBytes = 65507;

// The server's game port, and the ports a client takes: the first free one of 7200..7220.
inline constexpr quint16 kGamePort = 7200;
inline constexpr quint16 kFirstClientPort = 7200;
inline constexpr int kClientPortCount = 21;

// True when the text, as UTF-8, fits one datagram.
bool FitsDatagram(const QString &message);

// Reading of one message: "VERB key=value;key=value;".
// The reader takes the first match anywhere in the text, the verb included,
// and nothing is escaped; peers rely on exactly this behaviour.

// The verb: everything before the first blank, or the whole message when it has none.
QString GetVerb(const QString &message);

// The value of `key`: the text after the first "key=" up to the next ";".
// "" when the key is missing, has no closing ";", or the value is empty.
QString GetValue(const QString &message, const QString &key);

// The value of `key` in the part of the message from `from` on; *end is set just past the value's
// ";" (left alone when the key is missing). Reading fields one after another this way, a key's
// text inside an earlier value is never taken for that key.
QString GetValueFrom(const QString &message, const QString &key, qsizetype from, qsizetype *end);

// A number field: decimal digits with an optional sign and optional blanks around,
// within signed 32-bit range. Anything else gives no value, which fails the handler.
std::optional<qint32> ParseNumber(const QString &text);

// Convenience: GetValue followed by ParseNumber.
std::optional<qint32> GetNumber(const QString &message, const QString &key);

// A port field: a number (as ParseNumber reads it) in 1..65535.
std::optional<quint16> ParsePort(const QString &text);

// Why a CONNECT was refused, sent as the number in "CONNECTREJECT ERROR=". The values are the
// ones the table returns instead of an index, so they compare with it directly.
enum RejectCode : qint32 {
    NameInUse = -10,
    NameBanned = -11,
    // The address holds as many players as one machine has game ports: one machine alone can
    // never fill the table and lock everybody else out.
    AddressFull = -20,
    AddressBanned = -21,
    WrongPassword = -100,
};
