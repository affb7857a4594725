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
        DbRecordset rs;
        ChartGrid grid;
        QString error;
        if (!buildChartGrid({true, ChartGrid::Look::Area, false, period}, t.db, rs, m_july20, grid, &error))
            qWarning("build failed: %s", qPrintable(error));
        return grid;
    }

    static QVector<double> row(const ChartGrid& g, int r) { return {g.value(r, 0), g.value(r, 1), g.value(r, 2)}; }

    FakeClock m_july20 {QDateTime(QDate(2002, 7, 20), QTime(9, 30))};

private Q_SLOTS:
    void daysPeriodsAndTheirEdges()
    {
        TempDatabase t;
        logKb(t, "2002-07-05", 1, 1572864); // before the fourteen days: not shown, but in its week
        QVERIFY(!build(t, ChartPeriod::Day).visible);
        const ChartGrid weeks = build(t, ChartPeriod::Week);
        QCOMPARE(std::tuple(weeks.rowLabels(), weeks.unit, weeks.value(0, 1)),
                 std::tuple(QStringList({"Wk 27"}), QString("GB"), 1.5));
        logKb(t, "2002-07-06", 1, 1); // exactly fourteen days back: the single row shown
        QCOMPARE(build(t, ChartPeriod::Day).rowLabels(), QStringList({"06/07"}));

        t.exec("DELETE FROM log WHERE date(DateAndTimeStart) = '2002-07-06'");
        logKb(t, "2002-07-08", 512, 1536);
        logKb(t, "2002-07-09", 1, 2);
        logKb(t, "2002-07-12", 3, 4);
        const ChartGrid g = build(t, ChartPeriod::Day);
        QCOMPARE(g.unit, QString("MB"));
        QCOMPARE(g.rowLabels(), QStringList({"08/07", "09/07", "10/07", "11/07", "12/07"}));
        QCOMPARE(row(g, 0), QVector<double>({0.5, 1.5, 2.0}));
        QCOMPARE(row(g, 2) + row(g, 3), QVector<double>(6, 0.0)); // the days without a record
        QCOMPARE(row(g, 4), QVector<double>({3.0 / 1024, 4.0 / 1024, 7.0 / 1024}));
        // ISO weeks, Monday to Sunday, numbered as calendars number them: 8 July 2002 begins week 28.
        QCOMPARE(build(t, ChartPeriod::Week).rowLabels(), QStringList({"Wk 27", "Wk 28"}));
        QCOMPARE(build(t, ChartPeriod::Year).rowLabels(), QStringList({"2002"}));

        // A record dated years ahead (a clock set wrong) does not stretch the chart past today.
        logKb(t, "2031-01-01", 1, 1);
        QCOMPARE(build(t, ChartPeriod::Day).rowLabels().mid(11), QStringList({"19/07", "20/07"}));
        t.exec("DELETE FROM log");
        QVERIFY(!build(t, ChartPeriod::Year).visible);
    }

    void twelveNewestPeriodsOldestFirst()
    {
        TempDatabase t;
        for (int m = 0; m < 20; ++m)
            logKb(t, QDate(2001, 1, 15).addMonths(m).toString(Qt::ISODate), m, 0);
        const ChartGrid g = build(t, ChartPeriod::Month);
        QCOMPARE(g.rowLabels().join(' '),
                 QString("09/2001 10/2001 11/2001 12/2001 01/2002 02/2002 03/2002 04/2002 "
                         "05/2002 06/2002 07/2002 08/2002"));
        QCOMPARE(std::pair(g.value(0, 0), g.value(11, 0)), std::pair(8.0 / 1048576, 19.0 / 1048576));
    }
};

QTEST_GUILESS_MAIN(TestChartBuild)
#include "tst_chartbuild.moc"
