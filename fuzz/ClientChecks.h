#pragma once

#include "FuzzSupport.h"

#include "client/ModData.h"
#include "fakes/FakeNetwork.h"

namespace fuzz
{

// Delivers what the client (at 127.0.0.1) and its peers sent, and checks what holds for every
// client after each step: no datagrams answering each other for ever, nothing the client sent
// over one datagram, and a player list within its bound.
inline void DeliverToClient(const char *target, FakeNetwork &net, const ModData &modData, int deliveryLimit)
{
    const int delivered = net.Deliver(deliveryLimit);
    Require(delivered < deliveryLimit, target,
            QStringLiteral("datagrams keep answering each other (%1 delivered)").arg(delivered));
    for (const Datagram &d : net.Sent()) {
        if (d.fromAddress == QLatin1String("127.0.0.1"))
            RequireFits(target, d.text, QStringLiteral("the client"));
    }
    net.ClearSent();
    Require(modData.PlayerCount <= ModData::kMaxPlayers && modData.PlayerCount == modData.Players.Size(),
            target,
            QStringLiteral("the player list holds %1 players in %2 entries")
                .arg(modData.PlayerCount)
                .arg(modData.Players.Size()));
}

} // namespace fuzz
