#include "FrmMain.h"

#include "Activation.h"
#include "Contrast.h"
#include "Readouts.h"
#include "TwipLayout.h"

#include "FrmAbout.h"
#include "MessageBox.h"
#include "MonitorLog.h"
#include "MonitorPlacement.h"
#include "Throughput.h"
#include "TrafficEngine.h"
#include "X11Desktop.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QLabel>
#include <QMoveEvent>
#include <QPainter>
#include <QScreen>
#include <QSvgRenderer>
#include <QWindow>

#include <utility>

namespace {

// The stored layout, in twips (1/1440 inch).
constexpr int ClientWidth = 3015;
// The volume-left line and the estimate's line below it.
constexpr int OuterHeightWhatsLeft = 2325;
constexpr int OuterHeightPlain = 1600;
// The outer heights include a caption and borders of 375 twips, the difference between the stored outer height
// of 1965 and the stored client height of 1590. Window managers draw frames of their own size, so the rule is applied
// to the client area: the tall window shows every row and the short one cuts off the volume-left line.
constexpr int FrameHeight = 375;

const QColor DownGreen(0, 255, 0);
const QColor UpRed(255, 0, 0);
// The blue and orange of Okabe and Ito's palette, which every kind of colour vision tells apart.
const QColor DownBlue(0, 114, 178);
const QColor UpOrange(230, 159, 0);

const char* const MonitorOn = QT_TRANSLATE_NOOP("FrmMain", "Monitor &On.");
const char* const MonitorOff = QT_TRANSLATE_NOOP("FrmMain", "Monitor &Off.");

// The icon theme's icon when the program is installed, so StatusNotifierItem hosts can ask for it by name;
// otherwise the icon drawn on the pixel grid of each tray size, and the SVG rendered for larger sizes, so no
// icon-engine plugin is needed to show it.
QIcon monitorIcon()
{
    QIcon drawn;
    for (int size : {16, 22, 24, 32, 48})
        drawn.addFile(QStringLiteral(":/icons/zovodazad-%1.png").arg(size), QSize(size, size));
    QSvgRenderer svg(QStringLiteral(":/zovodazad.svg"));
    for (int size : {64, 128}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        svg.render(&painter);
        painter.end();
        drawn.addPixmap(pixmap);
    }
    return QIcon::fromTheme(QStringLiteral("zovodazad"), drawn);
}

// Both graphs: flat, bars two pixels wide on the desktop scheme's grey of disabled text, and the scale of 5 kB/s the
// program starts with, without a hover text until the first rescale. The upload bars hang from the top edge.
void setUpGraph(Throughput* graph, const QColor& bars, bool inverted, qint32 scale)
{
    graph->setBackColor({QPalette::Disabled, QPalette::WindowText});
    graph->setForeColor(bars);
    graph->setMax(scale);
    graph->setBarWidth(2);
    graph->setFlat(true);
    graph->setInverted(inverted);
}

// Whether value differs from what is shown, which it then is.
template<typename T> bool renew(std::optional<T>& shown, const T& value)
{
    if (shown == value)
        return false;
    shown = value;
    return true;
}

} // namespace

Q_LOGGING_CATEGORY(lcMonitor, "zovodazad.monitor")

// The resources live in this static library; nothing else references them, so the linker would drop them.
static void initResources()
{
    Q_INIT_RESOURCE(zovodazad);
}

