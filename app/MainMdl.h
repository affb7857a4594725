#pragma once

#include "AllowanceWatch.h"
#include "Db.h"
#include "FolderPicker.h"
#include "LogWriter.h"
#include "PeriodJournal.h"
#include "Settings.h"
#include "StatsProcess.h"
#include "TrafficState.h"

#include <QEventLoop>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <memory>
#include <optional>
#include <tuple>

class Clock;
class FrmMain;
class FrmOptions;
class IfTableSource;
class MessageBoxes;
class Notifier;
class Sampler;

// Start-up and shutdown: owns the process-wide state and the windows, and wires them together.
class MainMdl : public QObject
{
    Q_OBJECT
public:
    struct Platform
    {
        IfTableSource& ifTable;
        const Clock& clock;
        MessageBoxes& boxes;
        Notifier& notifier;
    };

    explicit MainMdl(Platform platform, QObject* parent = nullptr);
    ~MainMdl() override;

    // Runs the start-up steps. On a database failure the user is told, everything is released and false is
    // returned; finished() follows when the user has read the message.
    bool start(const QString& databasePath);

    // Exit: closes the windows, writes the last row, closes the database and removes the icon. Safe to call twice.
    // When the last row cannot be written its traffic is kept for the next start, and the process stays until the
    // user has closed the box that says so (or for LastBoxWaitMs); calling shutdown again ends that wait.
    void shutdown();
    // Exit when the display server is gone and the process is being ended under us: the last row is written as
    // by shutdown, and no window is touched. Failures go to the standard error stream.
    void finishWithoutDisplay();

    // How long the last row waits for a database that another program holds.
    static constexpr int ExitBusyWaitMs = 5000;
    static constexpr int LastBoxWaitMs = 120 * 1000;
    // The longest the hidden, idle program sleeps through unchanged readings.
    static constexpr qint64 SettledAtMostMs = 10 * 60 * 1000;
    // The desktop session asks its programs to save: the traffic counted so far becomes a row.
    void commitData();

    FrmMain* monitor() const { return m_frmMain.get(); }
    TrafficState& state() { return m_state; }
    DbConnection& connection() { return m_db; }

    // A second launch: the monitor window is shown, if hidden, and brought to the front.
    void bringMonitorForward();

    // The Volume Graphs command: opens the statistics window without making it modal, or brings the open one
    // forward with the traffic logged up to now.
    void openStats();

Q_SIGNALS:
    // Emitted when shutdown has finished, or a failed start has been reported; the application then quits.
    void finished();

private:
    void tick();
    // Once a second: the allowance checked, the icon's hover text and mark brought up to date.
    void refreshAllowanceAndTray();
    void replayQuietTicks(quint64 ticks);
    // Ends a settled stretch of the timer: the ticks it skipped are replayed, and every tick is seen again.
    void wake();
    // How long ticks on an unchanged table may be skipped.
    qint64 msUntilDue() const;

    Platform m_platform;
    TrafficState m_state;
    SettingsVars m_vars;
    SettingsRecord m_settings;
    DbConnection m_db;
    DbCommand m_command;
    LogWriter m_writer;
    PeriodJournal m_journal;
    std::unique_ptr<FrmMain> m_frmMain;
    QtFolderPicker m_folderPicker;
    std::unique_ptr<FrmOptions> m_frmOptions;
    StatsProcess m_stats;
    std::unique_ptr<Sampler> m_sampler;
    AllowanceWatch m_allowance;
    // Ticks since start-up; the allowance and the icon follow at every second one.
    quint64 m_ticks = 0;
    // What the icon's hover text was last built from; an idle link gives the same figures tick after tick.
    std::optional<std::tuple<double, double, bool, double, QString>> m_toolTipFrom;
    std::optional<AllowanceBand> m_markFrom;
    bool m_running = false;
    bool m_firstTickLogged = false;
    QPointer<QEventLoop> m_lastBoxWait;
};
