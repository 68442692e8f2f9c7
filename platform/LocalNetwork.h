#pragma once

#include <QStringList>

// The networks this machine is on, as the server browser asks them: a STATUS sent to a network's
// broadcast address reaches every server on it, so servers nobody typed still answer.
class LocalNetwork
{
public:
    virtual ~LocalNetwork() = default;
    // Dotted IPv4 broadcast addresses, each once; empty when no network can carry a broadcast.
    virtual QStringList BroadcastAddresses() const = 0;
};
