#include "SampleTimer.h"

#include "Futex.h"

#include <algorithm>

using std::chrono::steady_clock;
using std::chrono::system_clock;

SampleTimer::SampleTimer(IfTable& source, QObject* parent)
    : QObject(parent)
    , m_source(source)
{
}

SampleTimer::~SampleTimer()
{
    halt();
}

void SampleTimer::setInterval(int ms)
{
    const std::lock_guard lock(m_mutex);
    m_interval = std::chrono::milliseconds(ms);
}

int SampleTimer::interval() const
{
    const std::lock_guard lock(m_mutex);
    return int(m_interval.count());
}

bool SampleTimer::isActive() const
{
    const std::lock_guard lock(m_mutex);
    return m_active;
}

void SampleTimer::start()
{
    {
        const std::lock_guard lock(m_mutex);
        if (m_quit)
            return;
        // The thread is made at the first start, so a timer that never samples has none.
        if (!m_thread.joinable())
            m_thread = std::thread(&SampleTimer::run, this);
        // The very first reading at once: it only sets the reference for the rates that follow. Started again after
        // a stop, the timer keeps the interval, since rates are measured over it.
        m_next = steady_clock::now() + (m_started ? m_interval : std::chrono::milliseconds(0));
        m_started = true;
        m_active = true;
    }
    changed();
}

void SampleTimer::stop()
{
    {
        const std::lock_guard lock(m_mutex);
        m_active = false;
        m_settled = false;
        m_held = false;
        for (std::size_t k = 0; k < m_queued; ++k)
            m_skipped += std::exchange(m_queue[k].quietBefore, 0);
        m_queued = 0;
    }
    changed();
}

