#include "Clock.h"
#include "LogWriter.h"
#include "MessageBox.h"
#include "PeriodJournal.h"
#include "TempDatabase.h"
#include "TrafficState.h"

#include <QTest>

class TestPeriodJournal : public QObject
{
    Q_OBJECT

private:
    static QDateTime at(int h, int m, int s = 0) { return QDateTime(QDate(2002, 12, 4), QTime(h, m, s)); }

    static TrafficState period()
    {
        TrafficState s;
        s.PeriodStart = at(10, 0);
        s.LoggedBytesRcvd = 1000;
        s.TotalBytesRcvd = 51000;
        s.TotalBytesSent = 700;
        s.PeriodAvgDownSpeed = 12.5;
        s.PeriodSampleCount = 40;
        return s;
    }

private Q_SLOTS:
    void savesAtMostOnceAMinuteAndAtEveryNewPeriod()
    {
        TempDatabase t;
        PeriodJournal j(t.db);
        TrafficState s = period();
        j.tick(s, at(10, 0, 1));
        s.TotalBytesRcvd = 60000;
        j.tick(s, at(10, 0, 30)); // too soon: the saved volume stays
        QCOMPARE(t.scalar("SELECT bytesrcvd FROM open_period").toDouble(), 50000.0);
        j.tick(s, at(10, 1, 1));
        QCOMPARE(t.scalar("SELECT bytesrcvd FROM open_period").toDouble(), 59000.0);
        QCOMPARE(t.scalar("SELECT LastSave FROM open_period").toString(), dbDateTime(at(10, 1, 1)));
        s.PeriodStart = at(10, 1, 2);
        j.tick(s, at(10, 1, 2)); // a new period is saved at once
        QCOMPARE(t.scalar("SELECT DateAndTimeStart FROM open_period").toString(), dbDateTime(at(10, 1, 2)));
        s.TotalBytesRcvd = 70000;
        j.tick(s, at(9, 0)); // the clock went back: still saved
        QCOMPARE(t.scalar("SELECT bytesrcvd FROM open_period").toDouble(), 69000.0);
        QCOMPARE(t.scalar("SELECT count(*) FROM open_period").toInt(), 1);
    }

    void crashedPeriodBecomesOneRowEndingAtItsLastSave()
    {
        TempDatabase t;
        {
            PeriodJournal j(t.db);
            QVERIFY(j.save(period(), at(10, 42)));
        }
        PeriodJournal afterRestart(t.db);
        QVERIFY(afterRestart.recover());
        QVERIFY(afterRestart.recover()); // nothing left: no second row
        QCOMPARE(t.scalar("SELECT count(*) FROM log").toInt(), 1);
        QCOMPARE(t.scalar("SELECT DateAndTimeStart || '|' || DateAndTimeEnd || '|' || bytesrcvd || '|' || BytesSent"
                          " || '|' || AvgDownloadSpeed FROM log")
                     .toString(),
                 QString("2002-12-04 10:00:00|2002-12-04 10:42:00|50000.0|700.0|12.5"));
        QCOMPARE(t.scalar("SELECT count(*) FROM open_period").toInt(), 0);
    }

    void writtenRowRemovesTheSavedPeriodAtomically()
    {
        TempDatabase t;
        TrafficState s = period();
        FakeClock clock(at(11, 0));
        FakeMessageBoxes boxes;
        LogWriter w(t.db, s, clock, boxes);
        PeriodJournal j(t.db);
        QVERIFY(j.save(s, at(10, 59)));
        QVERIFY(w.WriteLogRow());
        QCOMPARE(t.scalar("SELECT count(*) FROM open_period").toInt(), 0);

        // When the row cannot be written, the saved period must stay for the next start.
        QVERIFY(j.save(s, at(11, 0)));
        t.exec("DROP TABLE log");
        QVERIFY(!w.WriteLogRow());
        QCOMPARE(t.scalar("SELECT count(*) FROM open_period").toInt(), 1);
    }
};

QTEST_GUILESS_MAIN(TestPeriodJournal)
#include "tst_periodjournal.moc"
