#pragma once

class Clock;
class DbConnection;
class MessageBoxes;
struct TrafficState;

// Writes the traffic counted since the last row as one row of table `log` and starts the next period.
class LogWriter
{
public:
    LogWriter(DbConnection& db, TrafficState& state, const Clock& clock, MessageBoxes& boxes);

    // Returns false when the row could not be stored. The period then stays open, so the next row that does get
    // written includes this traffic; the user is told once per run of failures, not at every attempt.
    bool WriteLogRow();

private:
    DbConnection& m_db;
    TrafficState& m_state;
    const Clock& m_clock;
    MessageBoxes& m_boxes;
    bool m_failureReported = false;
};
