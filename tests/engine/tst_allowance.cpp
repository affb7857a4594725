#include "AllowanceWatch.h"
#include "Clock.h"
#include "Notifier.h"
#include "Settings.h"
#include "TempDatabase.h"

#include <QtTest>

#include <tuple>

namespace {

constexpr double MB = 1024.0 * 1024.0;

// A row of the given megabytes, split between the two directions.
void addRow(TempDatabase& t, const QString& start, double mb)
{
    t.addLogRow(start, start, mb * MB / 4, mb * MB * 3 / 4);
}

Settings terms(double maxMb, qint32 count, qint32 type, qint32 billingDay = 1)
{
    Settings s;
    s.MaxMbSize = maxMb;
    s.LogPeriod = count;
    s.LogPeriodType = type;
    s.BillingDay = billingDay;
    return s;
}

} // namespace

class TestAllowance : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { QLocale::setDefault(QLocale::c()); }

    // MB logged and MaxMB, with 100 MB counted since the last row: the text and band.
    void remainder()
    {
        const std::tuple<double, double, const char*, AllowanceBand> cases[] = {
            {600, 1000, "300 MB (30.0 %) Left.", AllowanceBand::Green}, // exactly 30 % left is green
            {750, 1000, "150 MB (15.0 %) Left.", AllowanceBand::Orange}, // exactly 15 % left is orange
            {900, 1000, "0 MB Left.", AllowanceBand::UsedUp},
            {900.3, 1000, "0 MB Left.", AllowanceBand::UsedUp}, // an overrun under half a MB
            {500, 0, "", AllowanceBand::None}, // no allowance
        };
        for (const auto& [logged, maxMB, text, band] : cases) {
            const Remainder r = volumeLeft(terms(maxMB, 30, 0), QDateTime(QDate(2002, 11, 27), QTime(12, 0)), logged,
                                           quint64(100 * MB));
            QCOMPARE(std::make_pair(VolumeLeftText(r), r.band), std::make_pair(QString(text), band));
        }
        // A log that cannot be read leaves the figure unknown, never the whole allowance in green.
        const Remainder unknown
            = volumeLeft(terms(1000, 1, 0), QDateTime(QDate(2002, 11, 27), QTime(12, 0)), std::nullopt, 0);
        QCOMPARE(VolumeLeftText(unknown), QString("MB left unknown (log unreadable)."));
    }

    // The first day of the tracking window, from "today PeriodType PeriodCount billing-day start". Months start on
    // the billing day, the last day of a shorter month standing in for it; days and weeks ignore it.
    void windowStart()
    {
        for (const char* row :
             {"2026-12-05 2 0 1 2026-12-01", "2027-01-01 2 3 1 2026-11-01", "2026-12-05 2 1 17 2026-11-17",
              "2026-12-17 2 1 17 2026-12-17", "2027-02-27 2 1 29 2027-01-29", "2027-02-28 2 1 29 2027-02-28",
              "2028-03-15 2 1 31 2028-02-29", "2002-11-27 0 14 17 2002-11-13", "2002-11-27 1 2 31 2002-11-13"}) {
            const QStringList f = QString(row).split(' ');
            QCOMPARE(allowanceWindowStart(QDate::fromString(f[0], Qt::ISODate), allowanceInterval(f[1].toInt()),
                                          f[2].toInt(), f[3].toInt()),
                     QDate::fromString(f[4], Qt::ISODate));
        }
    }

    // The estimate (used ÷ time since the window's start, at least an hour, × its length) and the daily budget (left
    // ÷ days to the window's last day, today included) under a 1000 MB allowance. Row: "now type count billing-day
    // MB-used last-day estimate budget".
    void estimateAndBudget()
    {
        for (const char* row : {
                 "2026-12-01T00:30 2 1 1 10 2026-12-31 7440 31.93548", // first hour: counted as a whole hour
                 "2027-01-01T12:00 2 1 17 310 2027-01-16 620 43.125", // mid-window, across the year's end
                 "2027-01-16T18:00 2 1 17 615 2027-01-16 620 385", // last day
                 "2027-02-15T12:00 2 1 31 155 2027-02-27 280 65", // billing day 31 in February
                 "2027-01-01T12:00 2 1 17 1200 2027-01-16 2400 0", // overrun: nothing a day
                 "2027-01-01T12:00 0 30 1 100 2027-01-01 100 900", // a window of days ends today and holds its use
             }) {
            const QStringList f = QString(row).split(' ');
            const Remainder r = volumeLeft(terms(1000, f[2].toInt(), f[1].toInt(), f[3].toInt()),
                                           QDateTime::fromString(f[0], Qt::ISODate), f[4].toDouble(), 0);
            QCOMPARE(r.end, QDate::fromString(f[5], Qt::ISODate));
            QCOMPARE(r.estimateMB, f[6].toDouble());
            QVERIFY2(qAbs(r.dailyMB - f[7].toDouble()) < 1e-4, qPrintable(QString::number(r.dailyMB)));
        }
    }

    // A row that starts exactly at midnight at the window's start belongs to the window (the midnight split opens
    // every day's first row there); one a second earlier does not. Each row carries a
    // distinct power of two in MB, so the MB left name exactly which rows were counted. The log is summed again
    // when told, and when the day has changed; a preview does not move the watch.
    void loggedSum()
    {
        TempDatabase t;
        const char* starts[] = {"2002-08-31 23:59:59", "2002-09-01 00:00:00", "2002-09-01 00:00:01",
                                "2002-11-27 00:00:00", "2002-11-27 00:00:01"};
        for (int i = 0; i < 5; ++i)
            addRow(t, starts[i], 1 << i);
        FakeClock clock; // Wednesday 27 November 2002, 12:00
        FakeNotifier notifier;
        AllowanceWatch watch(t.db, clock, notifier);
        // {PeriodType, PeriodCount, billing day, MB counted, start of the window}
        const std::tuple<qint32, qint32, qint32, int, QDate> cases[] = {
            {2, 3, 1, 2 + 4 + 8 + 16, QDate(2002, 9, 1)},
            {2, 1, 27, 8 + 16, QDate(2002, 11, 27)},
            {7, 0, 1, 8 + 16, QDate(2002, 11, 27)}, // an unknown type counts days
        };
        for (const auto& [type, count, billingDay, counted, startDate] : cases) {
            watch.reload(terms(1000, count, type, billingDay), 0);
            QCOMPARE(std::make_pair(watch.remainder().leftMB, watch.remainder().start),
                     std::make_pair(1000.0 - counted, startDate));
        }
        addRow(t, "2002-11-27 09:00:00", 32);
        watch.setUnlogged(quint64(64 * MB));
        QCOMPARE(watch.remainder().leftMB, 1000.0 - 24 - 64);
        QCOMPARE(watch.whatIf(terms(2000, 0, 0), 0).leftMB, 2000.0 - 24 - 32);
        watch.reload(quint64(64 * MB));
        QCOMPARE(watch.remainder().leftMB, 1000.0 - 24 - 32 - 64);
        // Past midnight the window moves on and yesterday's rows drop out.
        clock.set(QDateTime(QDate(2002, 11, 28), QTime(0, 0, 30)));
        watch.checkDay();
        QCOMPARE(watch.remainder().leftMB, 1000.0 - 64);
        // An allowance on one adapter counts that adapter's records alone, from the window's first day.
        t.exec("INSERT INTO log_adapter VALUES (1, '2002-08-31 23:59:59', 'usb0', ?, 0), (2, '2002-09-01 00:00:00',"
               " 'usb0', ?, 0), (4, '2002-11-27 00:00:00', 'usb0', ?, 0), (4, '2002-11-27 00:00:00', 'eth0', ?, 0)",
               {MB, 2 * MB, 2 * MB, 6 * MB});
        Settings usb = terms(1000, 3, 2);
        usb.allowanceadapter = "usb0";
        watch.reload(usb, quint64(MB));
        QCOMPARE(watch.remainder().leftMB, 1000.0 - 2 - 2 - 1);
    }
};

QTEST_GUILESS_MAIN(TestAllowance)
#include "tst_allowance.moc"
