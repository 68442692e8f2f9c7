// Quillory: the game client. It opens with the start window; after joining, the game windows
// take over and the program ends when the game window closes.
#include "client/ModData.h"
#include "client/app/ClientEnd.h"
#include "client/main/frmMain.h"
#include "client/session/GameSession.h"
#include "client/start/StartSteps.h"
#include "platform/System.h"
#include "platform/qt/InterfaceNetwork.h"
#include "platform/qt/ProgramStart.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/UdpSocket.h"
#include "platform/qt/WebBrowser.h"
#include "platform/qt/WindowSystem.h"
#include "site/choice/FoundEncyclopedias.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTextStream>

namespace
{
// Prints the usage and ends the program; needs no display.
[[noreturn]] void ShowHelp(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Quillory, the race across encyclopedia articles: "
                                                    "join a game or host one from the start window."));
    parser.addHelpOption();
    parser.process(app);
    parser.showHelp(0);
}
} // namespace

int main(int argc, char **argv)
{
    if (AsksForHelp(argc, argv))
        ShowHelp(argc, argv);
    if (!CanShowWindows(DisplayEnvironment::Current())) {
        QTextStream(stderr) << "Quillory needs a display: DISPLAY and WAYLAND_DISPLAY are not set.\n";
        return 1;
    }
    // The game window browses with Chromium, which has to be set up before the application.
    PrepareWebEngine();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillory"));

    UdpSocketFactory sockets;
    InterfaceNetwork network;
    // The host's encyclopedia chooser lists the archives on this machine.
    QtDialogs dialogs(nullptr, UsualEncyclopediaFinder());
    ModData modData;
    frmMain window(modData, sockets, dialogs);
    GameServices services = RealGameServices(dialogs);
    // A game the server ended brings the start window back, saying why; the next join starts afresh.
    services.backToStart = [&window, &modData](const QString &why) {
        modData.ResetAll();
        window.ComeBack(why);
    };
    GameSession game(modData, std::move(services));
    const auto endOnSignal = EndClientOnTerminateSignals(game);
    // The server Host started: when its player quits, it does not linger unnoticed.
    struct Hosted {
        qint64 pid = 0;
        QString program;
    } hosted;
    window.SetProgramStarter([&hosted](const QString &path) {
        hosted = {};
        if (!StartProgramMinimized(path, &hosted.pid))
            return false;
        hosted.program = path;
        return true;
    });
    game.SetHostedServer({[&hosted] { return sys::IsRunning(hosted.pid, hosted.program); },
                          [&hosted] { sys::StopProgram(hosted.pid, hosted.program); }});
    WireStartSteps(window, modData, sockets, dialogs, network);
    // A failure the client cannot go on from (no free local port) ends the program.
    QObject::connect(
        &window, &frmMain::ProgramEnd, &app, [] { QCoreApplication::exit(1); }, Qt::QueuedConnection);
    QObject::connect(&window, &frmMain::JoinCompleted, &app, [&game] { game.Open(); });
    window.show();
    return app.exec();
}
