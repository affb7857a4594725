#pragma once

#include "IfTable.h"

#include <QObject>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

// One reading of the interface table as the sampling thread hands it on.
struct Reading
{
    std::vector<IfEntry> entries;
    bool ok = false; // false when the table could not be read
    // Readings taken before this one and not handed on: each a tick without traffic on the adapters counted.
    quint64 quietBefore = 0;
    // The last of those, when there were any: the adapters not counted stood there a tick ago.
    std::vector<IfEntry> base;
    bool hasBase = false;
};

// The sampling timer `TmrCheckit`. A thread of its own reads the interface table every interval and hands each
// reading to the thread that made the timer, with reading() (the first reading comes at once).
//
// An idle tray program spends most of a wake-up in its event loop, not in its work. So while the receiver has said
// it is settled (nothing anyone sees changes and nothing is due), a reading that differs from the one before only
// in the counters of adapters nobody counts is not handed on, and the receiving thread sleeps on. Such a reading
// would have been a tick without traffic: the next reading handed on says how many there were and carries the last
// of them. Nothing outside this class needs to know that the thread sleeps.
class SampleTimer : public QObject
{
    Q_OBJECT

public:
    // The longest a settled stretch lasts, whatever was asked: anything not foreseen is looked at this often.
    static constexpr qint64 SettledAtMostMs = 10 * 60 * 1000;

    explicit SampleTimer(IfTable& source, QObject* parent = nullptr);
    ~SampleTimer() override;
    SampleTimer(const SampleTimer&) = delete;
    SampleTimer& operator=(const SampleTimer&) = delete;

    void setInterval(int ms);
    int interval() const;
    bool isActive() const;
    // The first reading after the first start is taken at once, the next one interval later; a start after a stop
    // waits one interval. stop() drops a reading not yet handed on;
    // the ticks it was to report stay owed to the next one.
    void start();
    void stop();
    // Stops the timer and ends its thread, so that the source is free for readNow(). For good: used at exit.
    void halt();
    // A reading taken on the calling thread; only once the thread is halted, or before the first start().
    bool readNow(std::vector<IfEntry>& into);

    // From the receiver of reading(): readings that differ from the last one only in the counters of adapters whose
    // index is not in counted (ascending) may be kept back for dueMs from now: by the wall clock, so that a clock
    // set forward still ends it at the moment meant (a midnight, say), and at most SettledAtMostMs on the monotonic
    // clock, so that one set back does not stretch it. Ignored when a newer reading is already on its way.
    void settle(qint64 dueMs, const std::vector<std::uint32_t>& counted);
    // Every reading is handed on again, from the next one on.
    void wake();

Q_SIGNALS:
    // The reading lives until the next one; the receiver may swap its vectors out.
    void reading(Reading& reading);

private:
    void run();
    bool sameCounted(const std::vector<IfEntry>& a, const std::vector<IfEntry>& b) const;
    void deliver();
    // Tells the thread that m_quit, m_active or m_next changed.
    void changed();

    IfTable& m_source;

    // Everything below m_mutex is shared with the thread, which never holds it while it reads the kernel. The thread
    // sleeps on m_changes, not holding the mutex either.
    mutable std::mutex m_mutex;
    std::atomic<std::uint32_t> m_changes {0};
    std::thread m_thread;
    std::chrono::milliseconds m_interval {500};
    bool m_quit = false;
    bool m_active = false;
    bool m_started = false;
    std::chrono::steady_clock::time_point m_next;
    Reading m_pending; // handed on, not yet taken by the receiver
    bool m_hasPending = false;
    bool m_posted = false;
    bool m_settled = false;
    std::vector<std::uint32_t> m_counted;
    std::chrono::system_clock::time_point m_settledUntil;
    std::chrono::steady_clock::time_point m_settledAtMost;
    quint64 m_skipped = 0;

    // The thread's own.
    std::vector<IfEntry> m_last; // its latest reading
    bool m_lastOk = false;
    bool m_skippedLast = false;

    // The receiver's.
    Reading m_current;
};
