#include "platform/qt/InterfaceNetwork.h"

#include <QNetworkInterface>

QStringList InterfaceNetwork::BroadcastAddresses() const
{
    // Read afresh each time: a cable plugged in or a network joined while the browser is open counts.
    // Loopback has no broadcast: a server on this machine hears the broadcast of the machine's
    // network, and listing it a second time under 127.0.0.1 would only add a twin entry.
    QStringList out;
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &nif : interfaces) {
        const auto flags = nif.flags();
        if (!(flags & QNetworkInterface::IsUp) || !(flags & QNetworkInterface::IsRunning) ||
            !(flags & QNetworkInterface::CanBroadcast) || (flags & QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry &entry : nif.addressEntries()) {
            const QHostAddress broadcast = entry.broadcast();
            if (entry.ip().protocol() != QAbstractSocket::IPv4Protocol || broadcast.isNull())
                continue;
            const QString text = broadcast.toString();
            if (!out.contains(text))
                out << text;
        }
    }
    return out;
}
