#pragma once

#include "Report.h"

#include <QString>
#include <QStringList>

class QTextStream;

// What the program was asked to do. Parsing touches no file and no display.
struct Invocation
{
    enum class Kind {
        Tray, // no command: the tray program, as started from the desktop
        Help,
        Version,
        Report,
        Status,
        Error, // error holds the one-line reason
    };
    Kind kind = Kind::Tray;
    QString error;
    ReportRequest report;
    // report and status: --database, empty for the file the tray program would use.
    QString database;
    // status: --json, --format waybar, --watch.
    enum class StatusFormat { Text, Json, Waybar } statusFormat = StatusFormat::Text;
    bool watch = false;
};

// arguments as main() has them, the program's name first. Options of Qt's own (-platform, -session, ...) are the
// tray program's.
Invocation parseCommandLine(const QStringList& arguments);

QString helpText();

// Runs a command that needs no display (anything but Kind::Tray) in a QCoreApplication; returns the exit status.
int runCommand(const Invocation& invocation, QTextStream& out, QTextStream& err);