FrmMain::FrmMain(MessageBoxes& boxes, std::function<QRect()> iconRect, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_boxes(boxes)
    , m_iconRect(std::move(iconRect))
{
    initResources();
    setObjectName(QStringLiteral("FrmMain"));
    // Its caption is the volume; screen readers name the window by the program.
    setAccessibleName(QStringLiteral("Zovodazad"));
    setWindowIcon(monitorIcon());
    // The window stays on top beside the user's work and is rarely the active one; its graphs' hover texts show
    // all the same.
    setAttribute(Qt::WA_AlwaysShowToolTips);

    // The two captions end at the same edge, so their colons line up.
    addLabel("Label2", tr("In :"), true, {120, 120, 375, 255})->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_lblDownload = addLabel("lblDownload", QString(), false, {600, 120, 1095, 255});
    addLabel("Label4", tr("Out :"), true, {0, 480, 495, 255})->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_lblUpload = addLabel("LblUpload", QString(), false, {600, 480, 1095, 255});
    m_lblDownload->setAccessibleDescription(tr("Received since the last log row"));
    m_lblUpload->setAccessibleDescription(tr("Sent since the last log row"));
    m_lblUp = addLabel("LblUp", QString(), false, {120, 840, 2895, 255});
    m_lblWhatsLeft = addLabel("lblwhatsLeft", tr("50 % left - 20 MB Left"), true, {120, 1200, 2775, 255});
    m_lblOutlook = addLabel("lblOutlook", QString(), false, {120, 1560, 2775, 255});

    m_downGraph = new Throughput(this);
    m_downGraph->setObjectName(QStringLiteral("DownGraph"));
    m_downGraph->setAccessibleName(tr("Download graph"));
    setUpGraph(m_downGraph, DownGreen, false, m_graphMax);
    m_layout.place(m_downGraph, {1800, 120, 1095, 255});
    m_upGraph = new Throughput(this);
    m_upGraph->setObjectName(QStringLiteral("UpGraph"));
    m_upGraph->setAccessibleName(tr("Upload graph"));
    setUpGraph(m_upGraph, UpRed, true, m_graphMax);
    m_layout.place(m_upGraph, {1800, 480, 1095, 255});

    m_popup.setObjectName(QStringLiteral("MP_IconPopup"));
    m_popup.setTitle(QStringLiteral("IconPopup"));
    m_popup.setAccessibleName(QStringLiteral("Zovodazad"));
    auto addItem = [this](const char* name, const QString& caption) {
        QAction* action = m_popup.addAction(caption);
        action->setObjectName(QLatin1String(name));
        return action;
    };
    m_showLog = addItem("MP_ShowLog", tr(MonitorOn));
    connect(m_showLog, &QAction::triggered, this, &FrmMain::ToggleMonitorWindow);
    connect(addItem("MP_Options", tr("O&ptions")), &QAction::triggered, this, &FrmMain::optionsRequested);
    connect(addItem("MP_ShoWAll", tr("&Volume Graphs")), &QAction::triggered, this, &FrmMain::volumeGraphsRequested);
    connect(addItem("MP_ResetCounters", tr("&Reset Counters.")), &QAction::triggered, this,
            &FrmMain::resetCountersRequested);
    connect(addItem("MP_About", tr("&About")), &QAction::triggered, this, &FrmMain::showAbout);
    m_popup.addSeparator()->setObjectName(QStringLiteral("MC_Nothing"));
    connect(addItem("MP_Exit", tr("E&xit")), &QAction::triggered, this, &FrmMain::exitRequested);
    m_popup.setDefaultAction(m_showLog);
    // Hiding the window is only undone from the icon, so it is offered only while there is one.
    m_showLog->setEnabled(false);

    // The system-menu commands; served only while there is an icon.
    m_hide = new QAction(tr("Hide"), this);
    m_hide->setObjectName(QStringLiteral("Hide"));
    m_hide->setEnabled(false);
    connect(m_hide, &QAction::triggered, this, &FrmMain::ToggleMonitorWindow);
    // The keyboard's way to put the window away; the menu shows the key beside Hide.
    m_hide->setShortcut(QKeySequence::Cancel);
    addAction(m_hide);
    m_exit = new QAction(tr("E&xit"), this);
    m_exit->setObjectName(QStringLiteral("Exit"));
    m_exit->setEnabled(false);
    connect(m_exit, &QAction::triggered, this, &FrmMain::exitRequested);

    fitLayout();
    applyWhatsLeftHeight(true);

    m_savePosition.setSingleShot(true);
    m_savePosition.setInterval(1000);
    connect(&m_savePosition, &QTimer::timeout, this, &FrmMain::savePosition);
    // Screens come and go: the window stays whole on one that is there.
    for (auto signal : {&QGuiApplication::screenAdded, &QGuiApplication::screenRemoved}) {
        connect(qApp, signal, this, [this] {
            if (isVisible())
                placeWindow();
        });
    }
}

void FrmMain::setStoredPosition(const std::optional<QPoint>& position)
{
    m_userPosition = position;
}

// A move is saved once the user has let go of the window for a moment.
void FrmMain::savePosition()
{
    m_savePosition.stop();
    m_userPosition = framePosition();
    m_placedAt = *m_userPosition;
    Q_EMIT positionChosen(*m_userPosition);
}

// Next to the icon, or where the user left the window, always whole on a screen that exists now. Positions are
// the frame's, the window manager's title bar and borders included, so that a spot is kept as the user sees it.
void FrmMain::placeWindow()
{
    QList<ScreenArea> screens;
    const QScreen* primary = QGuiApplication::primaryScreen();
    for (const QScreen* screen : QGuiApplication::screens()) {
        const ScreenArea area {screen->geometry(), screen->availableGeometry()};
        if (screen == primary)
            screens.prepend(area);
        else
            screens.append(area);
    }
    if (screens.isEmpty())
        return;
    const QMargins frame = x11::frameExtents(windowHandle());
    m_placedFrame = frame;
    m_placedAt = monitorPosition(size().grownBy(frame), screens, m_iconRect ? m_iconRect() : QRect(), m_userPosition);
    m_placing = true;
    setGeometry(QRect(m_placedAt + QPoint(frame.left(), frame.top()), size()));
    m_placing = false;
}

QPoint FrmMain::framePosition() const
{
    const QMargins frame = x11::frameExtents(windowHandle());
    return geometry().topLeft() - QPoint(frame.left(), frame.top());
}

void FrmMain::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    if (!isVisible() || m_placing)
        return;
    // Only the user's moves are kept: made with a pointer button held (the title bar dragged), to elsewhere than
    // the program put the window. The window manager framing it, or keeping it clear of a panel that grew, is not
    // the user's choice.
    if (!x11::pointerButtonHeld())
        followFrame();
    else if (framePosition() != m_placedAt)
        m_savePosition.start();
}

