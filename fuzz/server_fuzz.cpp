// The game server's core under fuzzed datagrams: three joined players, strangers, this machine's
// loopback and a second server on the same network send whatever the input says, and the
// server's tick and its random-article page come in between.
//
// Selectors (first byte of a step): 1-3 the joined players Ann, Bob, Cy; 4 another port of Ann's
// machine; 5 loopback on the server's machine; 6 a second server's game port; 7 the 2-second
// tick; 8 the operator, by the text's first character: "b" + name asks to ban (or unban) that
// listed player and says yes, "p" + text sets the password, "w" + text the welcome text, "s"
// stops and starts the server again; anything else lets the random article finish loading.
// Without a selector the step comes from Ann.

#include "FuzzSupport.h"

#include "fakes/FakeNetwork.h"
#include "fakes/ManualClock.h"
#include "fakes/ScriptedBrowser.h"
#include "protocol/Messages.h"
#include "protocol/Protocol.h"
#include "protocol/Version.h"
#include "server/GameServer.h"

#include <QHash>
#include <array>
#include <memory>

namespace
{

const char *const kTarget = "server";
const QString kServerAddress = QStringLiteral("10.0.0.1");
const QString kOtherServerAddress = QStringLiteral("10.0.0.9");
// A step handles a few hundred datagrams at most; far more means datagrams answer each other.
constexpr int kDeliveryLimit = 20000;

struct Sender {
    const char *address;
    quint16 port;
    const char *name; // joined before the input runs; nullptr: never joined
};
constexpr std::array<Sender, 5> kPeers = {{
    {"10.0.0.2", 7201, "Ann"},
    {"10.0.0.3", 7202, "Bob"},
    {"10.0.0.4", 7203, "Cy"},
    {"10.0.0.2", 7204, nullptr},
    {"127.0.0.1", 7201, nullptr},
}};

struct World {
    World()
    {
        socket = net.CreateSocket(kServerAddress);
        server = std::make_unique<GameServer>(*socket, browser, clock);
        browser.SetAutoLoad(false);
        browser.SetPage(server->RandomArticleUrl(),
                        QStringLiteral("Zebra - Wikipedia, the free encyclopedia"));
        server->Start(GameServer::kGamePort);

        otherSocket = net.CreateSocket(kOtherServerAddress);
        other = std::make_unique<GameServer>(*otherSocket, otherBrowser, otherClock);
        other->Start(GameServer::kGamePort);

        for (const Sender &s : kPeers) {
            peers.push_back(net.CreateSocket(QString::fromLatin1(s.address)));
            peers.back()->Bind(s.port);
        }
        for (size_t i = 0; i < kPeers.size(); ++i) {
            if (kPeers[i].name)
                send(*peers[i], msg::Connect(modVersion::Version, QString::fromLatin1(kPeers[i].name),
                                             QString::number(kPeers[i].port), QString()));
        }
        deliver();
    }

    void send(DatagramSocket &from, const QString &text)
    {
        from.SendTo(kServerAddress, GameServer::kGamePort, text);
    }

    // Delivers everything and checks what was sent on the way.
    void deliver()
    {
        const int delivered = net.Deliver(kDeliveryLimit);
        fuzz::Require(
            delivered < kDeliveryLimit, kTarget,
            QStringLiteral("datagrams keep answering each other (%1 delivered for one step)").arg(delivered));
        for (const Datagram &d : net.Sent()) {
            if (d.fromPort == GameServer::kGamePort)
                fuzz::RequireFits(kTarget, d.text, d.fromAddress + QStringLiteral(" (server)"));
        }
        net.ClearSent();
        for (const GameServer *s : {server.get(), other.get()})
            fuzz::Require(s->Players().PlayerCount() <= GameServer::kMaxPlayers, kTarget,
                          QStringLiteral("the table holds %1 players").arg(s->Players().PlayerCount()));
    }

    void step(const fuzz::Step &s)
    {
        switch (s.selector) {
        case 7:
            clock.Advance(2000);
            server->InactivityTick();
            break;
        case 8:
            operate(s.text);
            break;
        case 6:
            send(*otherSocket, s.text);
            break;
        default:
            send(*peers[size_t(s.selector == 0 ? 0 : s.selector - 1)], s.text);
            break;
        }
        deliver();
    }

    void operate(const QString &command)
    {
        const QString rest = command.mid(1);
        switch (command.isEmpty() ? u'\0' : command[0].unicode()) {
        case u'b':
            if (const auto question = server->AskBan(rest))
                server->ApplyBan(*question, true);
            break;
        case u'p':
            server->SetPassword(rest);
            break;
        case u'w':
            server->SetWelcomeTemplate(rest);
            break;
        case u's':
            server->Stop();
            server->Start(GameServer::kGamePort);
            break;
        default:
            browser.FinishLoad();
            break;
        }
    }

    // Whoever else is on the network, a server browser's STATUS still gets its answer.
    void requireStatusAnswered(const QString &address, const QString &label)
    {
        auto probe = net.CreateSocket(QStringLiteral("10.0.0.8"));
        probe->Bind(quint16(7210));
        QStringList heard;
        QObject::connect(probe.get(), &DatagramSocket::DataArrival, probe.get(),
                         [&heard, &probe](int) { heard << probe->GetData(); });
        probe->SendTo(address, GameServer::kGamePort,
                      msg::Status(QStringLiteral("probe"), QStringLiteral("7210")));
        deliver();
        bool answered = false;
        for (const QString &h : heard)
            answered = answered || (h.startsWith(QLatin1String("STATUS VER=")) &&
                                    GetValue(h, QStringLiteral("SERVER")) == QLatin1String("probe"));
        fuzz::Require(answered, kTarget, label + QStringLiteral(" no longer answers STATUS"));
    }

    // No machine holds more places than it has client ports, and no two records carry names that
    // a client takes for one (its LEAVE would then take the wrong player off the lists).
    void requireFairTable()
    {
        const PlayerTable &table = server->Players();
        QStringList names;
        QHash<QString, qint32> perAddress;
        for (qint32 i = 1; i <= table.PlayerCount(); ++i) {
            names << table.Players(i).Name;
            const qint32 places = ++perAddress[table.Players(i).Address];
            fuzz::Require(places <= PlayerTable::kMaxPlayersPerAddress, kTarget,
                          QStringLiteral("%1 holds %2 places").arg(table.Players(i).Address).arg(places));
        }
        fuzz::RequireDistinctNames(kTarget, names, QStringLiteral("the table"));
    }

    FakeNetwork net;
    std::unique_ptr<FakeSocket> socket;
    ScriptedBrowser browser;
    ManualClock clock;
    std::unique_ptr<GameServer> server;
    std::unique_ptr<FakeSocket> otherSocket;
    ScriptedBrowser otherBrowser;
    ManualClock otherClock;
    std::unique_ptr<GameServer> other;
    std::vector<std::unique_ptr<FakeSocket>> peers;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::EnsureApplication();
    World world;
    for (const fuzz::Step &s : fuzz::Split(data, size))
        world.step(s);
    world.requireFairTable();
    world.requireStatusAnswered(kServerAddress, QStringLiteral("the server"));
    world.requireStatusAnswered(kOtherServerAddress, QStringLiteral("the second server"));
    return 0;
}