void SampleTimer::halt()
{
    stop();
    {
        const std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    changed();
    if (m_thread.joinable())
        m_thread.join();
}

bool SampleTimer::readNow(std::vector<IfEntry>& into)
{
    Q_ASSERT(!m_thread.joinable());
    return m_source.read(into);
}

void SampleTimer::changed()
{
    m_changes.fetch_add(1);
    futexWakeAll(m_changes);
}

void SampleTimer::settle(qint64 dueMs, const std::vector<std::uint32_t>& counted)
{
    const std::lock_guard lock(m_mutex);
    if (!m_active || m_queued != 0 || dueMs <= 0)
        return;
    m_settled = true;
    m_held = false;
    m_counted = counted;
    restFor(dueMs);
}

void SampleTimer::hold(qint64 dueMs)
{
    const std::lock_guard lock(m_mutex);
    if (!m_active || dueMs <= 0)
        return;
    m_held = true;
    m_settled = false;
    restFor(dueMs);
}

void SampleTimer::restFor(qint64 dueMs)
{
    m_settledUntil = system_clock::now() + std::chrono::milliseconds(dueMs);
    m_settledAtMost = steady_clock::now() + std::chrono::milliseconds(std::min(dueMs, SettledAtMostMs));
}

void SampleTimer::wake()
{
    const std::lock_guard lock(m_mutex);
    m_settled = false;
    m_held = false;
}

void SampleTimer::handOnNow()
{
    wake();
    deliver();
}

namespace {

[[gnu::hot]] bool sameInterface(const IfEntry& x, const IfEntry& y)
{
    return x.index == y.index && x.hardware == y.hardware && x.name == y.name;
}

} // namespace

// Equal but for the counters of adapters not counted, which go on moving without anyone seeing them.
[[gnu::hot]] bool SampleTimer::sameCounted(const std::vector<IfEntry>& a, const std::vector<IfEntry>& b) const
{
    if (a.size() != b.size())
        return false;
    for (std::size_t k = 0; k < a.size(); ++k) {
        const IfEntry& x = a[k];
        const IfEntry& y = b[k];
        if (!sameInterface(x, y))
            return false;
        if ((x.inOctets != y.inOctets || x.outOctets != y.outOctets)
            && std::binary_search(m_counted.cbegin(), m_counted.cend(), x.index))
            return false;
    }
    return true;
}

// The thread: the only code an idle, settled program runs every interval.
[[gnu::hot]] void SampleTimer::run()
{
    std::vector<IfEntry> fresh;
    for (;;) {
        std::unique_lock lock(m_mutex);
        // Read before the state it guards: a change made after this wakes the wait below at once.
        const std::uint32_t seen = m_changes.load();
        if (m_quit)
            return;
        const auto now = steady_clock::now();
        if (!m_active || now < m_next) {
            timespec deadline {};
            if (m_active) {
                const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(m_next.time_since_epoch());
                deadline.tv_sec = time_t(ns.count() / 1000000000);
                deadline.tv_nsec = long(ns.count() % 1000000000);
            }
            const bool timed = m_active;
            lock.unlock();
            futexWait(m_changes, seen, timed ? &deadline : nullptr);
            continue;
        }
        // Like a timer that drops the ticks it missed, rather than bunching them.
        m_next += m_interval;
        if (m_next <= now)
            m_next = now + m_interval;
        // The kernel is read without the lock, so the receiver never waits on it.
        lock.unlock();
        const bool ok = m_source.read(fresh);
        lock.lock();
        if (!m_active)
            continue;
        const bool settled = m_settled && system_clock::now() < m_settledUntil && steady_clock::now() < m_settledAtMost;
        if (settled && ok && m_lastOk && sameCounted(m_last, fresh)) {
            ++m_skipped;
            std::swap(m_last, fresh);
            m_skippedLast = true;
            continue;
        }
        const bool post = queue(fresh, ok);
        // Posted without the lock, so that the receiver, woken, does not wait for it.
        lock.unlock();
        if (post)
            QMetaObject::invokeMethod(this, &SampleTimer::deliver, Qt::QueuedConnection);
    }
}

[[gnu::hot]] bool SampleTimer::queue(std::vector<IfEntry>& fresh, bool ok)
{
    const bool keep = m_held && ok && m_lastOk && m_queued + 1 < KeptAtMost && system_clock::now() < m_settledUntil
        && steady_clock::now() < m_settledAtMost
        && std::equal(fresh.cbegin(), fresh.cend(), m_last.cbegin(), m_last.cend(), sameInterface);
    m_held = keep;
    Reading* slot = nullptr;
    if (m_queued == KeptAtMost) {
        // The receiver is that far behind: the newest takes the last one's place, which keeps its base, the older
        // start of the merged ticks.
        slot = &m_queue[m_queued - 1];
    } else {
        if (m_queue.size() == m_queued)
            m_queue.emplace_back();
        slot = &m_queue[m_queued++];
        slot->quietBefore = 0;
        slot->hasBase = false;
    }
    // After a skipped reading, that one goes along: the uncounted adapters' counters moved meanwhile.
    if (m_skippedLast && !slot->hasBase) {
        slot->base = m_last;
        slot->hasBase = true;
    }
    slot->entries = fresh;
    slot->ok = ok;
    slot->quietBefore += std::exchange(m_skipped, 0);
    std::swap(m_last, fresh);
    m_lastOk = ok;
    m_skippedLast = false;
    m_settled = false;
    if (keep || m_posted)
        return false;
    m_posted = true;
    return true;
}

void SampleTimer::deliver()
{
    // A reading handed on may not be taken away while its receiver works on it: what came meanwhile follows.
    if (m_delivering) {
        m_deliverAgain = true;
        return;
    }
    {
        const std::lock_guard lock(m_mutex);
        m_posted = false;
        if (m_queued == 0)
            return;
        std::swap(m_current, m_queue);
        m_taken = std::exchange(m_queued, 0);
    }
    m_delivering = true;
    for (std::size_t k = 0; k < m_taken; ++k)
        Q_EMIT reading(m_current[k]);
    m_delivering = false;
    if (std::exchange(m_deliverAgain, false))
        QMetaObject::invokeMethod(this, &SampleTimer::deliver, Qt::QueuedConnection);
}
