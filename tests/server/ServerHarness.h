#pragma once

#include "common/QtPrinting.h"

#include "fakes/FakeNetwork.h"
#include "fakes/ManualClock.h"
#include "fakes/ScriptedBrowser.h"
#include "protocol/Messages.h"
#include "protocol/Protocol.h"
#include "protocol/Version.h"
#include "server/GameServer.h"

#include <QObject>
#include <deque>
#include <memory>
#include <ostream>

// A player's machine on the fake network: one socket that keeps everything it hears.
struct Peer {
    Peer(FakeNetwork &net, const QString &address, quint16 port, QString playerName)
        : socket(net.CreateSocket(address)), name(std::move(playerName))
    {
        socket->Bind(port);
        QObject::connect(socket.get(), &DatagramSocket::DataArrival, socket.get(),
                         [this](int) { got << socket->GetData(); });
    }
    void send(const QString &text) { socket->SendTo(QStringLiteral("10.0.0.1"), 7200, text); }
    QString port() const { return QString::number(socket->LocalPort()); }
    QString address() const { return socket->Address(); }
    QString connect(const QString &password = {}) const
    {
        return msg::Connect(modVersion::Version, name, port(), password);
    }
    QStringList take()
    {
        QStringList out = got;
        got.clear();
        return out;
    }

    std::unique_ptr<FakeSocket> socket;
    QString name;
    QStringList got;
};

// The core server on 10.0.0.1:7200 of a fake network, with a scripted browser and a manual clock.
struct ServerHarness {
    ServerHarness()
    {
        serverSocket = net.CreateSocket(QStringLiteral("10.0.0.1"));
        server = std::make_unique<GameServer>(*serverSocket, browser, clock);
        server->Start(7200);
    }

    // A peer that has not joined yet.
    Peer &peer(const QString &name, const QString &address, quint16 port)
    {
        peers.emplace_back(std::make_unique<Peer>(net, address, port, name));
        return *peers.back();
    }
    // A peer that joined; everything it heard so far is discarded, and so is what the others heard.
    Peer &join(const QString &name, const QString &address = QStringLiteral("10.0.0.2"), quint16 port = 0)
    {
        Peer &p = peer(name, address, port ? port : quint16(7201 + peers.size()));
        p.send(p.connect(password));
        deliver();
        for (auto &other : peers)
            other->got.clear();
        return p;
    }
    void deliver() { net.Deliver(); }
    // Sends one datagram from the peer and delivers everything that follows.
    void say(Peer &p, const QString &text)
    {
        p.send(text);
        deliver();
    }
    QStringList tableNames() const
    {
        QStringList out;
        for (qint32 i = 1; i <= server->Players().PlayerCount(); ++i)
            out << server->Players().Players(i).Name;
        return out;
    }

    FakeNetwork net;
    std::unique_ptr<FakeSocket> serverSocket;
    ScriptedBrowser browser;
    ManualClock clock;
    std::unique_ptr<GameServer> server;
    QString password;
    std::deque<std::unique_ptr<Peer>> peers;
};
