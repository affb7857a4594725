#include "AppRuntime.h"
#include "CommandLine.h"
#include "Translations.h"

#include <QApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char** argv)
{
    QStringList arguments;
    for (int k = 0; k < argc; ++k)
        arguments.append(QString::fromLocal8Bit(argv[k]));
    // A command (--help, report, status) runs without any display and creates no file of its own.
    if (parseCommandLine(arguments).kind != Invocation::Kind::Tray) {
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("Zovodazad"));
        QCoreApplication::setApplicationVersion(
            QStringLiteral("%1.%2").arg(ZOVO_VERSION_MAJOR).arg(ZOVO_VERSION_MINOR));
        const Translations translations;
        QTextStream out(stdout);
        QTextStream err(stderr);
        // Parsed again now that there are translations, so that its messages speak the user's language.
        return runCommand(parseCommandLine(arguments), out, err);
    }
    // On a Wayland session the window's flags (on top, frameless, its place on the screen) hold only through
    // XWayland; without an X display, or when the user chose a platform, Qt's choice stands.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb;wayland");
    QApplication app(argc, argv);
    return runZovodazad(app);
}
