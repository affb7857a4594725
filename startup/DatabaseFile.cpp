#include "DatabaseFile.h"

#include "Db.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

namespace DatabaseFile {

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("DatabaseFile", text);
}

// The views sum the log per day, week, month and year. Sorting ddate as text is sorting by time: every key is
// zero-padded with the year first. The average is weighted by each row's duration, falling back to the plain
// mean when all rows of a group have zero length.
QString viewSql(const char* name, const char* key)
{
    return QStringLiteral("CREATE VIEW %1 AS SELECT %2 AS ddate,"
                          " sum(bytesrcvd) / 1024.0 AS kbdown,"
                          " sum(BytesSent) / 1024.0 AS kbup,"
                          " coalesce(sum(AvgDownloadSpeed * (unixepoch(DateAndTimeEnd) - unixepoch(DateAndTimeStart)))"
                          " / nullif(sum(unixepoch(DateAndTimeEnd) - unixepoch(DateAndTimeStart)), 0),"
                          " avg(AvgDownloadSpeed)) AS avgdown"
                          " FROM log GROUP BY %2")
        .arg(QLatin1String(name), QLatin1String(key));
}

struct ViewDef
{
    const char* name;
    const char* key;
};
constexpr ViewDef Views[] = {
    {"DownloadPerday", "date(DateAndTimeStart)"},
    // %W: week of the year, Monday first, two digits; the key ends in the week number.
    {"DownloadPerWeek", "strftime('%Y%W', DateAndTimeStart)"},
    {"DownloadPerMonth", "strftime('%Y%m', DateAndTimeStart)"},
    {"DownloadPerYear", "strftime('%Y', DateAndTimeStart)"},
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
    QSqlQuery q(db.database());
    // A rollback journal with full syncs keeps every committed row through a power cut, and unlike WAL it
    // needs no shared-memory file, so a read-only copy of the database can still be opened for reading.
    return exec(q, QStringLiteral("PRAGMA journal_mode = DELETE"), error)
        && exec(q, QStringLiteral("PRAGMA synchronous = FULL"), error);
}

bool validate(DbConnection& db, QString* error)
{
    QSqlQuery q(db.database());
    if (!q.exec(QStringLiteral("PRAGMA quick_check"))) {
        *error = q.lastError().text();
        return false;
    }
    if (!q.next() || q.value(0).toString() != QLatin1String("ok")) {
        *error = tr("The database file is damaged (%1).").arg(q.value(0).toString());
        return false;
    }
    q.finish();
    const QStringList tables = schemaObjects(db, "table");
    if (!tables.contains(QLatin1String("settings")) || !tables.contains(QLatin1String("log"))) {
        *error = tr("The file is a database, but not a Zovodazad traffic log: its tables are missing.");
        return false;
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

bool createMissingViews(DbConnection& db, QString* error)
{
    const QStringList views = schemaObjects(db, "view");
    bool missing = false;
    for (const ViewDef& v : Views)
        missing = missing || !views.contains(QString::fromLatin1(v.name).toLower());
    if (!missing)
        return true;
    const bool ok = db.transaction([&] {
        QSqlQuery q(db.database());
        for (const ViewDef& v : Views) {
            if (!views.contains(QString::fromLatin1(v.name).toLower()) && !exec(q, viewSql(v.name, v.key), error))
                return false;
        }
        return true;
    });
    if (!ok && error && error->isEmpty())
        *error = db.lastError();
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
            QStringLiteral("PRAGMA user_version = %1").arg(SchemaVersion),
        };
        for (const QString& sql : statements) {
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

bool openOrCreate(DbConnection& db, const QString& path, QString* error)
{
    QString scratch;
    if (!error)
        error = &scratch;
    const QFileInfo info(path);
    if (!info.exists()) {
        QDir().mkpath(info.absolutePath());
        if (!QFileInfo(info.absolutePath()).isWritable()) {
            *error = tr("The folder %1 cannot be written to, so the database cannot be created there.")
                         .arg(QDir::toNativeSeparators(info.absolutePath()));
            return false;
        }
        if (db.open(path) && applyConnectionSettings(db, error) && createSchema(db, error))
            return true;
        if (error->isEmpty())
            *error = db.lastError();
        db.close();
        // Only a file this call created is removed.
        QFile::remove(path);
        QFile::remove(path + QLatin1String("-journal"));
        return false;
    }
    if (info.isDir()) {
        *error = tr("%1 is a folder, not a database file.").arg(QDir::toNativeSeparators(path));
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = tr("The database file cannot be read: %1").arg(file.errorString());
        return false;
    }
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
    if (validate(db, error) && applyConnectionSettings(db, error) && createMissingViews(db, error))
        return true;
    db.close();
    return false;
}

} // namespace DatabaseFile
