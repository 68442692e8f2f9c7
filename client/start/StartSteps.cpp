#include "client/start/StartSteps.h"

#include "client/host/frmHost.h"
#include "client/main/frmMain.h"
#include "client/servers/frmServers.h"
#include "platform/Dialogs.h"

void WireStartSteps(frmMain &window, ModData &modData, SocketFactory &sockets, Dialogs &dialogs,
                    LocalNetwork &network)
{
    JoinSession &session = window.Session();
    const quint16 serverPort = session.Config().serverPort;
    const quint16 firstLocalPort = session.Config().firstLocalPort;

    session.SetServerBrowser([&, serverPort, firstLocalPort](std::function<void()> closed) {
        auto *browser =
            new frmServers(modData, sockets, dialogs, network, serverPort, firstLocalPort, &window);
        QObject::connect(&browser->Browser(), &ServerBrowser::FatalExit, &window, [&window, browser, closed] {
            browser->deleteLater();
            emit window.ProgramEnd();
            closed();
        });
        if (!browser->Load())
            return;
        dialogs.OpenModal(browser, &session, [closed](int) { closed(); });
    });
    session.SetHostDialog([&](std::function<void()> closed) {
        dialogs.OpenModal(new frmHost(modData, dialogs, &window), &session, [closed](int) { closed(); });
    });
}
