#pragma once

#include "protocol/Decoders.h"
#include "protocol/Protocol.h"

#include <QList>
#include <QString>
#include <QStringList>

class DatagramSocket;
class SocketFactory;

// One entry of the client's player list.
struct PlayerInfo {
    QString Name;
    qint32 Wins = 0;
    qint32 Clicks = 0;
    qint32 RoundClicks = 0;
    qint32 Ping = 0;
    QString InGame = QStringLiteral("yes");
};

// The player list, indexed from 1 to PlayerCount like the rest of the game's lists.
class PlayerArray
{
public:
    // An index outside 1..PlayerCount reads and writes a blank scratch entry instead of memory
    // that is not there; callers look players up with FindPlayer and skip index 0.
    PlayerInfo &operator[](qint32 index);
    const PlayerInfo &operator[](qint32 index) const;
    // Number of entries actually held; kept equal to PlayerCount by AddPlayer and RemovePlayer.
    qint32 Size() const { return static_cast<qint32>(m_entries.size()); }
    void Clear() { m_entries.clear(); }

private:
    friend class ModData;
    QList<PlayerInfo> m_entries; // entry i of the game lives at m_entries[i - 1]
    mutable PlayerInfo m_scratch;
};

// State that several client windows share: one object, made by the program's main and handed to
// every window and core that reads or writes it. Never saved.
class ModData
{
public:
    // Everybody in the game, the local player included, in the server's order and then by later joins.
    PlayerArray Players;
    qint32 PlayerCount = 0;
    // A server lists at most this many players; JOINs beyond it (from a broken or hostile peer) are not kept.
    static constexpr qint32 kMaxPlayers = msg::kMaxPlayers;

    // Words of the round: index 0 is the start article, Words[TargetIndex] the destination.
    QStringList Words;
    qint32 TargetIndex = 0;
    // True from STARTGAME until the round's WINNER or NEWGAME; pages are reported only then.
    bool InRound = false;
    // The player who chooses the next words (from NEWGAME).
    QString Chooser;

    // The game server's address exactly as typed or picked; remote host of every datagram.
    QString ServerHost;
    // The address the server's CONNECTACCEPT came from, as the socket reported it. The server sends
    // everything from that address, so the game window hears nobody else; empty: not known, hear all.
    QString ServerIP;
    // The local player's name as sent in CONNECT.
    QString PlayerName;
    // Title (or page-kind word) of the page the game browser shows.
    QString CurrentPage;
    // Pages visited in this round, each followed by a carriage return.
    QString Route;
    // The client's own UDP port as decimal text, "-1" when none could be found.
    QString OwnPort;
    // The server said a round was running when this player joined.
    bool JoinedMidRound = false;
    // Result of the server browser or the host dialog; empty when cancelled.
    QString ChosenServer;

    // Handed over by the start window to the game windows when the handshake completes.
    // The server named this player the chooser of the first words (ISHOST).
    bool IsHost = false;
    // The server's welcome text from MESSAGE; shown in the chat under "GAME" when not empty.
    QString WelcomeText;
    // Who chooses the next words, as the server tells a player who joins between rounds (TURN).
    QString Turn;

    // Adds a player unless one with the same name (ignoring letter case) is listed.
    void AddPlayer(const QString &name);
    // Removes the player whose name matches ignoring letter case; later entries move up one index.
    void RemovePlayer(const QString &name);
    // Index 1..PlayerCount of the player with exactly this name (case-sensitive), 0 when none.
    qint32 FindPlayer(const QString &name) const;
    // Clears the round: Words = one empty word, TargetIndex 0, InRound false, Chooser empty.
    void ResetRound();
    // Puts every value back to its start-of-program state.
    void ResetAll() { *this = ModData(); }

    // Ports a client may use, tried in ascending order.
    static constexpr quint16 kFirstLocalPort = kFirstClientPort;
    static constexpr int kLocalPortCount = kClientPortCount;
};

// The first port of firstPort..firstPort+20 that the probe socket can bind, as decimal text,
// or "-1". The probe is closed again before returning, so the caller can bind the port at once.
QString FindLocalPort(DatagramSocket &probe, quint16 firstPort = ModData::kFirstLocalPort);
// The same with a probe socket made for the purpose and discarded afterwards.
QString FindLocalPort(SocketFactory &factory, quint16 firstPort = ModData::kFirstLocalPort);
