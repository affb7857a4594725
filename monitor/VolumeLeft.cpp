#include "VolumeLeft.h"

#include "Clock.h"
#include "Db.h"
#include "MonitorLog.h"
#include "TrafficState.h"

#include <QCoreApplication>
#include <QLocale>
#include <QSqlDriver>
#include <QSqlQuery>

#include <algorithm>
#include <cmath>
#include <sqlite3.h>

namespace {

constexpr double BytesPerMB = 1024.0 * 1024.0;

sqlite3* sqliteHandle(const QSqlDatabase& database)
{
    const QVariant handle = database.driver() ? database.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

// The billing day of a month; a day past the month's end stands for its last day.
QDate billingDate(int year, int month, int billingDay)
{
    return QDate(year, month, std::min(billingDay, QDate(year, month, 1).daysInMonth()));
}

} // namespace

AllowanceInterval allowanceInterval(const QString& PeriodType)
{
    if (PeriodType == QLatin1String("1"))
        return AllowanceInterval::Weeks;
    if (PeriodType == QLatin1String("2"))
        return AllowanceInterval::Months;
    return AllowanceInterval::Days;
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

QColor allowanceColour(AllowanceBand band)
{
    switch (band) {
    case AllowanceBand::None:
        break;
    case AllowanceBand::Unknown:
        return QColor(128, 128, 128);
    case AllowanceBand::Green:
        return QColor(0, 128, 0);
    case AllowanceBand::Orange:
        return QColor(255, 128, 0);
    case AllowanceBand::Red:
    case AllowanceBand::UsedUp:
        return QColor(255, 0, 0);
    }
    return {};
}

VolumeLeft::VolumeLeft(DbConnection& db, const TrafficState& state, const Clock& clock)
    : m_db(db)
    , m_state(state)
    , m_clock(clock)
{
}

std::optional<QVariant> VolumeLeft::loggedVolume(const QDate& windowStart)
{
    const QSqlDatabase database = m_db.database();
    // Writes through this connection show in its change counters (the layer's count also covers schema work,
    // which SQLite does not count), writes of other connections and processes in data_version.
    qint64 dataVersion = -1;
    {
        QSqlQuery q(database);
        if (q.exec(QStringLiteral("PRAGMA data_version")) && q.next())
            dataVersion = q.value(0).toLongLong();
    }
    sqlite3* handle = sqliteHandle(database);
    const qint64 totalChanges = handle ? sqlite3_total_changes64(handle) : -1;

    if (m_cache.valid && dataVersion >= 0 && totalChanges >= 0 && m_cache.path == m_db.path()
        && m_cache.windowStart == windowStart && m_cache.writeCount == m_db.writeCount()
        && m_cache.totalChanges == totalChanges && m_cache.dataVersion == dataVersion)
        return m_cache.volume;

    // Only rows that start strictly after midnight at the start of the window count. The covering index on
    // (DateAndTimeStart, BytesSent, bytesrcvd) answers this without reading the table.
    DbRecordset rs;
    if (!rs.open(m_db,
                 QStringLiteral("select sum(BytesSent+bytesrcvd)/(1024*1024.0) as loggedVolume from log"
                                " where DateAndTimeStart>?"),
                 {windowStart.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 00:00:00")})) {
        qCWarning(lcMonitor) << "volume left: the log could not be summed:" << rs.lastError();
        m_cache.valid = false;
        return std::nullopt;
    }
    const QVariant volume = rs.field(QStringLiteral("LoggedVolume"));
    rs.close();

    m_cache = {true, m_db.path(), windowStart, m_db.writeCount(), totalChanges, dataVersion, volume};
    return volume;
}

VolumeLeft::Remainder VolumeLeft::remainder(double MaxMB, qint32 PeriodCount, const QString& PeriodType, int BillingDay)
{
    Remainder r;
    if (PeriodCount < 0)
        return r;

    r.start = allowanceWindowStart(m_clock.now().date(), allowanceInterval(PeriodType), PeriodCount, BillingDay);

    // Without an allowance there is nothing to show, and the log need not be read.
    if (!(MaxMB > 0))
        return r;
    const std::optional<QVariant> logged = loggedVolume(r.start);
    if (!logged) {
        // Without the logged sum any figure would claim more left than there is.
        r.text = QCoreApplication::translate("VolumeLeft", "MB left unknown (log unreadable).");
        r.band = AllowanceBand::Unknown;
        return r;
    }
    double used = (m_state.TotalBytesSent + m_state.TotalBytesRcvd - m_state.LoggedBytesSent - m_state.LoggedBytesRcvd)
        / BytesPerMB;
    if (!logged->isNull())
        used += logged->toDouble();

    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    // Rounded first: an overrun of less than half a megabyte reads 0, where formatting -0.3 would give -0.
    const double left = std::round(MaxMB - used);
    r.text = locale.toString(left, 'f', 0) + QStringLiteral(" MB");
    const double percentUsed = used * 100 / MaxMB;
    r.band = AllowanceBand::UsedUp;
    if (percentUsed < 100) {
        const double percentLeft = 100 - percentUsed;
        r.text += QStringLiteral(" (") + locale.toString(percentLeft, 'f', 1) + QStringLiteral(" %)");
        r.band = percentLeft >= 30 ? AllowanceBand::Green
            : percentLeft >= 15    ? AllowanceBand::Orange
                                   : AllowanceBand::Red;
    }
    r.text += QStringLiteral(" Left.");
    return r;
}

QString VolumeLeft::VolumeLeftText(double MaxMB, qint32 PeriodCount, const QString& PeriodType, int BillingDay,
                                   QColor* colour, QDateTime* StartDate)
{
    const Remainder r = remainder(MaxMB, PeriodCount, PeriodType, BillingDay);
    if (colour)
        *colour = allowanceColour(r.band);
    // Made into a local time only here: each such conversion costs the C library a look at the time zone file,
    // which the every-second refresh does not need.
    if (StartDate && r.start.isValid())
        *StartDate = QDateTime(r.start, m_clock.now().time());
    return r.text;
}
