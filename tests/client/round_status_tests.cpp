// What the round bar and the results view tell, for each state of a round.
#include "common/QtPrinting.h"

#include "client/RoundResults.h"
#include "client/RoundStatus.h"
#include "protocol/Messages.h"

#include <gtest/gtest.h>

namespace
{

TEST(RoundBar, TextsForEachStateOfARound)
{
    RoundFacts before;
    RoundFacts chooserBefore;
    chooserBefore.chooser = "Ann";
    chooserBefore.chooserIsMe = true;
    RoundFacts racing;
    racing.racing = true;
    racing.start = "Cat";
    racing.destination = "Modern Sounds in Country and Western Music";
    racing.par = 2;
    racing.clicks = 1;
    racing.elapsedMs = 65'400;
    RoundFacts out = racing;
    out.outReason = "opened a Talk page";
    RoundFacts won = racing;
    won.racing = false;
    won.clicks = 3;
    won.elapsedMs = 41'000;
    won.winner = "Ann";
    won.wonByMe = true;
    won.chooser = "Ann";
    won.chooserIsMe = true;
    RoundFacts lost = won;
    lost.wonByMe = false;
    lost.winner = lost.chooser = "Bob";
    lost.chooserIsMe = false;
    lost.par.reset();
    RoundFacts allOut = out;
    allOut.racing = false;
    allOut.chooser = "Bob";

    struct Row {
        const char *state;
        RoundFacts facts;
        RoundTexts texts;
    };
    const QString route = QStringLiteral("Cat \u2192 Modern Sounds in Country and Western Music");
    const Row rows[] = {
        {"before any round", before, {"", "", "", "", "Waiting for the next words."}},
        {"the host before the first round",
         chooserBefore,
         {"", "", "", "", "Your turn to choose the next words."}},
        {"racing", racing, {route, "Par 2 clicks", "1 click", "1:05", ""}},
        {"out",
         out,
         {route, "Par 2 clicks", "1 click", "1:05", "You are out of this round: you opened a Talk page."}},
        {"won",
         won,
         {route, "Par 2 clicks", "3 clicks", "0:41",
          "You won in 0:41 with 3 clicks! Your turn to choose the next words."}},
        {"another won",
         lost,
         {route, "", "3 clicks", "0:41", "Bob won the round. Bob chooses the next words."}},
        {"everybody out",
         allOut,
         {route, "Par 2 clicks", "1 click", "1:05",
          "You were out: you opened a Talk page. Bob chooses the next words."}},
    };
    for (const Row &r : rows) {
        const RoundTexts t = DescribeRound(r.facts);
        SCOPED_TRACE(r.state);
        EXPECT_EQ(t.route, r.texts.route);
        EXPECT_EQ(t.par, r.texts.par);
        EXPECT_EQ(t.clicks, r.texts.clicks);
        EXPECT_EQ(t.clock, r.texts.clock);
        EXPECT_EQ(t.status, r.texts.status);
    }
}

TEST(RoundBar, ClockText)
{
    const std::pair<qint64, const char *> rows[] = {
        {0, "0:00"},        {999, "0:00"},          {41'000, "0:41"},
        {605'000, "10:05"}, {3'723'000, "1:02:03"}, {-5, "0:00"},
    };
    for (const auto &[ms, text] : rows)
        EXPECT_EQ(ClockText(ms), QString::fromUtf8(text)) << ms;
}

msg::PlayerResult result(qint32 round, const char *name, msg::Outcome outcome, qint32 clicks,
                         QStringList route, QString reason = {})
{
    return msg::PlayerResult{round, name, outcome, reason, 1000 * clicks, clicks, route};
}

TEST(RoundResults, RowsReadInTheOrderTheRoundEnded)
{
    RoundResults results;
    EXPECT_TRUE(results.Add(msg::ShortestRoute{3, 2, {"Cat", "Dog", "River"}})) << "a new round's results";
    EXPECT_FALSE(results.Add(result(3, "Cy", msg::Outcome::Out, 1, {"Cat", "nowiki"}, "nowiki")));
    EXPECT_FALSE(results.Add(result(3, "Bob", msg::Outcome::GaveUp, 5, {"Cat", "Dog", "Bee"})));
    EXPECT_FALSE(results.Add(result(3, "Dan", msg::Outcome::Racing, 2, {"Cat", "Fox"})));
    EXPECT_FALSE(results.Add(result(3, "Ann", msg::Outcome::First, 4, {"Cat", "Dog", "Fish", "River"})));
    EXPECT_FALSE(results.Add(result(3, "Eve", msg::Outcome::Out, 0, {"Cat"}, msg::kReasonLeft)));
    EXPECT_FALSE(results.Add(result(2, "Old", msg::Outcome::First, 1, {"X"})))
        << "a late result of an earlier round";

    QStringList spoken;
    for (const ResultRow &row : results.Rows())
        spoken << row.spoken;
    EXPECT_EQ(spoken, QStringList({
                          "Ann: finished first in 0:04 with 4 clicks: Cat, Dog, Fish, River",
                          "Dan: was still on the way in 0:02 with 2 clicks: Cat, Fox",
                          "Bob: gave up in 0:05 with 5 clicks: Cat, Dog, Bee",
                          "Eve: out: left the game in 0:00 with 0 clicks: Cat",
                          "Cy: out: left the encyclopedia in 0:01 with 1 click: Cat, nowiki",
                      }));
    EXPECT_EQ(results.ShortestSpoken(), QStringLiteral("A shortest route takes 2 clicks: Cat, Dog, River"));

    // The same player's result twice (a datagram sent twice) is one row; the next round starts afresh.
    EXPECT_FALSE(results.Add(result(3, "Ann", msg::Outcome::First, 4, {"Cat", "River"})));
    EXPECT_EQ(results.Rows().size(), 5);
    EXPECT_TRUE(results.Add(result(4, "Ann", msg::Outcome::GaveUp, 1, {"Cat"})));
    EXPECT_EQ(results.Rows().size(), 1);
    EXPECT_FALSE(results.Shortest().has_value());
    // Once the next round began, a late result of the round before opens nothing.
    results.Retire();
    EXPECT_FALSE(results.Add(result(4, "Bob", msg::Outcome::GaveUp, 2, {"Cat"})));
    EXPECT_TRUE(results.Empty());
    EXPECT_TRUE(results.Add(result(5, "Bob", msg::Outcome::GaveUp, 2, {"Cat"})));
    // Results decoded from the wire read the same.
    const auto wire =
        msg::DecodeResult(msg::Result(result(4, "Bob", msg::Outcome::Out, 1, {"Cat", "talk"}, "talk")));
    ASSERT_TRUE(wire);
    EXPECT_EQ(OutcomeText(*wire), QStringLiteral("out: opened a Talk page"));
}

} // namespace
