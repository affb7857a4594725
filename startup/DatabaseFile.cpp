#include "DatabaseFile.h"

#include "Db.h"
#include "RegularFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace DatabaseFile {

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("DatabaseFile", text);
}

// The views sum the log per day, week, month and year. Summing a million log rows for every chart is too slow, so
// triggers keep one running sum per day in log_day and the views read that; writers still touch only `log`.
// Sorting ddate as text is sorting by time: every key is zero-padded with the year first. The average is weighted
// by each row's duration, falling back to the plain mean when all rows of a group have zero length.

// A row's day key; rows whose start is not a date share the key '', which the views turn back into NULL.
QString dayKey(const char* row)
{
    return QStringLiteral("coalesce(date(%1.DateAndTimeStart), '')").arg(QLatin1String(row));
}

// A row's length in seconds. Rows written while the clock went back can end before they start; they count as
// rows of no length, so no average comes out negative.
QString seconds(const char* row)
{
    return QStringLiteral("coalesce(max(unixepoch(%1.DateAndTimeEnd) - unixepoch(%1.DateAndTimeStart), 0), 0)")
        .arg(QLatin1String(row));
}

QString speedSeconds(const char* row)
{
    return QStringLiteral("coalesce(%1.AvgDownloadSpeed * %2, 0)").arg(QLatin1String(row), seconds(row));
}

QString addRow(const char* row)
{
    return QStringLiteral("INSERT INTO log_day VALUES (%1, 1, %2.bytesrcvd, %2.BytesSent, %2.AvgDownloadSpeed, %3, %4)"
                          " ON CONFLICT (day) DO UPDATE SET logrows = logrows + 1,"
                          " bytesrcvd = bytesrcvd + excluded.bytesrcvd, BytesSent = BytesSent + excluded.BytesSent,"
                          " speedsum = speedsum + excluded.speedsum,"
                          " speedseconds = speedseconds + excluded.speedseconds, seconds = seconds + excluded.seconds;")
        .arg(dayKey(row), QLatin1String(row), speedSeconds(row), seconds(row));
}

QString removeRow(const char* row)
{
    return QStringLiteral("UPDATE log_day SET logrows = logrows - 1, bytesrcvd = bytesrcvd - %2.bytesrcvd,"
                          " BytesSent = BytesSent - %2.BytesSent, speedsum = speedsum - %2.AvgDownloadSpeed,"
                          " speedseconds = speedseconds - %3, seconds = seconds - %4 WHERE day = %1;"
                          " DELETE FROM log_day WHERE day = %1 AND logrows <= 0;")
        .arg(dayKey(row), QLatin1String(row), speedSeconds(row), seconds(row));
}

// The period being accumulated, saved while it runs so a crash loses no more than the last minute.
QString openPeriodSql()
{
    return QStringLiteral("CREATE TABLE open_period (id INTEGER PRIMARY KEY CHECK (id = 1),"
                          " DateAndTimeStart DATETIME NOT NULL, LastSave DATETIME NOT NULL,"
                          " BytesSent DOUBLE NOT NULL, bytesrcvd DOUBLE NOT NULL, AvgDownloadSpeed CURRENCY NOT NULL,"
                          " SampleCount DOUBLE NOT NULL)");
}

QStringList summarySql()
{
    return {
        QStringLiteral("CREATE TABLE log_day (day TEXT NOT NULL PRIMARY KEY, logrows INTEGER NOT NULL,"
                       " bytesrcvd DOUBLE NOT NULL, BytesSent DOUBLE NOT NULL, speedsum DOUBLE NOT NULL,"
                       " speedseconds DOUBLE NOT NULL, seconds DOUBLE NOT NULL) WITHOUT ROWID"),
        QStringLiteral("CREATE TRIGGER log_day_insert AFTER INSERT ON log BEGIN %1 END").arg(addRow("NEW")),
        QStringLiteral("CREATE TRIGGER log_day_delete AFTER DELETE ON log BEGIN %1 END").arg(removeRow("OLD")),
        QStringLiteral("CREATE TRIGGER log_day_update AFTER UPDATE ON log BEGIN %1 %2 END")
            .arg(removeRow("OLD"), addRow("NEW")),
        // Fills the sums from the rows already logged (a file made before the summary existed).
        QStringLiteral("INSERT INTO log_day SELECT %1, count(*), total(bytesrcvd), total(BytesSent),"
                       " total(AvgDownloadSpeed), total(%2), total(%3) FROM log GROUP BY 1")
            .arg(dayKey("log"), speedSeconds("log"), seconds("log")),
    };
}

