// Where the game's windows go, for the screens players have and the frames window systems add.
#include "client/ScoreBoard.h"
#include "client/Twips.h"
#include "client/WindowPlacement.h"

#include <gtest/gtest.h>

namespace
{

GameWindowsSizes GameSizes()
{
    GameWindowsSizes s;
    s.chatInside = QSize(5520 / kTwipsPerPixel, 3255 / kTwipsPerPixel);
    s.scoresInsideWidth = scoreboard::kWidthTwips / kTwipsPerPixel;
    s.scoresMinInsideHeight = scoreboard::kMinHeightTwips / kTwipsPerPixel;
    s.chooserInside = QSize(300, 128);
    s.bottomGap = 480 / kTwipsPerPixel;
    return s;
}

TEST(Placement, NoWindowCoversAnotherOnTheScreensPlayersHave)
{
    const QRect screens[] = {
        QRect(0, 0, 1366, 768),     QRect(0, 27, 1366, 741), // a panel at the top
        QRect(0, 0, 1920, 1080),    QRect(0, 0, 1920, 1040), // a task bar at the bottom
        QRect(1920, 0, 1280, 1024),                          // the second of two screens
    };
    const QMargins frames[] = {QMargins(), QMargins(1, 29, 1, 1), QMargins(4, 30, 4, 4),
                               QMargins(10, 37, 10, 10)};
    for (const QRect &screen : screens) {
        for (const QMargins &frame : frames) {
            const GameWindowsPlacement p = PlaceGameWindows(screen, frame, GameSizes());
            const QRect all[] = {p.chat, p.scores, p.chooser, p.game};
            const char *names[] = {"chat", "scores", "chooser", "game"};
            std::string at = std::to_string(screen.width()) + "x" + std::to_string(screen.height()) +
                             " frame top " + std::to_string(frame.top());
            for (int i = 0; i < 4; ++i) {
                EXPECT_TRUE(screen.contains(all[i])) << names[i] << " leaves the screen at " << at;
                for (int j = i + 1; j < 4; ++j)
                    EXPECT_FALSE(all[i].intersects(all[j]))
                        << names[i] << " covers " << names[j] << " at " << at;
            }
            EXPECT_EQ(p.chat.topLeft(), screen.topLeft()) << at;
            EXPECT_EQ(p.scores.top(), p.chat.bottom() + 1)
                << "the scoreboard sits right under the chat at " << at;
            EXPECT_EQ(p.scores.left(), screen.left());
            EXPECT_EQ(p.chooser.bottomLeft(), screen.bottomLeft()) << at;
            EXPECT_GE(InsideOf(p.scores, frame).height(), GameSizes().scoresMinInsideHeight) << at;
            EXPECT_EQ(p.game.top(), screen.top());
            EXPECT_EQ(p.game.right(), screen.right())
                << "the game window takes the rest of the width at " << at;
            EXPECT_GE(p.game.width(), screen.width() / 2) << at;
        }
    }
}

TEST(Placement, InsidesAreTheWholeWindowsLessTheirFrames)
{
    const QMargins frame(4, 30, 4, 4);
    const GameWindowsPlacement p = PlaceGameWindows(QRect(0, 0, 1366, 768), frame, GameSizes());
    EXPECT_EQ(InsideOf(p.chat, frame).size(), GameSizes().chatInside);
    EXPECT_EQ(InsideOf(p.chooser, frame).size(), GameSizes().chooserInside);
    EXPECT_EQ(InsideOf(p.scores, frame).width(), GameSizes().scoresInsideWidth);
    EXPECT_EQ(InsideOf(p.chat, frame).topLeft(), QPoint(4, 30));
}

// The one window on the screens players have: it fills the screen's area, the panels' column keeps the
// chat readable and leaves the article most of the width, and the column's parts fill its height.
TEST(Placement, TheOneWindowFillsTheScreenAndLeavesTheArticleMostOfIt)
{
    PanelSizes sizes;
    sizes.chooserHeight = 128 + 24;
    sizes.menuHeight = 22;
    sizes.minColumnWidth = 340;
    sizes.maxColumnWidth = 480;
    struct Row {
        QRect screen;
        QMargins frame;
        int column;
    };
    const Row rows[] = {
        {QRect(0, 0, 1366, 768), QMargins(), 341},
        {QRect(0, 0, 1366, 768), QMargins(1, 29, 1, 1), 341},
        {QRect(0, 27, 1366, 741), QMargins(4, 30, 4, 4), 340}, // the least column
        {QRect(0, 0, 1920, 1080), QMargins(), 480},            // the widest column
        {QRect(0, 0, 1920, 1040), QMargins(1, 29, 1, 1), 479},
        {QRect(0, 0, 1024, 600), QMargins(), 340},
    };
    for (const Row &r : rows) {
        const PanelPlan p = PlanPanels(r.screen, r.frame, sizes);
        const QRect inside = InsideOf(r.screen, r.frame);
        const std::string at = std::to_string(r.screen.width()) + "x" + std::to_string(r.screen.height()) +
                               " frame top " + std::to_string(r.frame.top());
        EXPECT_EQ(p.window, r.screen) << at;
        EXPECT_EQ(p.columnWidth, r.column) << at;
        if (r.screen.width() >= 1366)
            EXPECT_GE(inside.width() - p.columnWidth, 1000) << "the article's width at " << at;
        EXPECT_EQ(p.playersHeight + p.chatHeight + p.chooserHeight, inside.height() - sizes.menuHeight) << at;
        EXPECT_GT(p.chatHeight, p.playersHeight) << "the chat gets the most at " << at;
        EXPECT_EQ(p.chooserHeight, sizes.chooserHeight) << at;
    }
}

} // namespace
