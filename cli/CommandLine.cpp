#include "CommandLine.h"

#include "DatabaseFile.h"
#include "Db.h"
#include "Status.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTextStream>

namespace {

// The context of this file's texts in the translations.
struct Text
{
    Q_DECLARE_TR_FUNCTIONS(CommandLine)
};

// Qt's own options of a graphical program, with (true) or without a value; they are the tray program's.
bool isQtOption(const QString& arg, bool* takesValue)
{
    static const QStringList WithValue
        = {"platform",   "platformpluginpath", "platformtheme", "plugin",      "session",  "display", "style",
           "stylesheet", "qwindowgeometry",    "qwindowtitle",  "qwindowicon", "geometry", "title",   "name"};
    static const QStringList Alone = {"reverse", "nograb", "dograb", "sync", "widgetcount"};
    QString name = arg;
    while (name.startsWith(QLatin1Char('-')))
        name.remove(0, 1);
    *takesValue = !name.contains(QLatin1Char('=')) && WithValue.contains(name);
    return WithValue.contains(name.section(QLatin1Char('='), 0, 0)) || Alone.contains(name);
}

Invocation failed(const QString& why)
{
    Invocation i;
    i.kind = Invocation::Kind::Error;
    i.error = why;
    return i;
}

std::optional<QDate> dateOption(const QCommandLineParser& p, const QString& name, QString* error)
{
    if (!p.isSet(name))
        return QDate();
    const QDate d = QDate::fromString(p.value(name), Qt::ISODate);
    if (!d.isValid()) {
        *error = Text::tr("--%1 takes a date as YYYY-MM-DD, not '%2'").arg(name, p.value(name));
        return std::nullopt;
    }
    return d;
}

Invocation parseReport(const QStringList& arguments)
{
    QCommandLineParser p;
    p.addOptions({{QStringLiteral("json"), QString()},
                  {QStringLiteral("csv"), QString()},
                  {QStringLiteral("begin"), QString(), QStringLiteral("date")},
                  {QStringLiteral("end"), QString(), QStringLiteral("date")},
                  {QStringLiteral("limit"), QString(), QStringLiteral("n")},
                  {QStringLiteral("adapter"), QString(), QStringLiteral("name")},
                  {QStringLiteral("database"), QString(), QStringLiteral("path")}});
    if (!p.parse(arguments))
        return failed(p.errorText());
    const QStringList rest = p.positionalArguments().mid(1);
    Invocation i;
    i.kind = Invocation::Kind::Report;
    if (rest.size() > 1)
        return failed(Text::tr("report takes one kind of report, not '%1'").arg(rest.join(QLatin1Char(' '))));
    if (!rest.isEmpty()) {
        if (!reportKinds().contains(rest.first()))
            return failed(Text::tr("unknown report '%1'; one of: %2")
                              .arg(rest.first(), reportKinds().join(QStringLiteral(", "))));
        i.report.kind = rest.first();
    }
    if (p.isSet(QStringLiteral("json")) && p.isSet(QStringLiteral("csv")))
        return failed(Text::tr("--json and --csv exclude each other"));
    i.report.format = p.isSet(QStringLiteral("json")) ? ReportRequest::Format::Json
        : p.isSet(QStringLiteral("csv"))              ? ReportRequest::Format::Csv
                                                      : ReportRequest::Format::Text;
    QString error;
    const std::optional<QDate> begin = dateOption(p, QStringLiteral("begin"), &error);
    const std::optional<QDate> end = dateOption(p, QStringLiteral("end"), &error);
    if (!begin || !end)
        return failed(error);
    i.report.begin = *begin;
    i.report.end = *end;
    if (p.isSet(QStringLiteral("limit"))) {
        bool ok = false;
        i.report.limit = p.value(QStringLiteral("limit")).toInt(&ok);
        if (!ok || i.report.limit < 1)
            return failed(
                Text::tr("--limit takes a whole number from 1 up, not '%1'").arg(p.value(QStringLiteral("limit"))));
    }
    i.report.adapter = p.value(QStringLiteral("adapter"));
    if (p.isSet(QStringLiteral("adapter")) && i.report.adapter.isEmpty())
        return failed(Text::tr("--adapter takes an adapter's name"));
    i.database = p.value(QStringLiteral("database"));
    return i;
}

Invocation parseStatus(const QStringList& arguments)
{
    QCommandLineParser p;
    p.addOptions({{QStringLiteral("json"), QString()},
                  {QStringLiteral("format"), QString(), QStringLiteral("format")},
                  {QStringLiteral("watch"), QString()},
                  {QStringLiteral("database"), QString(), QStringLiteral("path")}});
    if (!p.parse(arguments))
        return failed(p.errorText());
    if (p.positionalArguments().size() > 1)
        return failed(Text::tr("status takes no argument '%1'").arg(p.positionalArguments().at(1)));
    Invocation i;
    i.kind = Invocation::Kind::Status;
    if (p.isSet(QStringLiteral("format")) && p.value(QStringLiteral("format")) != QLatin1String("waybar"))
        return failed(Text::tr("--format knows only waybar, not '%1'").arg(p.value(QStringLiteral("format"))));
    i.statusFormat = p.isSet(QStringLiteral("format")) ? Invocation::StatusFormat::Waybar
        : p.isSet(QStringLiteral("json"))              ? Invocation::StatusFormat::Json
                                                       : Invocation::StatusFormat::Text;
    i.watch = p.isSet(QStringLiteral("watch"));
    i.database = p.value(QStringLiteral("database"));
    return i;
}

// The file the tray program uses, for a command run from anywhere.
QString defaultDatabase()
{
    const QString exeDir = QFileInfo(QCoreApplication::applicationFilePath()).canonicalPath();
    return DatabaseFile::locate(exeDir, QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}

} // namespace

Invocation parseCommandLine(const QStringList& arguments)
{
    for (int k = 1; k < arguments.size(); ++k) {
        const QString& arg = arguments[k];
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h") || arg == QLatin1String("-?")) {
            Invocation i;
            i.kind = Invocation::Kind::Help;
            return i;
        }
        if (arg == QLatin1String("--version") || arg == QLatin1String("-v")) {
            Invocation i;
            i.kind = Invocation::Kind::Version;
            return i;
        }
        if (arg == QLatin1String("report"))
            return parseReport(arguments.mid(0, 1) + arguments.mid(k));
        if (arg == QLatin1String("status"))
            return parseStatus(arguments.mid(0, 1) + arguments.mid(k));
        bool takesValue = false;
        if (!arg.startsWith(QLatin1Char('-')))
            return failed(Text::tr("unknown command '%1'").arg(arg));
        if (!isQtOption(arg, &takesValue))
            return failed(Text::tr("unknown option '%1'").arg(arg));
        k += takesValue ? 1 : 0;
    }
    return {};
}

