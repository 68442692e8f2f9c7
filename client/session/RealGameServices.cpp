#include "client/session/GameSession.h"

#include "platform/qt/UdpSocket.h"
#include "platform/qt/WebBrowser.h"

#include <QCoreApplication>

GameServices RealGameServices(Dialogs &dialogs)
{
    GameServices s;
    s.createSocket = [] { return std::unique_ptr<DatagramSocket>(std::make_unique<UdpSocket>()); };
    s.createBrowser = [](QWidget *window) {
        return std::unique_ptr<Browser>(std::make_unique<WebBrowser>(window));
    };
    s.dialogs = &dialogs;
    s.endProgram = [] { QCoreApplication::quit(); };
    return s;
}