QString viewSql(const char* name, const char* key)
{
    return QStringLiteral(
               "CREATE VIEW %1 AS SELECT %2 AS ddate,"
               " sum(bytesrcvd) / 1024.0 AS kbdown,"
               " sum(BytesSent) / 1024.0 AS kbup,"
               " coalesce(sum(speedseconds) / nullif(sum(seconds), 0), sum(speedsum) / sum(logrows)) AS avgdown"
               " FROM log_day WHERE day <> '' GROUP BY 1")
        .arg(QLatin1String(name), QLatin1String(key));
}

struct ViewDef
{
    const char* name;
    const char* key;
};
constexpr ViewDef Views[] = {
    {"DownloadPerday", "nullif(day, '')"},
    // ISO 8601 weeks, Monday to Sunday: the year and number of the week's Thursday, so the week around New Year is
    // one week and its number is the one calendars show. The key ends in the two-digit week number.
    {"DownloadPerWeek",
     "(SELECT strftime('%Y', thursday) || printf('%02d', (strftime('%j', thursday) - 1) / 7 + 1) FROM"
     " (SELECT date(nullif(day, ''), '-' || ((strftime('%w', nullif(day, '')) + 6) % 7) || ' days', '+3 days')"
     " AS thursday))"},
    {"DownloadPerMonth", "strftime('%Y%m', nullif(day, ''))"},
    {"DownloadPerYear", "strftime('%Y', nullif(day, ''))"},
};

bool exec(QSqlQuery& q, const QString& sql, QString* error)
{
    if (q.exec(sql))
        return true;
    if (error)
        *error = q.lastError().text();
    return false;
}

QStringList schemaObjects(DbConnection& db, const char* type)
{
    QStringList names;
    QSqlQuery q(db.database());
    q.prepare(QStringLiteral("SELECT lower(name) FROM sqlite_master WHERE type = ?"));
    q.addBindValue(QLatin1String(type));
    if (q.exec()) {
        while (q.next())
            names.append(q.value(0).toString());
    }
    return names;
}

bool applyConnectionSettings(DbConnection& db, QString* error)
{
    // A rollback journal with full syncs keeps every committed row through a power cut, and unlike WAL it
    // needs no shared-memory file, so a read-only copy of the database can still be opened for reading.
    return db.configure({QStringLiteral("PRAGMA journal_mode = DELETE"), QStringLiteral("PRAGMA synchronous = FULL")},
                        error);
}

// True when another process holds the instance lock of the file at path: another copy of the program logs there.
bool lockedElsewhere(const QString& path)
{
    QString ignored;
    const int fd = openRegularFile(path, O_RDONLY, &ignored);
    if (fd < 0)
        return false;
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    return held;
}

bool validate(DbConnection& db, QString* error)
{
    const QStringList tables = schemaObjects(db, "table");
    // The settings and the log are the user's data; the tables this program keeps for itself are added when missing.
    if (!tables.contains(QLatin1String("settings")) || !tables.contains(QLatin1String("log"))) {
        *error = tr("The file is a database, but not a Zovodazad traffic log: its tables are missing.");
        return false;
    }
    QSqlQuery q(db.database());
    // The check reads the whole file, which takes seconds for a large log, so it runs only when the last run did
    // not end cleanly (it left its open period behind), when damage is likeliest. Elsewhere a damaged page fails
    // the statement that reads it, which is reported like any other database error.
    const bool unclean = tables.contains(QLatin1String("open_period"))
        && q.exec(QStringLiteral("SELECT count(*) FROM open_period")) && q.next() && q.value(0).toInt() > 0;
    q.finish();
    if (unclean) {
        if (!q.exec(QStringLiteral("PRAGMA quick_check"))) {
            *error = q.lastError().text();
            return false;
        }
        if (!q.next() || q.value(0).toString() != QLatin1String("ok")) {
            *error = tr("The database file is damaged (%1).").arg(q.value(0).toString());
            return false;
        }
        q.finish();
    }
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next()) {
        *error = q.lastError().text();
        return false;
    }
    if (q.value(0).toInt() > SchemaVersion) {
        *error = tr("The database was written by a newer version of Zovodazad.");
        return false;
    }
    return true;
}

