#include "SampleTimer.h"

#include "Futex.h"

#include <cstring>

using std::chrono::steady_clock;

SampleTimer::SampleTimer(IfTableSource& source, QObject* parent)
    : QObject(parent)
    , m_source(source)
{
}

SampleTimer::~SampleTimer()
{
    {
        const std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    changed();
    if (m_thread.joinable())
        m_thread.join();
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
        // The thread is made at the first start, so a window that never samples has none.
        if (!m_thread.joinable())
            m_thread = std::thread(&SampleTimer::run, this);
        m_active = true;
        m_next = steady_clock::now() + m_interval;
    }
    changed();
}

void SampleTimer::stop()
{
    {
        const std::lock_guard lock(m_mutex);
        m_active = false;
        m_settled = false;
        m_hasPending = false;
        // What was skipped before the dropped reading is still owed to the graphs.
        m_skipped += std::exchange(m_pendingSkipped, 0);
    }
    changed();
}

void SampleTimer::changed()
{
    m_changes.fetch_add(1);
    futexWakeAll(m_changes);
}

void SampleTimer::settle(qint64 ms, const std::vector<bool>& counted)
{
    const std::lock_guard lock(m_mutex);
    if (!m_active || m_hasPending || ms <= 0)
        return;
    m_settled = true;
    m_counted = counted;
    m_settledUntil = std::chrono::system_clock::now() + std::chrono::milliseconds(ms);
}

quint64 SampleTimer::unsettle()
{
    const std::lock_guard lock(m_mutex);
    m_settled = false;
    return std::exchange(m_skipped, 0);
}

[[gnu::hot]] void SampleTimer::read(Reading& into)
{
    std::uint32_t size = 0;
    m_source.GetIfTable(nullptr, &size, true);
    into.ok = false;
    if (size == 0)
        return;
    into.bytes.resize(size);
    into.ok = m_source.GetIfTable(into.bytes.data(), &size, true) == IfTableStatus::Ok;
    if (into.ok)
        into.bytes.resize(size);
}

// Equal but for the counters of rows not counted. The counters close each row.
[[gnu::hot]] bool SampleTimer::sameCounted(const Reading& a, const Reading& b) const
{
    static_assert(IfLayout::OutOctets + 8 == IfLayout::RowSize && IfLayout::InOctets + 8 == IfLayout::OutOctets);
    if (!a.ok || !b.ok || a.bytes.size() != b.bytes.size() || a.bytes.size() < IfLayout::CountSize)
        return false;
    const std::uint8_t* x = a.bytes.data();
    const std::uint8_t* y = b.bytes.data();
    if (std::memcmp(x, y, IfLayout::CountSize) != 0)
        return false;
    const std::size_t rows = (a.bytes.size() - IfLayout::CountSize) / IfLayout::RowSize;
    for (std::size_t k = 0; k < rows; ++k) {
        const std::size_t at = IfLayout::CountSize + k * IfLayout::RowSize;
        const bool counted = k < m_counted.size() && m_counted[k];
        if (std::memcmp(x + at, y + at, counted ? IfLayout::RowSize : IfLayout::InOctets) != 0)
            return false;
    }
    // Bytes after the last whole row, if any.
    const std::size_t end = IfLayout::CountSize + rows * IfLayout::RowSize;
    return std::memcmp(x + end, y + end, a.bytes.size() - end) == 0;
}

// The thread: the only code an idle, settled program runs every interval.
[[gnu::hot]] void SampleTimer::run()
{
    Reading reading;
    bool skippedLast = false;
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
        read(reading);
        std::swap(reading, m_last);
        if (m_settled && std::chrono::system_clock::now() < m_settledUntil && sameCounted(m_last, reading)) {
            ++m_skipped;
            skippedLast = true;
            continue;
        }
        // A reading not yet taken is replaced, as a busy event loop merges a timer's ticks.
        m_pending.bytes.assign(m_last.bytes.cbegin(), m_last.bytes.cend());
        m_pending.ok = m_last.ok;
        // After a skipped reading, that one goes along: the uncounted rows' counters moved meanwhile. One already
        // waiting stays, as the older start of the merged ticks.
        if (skippedLast && !(m_hasPending && m_pendingHasBase)) {
            m_pendingBase.bytes.assign(reading.bytes.cbegin(), reading.bytes.cend());
            m_pendingBase.ok = reading.ok;
            m_pendingHasBase = true;
        } else if (!m_hasPending) {
            m_pendingHasBase = false;
        }
        skippedLast = false;
        m_pendingSkipped += std::exchange(m_skipped, 0);
        m_settled = false;
        m_hasPending = true;
        if (!m_posted) {
            m_posted = true;
            QMetaObject::invokeMethod(this, &SampleTimer::deliver, Qt::QueuedConnection);
        }
    }
}

void SampleTimer::deliver()
{
    {
        const std::lock_guard lock(m_mutex);
        m_posted = false;
        if (!m_hasPending || !m_active)
            return;
        std::swap(m_current.bytes, m_pending.bytes);
        m_current.ok = m_pending.ok;
        std::swap(m_base.bytes, m_pendingBase.bytes);
        m_base.ok = m_pendingBase.ok;
        m_hasBase = m_pendingHasBase;
        m_hasPending = false;
        m_currentSkipped = std::exchange(m_pendingSkipped, 0);
        m_hasCurrent = true;
    }
    Q_EMIT timeout();
}

std::uint32_t SampleTimer::GetIfTable(std::uint8_t* table, std::uint32_t* size, bool)
{
    if (!size)
        return IfTableStatus::InvalidParameter;
    if (!m_hasBase && !m_hasCurrent) {
        const std::lock_guard lock(m_mutex);
        read(m_current);
        m_hasCurrent = true;
        // A reading on its way is older than this one: the sampler must never see the counters go back.
        if (std::exchange(m_hasPending, false))
            m_skipped += std::exchange(m_pendingSkipped, 0);
    }
    Reading& served = m_hasBase ? m_base : m_current;
    bool& waiting = m_hasBase ? m_hasBase : m_hasCurrent;
    if (!served.ok) {
        waiting = false;
        *size = 0;
        return IfTableStatus::CanNotComplete;
    }
    const auto bytes = std::uint32_t(served.bytes.size());
    if (!table || *size < bytes) {
        *size = bytes;
        return table ? IfTableStatus::InsufficientBuffer : IfTableStatus::Ok;
    }
    std::memcpy(table, served.bytes.data(), bytes);
    *size = bytes;
    waiting = false;
    return IfTableStatus::Ok;
}