// A window manager that did not tell its frame before the window was mapped (GNOME's, when busy) has framed it by
// the time it shows: placed again with the real frame, the window stands where it was meant to and meets the panel.
void FrmMain::followFrame()
{
    if (x11::frameExtents(windowHandle()) != m_placedFrame)
        placeWindow();
}

bool FrmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == windowHandle() && event->type() == QEvent::Expose && isVisible() && !m_placing) {
        if (std::exchange(m_mapping, false))
            x11::keepAbove(windowHandle());
        followFrame();
    }
    return QWidget::eventFilter(watched, event);
}

// The layout grows with the font until the widest text each label can show fits it: the speed line and the
// volumes up to 100 Gbit/s, the caption with room for the title bar's icon and button.
void FrmMain::fitLayout()
{
    const auto widest = [](const QLabel* label, const QStringList& texts) {
        const QFontMetrics fm(label->font());
        int width = 0;
        for (const QString& text : texts)
            width = std::max(width, fm.horizontalAdvance(text));
        return QSize(width, fm.height());
    };
    const QStringList volumes = longestVolumeTexts();
    const QString left = QCoreApplication::translate("VolumeLeft", "%1 MB (%2 %) Left.")
                             .arg(QLocale().toString(5119999), QLocale().toString(99.9, 'f', 1));
    QList<TwipLayout::Need> needs;
    for (QLabel* label : findChildren<QLabel*>()) {
        const QStringList texts = label == m_lblDownload || label == m_lblUpload ? volumes
            : label == m_lblUp        ? longestRateLines() << NothingCountedLine()
            : label == m_lblWhatsLeft ? QStringList {left}
            : label == m_lblOutlook   ? QStringList {QCoreApplication::translate("VolumeLeft", "Est. %1, %2/day")
                                                       .arg(QStringLiteral("99999 MB"), QStringLiteral("9999 MB"))}
                                      : QStringList {label->text()};
        needs.append(m_layout.need(label, widest(label, texts)));
    }
    QFont titleFont = font();
    titleFont.setBold(true);
    const QFontMetrics title(titleFont);
    int caption = 0;
    for (const QString& text : volumes)
        caption = std::max(caption, title.horizontalAdvance(text));
    needs.append({QSizeF(ClientWidth, 0), QSize(caption + 4 * title.height(), 0)});
    m_layout.fit(needs);
}

