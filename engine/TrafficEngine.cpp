#include "TrafficEngine.h"

#include "Clock.h"
#include "DatabaseFile.h"
#include "EngineLog.h"
#include "LogExport.h"

#include <QCoreApplication>
#include <QTimeZone>

#include <algorithm>

Q_LOGGING_CATEGORY(lcEngine, "zovodazad.engine")

TrafficEngine::TrafficEngine(Platform platform, QObject* parent)
    : QObject(parent)
    , m_platform(platform)
    , m_settings(m_db)
    , m_writer(m_db, m_state, platform.clock, [this](const QString& message) { Q_EMIT problem(message); })
    , m_journal(m_db)
    , m_allowance(m_db, platform.clock, platform.notifier)
    , m_sampler(m_state, m_settings, m_writer, platform.clock)
    , m_timer(platform.ifTable)
{
    m_timer.setObjectName(QStringLiteral("TmrCheckit"));
    m_timer.setInterval(TmrCheckitInterval);
    connect(&m_timer, &SampleTimer::reading, this, &TrafficEngine::onReading);
    connect(&m_settings, &SettingsStore::changed, this, [this] {
        m_allowance.reload(m_settings.current(), allowanceUnlogged());
        publish(false);
        Q_EMIT figuresChanged(m_snapshot);
    });
}

TrafficEngine::~TrafficEngine()
{
    m_timer.halt();
}

bool TrafficEngine::open(const QString& path, QString* error, QStringList* warnings)
{
    if (!DatabaseFile::openOrCreate(m_db, path, error, warnings)) {
        m_db.close();
        return false;
    }
    // A period left by a run that crashed or lost power becomes its row before anything new is counted; when that
    // fails now, the journal tries again before its first save. What it found beside the database that it could not
    // log is told too.
    QString why;
    if (!m_journal.recover(m_platform.clock, &why, warnings))
        warnings->append(
            QCoreApplication::translate("TrafficEngine", "The traffic of the last run could not be logged yet:\n%1")
                .arg(why));
    why.clear();
    if (!m_settings.load(&why))
        warnings->append(
            QCoreApplication::translate("TrafficEngine", "The settings could not be read; the defaults are used.\n%1")
                .arg(why));
    m_allowance.reload(m_settings.current(), 0);
    publish(false);
    return true;
}

void TrafficEngine::start()
{
    m_running = true;
    m_timer.start();
}

QString TrafficEngine::stop(int busyWaitMs)
{
    if (!m_running)
        return {};
    catchUp();
    m_running = false;
    // Nothing may read the kernel beside the last sample, nor tick while the last row is written.
    m_timer.halt();
    std::vector<IfEntry> table;
    const bool read = m_timer.readNow(table);
    m_sampler.sampleBeforeExit(read ? &table : nullptr);
    const QString lost = m_writer.WriteLastRow(m_journal, busyWaitMs);
    m_db.close();
    return lost;
}

quint64 TrafficEngine::unlogged(const QString& adapter) const
{
    if (adapter.isEmpty())
        return m_state.TotalBytesRcvd - m_state.LoggedBytesRcvd + m_state.TotalBytesSent - m_state.LoggedBytesSent;
    for (const AdapterShare& s : m_state.PeriodShares) {
        if (QAnyStringView::equal(adapter, QUtf8StringView(s.name)))
            return s.rcvd + s.sent;
    }
    return 0;
}

