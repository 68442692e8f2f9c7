#include "client/ChatLog.h"
#include "client/ModData.h"
#include "client/ScoreBoard.h"

#include <QRegularExpression>
#include <QStringList>
#include <gtest/gtest.h>

namespace
{

TEST(ChatLog, FirstLineHasNoBreakBeforeIt)
{
    EXPECT_EQ(chatlog::AppendLine(QString(), QStringLiteral("GAME"), QStringLiteral("hi")),
              QStringLiteral("GAME: hi"));
    EXPECT_EQ(chatlog::AppendLine(QStringLiteral("a: b"), QStringLiteral("c"), QStringLiteral("d")),
              QStringLiteral("a: b\r\nc: d"));
}

TEST(ChatLog, KeepsTheLastHundredLines)
{
    QString h;
    for (int i = 1; i <= 150; ++i)
        h = chatlog::AppendLine(h, QStringLiteral("P"), QString::number(i));
    const QStringList lines = h.split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 100);
    EXPECT_EQ(lines.first(), QStringLiteral("P: 51"));
    EXPECT_EQ(lines.last(), QStringLiteral("P: 150"));
}

TEST(ChatLog, AMultiLineTextCountsAsSeveralLines)
{
    QString h;
    for (int i = 1; i <= 99; ++i)
        h = chatlog::AppendLine(h, QStringLiteral("P"), QString::number(i));
    h = chatlog::AppendLine(h, QStringLiteral("GAME"), QStringLiteral("route:\r\nA --> B"));
    QStringList lines = h.split(QStringLiteral("\r\n"));
    EXPECT_EQ(lines.size(), 100) << "the lines of the new entry count at once";
    EXPECT_EQ(lines.first(), QStringLiteral("P: 2"));
    EXPECT_EQ(lines.last(), QStringLiteral("A --> B"));
    h = chatlog::AppendLine(h, QStringLiteral("P"), QStringLiteral("x"));
    lines = h.split(QStringLiteral("\r\n"));
    EXPECT_EQ(lines.size(), 100);
    EXPECT_EQ(lines.first(), QStringLiteral("P: 3"));
}

// However a message breaks its lines, the box shows at most 100 of them, the newest last.
TEST(ChatLog, EveryKindOfLineBreakCounts)
{
    struct Case {
        const char *what;
        QString text;
        QString lastLine;
    };
    const Case cases[] = {
        {"20,000 CR LF", QStringLiteral("\r\n").repeated(20000) + "end", "end"},
        {"bare LF", QStringLiteral("a\n").repeated(300) + "end", "end"},
        {"bare CR", QStringLiteral("a\r").repeated(300) + "end", "end"},
        {"line separators", QString(QStringLiteral("a") + QChar(0x2028)).repeated(300) + "end", "end"},
        {"paragraph separators", QString(QStringLiteral("a") + QChar(0x2029)).repeated(300) + "end", "end"},
        {"LF CR is two breaks", QStringLiteral("a\n\rb"), "b"},
    };
    for (const Case &c : cases) {
        QString h = chatlog::AppendLine(QString(), QStringLiteral("P"), QStringLiteral("first"));
        h = chatlog::AppendLine(h, QStringLiteral("Bob"), c.text);
        static const QRegularExpression anyBreak(QStringLiteral("\\r\\n|[\\r\\n\\x{2028}\\x{2029}]"));
        const QStringList lines = h.split(anyBreak);
        EXPECT_LE(lines.size(), 100) << c.what;
        EXPECT_EQ(lines.last(), c.lastLine) << c.what;
        EXPECT_EQ(h.split(QStringLiteral("\r\n")), lines) << c.what << ": every break is shown as CR LF";
    }
    QString h = chatlog::AppendLine(QString(), QStringLiteral("P"), QStringLiteral("first"));
    h = chatlog::AppendLine(h, QStringLiteral("Bob"), QStringLiteral("a\n\rb"));
    EXPECT_EQ(h, QStringLiteral("P: first\r\nBob: a\r\n\r\nb"));
}

TEST(ChatLog, OutgoingMessages)
{
    struct Row {
        QString typed;
        QString sent;
    };
    const Row rows[] = {
        {"", ""},
        {"hello", "CHAT NAME=Ann;TEXT=hello"},
        {"  /TIME ", "TIME PORT=7201;"},
        {"/date", "TIME PORT=7201;"},
        {"/Date   ", "TIME PORT=7201;"},
        {"/time please", "CHAT NAME=Ann;TEXT=/time please"},
        {"   ", "CHAT NAME=Ann;TEXT=   "},
        {"a;b=c", "CHAT NAME=Ann;TEXT=a;b=c"},
        {"/giveup", "GIVEUP NAME=Ann;"},
        {" /GiveUp ", "GIVEUP NAME=Ann;"},
        {"/giveup now", "CHAT NAME=Ann;TEXT=/giveup now"},
        {"/bot", "CHAT NAME=Ann;TEXT=/bot"},
        {"/bot hard", "CHAT NAME=Ann;TEXT=/bot hard"},
        {"/bot remove Ada (bot)", "CHAT NAME=Ann;TEXT=/bot remove Ada (bot)"},
        {"/help", ""},
        {"/HELP ", ""},
    };
    for (const Row &r : rows) {
        EXPECT_EQ(chatlog::OutgoingMessage(r.typed, QStringLiteral("Ann"), QStringLiteral("7201")), r.sent)
            << r.typed.toStdString();
        // Only "/help" is answered locally, with every command it lists.
        const QStringList local = chatlog::LocalAnswer(r.typed);
        EXPECT_EQ(local.isEmpty(), !r.typed.trimmed().toLower().startsWith("/help")) << r.typed.toStdString();
        for (const char *command :
             {"/time", "/date", "/giveup", "/bot [easy|normal|hard]", "/bot remove", "/help"})
            EXPECT_TRUE(local.isEmpty() || local.join(' ').contains(QLatin1String(command))) << command;
    }
    EXPECT_EQ(chatlog::PlayersCaption(3), QStringLiteral("Players (3):"));
}