FrmMain::~FrmMain() = default;

QLabel* FrmMain::addLabel(const char* name, const QString& text, bool bold, const QRectF& twips)
{
    auto* label = new QLabel(text, this);
    label->setObjectName(QLatin1String(name));
    if (bold) {
        QFont f = label->font();
        f.setBold(true);
        label->setFont(f);
    }
    m_layout.place(label, twips);
    return label;
}

QString FrmMain::versionCaption()
{
    return QStringLiteral("Zovodazad %1.%2").arg(ZOVO_VERSION_MAJOR).arg(ZOVO_VERSION_MINOR);
}

void FrmMain::setGraphColours(bool blueOrange)
{
    m_downGraph->setForeColor(blueOrange ? DownBlue : DownGreen);
    m_upGraph->setForeColor(blueOrange ? UpOrange : UpRed);
}

void FrmMain::applyWhatsLeftHeight(bool whatsLeft)
{
    m_whatsLeftShown = whatsLeft;
    const int outer = whatsLeft ? OuterHeightWhatsLeft : OuterHeightPlain;
    setFixedSize(m_layout.toPixelsX(ClientWidth), m_layout.toPixelsY(outer - FrameHeight));
}

bool FrmMain::shownToUser() const
{
    return isVisible() && !isMinimized();
}

void FrmMain::ToggleMonitorWindow()
{
    const Activation request = Activation::ofUserRequest();
    if (shownToUser())
        hideMonitor();
    else
        showMonitor();
    request.complete();
}

void FrmMain::bringForward(const Activation& request)
{
    showMonitor();
    request.raise(*this);
}

void FrmMain::showMonitor()
{
    // A minimised window is mapped afresh, so that it comes back whole and on top: window managers may drop
    // keep-above while a window is minimised. A Wayland compositor does not tell its clients when it minimises
    // their windows: there the window is always shown afresh.
    if (isVisible() && (isMinimized() || QGuiApplication::platformName() == QLatin1String("wayland")))
        hide();
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
}

void FrmMain::hideMonitor()
{
    if (m_savePosition.isActive())
        savePosition();
    hide();
}

// The toggle names what it will do: a minimised window counts as hidden.
void FrmMain::followState()
{
    m_showLog->setText(tr(shownToUser() ? MonitorOff : MonitorOn));
}

void FrmMain::showAbout()
{
    // One box at a time, naming where the database is now.
    if (m_about)
        m_about->close();
    const auto openFolder = [this](const QUrl& folder) {
        if (!QDesktopServices::openUrl(folder))
            m_boxes.ask(tr("No program could open the folder %1.").arg(folder.toLocalFile()), MessageBoxes::Buttons::Ok,
                        MessageBoxes::Icon::Warning, versionCaption(), {}, m_about);
    };
    m_about = new FrmAbout(m_databasePath ? m_databasePath() : QString(), openFolder, this);
    m_about->show();
}

