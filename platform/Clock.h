#pragma once

#include <QDateTime>

#include <limits>

// The one source of "now" in the program, so that midnight and month rules can be tested at any time.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
    // Minutes since local midnight, now. The sampler asks at every tick whether a day has ended.
    virtual int minuteOfDay() const
    {
        const QTime t = now().time();
        return t.hour() * 60 + t.minute();
    }
};

// Local time as UTC plus the zone's offset. Asking the zone for its offset reads the zone file's status every time,
// which a 500 ms tick should not pay, so the offset is taken again only when the minute changes: daylight-saving
// switches fall on whole minutes, and a zone the user changes is followed within a minute.
class LocalTimeCache
{
public:
    // The local time at ms after the epoch, carrying the zone's offset at that moment.
    QDateTime at(qint64 ms);
    // The same moment's minutes since local midnight, without building a date and time.
    int minuteOfDay(qint64 ms);

private:
    int offsetSeconds(qint64 ms);

    qint64 m_minute = std::numeric_limits<qint64>::min();
    int m_offsetSeconds = 0;
};

class SystemClock : public Clock
{
public:
    QDateTime now() const override;
    int minuteOfDay() const override;

private:
    mutable LocalTimeCache m_local;
};

// Test double: time stands still until the test moves it.
class FakeClock : public Clock
{
public:
    explicit FakeClock(QDateTime start = QDateTime(QDate(2002, 11, 27), QTime(12, 0)))
        : m_now(std::move(start))
    {
    }
    QDateTime now() const override { return m_now; }
    void set(const QDateTime& t) { m_now = t; }
    void advanceMs(qint64 ms) { m_now = m_now.addMSecs(ms); }

private:
    QDateTime m_now;
};
