#pragma once

#include <QString>
#include <QVariant>
#include <functional>

class DbCommand;
class DbConnection;
class DbRecordset;
class MessageBoxes;
class QIODevice;
class QWidget;

// The export file's number form, the same in every locale: the integer part (truncated toward zero), ".", and
// the hundredths as two digits, also truncated; 1234.5678 is 1234.56 and 7 is 7.00. A null value is "." alone.
// csvNumber truncates in double arithmetic; csvFixedPoint first takes the value as a fixed-point number of
// four decimals, as the average speed is stored, and truncates exactly.
QString csvNumber(const QVariant& value);
QString csvFixedPoint(const QVariant& value);

// The view each CboChartType index exports, newest period first.
QString exportQuery(int view);

// Writes the header line and one line per row of rs, each ending in CR LF. perDay: ddate is a date, written
// as yyyymmdd; the other views' keys are written as they stand. False when the device refuses a write.
bool writeCsv(QIODevice& out, DbRecordset& rs, bool perDay);

// The Export button: writes the chosen view to the file named in TxtCsvFile, asking before it overwrites a
// file, falling back to the home folder when the file cannot be created, and saving the path it used.
class CsvExport
{
public:
    // The boxes block only owner; db, command and boxes must outlive the overwrite question.
    CsvExport(DbConnection& db, DbCommand& command, MessageBoxes& boxes, QWidget* owner);

    // showPath receives the fallback path when the typed file cannot be created, for TxtCsvFile to show.
    void run(const QString& typedPath, int view, const std::function<void(const QString&)>& showPath);

private:
    void write(QString path, int view, const std::function<void(const QString&)>& showPath);
    void tell(const QString& prompt, bool succeeded);

    DbConnection& m_db;
    DbCommand& m_command;
    MessageBoxes& m_boxes;
    QWidget* m_owner;
};
