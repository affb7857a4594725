#include "VolumeLeft.h"

#include "Clock.h"
#include "Db.h"
#include "MonitorLog.h"
#include "TrafficState.h"

#include <QCoreApplication>
#include <QLocale>
#include <QSqlDriver>
#include <QSqlQuery>

#include <cmath>
#include <sqlite3.h>

namespace {

constexpr double BytesPerMB = 1024.0 * 1024.0;

enum class Interval { Days, Weeks, Months };

Interval intervalOf(const QString& periodType)
{
    if (periodType == QLatin1String("1"))
        return Interval::Weeks;
    if (periodType == QLatin1String("2"))
        return Interval::Months;
    return Interval::Days;
}

QDate movedBack(const QDate& date, Interval interval, qint32 count)
{
    switch (interval) {
    case Interval::Weeks:
        return date.addDays(-7 * qint64(count));
    case Interval::Months:
        return date.addMonths(-count);
    case Interval::Days:
        break;
    }
    return date.addDays(-qint64(count));
}

sqlite3* sqliteHandle(const QSqlDatabase& database)
{
    const QVariant handle = database.driver() ? database.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

} // namespace

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

QString VolumeLeft::VolumeLeftText(double MaxMB, qint32 PeriodCount, const QString& PeriodType, QColor* colour,
                                   QDateTime* StartDate)
{
    if (colour)
        *colour = QColor();
    if (PeriodCount < 0)
        return {};

    const Interval interval = intervalOf(PeriodType);
    const QDateTime now = m_clock.now();
    const QDate today = now.date();
    const QDate reference = interval == Interval::Months ? QDate(today.year(), today.month(), 1) : today;

    double used = (m_state.TotalBytesSent + m_state.TotalBytesRcvd - m_state.LoggedBytesSent - m_state.LoggedBytesRcvd)
        / BytesPerMB;
    const std::optional<QVariant> logged = loggedVolume(movedBack(reference, interval, PeriodCount));
    if (logged && !logged->isNull())
        used += logged->toDouble();

    QString text;
    if (MaxMB > 0 && !logged) {
        // Without the logged sum any figure would claim more left than there is.
        text = QCoreApplication::translate("VolumeLeft", "MB left unknown (log unreadable).");
        if (colour)
            *colour = QColor(128, 128, 128);
    } else if (MaxMB > 0) {
        QLocale locale;
        locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
        // Rounded first: an overrun of less than half a megabyte reads 0, where formatting -0.3 would give -0.
        const double left = std::round(MaxMB - used);
        text = locale.toString(left, 'f', 0) + QStringLiteral(" MB");
        const double percentUsed = used * 100 / MaxMB;
        QColor shown(255, 0, 0);
        if (percentUsed < 100) {
            const double percentLeft = 100 - percentUsed;
            text += QStringLiteral(" (") + locale.toString(percentLeft, 'f', 1) + QStringLiteral(" %)");
            if (percentLeft >= 30)
                shown = QColor(0, 128, 0);
            else if (percentLeft >= 15)
                shown = QColor(255, 128, 0);
        }
        text += QStringLiteral(" Left.");
        if (colour)
            *colour = shown;
    }

    if (StartDate) {
        if (interval == Interval::Months)
            *StartDate = QDateTime(reference, now.time()).addMonths(-PeriodCount);
        else
            *StartDate = now.addDays(-(interval == Interval::Weeks ? 7 : 1) * qint64(PeriodCount));
    }
    return text;
}
