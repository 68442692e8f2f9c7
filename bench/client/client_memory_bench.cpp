// Resident memory of the game client with its windows open and one article shown.
//
// This process plays the client: chat, scoreboard and game window with the real Chromium browser,
// the encyclopedia served by a second copy of this program (so the site's memory is not counted).
// It counts itself plus every QtWebEngine helper process it started, as resident set (RSS, pages
// shared between the helpers counted once per process) and proportional set (PSS, shared pages
// split between their users, so the sum is what the client really costs the machine).

#include "client/ModData.h"
#include "client/game/frmGame.h"
#include "client/session/GameSession.h"
#include "platform/Browser.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/WebBrowser.h"
#include "settings/Options.h"
#include "site/corpus/BuiltinCorpus.h"
#include "site/http/SiteServer.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <cstdio>
#include <functional>

namespace
{
// Lets events run while the condition holds; false when the limit ran out first.
bool WaitWhile(const std::function<bool()> &condition, int limitMs)
{
    QDeadlineTimer deadline(limitMs);
    while (condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}
} // namespace

namespace
{

struct Usage {
    qint64 rssKb = 0;
    qint64 pssKb = 0;
};

qint64 FieldKb(const QString &path, const QByteArray &key)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith(key)) {
            const QList<QByteArray> parts = line.mid(key.size()).simplified().split(' ');
            return parts.value(0).toLongLong();
        }
    }
    return 0;
}

Usage UsageOf(qint64 pid)
{
    const QString base = QStringLiteral("/proc/%1/").arg(pid);
    return {FieldKb(base + QStringLiteral("status"), "VmRSS:"),
            FieldKb(base + QStringLiteral("smaps_rollup"), "Pss:")};
}

qint64 ParentOf(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray stat = f.readAll();
    // The command name in parentheses may hold blanks; the fields after it are fixed.
    const QList<QByteArray> rest = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    return rest.value(1).toLongLong();
}

QString KindOf(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/cmdline").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    for (const QByteArray &arg : f.readAll().split('\0')) {
        if (arg.startsWith("--type="))
            return QString::fromUtf8(arg.mid(7));
    }
    return QStringLiteral("program");
}

// Every process below root, except the one given (the site server).
QList<qint64> Descendants(qint64 root, qint64 except)
{
    QList<qint64> all;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool ok = false;
        const qint64 pid = entry.toLongLong(&ok);
        if (ok)
            all << pid;
    }
    QList<qint64> found{root};
    for (qsizetype i = 0; i < found.size(); ++i) {
        for (qint64 pid : all) {
            if (pid != except && !found.contains(pid) && ParentOf(pid) == found[i])
                found << pid;
        }
    }
    found.removeFirst();
    return found;
}

quint16 FreeUdpPort()
{
    QUdpSocket probe;
    probe.bind(QHostAddress::LocalHost, 0);
    return probe.localPort();
}

int ServeSite()
{
    SiteServer site;
    if (!site.Start(BuiltinCorpus(), QHostAddress::LocalHost, 0))
        return 1;
    std::printf("%u\n", site.Port());
    std::fflush(stdout);
    return QCoreApplication::exec();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && QByteArray(argv[1]) == "--serve-site") {
        QCoreApplication app(argc, argv);
        return ServeSite();
    }
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    PrepareWebEngine();
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    QProcess site;
    site.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--serve-site")});
    if (!site.waitForStarted(10000) || !site.waitForReadyRead(10000)) {
        std::fprintf(stderr, "the encyclopedia did not start\n");
        return 1;
    }
    const QString sitePort = QString::fromUtf8(site.readLine().trimmed());

    QTemporaryDir folder;
    modOptions::SetOptionsDirectory(folder.path());
    SaveOption(QStringLiteral("Site"), QStringLiteral("127.0.0.1:") + sitePort);
    ModData modData;
    modData.ResetAll();
    modData.ServerHost = QStringLiteral("127.0.0.1");
    modData.PlayerName = QStringLiteral("Ann");
    modData.OwnPort = QString::number(FreeUdpPort());
    modData.AddPlayer(QStringLiteral("Ann"));
    QtDialogs dialogs;
    GameServices services = RealGameServices(dialogs);
    services.serverPort = FreeUdpPort(); // nobody answers there: the client runs on its own
    services.endProgram = [] {};
    auto session = std::make_unique<GameSession>(modData, services);

    const qint64 self = QCoreApplication::applicationPid();
    const Usage before = UsageOf(self);
    session->Open();
    Browser &browser = session->Game()->GameBrowser();
    if (!WaitWhile([&] { return browser.Busy() || modData.CurrentPage != "Main Page"; }, 60000)) {
        std::fprintf(stderr, "the main page did not load\n");
        return 1;
    }
    browser.Navigate(
        QStringLiteral("http://127.0.0.1:%1/wiki/Special:Search?search=Cat&go=Go").arg(sitePort));
    if (!WaitWhile([&] { return browser.Busy() || modData.CurrentPage != "Cat"; }, 60000)) {
        std::fprintf(stderr, "the article did not load\n");
        return 1;
    }
    WaitWhile([] { return true; }, 3000); // let the renderer settle

    const Usage client = UsageOf(self);
    Usage helpers;
    std::printf("[ figure ] client memory with the game windows and one article (Cat) open:\n");
    std::printf("  %-28s RSS %7lld KiB  PSS %7lld KiB  (before the windows: RSS %lld KiB)\n",
                "client process", client.rssKb, client.pssKb, before.rssKb);
    for (qint64 pid : Descendants(self, site.processId())) {
        const Usage u = UsageOf(pid);
        helpers.rssKb += u.rssKb;
        helpers.pssKb += u.pssKb;
        // Chromium forks its renderers from the zygote, and they keep the zygote's command line.
        QString kind = KindOf(pid);
        if (kind == QLatin1String("zygote") && KindOf(ParentOf(pid)) == QLatin1String("zygote"))
            kind = QStringLiteral("zygote's child");
        std::printf("  helper %-21s RSS %7lld KiB  PSS %7lld KiB  (pid %lld)\n", qPrintable(kind), u.rssKb,
                    u.pssKb, pid);
    }
    std::printf("  %-28s RSS %7lld KiB  PSS %7lld KiB\n", "QtWebEngine helpers", helpers.rssKb,
                helpers.pssKb);
    std::printf("  %-28s RSS %7lld KiB (%.1f MiB)  PSS %7lld KiB (%.1f MiB)\n", "total",
                client.rssKb + helpers.rssKb, (client.rssKb + helpers.rssKb) / 1024.0,
                client.pssKb + helpers.pssKb, (client.pssKb + helpers.pssKb) / 1024.0);
    std::fflush(stdout);

    session->Game()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    site.kill();
    site.waitForFinished(5000);
    return 0;
}
