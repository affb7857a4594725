#pragma once

#include <QColor>
#include <QDateTime>
#include <QString>
#include <QVariant>
#include <optional>

class Clock;
class DbConnection;
struct TrafficState;

// The volume allowance: how much of MaxMB is left after the traffic logged in the tracking window and the
// traffic counted since the last row.
class VolumeLeft
{
public:
    VolumeLeft(DbConnection& db, const TrafficState& state, const Clock& clock);

    // PeriodType "0" days, "1" weeks, "2" months, anything else days. When colour is given it receives the
    // colour lblwhatsLeft takes, or becomes invalid when the colour must not change. When StartDate is given it
    // receives the start of the tracking window. A negative PeriodCount is rejected with an empty text.
    QString VolumeLeftText(double MaxMB, qint32 PeriodCount, const QString& PeriodType, QColor* colour = nullptr,
                           QDateTime* StartDate = nullptr);

private:
    // The MB logged strictly after midnight at windowStart; a null QVariant when no row lies in the window, nothing
    // when the log cannot be read.
    std::optional<QVariant> loggedVolume(const QDate& windowStart);

    DbConnection& m_db;
    const TrafficState& m_state;
    const Clock& m_clock;

    // The sum runs at every tick while the line is shown, but the log changes only when a row is written, so it
    // is kept until the window moves or the database reports a change.
    struct CachedSum
    {
        bool valid = false;
        QString path;
        QDate windowStart;
        quint64 writeCount = 0;
        qint64 totalChanges = 0;
        qint64 dataVersion = 0;
        QVariant volume;
    };
    CachedSum m_cache;
};
