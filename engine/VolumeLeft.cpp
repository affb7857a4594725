#include "VolumeLeft.h"

#include "Settings.h"

#include <QCoreApplication>
#include <QLocale>

#include <algorithm>
#include <cmath>

namespace {

constexpr double BytesPerMB = 1024.0 * 1024.0;

// The billing day of a month; a day past the month's end stands for its last day.
QDate billingDate(int year, int month, int billingDay)
{
    return QDate(year, month, std::min(billingDay, QDate(year, month, 1).daysInMonth()));
}

} // namespace

AllowanceInterval allowanceInterval(qint32 periodType)
{
    switch (periodType) {
    case 1:
        return AllowanceInterval::Weeks;
    case 2:
        return AllowanceInterval::Months;
    default:
        return AllowanceInterval::Days;
    }
}

QDate allowanceWindowStart(const QDate& today, AllowanceInterval interval, qint32 count, int billingDay)
{
    switch (interval) {
    case AllowanceInterval::Days:
        break;
    case AllowanceInterval::Weeks:
        return today.addDays(-7 * qint64(count));
    case AllowanceInterval::Months: {
        QDate month(today.year(), today.month(), 1);
        if (billingDate(month.year(), month.month(), billingDay) > today)
            month = month.addMonths(-1);
        month = month.addMonths(-std::max(count - 1, 0));
        return billingDate(month.year(), month.month(), billingDay);
    }
    }
    return today.addDays(-qint64(count));
}

QDate allowanceWindowEnd(const QDate& today, AllowanceInterval interval, qint32 count, int billingDay)
{
    if (interval != AllowanceInterval::Months)
        return today;
    const QDate start = allowanceWindowStart(today, interval, count, billingDay);
    const QDate next = QDate(start.year(), start.month(), 1).addMonths(std::max(count, 1));
    return billingDate(next.year(), next.month(), billingDay).addDays(-1);
}

double estimateAtEnd(double used, const QDate& start, const QDate& end, AllowanceInterval interval,
                     const QDateTime& now)
{
    if (interval != AllowanceInterval::Months)
        return used;
    const QDateTime from = start.startOfDay();
    const double length = double(from.secsTo(end.addDays(1).startOfDay()));
    const double elapsed = std::max(double(from.secsTo(now)), 3600.0);
    return used * std::max(length / elapsed, 1.0);
}

double dailyBudget(double left, const QDate& today, const QDate& end)
{
    return std::max(left, 0.0) / double(std::max<qint64>(today.daysTo(end) + 1, 1));
}

Remainder volumeLeft(const Settings& s, const QDateTime& now, std::optional<double> loggedMB, quint64 unloggedOctets)
{
    Remainder r;
    // A window of negative length holds nothing to show.
    if (s.LogPeriod < 0)
        return r;
    const QDate today = now.date();
    const AllowanceInterval interval = allowanceInterval(s.LogPeriodType);
    r.start = allowanceWindowStart(today, interval, s.LogPeriod, s.BillingDay);
    r.end = allowanceWindowEnd(today, interval, s.LogPeriod, s.BillingDay);
    if (!(s.MaxMbSize > 0))
        return r;
    // Without the logged sum any figure would claim more left than there is.
    if (!loggedMB) {
        r.band = AllowanceBand::Unknown;
        return r;
    }
    const double used = *loggedMB + double(unloggedOctets) / BytesPerMB;
    r.leftMB = s.MaxMbSize - used;
    r.estimateMB = estimateAtEnd(used, r.start, r.end, interval, now);
    r.dailyMB = dailyBudget(r.leftMB, today, r.end);
    const double percentUsed = used * 100 / s.MaxMbSize;
    r.band = AllowanceBand::UsedUp;
    if (percentUsed < 100) {
        r.percentLeft = 100 - percentUsed;
        r.band = r.percentLeft >= 30 ? AllowanceBand::Green
            : r.percentLeft >= 15    ? AllowanceBand::Orange
                                     : AllowanceBand::Red;
    }
    return r;
}

QString VolumeLeftText(const Remainder& r)
{
    if (r.band == AllowanceBand::None)
        return {};
    if (r.band == AllowanceBand::Unknown)
        return QCoreApplication::translate("VolumeLeft", "MB left unknown (log unreadable).");
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    // Rounded first: an overrun of less than half a megabyte reads 0, where formatting -0.3 would give -0.
    const QString left = locale.toString(std::round(r.leftMB), 'f', 0);
    if (r.band == AllowanceBand::UsedUp)
        return QCoreApplication::translate("VolumeLeft", "%1 MB Left.").arg(left);
    return QCoreApplication::translate("VolumeLeft", "%1 MB (%2 %) Left.")
        .arg(left, locale.toString(r.percentLeft, 'f', 1));
}

namespace {

bool hasOutlook(const Remainder& r)
{
    return r.band >= AllowanceBand::Green;
}

QString wholeMB(double mb)
{
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return locale.toString(std::round(mb), 'f', 0) + QStringLiteral(" MB");
}

} // namespace

QString OutlookLine(const Remainder& r)
{
    if (!hasOutlook(r))
        return {};
    return QCoreApplication::translate("VolumeLeft", "Est. %1, %2/day").arg(wholeMB(r.estimateMB), wholeMB(r.dailyMB));
}

QString OutlookText(const Remainder& r)
{
    if (!hasOutlook(r))
        return {};
    return QCoreApplication::translate("VolumeLeft", "At this pace, %1 by %2; about %3 a day until then.")
        .arg(wholeMB(r.estimateMB), QLocale().toString(r.end, QStringLiteral("d MMM yyyy")), wholeMB(r.dailyMB));
}
