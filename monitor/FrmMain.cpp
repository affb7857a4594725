#include "FrmMain.h"

#include "Contrast.h"
#include "Readouts.h"
#include "TwipLayout.h"

#include "Db.h"
#include "LogWriter.h"
#include "MessageBox.h"
#include "MonitorLog.h"
#include "MonitorPlacement.h"
#include "Settings.h"
#include "Throughput.h"
#include "TrafficState.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMoveEvent>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QSvgRenderer>

namespace {

// The stored layout, in twips (1/1440 inch).
constexpr int ClientWidth = 3015;
// The setting rows of the position the user left the window at, in screen pixels.
const QString PositionLeft = QStringLiteral("monitorleft");
const QString PositionTop = QStringLiteral("monitortop");
constexpr int OuterHeightWhatsLeft = 1965;
constexpr int OuterHeightPlain = 1600;
// The outer heights include a caption and borders of 375 twips, the difference between the taller outer height
// and the stored client height of 1590. Window managers draw frames of their own size, so the rule is applied to
// the client area: the tall window shows every row and the short one cuts off the volume-left line.
constexpr int FrameHeight = 375;

const QString MonitorOn = QStringLiteral("Monitor &On.");
const QString MonitorOff = QStringLiteral("Monitor &Off.");

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

// Both graphs: flat, bars two pixels wide on the desktop scheme's grey of disabled text, and a scale of 150 until the
// program sets its own. The upload bars hang from the top edge.
void setUpGraph(Throughput* graph, const QColor& bars, bool inverted)
{
    graph->setBackColor({QPalette::Disabled, QPalette::WindowText});
    graph->setForeColor(bars);
    graph->setMax(150);
    graph->setBarWidth(2);
    graph->setFlat(true);
    graph->setInverted(inverted);
}

} // namespace

Q_LOGGING_CATEGORY(lcMonitor, "zovodazad.monitor")

// The resources live in this static library; nothing else references them, so the linker would drop them.
static void initResources()
{
    Q_INIT_RESOURCE(zovodazad);
}

