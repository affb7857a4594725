#pragma once

#include "IfTable.h"

#include <QObject>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

// The sampling timer `TmrCheckit`. A thread of its own reads the interface table every interval and hands each
// reading to the user-interface thread, which timeout() wakes to sample it.
//
// An idle tray program spends most of a wake-up in its event loop, not in its work. So while the user-interface
// thread has said it is settled (nothing shown changes and nothing is due), a reading that differs from the one
// before only in the counters of adapters nobody counts is only counted itself, and that thread sleeps on. Such a
// reading would have been a tick without traffic; the ones skipped are told with the next reading handed on
// (takeSkipped()), to be replayed as such ticks first. Any other reading, or the end of the settled time, is
// handed on and ends the settled state.
//
// The sampler reads the handed-on table through this class's GetIfTable. When readings were skipped, the last of
// them comes first (hasBase()), so that the sampler can take up the uncounted adapters' counters where they stood
// a tick ago. Asked with no reading waiting (the first sample, the sample at exit), it reads the source itself, in
// turn with the thread.
class SampleTimer : public QObject, public IfTableSource
{
    Q_OBJECT

public:
    explicit SampleTimer(IfTableSource& source, QObject* parent = nullptr);
    ~SampleTimer() override;
    SampleTimer(const SampleTimer&) = delete;
    SampleTimer& operator=(const SampleTimer&) = delete;

    void setInterval(int ms);
    int interval() const;
    bool isActive() const;
    // The first reading comes one interval after start(). stop() drops a reading not yet handed on.
    void start();
    void stop();

    // From the handler of timeout(): readings that differ from the one just handed on only in the counters of rows
    // not counted (counted[k] false or beyond its end) may be skipped for ms from now. The end is held in
    // wall-clock time, so that a clock set forward or back still ends it at the moment meant (a midnight, say).
    // Ignored when a newer reading is already on its way.
    void settle(qint64 ms, const std::vector<bool>& counted);
    // Ends the settled state at once (the readouts are to be seen); returns the readings skipped so far, which
    // the caller replays.
    quint64 unsettle();
    // The readings skipped before the one timeout() announced, for its handler, once.
    quint64 takeSkipped() { return std::exchange(m_currentSkipped, 0); }
    // The next table GetIfTable serves is the last skipped reading rather than the one timeout() announced.
    bool hasBase() const { return m_hasBase; }

    // The reading timeout() announced, once; otherwise a reading taken now.
    std::uint32_t GetIfTable(std::uint8_t* table, std::uint32_t* size, bool sort) override;

Q_SIGNALS:
    void timeout();

private:
    struct Reading
    {
        std::vector<std::uint8_t> bytes;
        bool ok = false;
    };
    void run();
    void read(Reading& into);
    bool sameCounted(const Reading& a, const Reading& b) const;
    void deliver();
    // Tells the thread that m_quit, m_active or m_next changed.
    void changed();

    IfTableSource& m_source;
    std::chrono::milliseconds m_interval {500};

    // Everything below m_mutex is shared with the thread. The thread sleeps on m_changes, not holding the mutex.
    mutable std::mutex m_mutex;
    std::atomic<std::uint32_t> m_changes {0};
    std::thread m_thread;
    bool m_quit = false;
    bool m_active = false;
    std::chrono::steady_clock::time_point m_next;
    Reading m_last; // the thread's latest reading
    Reading m_pending; // handed on, not yet taken by the user-interface thread
    bool m_hasPending = false;
    Reading m_pendingBase; // the reading before m_pending, when that one was skipped
    bool m_pendingHasBase = false;
    bool m_posted = false;
    quint64 m_pendingSkipped = 0;
    bool m_settled = false;
    std::vector<bool> m_counted;
    std::chrono::system_clock::time_point m_settledUntil;
    quint64 m_skipped = 0;

    // The user-interface thread's side.
    Reading m_current;
    bool m_hasCurrent = false;
    Reading m_base;
    bool m_hasBase = false;
    quint64 m_currentSkipped = 0;
};
