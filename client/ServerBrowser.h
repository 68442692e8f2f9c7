#pragma once

#include "protocol/Protocol.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <memory>

class DatagramSocket;
class Dialogs;
class LocalNetwork;
class ModData;
class SocketFactory;

// The server browser without widgets: the known servers from the settings, one STATUS query per
// tick, a STATUS to every local network every few seconds, the answers as "address (count)", and
// the Join that remembers the chosen server.
class ServerBrowser : public QObject
{
    Q_OBJECT
public:
    ServerBrowser(ModData &modData, SocketFactory &sockets, Dialogs &dialogs, LocalNetwork &network,
                  quint16 serverPort = kGamePort, quint16 firstLocalPort = kFirstClientPort,
                  QObject *parent = nullptr);
    ~ServerBrowser() override;

    // Reads "Servers" and "LastServer", finds and binds the own port (OwnPort). False when no
    // port was free: the critical message is shown, and FatalExit follows once it is closed.
    bool Load();

    // The known servers as listed, the text line at load, and the item selected at load (-1: none).
    const QStringList &Items() const { return m_items; }
    QString LoadedText() const { return m_loadedText; }
    int LoadedSelection() const { return m_loadedSelection; }

    // One tmrSearch tick. False once every server has been asked: the timer stops for good.
    bool Tick();
    qint32 SearchIndex() const { return m_searchIndex; }
    QString Status() const { return m_status; }

    // One STATUS to the broadcast address of each network this machine is on, so that servers
    // nobody typed answer too. The window repeats it while it is open: servers come and go.
    void Broadcast();
    static constexpr int kBroadcastIntervalMs = 3000;

    // One datagram on wsFind, from the given sender address.
    void HandleAnswer(const QString &datagram, const QString &senderAddress = QString());
    const QStringList &Active() const { return m_active; }
    // Answers listed at most; a flood of status answers cannot grow the list without end.
    static constexpr qsizetype kMaxAnswers = 1000;

    // The item of the known-server list that an answer entry stands for, -1 when none.
    int ItemForActiveEntry(const QString &entry) const;
    // For an entry of a server found on a local network, the address that choosing it puts into
    // the address line; empty for the answers of known servers, which only select their item.
    QString FoundAddress(int row) const;
    // The entry as a screen reader says it: "10.0.0.5, 3 players".
    QString SpokenEntry(int row) const;
    // Whether the entry's server answered a broadcast.
    bool FoundOnNetwork(int row) const;

    // Join with the text line T. False (nothing done) for a blank address; otherwise the
    // settings are saved, ChosenServer is T and the dialog closes.
    bool Join(const QString &text);
    // Cancel or close box: no server chosen.
    void Cancel();

signals:
    void StatusChanged(const QString &text);
    void ActiveAdded(const QString &entry);
    // A listed server answered again with another count.
    void ActiveChanged(int row, const QString &entry);
    // No local port was free and the player has closed the box that says so: the program ends.
    void FatalExit();

private:
    void setStatus(const QString &text);
    int foundRow(const QString &address, bool anyEntry) const;

    ModData &modData;
    SocketFactory &m_sockets;
    Dialogs &m_dialogs;
    LocalNetwork &m_network;
    quint16 m_serverPort;
    quint16 m_firstLocalPort;
    std::unique_ptr<DatagramSocket> m_find; // wsFind
    QStringList m_items;
    QString m_loadedText;
    int m_loadedSelection = -1;
    qint32 m_searchIndex = 0;
    QStringList m_active;
    // Parallel to m_active: what each entry was made of.
    struct Listed {
        QString address;
        QString count;
        bool found = false; // its server answered a broadcast
    };
    QList<Listed> m_listed;
    // Broadcast addresses asked so far; an answer naming one came from a server nobody typed.
    QSet<QString> m_broadcasts;
    QString m_status;
};