class ScoreBoardTest : public ::testing::Test
{
protected:
    ModData modData;
    void SetUp() override
    {
        modData.ResetAll();
        modData.ResetRound();
    }
    void TearDown() override { modData.ResetAll(); }
};

TEST_F(ScoreBoardTest, ColumnsFollowTheListOrder)
{
    using scoreboard::Column;
    EXPECT_EQ(scoreboard::ColumnText(modData, Column::Names), QString());
    EXPECT_EQ(scoreboard::ColumnText(modData, Column::Scores), QString());
    modData.AddPlayer(QStringLiteral("Zoe"));
    modData.AddPlayer(QStringLiteral("Bob"));
    modData.Players[1].Wins = 2;
    modData.Players[1].Clicks = 37;
    modData.Players[1].RoundClicks = 5;
    modData.Players[1].Ping = 120;
    modData.Players[2].Wins = -1;
    EXPECT_EQ(scoreboard::ColumnText(modData, Column::Names), QStringLiteral("Zoe\r\nBob\r\n"));
    EXPECT_EQ(scoreboard::ColumnText(modData, Column::Scores),
              QStringLiteral("2 / 37 / 5\r\n-1 / 0 / 0\r\n"));
    EXPECT_EQ(scoreboard::ColumnText(modData, Column::Pings), QStringLiteral("120ms\r\n0ms\r\n"));
}

// What a screen reader says for a row of the scoreboard.
TEST(ScoreRowSentence, CountsReadInWords)
{
    struct Row {
        PlayerInfo player;
        const char *sentence;
    };
    const Row rows[] = {
        {{"Ann", 1, 4, 2, 35}, "Ann: 1 win, 4 clicks, 2 this round, 35 ms"},
        {{"Bob", 2, 1, 1, 1}, "Bob: 2 wins, 1 click, 1 this round, 1 ms"},
        {{"Zoe", 0, 0, 0, 0}, "Zoe: 0 wins, 0 clicks, 0 this round, 0 ms"},
        {{"Max", -1, 100, 0, 999}, "Max: -1 wins, 100 clicks, 0 this round, 999 ms"},
    };
    for (const Row &r : rows)
        EXPECT_EQ(scoreboard::RowSentence(r.player), QString::fromUtf8(r.sentence));
}

TEST_F(ScoreBoardTest, WordLabels)
{
    struct Row {
        bool inRound;
        QStringList words;
        int target;
        QString start, find;
    };
    const Row rows[] = {
        {false, {""}, 0, "None", "None"},
        {false, {"Cat", "Dog"}, 1, "None", "None"},
        {true, {"Cat", "Dog"}, 1, "Cat", "Dog"},
        {true, {"Cat"}, 1, "Cat", ""}, // a round announced with one word
    };
    for (const Row &r : rows) {
        modData.InRound = r.inRound;
        modData.Words = r.words;
        modData.TargetIndex = r.target;
        EXPECT_EQ(scoreboard::StartWordText(modData), r.start);
        EXPECT_EQ(scoreboard::WordToFindText(modData), r.find);
    }
}

TEST_F(ScoreBoardTest, SizeSnapsAndLayoutFollowsTheBottom)
{
    EXPECT_EQ(scoreboard::SnapSize(QSize(3000, 2000)), QSize(3585, 3120));
    EXPECT_EQ(scoreboard::SnapSize(QSize(9000, 9000)), QSize(3585, 9000));
    EXPECT_EQ(scoreboard::SnapSize(QSize(3585, 3120)), QSize(3585, 3120));
    const scoreboard::BottomLayout l = scoreboard::LayoutFor(400);
    EXPECT_EQ(l.line4, 264);
    EXPECT_EQ(l.asterisk, 272);
    EXPECT_EQ(l.line5, 288);
    EXPECT_EQ(l.startCaption, 296);
    EXPECT_EQ(l.startWord, 312);
    EXPECT_EQ(l.findCaption, 332);
    EXPECT_EQ(l.nextWord, 348);
    EXPECT_EQ(l.columnHeight, 232);
}

} // namespace
