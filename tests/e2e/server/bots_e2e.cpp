// Two bots against the real QuilloryServer over UDP, with a real client core as the host: the host
// adds them from the chat, they race a round through the server's own judging, the winning bot
// chooses the next words by itself, and the host removes one; another player may not add any.
#include "E2eClient.h"
#include "E2eSupport.h"

#include "protocol/Messages.h"

#include <QTest>

namespace
{

bool Listed(const ModData &modData, const QString &name)
{
    return modData.FindPlayer(name) != 0;
}

TEST(BotsE2e, TheHostsBotsRaceChooseAndLeave)
{
    ServerProcess server;
    QString why;
    // Bots that pause a twentieth of a person's time: a round takes seconds, not minutes.
    Launch launch{{"--headless", "--bot-pace=0.05"}, {}, {}};
    ASSERT_TRUE(server.Start({{"Welcome", ""}, {"Password", ""}, {"Encyclopedia", ""}}, &why, 20000, launch))
        << why.toStdString();
    Client ann(QStringLiteral("Ann"));
    ASSERT_TRUE(ann.Join());
    ASSERT_TRUE(ann.modData.IsHost);

    // The encyclopedia's link graph is ready moments after the start; until then the server refuses.
    const QString ada = QStringLiteral("Ada (bot)"), ben = QStringLiteral("Ben (bot)");
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            if (!Listed(ann.modData, ada))
                ann.Type(QStringLiteral("/bot hard"));
            return QTest::qWaitFor([&] { return Listed(ann.modData, ada); }, 500);
        },
        kStepMs))
        << ann.view.chat.join('|').toStdString();
    ann.Type(QStringLiteral("/bot normal"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Listed(ann.modData, ben); }, kStepMs));
    EXPECT_EQ(ann.modData.PlayerCount, 3);

    // Another player may not add bots.
    Client bob(QStringLiteral("Bob"));
    ASSERT_TRUE(bob.Join());
    EXPECT_FALSE(bob.modData.IsHost);
    bob.Type(QStringLiteral("/bot easy"));
    EXPECT_TRUE(bob.Heard(QStringLiteral("GAME: Only the host can add or remove bots.")));
    EXPECT_EQ(ann.modData.PlayerCount, 4);

    // A round the people sit out: a bot wins it through the same judging as a player.
    ann.core->SendData(msg::SetWords(QStringLiteral("Horse"), QStringLiteral("Bee")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return ann.InRound(); }, kStepMs));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !ann.modData.InRound; }, 60000)) << "no bot reached Bee";
    ASSERT_TRUE(QTest::qWaitFor([&] { return ann.core->Results().Rows().size() >= 4; }, kStepMs));
    const QList<ResultRow> rows = ann.core->Results().Rows();
    const QString winner = rows[0].name;
    ASSERT_TRUE(winner == ada || winner == ben) << ann.view.chat.join('|').toStdString();
    EXPECT_TRUE(rows[0].spoken.startsWith(winner + QStringLiteral(": finished first in 0:")))
        << rows[0].spoken.toStdString();
    // The winner chooses next.
    EXPECT_EQ(ann.core->Facts().chooser, winner);
    // Its route is made of the encyclopedia's own links: it starts at Horse and ends at Bee.
    EXPECT_TRUE(rows[0].spoken.contains(QStringLiteral(": Horse, "))) << rows[0].spoken.toStdString();
    EXPECT_TRUE(rows[0].spoken.endsWith(QStringLiteral(", Bee"))) << rows[0].spoken.toStdString();

    // The winning bot chooses the next words by itself, and the next round starts.
    ASSERT_TRUE(QTest::qWaitFor([&] { return ann.InRound(); }, 60000)) << "the bot chose no words";
    EXPECT_NE(ann.modData.Words.value(0), ann.modData.Words.value(1));

    // The host removes a bot; everybody hears it leave.
    ann.Type(QStringLiteral("/bot remove ") + ben);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !Listed(bob.modData, ben); }, kStepMs));
    EXPECT_TRUE(Listed(bob.modData, ada));
}

} // namespace
