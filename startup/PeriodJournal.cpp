#include "PeriodJournal.h"

#include "AdapterShares.h"
#include "Clock.h"
#include "DatabaseFile.h"
#include "Db.h"
#include "TrafficState.h"

#include "RegularFile.h"

#include <QByteArrayView>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The shares add up to the row's octets.
bool sharesMatch(const AdapterShares& shares, quint64 rcvd, quint64 sent)
{
    quint64 r = 0;
    quint64 t = 0;
    for (const AdapterShare& a : shares) {
        r += a.rcvd;
        t += a.sent;
    }
    return r == rcvd && t == sent;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The value of a run of digits, too short to overflow.
qint64 decimal(QByteArrayView digits)
{
    qint64 n = 0;
    for (const char c : digits)
        n = n * 10 + (c - '0');
    return n;
}

// The stored form, yyyy-MM-dd HH:mm:ss, of a day and a time that exist.
bool isStoredDateTime(QByteArrayView field)
{
    constexpr QByteArrayView shape("0000-00-00 00:00:00");
    if (field.size() != shape.size())
        return false;
    for (qsizetype i = 0; i < shape.size(); ++i) {
        if (shape[i] == '0' ? !isDigit(field[i]) : field[i] != shape[i])
            return false;
    }
    const auto number = [field](qsizetype at, qsizetype digits) { return int(decimal(field.sliced(at, digits))); };
    return QDate(number(0, 4), number(5, 2), number(8, 2)).isValid()
        && QTime(number(11, 2), number(14, 2), number(17, 2)).isValid();
}

// A count of octets: a whole number up to 2^53, which the log's double columns hold exactly.
std::optional<qint64> octets(QByteArrayView field)
{
    if (field.isEmpty() || field.size() > 16 || !std::all_of(field.begin(), field.end(), isDigit))
        return std::nullopt;
    const qint64 n = decimal(field);
    return n <= (qint64(1) << 53) ? std::optional(n) : std::nullopt;
}

// The longest line looked into: keepAside() writes some 60 octets and the adapters' shares, which it leaves out when
// they would make the line longer.
constexpr qsizetype MaxLineBytes = 4096;
static_assert(PeriodJournal::MaxAsideLines * (MaxLineBytes + 1) <= PeriodJournal::MaxAsideBytes,
              "a file of well-formed lines reaches the line bound first");

// One period kept aside: the row's start, end, sent, rcvd and avg, and the adapters' shares when the line has them.
struct AsideLine
{
    QVariantList row;
    std::optional<AdapterShares> shares;
};

// Only what keepAside() writes becomes a row: anything else would put in the log traffic that never was, or a date
// that throws the allowance's window. Shares must add up to the row exactly. latestEnd: the stored form of the
// latest end that is accepted.
std::optional<AsideLine> parseAsideLine(QByteArrayView text, QByteArrayView latestEnd)
{
    const qsizetype tabs = std::count(text.begin(), text.end(), '\t');
    if (text.size() > MaxLineBytes || (tabs != 4 && tabs != 5))
        return std::nullopt;
    QByteArrayView f[6];
    for (QByteArrayView& field : f) {
        const qsizetype tab = text.indexOf('\t');
        field = tab < 0 ? text : text.first(tab);
        text = tab < 0 ? QByteArrayView() : text.sliced(tab + 1);
    }
    bool isNumber = false;
    const double avg = f[4].toDouble(&isNumber);
    const std::optional<qint64> sent = octets(f[2]);
    const std::optional<qint64> rcvd = octets(f[3]);
    // The stored form sorts as time.
    if (!isStoredDateTime(f[0]) || !isStoredDateTime(f[1]) || f[0] > f[1] || f[1] > latestEnd || !sent || !rcvd
        || !isNumber || !std::isfinite(avg) || avg < 0)
        return std::nullopt;
    AsideLine line {{QString::fromLatin1(f[0]), QString::fromLatin1(f[1]), *sent, *rcvd, avg}, std::nullopt};
    if (tabs == 5) {
        line.shares = parseShares(f[5]);
        if (!line.shares || !sharesMatch(*line.shares, quint64(*rcvd), quint64(*sent)))
            return std::nullopt;
    }
    return line;
}

} // namespace

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
    if (!state.PeriodStart.isValid() || (!m_recovered && !recover(clock)))
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
                           " AvgDownloadSpeed, SampleCount, adapters) VALUES (1, ?, ?, ?, ?, ?, ?, ?)"),
            {dbDateTime(state.PeriodStart), dbDateTime(now), qint64(state.TotalBytesSent - state.LoggedBytesSent),
             qint64(state.TotalBytesRcvd - state.LoggedBytesRcvd), state.PeriodAvgDownSpeed.toDouble(),
             state.PeriodSampleCount, QString::fromUtf8(sharesText(state.PeriodShares))});
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
    QByteArray line = QStringList {dbDateTime(start), dbDateTime(now),
                                   QString::number(state.TotalBytesSent - state.LoggedBytesSent),
                                   QString::number(state.TotalBytesRcvd - state.LoggedBytesRcvd),
                                   QString::number(state.PeriodAvgDownSpeed.toDouble(), 'f', 4)}
                          .join(QLatin1Char('\t'))
                          .toUtf8();
    // Shares that would make the line too long to be read back are left out: the row is logged without them.
    if (const QByteArray shares = sharesText(state.PeriodShares);
        !shares.isEmpty() && line.size() + 1 + shares.size() <= MaxLineBytes)
        line += '\t' + shares;
    line += '\n';
    const int fd = openRegularFile(asidePath(m_db.path()), O_WRONLY | O_CREAT | O_APPEND, error);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, line.constData(), size_t(line.size())) == line.size() && ::fsync(fd) == 0;
    if (!ok && error)
        *error = QString::fromLocal8Bit(std::strerror(errno));
    ::close(fd);
    return ok;
}

