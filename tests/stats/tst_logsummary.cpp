#include "TempDatabase.h"

#include <QRandomGenerator>
#include <QTest>

// The aggregate views read per-day sums kept by triggers; they must always agree with summing the log itself.
class TestLogSummary : public QObject
{
    Q_OBJECT

private:
    // The rows of the four views that differ from summing the log directly by the view's key, either way round. The
    // kilobytes are sums of whole bytes, so they must match exactly; the weighted average only to rounding. A row
    // that ends before it starts has no length; the week is the ISO week of the Thursday in it.
    static QVariant mismatches(TempDatabase& t)
    {
        const QString direct = QStringLiteral(
            "SELECT %1 AS ddate, sum(bytesrcvd) / 1024.0 AS kbdown, sum(BytesSent) / 1024.0 AS kbup,"
            " coalesce(sum(AvgDownloadSpeed * max(unixepoch(DateAndTimeEnd) - unixepoch(DateAndTimeStart), 0))"
            " / nullif(sum(max(unixepoch(DateAndTimeEnd) - unixepoch(DateAndTimeStart), 0)), 0),"
            " avg(AvgDownloadSpeed)) AS avgdown FROM log WHERE date(DateAndTimeStart) IS NOT NULL GROUP BY 1");
        const QString count
            = QStringLiteral("(SELECT count(*) FROM (%1) d FULL JOIN %2 v ON d.ddate IS v.ddate WHERE d.kbdown IS NULL"
                             " OR v.kbdown IS NULL OR d.kbdown <> v.kbdown OR d.kbup <> v.kbup"
                             " OR abs(d.avgdown - v.avgdown) > 1e-9 * max(1, abs(d.avgdown)))");
        QStringList counts;
        for (const QString viewAndKey :
             {"DownloadPerday date(DateAndTimeStart)",
              "DownloadPerWeek strftime('%Y',date(DateAndTimeStart,'-3 days','weekday 4'))"
              "||printf('%02d',(strftime('%j',date(DateAndTimeStart,'-3 days','weekday 4'))+6)/7)",
              "DownloadPerMonth strftime('%Y%m', DateAndTimeStart)",
              "DownloadPerYear strftime('%Y', DateAndTimeStart)"})
            counts.append(count.arg(direct.arg(viewAndKey.section(' ', 1, -1)), viewAndKey.section(' ', 0, 0)));
        return t.scalar("SELECT " + counts.join(" + "));
    }

private Q_SLOTS:
    void insertsDeletesAndUpdatesKeepTheSums()
    {
        TempDatabase t;
        QRandomGenerator rng(1);
        t.exec("BEGIN");
        for (int i = 0; i < 400; ++i) {
            const QDateTime start = QDateTime(QDate(2001, 12, 20), QTime(0, 0)).addSecs(rng.bounded(60 * 86400));
            const QDateTime end = start.addSecs(rng.bounded(3) == 0 ? 0 : rng.bounded(7200) - 600);
            t.addLogRow(dbDateTime(start), dbDateTime(end), rng.bounded(1 << 30), rng.bounded(1 << 30),
                        rng.bounded(100000) / 10000.0);
        }
        t.exec("COMMIT");
        QCOMPARE(mismatches(t), QVariant(0));

        const char* changes[] = {
            "DELETE FROM log WHERE rowid % 3 = 0",
            // Moving rows to another day, and changing their sizes and speeds.
            "UPDATE log SET DateAndTimeStart = datetime(DateAndTimeStart, '+9 days'), bytesrcvd = bytesrcvd * 2,"
            " AvgDownloadSpeed = 1.5 WHERE rowid % 5 = 0",
            // A row whose start is not a date belongs to no period.
            "INSERT INTO log VALUES ('garbage', '2002-01-01 00:00:00', 1024, 2048, 3)",
            // A day whose last row goes away is gone from the views.
            "DELETE FROM log WHERE date(DateAndTimeStart) = (SELECT min(date(DateAndTimeStart)) FROM log)",
        };
        for (const char* change : changes) {
            t.exec(change);
            QVERIFY2(mismatches(t) == QVariant(0), change);
        }
    }
};

QTEST_GUILESS_MAIN(TestLogSummary)
#include "tst_logsummary.moc"
