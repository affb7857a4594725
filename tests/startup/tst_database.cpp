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
    void newFileHasItsSchemaAndReopens()
    {
        TempDatabase t;
        QCOMPARE(t.scalar("PRAGMA user_version").toInt(), DatabaseFile::SchemaVersion);
        // The reset inserts by position, so the order of the columns matters.
        QCOMPARE(t.scalar("SELECT group_concat(name) FROM pragma_table_info('log')").toString(),
                 QString("DateAndTimeStart,DateAndTimeEnd,BytesSent,bytesrcvd,AvgDownloadSpeed"));
        t.db.close();
        QString error;
        QVERIFY2(DatabaseFile::openOrCreate(t.db, t.path(), &error), qPrintable(error));
    }

    void viewsSumPerPeriodInKilobytes()
    {
        TempDatabase t;
        t.addLogRow("2002-12-04 08:00:00", "2002-12-04 09:00:00", 2048, 1536000, 10);
        t.addLogRow("2002-12-04 10:00:00", "2002-12-04 12:00:00", 0, 0, 40);
        t.addLogRow("2002-12-30 10:00:00", "2002-12-30 10:00:00", 1024, 1024, 7); // zero length
        t.addLogRow("2003-01-02 10:00:00", "2003-01-02 11:00:00", 1024, 1024);
        // The average is weighted by duration (one hour at 10, two at 40), or plain when no time passed.
        QCOMPARE(t.scalar("SELECT group_concat(ddate || ' ' || kbdown || ' ' || kbup || ' ' || avgdown, '; ')"
                          " FROM (SELECT * FROM DownloadPerday ORDER BY ddate)")
                     .toString(),
                 QString("2002-12-04 1500.0 2.0 30.0; 2002-12-30 1.0 1.0 7.0; 2003-01-02 1.0 1.0 0.0"));
        // Keys sort by time; week keys end in the two-digit week number, across the new year too.
        QCOMPARE(t.scalar("SELECT group_concat(ddate) FROM (SELECT ddate FROM DownloadPerWeek ORDER BY ddate DESC)")
                     .toString(),
                 QString("200300,200252,200248"));
        QCOMPARE(
            t.scalar("SELECT group_concat(ddate) FROM (SELECT ddate FROM DownloadPerMonth ORDER BY ddate)").toString(),
            QString("200212,200301"));
        QCOMPARE(
            t.scalar("SELECT group_concat(ddate) FROM (SELECT ddate FROM DownloadPerYear ORDER BY ddate)").toString(),
            QString("2002,2003"));
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
