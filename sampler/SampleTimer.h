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
// reading to the thread that made the timer, with reading() (the first reading comes at once), in the order taken.
//
// A tray program spends most of a wake-up in its event loop, not in its work. So while the receiver has said it is
// settled (nothing anyone sees changes and nothing is due), a reading that differs from the one before only in the
// counters of adapters nobody counts is not handed on, and the receiving thread sleeps on. Such a reading would have
// been a tick without traffic: the next reading handed on says how many there were and carries the last of them.
// While the receiver holds its readings (nobody looks at them one by one), they are kept and handed on together when
// the hold ends, so that under traffic its thread wakes once for many ticks. Nothing outside this class needs to
// know that the thread sleeps.
class SampleTimer : public QObject
{
    Q_OBJECT

public:
    // The longest a settled stretch lasts, whatever was asked: anything not foreseen is looked at this often.
    static constexpr qint64 SettledAtMostMs = 10 * 60 * 1000;
    // The most readings kept for the receiver; beyond that the newest takes the last one's place, as a busy event
    // loop merges a timer's ticks.
    static constexpr std::size_t KeptAtMost = 32;

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
    // From the receiver of reading(): the readings taken in the next dueMs (by the wall clock, and at most that on
    // the monotonic clock) are kept and handed on together after it. A reading of a table of another shape (an
    // interface came, went or was renamed) or one that failed ends the hold at once.
    void hold(qint64 dueMs);
    // Every reading is handed on again, from the next one on.
    void wake();
    // On the receiver's thread: the readings kept or on their way are handed on now, before this returns.
    void handOnNow();

Q_SIGNALS:
    // The reading lives until the next one; the receiver may swap its vectors out.
    void reading(Reading& reading);

private:
    void run();
    // The reading just taken, into the queue for the receiver; true when the receiver is to be woken for it.
    bool queue(std::vector<IfEntry>& fresh, bool ok);
    bool sameCounted(const std::vector<IfEntry>& a, const std::vector<IfEntry>& b) const;
    void deliver();
    // The end of a settled stretch or hold dueMs from now; under the lock.
    void restFor(qint64 dueMs);
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
    // Readings handed on, not yet taken by the receiver: the first m_queued; the rest keep their buffers for reuse.
    std::vector<Reading> m_queue;
    std::size_t m_queued = 0;
    bool m_posted = false;
    bool m_settled = false;
    bool m_held = false;
    std::vector<std::uint32_t> m_counted;
    // The end of a settled stretch or of a hold.
    std::chrono::system_clock::time_point m_settledUntil;
    std::chrono::steady_clock::time_point m_settledAtMost;
    quint64 m_skipped = 0;

    // The thread's own.
    std::vector<IfEntry> m_last; // its latest reading
    bool m_lastOk = false;
    bool m_skippedLast = false;

    // The receiver's: the readings it was handed, the first m_taken of them.
    std::vector<Reading> m_current;
    std::size_t m_taken = 0;
    bool m_delivering = false;
    bool m_deliverAgain = false;
};
