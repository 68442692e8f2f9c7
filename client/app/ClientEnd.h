#pragma once

#include <QSocketNotifier>
#include <memory>

class GameSession;

// SIGTERM and SIGINT end the client as closing its game window does, so that a joined player's
// server hears DISCONNECT at once instead of dropping the player after 20 silent seconds. Before
// joining, the program simply ends. The exit code is 0 either way.
std::unique_ptr<QSocketNotifier> EndClientOnTerminateSignals(GameSession &game);
