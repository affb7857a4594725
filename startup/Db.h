#pragma once

#include <QDateTime>
#include <QSqlDatabase>
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
    QString path() const { return m_path; }
    QString lastError() const { return m_lastError; }
    QSqlDatabase database() const;

    // How long a statement waits for a lock another connection holds before it fails.
    bool setBusyTimeout(int ms);

    // Runs body inside BEGIN IMMEDIATE ... COMMIT; rolls back when body returns false or a step fails.
    bool transaction(const std::function<bool()>& body);

    // False when the file at path() is no longer the one that was opened: deleted, or replaced by another file.
    bool isSameFile() const;

    // Used by the statements of this layer to report their failures on the connection.
    void setLastError(const QString& text) { m_lastError = text; }

private:
    QString m_name;
    QString m_path;
    QString m_lastError;
    quint64 m_device = 0;
    quint64 m_inode = 0;
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
