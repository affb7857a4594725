#include "Clock.h"
#include "LogWriter.h"
#include "MessageBox.h"
#include "TempDatabase.h"
#include "TrafficState.h"

#include <QFile>
#include <QTest>

class TestLogWriter : public QObject
{
    Q_OBJECT

private:
    static QDateTime at(int day, int h, int m, int s = 0) { return QDateTime(QDate(2002, 12, day), QTime(h, m, s)); }

    struct Row
    {
        QString start, end;
        double sent, rcvd, avg;
    };
    static QVector<Row> rows(TempDatabase& t)
    {
        QVector<Row> out;
        QSqlQuery q(t.db.database());
        q.exec("SELECT * FROM log ORDER BY rowid");
        while (q.next())
            out.append({q.value(0).toString(), q.value(1).toString(), q.value(2).toDouble(), q.value(3).toDouble(),
                        q.value(4).toDouble()});
        return out;
    }

private Q_SLOTS:
    void midnightRule_data()
    {
        QTest::addColumn<QDateTime>("start");
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QString>("rowEnd");
        QTest::addColumn<QDateTime>("nextStart");
        QTest::newRow("crossed midnight, written at 00:00:30")
            << at(4, 22, 10) << at(5, 0, 0, 30) << "2002-12-04 23:59:59" << at(5, 0, 0);
        QTest::newRow("minute 1 is too late for the rule")
            << at(4, 22, 10) << at(5, 0, 1) << "2002-12-05 00:01:00" << at(5, 0, 1);
        QTest::newRow("same day at 00:00")
            << at(5, 0, 0, 10) << at(5, 0, 0, 40) << "2002-12-05 00:00:40" << at(5, 0, 0, 40);
        QTest::newRow("noon is never midnight") << at(4, 9, 0) << at(6, 12, 0) << "2002-12-06 12:00:00" << at(6, 12, 0);
    }

    void midnightRule()
    {
        QFETCH(QDateTime, start);
        QFETCH(QDateTime, now);
        QFETCH(QString, rowEnd);
        QFETCH(QDateTime, nextStart);
        TempDatabase t;
        TrafficState s;
        FakeClock clock(now);
        FakeMessageBoxes boxes;
        LogWriter w(t.db, s, clock, boxes);
        s.PeriodStart = start;
        QVERIFY(w.WriteLogRow());
        const auto r = rows(t);
        QCOMPARE(r.size(), 1);
        QCOMPARE(r[0].start, dbDateTime(start));
        QCOMPARE(r[0].end, rowEnd);
        QCOMPARE(s.PeriodStart, nextStart);
    }

    void rowHoldsThePeriodAndResetsIt()
    {
        TempDatabase t;
        TrafficState s;
        FakeClock clock(at(4, 12, 0));
        FakeMessageBoxes boxes;
        LogWriter w(t.db, s, clock, boxes);
        s.PeriodStart = at(4, 11, 0);
        s.TotalBytesSent = 5000;
        s.TotalBytesRcvd = 90000;
        s.LoggedBytesSent = 1000;
        s.LoggedBytesRcvd = 10000;
        s.PrevBytesRcvd = s.PrevBytesSent = 1;
        s.PeriodAvgDownSpeed = 12.34567;
        s.PeriodSampleCount = 9;
        QVERIFY(w.WriteLogRow());
        clock.advanceMs(1000);
        QVERIFY(w.WriteLogRow()); // back to back: the second row is empty and starts where the first ended

        const auto r = rows(t);
        QCOMPARE(r.size(), 2);
        QCOMPARE(r[0].sent, 4000.0);
        QCOMPARE(r[0].rcvd, 80000.0);
        QCOMPARE(r[0].avg, 12.3457);
        QCOMPARE(r[1].start, r[0].end);
        QCOMPARE(r[1].sent, 0.0);
        QCOMPARE(r[1].rcvd, 0.0);
        QCOMPARE(s.LoggedBytesRcvd, 90000.0);
        QCOMPARE(s.PrevBytesRcvd, 0.0);
        QCOMPARE(s.PrevBytesSent, 0.0);
        QCOMPARE(s.PeriodSampleCount, 0.0);
        QCOMPARE(s.PeriodAvgDownSpeed.units(), 0);
        QVERIFY(boxes.shown.isEmpty());
    }

    void failedWriteKeepsTrafficPendingAndTellsOnce()
    {
        TempDatabase t;
        TrafficState s;
        FakeClock clock(at(4, 12, 0));
        FakeMessageBoxes boxes;
        LogWriter w(t.db, s, clock, boxes);
        s.PeriodStart = at(4, 11, 0);
        s.TotalBytesRcvd = 700;
        t.exec("PRAGMA query_only = ON");
        QVERIFY(!w.WriteLogRow());
        s.TotalBytesRcvd = 900;
        QVERIFY(!w.WriteLogRow());
        QCOMPARE(boxes.shown.size(), 1);
        QVERIFY(!boxes.shown[0].modal);
        QCOMPARE(boxes.shown[0].icon, MessageBoxes::Icon::Critical);
        QCOMPARE(s.PeriodStart, at(4, 11, 0));
        QCOMPARE(s.LoggedBytesRcvd, 0.0);

        t.exec("PRAGMA query_only = OFF");
        QVERIFY(w.WriteLogRow());
        const auto r = rows(t);
        QCOMPARE(r.size(), 1);
        QCOMPARE(r[0].rcvd, 900.0);
        QCOMPARE(r[0].start, QString("2002-12-04 11:00:00"));

        // A later failure is reported again: the user heard the problem was over.
        t.exec("PRAGMA query_only = ON");
        QVERIFY(!w.WriteLogRow());
        QCOMPARE(boxes.shown.size(), 2);
    }

    void deletedOrReplacedFileIsReopenedBeforeTheRow()
    {
        TempDatabase t;
        TrafficState s;
        FakeClock clock(at(4, 12, 0));
        FakeMessageBoxes boxes;
        LogWriter w(t.db, s, clock, boxes);
        s.TotalBytesRcvd = 100;
        QVERIFY(QFile::remove(t.path()));
        QVERIFY(w.WriteLogRow()); // a new, empty database takes the row
        QVERIFY(QFile::exists(t.path()));
        QCOMPARE(t.scalar("SELECT count(*) FROM log").toInt(), 1);

        // A file put in its place that is not a database is never overwritten; the traffic stays pending.
        QVERIFY(QFile::remove(t.path()));
        QFile junk(t.path());
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("restored from the wrong backup");
        junk.close();
        s.TotalBytesRcvd = 300;
        QVERIFY(!w.WriteLogRow());
        QCOMPARE(boxes.shown.size(), 1);
        QVERIFY(QFile::remove(t.path()));
        QVERIFY(w.WriteLogRow());
        QCOMPARE(t.scalar("SELECT bytesrcvd FROM log").toDouble(), 200.0);
    }
};

QTEST_GUILESS_MAIN(TestLogWriter)
#include "tst_logwriter.moc"
