#pragma once

#include "AllowanceWatch.h"
#include "Db.h"
#include "LogWriter.h"
#include "PeriodJournal.h"
#include "SampleTimer.h"
#include "Sampler.h"
#include "Settings.h"
#include "TrafficState.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

class Clock;
class IfTable;
class Notifier;
class QIODevice;

// What the views show, as of the last tick or command.
struct Snapshot
{
    // Octets received and sent since the last log row: as the tick's readouts saw them, or as a command left them.
    quint64 rcvdSinceRow = 0;
    quint64 sentSinceRow = 0;
    TickFigures tick;
    // The period's average download speed and the highest since start-up, kB/s.
    double avgDown = 0;
    double maxDown = 0;
    // Ticks before this one without traffic that no view was told of: an empty bar each, before this tick's.
    quint64 quietBefore = 0;
    Remainder allowance;
    // The volume-left line is shown (`whatsleft` in force).
    bool whatsleft = false;
};

// The traffic engine, one per process: the sampling timer `TmrCheckit` and its thread, the tick, the log writer and
// the period journal, the settings store and the allowance watch. It needs no display. Views take what they show
// from snapshot() when ticked() or figuresChanged() tells them, and send it commands.
class TrafficEngine : public QObject
{
    Q_OBJECT
public:
    struct Platform
    {
        IfTable& ifTable;
        const Clock& clock;
        Notifier& notifier;
    };

    // How long the last row waits for a database that another program holds.
    static constexpr int ExitBusyWaitMs = 5000;
    // How long, at most, the ticks under traffic wait to be counted while no view needs their figures sooner: a
    // notice of the allowance comes this much later at worst; rows and saves are never held up.
    static constexpr int HeldAtMostMs = 5000;

    explicit TrafficEngine(Platform platform, QObject* parent = nullptr);
    ~TrafficEngine() override;

    // Opens the database at path, creating it when missing, logs what a run that did not end cleanly left, and
    // loads the settings. False with the reason when the file is not a usable traffic database (it is then left
    // untouched). What went wrong without stopping the start is added to warnings.
    bool open(const QString& path, QString* error, QStringList* warnings);
    // Starts counting: the first reading is taken at once.
    void start();
    bool isRunning() const { return m_running; }
    // Ends counting: the timer first, then a last sample and the last row. When the row cannot be written, its
    // traffic is kept for the next start and what the user must be told is returned. Safe to call twice.
    QString stop(int busyWaitMs = ExitBusyWaitMs);

    // Reset Counters, and the session's save: the traffic counted since the last row becomes a row of its own.
    void WriteLogRow();
    // Volume Graphs: when the stored AutoReset says so, the traffic counted so far is logged first.
    void logBeforeGraphs();
    // Erases the traffic log, leaving one row of no traffic dated now. False with the database's error.
    bool clearLog(QString* error);
    // Writes one of the log's views (0 days, 1 weeks, 2 months, 3 years) as CSV, of every counted adapter or, when
    // adapter names one, of its records alone. False with the reason.
    bool exportCsv(QIODevice& out, int view, const QString& adapter, QString* error);
    // The adapters the log has figures of their own for; empty when it cannot be read.
    QStringList recordedAdapters();

    // A view that shows live figures says so while it does; while any does, every tick is published.
    void watch(const QObject* viewer, bool watching);
    // A watching view whose picture a tick without traffic leaves as it is (its graphs are empty) says so while it
    // does: while every watching view does, such ticks are not published, as while nobody watches; traffic is.
    void restWhileQuiet(const QObject* viewer, bool rest);
    // A view that shows figures nobody asked for (an icon's picture, a hover text a host keeps) says how old they
    // may grow, in ms; 0 takes that back. The ticks are published in turn, never more than that late.
    void needFigures(const QObject* viewer, int withinMs);
    // Counts the ticks taken and not yet published, so that what follows sees figures as of the last reading: before
    // a figure is told on request (a hover, a status query).
    void catchUp();

    // The sampling timer, whose interval only tests change.
    SampleTimer& TmrCheckit() { return m_timer; }
    SettingsStore& settings() { return m_settings; }
    AllowanceWatch& allowance() { return m_allowance; }
    const Snapshot& snapshot() const { return m_snapshot; }
    const TrafficState& state() const { return m_state; }
    QString databasePath() const { return m_db.path(); }
    // The traffic counted since the last row, both directions: by all counted adapters, or by the one named.
    quint64 unlogged(const QString& adapter = {}) const;

Q_SIGNALS:
    // A tick: bars for the graphs and new figures.
    void ticked(const Snapshot& snapshot);
    // New figures without a tick: a row written on command, new settings, a new remainder.
    void figuresChanged(const Snapshot& snapshot);
    // A failure the user must hear of; nothing waits for it.
    void problem(const QString& message);

private:
    void onReading(Reading& reading);
    void afterRow();
    // The traffic since the last row that the allowance counts.
    quint64 allowanceUnlogged() const { return unlogged(m_settings.current().allowanceadapter); }
    // Fills the snapshot; after a tick the volumes are the readouts', otherwise the counters' as they stand.
    void publish(bool tick);
    // How long ticks on an unchanged table may be skipped: up to the day's end, or the next save of the period.
    qint64 msUntilDue() const;

    Platform m_platform;
    TrafficState m_state;
    DbConnection m_db;
    SettingsStore m_settings;
    LogWriter m_writer;
    PeriodJournal m_journal;
    AllowanceWatch m_allowance;
    Sampler m_sampler;
    SampleTimer m_timer;
    Snapshot m_snapshot;
    QSet<const QObject*> m_watchers;
    QHash<const QObject*, int> m_within;
    QSet<const QObject*> m_resting;
    std::vector<std::uint32_t> m_counted;
    int m_minute = -1;
    bool m_running = false;
};
