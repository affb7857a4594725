#include "AppRuntime.h"

#include <QApplication>

int main(int argc, char** argv)
{
    // On a Wayland session the window's flags (on top, frameless, its place on the screen) hold only through
    // XWayland; without an X display, or when the user chose a platform, Qt's choice stands.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb;wayland");
    QApplication app(argc, argv);
    return runZovodazad(app);
}
