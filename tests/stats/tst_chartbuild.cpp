#include "ChartBuild.h"
#include "Clock.h"
#include "TempDatabase.h"

#include <QTest>

class TestChartBuild : public QObject
{
    Q_OBJECT

private:
    // A log row on a day of July 2002 with the given kilobytes.
    static void logKb(TempDatabase& t, const QString& day, double kbUp, double kbDown)
    {
        t.addLogRow(day + " 10:00:00", day + " 11:00:00", kbUp * 1024, kbDown * 1024);
    }

    static ChartGrid build(TempDatabase& t, const Clock& clock, ChartPeriod period, bool stack = false,
                           ChartGrid::Look look = ChartGrid::Look::Area)
    {
        ChartChoice choice;
        choice.period = period;
        choice.stackChecked = stack;
        choice.look = look;
        DbRecordset rs;
        ChartGrid grid;
        QString error;
        if (!buildChartGrid(choice, t.db, rs, clock, grid, &error))
            qWarning("build failed: %s", qPrintable(error));
        return grid;
    }

    static QStringList labels(const ChartGrid& grid) { return grid.rowLabels(); }

    FakeClock m_july20 {QDateTime(QDate(2002, 7, 20), QTime(9, 30))};

private Q_SLOTS:
    void dayPeriodStepsEveryDayWithZeroGaps()
    {
        TempDatabase t;
        logKb(t, "2002-07-05", 100, 100); // before the fourteen days: not shown
        logKb(t, "2002-07-08", 512, 1536);
        logKb(t, "2002-07-09", 1, 2);
        logKb(t, "2002-07-12", 3, 4);
        const ChartGrid g = build(t, m_july20, ChartPeriod::Day);
        QVERIFY(g.visible);
        QCOMPARE(g.unit, QString("MB"));
        QCOMPARE(labels(g), QStringList({"08/07", "09/07", "10/07", "11/07", "12/07"}));
        QCOMPARE(g.columnCount(), 3);
        QCOMPARE(g.columnLabel(0), QString("Upload"));
        QCOMPARE(g.columnLabel(1), QString("Download"));
        QCOMPARE(g.columnLabel(2), QString("Total"));
        QCOMPARE(g.value(0, 0), 0.5);
        QCOMPARE(g.value(0, 1), 1.5);
        QCOMPARE(g.value(0, 2), 2.0);
        QCOMPARE(g.value(4, 1), 4.0 / 1024);
        for (int row : {2, 3}) {
            for (int c = 0; c < 3; ++c)
                QCOMPARE(g.value(row, c), 0.0);
        }
    }

    void dayPeriodEdges()
    {
        TempDatabase t;
        logKb(t, "2002-07-06", 1, 1); // exactly fourteen days back: included
        ChartGrid g = build(t, m_july20, ChartPeriod::Day);
        QCOMPARE(labels(g), QStringList({"06/07"}));

        // A record dated years ahead (a clock set wrong) does not stretch the chart past today.
        logKb(t, "2031-01-01", 1, 1);
        g = build(t, m_july20, ChartPeriod::Day);
        QCOMPARE(g.rowCount(), 15);
        QCOMPARE(g.rowLabel(14), QString("20/07"));

        // Alone in the future it is the one row shown.
        TempDatabase only("only");
        logKb(only, "2031-01-01", 1, 1);
        g = build(only, m_july20, ChartPeriod::Day);
        QCOMPARE(labels(g), QStringList({"01/01"}));
        QCOMPARE(g.value(0, 0), 1.0 / 1024);
    }

    void emptyPeriodHidesTheChartUntilAPeriodHasRecords()
    {
        TempDatabase t;
        logKb(t, "2002-06-01", 1, 1572864);
        QVERIFY(!build(t, m_july20, ChartPeriod::Day).visible);
        const ChartGrid weeks = build(t, m_july20, ChartPeriod::Week);
        QVERIFY(weeks.visible);
        QCOMPARE(weeks.unit, QString("GB"));
        QCOMPARE(weeks.value(0, 1), 1.5);

        TempDatabase empty("empty");
        for (ChartPeriod p : {ChartPeriod::Day, ChartPeriod::Week, ChartPeriod::Month, ChartPeriod::Year})
            QVERIFY(!build(empty, m_july20, p).visible);
    }

