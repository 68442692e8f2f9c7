#pragma once

#include "platform/LocalNetwork.h"

// The machine's network interfaces as they are now: the broadcast address of every IPv4 network on
// an interface that is up, running and can broadcast.
class InterfaceNetwork : public LocalNetwork
{
public:
    QStringList BroadcastAddresses() const override;
};
