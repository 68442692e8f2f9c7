#include "platform/qt/HeadlessBrowser.h"
#include "platform/qt/ProgramStart.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/SystemClock.h"
#include "platform/qt/TerminateSignals.h"
#include "platform/qt/UdpSocket.h"
#include "platform/qt/WindowSystem.h"
#include "server/DedicatedServer.h"
#include "server/ServerHost.h"
#include "server/window/LocalSite.h"
#include "server/window/frmMain.h"
#include "site/choice/FoundEncyclopedias.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTextStream>
#include <QTimer>
#include <cstring>
#include <memory>

namespace
{

constexpr char kHeadlessFlag[] = "--headless";

// What the dedicated server takes besides --headless, for tests: how often the report may be printed
// (--report-interval-ms) and the share of a person's pauses bots take (--bot-pace). Also reads --help.
struct HeadlessSettings {
    std::chrono::milliseconds reportInterval = ServerHost::kReportInterval;
    double botPace = 1.0;
};

HeadlessSettings HeadlessOptions(const QCoreApplication &app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("The Quillory game server."));
    parser.addHelpOption();
    parser.addOption({QString::fromLatin1(kHeadlessFlag + 2),
                      QStringLiteral("Serve without a window; report to standard output.")});
    QCommandLineOption interval(QStringLiteral("report-interval-ms"), QString(), QStringLiteral("ms"));
    interval.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(interval);
    QCommandLineOption pace(QStringLiteral("bot-pace"), QString(), QStringLiteral("share"));
    pace.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(pace);
    parser.process(app);
    HeadlessSettings settings;
    bool numeric = false;
    const qint64 intervalMs = parser.value(interval).toLongLong(&numeric);
    if (numeric && intervalMs > 0 && intervalMs <= 3600000)
        settings.reportInterval = std::chrono::milliseconds(intervalMs);
    const double share = parser.value(pace).toDouble(&numeric);
    if (numeric && share >= 0.0 && share <= 1.0)
        settings.botPace = share;
    return settings;
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

    form.show();
    // Asked of a window already on the screen: window managers take an unmapped window's wish to
    // start minimised as a hint they may ignore, and some do.
    if (ShouldStartMinimized())
        QTimer::singleShot(0, &form, [&form] { form.showMinimized(); });
    form.Form_Load();
    return QApplication::exec();
}

} // namespace

int main(int argc, char **argv)
{
    // Decided before any application object exists: a window needs a display, the dedicated server and
    // the usage do not.
    bool headless = false;
    for (int i = 1; i < argc; ++i)
        headless = headless || std::strcmp(argv[i], kHeadlessFlag) == 0;
    const bool textOnly = headless || AsksForHelp(argc, argv);
    if (!textOnly && !CanShowWindows(DisplayEnvironment::Current())) {
        QTextStream(stderr) << "QuilloryServer needs a display for its window: DISPLAY and WAYLAND_DISPLAY "
                               "are not set; use --headless to serve without one.\n";
        return 1;
    }
    const std::unique_ptr<QCoreApplication> app = textOnly ? std::make_unique<QCoreApplication>(argc, argv)
                                                           : std::make_unique<QApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("QuilloryServer"));
    const HeadlessSettings settings = textOnly ? HeadlessOptions(*app) : HeadlessSettings();

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
    ServerHost host(wsServer, wbMain, clock, &site, settings.reportInterval);
    host.Server().SetBotPace(settings.botPace);
    return headless ? RunHeadless(host) : RunWindow(host);
}