    void periodLabels()
    {
        TempDatabase t;
        logKb(t, "2002-07-10", 0, 1); // week 27: weeks start on Monday, the days before the first one are week 00
        QCOMPARE(labels(build(t, m_july20, ChartPeriod::Week)), QStringList({"Wk 27"}));
        QCOMPARE(labels(build(t, m_july20, ChartPeriod::Month)), QStringList({"07/2002"}));
        QCOMPARE(labels(build(t, m_july20, ChartPeriod::Year)), QStringList({"2002"}));
    }

    void twelveNewestPeriodsOldestFirst()
    {
        TempDatabase t;
        for (int m = 0; m < 20; ++m)
            logKb(t, QDate(2001, 1, 15).addMonths(m).toString(Qt::ISODate), m, 0);
        const ChartGrid g = build(t, m_july20, ChartPeriod::Month);
        QCOMPARE(g.rowCount(), 12);
        QCOMPARE(g.rowLabel(0), QString("09/2001"));
        QCOMPARE(g.rowLabel(11), QString("08/2002"));
        QCOMPARE(g.value(0, 0), 8.0 / 1048576);
        QCOMPARE(g.value(11, 0), 19.0 / 1048576);
    }

    void stackingDecidesTheColumns()
    {
        TempDatabase t;
        logKb(t, "2002-07-19", 1, 2);
        ChartGrid g = build(t, m_july20, ChartPeriod::Day, true, ChartGrid::Look::Area);
        QVERIFY(g.stacked);
        QCOMPARE(g.columnCount(), 2);
        g = build(t, m_july20, ChartPeriod::Day, true, ChartGrid::Look::Line);
        QVERIFY(!g.stacked);
        QCOMPARE(g.columnCount(), 3);
        g = build(t, m_july20, ChartPeriod::Day, false, ChartGrid::Look::Bars);
        QVERIFY(!g.stacked);
        QCOMPARE(g.columnCount(), 3);
    }

    void typeCodes_data()
    {
        QTest::addColumn<bool>("threeD");
        QTest::addColumn<int>("look");
        QTest::addColumn<int>("code");
        QTest::newRow("3D area") << true << 0 << 4;
        QTest::newRow("3D line") << true << 1 << 2;
        QTest::newRow("3D bars") << true << 2 << 0;
        QTest::newRow("2D area") << false << 0 << 5;
        QTest::newRow("2D line") << false << 1 << 3;
        QTest::newRow("2D bars") << false << 2 << 1;
    }

    void typeCodes()
    {
        QFETCH(bool, threeD);
        QFETCH(int, look);
        QFETCH(int, code);
        const auto l = static_cast<ChartGrid::Look>(look);
        QCOMPARE(ChartGrid::typeCode(threeD, l), code);
        QCOMPARE(ChartGrid::isThreeD(code), threeD);
        QCOMPARE(ChartGrid::lookOf(code), l);
    }

    void databaseErrorHidesTheGrid()
    {
        TempDatabase t;
        logKb(t, "2002-07-19", 1, 2);
        t.exec("DROP VIEW DownloadPerMonth");
        ChartChoice choice;
        choice.period = ChartPeriod::Month;
        DbRecordset rs;
        ChartGrid grid;
        QString error;
        QVERIFY(!buildChartGrid(choice, t.db, rs, m_july20, grid, &error));
        QVERIFY(!grid.visible);
        QVERIFY2(error.contains("DownloadPerMonth", Qt::CaseInsensitive), qPrintable(error));
        QVERIFY(!rs.isOpen());
    }

    void gridKeepsCellsWhenResized()
    {
        ChartGrid g;
        g.setColumnCount(3);
        g.setRowCount(2);
        g.setValue(1, 1, 7.0);
        g.setColumnCount(2);
        QCOMPARE(g.value(1, 1), 7.0);
        g.setRowCount(3);
        QCOMPARE(g.value(2, 1), 0.0);
        QCOMPARE(g.rowLabel(2), QString());
    }
};

QTEST_GUILESS_MAIN(TestChartBuild)
#include "tst_chartbuild.moc"
