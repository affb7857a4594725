#pragma once

#include "DatabaseFile.h"
#include "Db.h"

#include <QDir>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

// A fresh traffic database in its own temporary directory, opened on a connection of its own.
class TempDatabase
{
public:
    // folder: where the file goes instead of a fresh temporary directory (for a special file system).
    explicit TempDatabase(const QString& connectionName = QStringLiteral("test"), const QString& folder = {})
        : m_folder(folder)
        , db(connectionName)
    {
        QString error;
        if (!DatabaseFile::openOrCreate(db, path(), &error))
            qFatal("cannot create the test database: %s", qPrintable(error));
        // No fsync per row: tests that log hundreds of rows stay quick, and no test outlives a power cut.
        exec(QStringLiteral("PRAGMA synchronous = OFF"));
    }

    QString path() const { return QDir(m_folder.isEmpty() ? dir.path() : m_folder).filePath("Zovodazad.mdb"); }

    // Runs one statement with bound values; fails the test on error.
    void exec(const QString& sql, const QVariantList& binds = {})
    {
        QSqlQuery q(db.database());
        QVERIFY2(q.prepare(sql), qPrintable(q.lastError().text()));
        for (const QVariant& v : binds)
            q.addBindValue(v);
        QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
    }

    QVariant scalar(const QString& sql, const QVariantList& binds = {})
    {
        QSqlQuery q(db.database());
        q.prepare(sql);
        for (const QVariant& v : binds)
            q.addBindValue(v);
        return q.exec() && q.next() ? q.value(0) : QVariant();
    }

    // Every log row as "start|end|sent|rcvd|avg", one a line, in the order written.
    QString logRows()
    {
        return scalar("SELECT group_concat(DateAndTimeStart || '|' || DateAndTimeEnd || '|' || BytesSent || '|'"
                      " || bytesrcvd || '|' || AvgDownloadSpeed, char(10)) FROM (SELECT * FROM log ORDER BY rowid)")
            .toString();
    }

    void addLogRow(const QString& start, const QString& end, double sent, double rcvd, double avg = 0)
    {
        exec(QStringLiteral("INSERT INTO log VALUES (?, ?, ?, ?, ?)"), {start, end, sent, rcvd, avg});
    }

    QTemporaryDir dir;
    QString m_folder;
    DbConnection db;
};
