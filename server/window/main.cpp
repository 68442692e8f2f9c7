#include "platform/qt/HeadlessBrowser.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/SystemClock.h"
#include "platform/qt/UdpSocket.h"
#include "platform/qt/WindowSystem.h"
#include "server/window/LocalSite.h"
#include "server/window/frmMain.h"

#include <QApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>

namespace
{

// The write end is for the signal handler, the read end for the event loop.
int g_terminatePipe[2] = {-1, -1};

// Only write() is safe in a signal handler; the window does the real work once the event loop
// sees the byte.
void onTerminateSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_terminatePipe[1], &byte, 1);
    errno = saved;
}

// SIGTERM and SIGINT end the server as closing its window does, so players hear DISCONNECT.
bool CatchTerminateSignals()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, g_terminatePipe) != 0)
        return false;
    struct sigaction action = {};
    action.sa_handler = onTerminateSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGTERM, &action, nullptr) == 0 && ::sigaction(SIGINT, &action, nullptr) == 0;
}

} // namespace

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

    std::unique_ptr<QSocketNotifier> terminateNotifier;
    if (CatchTerminateSignals()) {
        terminateNotifier = std::make_unique<QSocketNotifier>(g_terminatePipe[0], QSocketNotifier::Read);
        QObject::connect(terminateNotifier.get(), &QSocketNotifier::activated, &form, [&] {
            char bytes[16];
            while (::read(g_terminatePipe[0], bytes, sizeof bytes) > 0) {
            }
            terminateNotifier->setEnabled(false);
            form.close();
            // Also leaves a ban question the operator may have open; its answer then counts for nobody.
            QCoreApplication::exit(0);
        });
    }

    if (ShouldStartMinimized())
        form.showMinimized();
    else
        form.show();
    form.Form_Load();
    return app.exec();
}
