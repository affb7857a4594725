#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>

class DbConnection;
class DbRecordset;
class QIODevice;

// The export file's number form, the same in every locale: the integer part (truncated toward zero), ".", and
// the hundredths as two digits, also truncated; 1234.5678 is 1234.56 and 7 is 7.00. A null value is "." alone.
// csvNumber truncates in double arithmetic; csvFixedPoint first takes the value as a fixed-point number of
// four decimals, as the average speed is stored, and truncates exactly.
QString csvNumber(const QVariant& value);
QString csvFixedPoint(const QVariant& value);

// The view each export choice (0 days, 1 weeks, 2 months, 3 years) reads, newest period first. With oneAdapter,
// the per-adapter view, for the adapter bound as its one parameter; the average speed is not kept per adapter, so
// its column is null there.
QString exportQuery(int view, bool oneAdapter = false);

// Writes the header line and one line per row of rs, each ending in CR LF. perDay: ddate is a date, written
// as yyyymmdd; the other views' keys are written as they stand. False when the device refuses a write.
bool writeCsv(QIODevice& out, DbRecordset& rs, bool perDay);

// The whole of one view as CSV: of every counted adapter when adapter is empty, else of that adapter's records.
// False with the reason.
bool writeLogView(DbConnection& db, QIODevice& out, int view, const QString& adapter, QString* error);

// The adapters that have per-adapter records, by name.
bool recordedAdapters(DbConnection& db, QStringList* into, QString* error);

// Erases the traffic log and leaves one row of no traffic dated now. False with the database's error.
bool clearLog(DbConnection& db, const QDateTime& now, QString* error);
