#include "platform/DatagramSocket.h"

#include "protocol/Protocol.h"

bool DatagramSocket::Bind(const QString &port)
{
    const auto value = ParseNumber(port);
    if (!value || *value < 0 || *value > 65535)
        return false;
    return Bind(static_cast<quint16>(*value));
}
