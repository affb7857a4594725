#include "MainMdl.h"

#include "Clock.h"
#include "DatabaseFile.h"
#include "FrmMain.h"
#include "FrmOptions.h"
#include "MessageBox.h"
#include "Readouts.h"
#include "Sampler.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLoggingCategory>

#include <algorithm>
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
    , m_writer(m_db, m_state, platform.clock, platform.boxes)
    , m_journal(m_db)
    , m_stats(platform.boxes)
    , m_allowance(m_db, m_state, m_vars, m_settings, platform.clock, platform.notifier)
{
}

MainMdl::~MainMdl()
{
    if (g_running == this)
        g_running = nullptr;
}

bool MainMdl::start(const QString& databasePath)
{
    m_frmMain = std::make_unique<FrmMain>(
        MonitorContext {m_writer, m_db, m_state, m_vars, m_platform.clock, m_platform.boxes, m_platform.ifTable});
    // No tick may see a half-built state: the timer stays off until the last step.
    m_frmMain->TmrCheckit().stop();

    QString error;
    if (!DatabaseFile::openOrCreate(m_db, databasePath, &error)) {
        // The user must be able to find the file the message is about.
        const QString where = QDir::toNativeSeparators(databasePath);
        if (!error.contains(where))
            error += QLatin1Char('\n') + where;
        // The process ends when the user has read the box, or at a termination signal while it is open.
        m_platform.boxes.ask(QStringLiteral("Database Init Error!\r") + error, MessageBoxes::Buttons::Ok,
                             MessageBoxes::Icon::Critical, QStringLiteral("Zovodazad"),
                             [this](MessageBoxes::Answer) { Q_EMIT finished(); });
        m_db.close();
        m_frmMain->RemoveTrayIcon();
        m_frmMain->UnhookWindow();
        m_frmMain.reset();
        return false;
    }
    m_command.bind(m_db);
    // A period left by a run that crashed or lost power becomes its row before anything new is counted; when that
    // fails now, the journal tries again before its first save.
    QString recoverError;
    if (!m_journal.recover(&recoverError)) {
        m_platform.boxes.notify(tr("The traffic of the last run could not be logged yet:\n%1").arg(recoverError),
                                MessageBoxes::Icon::Warning, QStringLiteral("Zovodazad"));
    }

    m_frmMain->setWindowTitle(FrmMain::versionCaption());
    // Topmost, and without Close, minimise or maximise, by the window's own flags.
    const bool trayAdded = m_frmMain->AddTrayIcon();
    if (trayAdded)
        m_frmMain->HookWindow();
    m_frmMain->hide();
    m_state.MaxDownSpeed = 0.0;
    m_state.MaxUpSpeed = 0.0;
    m_frmMain->setGraphMax(SamplerView::Graph::Up, 5);
    m_frmMain->setGraphMax(SamplerView::Graph::Down, 5);

    QString settingsError;
    if (!loadSettings(m_db, m_settings, m_vars, &settingsError)) {
        m_platform.boxes.notify(tr("The settings could not be read; the defaults are used.\n%1").arg(settingsError),
                                MessageBoxes::Icon::Warning, QStringLiteral("Zovodazad"));
    }
    // The options dialog shows the loaded record; it stays, hidden, until exit.
    m_frmOptions
        = std::make_unique<FrmOptions>(FrmOptions::Services {m_db, m_command, m_settings, m_vars, m_state,
                                                             m_platform.clock, m_platform.boxes, m_folderPicker},
                                       [this](bool whatsleft) {
                                           m_frmMain->applyWhatsLeftHeight(whatsleft);
                                           // New settings may change what the icon tells.
                                           wake();
                                       });
    connect(m_frmMain.get(), &FrmMain::optionsRequested, this, [this] {
        // While the dialog is open every tick is seen: erasing the log, say, changes the allowance at once.
        wake();
        m_frmOptions->show();
        m_frmOptions->raise();
        m_frmOptions->activateWindow();
    });

    m_frmMain->applyWhatsLeftHeight(m_settings.whatsleft != 0);
    // Without an icon nothing else could ever show the window. A session that starts its programs before its
    // panel gets the icon as soon as the panel appears.
    if (!trayAdded)
        m_frmMain->ToggleMonitorWindow();
    connect(m_frmMain.get(), &FrmMain::trayPlaced, this, [this] {
        if (m_running)
            m_frmMain->HookWindow();
    });

    // The sampler reads what the timer read.
    m_sampler = std::make_unique<Sampler>(m_frmMain->TmrCheckit(), m_db, m_state, m_settings, m_writer,
                                          m_platform.clock, *m_frmMain);
    connect(&m_frmMain->TmrCheckit(), &SampleTimer::timeout, this, &MainMdl::tick);
    connect(m_frmMain.get(), &FrmMain::readoutsNeeded, this, [this] {
        wake();
        m_sampler->refreshTexts();
    });
    connect(m_frmMain.get(), &FrmMain::volumeGraphsRequested, this, &MainMdl::openStats);
    connect(m_frmMain.get(), &FrmMain::exitRequested, this, &MainMdl::shutdown);
    m_running = true;
    hookProcessEnd();
    g_running = this;
    m_frmMain->TmrCheckit().start();
    // The first sample is taken at once rather than a whole interval later; it only sets the reference, and the
    // timer's next tick still comes one interval after it.
    QTimer::singleShot(0, this, [this] {
        if (m_running)
            tick();
    });
    return true;
}

