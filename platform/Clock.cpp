#include "Clock.h"

#include <ctime>

namespace {

// The system time in milliseconds since the epoch, read straight from the C library: Qt's and the C++ library's
// readers would each be one more code page for a tick to touch.
qint64 epochMs()
{
    timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

qint64 floorDiv(qint64 a, qint64 b)
{
    return a >= 0 ? a / b : (a - b + 1) / b;
}

} // namespace

[[gnu::hot]] int LocalTimeCache::offsetSeconds(qint64 ms)
{
    const qint64 minute = floorDiv(ms, 60000);
    if (minute != m_minute) {
        m_offsetSeconds = QDateTime::fromMSecsSinceEpoch(ms).offsetFromUtc();
        m_minute = minute;
    }
    return m_offsetSeconds;
}

QDateTime LocalTimeCache::at(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::OffsetFromUTC, offsetSeconds(ms));
}

[[gnu::hot]] int LocalTimeCache::minuteOfDay(qint64 ms)
{
    const qint64 local = ms + qint64(offsetSeconds(ms)) * 1000;
    return int((local - floorDiv(local, 86400000) * 86400000) / 60000);
}

QDateTime SystemClock::now() const
{
    return m_local.at(epochMs());
}

[[gnu::hot]] int SystemClock::minuteOfDay() const
{
    return m_local.minuteOfDay(epochMs());
}
