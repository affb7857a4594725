#include "Clock.h"

QDateTime LocalTimeCache::at(qint64 ms)
{
    const qint64 minute = ms >= 0 ? ms / 60000 : (ms - 59999) / 60000;
    if (minute != m_minute) {
        m_offsetSeconds = QDateTime::fromMSecsSinceEpoch(ms).offsetFromUtc();
        m_minute = minute;
    }
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::OffsetFromUTC, m_offsetSeconds);
}

QDateTime SystemClock::now() const
{
    return m_local.at(QDateTime::currentMSecsSinceEpoch());
}
