#pragma once

#include "protocol/Protocol.h"

#include <QObject>
#include <QStringList>
#include <memory>

class DatagramSocket;
class Dialogs;
class ModData;
class SocketFactory;

// The server browser without widgets: the known servers from the settings, one STATUS query per
// tick, the answers as "address (count)", and the Join that remembers the chosen server.
class ServerBrowser : public QObject
{
    Q_OBJECT
public:
    ServerBrowser(ModData &modData, SocketFactory &sockets, Dialogs &dialogs, quint16 serverPort = kGamePort,
                  quint16 firstLocalPort = kFirstClientPort, QObject *parent = nullptr);
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

    // One datagram on wsFind.
    void HandleAnswer(const QString &datagram);
    const QStringList &Active() const { return m_active; }
    // Answers listed at most; a flood of status answers cannot grow the list without end.
    static constexpr qsizetype kMaxAnswers = 1000;

    // The item of the known-server list that an answer entry stands for, -1 when none.
    int ItemForActiveEntry(const QString &entry) const;

    // Join with the text line T. False (nothing done) for a blank address; otherwise the
    // settings are saved, ChosenServer is T and the dialog closes.
    bool Join(const QString &text);
    // Cancel or close box: no server chosen.
    void Cancel();

signals:
    void StatusChanged(const QString &text);
    void ActiveAdded(const QString &entry);
    // No local port was free and the player has closed the box that says so: the program ends.
    void FatalExit();

private:
    void setStatus(const QString &text);

    ModData &modData;
    SocketFactory &m_sockets;
    Dialogs &m_dialogs;
    quint16 m_serverPort;
    quint16 m_firstLocalPort;
    std::unique_ptr<DatagramSocket> m_find; // wsFind
    QStringList m_items;
    QString m_loadedText;
    int m_loadedSelection = -1;
    qint32 m_searchIndex = 0;
    QStringList m_active;
    QString m_status;
};
