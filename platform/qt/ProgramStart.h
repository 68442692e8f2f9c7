#pragma once

#include <QByteArray>

// What a program decides from its command line and environment before any application object exists.

// True when the command line asks for the usage (-h, --help, --help-all).
bool AsksForHelp(int argc, const char *const *argv);

// What decides whether windows can be shown.
struct DisplayEnvironment {
    QByteArray platform; // QT_QPA_PLATFORM: one platform or a ";" list of fallbacks, each "name[:options]"
    QByteArray display;  // DISPLAY
    QByteArray waylandDisplay; // WAYLAND_DISPLAY

    static DisplayEnvironment Current();
};

// False when every platform Qt would try draws on a display server (X11 or Wayland, the default
// included) and none is named: Qt would then abort the program with a core dump instead of saying
// so. Platforms that draw without one (offscreen, minimal, vnc, eglfs...) can always show windows.
bool CanShowWindows(const DisplayEnvironment &environment);
