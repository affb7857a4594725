#pragma once

#include <QDate>
#include <QString>
#include <QtGlobal>

#include <optional>

struct Settings;

enum class AllowanceInterval { Days, Weeks, Months };

// LogPeriodType 0 days, 1 weeks, 2 months; any other value counts as days.
AllowanceInterval allowanceInterval(qint32 periodType);

// The first day of a tracking window of `count` intervals that holds `today`. Days and weeks reach back `count`
// days or weeks. Months start on the billing day (a day past a month's end stands for that month's last day): the
// latest one on or before today, moved back count - 1 months, so 0 and 1 both mean the current billing month.
QDate allowanceWindowStart(const QDate& today, AllowanceInterval interval, qint32 count, int billingDay);

// The last day of that window: the day before the next billing day for months; today for the windows of days and
// weeks, which move on with every day.
QDate allowanceWindowEnd(const QDate& today, AllowanceInterval interval, qint32 count, int billingDay);

// The traffic a window will have seen at its end, at the pace so far: used ÷ the time elapsed since the window's
// start (at least an hour, so its first minutes do not make wild figures) × the window's whole length. A window of
// days or weeks has no end to run to: its estimate is what it holds now.
double estimateAtEnd(double used, const QDate& start, const QDate& end, AllowanceInterval interval,
                     const QDateTime& now);

// How much may be used a day, today included, to stay within what is left up to the window's last day.
double dailyBudget(double left, const QDate& today, const QDate& end);

// How much of the allowance is left, in the order the bands are reached as traffic grows.
enum class AllowanceBand {
    None, // no allowance set
    Unknown, // the log cannot be read
    Green, // 30 % or more left
    Orange, // 15 % to below 30 % left
    Red, // below 15 % left
    UsedUp, // nothing left
};

// What is left of the volume allowance: MaxMbSize megabytes less the traffic logged in the tracking window and the
// traffic counted since the last row.
struct Remainder
{
    AllowanceBand band = AllowanceBand::None;
    double leftMB = 0; // below 0 when the allowance is overrun
    double percentLeft = 0; // meaningful while something is left
    QDate start; // the first day of the tracking window; invalid when its length is negative
    QDate end; // its last day
    double estimateMB = 0; // what the window will hold at its end at the pace so far (estimateAtEnd)
    double dailyMB = 0; // what may be used a day up to its end (dailyBudget)

    friend bool operator==(const Remainder& a, const Remainder& b)
    {
        return a.band == b.band && a.leftMB == b.leftMB && a.percentLeft == b.percentLeft && a.start == b.start
            && a.end == b.end && a.estimateMB == b.estimateMB && a.dailyMB == b.dailyMB;
    }
    friend bool operator!=(const Remainder& a, const Remainder& b) { return !(a == b); }
};

// The remainder under the allowance terms of s at `now`. loggedMB is what the log holds since the window's start,
// none when the log could not be read; unloggedOctets the traffic counted since the last row.
Remainder volumeLeft(const Settings& s, const QDateTime& now, std::optional<double> loggedMB, quint64 unloggedOctets);

// The remainder as the monitor window's bottom line and the options dialog's preview show it, for example
// "750 MB (75.0 %) Left."; empty when no allowance is set.
QString VolumeLeftText(const Remainder& r);

// The estimate and the daily budget in a few words for the monitor window's line below what is left, for example
// "Est. 1234 MB, 310 MB/day"; in a sentence for tooltips and the options preview, for example "At this pace,
// 1234 MB by 16 Jan 2027; about 310 MB a day until then.". Both empty without figures to show.
QString OutlookLine(const Remainder& r);
QString OutlookText(const Remainder& r);
