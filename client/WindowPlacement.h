#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

// Where the game's windows go on a screen, as whole windows (frames included): the chat at the
// top-left corner, the scoreboard under it, the word chooser at the bottom-left corner under the
// scoreboard, and the game window to the right of all three. No window covers another.
struct GameWindowsPlacement {
    QRect chat;
    QRect scores;
    QRect chooser;
    QRect game;
};

struct GameWindowsSizes {
    QSize chatInside;          // the chat's fixed inside
    int scoresInsideWidth = 0; // the scoreboard's fixed width
    int scoresMinInsideHeight = 0;
    QSize chooserInside; // the chooser's fixed inside
    int bottomGap = 0;   // left free under the game window and the scoreboard
};

// `available` is the screen's area for windows; `frame` what the window system adds around each
// window's inside (title bar, borders).
GameWindowsPlacement PlaceGameWindows(const QRect &available, const QMargins &frame,
                                      const GameWindowsSizes &sizes);

// The window's inside for a whole-window rectangle.
QRect InsideOf(const QRect &window, const QMargins &frame);

// The one game window with its panels: the window fills the screen's area for windows; the chat,
// the players and the word chooser stack in a column at its left, the article takes the rest.
struct PanelPlan {
    QRect window;          // whole window, frame included
    int columnWidth = 0;   // the panels' column
    int playersHeight = 0; // the players table, at the top of the column
    int chooserHeight = 0; // the chooser, at the bottom when it is shown
    int chatHeight = 0;    // the chat, between them
};

struct PanelSizes {
    int chooserHeight = 0; // the chooser's fixed height, caption included
    int menuHeight = 0;    // the window's menu bar
    int minColumnWidth = 0;
    int maxColumnWidth = 0;
};

PanelPlan PlanPanels(const QRect &available, const QMargins &frame, const PanelSizes &sizes);
