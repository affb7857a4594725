#include "Db.h"

#include <QFile>

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <sqlite3.h>
#include <sys/stat.h>

namespace {
QString errorText(const QSqlError& e)
{
    const QString text = e.driverText().isEmpty() ? e.text() : e.driverText() + QLatin1String(": ") + e.databaseText();
    return text.trimmed();
}

bool prepareAndRun(QSqlQuery& q, const QString& sql, const QVariantList& binds)
{
    if (!q.prepare(sql))
        return false;
    for (const QVariant& v : binds)
        q.addBindValue(v);
    return q.exec();
}
} // namespace

DbConnection::DbConnection(QString connectionName)
    : m_name(std::move(connectionName))
{
}

DbConnection::~DbConnection()
{
    close();
}

bool DbConnection::open(const QString& path, Access access)
{
    close();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        // A writer elsewhere (another tool holding a lock) makes us wait briefly instead of failing at once;
        // kept short because every database call runs on the user-interface thread.
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=250")
                             + (access == Access::ReadOnly ? QStringLiteral(";QSQLITE_OPEN_READONLY") : QString()));
        if (!db.open()) {
            m_lastError = errorText(db.lastError());
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_name);
            return false;
        }
    }
    m_path = path;
    m_lastError.clear();
    struct stat st = {};
    if (::stat(QFile::encodeName(path).constData(), &st) == 0) {
        m_device = st.st_dev;
        m_inode = st.st_ino;
    }
    return true;
}

bool DbConnection::isSameFile() const
{
    struct stat st = {};
    if (::stat(QFile::encodeName(m_path).constData(), &st) != 0)
        return false;
    return st.st_dev == m_device && st.st_ino == m_inode;
}

void DbConnection::close()
{
    if (!QSqlDatabase::contains(m_name))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
}

bool DbConnection::isOpen() const
{
    return QSqlDatabase::contains(m_name) && QSqlDatabase::database(m_name, false).isOpen();
}

QSqlDatabase DbConnection::database() const
{
    return QSqlDatabase::database(m_name, false);
}

bool DbConnection::setBusyTimeout(int ms)
{
    const QSqlDatabase db = database();
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return false;
    sqlite3* connection = *static_cast<sqlite3* const*>(handle.constData());
    return connection && sqlite3_busy_timeout(connection, ms) == SQLITE_OK;
}

bool DbConnection::transaction(const std::function<bool()>& body)
{
    QSqlQuery q(database());
    // IMMEDIATE takes the write lock up front, so a busy database fails here and not halfway through.
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        m_lastError = errorText(q.lastError());
        return false;
    }
    if (body()) {
        if (q.exec(QStringLiteral("COMMIT")))
            return true;
        m_lastError = errorText(q.lastError());
    }
    const QString keep = m_lastError;
    QSqlQuery(database()).exec(QStringLiteral("ROLLBACK"));
    m_lastError = keep;
    return false;
}

bool DbRecordset::open(DbConnection& db, const QString& sql, const QVariantList& binds)
{
    close();
    QSqlQuery q(db.database());
    q.setForwardOnly(true);
    if (!prepareAndRun(q, sql, binds)) {
        m_lastError = errorText(q.lastError());
        db.setLastError(m_lastError);
        return false;
    }
    const QSqlRecord rec = q.record();
    for (int i = 0; i < rec.count(); ++i)
        m_columns.append(rec.fieldName(i).toLower());
    while (q.next()) {
        QVariantList row;
        row.reserve(rec.count());
        for (int i = 0; i < rec.count(); ++i)
            row.append(q.value(i));
        m_rows.append(std::move(row));
    }
    if (q.lastError().isValid()) {
        m_lastError = errorText(q.lastError());
        db.setLastError(m_lastError);
        m_columns.clear();
        m_rows.clear();
        return false;
    }
    q.finish();
    m_open = true;
    m_pos = 0;
    return true;
}

void DbRecordset::close()
{
    m_open = false;
    m_pos = -1;
    m_columns.clear();
    m_rows.clear();
    m_lastError.clear();
}

QVariant DbRecordset::field(const QString& name) const
{
    if (atEnd())
        return {};
    const auto i = m_columns.indexOf(name.toLower());
    if (i < 0)
        return {};
    return m_rows.at(m_pos).at(i);
}

bool DbCommand::execute(const QString& sql, const QVariantList& binds)
{
    Q_ASSERT(m_db);
    QSqlQuery q(m_db->database());
    if (!prepareAndRun(q, sql, binds)) {
        m_lastError = errorText(q.lastError());
        m_db->setLastError(m_lastError);
        return false;
    }
    m_lastError.clear();
    return true;
}

QString dbDateTime(const QDateTime& t)
{
    return t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QDateTime fromDbDateTime(const QVariant& v)
{
    return QDateTime::fromString(v.toString(), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}
