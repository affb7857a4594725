#pragma once

#include "SampleTimer.h"
#include "SamplerView.h"
#include "TrayIcon.h"
#include "TwipLayout.h"
#include "VolumeLeft.h"

#include <QMenu>
#include <QMetaObject>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>

class Clock;
class DbConnection;
class LogWriter;
class MessageBoxes;
class QAction;
class QLabel;
class Throughput;
struct SettingsVars;
struct TrafficState;

// What the monitor window works with; everything is owned by the start-up module and outlives the window.
struct MonitorContext
{
    LogWriter& writer;
    DbConnection& db;
    const TrafficState& state;
    const SettingsVars& vars;
    const Clock& clock;
    MessageBoxes& boxes;
    IfTableSource& ifTable; // what TmrCheckit reads
};

// The small always-on-top monitor window: readouts, two throughput graphs, the volume-left line, the sampling
// timer, the notification icon and the command menu.
class FrmMain : public QWidget, public SamplerView
{
    Q_OBJECT
public:
    // findHost tells which notification area the desktop has; tests replace it.
    explicit FrmMain(const MonitorContext& context, TrayIcon::HostProbe findHost = &findTrayHost,
                     QWidget* parent = nullptr);
    ~FrmMain() override;

    SampleTimer& TmrCheckit() { return m_timer; }
    void WriteLogRow();
    void ToggleMonitorWindow();

    // The notification icon; false when the desktop has no notification area yet (trayPlaced() follows when one
    // appears).
    bool AddTrayIcon();
    TrayIcon& tray() { return *m_tray; }
    void RemoveTrayIcon();
    // Hooked, the window serves the icon's clicks and its own Hide and Exit commands.
    void HookWindow();
    void UnhookWindow();
    bool isHooked() const;

    // The outer height rule: the taller window shows the volume-left line.
    void applyWhatsLeftHeight(bool whatsLeft);

    // The command menu `MP_IconPopup`; the icon opens it with `MP_ShowLog` as its default item.
    QMenu& popupMenu() { return m_popup; }
    // The window's own right-click menu, built for the current state: "Hide", a separator and "E&xit" beside an
    // icon; without one, the icon's commands but "Monitor On/Off", each once.
    QMenu& windowMenu();

    static QString versionCaption();

    // SamplerView
    void setDownloadText(const QString& text) override;
    void setUploadText(const QString& text) override;
    void setCaption(const QString& text) override;
    void setRateLine(const QString& text) override;
    void graphUpdate(Graph graph, qint32 sample) override;
    void graphRepeat(Graph graph, qint32 sample, quint64 times) override;
    qint32 graphMax(Graph graph) const override;
    void setGraphMax(Graph graph, qint32 max) override;
    void setGraphToolTip(Graph graph, const QString& text) override;
    void refreshVolumeLeft() override;
    bool readoutsShown() const override { return isVisible(); }
    void setTimerEnabled(bool enabled) override;

Q_SIGNALS:
    void optionsRequested();
    void volumeGraphsRequested();
    void exitRequested();
    // The window was shown: its readouts, skipped while hidden, want refreshing.
    void readoutsNeeded();
    // The icon was placed in a notification area that appeared after AddTrayIcon.
    void trayPlaced();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    QLabel* addLabel(const char* name, const QString& text, bool bold, const QRectF& twips);
    void fitLayout();
    void placeWindow();
    std::optional<QPoint> storedPosition();
    void savePosition();
    Throughput* graph(Graph which) const;
    void showVolumeGraphs();
    void showAbout();
    void shadeWhatsLeft();

    MonitorContext m_context;
    TwipLayout m_layout {this};
    bool m_whatsLeftShown = true;
    // Where the user last left the window; none until the user moves it.
    std::optional<QPoint> m_userPosition;
    bool m_positionLoaded = false;
    QPoint m_placedAt;
    bool m_placing = false;
    QTimer m_savePosition;
    VolumeLeft m_volumeLeft;
    SampleTimer m_timer {m_context.ifTable};
    QMenu m_popup;
    TrayIcon* m_tray;
    bool m_trayAdded = false;

    QLabel* m_lblDownload;
    QLabel* m_lblUpload;
    QLabel* m_lblUp;
    QLabel* m_lblWhatsLeft;
    // The colour VolumeLeftText asked for; shown in a shade the palette can carry.
    QColor m_whatsLeftColour;
    Throughput* m_downGraph;
    Throughput* m_upGraph;

    QAction* m_showLog;
    QMenu m_windowMenu;
    QAction* m_hide;
    QAction* m_exit;
    QMetaObject::Connection m_trayHook;
    bool m_graphErrorReported = false;
};