[[gnu::hot]] void TrafficEngine::onReading(Reading& reading)
{
    if (!m_running)
        return;
    if (reading.hasBase)
        m_sampler.rebaseUncounted(reading.base);
    m_sampler.TmrCheckit_Timer(reading.ok ? &reading.entries : nullptr);
    // The timer is off while a row is written and starts again after it, whatever the outcome.
    if (m_sampler.wroteRow()) {
        m_timer.stop();
        m_timer.start();
        afterRow();
    }
    m_journal.tick(m_state, m_platform.clock);
    // A new minute may be a new day (or a clock set to another), which moves the allowance's window.
    if (const int minute = m_platform.clock.minuteOfDay(); minute != m_minute) {
        m_minute = minute;
        m_allowance.checkDay();
    }
    m_allowance.setUnlogged(allowanceUnlogged());
    publish(true);
    m_snapshot.quietBefore = reading.quietBefore;
    Q_EMIT ticked(m_snapshot);
    if (m_snapshot.allowance.band == AllowanceBand::Unknown)
        return;
    if (m_sampler.quiet()) {
        // Nothing anyone sees changes while the counted adapters' counters stay as they are.
        if (!m_resting.contains(m_watchers))
            return;
        m_sampler.countedIndexes(m_counted);
        m_timer.settle(msUntilDue(), m_counted);
        return;
    }
    if (!m_watchers.isEmpty())
        return;
    // Under traffic nobody looks at a tick of its own: ticks are counted together, and the last of them is taken
    // before anything due (a new day, a save), so that whatever is written carries the time it was taken.
    int within = HeldAtMostMs;
    for (const int ms : std::as_const(m_within))
        within = std::min(within, ms);
    m_timer.hold(std::min<qint64>(within, msUntilDue() - TmrCheckitInterval) - TmrCheckitInterval / 2);
}

void TrafficEngine::afterRow()
{
    m_allowance.reload(allowanceUnlogged());
}

[[gnu::hot]] void TrafficEngine::publish(bool tick)
{
    const TrafficState& s = m_state;
    m_snapshot.tick = m_sampler.figures();
    m_snapshot.rcvdSinceRow = tick ? m_snapshot.tick.rcvdSinceRow : s.TotalBytesRcvd - s.LoggedBytesRcvd;
    m_snapshot.sentSinceRow = tick ? m_snapshot.tick.sentSinceRow : s.TotalBytesSent - s.LoggedBytesSent;
    m_snapshot.avgDown = s.PeriodAvgDownSpeed;
    m_snapshot.maxDown = s.MaxDownSpeed;
    m_snapshot.quietBefore = 0;
    m_snapshot.allowance = m_allowance.remainder();
    m_snapshot.whatsleft = m_settings.current().whatsleft != 0;
}

qint64 TrafficEngine::msUntilDue() const
{
    const QDateTime now = m_platform.clock.now();
    // The day's row is written in its first minute, and a row at a change between summer and winter time; a period
    // with unsaved traffic is saved within a minute.
    const qint64 midnight = now.msecsTo(now.date().addDays(1).startOfDay());
    const QDateTime change = QTimeZone::systemTimeZone().nextTransition(now).atUtc;
    const qint64 toChange = change.isValid() ? std::max<qint64>(now.msecsTo(change), 1) : midnight;
    return std::min({midnight, toChange, m_journal.msUntilSave(m_state, now)});
}

void TrafficEngine::WriteLogRow()
{
    if (!m_running)
        return;
    catchUp();
    m_writer.WriteLogRow();
    afterRow();
    publish(false);
    Q_EMIT figuresChanged(m_snapshot);
}

void TrafficEngine::logBeforeGraphs()
{
    // The stored setting decides, not the options dialog's check box, which may hold an unsaved change.
    if (m_settings.stored().AutoReset == 1)
        WriteLogRow();
}

bool TrafficEngine::clearLog(QString* error)
{
    catchUp();
    const bool ok = ::clearLog(m_db, m_platform.clock.now(), error);
    afterRow();
    publish(false);
    Q_EMIT figuresChanged(m_snapshot);
    return ok;
}

bool TrafficEngine::exportCsv(QIODevice& out, int view, const QString& adapter, QString* error)
{
    return writeLogView(m_db, out, view, adapter, error);
}

QStringList TrafficEngine::recordedAdapters()
{
    QStringList names;
    if (!::recordedAdapters(m_db, &names, nullptr))
        names.clear();
    return names;
}

void TrafficEngine::watch(const QObject* viewer, bool watching)
{
    if (watching) {
        m_watchers.insert(viewer);
        catchUp();
    } else {
        m_watchers.remove(viewer);
    }
}

void TrafficEngine::restWhileQuiet(const QObject* viewer, bool rest)
{
    if (rest) {
        m_resting.insert(viewer);
    } else {
        m_resting.remove(viewer);
        m_timer.wake();
    }
}

void TrafficEngine::needFigures(const QObject* viewer, int withinMs)
{
    if (withinMs <= 0) {
        m_within.remove(viewer);
        return;
    }
    m_within.insert(viewer, withinMs);
    catchUp();
}

void TrafficEngine::catchUp()
{
    m_timer.handOnNow();
}