// A file made before the per-day sums existed gets them, filled from its log, and views that read them; a file
// that only lacks some views, or the open-period table, gets those.
bool createMissingObjects(DbConnection& db, QString* error)
{
    const QStringList tables = schemaObjects(db, "table");
    const bool openPeriodMissing = !tables.contains(QLatin1String("open_period"));
    // The sums are rebuilt from the log when their table or any of the triggers that keep them is missing.
    const QStringList triggers = schemaObjects(db, "trigger");
    bool summaryMissing = !tables.contains(QLatin1String("log_day"));
    for (const char* trigger : {"log_day_insert", "log_day_delete", "log_day_update"})
        summaryMissing = summaryMissing || !triggers.contains(QLatin1String(trigger));
    // Files of an earlier version get this version's sums and views: rows that end before they start no longer
    // count negative, and weeks are ISO weeks.
    QSqlQuery version(db.database());
    const bool outdated = version.exec(QStringLiteral("PRAGMA user_version")) && version.next()
        && version.value(0).toInt() < SchemaVersion;
    version.finish();
    summaryMissing = summaryMissing || outdated;
    const QStringList views = schemaObjects(db, "view");
    bool missing = summaryMissing || openPeriodMissing;
    for (const ViewDef& v : Views)
        missing = missing || !views.contains(QString::fromLatin1(v.name).toLower());
    if (!missing)
        return true;
    const bool ok = db.transaction([&] {
        QSqlQuery q(db.database());
        if (openPeriodMissing && !exec(q, openPeriodSql(), error))
            return false;
        if (summaryMissing) {
            const QStringList stale = {QStringLiteral("DROP TRIGGER IF EXISTS log_day_insert"),
                                       QStringLiteral("DROP TRIGGER IF EXISTS log_day_delete"),
                                       QStringLiteral("DROP TRIGGER IF EXISTS log_day_update"),
                                       QStringLiteral("DROP TABLE IF EXISTS log_day")};
            for (const QString& sql : stale + summarySql()) {
                if (!exec(q, sql, error))
                    return false;
            }
        }
        for (const ViewDef& v : Views) {
            const bool exists = views.contains(QString::fromLatin1(v.name).toLower());
            if (exists && summaryMissing && !exec(q, QStringLiteral("DROP VIEW %1").arg(QLatin1String(v.name)), error))
                return false;
            if ((!exists || summaryMissing) && !exec(q, viewSql(v.name, v.key), error))
                return false;
        }
        return exec(q, QStringLiteral("PRAGMA user_version = %1").arg(SchemaVersion), error);
    });
    if (!ok && error && error->isEmpty())
        *error = db.lastError();
    return ok;
}

