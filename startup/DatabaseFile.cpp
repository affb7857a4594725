#include "DatabaseFile.h"

#include "Db.h"
#include "RegularFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace DatabaseFile {

namespace {

// The context of this file's texts in the translations.
struct Text
{
    Q_DECLARE_TR_FUNCTIONS(DatabaseFile)
};

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

// The period being accumulated, saved while it runs so a crash loses no more than the last minute. Its
// adapters' shares are a text in the same row (AdapterShares), so a save still writes one page.
QString openPeriodSql()
{
    return QStringLiteral("CREATE TABLE open_period (id INTEGER PRIMARY KEY CHECK (id = 1),"
                          " DateAndTimeStart DATETIME NOT NULL, LastSave DATETIME NOT NULL,"
                          " BytesSent DOUBLE NOT NULL, bytesrcvd DOUBLE NOT NULL, AvgDownloadSpeed CURRENCY NOT NULL,"
                          " SampleCount DOUBLE NOT NULL, adapters TEXT)");
}

// Each row's traffic per adapter, by the name the adapter had. A record names its row by the row's rowid and start:
// a VACUUM may renumber the rows of `log`, and a record whose row was renumbered then still counts in its own period
// and never collides with a later row's. Records of no traffic are not kept. Per-day sums per adapter are kept by
// triggers, like the log's, for the charts and the allowance of one adapter.
// The version that brought the per-adapter log.
constexpr int AdapterLogSince = 3;
constexpr const char* AdapterColumns[] = {"logrow", "DateAndTimeStart", "adapter", "bytesrcvd", "BytesSent"};

QString adapterTableSql(const QString& name)
{
    return QStringLiteral("CREATE TABLE %1 (logrow INTEGER NOT NULL, DateAndTimeStart DATETIME NOT NULL,"
                          " adapter TEXT NOT NULL, bytesrcvd INTEGER NOT NULL CHECK (bytesrcvd >= 0),"
                          " BytesSent INTEGER NOT NULL CHECK (BytesSent >= 0),"
                          " PRIMARY KEY (logrow, DateAndTimeStart, adapter)) WITHOUT ROWID")
        .arg(name);
}

// A record's octets added to (sign "") or taken from (sign "-") its day's sums; a day left without records goes.
QString adapterDayChange(const char* row, const char* sign)
{
    return QStringLiteral("INSERT INTO log_adapter_day VALUES (%1.adapter, coalesce(date(%1.DateAndTimeStart), ''),"
                          " %2 1, %2%1.bytesrcvd, %2%1.BytesSent) ON CONFLICT (adapter, day) DO UPDATE SET"
                          " records = records + excluded.records, bytesrcvd = bytesrcvd + excluded.bytesrcvd,"
                          " BytesSent = BytesSent + excluded.BytesSent;"
                          " DELETE FROM log_adapter_day WHERE adapter = %1.adapter"
                          " AND day = coalesce(date(%1.DateAndTimeStart), '') AND records <= 0;")
        .arg(QLatin1String(row), QLatin1String(sign));
}

QStringList adapterSummarySql()
{
    return {
        QStringLiteral(
            "CREATE TABLE log_adapter_day (adapter TEXT NOT NULL, day TEXT NOT NULL, records INTEGER NOT NULL,"
            " bytesrcvd INTEGER NOT NULL, BytesSent INTEGER NOT NULL, PRIMARY KEY (adapter, day))"
            " WITHOUT ROWID"),
        QStringLiteral("CREATE TRIGGER log_adapter_day_insert AFTER INSERT ON log_adapter BEGIN %1 END")
            .arg(adapterDayChange("NEW", "")),
        QStringLiteral("CREATE TRIGGER log_adapter_day_delete AFTER DELETE ON log_adapter BEGIN %1 END")
            .arg(adapterDayChange("OLD", "-")),
        QStringLiteral("CREATE TRIGGER log_adapter_day_update AFTER UPDATE ON log_adapter BEGIN %1 %2 END")
            .arg(adapterDayChange("OLD", "-"), adapterDayChange("NEW", "")),
        QStringLiteral("INSERT INTO log_adapter_day SELECT adapter, coalesce(date(DateAndTimeStart), ''), count(*),"
                       " total(bytesrcvd), total(BytesSent) FROM log_adapter GROUP BY 1, 2"),
    };
}

// A row removed from the log takes its records along.
QString adapterRowDeleteSql()
{
    return QStringLiteral("CREATE TRIGGER log_adapter_row_delete AFTER DELETE ON log BEGIN DELETE FROM log_adapter"
                          " WHERE logrow = OLD.rowid AND DateAndTimeStart = OLD.DateAndTimeStart; END");
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

// The per-adapter views: the same periods, one line per adapter that has records in it.
QString adapterViewSql(const char* name, const char* key)
{
    return QStringLiteral("CREATE VIEW %1 AS SELECT adapter, %2 AS ddate, sum(bytesrcvd) / 1024.0 AS kbdown,"
                          " sum(BytesSent) / 1024.0 AS kbup FROM log_adapter_day WHERE day <> '' GROUP BY 1, 2")
        .arg(QLatin1String(name), QLatin1String(key));
}

struct ViewDef
{
    const char* name;
    const char* key;
    const char* adapterName;
};
constexpr ViewDef Views[] = {
    {"DownloadPerday", "nullif(day, '')", "AdapterPerday"},
    // ISO 8601 weeks, Monday to Sunday: the year and number of the week's Thursday, so the week around New Year is
    // one week and its number is the one calendars show. The key ends in the two-digit week number.
    {"DownloadPerWeek",
     "(SELECT strftime('%Y', thursday) || printf('%02d', (strftime('%j', thursday) - 1) / 7 + 1) FROM"
     " (SELECT date(nullif(day, ''), '-' || ((strftime('%w', nullif(day, '')) + 6) % 7) || ' days', '+3 days')"
     " AS thursday))",
     "AdapterPerWeek"},
    {"DownloadPerMonth", "strftime('%Y%m', nullif(day, ''))", "AdapterPerMonth"},
    {"DownloadPerYear", "strftime('%Y', nullif(day, ''))", "AdapterPerYear"},
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
    // Full syncs: a commit returns once it is on the disk, so a committed row survives a power cut, through the
    // rollback journal a new file is built with and the write-ahead log of the running program alike. A log grown by
    // a large change (an erased log) is cut back once it is copied into the file.
    return db.configure(
        {QStringLiteral("PRAGMA synchronous = FULL"), QStringLiteral("PRAGMA journal_size_limit = 1048576")}, error);
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
        *error = Text::tr("The file is a database, but not a Zovodazad traffic log: its tables are missing.");
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
            *error = Text::tr("The database file is damaged (%1).").arg(q.value(0).toString());
            return false;
        }
        q.finish();
    }
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next()) {
        *error = q.lastError().text();
        return false;
    }
    if (q.value(0).toInt() > SchemaVersion) {
        *error = Text::tr("The database was written by a newer version of Zovodazad.");
        return false;
    }
    return true;
}

