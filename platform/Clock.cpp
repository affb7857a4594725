#include "Clock.h"

namespace {

qint64 floorDiv(qint64 a, qint64 b)
{
    return a >= 0 ? a / b : (a - b + 1) / b;
}

} // namespace

int LocalTimeCache::offsetSeconds(qint64 ms)
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

int LocalTimeCache::minuteOfDay(qint64 ms)
{
    const qint64 local = ms + qint64(offsetSeconds(ms)) * 1000;
    return int((local - floorDiv(local, 86400000) * 86400000) / 60000);
}

QDateTime SystemClock::now() const
{
    return m_local.at(QDateTime::currentMSecsSinceEpoch());
}

int SystemClock::minuteOfDay() const
{
    return m_local.minuteOfDay(QDateTime::currentMSecsSinceEpoch());
}
