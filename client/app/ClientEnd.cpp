#include "client/app/ClientEnd.h"

#include "client/game/frmGame.h"
#include "client/session/GameSession.h"
#include "platform/qt/TerminateSignals.h"

std::unique_ptr<QSocketNotifier> EndClientOnTerminateSignals(GameSession &game)
{
    return CatchTerminateSignals(&game, [&game] {
        if (game.HasGame())
            game.Game()->close();
    });
}