FrmMain::FrmMain(const MonitorContext& context, TrayIcon::HostProbe findHost, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_context(context)
    , m_volumeLeft(context.db, context.state, context.clock)
    , m_tray(new TrayIcon(m_popup, std::move(findHost), this))
{
    initResources();
    setObjectName(QStringLiteral("FrmMain"));
    setWindowIcon(monitorIcon());
    // The window stays on top beside the user's work and is rarely the active one; its graphs' hover texts show
    // all the same.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    m_timer.setObjectName(QStringLiteral("TmrCheckit"));
    m_timer.setInterval(500);

    // The two captions end at the same edge, so their colons line up.
    addLabel("Label2", QStringLiteral("In :"), true, {120, 120, 375, 255})
        ->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_lblDownload = addLabel("lblDownload", QString(), false, {600, 120, 1095, 255});
    addLabel("Label4", QStringLiteral("Out :"), true, {0, 480, 495, 255})
        ->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_lblUpload = addLabel("LblUpload", QString(), false, {600, 480, 1095, 255});
    m_lblUp = addLabel("LblUp", QString(), false, {120, 840, 2895, 255});
    m_lblWhatsLeft = addLabel("lblwhatsLeft", QStringLiteral("50 % left - 20 MB Left"), true, {120, 1200, 2775, 255});

    m_downGraph = new Throughput(this);
    m_downGraph->setObjectName(QStringLiteral("DownGraph"));
    setUpGraph(m_downGraph, QColor(0, 255, 0), false);
    m_layout.place(m_downGraph, {1800, 120, 1095, 255});
    m_upGraph = new Throughput(this);
    m_upGraph->setObjectName(QStringLiteral("UpGraph"));
    setUpGraph(m_upGraph, QColor(255, 0, 0), true);
    m_layout.place(m_upGraph, {1800, 480, 1095, 255});

    m_popup.setObjectName(QStringLiteral("MP_IconPopup"));
    m_popup.setTitle(QStringLiteral("IconPopup"));
    auto addItem = [this](const char* name, const QString& caption) {
        QAction* action = m_popup.addAction(caption);
        action->setObjectName(QLatin1String(name));
        return action;
    };
    m_showLog = addItem("MP_ShowLog", MonitorOn);
    connect(m_showLog, &QAction::triggered, this, &FrmMain::ToggleMonitorWindow);
    connect(addItem("MP_Options", QStringLiteral("O&ptions")), &QAction::triggered, this, &FrmMain::optionsRequested);
    connect(addItem("MP_ShoWAll", QStringLiteral("&Volume Graphs")), &QAction::triggered, this,
            &FrmMain::showVolumeGraphs);
    connect(addItem("MP_ResetCounters", QStringLiteral("&Reset Counters.")), &QAction::triggered, this,
            &FrmMain::WriteLogRow);
    connect(addItem("MP_About", QStringLiteral("&About")), &QAction::triggered, this, &FrmMain::showAbout);
    m_popup.addSeparator()->setObjectName(QStringLiteral("MC_Nothing"));
    connect(addItem("MP_Exit", QStringLiteral("E&xit")), &QAction::triggered, this, &FrmMain::exitRequested);
    m_popup.setDefaultAction(m_showLog);
    // Hiding the window is only undone from the icon, so it is offered only while there is one.
    m_showLog->setEnabled(false);
    connect(m_tray, &TrayIcon::placed, this, [this] {
        m_trayAdded = true;
        m_showLog->setEnabled(true);
        Q_EMIT trayPlaced();
    });

    // The system-menu commands; served only while the window is hooked.
    m_hide = new QAction(QStringLiteral("Hide"), this);
    m_hide->setObjectName(QStringLiteral("Hide"));
    m_hide->setEnabled(false);
    connect(m_hide, &QAction::triggered, this, &FrmMain::ToggleMonitorWindow);
    m_exit = new QAction(QStringLiteral("E&xit"), this);
    m_exit->setObjectName(QStringLiteral("Exit"));
    m_exit->setEnabled(false);
    connect(m_exit, &QAction::triggered, this, &FrmMain::exitRequested);

    fitLayout();
    applyWhatsLeftHeight(true);

    // A move is saved once the user has let go of the window for a moment.
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

std::optional<QPoint> FrmMain::storedPosition()
{
    std::optional<qint64> xy[2];
    for (int i : {0, 1}) {
        DbRecordset rs;
        rs.open(m_context.db, QStringLiteral("select Settingvalue from settings where settingname = ? collate nocase;"),
                {i == 0 ? PositionLeft : PositionTop});
        if (!rs.atEnd())
            xy[i] = readStoredWhole(rs.field(QStringLiteral("Settingvalue")).toString(), -1000000, 1000000);
        rs.close();
    }
    if (!xy[0] || !xy[1])
        return std::nullopt;
    return QPoint(int(*xy[0]), int(*xy[1]));
}

void FrmMain::savePosition()
{
    m_savePosition.stop();
    if (!m_userPosition)
        return;
    DbCommand command;
    command.bind(m_context.db);
    const auto replace = [&command](const QString& key, int value) {
        return command.execute(QStringLiteral("Delete from settings where settingname = ? collate nocase;"), {key})
            && command.execute(QStringLiteral("INSERT INTO settings(Settingname,Settingvalue) values(?, ?);"),
                               {key, storedNumber(value)});
    };
    const QPoint p = *m_userPosition;
    if (!m_context.db.transaction([&] { return replace(PositionLeft, p.x()) && replace(PositionTop, p.y()); }))
        qCWarning(lcMonitor) << "the window's position was not saved:" << m_context.db.lastError();
}

// Next to the icon, or where the user left the window, always whole on a screen that exists now.
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
    // The window is built before the database is opened, so the user's spot is read at the first placement.
    if (!m_positionLoaded && m_context.db.isOpen()) {
        m_userPosition = storedPosition();
        m_positionLoaded = true;
    }
    // The frame is known once the window manager has framed the window; until then the title bar is estimated.
    QSize frame = frameGeometry().size();
    if (frame == size())
        frame.rheight() += style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
    m_placedAt = monitorPosition(frame, screens, m_tray->geometry(), m_userPosition);
    m_placing = true;
    move(m_placedAt);
    m_placing = false;
}

void FrmMain::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    // The window manager framing the window puts it where it was placed; any other move is the user's.
    if (!isVisible() || m_placing || pos() == m_placedAt)
        return;
    m_userPosition = pos();
    m_positionLoaded = true;
    m_placedAt = pos();
    m_savePosition.start();
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
    const QString left = QLocale().toString(5119999) + QStringLiteral(" MB (") + QLocale().toString(99.9, 'f', 1)
        + QStringLiteral(" %) Left.");
    QList<TwipLayout::Need> needs;
    for (QLabel* label : findChildren<QLabel*>()) {
        const QStringList texts = label == m_lblDownload || label == m_lblUpload ? volumes
            : label == m_lblUp                                                   ? longestRateLines()
            : label == m_lblWhatsLeft                                            ? QStringList {left}
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

void FrmMain::applyWhatsLeftHeight(bool whatsLeft)
{
    m_whatsLeftShown = whatsLeft;
    const int outer = whatsLeft ? OuterHeightWhatsLeft : OuterHeightPlain;
    setFixedSize(m_layout.toPixelsX(ClientWidth), m_layout.toPixelsY(outer - FrameHeight));
}

void FrmMain::WriteLogRow()
{
    m_context.writer.WriteLogRow();
}

void FrmMain::ToggleMonitorWindow()
{
    if (isVisible()) {
        if (m_savePosition.isActive())
            savePosition();
        hide();
        m_showLog->setText(MonitorOn);
    } else {
        // A window manager may have minimised it; shown again, it comes back whole.
        setWindowState(windowState() & ~Qt::WindowMinimized);
        show();
        m_showLog->setText(MonitorOff);
    }
}

void FrmMain::showVolumeGraphs()
{
    // The stored setting decides, not the options dialog's check box, which may hold an unsaved change.
    DbRecordset rs;
    rs.open(m_context.db, QStringLiteral("select * from settings where settingname=? collate nocase;"),
            {QStringLiteral("AutoReset")});
    const bool autoReset = !rs.atEnd() && rs.field(QStringLiteral("Settingvalue")).toString() == QLatin1String("1");
    rs.close();
    if (autoReset)
        WriteLogRow();
    Q_EMIT volumeGraphsRequested();
}

void FrmMain::showAbout()
{
    const QString caption = versionCaption();
    m_context.boxes.ask(caption + QStringLiteral("\nNetwork traffic monitor"), MessageBoxes::Buttons::Ok,
                        MessageBoxes::Icon::Information, caption);
}

bool FrmMain::AddTrayIcon()
{
    m_tray->setIcon(windowIcon());
    m_tray->setToolTip(QStringLiteral("Zovodazad"));
    m_trayAdded = m_tray->show();
    m_showLog->setEnabled(m_trayAdded);
    return m_trayAdded;
}

void FrmMain::RemoveTrayIcon()
{
    m_tray->hide();
    m_trayAdded = false;
    m_showLog->setEnabled(false);
}

void FrmMain::HookWindow()
{
    if (m_trayHook)
        return;
    m_trayHook = connect(m_tray, &TrayIcon::toggleRequested, this, &FrmMain::ToggleMonitorWindow);
    m_hide->setEnabled(true);
    m_exit->setEnabled(true);
}

void FrmMain::UnhookWindow()
{
    if (!m_trayHook)
        return;
    disconnect(m_trayHook);
    m_trayHook = {};
    m_hide->setEnabled(false);
    m_exit->setEnabled(false);
}

bool FrmMain::isHooked() const
{
    return static_cast<bool>(m_trayHook);
}

QMenu& FrmMain::windowMenu()
{
    m_windowMenu.clear();
    m_windowMenu.setObjectName(QStringLiteral("SystemMenu"));
    if (!m_trayAdded) {
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
        ToggleMonitorWindow();
}

[[gnu::hot]] Throughput* FrmMain::graph(Graph which) const
{
    return which == Graph::Down ? m_downGraph : m_upGraph;
}

void FrmMain::setDownloadText(const QString& text)
{
    m_lblDownload->setText(text);
}

void FrmMain::setUploadText(const QString& text)
{
    m_lblUpload->setText(text);
}

void FrmMain::setCaption(const QString& text)
{
    setWindowTitle(text);
}

void FrmMain::setRateLine(const QString& text)
{
    m_lblUp->setText(text);
}

void FrmMain::showEvent(QShowEvent* event)
{
    if (!event->spontaneous())
        placeWindow();
    QWidget::showEvent(event);
    Q_EMIT readoutsNeeded();
}

[[gnu::hot]] void FrmMain::graphUpdate(Graph which, qint32 sample)
{
    graphRepeat(which, sample, 1);
}

[[gnu::hot]] void FrmMain::graphRepeat(Graph which, qint32 sample, quint64 times)
{
    try {
        graph(which)->UpdateMany(sample, times);
    } catch (const ThroughputError& e) {
        // The sampler keeps Max positive, so this means a broken scale; a lost bar is all it costs.
        if (!m_graphErrorReported)
            qCWarning(lcMonitor) << "graph sample not drawn:" << e.what();
        m_graphErrorReported = true;
    }
}

[[gnu::hot]] qint32 FrmMain::graphMax(Graph which) const
{
    return graph(which)->Max();
}

void FrmMain::setGraphMax(Graph which, qint32 max)
{
    graph(which)->setMax(max);
}

void FrmMain::setGraphToolTip(Graph which, const QString& text)
{
    graph(which)->setToolTip(text);
}

void FrmMain::refreshVolumeLeft()
{
    const SettingsVars& vars = m_context.vars;
    QColor colour;
    m_lblWhatsLeft->setText(m_volumeLeft.VolumeLeftText(vars.MaxMbSize, vars.LogPeriod,
                                                        QString::number(vars.LogPeriodType), vars.BillingDay, &colour));
    if (colour.isValid()) {
        m_whatsLeftColour = colour;
        shadeWhatsLeft();
    }
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
    if (event->type() == QEvent::PaletteChange) {
        shadeWhatsLeft();
    } else if (event->type() == QEvent::FontChange) {
        fitLayout();
        applyWhatsLeftHeight(m_whatsLeftShown);
    }
}

void FrmMain::setTimerEnabled(bool enabled)
{
    if (enabled)
        m_timer.start();
    else
        m_timer.stop();
}
