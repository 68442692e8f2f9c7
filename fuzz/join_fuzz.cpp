// The start window's joining handshake under fuzzed replies: Ann joins the server 10.0.0.5 and
// the server (or anybody else) answers whatever the input says.
//
// Selectors (first byte of a step): 1 a datagram from the server's game port; 2 from a stranger's
// game port; 3 from the server's machine but another port; 4 the handshake timer fires; 5 the
// player will type the text when asked for a password; 6 the player presses Join again with the
// text as name. Without a selector the step comes from the server's game port.

#include "ClientChecks.h"

#include "client/JoinSession.h"
#include "client/ModData.h"
#include "fakes/FakeNetwork.h"
#include "fakes/ScriptedDialogs.h"

#include <QCoreApplication>
#include <memory>

namespace
{

const char *const kTarget = "join";
const QString kServerAddress = QStringLiteral("10.0.0.5");
constexpr int kDeliveryLimit = 20000;
// What a player types into a box; longer text is cut.
constexpr qsizetype kTypedLimit = 200;

struct World {
    World()
    {
        factory = net.Factory(QStringLiteral("127.0.0.1"));
        server = net.CreateSocket(kServerAddress);
        server->Bind(quint16(7200));
        serverOtherPort = net.CreateSocket(kServerAddress);
        serverOtherPort->Bind(quint16(7230));
        stranger = net.CreateSocket(QStringLiteral("10.0.0.9"));
        stranger->Bind(quint16(7200));

        session = std::make_unique<JoinSession>(modData, *factory, dialogs);
        session->SetServerBrowser([this](auto closed) {
            modData.OwnPort = FindLocalPort(*factory);
            modData.ChosenServer = kServerAddress;
            closed();
        });
        session->Join(QStringLiteral("Ann"));
        deliver();
    }
    ~World() { session.reset(); }

    void sendToClient(DatagramSocket &from, const QString &text)
    {
        from.SendTo(QStringLiteral("127.0.0.1"), modData.OwnPort.toUShort(), text);
    }

    void deliver()
    {
        fuzz::DeliverToClient(kTarget, net, modData, kDeliveryLimit);
        // The timer runs exactly while the window waits for the server.
        fuzz::Require(session->TimerRunning() == (session->CurrentState() == JoinSession::State::Connecting),
                      kTarget, QStringLiteral("the handshake timer runs outside the wait for the server"));
    }

    void step(const fuzz::Step &s)
    {
        switch (s.selector) {
        case 2:
            sendToClient(*stranger, s.text);
            break;
        case 3:
            sendToClient(*serverOtherPort, s.text);
            break;
        case 4:
            session->TimeoutTick();
            break;
        case 5:
            dialogs.QueueInput(s.text.left(kTypedLimit));
            break;
        case 6:
            session->Join(JoinSession::CleanName(s.text.left(kTypedLimit)));
            break;
        default:
            sendToClient(*server, s.text);
            break;
        }
        deliver();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    ModData modData;
    FakeNetwork net;
    std::unique_ptr<SocketFactory> factory;
    std::unique_ptr<FakeSocket> server;
    std::unique_ptr<FakeSocket> serverOtherPort;
    std::unique_ptr<FakeSocket> stranger;
    ScriptedDialogs dialogs;
    std::unique_ptr<JoinSession> session;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::EnsureApplication();
    {
        World world;
        for (const fuzz::Step &s : fuzz::Split(data, size))
            world.step(s);
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}
