#pragma once

#include <QColor>
#include <QDateTime>
#include <QString>
#include <QVariant>
#include <optional>

class Clock;
class DbConnection;
struct TrafficState;

enum class AllowanceInterval { Days, Weeks, Months };

// PeriodType "0" days, "1" weeks, "2" months, anything else days.
AllowanceInterval allowanceInterval(const QString& PeriodType);

// The first day of a tracking window of `count` intervals that holds `today`. Days and weeks reach back `count`
// days or weeks. Months start on the billing day (a day past a month's end stands for that month's last day): the
// latest one on or before today, moved back count - 1 months, so 0 and 1 both mean the current billing month.
QDate allowanceWindowStart(const QDate& today, AllowanceInterval interval, qint32 count, int billingDay);

// How much of the allowance is left, in the order the bands are reached as traffic grows.
enum class AllowanceBand {
    None, // no allowance set
    Unknown, // the log cannot be read
    Green, // 30 % or more left
    Orange, // 15 % to below 30 % left
    Red, // below 15 % left
    UsedUp, // nothing left
};

// The colour the volume-left line takes in a band; invalid for None.
QColor allowanceColour(AllowanceBand band);

// The volume allowance: how much of MaxMB is left after the traffic logged in the tracking window and the
// traffic counted since the last row.
class VolumeLeft
{
public:
    VolumeLeft(DbConnection& db, const TrafficState& state, const Clock& clock);

    struct Remainder
    {
        QString text; // for example "750 MB (75.0 %) Left."; empty when no allowance is set
        AllowanceBand band = AllowanceBand::None;
        QDate start; // the first day of the tracking window
    };

    // A negative PeriodCount is rejected with an empty text. BillingDay (1 to 31) only moves month windows.
    Remainder remainder(double MaxMB, qint32 PeriodCount, const QString& PeriodType, int BillingDay);

    // The remainder as text. When colour is given it receives the colour lblwhatsLeft takes, or becomes invalid
    // when the colour must not change. When StartDate is given it receives the start of the tracking window.
    QString VolumeLeftText(double MaxMB, qint32 PeriodCount, const QString& PeriodType, int BillingDay,
                           QColor* colour = nullptr, QDateTime* StartDate = nullptr);

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
