// Who may send each verb: anyone, anyone about a listed player, an active (listed, not banned)
// player, or the named player from its own address and port.
#include "ServerHarness.h"

#include <gtest/gtest.h>

namespace
{

TEST(Senders, EachVerbAdmitsTheSendersItsRuleNames)
{
    struct Case {
        QString datagram;
        // Whether the server reacts when it comes from Ann herself, from Cy (another active
        // player), from Bob (listed but banned), and from an unlisted socket on Ann's machine.
        bool ann, cy, bob, imp;
    };
    const Case cases[] = {
        // Anyone
        {"PINGME 7300", true, true, true, true},
        {"STATUS SERVER=x;PORT=7300;", true, true, true, true},
        {"TIME PORT=7300;", true, true, true, true},
        {"GETPLAYERLIST PORT=7300;", true, true, true, true},
        {msg::Connect(modVersion::Version, "Zed", "7300", ""), true, true, true, true},
        // Anyone, about a player listed under exactly that name
        {"GETSCORE PORT=7300;NAME=Ann;", true, true, true, true},
        {"GETPING PORT=7300;NAME=Bob;", true, true, true, true},
        {"GETWORDS NAME=Ann;", true, true, true, true},
        {"GETSCORE PORT=7300;NAME=ann;", false, false, false, false},
        {"GETPING PORT=7300;NAME=Zed;", false, false, false, false},
        // Active players
        {"CHAT NAME=Ann;TEXT=hi", true, true, false, false},
        {"SETWORDS COUNT=1;WORD0=Cat;WORD1=Dog;", true, true, false, false},
        {"GETRANDOM SRC=1;", true, true, false, false},
        {"NEWGAME", true, true, false, false},
        // The named player from its own address and port, banned or not
        {"PONG NAME=Ann;TIME=0;", true, false, false, false},
        {"PONG NAME=Bob;TIME=0;", false, false, true, false},
        {"NAVIGATE NAME=Ann;URL=Dog;", true, false, false, false},
        {"SENDMYPATH NAME=Ann;PATH=Dog;", true, false, false, false},
        {"NAVIGATE NAME=ann;URL=Dog;", false, false, false, false},
        // ...where a leaving player's name is matched ignoring case
        {"DISCONNECT NAME=ANN;", true, false, false, false},
        // Verbs the server does not take
        {"STARTGAME COUNT=1;WORD0=Cat;WORD1=Dog;", false, false, false, false},
        {"PING TIME=1;", false, false, false, false},
        {"chat NAME=Ann;TEXT=hi", false, false, false, false},
    };
    for (const Case &c : cases) {
        const std::pair<const char *, bool> senders[] = {
            {"Ann", c.ann}, {"Cy", c.cy}, {"Bob", c.bob}, {"Imp", c.imp}};
        for (const auto &[who, reacts] : senders) {
            ServerHarness h;
            Peer *peers[] = {&h.join("Ann", "10.0.0.2", 7201), &h.join("Bob", "10.0.0.3", 7202),
                             &h.join("Cy", "10.0.0.4", 7203), &h.peer("Imp", "10.0.0.2", 7250)};
            h.server->Players().Players(2).Banned = true;
            h.server->Round().Words = QStringList{"Cat", "Dog"};
            h.net.ClearSent();
            Peer *sender = nullptr;
            for (Peer *p : peers)
                sender = p->name == QLatin1String(who) ? p : sender;
            h.say(*sender, c.datagram);
            bool reacted = h.server->RandomPending();
            for (const Datagram &d : h.net.Sent())
                reacted = reacted || d.fromPort == 7200;
            EXPECT_EQ(reacted, reacts) << c.datagram.toStdString() << " from " << who;
        }
    }
}

} // namespace
