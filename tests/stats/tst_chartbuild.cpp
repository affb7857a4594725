#include "ChartBuild.h"
#include "Clock.h"
#include "TempDatabase.h"

#include <QTest>

class TestChartBuild : public QObject
{
    Q_OBJECT

private:
    // A log row on the given day with the given kilobytes.
    static void logKb(TempDatabase& t, const QString& day, double kbUp, double kbDown)
    {
        t.addLogRow(day + " 10:00:00", day + " 11:00:00", kbUp * 1024, kbDown * 1024);
    }

    ChartGrid build(TempDatabase& t, ChartPeriod period)
    {
        ChartChoice choice;
        choice.period = period;
        DbRecordset rs;
        ChartGrid grid;
        QString error;
        if (!buildChartGrid(choice, t.db, rs, m_july20, grid, &error))
            qWarning("build failed: %s", qPrintable(error));
        return grid;
    }

    FakeClock m_july20 {QDateTime(QDate(2002, 7, 20), QTime(9, 30))};

private Q_SLOTS:
    void daysStepEveryDayAndPeriodsAreLabelled()
    {
        TempDatabase t;
        logKb(t, "2002-07-05", 100, 100); // before the fourteen days: not shown
        logKb(t, "2002-07-08", 512, 1536);
        logKb(t, "2002-07-09", 1, 2);
        logKb(t, "2002-07-12", 3, 4);
        const ChartGrid g = build(t, ChartPeriod::Day);
        QVERIFY(g.visible);
        QCOMPARE(g.unit, QString("MB"));
        QCOMPARE(g.rowLabels(), QStringList({"08/07", "09/07", "10/07", "11/07", "12/07"}));
        QCOMPARE(g.value(0, 0), 0.5);
        QCOMPARE(g.value(0, 1), 1.5);
        QCOMPARE(g.value(0, 2), 2.0);
        QCOMPARE(g.value(4, 1), 4.0 / 1024);
        QCOMPARE(g.value(2, 2), 0.0); // the days without a record
        QCOMPARE(g.value(3, 2), 0.0);

        // Weeks start on Monday (the days before the first one are week 00): 5 July is in week 26, the rest in 27.
        QCOMPARE(build(t, ChartPeriod::Week).rowLabels(), QStringList({"Wk 26", "Wk 27"}));
        QCOMPARE(build(t, ChartPeriod::Month).rowLabels(), QStringList({"07/2002"}));
        QCOMPARE(build(t, ChartPeriod::Year).rowLabels(), QStringList({"2002"}));
    }

    void edgesOfTheFourteenDays()
    {
        TempDatabase t;
        logKb(t, "2002-07-05", 1, 1572864);
        QVERIFY(!build(t, ChartPeriod::Day).visible);
        const ChartGrid weeks = build(t, ChartPeriod::Week);
        QVERIFY(weeks.visible);
        QCOMPARE(weeks.unit, QString("GB"));
        QCOMPARE(weeks.value(0, 1), 1.5);

        logKb(t, "2002-07-06", 1, 1); // exactly fourteen days back: the single row shown
        QCOMPARE(build(t, ChartPeriod::Day).rowLabels(), QStringList({"06/07"}));
        // A record dated years ahead (a clock set wrong) does not stretch the chart past today.
        logKb(t, "2031-01-01", 1, 1);
        const ChartGrid g = build(t, ChartPeriod::Day);
        QCOMPARE(g.rowCount(), 15);
        QCOMPARE(g.rowLabel(14), QString("20/07"));

        TempDatabase empty("empty");
        for (ChartPeriod p : {ChartPeriod::Week, ChartPeriod::Month, ChartPeriod::Year})
            QVERIFY(!build(empty, p).visible);
    }

    void twelveNewestPeriodsOldestFirst()
    {
        TempDatabase t;
        for (int m = 0; m < 20; ++m)
            logKb(t, QDate(2001, 1, 15).addMonths(m).toString(Qt::ISODate), m, 0);
        const ChartGrid g = build(t, ChartPeriod::Month);
        QCOMPARE(g.rowCount(), 12);
        QCOMPARE(g.rowLabel(0), QString("09/2001"));
        QCOMPARE(g.rowLabel(11), QString("08/2002"));
        QCOMPARE(g.value(0, 0), 8.0 / 1048576);
        QCOMPARE(g.value(11, 0), 19.0 / 1048576);
    }

    void typeCodes()
    {
        using L = ChartGrid::Look;
        const struct
        {
            bool threeD;
            L look;
            int code;
        } cases[] = {{true, L::Area, 4},  {true, L::Line, 2},  {true, L::Bars, 0},
                     {false, L::Area, 5}, {false, L::Line, 3}, {false, L::Bars, 1}};
        for (const auto& c : cases) {
            QCOMPARE(ChartGrid::typeCode(c.threeD, c.look), c.code);
            QCOMPARE(ChartGrid::isThreeD(c.code), c.threeD);
            QCOMPARE(ChartGrid::lookOf(c.code), c.look);
        }
    }
};

QTEST_GUILESS_MAIN(TestChartBuild)
#include "tst_chartbuild.moc"
