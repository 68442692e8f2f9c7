#include "server/PlayerTable.h"

#include "protocol/Names.h"
#include "protocol/Protocol.h"

qint32 PlayerTable::AddPlayer(const QString &name, const QString &address, const QString &port)
{
    const QStringView joining = names::WithoutTrailingBlanks(name);
    qint32 fromAddress = 0;
    for (const PlayerRecord &record : m_players) {
        if (record.Banned && record.Address == address)
            return AddressBanned;
        if (names::SameIgnoringCase(names::WithoutTrailingBlanks(record.Name), joining))
            return record.Banned ? NameBanned : NameInUse;
        fromAddress += record.Address == address;
    }
    if (fromAddress >= kMaxPlayersPerAddress)
        return AddressFull;
    PlayerRecord record;
    record.Name = name;
    record.Address = address;
    record.Port = ParseNumber(port).value_or(0);
    record.Id = m_nextId++;
    m_players.append(record);
    return PlayerCount();
}

qint32 PlayerTable::AddBot(const QString &name)
{
    const QStringView joining = names::WithoutTrailingBlanks(name);
    for (const PlayerRecord &record : m_players) {
        if (names::SameIgnoringCase(names::WithoutTrailingBlanks(record.Name), joining))
            return record.Banned ? NameBanned : NameInUse;
    }
    PlayerRecord record;
    record.Name = name;
    record.Bot = true;
    record.Id = m_nextId++;
    m_players.append(record);
    return PlayerCount();
}

qint32 PlayerTable::FindForRemoval(const QString &name) const
{
    for (qsizetype i = 0; i < m_players.size(); ++i) {
        if (names::SameIgnoringCase(m_players[i].Name, name))
            return static_cast<qint32>(i + 1);
    }
    return 0;
}

void PlayerTable::RemovePlayer(const QString &name)
{
    const qint32 index = FindForRemoval(name);
    if (index > 0)
        m_players.removeAt(index - 1);
}

qint32 PlayerTable::FindPlayer(const QString &name) const
{
    for (qsizetype i = 0; i < m_players.size(); ++i) {
        if (m_players[i].Name == name)
            return static_cast<qint32>(i + 1);
    }
    return 0;
}

qint32 PlayerTable::FindById(quint64 id) const
{
    for (qsizetype i = 0; i < m_players.size(); ++i) {
        if (m_players[i].Id == id)
            return static_cast<qint32>(i + 1);
    }
    return 0;
}