void FrmMain::setTrayPresent(bool present)
{
    const bool had = m_trayPresent;
    m_trayPresent = present;
    m_showLog->setEnabled(present);
    m_hide->setEnabled(present);
    m_exit->setEnabled(present);
    if (!present && !shownToUser()) {
        m_hiddenForTray = had;
        showMonitor();
    } else if (present && m_hiddenForTray) {
        m_hiddenForTray = false;
        hideMonitor();
    }
}

QMenu& FrmMain::windowMenu()
{
    m_windowMenu.clear();
    m_windowMenu.setObjectName(QStringLiteral("SystemMenu"));
    if (!m_trayPresent) {
        // The window is the only way to the commands. Showing and hiding it is left out, since nothing could show
        // it again, and the menu's own Exit is the one Exit.
        for (QAction* action : m_popup.actions()) {
            if (action != m_showLog)
                m_windowMenu.addAction(action);
        }
        return m_windowMenu;
    }
    m_windowMenu.addAction(m_hide);
    m_windowMenu.addSeparator();
    m_windowMenu.addAction(m_exit);
    return m_windowMenu;
}

void FrmMain::contextMenuEvent(QContextMenuEvent* event)
{
    windowMenu().popup(event->globalPos());
    event->accept();
}

void FrmMain::closeEvent(QCloseEvent* event)
{
    // The window has no Close: only Exit ends the program. A Wayland compositor without XWayland offers one
    // anyway: there it hides the window, which the icon or a second launch brings back.
    event->ignore();
    if (isVisible() && QGuiApplication::platformName() == QLatin1String("wayland"))
        hideMonitor();
}

void FrmMain::showEvent(QShowEvent* event)
{
    if (!event->spontaneous()) {
        // Shown and hidden through the icon or a second launch, the window offers no minimise button: Qt asks the
        // window manager for nothing when a window has no buttons, which lets it offer everything.
        x11::allowMoveOnly(windowHandle());
        windowHandle()->installEventFilter(this);
        m_mapping = true;
        placeWindow();
    }
    QWidget::showEvent(event);
    followState();
    Q_EMIT shownChanged(true);
}

void FrmMain::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    followState();
    if (!event->spontaneous())
        Q_EMIT shownChanged(false);
}

[[gnu::hot]] void FrmMain::showTick(const Snapshot& snapshot)
{
    const TickFigures& tick = snapshot.tick;
    // Setting the scale clears the pictures; their hover texts name the scale as the tick that set it saw it.
    if (tick.graphMax != m_graphMax) {
        m_graphMax = tick.graphMax;
        for (Throughput* graph : {m_downGraph, m_upGraph}) {
            graph->setMax(m_graphMax);
            graph->setToolTip(GraphToolTip(m_graphMax, tick.bits));
        }
    }
    try {
        for (Throughput* graph : {m_downGraph, m_upGraph})
            graph->UpdateMany(0, snapshot.quietBefore);
        m_downGraph->Update(tick.downBar);
        m_upGraph->Update(tick.upBar);
    } catch (const ThroughputError& e) {
        // The engine keeps the scale positive, so this means a broken scale; a lost bar is all it costs.
        if (!m_graphErrorReported)
            qCWarning(lcMonitor) << "graph sample not drawn:" << e.what();
        m_graphErrorReported = true;
    }
    if (const bool empty = m_downGraph->empty() && m_upGraph->empty(); empty != m_graphsEmpty) {
        m_graphsEmpty = empty;
        Q_EMIT graphsEmptyChanged(empty);
    }
    showFigures(snapshot);
}

