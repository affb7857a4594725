#include "MainMdl.h"

#include "Activation.h"
#include "FrmMain.h"
#include "FrmOptions.h"
#include "MessageBox.h"
#include "TrayIcon.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcStartup, "zovodazad.startup", QtWarningMsg)

namespace {
// Milliseconds since this process started, from the kernel's accounting (10 ms resolution).
qint64 processAgeMs()
{
    QFile stat(QStringLiteral("/proc/self/stat")), uptime(QStringLiteral("/proc/uptime"));
    if (!stat.open(QIODevice::ReadOnly) || !uptime.open(QIODevice::ReadOnly))
        return -1;
    // Field 22, counted after the command name, which may itself hold spaces.
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    const double started = fields.value(19).toDouble() / double(::sysconf(_SC_CLK_TCK));
    const double now = uptime.readAll().split(' ').value(0).toDouble();
    return qint64((now - started) * 1000.0);
}
// The started program whose Exit has not run yet. The display server going away ends the process from inside the
// platform plugin (exit() after "The X11 connection broke", qFatal() when the Wayland connection breaks); both
// pass through here first, so the last row is still written.
MainMdl* g_running = nullptr;
QtMessageHandler g_nextHandler = nullptr;

void finishRunning()
{
    if (MainMdl* mdl = g_running)
        mdl->finishWithoutDisplay();
}

void onMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtFatalMsg)
        finishRunning();
    if (g_nextHandler)
        g_nextHandler(type, context, text);
}

void hookProcessEnd()
{
    // Registered after the database layer's own globals exist, so this runs before they are destroyed.
    static const bool hooked = [] {
        std::atexit(finishRunning);
        g_nextHandler = qInstallMessageHandler(onMessage);
        return true;
    }();
    Q_UNUSED(hooked);
}
} // namespace

MainMdl::MainMdl(Platform platform, QObject* parent)
    : QObject(parent)
    , m_platform(platform)
    , m_engine({platform.ifTable, platform.clock, platform.notifier})
    , m_stats(platform.boxes, [this](const QString& adapter) { m_engine.settings().saveStatsAdapter(adapter); })
{
}

MainMdl::~MainMdl()
{
    if (g_running == this)
        g_running = nullptr;
}

bool MainMdl::start(const QString& databasePath)
{
    QString error;
    QStringList warnings;
    if (!m_engine.open(databasePath, &error, &warnings)) {
        // The user must be able to find the file the message is about.
        const QString where = QDir::toNativeSeparators(databasePath);
        if (!error.contains(where))
            error += QLatin1Char('\n') + where;
        // The process ends when the user has read the box, or at a termination signal while it is open.
        m_platform.boxes.ask(tr("Database Init Error!\r%1").arg(error), MessageBoxes::Buttons::Ok,
                             MessageBoxes::Icon::Critical, QStringLiteral("Zovodazad"),
                             [this](MessageBoxes::Answer) { Q_EMIT finished(); });
        return false;
    }
    for (const QString& warning : warnings)
        m_platform.boxes.notify(warning, MessageBoxes::Icon::Warning, QStringLiteral("Zovodazad"));

    // The desktop's colours, before the first window is made, and followed while the program runs.
    m_desktopPalette = std::make_unique<DesktopPalette>();
    m_frmMain = std::make_unique<FrmMain>(m_platform.boxes, [this] { return m_tray->geometry(); });
    m_frmMain->setWindowTitle(FrmMain::versionCaption());
    // Every window carries the program's icon: the dialogs and message boxes too.
    QApplication::setWindowIcon(m_frmMain->windowIcon());
    m_frmMain->setDatabasePath([this] { return m_engine.databasePath(); });
    if (!m_platform.trayHosts)
        m_desktopTrayHosts = std::make_unique<DesktopTrayHosts>();
    m_tray = std::make_unique<TrayIcon>(m_frmMain->popupMenu(),
                                        m_platform.trayHosts ? *m_platform.trayHosts : *m_desktopTrayHosts);
    m_tray->setIcon(m_frmMain->windowIcon());
    m_tray->setToolTip(QStringLiteral("Zovodazad"));
    const Settings& settings = m_engine.settings().current();
    m_frmMain->setStoredPosition(settings.monitorPosition);
    // The options dialog shows the loaded settings; it stays, hidden, until exit.
    // A dialog of the monitor window, so that it stacks above that always-on-top window.
    m_frmOptions = std::make_unique<FrmOptions>(
        FrmOptions::Services {m_engine, m_platform.boxes, m_folderPicker},
        [this](bool whatsleft) { m_frmMain->applyWhatsLeftHeight(whatsleft); }, m_frmMain.get());
    m_frmMain->applyWhatsLeftHeight(settings.whatsleft != 0);
    // The graphs' colours and the icon's form follow the dialog at once, as its check boxes act.
    const auto showLooks = [this] {
        const Settings& now = m_engine.settings().current();
        m_frmMain->setGraphColours(now.graphcolours != 0);
        m_tray->setActivityForm(static_cast<ActivityIcon::Form>(now.trayicon));
    };
    showLooks();
    connect(&m_engine.settings(), &SettingsStore::changed, m_frmMain.get(), showLooks);
    wireViews();
    // Without an icon the window stands in for it. A session that starts its programs before its panel gets the
    // icon as soon as the panel appears.
    m_frmMain->setTrayPresent(m_tray->show());
    // The launch is answered, also when no window shows for it.
    Activation::ofLaunch().complete();

    m_running = true;
    hookProcessEnd();
    g_running = this;
    m_engine.start();
    return true;
}