QStringList columns(DbConnection& db, const QString& table)
{
    QStringList names;
    QSqlQuery q(db.database());
    q.prepare(QStringLiteral("SELECT lower(name) FROM pragma_table_info(?)"));
    q.addBindValue(table);
    if (q.exec()) {
        while (q.next())
            names.append(q.value(0).toString());
    }
    return names;
}

// A name no object of the file has yet, for a table kept aside.
QString unusedName(const QStringList& taken, const QString& stem)
{
    QString name = stem;
    for (int k = 2; taken.contains(name); ++k)
        name = stem + QLatin1Char('_') + QString::number(k);
    return name;
}

// Brings the program's own objects up to this version: a file made before the per-day sums or the per-adapter log
// existed gets them (the sums filled from the log; the rows before have no per-adapter records), and one that lost
// some of them gets them back. A per-adapter table of a shape this version does not know is kept aside under
// another name, never emptied or dropped, and a new one made; the user is told in notes.
bool createMissingObjects(DbConnection& db, QString* error, QStringList* notes)
{
    const QStringList tables = schemaObjects(db, "table");
    const QStringList triggers = schemaObjects(db, "trigger");
    const QStringList views = schemaObjects(db, "view");
    const auto missingAny = [](const QStringList& have, std::initializer_list<const char*> names) {
        return std::any_of(names.begin(), names.end(),
                           [&](const char* n) { return !have.contains(QString::fromLatin1(n).toLower()); });
    };
    QSqlQuery version(db.database());
    const int fileVersion = version.exec(QStringLiteral("PRAGMA user_version")) && version.next()
        ? version.value(0).toInt()
        : SchemaVersion;
    version.finish();

    const bool openPeriodMissing = !tables.contains(QLatin1String("open_period"));
    const bool openPeriodOld = !openPeriodMissing && !columns(db, QStringLiteral("open_period")).contains("adapters");
    // Files before version 2 get this version's sums and views: rows that end before they start no longer count
    // negative, and weeks are ISO weeks.
    const bool summaryMissing = fileVersion < 2 || !tables.contains(QLatin1String("log_day"))
        || missingAny(triggers, {"log_day_insert", "log_day_delete", "log_day_update"});
    const bool adapterMissing = !tables.contains(QLatin1String("log_adapter"));
    QStringList expected;
    for (const char* c : AdapterColumns)
        expected.append(QString::fromLatin1(c).toLower());
    const bool adapterStrange = !adapterMissing && columns(db, QStringLiteral("log_adapter")) != expected;
    const bool adapterSummaryMissing = adapterMissing || adapterStrange
        || !tables.contains(QLatin1String("log_adapter_day"))
        || missingAny(triggers, {"log_adapter_day_insert", "log_adapter_day_delete", "log_adapter_day_update"});
    const bool rowTriggerMissing = !triggers.contains(QLatin1String("log_adapter_row_delete"));
    bool viewMissing = false;
    for (const ViewDef& v : Views)
        viewMissing = viewMissing || missingAny(views, {v.name, v.adapterName});
    if (!openPeriodMissing && !openPeriodOld && !summaryMissing && !adapterSummaryMissing && !rowTriggerMissing
        && !viewMissing && fileVersion >= SchemaVersion)
        return true;

    const QString asideName = unusedName(tables, QStringLiteral("log_adapter_unknown"));
    const bool ok = db.transaction([&] {
        QSqlQuery q(db.database());
        QStringList sql;
        if (openPeriodMissing)
            sql.append(openPeriodSql());
        if (openPeriodOld)
            sql.append(QStringLiteral("ALTER TABLE open_period ADD COLUMN adapters TEXT"));
        if (summaryMissing) {
            sql += {QStringLiteral("DROP TRIGGER IF EXISTS log_day_insert"),
                    QStringLiteral("DROP TRIGGER IF EXISTS log_day_delete"),
                    QStringLiteral("DROP TRIGGER IF EXISTS log_day_update"),
                    QStringLiteral("DROP TABLE IF EXISTS log_day")};
            sql += summarySql();
        }
        // Triggers that name the records' columns go first: SQLite checks them at every change of the schema.
        if (adapterSummaryMissing) {
            sql += {QStringLiteral("DROP TRIGGER IF EXISTS log_adapter_row_delete"),
                    QStringLiteral("DROP TRIGGER IF EXISTS log_adapter_day_insert"),
                    QStringLiteral("DROP TRIGGER IF EXISTS log_adapter_day_delete"),
                    QStringLiteral("DROP TRIGGER IF EXISTS log_adapter_day_update"),
                    QStringLiteral("DROP TABLE IF EXISTS log_adapter_day")};
            for (const ViewDef& v : Views)
                sql.append(QStringLiteral("DROP VIEW IF EXISTS %1").arg(QLatin1String(v.adapterName)));
        }
        if (adapterStrange)
            sql.append(QStringLiteral("ALTER TABLE log_adapter RENAME TO %1").arg(asideName));
        if (adapterMissing || adapterStrange)
            sql.append(adapterTableSql(QStringLiteral("log_adapter")));
        if (adapterSummaryMissing)
            sql += adapterSummarySql();
        if (rowTriggerMissing || adapterSummaryMissing)
            sql.append(adapterRowDeleteSql());
        for (const ViewDef& v : Views) {
            const bool exists = views.contains(QString::fromLatin1(v.name).toLower());
            if (exists && summaryMissing)
                sql.append(QStringLiteral("DROP VIEW %1").arg(QLatin1String(v.name)));
            if (!exists || summaryMissing)
                sql.append(viewSql(v.name, v.key));
            if (adapterSummaryMissing || !views.contains(QString::fromLatin1(v.adapterName).toLower()))
                sql.append(adapterViewSql(v.adapterName, v.key));
        }
        sql.append(QStringLiteral("PRAGMA user_version = %1").arg(SchemaVersion));
        return std::all_of(sql.cbegin(), sql.cend(),
                           [&](const QString& statement) { return exec(q, statement, error); });
    });
    if (!ok) {
        if (error && error->isEmpty())
            *error = db.lastError();
        return false;
    }
    // A file of this version had its per-adapter log: its loss is the user's to know of.
    if (notes && adapterStrange)
        notes->append(
            Text::tr("The per-adapter traffic log had a shape this version does not know. It is kept as table %1, "
                     "and a new one is kept from now on; the rows before have no per-adapter figures.")
                .arg(asideName));
    else if (notes && adapterMissing && fileVersion >= AdapterLogSince)
        notes->append(
            Text::tr("The per-adapter traffic log was missing from the database. A new one is kept from now on; "
                     "the rows before have no per-adapter figures."));
    return true;
}

