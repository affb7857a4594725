#include "PeriodJournal.h"

#include "DatabaseFile.h"
#include "Db.h"
#include "TrafficState.h"

#include <QSqlError>
#include <QSqlQuery>

PeriodJournal::PeriodJournal(DbConnection& db)
    : m_db(db)
{
}

QString PeriodJournal::clearSql()
{
    return QStringLiteral("DELETE FROM open_period");
}

void PeriodJournal::tick(const TrafficState& state, const QDateTime& now)
{
    if (!state.PeriodStart.isValid() || (!m_recovered && !recover()))
        return;
    const quint64 rcvd = state.TotalBytesRcvd - state.LoggedBytesRcvd;
    const quint64 sent = state.TotalBytesSent - state.LoggedBytesSent;
    // A period without traffic has nothing to lose, and one that never received an octet reopens at every tick.
    if (rcvd == 0 && sent == 0)
        return;
    const bool newPeriod = state.PeriodStart != m_savedStart;
    // An idle period is not written again: nothing would change but the time of the save.
    const bool changed = rcvd != m_savedRcvd || sent != m_savedSent;
    // A clock set back makes the interval negative; that counts as due, so saves never stop.
    const qint64 sinceSave = m_lastSave.isValid() ? m_lastSave.msecsTo(now) : SaveIntervalMs;
    if (newPeriod || (changed && (sinceSave >= SaveIntervalMs || sinceSave < 0)))
        save(state, now);
}

bool PeriodJournal::save(const TrafficState& state, const QDateTime& now)
{
    DbCommand cmd;
    cmd.bind(m_db);
    const bool ok = DatabaseFile::reopenIfMoved(m_db, nullptr)
        && cmd.execute(
            QStringLiteral("INSERT OR REPLACE INTO open_period (id, DateAndTimeStart, LastSave, BytesSent, bytesrcvd,"
                           " AvgDownloadSpeed, SampleCount) VALUES (1, ?, ?, ?, ?, ?, ?)"),
            {dbDateTime(state.PeriodStart), dbDateTime(now), qint64(state.TotalBytesSent - state.LoggedBytesSent),
             qint64(state.TotalBytesRcvd - state.LoggedBytesRcvd), state.PeriodAvgDownSpeed.toDouble(),
             state.PeriodSampleCount});
    // A failed save is retried at the next tick; the log writer reports database trouble to the user.
    if (ok) {
        m_lastSave = now;
        m_savedStart = state.PeriodStart;
        m_savedRcvd = state.TotalBytesRcvd - state.LoggedBytesRcvd;
        m_savedSent = state.TotalBytesSent - state.LoggedBytesSent;
    }
    return ok;
}

bool PeriodJournal::recover(QString* error)
{
    const bool ok = m_db.transaction([&] {
        QSqlQuery q(m_db.database());
        if (!q.exec(QStringLiteral(
                "INSERT INTO log (DateAndTimeStart, DateAndTimeEnd, BytesSent, bytesrcvd, AvgDownloadSpeed)"
                " SELECT min(DateAndTimeStart, LastSave), LastSave, BytesSent, bytesrcvd, AvgDownloadSpeed"
                " FROM open_period"))
            || !q.exec(clearSql())) {
            m_db.setLastError(q.lastError().text());
            return false;
        }
        return true;
    });
    if (!ok && error)
        *error = m_db.lastError();
    m_recovered = m_recovered || ok;
    return ok;
}
