#include "platform/qt/HeadlessBrowser.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/SystemClock.h"
#include "platform/qt/UdpSocket.h"
#include "platform/qt/WindowSystem.h"
#include "server/DedicatedServer.h"
#include "server/ServerHost.h"
#include "server/window/LocalSite.h"
#include "server/window/frmMain.h"
#include "site/choice/FoundEncyclopedias.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QSocketNotifier>
#include <QTextStream>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>

namespace
{

constexpr char kHeadlessFlag[] = "--headless";

// The write end is for the signal handler, the read end for the event loop.
int g_terminatePipe[2] = {-1, -1};

// Only write() is safe in a signal handler; the program does the real work once the event loop
// sees the byte.
void onTerminateSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_terminatePipe[1], &byte, 1);
    errno = saved;
}

// SIGTERM and SIGINT end the server as closing its window does, so players hear DISCONNECT:
// `terminate` runs once, from the event loop.
std::unique_ptr<QSocketNotifier> CatchTerminateSignals(QObject *context, std::function<void()> terminate)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, g_terminatePipe) != 0)
        return nullptr;
    struct sigaction action = {};
    action.sa_handler = onTerminateSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    if (::sigaction(SIGTERM, &action, nullptr) != 0 || ::sigaction(SIGINT, &action, nullptr) != 0)
        return nullptr;
    auto notifier = std::make_unique<QSocketNotifier>(g_terminatePipe[0], QSocketNotifier::Read);
    QSocketNotifier *raw = notifier.get();
    QObject::connect(raw, &QSocketNotifier::activated, context, [raw, terminate = std::move(terminate)] {
        char bytes[16];
        while (::read(g_terminatePipe[0], bytes, sizeof bytes) > 0) {
        }
        raw->setEnabled(false);
        terminate();
        QCoreApplication::exit(0);
    });
    return notifier;
}

// How often the headless report may be printed: --report-interval-ms, for tests. Also reads --help.
std::chrono::milliseconds HeadlessOptions(const QCoreApplication &app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("The Quillory game server."));
    parser.addHelpOption();
    parser.addOption({QString::fromLatin1(kHeadlessFlag + 2),
                      QStringLiteral("Serve without a window; report to standard output.")});
    QCommandLineOption interval(QStringLiteral("report-interval-ms"), QString(), QStringLiteral("ms"));
    interval.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(interval);
    parser.process(app);
    bool numeric = false;
    const qint64 intervalMs = parser.value(interval).toLongLong(&numeric);
    return numeric && intervalMs > 0 && intervalMs <= 3600000 ? std::chrono::milliseconds(intervalMs)
                                                              : ServerHost::kReportInterval;
}

// The dedicated server: no window, no window system; the report goes to standard output.
int RunHeadless(ServerHost &host)
{
    QTextStream err(stderr);
    QTextStream out(stdout);
    DedicatedServer server(host, out);
    const auto notifier = CatchTerminateSignals(&server, [&server] { server.Stop(); });
    QString error;
    if (!server.Start(&error)) {
        err << error << '\n';
        return 1;
    }
    return QCoreApplication::exec();
}

int RunWindow(ServerHost &host)
{
    // The encyclopedia chooser lists the archives on this machine.
    QtDialogs dialogs(nullptr, UsualEncyclopediaFinder());
    frmMain form(host, dialogs);
    // Also leaves a ban question the operator may have open; its answer then counts for nobody.
    const auto notifier = CatchTerminateSignals(&form, [&form] { form.close(); });

    if (ShouldStartMinimized())
        form.showMinimized();
    else
        form.show();
    form.Form_Load();
    return QApplication::exec();
}

} // namespace

int main(int argc, char **argv)
{
    // Decided before any application object exists: a window needs a display, the dedicated server not.
    bool headless = false;
    for (int i = 1; i < argc; ++i)
        headless = headless || std::strcmp(argv[i], kHeadlessFlag) == 0;
    const std::unique_ptr<QCoreApplication> app = headless ? std::make_unique<QCoreApplication>(argc, argv)
                                                           : std::make_unique<QApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("QuilloryServer"));
    const std::chrono::milliseconds reportInterval =
        headless ? HeadlessOptions(*app) : ServerHost::kReportInterval;

    // One server per machine: a second copy leaves at once, silently when it has a window.
    SingleInstanceLock instance;
    if (!instance.TryLock(QStringLiteral("QuilloryServer"))) {
        if (!headless)
            return 0;
        QTextStream(stderr) << "QuilloryServer is already running on this machine.\n";
        return 1;
    }

    UdpSocket wsServer;
    HeadlessBrowser wbMain;
    SystemClock clock;
    LocalSite site;
    ServerHost host(wsServer, wbMain, clock, &site, reportInterval);
    return headless ? RunHeadless(host) : RunWindow(host);
}
