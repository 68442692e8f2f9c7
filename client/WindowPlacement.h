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
