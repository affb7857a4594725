#pragma once

#include "TwipLayout.h"
#include "VolumeLeft.h"

#include <QMargins>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>
#include <tuple>

class Activation;
class FrmAbout;
class MessageBoxes;
class QAction;
class QLabel;
class Throughput;
struct Snapshot;

// The small always-on-top monitor window: the readouts, two throughput graphs, the volume-left line and the command
// menu. It shows the engine's figures and turns the user's commands into signals; it keeps nothing of its own but
// where the user left it.
class FrmMain : public QWidget
{
    Q_OBJECT
public:
    // iconRect tells where the notification icon is on screen, for placing the window beside it.
    explicit FrmMain(MessageBoxes& boxes, std::function<QRect()> iconRect = {}, QWidget* parent = nullptr);
    ~FrmMain() override;

    // Hides the window the user sees; shows it when hidden or minimised.
    void ToggleMonitorWindow();
    // Shows the window, whole and on top, and makes it the active one as the answer to the request.
    void bringForward(const Activation& request);
    // Shown, and not minimised by the window manager.
    bool shownToUser() const;

    // With a notification icon the window is reached through it, and its own menu carries Hide and Exit. When no
    // host shows the icon the window stands in for it, shown, with every command on its menu; when one shows it
    // again, a window that was hidden before is hidden again.
    void setTrayPresent(bool present);

    // The outer height rule: the taller window shows the volume-left line.
    void applyWhatsLeftHeight(bool whatsLeft);
    // Blue and orange graphs, told apart with red-green colour blindness, or the green and red ones.
    void setGraphColours(bool blueOrange);
    // Where the user left the window in an earlier run, if anywhere.
    void setStoredPosition(const std::optional<QPoint>& position);
    // Where the database is now, for the About box; the program follows a file moved while it runs.
    void setDatabasePath(std::function<QString()> path) { m_databasePath = std::move(path); }

    // The engine's figures: a tick's bars go to the graphs; the texts are built only while the window is shown.
    void showTick(const Snapshot& snapshot);
    void showFigures(const Snapshot& snapshot);

    // The command menu `MP_IconPopup`; the icon opens it with `MP_ShowLog` as its default item.
    QMenu& popupMenu() { return m_popup; }
    // The window's own right-click menu, built for the current state: "Hide", a separator and "E&xit" beside an
    // icon; without one, the icon's commands but "Monitor On/Off", each once.
    QMenu& windowMenu();

    static QString versionCaption();

Q_SIGNALS:
    void optionsRequested();
    void volumeGraphsRequested();
    void resetCountersRequested();
    void exitRequested();
    // Shown or hidden: the readouts are live only while shown.
    void shownChanged(bool shown);
    // Both graphs became empty, or one shows a bar again: while they are empty, a tick without traffic changes
    // nothing in the window.
    void graphsEmptyChanged(bool empty);
    // The user moved the window here: the top left corner of its frame.
    void positionChosen(const QPoint& position);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    QLabel* addLabel(const char* name, const QString& text, bool bold, const QRectF& twips);
    void fitLayout();
    void placeWindow();
    QPoint framePosition() const;
    void followFrame();
    void savePosition();
    void showMonitor();
    void hideMonitor();
    void followState();
    void showAbout();
    void shadeWhatsLeft();
    void describeGraphs(const Snapshot& snapshot);

    MessageBoxes& m_boxes;
    std::function<QRect()> m_iconRect;
    std::function<QString()> m_databasePath;
    QPointer<FrmAbout> m_about;
    TwipLayout m_layout {this};
    bool m_whatsLeftShown = true;
    bool m_trayPresent = false;
    // Shown because the icon went away; hidden again when it is back.
    bool m_hiddenForTray = false;
    // Where the user last left the window's frame; none until the user moves it.
    std::optional<QPoint> m_userPosition;
    // Where the program last put the frame.
    QPoint m_placedAt;
    // The window manager's frame the placement counted with.
    QMargins m_placedFrame;
    bool m_placing = false;
    // Shown and not yet on screen: once it is, keep-above is asked for again.
    bool m_mapping = false;
    QTimer m_savePosition;
    // The scale the graphs were last given; the graphs' hover texts change only when it does.
    qint32 m_graphMax = 5;

    QLabel* m_lblDownload;
    QLabel* m_lblUpload;
    QLabel* m_lblUp;
    QLabel* m_lblWhatsLeft;
    QLabel* m_lblOutlook;
    // The colour of the volume-left band; shown in a shade the palette can carry.
    QColor m_whatsLeftColour;
    Throughput* m_downGraph;
    Throughput* m_upGraph;

    QMenu m_popup;
    QAction* m_showLog;
    QMenu m_windowMenu;
    QAction* m_hide;
    QAction* m_exit;
    bool m_graphErrorReported = false;
    bool m_graphsEmpty = true;
    // The figures the texts show now; none before the first showing.
    struct Shown
    {
        std::optional<quint64> rcvd;
        std::optional<quint64> sent;
        std::optional<quint64> total;
        std::optional<std::tuple<double, double, qint32, bool>> graphs;
        std::optional<std::tuple<double, double, double, bool, int>> rates;
        std::optional<Remainder> allowance;
    } m_shown;
};

// The colour the volume-left line and the icon's mark take in a band; invalid for no allowance.
QColor allowanceColour(AllowanceBand band);
