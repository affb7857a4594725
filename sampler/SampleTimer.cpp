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

void SampleTimer::settle(qint64 ms)
{
    const std::lock_guard lock(m_mutex);
    if (!m_active || m_hasPending || ms <= 0)
        return;
    m_settled = true;
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

// The thread: the only code an idle, settled program runs every interval.
[[gnu::hot]] void SampleTimer::run()
{
    Reading reading;
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
        const bool same = reading.ok && m_last.ok && reading.bytes == m_last.bytes;
        std::swap(reading, m_last);
        if (same && m_settled && std::chrono::system_clock::now() < m_settledUntil) {
            ++m_skipped;
            continue;
        }
        // A reading not yet taken is replaced, as a busy event loop merges a timer's ticks.
        m_pending.bytes.assign(m_last.bytes.cbegin(), m_last.bytes.cend());
        m_pending.ok = m_last.ok;
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
    if (!m_hasCurrent) {
        const std::lock_guard lock(m_mutex);
        read(m_current);
        m_hasCurrent = true;
        // A reading on its way is older than this one: the sampler must never see the counters go back.
        if (std::exchange(m_hasPending, false))
            m_skipped += std::exchange(m_pendingSkipped, 0);
    }
    if (!m_current.ok) {
        m_hasCurrent = false;
        *size = 0;
        return IfTableStatus::CanNotComplete;
    }
    const auto bytes = std::uint32_t(m_current.bytes.size());
    if (!table || *size < bytes) {
        *size = bytes;
        return table ? IfTableStatus::InsufficientBuffer : IfTableStatus::Ok;
    }
    std::memcpy(table, m_current.bytes.data(), bytes);
    *size = bytes;
    m_hasCurrent = false;
    return IfTableStatus::Ok;
}
