#include "platform/qt/TerminateSignals.h"

#include <QCoreApplication>
#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace
{

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

} // namespace

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
