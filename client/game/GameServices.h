#pragma once

#include "protocol/Protocol.h"

#include <functional>
#include <memory>

class Browser;
class DatagramSocket;
class Dialogs;
class QWidget;

// What the game's windows are made of. The program uses the real pieces; tests put in fakes.
struct GameServices {
    // wsGame.
    std::function<std::unique_ptr<DatagramSocket>()> createSocket;
    // wbMain, made for the game window.
    std::function<std::unique_ptr<Browser>(QWidget *window)> createBrowser;
    // Message boxes.
    Dialogs *dialogs = nullptr;
    // Closing the game window ends the program.
    std::function<void()> endProgram;
    // After the server disconnected the player: the start window comes back with what happened.
    // Unset, a disconnect ends the program too.
    std::function<void(const QString &why)> backToStart;
    quint16 serverPort = kGamePort;
    int scorePollMs = 100;
    int pingMs = 10000;
};