bool PeriodJournal::recover(const Clock& clock, QString* error, QStringList* notes)
{
    const QString asideFile = asidePath(m_db.path());
    QByteArray head;
    bool asideRead = false;
    if (QFileInfo::exists(asideFile)) {
        QString reason;
        const int fd = openRegularFile(asideFile, O_RDONLY, &reason);
        QFile file;
        if (fd >= 0 && file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
            // One octet past the bound tells that the file goes on beyond it.
            head = file.read(MaxAsideBytes + 1);
            asideRead = file.error() == QFileDevice::NoError;
            reason = file.errorString();
        }
        // The file may be another user's, or not a file at all. The database's own saved period does not depend
        // on it, so it is left for the user to look at and the saves go on.
        if (!asideRead) {
            head.clear();
            if (notes)
                notes->append(QCoreApplication::translate("PeriodJournal",
                                                          "Traffic kept aside by an earlier run could not be read:\n%1"
                                                          "\nIt is not logged, and %2 is left as it is. This run's "
                                                          "traffic is saved as usual.")
                                  .arg(reason, asideFile));
        }
    }

    QList<AsideLine> lines;
    int linesRead = 0;
    bool beyond = head.size() > MaxAsideBytes;
    head.truncate(MaxAsideBytes);
    const QByteArray latestEnd = dbDateTime(clock.now().addSecs(60)).toLatin1();
    for (qsizetype from = 0; from < head.size(); ++linesRead) {
        const qsizetype newline = head.indexOf('\n', from);
        if ((newline < 0 && beyond) || linesRead == MaxAsideLines) {
            beyond = true;
            break;
        }
        // A last line without its newline was cut short while it was written.
        const qsizetype end = newline < 0 ? head.size() : newline;
        if (std::optional<AsideLine> line
            = newline < 0 ? std::nullopt : parseAsideLine(QByteArrayView(head).sliced(from, end - from), latestEnd))
            lines.append(std::move(*line));
        from = end + 1;
    }
    const int damaged = linesRead - int(lines.size());

    const bool ok = m_db.transaction([&] {
        const QSqlDatabase db = m_db.database();
        QString why;
        const auto prepare = [&why](QSqlQuery& q, const QString& sql) {
            if (!q.prepare(sql))
                why = q.lastError().text();
            return why.isEmpty();
        };
        const auto run = [&why](QSqlQuery& q, const QVariantList& binds) {
            for (int i = 0; i < binds.size(); ++i)
                q.bindValue(i, binds[i]);
            if (!q.exec())
                why = q.lastError().text();
            return why.isEmpty();
        };
        // Each kept line is a whole period, newer than any save of it; its row replaces that save, whether still
        // saved or already logged by a start that could not read the file. A line whose row is already there (the
        // file outlived its logging by a crash) is not logged twice.
        QSqlQuery superseded(db);
        QSqlQuery insert(db);
        QSqlQuery unsave(db);
        bool done = lines.isEmpty()
            || (prepare(
                    superseded,
                    QStringLiteral("DELETE FROM log WHERE DateAndTimeStart = ? AND DateAndTimeEnd > DateAndTimeStart"
                                   " AND DateAndTimeEnd <= ? AND BytesSent <= ? AND bytesrcvd <= ?"))
                && prepare(insert,
                           QStringLiteral("INSERT INTO log (DateAndTimeStart, DateAndTimeEnd, BytesSent, bytesrcvd,"
                                          " AvgDownloadSpeed) SELECT ?, ?, ?, ?, ? WHERE NOT EXISTS (SELECT 1"
                                          " FROM log WHERE DateAndTimeStart = ? AND DateAndTimeEnd = ?"
                                          " AND BytesSent = ? AND bytesrcvd = ?)"))
                // The kept start is the saved one, or the kept end when the clock had gone back past it.
                && prepare(unsave, QStringLiteral("DELETE FROM open_period WHERE min(DateAndTimeStart, ?) = ?")));
        QSqlQuery share(db);
        done = done && prepare(share, QStringLiteral("INSERT INTO log_adapter VALUES (?, ?, ?, ?, ?)"));
        // The records of the row the last insert made, if it made one.
        const auto addShares
            = [&](const QSqlQuery& inserted, const QVariant& start, const std::optional<AdapterShares>& shares) {
                  if (inserted.numRowsAffected() != 1 || !shares)
                      return true;
                  const QVariant row = inserted.lastInsertId();
                  for (const AdapterShare& a : *shares) {
                      if (!run(share, {row, start, QString::fromStdString(a.name), qint64(a.rcvd), qint64(a.sent)}))
                          return false;
                  }
                  return true;
              };
        for (const AsideLine& line : std::as_const(lines)) {
            const QVariantList& row = line.row;
            done = done && run(superseded, row.mid(0, 4)) && run(insert, row + row.mid(0, 4))
                && addShares(insert, row[0], line.shares) && run(unsave, {row[1], row[0]});
        }
        // The saved period's shares are logged when they add up to it; otherwise its row has none.
        QSqlQuery saved(db);
        std::optional<AdapterShares> savedShares;
        QVariant savedStart;
        done = done
            && prepare(saved,
                       QStringLiteral("SELECT min(DateAndTimeStart, LastSave), bytesrcvd, BytesSent, adapters"
                                      " FROM open_period"))
            && run(saved, {});
        if (done && saved.next()) {
            savedStart = saved.value(0);
            savedShares = parseShares(saved.value(3).toString().toUtf8());
            if (savedShares
                && !sharesMatch(*savedShares, quint64(saved.value(1).toLongLong()),
                                quint64(saved.value(2).toLongLong())))
                savedShares.reset();
        }
        saved.finish();
        QSqlQuery q(db);
        done = done
            && prepare(q,
                       QStringLiteral(
                           "INSERT INTO log (DateAndTimeStart, DateAndTimeEnd, BytesSent, bytesrcvd, AvgDownloadSpeed)"
                           " SELECT min(DateAndTimeStart, LastSave), LastSave, BytesSent, bytesrcvd, AvgDownloadSpeed"
                           " FROM open_period"))
            && run(q, {}) && addShares(q, savedStart, savedShares) && prepare(q, clearSql()) && run(q, {});
        if (!done)
            m_db.setLastError(why);
        return done;
    });
    if (!ok) {
        if (error)
            *error = m_db.lastError();
        return false;
    }
    m_recovered = true;
    if (!asideRead)
        return true;
    // Logged now; the file was this program's, made by the run that could not write the rows.
    if (damaged == 0 && !beyond) {
        QFile::remove(asideFile);
        return true;
    }
    // What was not logged is kept, in the whole file: its good lines are not logged twice should it come back.
    QFile file(asideFile);
    const QString rejected = asideFile + QLatin1String(".rejected");
    const bool renamed = file.rename(rejected);
    if (!notes)
        return true;
    QStringList note = {QCoreApplication::translate("PeriodJournal", "Not all of %1 could be logged.").arg(asideFile)};
    if (damaged > 0)
        note.append(QCoreApplication::translate(
            "PeriodJournal", "Lines that are damaged, cut short or dated ahead of the clock: %n.", nullptr, damaged));
    if (beyond)
        note.append(QCoreApplication::translate("PeriodJournal",
                                                "It is longer than any run leaves: what lies past its first %n lines "
                                                "or %1 KiB is not read.",
                                                nullptr, MaxAsideLines)
                        .arg(MaxAsideBytes / 1024));
    note.append(QCoreApplication::translate("PeriodJournal", "Lines logged: %n.", nullptr, int(lines.size())));
    note.append(renamed ? QCoreApplication::translate("PeriodJournal", "The whole file is kept as %1.").arg(rejected)
                        : QCoreApplication::translate("PeriodJournal",
                                                      "The file is left as it is: it could not be renamed to %1 (%2).")
                              .arg(rejected, file.errorString()));
    notes->append(note.join(QLatin1Char('\n')));
    return true;
}