[[gnu::hot]] void MainMdl::tick()
{
    SampleTimer& timer = m_frmMain->TmrCheckit();
    replayQuietTicks(timer.takeSkipped());
    if (timer.hasBase())
        m_sampler->rebaseUncounted();
    m_sampler->TmrCheckit_Timer();
    m_journal.tick(m_state, m_platform.clock);
    // Nothing anyone sees changes while the counted adapters' counters stay as they are, and the icon is brought up
    // to date first.
    const bool settled = m_sampler->quiet() && !m_frmMain->readoutsShown() && !m_frmOptions->isVisible();
    if (++m_ticks % 2 == 0 || settled)
        refreshAllowanceAndTray();
    if (settled && m_allowance.remainder().band != AllowanceBand::Unknown)
        timer.settle(msUntilDue(), m_settings.adapters.selectedRows());
    if (!m_firstTickLogged) {
        m_firstTickLogged = true;
        qCDebug(lcStartup, "first tick %lld ms after the process started", processAgeMs());
    }
}

[[gnu::hot]] void MainMdl::refreshAllowanceAndTray()
{
    m_allowance.refresh();
    const VolumeLeft::Remainder& left = m_allowance.remainder();
    const TrafficState& s = m_state;
    TrayIcon& tray = m_frmMain->tray();
    auto from = std::make_tuple(m_sampler->downloadRate(), m_sampler->uploadRate(), m_settings.kilobit != 0,
                                double(s.TotalBytesSent + s.TotalBytesRcvd - s.LoggedBytesSent - s.LoggedBytesRcvd),
                                left.text);
    if (from != m_toolTipFrom) {
        tray.setToolTip(std::apply(TrayToolTip, from));
        m_toolTipFrom = std::move(from);
    }
    if (left.band != m_markFrom) {
        tray.setMark(left.band >= AllowanceBand::Orange ? allowanceColour(left.band) : QColor());
        m_markFrom = left.band;
    }
}

void MainMdl::replayQuietTicks(quint64 ticks)
{
    m_sampler->replayQuietTicks(ticks);
    m_ticks += ticks;
}

void MainMdl::wake()
{
    if (m_running)
        replayQuietTicks(m_frmMain->TmrCheckit().unsettle());
}

qint64 MainMdl::msUntilDue() const
{
    const QDateTime now = m_platform.clock.now();
    // The day's row is written in its first minute; a period with unsaved traffic is saved within a minute. Every
    // ten minutes at the latest, anything not foreseen here is looked at too.
    const qint64 midnight = now.msecsTo(now.date().addDays(1).startOfDay());
    return std::min({midnight, m_journal.msUntilSave(m_state, now), SettledAtMostMs});
}

void MainMdl::openStats()
{
    m_stats.show(m_db.path());
}

void MainMdl::bringMonitorForward()
{
    if (!m_running)
        return;
    // A Wayland compositor does not tell its clients when it minimises their windows; shown afresh, it is back.
    if (QGuiApplication::platformName() == QLatin1String("wayland"))
        m_frmMain->hide();
    if (!m_frmMain->isVisible())
        m_frmMain->ToggleMonitorWindow();
    m_frmMain->raise();
    m_frmMain->activateWindow();
}

void MainMdl::commitData()
{
    if (m_running) {
        m_sampler->sampleBeforeExit();
        m_frmMain->WriteLogRow();
    }
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
    m_frmMain->TmrCheckit().stop();
    m_sampler->sampleBeforeExit();
    const QString lost = m_writer.WriteLastRow(m_journal, ExitBusyWaitMs);
    m_db.close();
    m_frmMain->RemoveTrayIcon();
    m_frmMain->UnhookWindow();
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
    const QString lost = m_writer.WriteLastRow(m_journal, ExitBusyWaitMs);
    m_db.close();
    if (!lost.isEmpty())
        std::fprintf(stderr, "%s\n", qPrintable(lost));
}
