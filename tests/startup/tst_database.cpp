#include "DatabaseFile.h"
#include "Db.h"
#include "TempDatabase.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

class TestDatabase : public QObject
{
    Q_OBJECT

private:
    static QByteArray digest(const QString& path)
    {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
    }

private Q_SLOTS:
    void newFileHasTablesViewsIndexAndVersion()
    {
        TempDatabase t;
        QCOMPARE(t.scalar(QStringLiteral("PRAGMA user_version")).toInt(), DatabaseFile::SchemaVersion);
        QSqlQuery q(t.db.database());
        QVERIFY(q.exec(QStringLiteral("SELECT name FROM pragma_table_info('log') ORDER BY cid")));
        QStringList cols;
        while (q.next())
            cols << q.value(0).toString();
        QCOMPARE(cols,
                 QStringList({"DateAndTimeStart", "DateAndTimeEnd", "BytesSent", "bytesrcvd", "AvgDownloadSpeed"}));
        for (const char* view : {"DownloadPerday", "DownloadPerWeek", "DownloadPerMonth", "DownloadPerYear"}) {
            QVERIFY2(q.exec(QStringLiteral("SELECT ddate, kbdown, kbup, avgdown FROM %1").arg(QLatin1String(view))),
                     view);
        }
        QCOMPARE(t.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type='index' AND tbl_name='log'"))
                     .toInt(),
                 1);
        // A reopened file keeps working without being recreated.
        t.db.close();
        QString error;
        QVERIFY2(DatabaseFile::openOrCreate(t.db, t.path(), &error), qPrintable(error));
    }

    void viewsSumPerPeriodInKilobytes()
    {
        TempDatabase t;
        t.addLogRow("2002-12-04 08:00:00", "2002-12-04 09:00:00", 2048, 1536000, 10);
        t.addLogRow("2002-12-04 10:00:00", "2002-12-04 12:00:00", 0, 0, 40);
        t.addLogRow("2002-12-30 10:00:00", "2002-12-30 11:00:00", 1024, 1024);
        t.addLogRow("2003-01-02 10:00:00", "2003-01-02 11:00:00", 1024, 1024);
        QCOMPARE(t.scalar("SELECT kbdown FROM DownloadPerday WHERE ddate = '2002-12-04'").toDouble(), 1500.0);
        QCOMPARE(t.scalar("SELECT kbup FROM DownloadPerday WHERE ddate = '2002-12-04'").toDouble(), 2.0);
        // The average is weighted by duration: one hour at 10 and two hours at 40.
        QCOMPARE(t.scalar("SELECT avgdown FROM DownloadPerday WHERE ddate = '2002-12-04'").toDouble(), 30.0);
        QCOMPARE(t.scalar("SELECT ddate FROM DownloadPerMonth ORDER BY ddate DESC").toString(), QString("200301"));
        QCOMPARE(t.scalar("SELECT ddate FROM DownloadPerYear ORDER BY ddate").toString(), QString("2002"));
        QCOMPARE(t.scalar("SELECT count(*) FROM DownloadPerYear").toInt(), 2);

        // Week keys end in the two-digit week number and sort by time across the new year.
        QSqlQuery q(t.db.database());
        QVERIFY(q.exec("SELECT ddate FROM DownloadPerWeek ORDER BY ddate DESC"));
        QStringList weeks;
        while (q.next())
            weeks << q.value(0).toString();
        QCOMPARE(weeks, QStringList({"200300", "200252", "200248"}));
    }

    void lostSummaryTriggerIsRebuiltFromTheLog()
    {
        TempDatabase t;
        t.addLogRow("2002-12-04 08:00:00", "2002-12-04 09:00:00", 0, 1536000);
        t.exec("DROP TRIGGER log_day_insert");
        t.addLogRow("2002-12-04 10:00:00", "2002-12-04 11:00:00", 0, 1024); // missed by the sums
        t.db.close();
        QString error;
        QVERIFY2(DatabaseFile::openOrCreate(t.db, t.path(), &error), qPrintable(error));
        QCOMPARE(t.scalar("SELECT kbdown FROM DownloadPerday").toDouble(), 1501.0);
        t.addLogRow("2002-12-04 12:00:00", "2002-12-04 13:00:00", 0, 1024);
        QCOMPARE(t.scalar("SELECT kbdown FROM DownloadPerday").toDouble(), 1502.0);
    }

    void zeroLengthPeriodsHaveAnAverage()
    {
        TempDatabase t;
        t.addLogRow("2002-12-04 08:00:00", "2002-12-04 08:00:00", 0, 0, 7);
        QCOMPARE(t.scalar("SELECT avgdown FROM DownloadPerday").toDouble(), 7.0);
    }

    void unusableFilesAreRefusedAndLeftAlone_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("random bytes") << QByteArray(4096, '\x5a');
        QTest::newRow("truncated database") << QByteArray("SQLite format 3\0", 16) + QByteArray(84, '\x01');
    }

    void unusableFilesAreRefusedAndLeftAlone()
    {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        const QString path = dir.filePath("Zovodazad.mdb");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        const QByteArray before = digest(path);

        DbConnection db("bad");
        QString error;
        QVERIFY(!DatabaseFile::openOrCreate(db, path, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!db.isOpen());
        QCOMPARE(digest(path), before);
        QCOMPARE(QFileInfo(path).size(), qint64(content.size()));
    }

    void foreignDatabaseAndFolderAreRefused()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("Zovodazad.mdb");
        {
            DbConnection other("other");
            QVERIFY(other.open(path));
            QSqlQuery(other.database()).exec("CREATE TABLE notes (t TEXT)");
        }
        const QByteArray before = digest(path);
        DbConnection db("bad");
        QString error;
        QVERIFY(!DatabaseFile::openOrCreate(db, path, &error));
        QVERIFY2(error.contains("tables"), qPrintable(error));
        QCOMPARE(digest(path), before);

        QVERIFY(QDir(dir.path()).mkdir("folder.mdb"));
        QVERIFY(!DatabaseFile::openOrCreate(db, dir.filePath("folder.mdb"), &error));
        QVERIFY(error.contains("folder"));
    }

    void recordsetIsAStaticCursorWithBoundValues()
    {
        TempDatabase t;
        DbCommand cmd;
        cmd.bind(t.db);
        const QString tricky = QStringLiteral("it's \"quoted\" 100% — ü");
        QVERIFY(cmd.execute("INSERT INTO settings (settingname, Settingvalue) VALUES (?, ?)", {"a", tricky}));
        QVERIFY(cmd.execute("INSERT INTO settings (settingname, Settingvalue) VALUES (?, ?)", {"b", QVariant()}));
        DbRecordset rs;
        QVERIFY(rs.open(t.db, "SELECT * FROM settings ORDER BY rowid"));
        QCOMPARE(rs.recordCount(), 2);
        QCOMPARE(rs.field("SETTINGVALUE").toString(), tricky);
        rs.moveLast();
        QVERIFY(rs.field("settingvalue").isNull());
        rs.movePrevious();
        QCOMPARE(rs.field("settingname").toString(), QString("a"));
        rs.movePrevious();
        QVERIFY(rs.atEnd());
        QVERIFY(!rs.open(t.db, "SELECT * FROM nowhere"));
        QVERIFY(!rs.lastError().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestDatabase)
#include "tst_database.moc"
