#include "LogWriter.h"

#include "Clock.h"
#include "DatabaseFile.h"
#include "Db.h"
#include "PeriodJournal.h"
#include "TrafficState.h"

#include <QCoreApplication>
#include <QTimeZone>

#include <algorithm>

namespace {

// The moment the local offset from UTC last changed, if that was after start: as now's offset shows it.
QDateTime offsetChange(const QDateTime& start, const QDateTime& now)
{
    if (start.offsetFromUtc() == now.offsetFromUtc())
        return {};
    const QTimeZone::OffsetData change = QTimeZone::systemTimeZone().previousTransition(now.addMSecs(1));
    if (!change.atUtc.isValid() || change.atUtc <= start || change.atUtc > now)
        return {};
    return change.atUtc.toOffsetFromUtc(now.offsetFromUtc());
}

} // namespace

bool writeShares(DbCommand& cmd, const AdapterShares& shares, const QString& rowStart)
{
    // last_insert_rowid() is the row's: records and per-day sums live in tables without rowids, which leave it.
    QString sql = QStringLiteral("INSERT INTO log_adapter VALUES ");
    QVariantList binds;
    for (const AdapterShare& s : shares) {
        if (s.rcvd == 0 && s.sent == 0)
            continue;
        sql += binds.isEmpty() ? QStringLiteral("(last_insert_rowid(), ?, ?, ?, ?)")
                               : QStringLiteral(", (last_insert_rowid(), ?, ?, ?, ?)");
        binds += {rowStart, QString::fromStdString(s.name), qint64(s.rcvd), qint64(s.sent)};
    }
    return binds.isEmpty() || cmd.execute(sql, binds);
}

bool LogWriter::WriteLogRow(Failure failure)
{
    const QDateTime now = m_clock.now();
    // Before the first tick there is no period start yet; such a row starts and ends now.
    const QDateTime start = m_state.PeriodStart.isValid() ? m_state.PeriodStart : now;

    // A period that began on an earlier day and is written in the first minute of a day belongs wholly to the
    // day before: it ends at 23:59:59 and the next one starts at 00:00:00.
    QDateTime nextStart;
    QDateTime end;
    if (start.date().daysTo(now.date()) > 0 && now.time().minute() == 0 && now.time().hour() == 0) {
        nextStart = QDateTime(now.date(), QTime(0, 0));
        end = nextStart.addSecs(-1);
    } else if (const QDateTime change = offsetChange(start, now); change.isValid()) {
        // The clocks changed between summer and winter time since the period began. Local time text cannot say
        // which 02:30 is meant, so the row ends the second before the change, in its own offset, and the next
        // one starts at the change: every row reads right in local time and keeps its true length.
        nextStart = change;
        end = change.addSecs(-1).toOffsetFromUtc(start.offsetFromUtc());
    } else {
        nextStart = now;
        end = now;
    }
    // A clock set back would end the row before it starts; the row then starts where it ends.
    const QDateTime rowStart = std::min(start, end);

    // The row and the removal of the saved open period commit together, so a crash can neither lose the
    // period nor count it twice.
    DbCommand cmd;
    cmd.bind(m_db);
    // A file moved under us is followed first, and one deleted is replaced, so the row lands where the user will
    // find it.
    const QString rowStartText = dbDateTime(rowStart);
    const bool ok = DatabaseFile::reopenIfMoved(m_db, nullptr) && m_db.transaction([&] {
        return cmd.execute(QStringLiteral("INSERT INTO log (DateAndTimeStart, DateAndTimeEnd, BytesSent, bytesrcvd,"
                                          " AvgDownloadSpeed) VALUES (?, ?, ?, ?, ?)"),
                           {rowStartText, dbDateTime(end), qint64(m_state.TotalBytesSent - m_state.LoggedBytesSent),
                            qint64(m_state.TotalBytesRcvd - m_state.LoggedBytesRcvd),
                            m_state.PeriodAvgDownSpeed.toDouble()})
            && writeShares(cmd, m_state.PeriodShares, rowStartText) && cmd.execute(PeriodJournal::clearSql());
    });
    if (!ok) {
        if (failure == Failure::Notify && !m_failureReported && m_report) {
            m_failureReported = true;
            m_report(QCoreApplication::translate("LogWriter",
                                                 "The traffic log could not be written:\n%1\n\n"
                                                 "The traffic is kept and will be written with the next row.")
                         .arg(m_db.lastError()));
        }
        return false;
    }
    m_failureReported = false;
    m_db.checkpoint();

    m_state.PeriodStart = nextStart;
    m_state.LoggedBytesSent = m_state.TotalBytesSent;
    m_state.LoggedBytesRcvd = m_state.TotalBytesRcvd;
    m_state.PeriodShares.clear();
    m_state.PeriodAvgDownSpeed = 0.0;
    m_state.PeriodSampleCount = 0;
    return true;
}

QString LogWriter::WriteLastRow(PeriodJournal& journal, int busyWaitMs)
{
    m_db.setBusyTimeout(busyWaitMs);
    if (WriteLogRow(Failure::Quiet))
        return {};
    const QString why = m_db.lastError();
    const QString mb = QString::number(
        double(m_state.TotalBytesRcvd + m_state.TotalBytesSent - m_state.LoggedBytesRcvd - m_state.LoggedBytesSent)
            / (1024.0 * 1024.0),
        'f', 1);
    // The database file has no name left and nothing of this run's could take its place: a file kept beside that
    // path would be logged into whatever database is there next, perhaps by another copy that counted the same traffic.
    if (!m_db.isOpen()) {
        return QCoreApplication::translate("LogWriter",
                                           "The last traffic log row could not be written:\n%1\n\n"
                                           "Its %2 MB are not logged.")
            .arg(why, mb);
    }
    QString asideError;
    if (journal.keepAside(m_state, m_clock.now(), &asideError)) {
        return QCoreApplication::translate("LogWriter",
                                           "The last traffic log row could not be written:\n%1\n\n"
                                           "Its %2 MB are kept in %3 and will be logged at the next start.")
            .arg(why, mb, PeriodJournal::asidePath(m_db.path()));
    }
    return QCoreApplication::translate("LogWriter",
                                       "The last traffic log row could not be written:\n%1\n\n"
                                       "Its %2 MB could not be kept either (%3); the next start logs the traffic up "
                                       "to the last save of the period.")
        .arg(why, mb, asideError);
}

LogWriter::LogWriter(DbConnection& db, TrafficState& state, const Clock& clock, Report report)
    : m_db(db)
    , m_state(state)
    , m_clock(clock)
    , m_report(std::move(report))
{
    m_db.setNotice(m_report);
}