// Builds a new database under a temporary name in the folder of path and moves it there only when it is complete,
// so a crash during creation leaves nothing at path; a file that appeared at path meanwhile is kept, not replaced.
// Only what this call made is removed on failure.
bool createAt(const QString& path, QString* error)
{
    const QFileInfo info(path);
    QDir().mkpath(info.absolutePath());
    if (!QFileInfo(info.absolutePath()).isWritable()) {
        *error = tr("The folder %1 cannot be written to, so the database cannot be created there.")
                     .arg(QDir::toNativeSeparators(info.absolutePath()));
        return false;
    }
    QByteArray temp
        = QFile::encodeName(info.absoluteDir().filePath(QLatin1Char('.') + info.fileName())) + ".new-XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    // The permissions a file created the ordinary way would get, not mkstemp's private ones.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    ::close(fd);
    bool ok = false;
    {
        DbConnection fresh(QStringLiteral("zovodazad-new"));
        ok = fresh.open(QFile::decodeName(temp)) && applyConnectionSettings(fresh, error) && createSchema(fresh, error);
        if (!ok && error->isEmpty())
            *error = fresh.lastError();
    }
    const QByteArray target = QFile::encodeName(path);
    bool renamed = false;
    bool moved = false;
    if (ok) {
        renamed = ::renameat2(AT_FDCWD, temp.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0;
        // A file system without the no-replace rename still refuses to link over an existing name.
        moved = renamed || (errno == EINVAL && ::link(temp.constData(), target.constData()) == 0);
        if (!moved && errno != EEXIST) {
            *error = QString::fromLocal8Bit(std::strerror(errno));
            ok = false;
        }
    }
    if (moved) {
        // The new name is made durable like the rows the file will hold.
        const int dir = ::open(QFile::encodeName(info.absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
    }
    // After a link, or a failure, the temporary name goes.
    if (!renamed) {
        ::unlink(temp.constData());
        ::unlink((temp + "-journal").constData());
    }
    return ok;
}

} // namespace

QString locate(const QString& exeDir, const QString& dataDir)
{
    const QString portable = QDir(exeDir).filePath(QLatin1String(FileName));
    if (QFileInfo::exists(portable) || QFileInfo(exeDir).isWritable())
        return portable;
    return QDir(dataDir).filePath(QLatin1String(FileName));
}

bool createSchema(DbConnection& db, QString* error)
{
    const bool ok = db.transaction([&] {
        QSqlQuery q(db.database());
        const QString statements[] = {
            QStringLiteral("CREATE TABLE settings (settingname TEXT NOT NULL, Settingvalue TEXT)"),
            QStringLiteral("CREATE INDEX settings_by_name ON settings (settingname)"),
            QStringLiteral("CREATE TABLE log (DateAndTimeStart DATETIME NOT NULL, DateAndTimeEnd DATETIME NOT NULL,"
                           " BytesSent DOUBLE NOT NULL DEFAULT 0, bytesrcvd DOUBLE NOT NULL DEFAULT 0,"
                           " AvgDownloadSpeed CURRENCY NOT NULL DEFAULT 0)"),
            // Covers the volume-allowance sum, so it reads the index alone.
            QStringLiteral("CREATE INDEX log_by_start ON log (DateAndTimeStart, BytesSent, bytesrcvd)"),
            openPeriodSql(),
            QStringLiteral("PRAGMA user_version = %1").arg(SchemaVersion),
        };
        for (const QString& sql : statements) {
            if (!exec(q, sql, error))
                return false;
        }
        for (const QString& sql : summarySql()) {
            if (!exec(q, sql, error))
                return false;
        }
        for (const ViewDef& v : Views) {
            if (!exec(q, viewSql(v.name, v.key), error))
                return false;
        }
        return true;
    });
    if (!ok && error && error->isEmpty())
        *error = db.lastError();
    return ok;
}

bool reopenIfMoved(DbConnection& db, QString* error)
{
    if (db.isOpen() && db.followFile())
        return true;
    // The file has no name left. The next start opens the path this run opened, so the log goes on there: in a new
    // file, or in the one someone put in its place, unless another copy of the program logs in that one.
    const QString path = db.openedAt();
    const QString gone = tr("The database %1 was deleted while Zovodazad was running, or moved to another drive.")
                             .arg(QDir::toNativeSeparators(db.path()));
    const QString taken
        = tr("The file now at %1 is used by another copy of Zovodazad.").arg(QDir::toNativeSeparators(path));
    struct stat st = {};
    const bool existed = ::lstat(QFile::encodeName(path).constData(), &st) == 0;
    QString why = lockedElsewhere(path) ? taken : QString();
    bool ok = why.isEmpty() && openOrCreate(db, path, &why);
    if (ok && !db.lockFile()) {
        ok = false;
        why = taken;
    }
    if (!ok) {
        db.close();
        db.setLastError(gone + QLatin1Char('\n') + why);
        if (error)
            *error = db.lastError();
        return false;
    }
    db.notice(gone + QLatin1Char('\n')
              + (existed ? tr("The traffic is logged in the file now at its place.")
                         : tr("A new database was made there for the traffic from now on.")));
    return true;
}

bool openOrCreate(DbConnection& db, const QString& path, QString* error)
{
    QString scratch;
    if (!error)
        error = &scratch;
    const QByteArray native = QFile::encodeName(path);
    struct stat st = {};
    if (::lstat(native.constData(), &st) != 0) {
        if (errno != ENOENT) {
            *error = tr("The database file cannot be read: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
        if (!createAt(path, error))
            return false;
    } else if (S_ISLNK(st.st_mode) && ::stat(native.constData(), &st) != 0) {
        // A link to a drive that is not mounted, say: it is the user's, and nothing is made in its place.
        *error = tr("The database %1 is a link to %2, which cannot be reached (%3).")
                     .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(QFile::symLinkTarget(path)),
                          QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    const QFileInfo info(path);
    QString reason;
    const int fd = openRegularFile(path, O_RDONLY, &reason);
    if (fd < 0) {
        *error = notRegularReason(path).isEmpty() ? tr("The database file cannot be read: %1").arg(reason) : reason;
        return false;
    }
    QFile file;
    file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    const QByteArray header = file.read(16);
    file.close();
    if (header.isEmpty()) {
        *error = tr("The database file is empty.");
        return false;
    }
    if (header != QByteArray("SQLite format 3\0", 16)) {
        *error = tr("The file is not a database.");
        return false;
    }
    if (!info.isWritable()) {
        *error = tr("The database file is read-only, so no traffic could be logged.");
        return false;
    }
    if (!QFileInfo(info.absolutePath()).isWritable()) {
        *error = tr("The folder %1 is read-only, so the database cannot be written.")
                     .arg(QDir::toNativeSeparators(info.absolutePath()));
        return false;
    }
    if (!db.open(path)) {
        *error = db.lastError();
        return false;
    }
    if (validate(db, error) && applyConnectionSettings(db, error) && createMissingObjects(db, error))
        return true;
    db.close();
    return false;
}

} // namespace DatabaseFile