// Builds a new database under a temporary name in the folder of path and moves it there only when it is complete,
// so a crash during creation leaves nothing at path; a file that appeared at path meanwhile is kept, not replaced.
// Only what this call made is removed on failure.
bool createAt(const QString& path, QString* error)
{
    const QFileInfo info(path);
    QDir().mkpath(info.absolutePath());
    if (!QFileInfo(info.absolutePath()).isWritable()) {
        *error = Text::tr("The folder %1 cannot be written to, so the database cannot be created there.")
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
            adapterTableSql(QStringLiteral("log_adapter")),
            adapterRowDeleteSql(),
            QStringLiteral("PRAGMA user_version = %1").arg(SchemaVersion),
        };
        for (const QString& sql : statements) {
            if (!exec(q, sql, error))
                return false;
        }
        for (const QString& sql : summarySql() + adapterSummarySql()) {
            if (!exec(q, sql, error))
                return false;
        }
        for (const ViewDef& v : Views) {
            if (!exec(q, viewSql(v.name, v.key), error) || !exec(q, adapterViewSql(v.adapterName, v.key), error))
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
    const QString gone = Text::tr("The database %1 was deleted while Zovodazad was running, or moved to another drive.")
                             .arg(QDir::toNativeSeparators(db.path()));
    const QString taken
        = Text::tr("The file now at %1 is used by another copy of Zovodazad.").arg(QDir::toNativeSeparators(path));
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
              + (existed ? Text::tr("The traffic is logged in the file now at its place.")
                         : Text::tr("A new database was made there for the traffic from now on.")));
    return true;
}

