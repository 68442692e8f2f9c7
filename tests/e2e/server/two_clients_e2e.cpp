// Two real client cores (real UDP sockets, a real HTTP browser) against the real QuilloryServer: a
// rematch to the last round's destination is won by its first click, and a round that everybody
// gives up ends with the next chooser named.
#include "E2eClient.h"
#include "E2eSupport.h"

#include "protocol/Messages.h"

#include <QRegularExpression>
#include <QTest>

namespace
{

TEST(TwoClientsE2e, ARematchIsWonByItsFirstClickAndAGivenUpRoundNamesTheNextChooser)
{
    ServerProcess server;
    QString why;
    ASSERT_TRUE(server.Start({{"Welcome", ""}, {"Password", ""}, {"Encyclopedia", ""}}, &why))
        << why.toStdString();
    Client ann(QStringLiteral("Ann")), bob(QStringLiteral("Bob"));
    ASSERT_TRUE(ann.Join());
    ASSERT_TRUE(bob.Join());
    ASSERT_TRUE(ann.modData.IsHost);

    // Round 1, and round 2 to the same destination: Bob's first click onto Dog wins each.
    for (int round = 1; round <= 2; ++round) {
        Client &chooser = round == 1 ? ann : bob;
        chooser.core->SendData(msg::SetWords(QStringLiteral("Cat"), QStringLiteral("Dog")));
        ASSERT_TRUE(QTest::qWaitFor([&] { return ann.InRound() && bob.InRound(); }, kStepMs))
            << "round " << round;
        ann.view.chat.clear();
        bob.Click(QStringLiteral("Dog"));
        ASSERT_TRUE(ann.Heard(QStringLiteral("GAME: Bob has won the round in 1 click!")))
            << "round " << round;
        // The server tells the par when the round starts and a shortest route after the win.
        EXPECT_TRUE(bob.Heard(QStringLiteral("GAME: Shortest route from Cat to Dog: 1 click.")));
        const QRegularExpression won(QStringLiteral("^GAME: Bob reached Dog in 0:[0-9]{2} with 1 click\\.$"));
        EXPECT_TRUE(QTest::qWaitFor([&] { return !ann.view.chat.filter(won).isEmpty(); }, kStepMs))
            << ann.view.chat.join('|').toStdString();
        // Bob's route was a shortest one, which the chat does not repeat.
        EXPECT_TRUE(ann.Heard(QStringLiteral("GAME: No route is shorter.")));
        EXPECT_TRUE(ann.Heard(QStringLiteral("GAME: The winning route was: \r\nCat --> Dog")));
        EXPECT_TRUE(QTest::qWaitFor([&] { return bob.view.chooserOpened == round; }, kStepMs));
        // Both see the same results: the winner, who was still on the way, and a shortest route.
        const auto resultsIn = [](Client &c) {
            return QTest::qWaitFor([&] { return c.core->Results().Rows().size() == 2; }, kStepMs);
        };
        ASSERT_TRUE(resultsIn(ann) && resultsIn(bob)) << "round " << round;
        for (Client *c : {&ann, &bob}) {
            const QList<ResultRow> rows = c->core->Results().Rows();
            EXPECT_TRUE(rows[0].spoken.startsWith(QStringLiteral("Bob: finished first in 0:")))
                << rows[0].spoken.toStdString();
            EXPECT_TRUE(rows[0].spoken.endsWith(QStringLiteral("with 1 click: Cat, Dog")))
                << rows[0].spoken.toStdString();
            EXPECT_EQ(rows[1].name, QStringLiteral("Ann"));
            EXPECT_EQ(rows[1].outcome, QStringLiteral("was still on the way"));
            EXPECT_EQ(c->core->Results().ShortestSpoken(),
                      QStringLiteral("A shortest route takes 1 click: Cat, Dog"));
            EXPECT_EQ(c->core->Facts().par, 1);
        }
    }

    // Round 3: nobody can finish; both give up, and the oldest player chooses next.
    bob.core->SendData(msg::SetWords(QStringLiteral("Cat"), QStringLiteral("Dog")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return ann.InRound() && bob.InRound(); }, kStepMs));
    ann.Type(QStringLiteral("/giveup"));
    EXPECT_TRUE(bob.Heard(QStringLiteral("GAME: Ann gave up the round.")));
    bob.Type(QStringLiteral(" /GIVEUP"));
    for (Client *c : {&ann, &bob}) {
        EXPECT_TRUE(c->Heard(QStringLiteral("GAME: Bob gave up the round."))) << c->name.toStdString();
        EXPECT_TRUE(c->Heard(QStringLiteral("GAME: The round is over: nobody is left in it.")));
        EXPECT_TRUE(c->Heard(QStringLiteral("GAME: Ann chooses the next words.")));
        EXPECT_FALSE(c->modData.InRound);
    }
    EXPECT_TRUE(ann.Heard(QStringLiteral("GAME: It is your turn to choose the next words.")));
    EXPECT_EQ(ann.view.chooserOpened, 1);
    // Nobody finished: the results still tell how far each came, and a shortest route.
    for (Client *c : {&ann, &bob}) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return c->core->Results().Rows().size() == 2; }, kStepMs));
        for (const ResultRow &row : c->core->Results().Rows())
            EXPECT_EQ(row.outcome, QStringLiteral("gave up")) << row.spoken.toStdString();
        EXPECT_EQ(c->core->Results().ShortestSpoken(),
                  QStringLiteral("A shortest route takes 1 click: Cat, Dog"));
        EXPECT_EQ(DescribeRound(c->core->Facts()).status,
                  c == &ann ? QStringLiteral("Your turn to choose the next words.")
                            : QStringLiteral("Ann chooses the next words."));
    }
}

} // namespace