[[gnu::hot]] void FrmMain::showFigures(const Snapshot& snapshot)
{
    if (!isVisible())
        return;
    // A text is built only when a figure it shows changed: a quiet tick formats nothing.
    const TickFigures& tick = snapshot.tick;
    const bool bits = tick.bits;
    if (renew(m_shown.rcvd, snapshot.rcvdSinceRow))
        m_lblDownload->setText(VolumeText(double(snapshot.rcvdSinceRow)));
    if (renew(m_shown.sent, snapshot.sentSinceRow))
        m_lblUpload->setText(VolumeText(double(snapshot.sentSinceRow)));
    if (renew(m_shown.total, snapshot.rcvdSinceRow + snapshot.sentSinceRow))
        setWindowTitle(VolumeText(double(snapshot.rcvdSinceRow + snapshot.sentSinceRow)));
    if (renew(m_shown.graphs, {tick.downRate, tick.upRate, m_graphMax, bits}))
        describeGraphs(snapshot);
    if (renew(m_shown.rates, {tick.downRate, snapshot.avgDown, snapshot.maxDown, bits, tick.counted}))
        m_lblUp->setText(tick.counted == 0       ? NothingCountedLine()
                             : tick.downRate > 0 ? RateLine(tick.downRate, snapshot.avgDown, snapshot.maxDown, bits)
                                                 : ZeroRateLine(snapshot.avgDown, snapshot.maxDown, bits));
    if (snapshot.whatsleft && renew(m_shown.allowance, snapshot.allowance)) {
        m_lblWhatsLeft->setText(VolumeLeftText(snapshot.allowance));
        m_lblOutlook->setText(OutlookLine(snapshot.allowance));
        m_lblWhatsLeft->setToolTip(OutlookText(snapshot.allowance));
        m_lblOutlook->setToolTip(m_lblWhatsLeft->toolTip());
        if (const QColor colour = allowanceColour(snapshot.allowance.band); colour.isValid()) {
            m_whatsLeftColour = colour;
            shadeWhatsLeft();
        }
    }
}

// Assistive technology reads a graph's current rate and the rate its full height stands for.
void FrmMain::describeGraphs(const Snapshot& snapshot)
{
    const bool bits = snapshot.tick.bits;
    const QString top = RateText(m_graphMax, bits);
    const std::pair<Throughput*, double> graphs[]
        = {{m_downGraph, snapshot.tick.downRate}, {m_upGraph, snapshot.tick.upRate}};
    for (const auto& [graph, rate] : graphs) {
        const QString text = tr("Now %1, full height %2").arg(RateText(rate, bits), top);
        if (graph->accessibleDescription() != text)
            graph->setAccessibleDescription(text);
    }
}

QColor allowanceColour(AllowanceBand band)
{
    switch (band) {
    case AllowanceBand::None:
        break;
    case AllowanceBand::Unknown:
        return QColor(128, 128, 128);
    case AllowanceBand::Green:
        return QColor(0, 128, 0);
    case AllowanceBand::Orange:
        return QColor(255, 128, 0);
    case AllowanceBand::Red:
    case AllowanceBand::UsedUp:
        return QColor(255, 0, 0);
    }
    return {};
}

// Green, orange and red keep their meaning in a shade that reads on the window's background, light or dark.
void FrmMain::shadeWhatsLeft()
{
    if (!m_whatsLeftColour.isValid())
        return;
    QPalette pal = m_lblWhatsLeft->palette();
    pal.setColor(QPalette::WindowText, readableOn(m_whatsLeftColour, palette().color(QPalette::Window)));
    m_lblWhatsLeft->setPalette(pal);
}

void FrmMain::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    switch (event->type()) {
    case QEvent::PaletteChange:
        shadeWhatsLeft();
        // The graphs' pictures hold the colours they were drawn in: they start afresh in the new ones.
        for (Throughput* graph : {m_downGraph, m_upGraph})
            graph->Resize();
        break;
    case QEvent::FontChange:
    case QEvent::StyleChange:
        fitLayout();
        applyWhatsLeftHeight(m_whatsLeftShown);
        break;
    case QEvent::WindowStateChange:
        followState();
        break;
    default:
        break;
    }
}
