#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

class Clock;
class DbConnection;
struct TrafficState;

// Keeps the period being accumulated on disk, so that a crash, a kill or a power cut loses at most the traffic
// since the last save instead of the whole period. A clean shutdown writes the period as a log row and leaves
// nothing here.
class PeriodJournal
{
public:
    // Saves are spaced at least this far apart, apart from the one at each change of period.
    static constexpr qint64 SaveIntervalMs = 60 * 1000;

    explicit PeriodJournal(DbConnection& db);

    // Saves the open period at each new period, and when its volumes changed and the save interval has passed. A period
    // left by an earlier run is recovered first: it is never overwritten.
    // The clock is read only when a save may be due, which keeps the idle tick cheap.
    void tick(const TrafficState& state, const Clock& clock);
    // Milliseconds until tick() would save the open period, 0 when it is due; the largest value when nothing is
    // waiting to be saved.
    qint64 msUntilSave(const TrafficState& state, const QDateTime& now) const;
    // Saves the open period now (start, volumes since the start, average and sample count, and now).
    bool save(const TrafficState& state, const QDateTime& now);

    // Turns a period left by a run that did not end cleanly into one log row ending at its last save, and the
    // periods kept aside by runs that could not write their last row into their rows. Returns false with the
    // database's error when that failed; the saved periods are then kept.
    // A kept-aside file that cannot be read is left as it is, and one with lines that keepAside() did not write
    // (damaged, ending over a minute after the clock's now, or beyond the bounds below) is renamed with ".rejected"
    // added once its good lines are logged; neither stops the recovery or the saves after it. What the user must be
    // told of either is appended to notes.
    bool recover(const Clock& clock, QString* error = nullptr, QStringList* notes = nullptr);

    // For a last row that the database refused at exit: appends the period, ending now, to a small file beside
    // the database (its path and "-pending"), which the next recover() logs. It replaces the saved period.
    bool keepAside(const TrafficState& state, const QDateTime& now, QString* error);
    static QString asidePath(const QString& databasePath);
    // A run adds one line (some 60 octets and its adapters' shares) at each exit whose last row failed, and the next
    // start that can write logs them all, so no real file comes near these bounds. A longer one is not read past
    // them: it cannot hold up the start.
    static constexpr int MaxAsideLines = 256;
    static constexpr qsizetype MaxAsideBytes = 1024 * 1024 + 1024;

    // The statement that removes the saved period; the log writer runs it in the transaction of each row.
    static QString clearSql();

private:
    bool unsaved(const TrafficState& state) const;

    DbConnection& m_db;
    bool m_recovered = false;
    QDateTime m_lastSave;
    QDateTime m_savedStart;
    quint64 m_savedRcvd = 0;
    quint64 m_savedSent = 0;
};
