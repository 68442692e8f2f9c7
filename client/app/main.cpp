// Quillory: the game client. It opens with the start window; after joining, the game windows
// take over and the program ends when the game window closes.
#include "client/ModData.h"
#include "client/main/frmMain.h"
#include "client/session/GameSession.h"
#include "client/start/StartSteps.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/UdpSocket.h"
#include "platform/qt/WebBrowser.h"
#include "platform/qt/WindowSystem.h"
#include "site/choice/FoundEncyclopedias.h"

#include <QApplication>

int main(int argc, char **argv)
{
    // The game window browses with Chromium, which has to be set up before the application.
    PrepareWebEngine();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillory"));

    UdpSocketFactory sockets;
    // The host's encyclopedia chooser lists the archives on this machine.
    QtDialogs dialogs(nullptr, UsualEncyclopediaFinder());
    ModData modData;
    GameSession game(modData, RealGameServices(dialogs));
    frmMain window(modData, sockets, dialogs);
    window.SetProgramStarter(&StartProgramMinimized);
    WireStartSteps(window, modData, sockets, dialogs);
    // A failure the client cannot go on from (no free local port) ends the program.
    QObject::connect(
        &window, &frmMain::ProgramEnd, &app, [] { QCoreApplication::exit(1); }, Qt::QueuedConnection);
    QObject::connect(&window, &frmMain::JoinCompleted, &app, [&game] { game.Open(); });
    window.show();
    return app.exec();
}
