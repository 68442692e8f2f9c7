#pragma once

#include <QObject>
#include <QString>
#include <memory>

// A UDP socket as the game windows use it: bind a port, aim at a host and port, send one text
// per datagram, and read each arriving datagram whole inside DataArrival.
class DatagramSocket : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~DatagramSocket() override = default;

    // Binds a local UDP port; false when the port is taken or cannot be bound (ErrorString says why).
    virtual bool Bind(quint16 port) = 0;
    // Port given as decimal text, as the client keeps it; non-numbers fail like a taken port.
    bool Bind(const QString &port);
    virtual quint16 LocalPort() const = 0;

    void SetRemoteHost(const QString &host) { m_remoteHost = host; }
    void SetRemotePort(quint16 port) { m_remotePort = port; }
    QString RemoteHost() const { return m_remoteHost; }
    // The port the next SendData goes to (RemotePort reads the sender's port inside DataArrival).
    quint16 DestinationPort() const { return m_remotePort; }

    // Sends the whole text as one datagram to RemoteHost:RemotePort. Fire and forget.
    void SendData(const QString &text) { SendBytes(text.toUtf8()); }
    // The same with the text already in UTF-8, so that a broadcast encodes it once for everybody.
    virtual void SendBytes(const QByteArray &utf8) = 0;
    void SendTo(const QString &host, quint16 port, const QString &text) { SendTo(host, port, text.toUtf8()); }
    void SendTo(const QString &host, quint16 port, const QByteArray &utf8)
    {
        SetRemoteHost(host);
        SetRemotePort(port);
        SendBytes(utf8);
    }

    // Inside DataArrival: the datagram being handled, its sender's address and source port.
    // Received carries the same as values, which stay right whatever runs in the handler.
    virtual QString GetData() = 0;
    QString RemoteHostIP() const { return m_senderAddress; }
    quint16 RemotePort() const { return m_arrival ? m_senderPort : m_remotePort; }

    // This machine's first non-loopback IPv4 address, loopback when there is none.
    virtual QString LocalIP() const = 0;
    // True for any address of this machine, loopback included: a datagram sent there at this
    // socket's own port would come back to this very socket.
    virtual bool IsOwnAddress(const QString &address) const = 0;
    // Nonzero while the socket is open.
    virtual int State() const = 0;
    virtual void Close() = 0;
    virtual QString ErrorString() const = 0;

signals:
    // One datagram, whole, with where it came from.
    void Received(const QString &text, const QString &senderAddress, quint16 senderPort);
    void DataArrival(int bytesTotal);
    void Error(int number, const QString &description);

protected:
    // Implementations call this around emitting DataArrival for one datagram.
    void beginArrival(const QString &senderAddress, quint16 senderPort)
    {
        m_senderAddress = senderAddress;
        m_senderPort = senderPort;
        m_arrival = true;
    }
    void endArrival() { m_arrival = false; }

private:
    QString m_remoteHost;
    quint16 m_remotePort = 0;
    QString m_senderAddress;
    quint16 m_senderPort = 0;
    bool m_arrival = false;
};

// Creates sockets, so cores can make their own (the port probe, a window's socket) in tests too.
class SocketFactory
{
public:
    virtual ~SocketFactory() = default;
    virtual std::unique_ptr<DatagramSocket> CreateSocket() = 0;
};
