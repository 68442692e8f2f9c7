#pragma once

#include "protocol/Protocol.h"

#include <QList>
#include <QString>

// One record per connected player, in the order they joined.
struct PlayerRecord {
    QString Name;
    qint32 Wins = 0;
    qint32 Clicks = 0;
    qint32 RoundClicks = 0;
    qint32 Ping = 0;
    QString InGame = QStringLiteral("yes");
    qint32 Inactive = 0;
    QString Address;
    qint32 Port = 0;
    QString LastPage;
    bool Banned = false;
    // Tells a record from a later one of the same name (an operator's answer must reach the
    // player it asked about, not a newcomer who took the name while the box was open).
    quint64 Id = 0;
    // A bot of the server: no address, nothing is sent to it, never silent.
    bool Bot = false;
};

// The player table. Indexes run from 1 to PlayerCount(); Players(1) is the oldest record.
class PlayerTable
{
public:
    // A client takes one of the client ports, so one machine runs at most this many clients.
    static constexpr qint32 kMaxPlayersPerAddress = kClientPortCount;

    // Appends a record and returns its index, or a negative RejectCode.
    // Names are compared ignoring case and trailing blanks; a banned address refuses any name.
    qint32 AddPlayer(const QString &name, const QString &address, const QString &port);
    // Appends a bot's record under the same name rule; it takes none of an address's places.
    qint32 AddBot(const QString &name);
    // Removes the first record whose name matches ignoring case (blanks are significant).
    void RemovePlayer(const QString &name);
    // Index of the first record whose name matches exactly; 0 when there is none.
    qint32 FindPlayer(const QString &name) const;

    qint32 PlayerCount() const { return static_cast<qint32>(m_players.size()); }
    PlayerRecord &Players(qint32 index) { return m_players[index - 1]; }
    const PlayerRecord &Players(qint32 index) const { return m_players[index - 1]; }
    bool IsValidIndex(qint32 index) const { return index >= 1 && index <= PlayerCount(); }
    void Clear() { m_players.clear(); }

    // The index RemovePlayer(name) would remove, 0 when none.
    qint32 FindForRemoval(const QString &name) const;
    // Index of the record with that Id; 0 when it has left.
    qint32 FindById(quint64 id) const;

private:
    QList<PlayerRecord> m_players;
    quint64 m_nextId = 1;
};
