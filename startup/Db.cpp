#include "Db.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// The context of this file's texts in the translations.
struct Text
{
    Q_DECLARE_TR_FUNCTIONS(DbConnection)
};

void closeFd(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

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
    m_access = access;
    m_busyTimeoutMs = -1;
    m_pragmas.clear();
    if (!openSqlite(path))
        return false;
    // SQLite has opened (or made) the file; the descriptor that follows it is taken on the same one.
    m_fd = ::open(QFile::encodeName(path).constData(), O_PATH | O_CLOEXEC);
    struct stat st = {};
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0) {
        m_lastError = QString::fromLocal8Bit(std::strerror(errno));
        close();
        return false;
    }
    m_device = st.st_dev;
    m_inode = st.st_ino;
    m_path = path;
    m_openedAt = path;
    m_lastError.clear();
    return true;
}

bool DbConnection::openSqlite(const QString& path)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        // A writer elsewhere (another tool holding a lock) makes us wait briefly instead of failing at once;
        // kept short because every database call runs on the user-interface thread.
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=250")
                             + (m_access == Access::ReadOnly ? QStringLiteral(";QSQLITE_OPEN_READONLY") : QString()));
        if (!db.open()) {
            m_lastError = errorText(db.lastError());
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_name);
            return false;
        }
    }
    if (m_busyTimeoutMs >= 0)
        setBusyTimeout(m_busyTimeoutMs);
    QSqlQuery q(database());
    for (const QString& pragma : std::as_const(m_pragmas)) {
        if (!q.exec(pragma)) {
            m_lastError = errorText(q.lastError());
            return false;
        }
    }
    return true;
}

bool DbConnection::configure(const QStringList& pragmas, QString* error)
{
    QSqlQuery q(database());
    for (const QString& pragma : pragmas) {
        if (!q.exec(pragma)) {
            m_lastError = errorText(q.lastError());
            if (error)
                *error = m_lastError;
            return false;
        }
    }
    m_pragmas = pragmas;
    return true;
}

bool DbConnection::sameFile(const QString& path) const
{
    struct stat st = {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && st.st_dev == m_device && st.st_ino == m_inode;
}

bool DbConnection::followFile()
{
    if (m_fd < 0) {
        m_lastError = Text::tr("The database %1 is not open.").arg(QDir::toNativeSeparators(m_openedAt));
        return false;
    }
    if (sameFile(m_path))
        return true;
    // The kernel keeps the current name of an open file; the descriptor was opened through the old one.
    char target[PATH_MAX];
    const ssize_t n
        = ::readlink(QByteArray("/proc/self/fd/" + QByteArray::number(m_fd)).constData(), target, sizeof target);
    const QString now = n > 0 && n < qsizetype(sizeof target) ? QFile::decodeName(QByteArray(target, n)) : QString();
    if (now.isEmpty() || !sameFile(now)) {
        m_lastError = Text::tr("The database %1 was deleted while Zovodazad was running, or moved to another drive.")
                          .arg(QDir::toNativeSeparators(m_path));
        // Nothing is written to a file that no one will see again.
        close();
        return false;
    }
    // The write-ahead log goes by the old name: what it holds goes into the file first, or the file would be opened
    // under its new name without it. A reader still in that log holds this up until a later write.
    QSqlQuery q(database());
    if (m_writeAhead
        && (!q.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)")) || !q.next() || q.value(0).toInt() != 0)) {
        m_lastError = Text::tr("The database was moved to %1 while another program was reading it.")
                          .arg(QDir::toNativeSeparators(now));
        return false;
    }
    q = QSqlQuery();
    closeSqlite();
    // SQLite leaves the log files of a file that moved at its close; emptied above, they go as at any last close.
    if (m_writeAhead && QFileInfo(m_path + QLatin1String("-wal")).size() == 0) {
        QFile::remove(m_path + QLatin1String("-wal"));
        QFile::remove(m_path + QLatin1String("-shm"));
    }
    if (!openSqlite(now)) {
        close();
        return false;
    }
    m_path = now;
    notice(Text::tr("The database was moved to %1 while Zovodazad was running. The traffic goes on being logged there "
                    "until Zovodazad ends; its next start uses %2.")
               .arg(QDir::toNativeSeparators(now), QDir::toNativeSeparators(m_openedAt)));
    return true;
}

bool DbConnection::lockFile()
{
    // Opened anew from the descriptor, so it is the same file whatever happened at its name meanwhile.
    const int fd = ::open(QByteArray("/proc/self/fd/" + QByteArray::number(m_fd)).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    closeFd(m_lockFd);
    m_lockFd = fd;
    return true;
}

void DbConnection::close()
{
    m_statements.clear();
    // At once: another connection on the file (the statistics window, say) keeps the log for whoever closes last.
    if (m_writeAhead && isOpen() && setBusyTimeout(0))
        QSqlQuery(database()).exec(QStringLiteral("PRAGMA journal_mode = DELETE"));
    m_writeAhead = false;
    closeSqlite();
    // After SQLite's own descriptors: closing one on the file drops the process's locks on it.
    closeFd(m_lockFd);
    closeFd(m_fd);
}

void DbConnection::closeSqlite()
{
    if (!QSqlDatabase::contains(m_name))
        return;
    m_statements.clear();
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
    m_busyTimeoutMs = ms;
    const QSqlDatabase db = database();
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return false;
    sqlite3* connection = *static_cast<sqlite3* const*>(handle.constData());
    return connection && sqlite3_busy_timeout(connection, ms) == SQLITE_OK;
}

bool DbConnection::writeAheadLog()
{
    QSqlQuery q(database());
    m_writeAhead = q.exec(QStringLiteral("PRAGMA journal_mode = WAL")) && q.next()
        && q.value(0).toString() == QLatin1String("wal");
    return m_writeAhead;
}

void DbConnection::checkpoint()
{
    // Passive: it waits for no reader; what a reader still needs is copied at a later one.
    if (m_writeAhead)
        QSqlQuery(database()).exec(QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)"));
}

QSqlQuery* DbConnection::prepared(const QString& sql)
{
    // The statements the program writes with are a handful; texts made per adapter count add a few.
    if (m_statements.size() >= 32)
        m_statements.clear();
    if (const auto it = m_statements.find(sql); it != m_statements.end())
        return &*it;
    QSqlQuery q(database());
    if (!q.prepare(sql)) {
        m_lastError = errorText(q.lastError());
        return nullptr;
    }
    return &*m_statements.insert(sql, std::move(q));
}

bool DbConnection::transaction(const std::function<bool()>& body)
{
    if (!followFile())
        return false;
    QSqlQuery q(database());
    // IMMEDIATE takes the write lock up front, so a busy database fails here and not halfway through.
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        m_lastError = errorText(q.lastError());
        return false;
    }
    m_inTransaction = true;
    const bool done = body();
    m_inTransaction = false;
    if (done) {
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
    if (!m_db->m_inTransaction && !m_db->followFile()) {
        m_lastError = m_db->lastError();
        return false;
    }
    QSqlQuery* q = m_db->prepared(sql);
    for (int i = 0; q && i < binds.size(); ++i)
        q->bindValue(i, binds[i]);
    if (!q || !q->exec()) {
        m_lastError = q ? errorText(q->lastError()) : m_db->lastError();
        m_db->setLastError(m_lastError);
        return false;
    }
    // Reset, so that it holds no lock while it waits for its next use.
    q->finish();
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
