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

    static std::pair<ChartGrid, ChartPage> page(TempDatabase& t, ChartPeriod period, int back, const Clock& clock)
    {
        DbRecordset rs;
        ChartGrid grid;
        ChartPage page;
        QString error;
        if (!buildChartGrid({true, ChartGrid::Look::Area, false, period, back}, StatsSource::wholeLog(), t.db, rs,
                            clock, grid, page, &error))
            qWarning("build failed: %s", qPrintable(error));
        return {grid, page};
    }

    ChartGrid build(TempDatabase& t, ChartPeriod period) { return page(t, period, 0, m_july20).first; }

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

        // A record dated years ahead (a clock set wrong) does not stretch the day chart past today.
        logKb(t, "2031-01-01", 1, 1);
        QCOMPARE(build(t, ChartPeriod::Day).rowLabels().last(), QString("12/07"));
        t.exec("DELETE FROM log");
        QVERIFY(!build(t, ChartPeriod::Year).visible);
    }

    // Each view pages back by its own span, across year ends; the month view opens on the 12 newest months, so an
    // earlier page follows on from the oldest of them. The log: the 15th of every month of 2000 to 2002, and every
    // day from 20 December 2002 to 8 January 2003; today is 10 January 2003.
    void pagesBackBySpan()
    {
        TempDatabase t;
        for (int m = 0; m < 36; ++m)
            logKb(t, QDate(2000, 1, 15).addMonths(m).toString(Qt::ISODate), 1, 1);
        for (QDate d(2002, 12, 20); d <= QDate(2003, 1, 8); d = d.addDays(1))
            logKb(t, d.toString(Qt::ISODate), 1, 1);
        const FakeClock clock(QDateTime(QDate(2003, 1, 10), QTime(9, 30)));
        // {view, pages back, its first and last day, the first and the last row's label and how many rows, earlier}
        const std::tuple<ChartPeriod, int, QDate, QDate, QStringList, bool> cases[] = {
            {ChartPeriod::Day, 0, {2002, 12, 27}, {2003, 1, 10}, {"27/12", "08/01", "13"}, true},
            {ChartPeriod::Day, 1, {2002, 12, 12}, {2002, 12, 26}, {"15/12", "26/12", "12"}, true},
            {ChartPeriod::Week, 0, {2002, 5, 13}, {2003, 1, 12}, {"Wk 20", "Wk 02", "12"}, true},
            {ChartPeriod::Week, 1, {2002, 2, 18}, {2002, 5, 12}, {"Wk 11", "Wk 16", "2"}, true},
            {ChartPeriod::Month, 0, {2002, 2, 1}, {2003, 1, 31}, {"02/2002", "01/2003", "12"}, true},
            {ChartPeriod::Month, 3, {1999, 2, 1}, {2000, 1, 31}, {"01/2000", "01/2000", "1"}, false},
            {ChartPeriod::Year, 0, {2000, 1, 1}, {2003, 12, 31}, {"2000", "2003", "4"}, false},
            {ChartPeriod::Year, 1, {1988, 1, 1}, {1999, 12, 31}, {"", "", "0"}, false},
        };
        for (const auto& [period, back, first, last, rows, earlier] : cases) {
            const auto [grid, p] = page(t, period, back, clock);
            const QStringList labels = grid.rowLabels();
            QCOMPARE(std::tuple(p.first, p.last, p.earlier, grid.visible),
                     std::tuple(first, last, earlier, !labels.isEmpty()));
            QCOMPARE((QStringList {labels.value(0), labels.isEmpty() ? QString() : labels.last(),
                                   QString::number(labels.size())}),
                     rows);
        }
    }

    // The running month's total at the pace so far, on its row of the month view only: 8 MB logged in the first 9
    // days and 9.5 hours of a 31-day January.
    void estimatesTheRunningMonth()
    {
        TempDatabase t;
        for (int d = 1; d <= 8; ++d)
            logKb(t, QDate(2003, 1, d).toString(Qt::ISODate), 512, 512);
        logKb(t, "2002-12-31", 1024, 1024);
        const FakeClock clock(QDateTime(QDate(2003, 1, 10), QTime(9, 30)));
        const ChartPage months = page(t, ChartPeriod::Month, 0, clock).second;
        QCOMPARE(months.estimateRow, 1);
        QCOMPARE(months.estimate, 8.0 / 1024 * 31 * 24 / (9 * 24 + 9.5));
        QCOMPARE(page(t, ChartPeriod::Month, 1, clock).second.estimateRow, -1);
        QCOMPARE(page(t, ChartPeriod::Day, 0, clock).second.estimateRow, -1);
    }
};

QTEST_GUILESS_MAIN(TestChartBuild)
#include "tst_chartbuild.moc"
