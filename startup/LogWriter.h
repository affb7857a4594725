#pragma once

#include "AdapterShares.h"

#include <QString>

#include <functional>

class Clock;
class DbCommand;
class DbConnection;
class PeriodJournal;
struct TrafficState;

// Records each adapter's share of the log row just inserted through cmd, in its transaction; rowStart is the row's
// start as stored.
bool writeShares(DbCommand& cmd, const AdapterShares& shares, const QString& rowStart);

// Writes the traffic counted since the last row as one row of table `log` and starts the next period.
class LogWriter
{
public:
    // report receives what the user must be told of a row that could not be written, and of the database file
    // moved or replaced under the connection, whichever statement came upon it.
    using Report = std::function<void(const QString&)>;
    LogWriter(DbConnection& db, TrafficState& state, const Clock& clock, Report report = {});

    // Returns false when the row could not be stored. The period then stays open, so the next row that does get
    // written includes this traffic; the user is told once per run of failures, not at every attempt.
    // Quiet leaves telling the user to the caller.
    enum class Failure { Notify, Quiet };
    bool WriteLogRow(Failure failure = Failure::Notify);

    // The row written at exit. A database held by another program is waited for up to busyWaitMs, since nothing
    // else is left to do then; when the row still cannot be written, the period is kept aside for the next start
    // (PeriodJournal::keepAside), unless the file is gone and could not be replaced. Returns an empty text when the
    // row was written, else what the user must be told, reason included.
    QString WriteLastRow(PeriodJournal& journal, int busyWaitMs);

private:
    DbConnection& m_db;
    TrafficState& m_state;
    const Clock& m_clock;
    Report m_report;
    bool m_failureReported = false;
};
