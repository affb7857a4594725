#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

class DbConnection;
class QTextStream;

// `zovodazad report`: the traffic log as a terminal, a script or a spreadsheet reads it, from a database opened
// read-only; the tray program may run meanwhile.
struct ReportRequest
{
    // summary, hours, days, weeks, months, years, top or allowance.
    QString kind = QStringLiteral("summary");
    enum class Format { Text, Json, Csv } format = Format::Text;
    // The periods whose first day lies in this range; either may be invalid (open).
    QDate begin;
    QDate end;
    // The newest this many periods; 0 for the kind's own number.
    int limit = 0;
    // Only this adapter's traffic; empty for all counted adapters (for the allowance: the adapter it counts).
    QString adapter;
};

// The kinds a report can be of.
const QStringList& reportKinds();

// The exit status of a report whose log cannot be found or read (said on err), apart from the allowance's states.
constexpr int LogUnreadable = 5;

// Writes the report and returns the exit status: 0, LogUnreadable, or 2 for an adapter with no records. The
// allowance report returns 0 while green, 1 orange, 2 red or used up, and 4 with no allowance set.
int writeReport(DbConnection& db, const ReportRequest& request, const QDateTime& now, QTextStream& out,
                QTextStream& err);

// Octets in the user's number format, stepping from B to KiB, MiB, GiB and TiB at 1024 of each.
QString octetsText(qint64 octets);
