#pragma once

#include <QDateTime>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <QVector>
#include <functional>

// The program's three database objects over one SQLite connection. Every value that reaches SQL is bound.
class DbConnection
{
public:
    explicit DbConnection(QString connectionName = QStringLiteral("zovodazad"));
    ~DbConnection();
    DbConnection(const DbConnection&) = delete;
    DbConnection& operator=(const DbConnection&) = delete;

    // Opens an SQLite file (see DatabaseFile for creating one). ReadOnly never creates or changes the file.
    enum class Access { ReadWrite, ReadOnly };
    bool open(const QString& path, Access access = Access::ReadWrite);
    void close();
    bool isOpen() const;
    // Where the open file is now: the path it was opened at, or the name it was since moved to.
    QString path() const { return m_path; }
    QString openedAt() const { return m_openedAt; }
    QString lastError() const { return m_lastError; }
    QSqlDatabase database() const;

    // How long a statement waits for a lock another connection holds before it fails; kept across reopens.
    bool setBusyTimeout(int ms);
    // Runs the PRAGMA statements now and again whenever the connection follows its file to a new name.
    bool configure(const QStringList& pragmas, QString* error);
    // Write-ahead logging: a commit then syncs one file once, where a rollback journal syncs the journal and the
    // file, and a reader never holds up a writer. Needs the file to itself for the switch; true when it is on.
    // close() switches back, so that a file nobody writes is one file again, which a reader that cannot write (a
    // read-only copy, another user) can open, and which a copy takes whole.
    bool writeAheadLog();
    // Copies the logged pages into the file where no reader needs them; done after each log row, so the file on
    // its own holds every row, and the log stays small.
    void checkpoint();

    // Runs body inside BEGIN IMMEDIATE ... COMMIT; rolls back when body returns false or a step fails.
    bool transaction(const std::function<bool()>& body);

    // Keeps writes on the file that was opened. SQLite names its rollback journal after the path it opened, so a
    // file renamed since is reopened under its new name (found through the descriptor held on it), and writing
    // through the old name, where another file may now live, never happens. False, with the reason in
    // lastError(), when the file has no name left: deleted, or moved to another drive.
    bool followFile();
    // Holds an exclusive flock on the open file for as long as it is open, as the program's instance lock does
    // on the file it started with. False when another process holds one.
    bool lockFile();

    // Tells the user of a file moved under the connection (or replaced by DatabaseFile).
    void setNotice(std::function<void(const QString&)> notice) { m_notice = std::move(notice); }
    void notice(const QString& text) const
    {
        if (m_notice)
            m_notice(text);
    }

    // Used by the statements of this layer to report their failures on the connection.
    void setLastError(const QString& text) { m_lastError = text; }

private:
    // A write statement outside transaction() makes sure of the file first.
    friend class DbCommand;

    bool openSqlite(const QString& path);
    void closeSqlite();
    bool sameFile(const QString& path) const;
    // The statement of sql, prepared once per opening of the file; null with the error in lastError().
    QSqlQuery* prepared(const QString& sql);

    QString m_name;
    QString m_path;
    QString m_openedAt;
    QString m_lastError;
    Access m_access = Access::ReadWrite;
    int m_busyTimeoutMs = -1;
    QStringList m_pragmas;
    bool m_inTransaction = false;
    bool m_writeAhead = false;
    QHash<QString, QSqlQuery> m_statements;
    int m_fd = -1; // O_PATH on the open file: it names the file wherever it goes and holds no lock
    int m_lockFd = -1;
    quint64 m_device = 0;
    quint64 m_inode = 0;
    std::function<void(const QString&)> m_notice;
};

// A static cursor: the result is read whole when opened, so the statement never holds a lock afterwards.
class DbRecordset
{
public:
    bool open(DbConnection& db, const QString& sql, const QVariantList& binds = {});
    void close();
    bool isOpen() const { return m_open; }

    bool atEnd() const { return !m_open || m_pos < 0 || m_pos >= m_rows.size(); }
    void moveNext() { ++m_pos; }
    void movePrevious() { --m_pos; }
    void moveLast() { m_pos = static_cast<int>(m_rows.size()) - 1; }
    int recordCount() const { return static_cast<int>(m_rows.size()); }

    // A field of the current row by name, matched without regard to case; a null QVariant for SQL NULL.
    QVariant field(const QString& name) const;
    QString lastError() const { return m_lastError; }

private:
    bool m_open = false;
    int m_pos = -1;
    QStringList m_columns;
    QVector<QVariantList> m_rows;
    QString m_lastError;
};

// Executes statements that return no rows.
class DbCommand
{
public:
    void bind(DbConnection& db) { m_db = &db; }
    bool execute(const QString& sql, const QVariantList& binds = {});
    QString lastError() const { return m_lastError; }

private:
    DbConnection* m_db = nullptr;
    QString m_lastError;
};

// Date-times are stored as local time text, which sorts as time and is what SQLite's date functions read.
QString dbDateTime(const QDateTime& t);
QDateTime fromDbDateTime(const QVariant& v);
