#include "LogTotals.h"

#include "AdapterShares.h"
#include "Db.h"

#include <QMap>

#include <algorithm>

namespace {

// Octets times seconds, which a 64-bit integer could not hold for a day of a fast link.
__extension__ typedef __int128 Wide;

qint64 octets(const QVariant& v)
{
    return qint64(v.toDouble());
}

// Shares octets among the hours [from, to) that the period [start, end] overlaps, by time, so that the shares add
// up to the period's octets exactly; a period of no length counts in its hour.
void shareByHour(const QDateTime& start, const QDateTime& end, const Traffic& t, const QDateTime& from,
                 const QDateTime& to, QMap<QDateTime, Traffic>& hours)
{
    const auto hourOf = [](const QDateTime& d) { return QDateTime(d.date(), QTime(d.time().hour(), 0)); };
    const qint64 length = std::max<qint64>(start.secsTo(end), 0);
    if (length == 0) {
        if (start >= from && start < to)
            hours[hourOf(start)] += t;
        return;
    }
    Traffic given;
    for (QDateTime hour = hourOf(start); hour < end; hour = hour.addSecs(3600)) {
        const QDateTime next = hour.addSecs(3600);
        const qint64 upTo = std::min<qint64>(start.secsTo(next), length);
        // The share up to the end of this hour, less what the hours before got.
        const Traffic upToHere {qint64(Wide(t.rx) * upTo / length), qint64(Wide(t.tx) * upTo / length)};
        const Traffic share {upToHere.rx - given.rx, upToHere.tx - given.tx};
        given = upToHere;
        if (hour >= from && hour < to && (share.rx != 0 || share.tx != 0))
            hours[hour] += share;
    }
}

} // namespace

LogTotals::LogTotals(DbConnection& db, QString adapter)
    : m_db(db)
    , m_adapter(std::move(adapter))
{
}

bool LogTotals::read(QString* error)
{
    m_days.clear();
    m_open.reset();
    DbRecordset rs;
    // The per-day sums the program keeps; a file from before they existed is summed from the log itself.
    const bool summed = rs.open(m_db, QStringLiteral("select count(*) as n from sqlite_master where name = ?"),
                                {QStringLiteral("log_day")})
        && rs.field(QStringLiteral("n")).toInt() == 1;
    const QString sql = !m_adapter.isEmpty()
        ? QStringLiteral("select day, bytesrcvd, BytesSent from log_adapter_day where adapter = ? and day <> ''"
                         " order by day")
        : summed
        ? QStringLiteral("select day, bytesrcvd, BytesSent from log_day where day <> '' order by day")
        : QStringLiteral("select date(DateAndTimeStart) as day, total(bytesrcvd) as bytesrcvd,"
                         " total(BytesSent) as BytesSent from log where day is not null group by 1 order by 1");
    if (!rs.open(m_db, sql, m_adapter.isEmpty() ? QVariantList() : QVariantList {m_adapter})) {
        if (error)
            *error = rs.lastError();
        return false;
    }
    for (; !rs.atEnd(); rs.moveNext()) {
        const QDate day = QDate::fromString(rs.field(QStringLiteral("day")).toString(), Qt::ISODate);
        if (day.isValid())
            m_days.append(
                {day, {octets(rs.field(QStringLiteral("bytesrcvd"))), octets(rs.field(QStringLiteral("BytesSent")))}});
    }
    // A file without the table (an older one) simply has no period saved.
    if (rs.open(m_db, QStringLiteral("select * from open_period")) && !rs.atEnd()) {
        Period open {fromDbDateTime(rs.field(QStringLiteral("DateAndTimeStart"))),
                     fromDbDateTime(rs.field(QStringLiteral("LastSave"))),
                     {octets(rs.field(QStringLiteral("bytesrcvd"))), octets(rs.field(QStringLiteral("BytesSent")))}};
        if (!m_adapter.isEmpty()) {
            open.traffic = {};
            const std::string name = m_adapter.toStdString();
            const auto shares = parseShares(rs.field(QStringLiteral("adapters")).toString().toUtf8());
            for (const AdapterShare& a : shares ? *shares : AdapterShares()) {
                if (a.name == name)
                    open.traffic = {qint64(a.rcvd), qint64(a.sent)};
            }
        }
        if (open.start.isValid()) {
            m_open = open;
            const auto at = std::lower_bound(m_days.begin(), m_days.end(), open.start.date(),
                                             [](const Day& d, const QDate& date) { return d.date < date; });
            if (at != m_days.end() && at->date == open.start.date())
                at->traffic += open.traffic;
            else
                m_days.insert(at, {open.start.date(), open.traffic});
        }
    }
    rs.close();
    return true;
}

Traffic LogTotals::sum(const QDate& from, const QDate& to) const
{
    Traffic t;
    for (const Day& d : m_days) {
        if (d.date >= from && d.date <= to)
            t += d.traffic;
    }
    return t;
}

bool LogTotals::hours(const QDateTime& from, const QDateTime& to, QVector<Hour>* into, QString* error) const
{
    // Rows are split at every midnight, so none that reaches into the range starts more than a day before it.
    DbRecordset rs;
    const bool read = m_adapter.isEmpty()
        ? rs.open(m_db,
                  QStringLiteral("select DateAndTimeStart, DateAndTimeEnd, BytesSent, bytesrcvd from log"
                                 " where DateAndTimeStart >= ? and DateAndTimeStart < ?"),
                  {dbDateTime(from.addDays(-2)), dbDateTime(to)})
        : rs.open(m_db,
                  QStringLiteral("select a.DateAndTimeStart, l.DateAndTimeEnd, a.BytesSent, a.bytesrcvd"
                                 " from log_adapter a join log l on l.rowid = a.logrow"
                                 " and l.DateAndTimeStart = a.DateAndTimeStart"
                                 " where a.adapter = ? and a.DateAndTimeStart >= ? and a.DateAndTimeStart < ?"),
                  {m_adapter, dbDateTime(from.addDays(-2)), dbDateTime(to)});
    if (!read) {
        if (error)
            *error = rs.lastError();
        return false;
    }
    QMap<QDateTime, Traffic> hours;
    for (; !rs.atEnd(); rs.moveNext()) {
        const QDateTime start = fromDbDateTime(rs.field(QStringLiteral("DateAndTimeStart")));
        const QDateTime end = fromDbDateTime(rs.field(QStringLiteral("DateAndTimeEnd")));
        if (start.isValid() && end.isValid())
            shareByHour(start, end,
                        {octets(rs.field(QStringLiteral("bytesrcvd"))), octets(rs.field(QStringLiteral("BytesSent")))},
                        from, to, hours);
    }
    rs.close();
    if (m_open && m_open->end.isValid())
        shareByHour(m_open->start, m_open->end, m_open->traffic, from, to, hours);
    into->clear();
    for (auto it = hours.cbegin(); it != hours.cend(); ++it)
        into->append({it.key(), it.value()});
    return true;
}