void MainMdl::wireViews()
{
    FrmMain* window = m_frmMain.get();
    TrayIcon* tray = m_tray.get();
    connect(tray, &TrayIcon::toggleRequested, window, &FrmMain::ToggleMonitorWindow);
    connect(tray, &TrayIcon::reachableChanged, window, &FrmMain::setTrayPresent);
    connect(tray, &TrayIcon::figuresWanted, &m_engine, &TrafficEngine::catchUp);
    const auto pace = [this, tray] { m_engine.needFigures(tray, tray->figuresWithinMs()); };
    connect(tray, &TrayIcon::figuresWithinChanged, this, pace);
    pace();

    connect(&m_engine, &TrafficEngine::ticked, this, [this, window, tray](const Snapshot& snapshot) {
        window->showTick(snapshot);
        tray->showTick(snapshot);
        if (!m_firstTickLogged) {
            m_firstTickLogged = true;
            qCDebug(lcStartup, "first tick %lld ms after the process started", processAgeMs());
        }
    });
    connect(&m_engine, &TrafficEngine::figuresChanged, this, [window, tray](const Snapshot& snapshot) {
        window->showFigures(snapshot);
        tray->showFigures(snapshot);
    });
    connect(&m_engine, &TrafficEngine::problem, this, [this](const QString& message) {
        m_platform.boxes.notify(message, MessageBoxes::Icon::Critical, QStringLiteral("Zovodazad"));
    });

    // While a window shows live figures, every tick reaches it.
    connect(window, &FrmMain::shownChanged, this, [this, window](bool shown) {
        m_engine.watch(window, shown);
        if (shown)
            window->showFigures(m_engine.snapshot());
    });
    connect(window, &FrmMain::graphsEmptyChanged, this,
            [this, window](bool empty) { m_engine.restWhileQuiet(window, empty); });
    m_engine.restWhileQuiet(window, true);
    connect(m_frmOptions.get(), &FrmOptions::shownChanged, this,
            [this](bool shown) { m_engine.watch(m_frmOptions.get(), shown); });
    connect(window, &FrmMain::positionChosen, this, [this](const QPoint& position) {
        QString error;
        if (!m_engine.settings().saveMonitorPosition(position, &error))
            qCWarning(lcStartup) << "the window's position was not saved:" << error;
    });

    connect(window, &FrmMain::optionsRequested, this, [this] {
        m_frmOptions->show();
        Activation::ofUserRequest().raise(*m_frmOptions);
    });
    connect(window, &FrmMain::volumeGraphsRequested, this, &MainMdl::openStats);
    connect(window, &FrmMain::resetCountersRequested, &m_engine, &TrafficEngine::WriteLogRow);
    connect(window, &FrmMain::exitRequested, this, &MainMdl::shutdown);
}

void MainMdl::openStats()
{
    m_engine.logBeforeGraphs();
    // The monitor window stays on top: the statistics window keeps clear of it.
    m_stats.show(m_engine.databasePath(), m_frmMain->shownToUser() ? m_frmMain->frameGeometry() : QRect(),
                 Activation::ofUserRequest(), m_engine.settings().current().statsadapter);
}

void MainMdl::bringMonitorForward()
{
    if (m_running)
        m_frmMain->bringForward(Activation::ofUserRequest());
}

void MainMdl::commitData()
{
    if (m_running)
        m_engine.WriteLogRow();
}

void MainMdl::shutdown()
{
    if (m_lastBoxWait)
        m_lastBoxWait->quit();
    if (!m_running)
        return;
    m_running = false;
    g_running = nullptr;
    m_stats.close();
    m_frmOptions->hide();
    const QString lost = m_engine.stop();
    m_tray->hide();
    m_frmMain->hide();
    if (!lost.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(lost));
        // A box dies with the process: the process stays until the user has answered it.
        QEventLoop wait;
        m_lastBoxWait = &wait;
        bool answered = false;
        m_platform.boxes.ask(lost, MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Critical, QStringLiteral("Zovodazad"),
                             [&answered, loop = m_lastBoxWait](MessageBoxes::Answer) {
                                 // The box may outlive the wait (it timed out): then the loop is gone.
                                 if (loop) {
                                     answered = true;
                                     loop->quit();
                                 }
                             });
        QTimer::singleShot(LastBoxWaitMs, &wait, &QEventLoop::quit);
        if (!answered)
            wait.exec();
    }
    Q_EMIT finished();
}

void MainMdl::finishWithoutDisplay()
{
    if (!m_running)
        return;
    m_running = false;
    g_running = nullptr;
    const QString lost = m_engine.stop();
    if (!lost.isEmpty())
        std::fprintf(stderr, "%s\n", qPrintable(lost));
}
