#include "DatabaseFile.h"
#include "TempDatabase.h"

#include <QRandomGenerator>
#include <QTest>
#include <cmath>

// The aggregate views read per-day sums kept by triggers; they must always agree with summing the log itself.
class TestLogSummary : public QObject
{
    Q_OBJECT

private:
    struct Key
    {
        const char* view;
        const char* key;
    };
    static constexpr Key Keys[] = {
        {"DownloadPerday", "date(DateAndTimeStart)"},
        {"DownloadPerWeek", "strftime('%Y%W', DateAndTimeStart)"},
        {"DownloadPerMonth", "strftime('%Y%m', DateAndTimeStart)"},
        {"DownloadPerYear", "strftime('%Y', DateAndTimeStart)"},
    };

    static QString directSql(const char* key)
    {
        return QStringLiteral(
                   "SELECT %1 AS ddate, sum(bytesrcvd) / 1024.0, sum(BytesSent) / 1024.0,"
                   " coalesce(sum(AvgDownloadSpeed * (unixepoch(DateAndTimeEnd) - unixepoch(DateAndTimeStart)))"
                   " / nullif(sum(unixepoch(DateAndTimeEnd) - unixepoch(DateAndTimeStart)), 0),"
                   " avg(AvgDownloadSpeed)) FROM log GROUP BY 1 ORDER BY 1")
            .arg(QLatin1String(key));
    }

    static QVector<QVariantList> rows(TempDatabase& t, const QString& sql)
    {
        QVector<QVariantList> out;
        QSqlQuery q(t.db.database());
        if (!q.exec(sql))
            qWarning("%s", qPrintable(q.lastError().text()));
        while (q.next())
            out.append({q.value(0), q.value(1).toDouble(), q.value(2).toDouble(), q.value(3).toDouble()});
        return out;
    }

    static bool close(double a, double b)
    {
        return std::abs(a - b) <= 1e-9 * std::max({1.0, std::abs(a), std::abs(b)});
    }

    static void verifyViewsMatchTheLog(TempDatabase& t)
    {
        for (const Key& k : Keys) {
            const QVector<QVariantList> expected = rows(t, directSql(k.key));
            const QVector<QVariantList> actual
                = rows(t,
                       QStringLiteral("SELECT ddate, kbdown, kbup, avgdown FROM %1 ORDER BY ddate")
                           .arg(QLatin1String(k.view)));
            QCOMPARE(actual.size(), expected.size());
            for (int i = 0; i < actual.size(); ++i) {
                QCOMPARE(actual[i][0], expected[i][0]);
                for (int c = 1; c < 4; ++c)
                    QVERIFY2(close(actual[i][c].toDouble(), expected[i][c].toDouble()),
                             qPrintable(QString("%1 row %2 column %3: %4 vs %5")
                                            .arg(k.view)
                                            .arg(i)
                                            .arg(c)
                                            .arg(actual[i][c].toDouble())
                                            .arg(expected[i][c].toDouble())));
            }
        }
    }

    static void addRandomRows(TempDatabase& t, int count, quint32 seed)
    {
        QRandomGenerator rng(seed);
        t.exec("BEGIN");
        for (int i = 0; i < count; ++i) {
            const QDateTime start
                = QDateTime(QDate(2001, 12, 20).addDays(rng.bounded(60)), QTime(0, 0)).addSecs(rng.bounded(86400));
            const QDateTime end = start.addSecs(rng.bounded(3) == 0 ? 0 : rng.bounded(7200));
            t.addLogRow(dbDateTime(start), dbDateTime(end), rng.bounded(1 << 30), rng.bounded(1 << 30),
                        rng.bounded(100000) / 10000.0);
        }
        t.exec("COMMIT");
    }

private Q_SLOTS:
    void insertsDeletesAndUpdatesKeepTheSums()
    {
        TempDatabase t;
        addRandomRows(t, 400, 1);
        verifyViewsMatchTheLog(t);

        t.exec("DELETE FROM log WHERE rowid % 3 = 0");
        verifyViewsMatchTheLog(t);

        // Moving rows to another day, and changing their sizes and speeds.
        t.exec("UPDATE log SET DateAndTimeStart = datetime(DateAndTimeStart, '+9 days'), bytesrcvd = bytesrcvd * 2,"
               " AvgDownloadSpeed = 1.5 WHERE rowid % 5 = 0");
        verifyViewsMatchTheLog(t);

        // A day whose last row goes away is gone from the views.
        t.exec("DELETE FROM log WHERE date(DateAndTimeStart) = (SELECT min(date(DateAndTimeStart)) FROM log)");
        verifyViewsMatchTheLog(t);

        // Rows whose start is not a date fall into a period of their own, as they do when summed directly.
        t.addLogRow("garbage", "2002-01-01 00:00:00", 1024, 2048, 3);
        verifyViewsMatchTheLog(t);
        QVERIFY(t.scalar("SELECT count(*) FROM DownloadPerday WHERE ddate IS NULL").toInt() == 1);

        t.exec("DELETE FROM log");
        QCOMPARE(t.scalar("SELECT count(*) FROM log_day").toInt(), 0);
        QCOMPARE(t.scalar("SELECT count(*) FROM DownloadPerYear").toInt(), 0);
    }

    void olderFileGetsTheSumsFromItsLog()
    {
        TempDatabase t;
        for (const char* sql : {"DROP VIEW DownloadPerday", "DROP VIEW DownloadPerWeek", "DROP TRIGGER log_day_insert",
                                "DROP TRIGGER log_day_delete", "DROP TRIGGER log_day_update", "DROP TABLE log_day"})
            t.exec(QLatin1String(sql));
        t.exec(directSql("date(DateAndTimeStart)").prepend("CREATE VIEW DownloadPerday AS ").remove(" ORDER BY 1"));
        addRandomRows(t, 200, 2);
        t.db.close();

        QString error;
        QVERIFY2(DatabaseFile::openOrCreate(t.db, t.path(), &error), qPrintable(error));
        QVERIFY(t.scalar("SELECT count(*) FROM log_day").toInt() > 0);
        verifyViewsMatchTheLog(t);
        addRandomRows(t, 50, 3);
        verifyViewsMatchTheLog(t);
    }
};

QTEST_GUILESS_MAIN(TestLogSummary)
#include "tst_logsummary.moc"
