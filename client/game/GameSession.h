#pragma once

#include "protocol/Protocol.h"

#include "client/WindowPlacement.h"

#include <QString>
#include <functional>
#include <memory>

class Browser;
class DatagramSocket;
class Dialogs;
class ModData;
class QWidget;
class frmChat;
class frmGame;
class frmScores;
class frmWinner;

// What the game windows are made of. The program uses the real pieces; tests put in fakes.
struct GameServices {
    // The client's shared state, owned by the program's main (or the test).
    ModData *data = nullptr;
    // wsGame; default: a UDP socket.
    std::function<std::unique_ptr<DatagramSocket>()> createSocket;
    // wbMain, made for the game window; default: the Chromium browser shown in that window.
    std::function<std::unique_ptr<Browser>(QWidget *window)> createBrowser;
    // Message boxes; default: real modal boxes.
    Dialogs *dialogs = nullptr;
    // Closing the game window ends the program; default: the application quits.
    std::function<void()> endProgram;
    quint16 serverPort = kGamePort;
    int scorePollMs = 100;
    int pingMs = 10000;
};

// Replaces the pieces for windows created from now on (tests).
void SetGameServices(GameServices services);
GameServices &Services();
Dialogs &GameDialogs();
ModData &GameData();

// The start window's last step: opens the chat, the scoreboard and the game window (and the word
// chooser when the server named this player host), and hands the welcome text to the chat.
void OpenGameWindows(ModData &data);

// The one instance of each window, created on first use.
frmGame *GameWindow();
frmChat *ChatWindow();
frmScores *ScoresWindow();
frmWinner *ChooserWindow();
// Where the game's windows go on the screen of `window` (frames included).
GameWindowsPlacement PlaceOnScreenOf(const QWidget *window);
// Puts a window at its whole-window rectangle; its inside gets the rest.
void PlaceWindow(QWidget *window, const QRect &whole);

// Whether a window exists now, without creating it.
bool GameWindowExists();
bool ChatWindowExists();
bool ScoresWindowExists();
bool ChooserWindowExists();
// The chooser exists and is shown.
bool ChooserShown();

// Windows call these from UnloadNow / close, so that the next use makes a fresh window.
void ForgetGameWindow(frmGame *window);
void ForgetChatWindow(frmChat *window);
void ForgetScoresWindow(frmScores *window);
void ForgetChooserWindow(frmWinner *window);
