// The game window's core under fuzzed datagrams and browser events: the client of Ann at
// 127.0.0.1:7201, in a game with Bob and Cy on the server 10.0.0.1:7200.
//
// Selectors (first byte of a step): 1 a datagram from the server; 2 from a stranger's game port;
// 3 from the server's machine but another port; 4 a score-polling tick; 5 time passes (waiting
// timers fire, the start article's time limit among them) and the keep-alive tick goes out;
// 6 the game browser's title changes to the text; 7 the browser is about to open the text as an
// address; 8 the browser finishes its load. Without a selector the step comes from the server.

#include "ClientChecks.h"

#include "client/ChatLog.h"
#include "client/GameCore.h"
#include "client/ModData.h"
#include "fakes/FakeNetwork.h"
#include "fakes/ScriptedBrowser.h"
#include "fakes/ScriptedDialogs.h"
#include "protocol/Messages.h"
#include "protocol/Names.h"
#include "protocol/Protocol.h"

#include <QCoreApplication>
#include <memory>

namespace
{

const char *const kTarget = "game";
const QString kServerAddress = QStringLiteral("10.0.0.1");
const QString kSite = QStringLiteral("wiki.test:7200");
const QString kOwnPort = QStringLiteral("7201");
constexpr int kDeliveryLimit = 20000;
// The game words a datagram may make the client keep: COUNT is the highest index, at most 63.
constexpr qsizetype kMaxWords = 64;

// The windows around the game core: the chat keeps its history as the chat window does.
class View : public GameView
{
public:
    void AddChat(const QString &name, const QString &text) override
    {
        history = chatlog::AppendLine(history, name, text);
    }
    void UpdateChatList() override {}
    void UpdateScores(const ScoreFlags &) override {}
    bool ChooserShown() const override { return chooserShown; }
    void ShowChooser() override { chooserShown = true; }
    void SetChooserWord(const QString &, const QString &) override {}
    void SetCaption(const QString &) override {}
    void CloseGame() override {}

    QString history;
    bool chooserShown = false;
};

struct World {
    World()
    {
        modData.ResetRound();
        modData.ServerHost = kServerAddress;
        modData.ServerIP = kServerAddress;
        modData.PlayerName = QStringLiteral("Ann");
        modData.OwnPort = kOwnPort;
        for (const char *name : {"Bob", "Ann", "Cy"})
            modData.AddPlayer(QString::fromLatin1(name));

        server = net.CreateSocket(kServerAddress);
        server->Bind(GameCore::kServerPort);
        serverOtherPort = net.CreateSocket(kServerAddress);
        serverOtherPort->Bind(quint16(7230));
        stranger = net.CreateSocket(QStringLiteral("10.0.0.9"));
        stranger->Bind(GameCore::kServerPort);
        QObject::connect(server.get(), &DatagramSocket::DataArrival, server.get(),
                         [this](int) { heardByServer << server->GetData(); });

        browser.SetAutoLoad(false);
        browser.SetResolver([](const QString &url) {
            return ScriptedBrowser::Page{url.section(QLatin1Char('='), 1, 1).section(QLatin1Char('&'), 0, 0) +
                                             QStringLiteral(" - Wikipedia, the free encyclopedia"),
                                         {}};
        });
        socket = net.CreateSocket(QStringLiteral("127.0.0.1"));
        core = std::make_unique<GameCore>(modData, *socket, browser, dialogs, view, kSite);
        // The start article loads only when a step says so; when time passes first, the round
        // starts without it.
        core->LoadLimitMs = 0;
        core->InitGame();
        deliver();
    }
    ~World() { core.reset(); }

    void sendToClient(DatagramSocket &from, const QString &text)
    {
        from.SendTo(QStringLiteral("127.0.0.1"), kOwnPort.toUShort(), text);
    }

    void deliver()
    {
        fuzz::DeliverToClient(kTarget, net, modData, kDeliveryLimit);
        fuzz::Require(modData.Words.size() <= kMaxWords, kTarget,
                      QStringLiteral("the client keeps %1 words").arg(modData.Words.size()));
    }

    QStringList listed() const
    {
        QStringList names;
        for (qint32 i = 1; i <= modData.PlayerCount; ++i)
            names << modData.Players[i].Name;
        return names;
    }

    // The chat box never shows more than its lines, however many breaks the entries carry.
    void requireChatBounded()
    {
        const QString &h = view.history;
        qsizetype shown = h.isEmpty() ? 0 : 1;
        for (qsizetype i = 0; i < h.size(); ++i) {
            const char16_t c = h[i].unicode();
            if (c == u'\r' && i + 1 < h.size() && h[i + 1] == QLatin1Char('\n'))
                ++i;
            shown += c == u'\r' || c == u'\n' || c == u'\u2028' || c == u'\u2029';
        }
        fuzz::Require(shown <= chatlog::kMaxLines, kTarget,
                      QStringLiteral("the chat shows %1 lines").arg(shown));
    }

    // A LEAVE or DROP takes off the list only the player it names, by the rule the server uses.
    void requireOnlyNamedLeft(const QString &datagram, const QStringList &before)
    {
        const QString verb = GetVerb(datagram);
        if (verb != QLatin1String("LEAVE") && verb != QLatin1String("DROP"))
            return;
        const QString name = GetValue(datagram, QStringLiteral("NAME"));
        const QStringList after = listed();
        for (const QString &gone : before) {
            if (!after.contains(gone))
                fuzz::Require(names::SameIgnoringCase(gone, name), kTarget,
                              QStringLiteral("%1 NAME=%2 took %3 off the list")
                                  .arg(verb, fuzz::Visible(name), fuzz::Visible(gone)));
        }
    }

    void step(const fuzz::Step &s)
    {
        const QStringList before = listed();
        switch (s.selector) {
        case 2:
            sendToClient(*stranger, s.text);
            break;
        case 3:
            sendToClient(*serverOtherPort, s.text);
            break;
        case 4:
            core->ScorePollTick();
            break;
        case 5:
            QCoreApplication::processEvents();
            core->PingTick();
            break;
        case 6:
            core->HandleTitleChange(s.text);
            break;
        case 7:
            core->HandleBeforeNavigate(s.text);
            break;
        case 8:
            browser.FinishLoad();
            break;
        default:
            sendToClient(*server, s.text);
            break;
        }
        deliver();
        if (s.selector <= 1)
            requireOnlyNamedLeft(s.text, before);
        requireChatBounded();
    }

    // However the game went, a client whose window is open still answers its server's PING.
    void requirePingAnswered()
    {
        if (core->Closed)
            return;
        heardByServer.clear();
        sendToClient(*server, msg::Ping(4242));
        deliver();
        fuzz::Require(heardByServer.contains(msg::Pong(modData.PlayerName, QStringLiteral("4242"))), kTarget,
                      QStringLiteral("the client no longer answers PING"));
    }

    ModData modData;
    FakeNetwork net;
    std::unique_ptr<FakeSocket> server;
    std::unique_ptr<FakeSocket> serverOtherPort;
    std::unique_ptr<FakeSocket> stranger;
    std::unique_ptr<FakeSocket> socket;
    ScriptedBrowser browser;
    ScriptedDialogs dialogs;
    View view;
    std::unique_ptr<GameCore> core;
    QStringList heardByServer;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::EnsureApplication();
    {
        World world;
        for (const fuzz::Step &s : fuzz::Split(data, size))
            world.step(s);
        world.requirePingAnswered();
        fuzz::RequireDistinctNames(kTarget, world.listed(), QStringLiteral("the player list"));
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}