QString helpText()
{
    return Text::tr(R"(Usage: zovodazad [command] [options]
A network-traffic monitor for the notification area. Without a command it starts the tray program.

Commands:
  report [KIND]      the traffic log, read-only; the tray program may run meanwhile
       summary       today, yesterday, this week, this month with an estimate for its end, this year,
                     all time (the default)
       hours         the last 24 hours; a log row that spans hours is shared among them by time
       days          the last 30 days
       weeks         the last 12 ISO weeks
       months        the last 12 months
       years         every year
       top           the 10 days with the most traffic
       allowance     the volume allowance: limit, used, left, its window, an estimate for the window's end
                     and what may be used a day; exit status 0 green, 1 orange, 2 red or used up,
                     4 no allowance set
     A report exits 5 when the traffic log cannot be found or read.
     --json          one JSON document (octets as integers, ISO dates, "jsonversion": 1)
     --csv           comma-separated values with a header line
     --begin DATE    only periods from DATE on (YYYY-MM-DD)
     --end DATE      only periods up to DATE
     --limit N       the newest N periods
     --adapter NAME  only the traffic of one adapter, from the per-adapter log (rows from before it have
                     none); for allowance, the adapter to count instead of the one set in Options
     --database PATH another database than the tray program's
  status             the running program's current rates, the volumes since its last log row and the
                     allowance; exit status 3 when no copy runs
     --json          one JSON object
     --format waybar a line for waybar's custom module
     --watch         again every second, until interrupted

Options:
  -h, --help         this text
  -v, --version      the version
A row counts in the period its start lies in, as the statistics window counts it; the period being counted
counts as its last save left it (at most a minute old).
)");
}

int runCommand(const Invocation& invocation, QTextStream& out, QTextStream& err)
{
    switch (invocation.kind) {
    case Invocation::Kind::Tray:
        break;
    case Invocation::Kind::Help:
        out << helpText();
        return 0;
    case Invocation::Kind::Version:
        out << "zovodazad " << QCoreApplication::applicationVersion() << '\n';
        return 0;
    case Invocation::Kind::Error:
        err << "zovodazad: " << invocation.error << '\n' << Text::tr("Try 'zovodazad --help'.") << '\n';
        return 2;
    case Invocation::Kind::Report: {
        const QString path = invocation.database.isEmpty() ? defaultDatabase() : invocation.database;
        if (!QFileInfo(path).isFile()) {
            err << Text::tr("zovodazad: there is no traffic log at %1").arg(QDir::toNativeSeparators(path)) << '\n';
            return LogUnreadable;
        }
        DbConnection db(QStringLiteral("zovodazad-report"));
        if (!db.open(path, DbConnection::Access::ReadOnly)) {
            err << Text::tr("zovodazad: the traffic log %1 cannot be opened: %2")
                       .arg(QDir::toNativeSeparators(path), db.lastError())
                << '\n';
            return LogUnreadable;
        }
        return writeReport(db, invocation.report, QDateTime::currentDateTime(), out, err);
    }
    case Invocation::Kind::Status:
        return runStatus(invocation, invocation.database.isEmpty() ? defaultDatabase() : invocation.database, out, err);
    }
    return 2;
}
