#pragma once

#include "client/ModData.h"
#include "common/WaitFor.h"
#include "protocol/Protocol.h"
#include "settings/Options.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <functional>

// Plays a game server over real UDP on loopback, on a free port: it records each datagram and
// answers the sender with whatever the script returns.
class UdpPeer : public QObject
{
public:
    UdpPeer()
    {
        m_socket.bind(QHostAddress::LocalHost, 0);
        connect(&m_socket, &QUdpSocket::readyRead, this, [this] {
            while (m_socket.hasPendingDatagrams()) {
                const QNetworkDatagram d = m_socket.receiveDatagram();
                const QString text = QString::fromUtf8(d.data());
                received << text;
                lastSender = d.senderPort();
                if (script) {
                    for (const QString &reply : script(text))
                        m_socket.writeDatagram(reply.toUtf8(), d.senderAddress(), d.senderPort());
                }
            }
        });
    }
    quint16 Port() const { return m_socket.localPort(); }
    void SendTo(quint16 port, const QString &text)
    {
        m_socket.writeDatagram(text.toUtf8(), QHostAddress::LocalHost, port);
    }

    QStringList received;
    quint16 lastSender = 0;
    std::function<QStringList(const QString &)> script;

private:
    QUdpSocket m_socket;
};

// The first of 21 ports in a row that are free now, away from the game's fixed ports.
inline quint16 FreePortRange()
{
    for (quint16 base = 41000; base < 60000; base += 50) {
        bool free = true;
        for (quint16 p = base; p < base + 21 && free; ++p) {
            QUdpSocket probe;
            free = probe.bind(QHostAddress::AnyIPv4, p);
        }
        if (free)
            return base;
    }
    return 0;
}

// A fresh settings folder and a fresh modData for each test.
class CleanClientState
{
public:
    CleanClientState()
    {
        modOptions::SetOptionsDirectory(m_dir.path());
        modData.ResetAll();
    }
    ~CleanClientState() { modData.ResetAll(); }
    QString Path() const { return m_dir.path(); }
    ModData modData;

private:
    QTemporaryDir m_dir;
};
