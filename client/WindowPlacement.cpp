#include "client/WindowPlacement.h"

#include <algorithm>

namespace
{
QSize withFrame(const QSize &inside, const QMargins &frame)
{
    return inside.grownBy(frame);
}
} // namespace

GameWindowsPlacement PlaceGameWindows(const QRect &available, const QMargins &frame,
                                      const GameWindowsSizes &sizes)
{
    GameWindowsPlacement p;
    p.chat = QRect(available.topLeft(), withFrame(sizes.chatInside, frame));

    const QSize chooser = withFrame(sizes.chooserInside, frame);
    p.chooser = QRect(QPoint(available.left(), available.bottom() + 1 - chooser.height()), chooser);

    // The scoreboard fills the column between the chat and the chooser; on a screen too small for
    // that it keeps its least height and the chooser may cover its lower part.
    const int scoresTop = p.chat.bottom() + 1;
    const int minHeight = sizes.scoresMinInsideHeight + frame.top() + frame.bottom();
    const int bottom = std::min(available.bottom() - sizes.bottomGap, p.chooser.top() - 1);
    p.scores = QRect(available.left(), scoresTop, sizes.scoresInsideWidth + frame.left() + frame.right(),
                     std::max(minHeight, bottom - scoresTop + 1));

    // The game window takes the rest of the screen's width, right of the widest window at the left.
    const int left = std::max({p.chat.right(), p.scores.right(), p.chooser.right()}) + 1;
    const int minGame = 100 + frame.left() + frame.right();
    p.game = QRect(left, available.top(), std::max(minGame, available.right() + 1 - left),
                   std::max(100, available.height() - sizes.bottomGap));
    return p;
}

QRect InsideOf(const QRect &window, const QMargins &frame)
{
    return window.marginsRemoved(frame);
}

PanelPlan PlanPanels(const QRect &available, const QMargins &frame, const PanelSizes &sizes)
{
    PanelPlan p;
    p.window = available;
    const QRect inside = InsideOf(available, frame);
    // A quarter of the width for the panels: the article keeps most of the screen, and the chat's
    // lines stay readable; a wide screen gives the article what the column does not need.
    p.columnWidth = std::clamp(inside.width() / 4, sizes.minColumnWidth, sizes.maxColumnWidth);
    const int column = std::max(0, inside.height() - sizes.menuHeight);
    p.chooserHeight = sizes.chooserHeight;
    // Players get a third of the rest (a full room scrolls), the chat the remainder.
    const int rest = std::max(0, column - p.chooserHeight);
    p.playersHeight = rest / 3;
    p.chatHeight = rest - p.playersHeight;
    return p;
}
