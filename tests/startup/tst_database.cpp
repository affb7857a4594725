#include "DatabaseFile.h"
#include "Db.h"
#include "TempDatabase.h"

#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

class TestDatabase : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A file of an earlier version gets the program's own objects rebuilt from the log: sums that miss no row and
    // count none negative, the ISO week view, and the per-adapter log, where the rows from before have no records.
    // That log is the user's history too: one lost is made anew and the user told; one of a shape this version does
    // not know is kept under another name, never emptied. Each repair is made once.
    void fileIsBroughtUpToDate()
    {
        const char* const none = "SELECT count(*) FROM log_adapter#0";
        // {statements, each ending in ";"; what the user is told; a query on the repaired file # its answer}
        const std::tuple<QString, QString, QString> cases[] = {
            {"UPDATE log_day SET seconds = 0, speedseconds = 36000 - 40 * 3600;" // an earlier version's sums
             " DROP VIEW DownloadPerWeek; CREATE VIEW DownloadPerWeek AS SELECT strftime('%Y%W', day) AS ddate,"
             " 0 AS kbdown, 0 AS kbup, 0 AS avgdown FROM log_day; PRAGMA user_version = 1;",
             "", none},
            {"DROP TRIGGER log_adapter_row_delete; DROP TABLE log_adapter; DROP TABLE log_adapter_day;"
             " DROP VIEW AdapterPerday; DROP VIEW AdapterPerWeek; DROP VIEW AdapterPerMonth;"
             " DROP VIEW AdapterPerYear; ALTER TABLE open_period DROP COLUMN adapters; PRAGMA user_version = 2;",
             "", none},
            {"DROP TABLE log_adapter;", "was missing", none},
            {"DROP TABLE log_adapter; CREATE TABLE log_adapter (x, y); INSERT INTO log_adapter VALUES (1, 2);",
             "log_adapter_unknown", "SELECT x || ' ' || y FROM log_adapter_unknown#1 2"},
        };
        for (const auto& [change, note, kept] : cases) {
            TempDatabase t;
            t.addLogRow("2026-12-05 10:00:00", "2026-12-05 11:00:00", 0, 1024, 10);
            t.addLogRow("2026-12-05 13:00:00", "2026-12-05 12:00:00", 0, 1024, 40);
            for (const QString& sql : change.split(';', Qt::SkipEmptyParts))
                t.exec(sql);
            t.addLogRow("2026-12-05 14:00:00", "2026-12-05 15:00:00", 0, 1024, 10); // missed by lost sums
            t.db.close();
            QString error;
            QStringList notes;
            QVERIFY2(DatabaseFile::openOrCreate(t.db, t.path(), &error, &notes), qPrintable(error));
            QCOMPARE(notes.size(), note.isEmpty() ? 0 : 1);
            QVERIFY(note.isEmpty() || notes[0].contains(note));
            QCOMPARE(t.scalar(kept.section('#', 0, 0)).toString(), kept.section('#', 1));
            t.addLogRow("2026-12-05 16:00:00", "2026-12-05 17:00:00", 0, 1024, 10);
            QCOMPARE(t.scalar("SELECT ddate || ' ' || kbdown || ' ' || avgdown FROM DownloadPerWeek").toString(),
                     QString("202649 4.0 10.0"));
            QCOMPARE(t.scalar("SELECT kbdown || ' ' || avgdown FROM DownloadPerday").toString(), QString("4.0 10.0"));
            QCOMPARE(
                t.scalar("SELECT (SELECT count(*) FROM open_period) || ' ' || user_version FROM pragma_user_version")
                    .toString(),
                "0 " + QString::number(DatabaseFile::SchemaVersion));
            t.exec("INSERT INTO log_adapter SELECT max(rowid), '2026-12-05 16:00:00', 'usb0', 1024, 0 FROM log");
            QCOMPARE(t.scalar("SELECT adapter || ' ' || ddate || ' ' || kbdown FROM AdapterPerWeek").toString(),
                     QString("usb0 202649 1.0"));
            t.db.close();
            notes.clear();
            QVERIFY(DatabaseFile::openOrCreate(t.db, t.path(), &error, &notes));
            QVERIFY(notes.isEmpty()); // repaired once
        }
    }

    // Reading the whole file for damage would make every start as slow as the log is long; only a start after a run
    // that did not end cleanly (its open period is still saved) pays for the check.
    void damageIsLookedForAfterAnUncleanEndOnly()
    {
        for (bool unclean : {false, true}) {
            TempDatabase t;
            t.exec("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 2000)"
                   " INSERT INTO log SELECT '2002-12-04 08:00:00', '2002-12-04 09:00:00', i, i, 0 FROM n");
            if (unclean)
                t.exec("INSERT INTO open_period VALUES (1, '2002-12-04 09:00:00', '2002-12-04 09:01:00', 1, 2, 0, 1, "
                       "NULL)");
            const qint64 pageSize = t.scalar("PRAGMA page_size").toLongLong();
            const qint64 logRoot = t.scalar("SELECT rootpage FROM sqlite_master WHERE name = 'log'").toLongLong();
            t.db.close();
            QFile f(t.path());
            QVERIFY(f.open(QIODevice::ReadWrite) && f.seek((logRoot - 1) * pageSize));
            f.write(QByteArray(int(pageSize), '\0'));
            f.close();
            // A clean end opens the file, and the damaged page fails when read; an unclean one is refused as damaged.
            QCOMPARE(DatabaseFile::openOrCreate(t.db, t.path(), nullptr), !unclean);
        }
    }

    // Another program's database, and a named pipe (never opened, so never blocks): each is refused at once with a
    // reason naming it, and nothing at the path is changed or removed.
    void whatIsNotADatabaseFileIsRefusedAndKept()
    {
        for (const QString reason : {"tables are missing", "not a regular file"}) {
            QTemporaryDir dir;
            const QString path = dir.filePath("Zovodazad.mdb");
            if (reason.startsWith("tables")) {
                DbConnection other("other");
                QVERIFY(other.open(path));
                QSqlQuery(other.database()).exec("CREATE TABLE notes (t TEXT)");
            } else {
                QCOMPARE(::mkfifo(QFile::encodeName(path), 0600), 0);
            }
            const auto state = [&] {
                struct stat st = {};
                ::lstat(QFile::encodeName(path), &st);
                QFile f(path);
                const QByteArray bytes
                    = S_ISREG(st.st_mode) && f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
                return QString("%1 %2 ").arg(st.st_mode).arg(st.st_ino).toUtf8() + bytes;
            };
            const QByteArray before = state();
            DbConnection db("bad");
            QString error;
            QVERIFY(!DatabaseFile::openOrCreate(db, path, &error));
            QVERIFY2(!error.isEmpty() && error.contains(reason), qPrintable(error));
            QVERIFY(!db.isOpen());
            QCOMPARE(state(), before);
            QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot),
                     QStringList {"Zovodazad.mdb"});
        }
    }

    // A new file is built under another name and appears complete or not at all, so a start killed while it
    // creates the file leaves no empty file that every later start would refuse.
    void startKilledWhileCreatingLeavesNoFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("Zovodazad.mdb");
        const pid_t child = ::fork();
        if (child == 0) {
            // The first write past the limit kills the process, as a crash or a power cut would.
            const rlimit none = {0, 0};
            ::setrlimit(RLIMIT_FSIZE, &none);
            DbConnection db("dying");
            DatabaseFile::openOrCreate(db, path, nullptr);
            ::_exit(0);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ);
        QVERIFY(!QFileInfo::exists(path));
        DbConnection db("next");
        QString error;
        QVERIFY2(DatabaseFile::openOrCreate(db, path, &error), qPrintable(error));
    }
};

QTEST_GUILESS_MAIN(TestDatabase)
#include "tst_database.moc"