bool openOrCreate(DbConnection& db, const QString& path, QString* error, QStringList* notes)
{
    QString scratch;
    if (!error)
        error = &scratch;
    const QByteArray native = QFile::encodeName(path);
    struct stat st = {};
    if (::lstat(native.constData(), &st) != 0) {
        if (errno != ENOENT) {
            *error = Text::tr("The database file cannot be read: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
        if (!createAt(path, error))
            return false;
    } else if (S_ISLNK(st.st_mode) && ::stat(native.constData(), &st) != 0) {
        // A link to a drive that is not mounted, say: it is the user's, and nothing is made in its place.
        *error = Text::tr("The database %1 is a link to %2, which cannot be reached (%3).")
                     .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(QFile::symLinkTarget(path)),
                          QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    const QFileInfo info(path);
    QString reason;
    const int fd = openRegularFile(path, O_RDONLY, &reason);
    if (fd < 0) {
        *error
            = notRegularReason(path).isEmpty() ? Text::tr("The database file cannot be read: %1").arg(reason) : reason;
        return false;
    }
    QFile file;
    file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    const QByteArray header = file.read(16);
    file.close();
    if (header.isEmpty()) {
        *error = Text::tr("The database file is empty.");
        return false;
    }
    if (header != QByteArray("SQLite format 3\0", 16)) {
        *error = Text::tr("The file is not a database.");
        return false;
    }
    if (!info.isWritable()) {
        *error = Text::tr("The database file is read-only, so no traffic could be logged.");
        return false;
    }
    if (!QFileInfo(info.absolutePath()).isWritable()) {
        *error = Text::tr("The folder %1 is read-only, so the database cannot be written.")
                     .arg(QDir::toNativeSeparators(info.absolutePath()));
        return false;
    }
    if (!db.open(path)) {
        *error = db.lastError();
        return false;
    }
    QStringList repaired;
    if (validate(db, error) && applyConnectionSettings(db, error) && createMissingObjects(db, error, &repaired)) {
        // A save a minute is then one sync. Without the file to itself (a tool holds it open) the rollback journal
        // stays, which keeps the same promise at more syncs.
        db.writeAheadLog();
        if (notes)
            *notes += repaired;
        else
            for (const QString& note : std::as_const(repaired))
                db.notice(note);
        return true;
    }
    db.close();
    return false;
}

} // namespace DatabaseFile
