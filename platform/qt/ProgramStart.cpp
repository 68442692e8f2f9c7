#include "platform/qt/ProgramStart.h"

#include <QList>
#include <cstring>

bool AsksForHelp(int argc, const char *const *argv)
{
    for (int i = 1; i < argc; ++i) {
        for (const char *flag : {"-h", "--help", "--help-all"}) {
            if (std::strcmp(argv[i], flag) == 0)
                return true;
        }
    }
    return false;
}

DisplayEnvironment DisplayEnvironment::Current()
{
    return {qgetenv("QT_QPA_PLATFORM"), qgetenv("DISPLAY"), qgetenv("WAYLAND_DISPLAY")};
}

bool CanShowWindows(const DisplayEnvironment &environment)
{
    if (!environment.display.isEmpty() || !environment.waylandDisplay.isEmpty())
        return true;
    const QList<QByteArray> platforms = environment.platform.split(';');
    for (const QByteArray &entry : platforms) {
        const QByteArray name = entry.split(':').first().trimmed();
        const bool displayServer = name.isEmpty() || name == "xcb" || name.startsWith("wayland");
        // An empty list is Qt's default, which draws on a display server.
        if (!displayServer)
            return true;
    }
    return false;
}
