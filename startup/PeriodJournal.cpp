#include "PeriodJournal.h"

#include "Clock.h"
#include "DatabaseFile.h"
#include "Db.h"
#include "TrafficState.h"

#include "RegularFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <limits>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

PeriodJournal::PeriodJournal(DbConnection& db)
    : m_db(db)
{
}

QString PeriodJournal::clearSql()
{
    return QStringLiteral("DELETE FROM open_period");
}

[[gnu::hot]] void PeriodJournal::tick(const TrafficState& state, const Clock& clock)
{
    if (!state.PeriodStart.isValid() || (!m_recovered && !recover()))
        return;
    if (!unsaved(state))
        return;
    const QDateTime now = clock.now();
    if (msUntilSave(state, now) == 0)
        save(state, now);
}

[[gnu::hot]] bool PeriodJournal::unsaved(const TrafficState& state) const
{
    const quint64 rcvd = state.TotalBytesRcvd - state.LoggedBytesRcvd;
    const quint64 sent = state.TotalBytesSent - state.LoggedBytesSent;
    // A period without traffic has nothing to lose, and one that never received an octet reopens at every tick.
    // An idle period is not written again: nothing would change but the time of the save.
    return (rcvd != 0 || sent != 0)
        && (state.PeriodStart != m_savedStart || rcvd != m_savedRcvd || sent != m_savedSent);
}

qint64 PeriodJournal::msUntilSave(const TrafficState& state, const QDateTime& now) const
{
    if (!m_recovered)
        return 0;
    if (!state.PeriodStart.isValid() || !unsaved(state))
        return std::numeric_limits<qint64>::max();
    if (state.PeriodStart != m_savedStart || !m_lastSave.isValid())
        return 0;
    // A clock set back makes the interval negative; that counts as due, so saves never stop.
    const qint64 sinceSave = m_lastSave.msecsTo(now);
    return sinceSave < 0 ? 0 : std::max<qint64>(SaveIntervalMs - sinceSave, 0);
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

QString PeriodJournal::asidePath(const QString& databasePath)
{
    return databasePath + QLatin1String("-pending");
}

bool PeriodJournal::keepAside(const TrafficState& state, const QDateTime& now, QString* error)
{
    // A clock set back would end the period before it starts; it then starts where it ends.
    const QDateTime start = state.PeriodStart.isValid() ? std::min(state.PeriodStart, now) : now;
    const QByteArray line = (QStringList {dbDateTime(start), dbDateTime(now),
                                          QString::number(state.TotalBytesSent - state.LoggedBytesSent),
                                          QString::number(state.TotalBytesRcvd - state.LoggedBytesRcvd),
                                          QString::number(state.PeriodAvgDownSpeed.toDouble(), 'f', 4)}
                                 .join(QLatin1Char('\t'))
                             + QLatin1Char('\n'))
                                .toUtf8();
    const int fd = openRegularFile(asidePath(m_db.path()), O_WRONLY | O_CREAT | O_APPEND, error);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, line.constData(), size_t(line.size())) == line.size() && ::fsync(fd) == 0;
    if (!ok && error)
        *error = QString::fromLocal8Bit(std::strerror(errno));
    ::close(fd);
    return ok;
}

bool PeriodJournal::recover(QString* error)
{
    // Each kept line is a whole period, newer than any save of it; its row replaces that save. A line whose row
    // is already there (the file outlived its logging by a crash) is not logged twice.
    QList<QByteArray> aside;
    const QString asideFile = asidePath(m_db.path());
    if (QFileInfo::exists(asideFile)) {
        QString reason;
        const int fd = openRegularFile(asideFile, O_RDONLY, &reason);
        QFile file;
        if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
            m_db.setLastError(asideFile + QLatin1String(": ") + reason);
            if (error)
                *error = m_db.lastError();
            return false;
        }
        aside = file.readAll().split('\n');
    }
    const bool ok = m_db.transaction([&] {
        QSqlQuery q(m_db.database());
        const auto run = [&q](const QString& sql, const QVariantList& binds) {
            if (!q.prepare(sql))
                return false;
            for (const QVariant& v : binds)
                q.addBindValue(v);
            return q.exec();
        };
        bool done = true;
        for (const QByteArray& line : aside) {
            const QList<QByteArray> f = line.split('\t');
            if (f.size() != 5)
                continue;
            const QVariantList row = {QString::fromUtf8(f[0]), QString::fromUtf8(f[1]), f[2].toLongLong(),
                                      f[3].toLongLong(), f[4].toDouble()};
            done = done
                && run(QStringLiteral(
                           "INSERT INTO log (DateAndTimeStart, DateAndTimeEnd, BytesSent, bytesrcvd, AvgDownloadSpeed)"
                           " SELECT ?, ?, ?, ?, ? WHERE NOT EXISTS (SELECT 1 FROM log WHERE DateAndTimeStart = ?"
                           " AND DateAndTimeEnd = ? AND BytesSent = ? AND bytesrcvd = ?)"),
                       row + row.mid(0, 4))
                // The kept start is the saved one, or the kept end when the clock had gone back past it.
                && run(QStringLiteral("DELETE FROM open_period WHERE min(DateAndTimeStart, ?) = ?"), {row[1], row[0]});
        }
        done = done
            && run(QStringLiteral(
                       "INSERT INTO log (DateAndTimeStart, DateAndTimeEnd, BytesSent, bytesrcvd, AvgDownloadSpeed)"
                       " SELECT min(DateAndTimeStart, LastSave), LastSave, BytesSent, bytesrcvd, AvgDownloadSpeed"
                       " FROM open_period"),
                   {})
            && run(clearSql(), {});
        if (!done)
            m_db.setLastError(q.lastError().text());
        return done;
    });
    if (!ok && error)
        *error = m_db.lastError();
    // Logged now; the file was this program's, made by the run that could not write the rows.
    if (ok && !aside.isEmpty())
        QFile::remove(asideFile);
    m_recovered = m_recovered || ok;
    return ok;
}
