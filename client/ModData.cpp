#include "client/ModData.h"

#include "platform/DatagramSocket.h"
#include "protocol/Names.h"

#include <QtDebug>

PlayerInfo &PlayerArray::operator[](qint32 index)
{
    if (index >= 1 && index <= m_entries.size())
        return m_entries[index - 1];
    qWarning("Players: index %d outside 1..%d", index, int(m_entries.size()));
    m_scratch = PlayerInfo();
    return m_scratch;
}

const PlayerInfo &PlayerArray::operator[](qint32 index) const
{
    if (index >= 1 && index <= m_entries.size())
        return m_entries[index - 1];
    qWarning("Players: index %d outside 1..%d", index, int(m_entries.size()));
    m_scratch = PlayerInfo();
    return m_scratch;
}

void ModData::AddPlayer(const QString &name)
{
    for (qint32 i = 1; i <= PlayerCount; ++i) {
        if (names::SameIgnoringCase(Players[i].Name, name))
            return;
    }
    if (PlayerCount >= kMaxPlayers)
        return;
    PlayerInfo entry;
    entry.Name = name;
    Players.m_entries.append(entry);
    PlayerCount = Players.Size();
}

void ModData::RemovePlayer(const QString &name)
{
    for (qint32 i = 1; i <= PlayerCount; ++i) {
        if (names::SameIgnoringCase(Players[i].Name, name)) {
            Players.m_entries.removeAt(i - 1);
            PlayerCount = Players.Size();
            return;
        }
    }
}

qint32 ModData::FindPlayer(const QString &name) const
{
    for (qint32 i = 1; i <= PlayerCount; ++i) {
        if (Players[i].Name == name)
            return i;
    }
    return 0;
}

void ModData::ResetRound()
{
    Words = QStringList{QString()};
    TargetIndex = 0;
    InRound = false;
    Chooser.clear();
}

QString FindLocalPort(DatagramSocket &probe, quint16 firstPort)
{
    for (int attempt = 0; attempt < ModData::kLocalPortCount; ++attempt) {
        const int port = firstPort + attempt;
        if (port > 65535)
            break;
        if (probe.State() != 0)
            probe.Close();
        const bool bound = probe.Bind(static_cast<quint16>(port));
        // Free the port again whatever happened, so the caller's own socket can take it.
        if (probe.State() != 0)
            probe.Close();
        if (bound)
            return QString::number(port);
    }
    return QStringLiteral("-1");
}

QString FindLocalPort(SocketFactory &factory, quint16 firstPort)
{
    const auto probe = factory.CreateSocket();
    return FindLocalPort(*probe, firstPort);
}
