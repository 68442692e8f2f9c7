#include "platform/qt/HeadlessBrowser.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/SystemClock.h"
#include "platform/qt/UdpSocket.h"
#include "platform/qt/WindowSystem.h"
#include "server/window/LocalSite.h"
#include "server/window/frmMain.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("QuilloryServer"));

    // One server per machine: a second copy leaves at once, silently.
    SingleInstanceLock instance;
    if (!instance.TryLock(QStringLiteral("QuilloryServer")))
        return 0;

    UdpSocket wsServer;
    HeadlessBrowser wbMain;
    SystemClock clock;
    QtDialogs dialogs;
    LocalSite site;
    frmMain form(wsServer, wbMain, clock, dialogs, &site);
    if (ShouldStartMinimized())
        form.showMinimized();
    else
        form.show();
    form.Form_Load();
    return app.exec();
}
