#pragma once

#include "DesktopPalette.h"
#include "FolderPicker.h"
#include "StatsProcess.h"
#include "TrafficEngine.h"
#include "TrayHost.h"

#include <QEventLoop>
#include <QObject>
#include <QPointer>
#include <memory>

class Clock;
class FrmMain;
class FrmOptions;
class IfTable;
class MessageBoxes;
class Notifier;
class TrayIcon;

// Start-up and shutdown: builds the engine and its views and wires them together; nothing else.
class MainMdl : public QObject
{
    Q_OBJECT
public:
    struct Platform
    {
        IfTable& ifTable;
        const Clock& clock;
        MessageBoxes& boxes;
        Notifier& notifier;
        // The notification areas to show the icon in; none: the desktop's own.
        TrayHosts* trayHosts = nullptr;
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

    static constexpr int LastBoxWaitMs = 120 * 1000;
    // The desktop session asks its programs to save: the traffic counted so far becomes a row.
    void commitData();

    TrafficEngine& engine() { return m_engine; }
    FrmMain* monitor() const { return m_frmMain.get(); }
    TrayIcon* tray() const { return m_tray.get(); }

    // A second launch: the monitor window is shown, if hidden or minimised, and brought to the front.
    void bringMonitorForward();

    // The Volume Graphs command: opens the statistics window without making it modal, or brings the open one
    // forward with the traffic logged up to now.
    void openStats();

Q_SIGNALS:
    // Emitted when shutdown has finished, or a failed start has been reported; the application then quits.
    void finished();

private:
    void wireViews();

    Platform m_platform;
    TrafficEngine m_engine;
    std::unique_ptr<DesktopPalette> m_desktopPalette;
    std::unique_ptr<TrayHosts> m_desktopTrayHosts;
    std::unique_ptr<FrmMain> m_frmMain;
    std::unique_ptr<TrayIcon> m_tray;
    QtFolderPicker m_folderPicker;
    std::unique_ptr<FrmOptions> m_frmOptions;
    StatsProcess m_stats;
    bool m_running = false;
    bool m_firstTickLogged = false;
    QPointer<QEventLoop> m_lastBoxWait;
};
