#include "Clock.h"
#include "TempDatabase.h"
#include "TrafficState.h"
#include "VolumeLeft.h"

#include <QtTest>

#include <tuple>

namespace {
constexpr double MB = 1024.0 * 1024.0;

// A row of the given megabytes, split between the two directions.
void addRow(TempDatabase& t, const QString& start, double mb)
{
    t.addLogRow(start, start, mb * MB / 4, mb * MB * 3 / 4);
}
} // namespace

class TestVolumeLeft : public QObject
{
    Q_OBJECT

    const FakeClock m_clock; // Wednesday 27 November 2002, 12:00
    const TrafficState m_state; // nothing counted since the last row

private Q_SLOTS:
    void init() { QLocale::setDefault(QLocale::c()); }

    void textAndColour()
    {
        // {MB logged, MaxMB, text and colour}; every case also has 100 MB counted since the last row.
        const std::tuple<double, double, const char*> cases[] = {
            {150.3, 1000, "750 MB (75.0 %) Left. #008000"},
            {800, 1000, "100 MB (10.0 %) Left. #ff0000"},
            {700, 1000, "200 MB (20.0 %) Left. #ff8000"},
            {600, 1000, "300 MB (30.0 %) Left. #008000"}, // exactly 30 % left is green
            {750, 1000, "150 MB (15.0 %) Left. #ff8000"}, // exactly 15 % left is orange
            {900, 1000, "0 MB Left. #ff0000"},
            {1100, 1000, "-200 MB Left. #ff0000"},
            {900.3, 1000, "0 MB Left. #ff0000"}, // an overrun under half a MB
            {0, 1000, "900 MB (90.0 %) Left. #008000"}, // empty log
            {500, 0, " unchanged"}, // no allowance
        };
        for (const auto& [logged, maxMB, expected] : cases) {
            TempDatabase t;
            if (logged > 0)
                addRow(t, "2002-11-10 08:00:00", logged);
            // Not yet logged is the difference between the current and the logged totals, in both directions.
            TrafficState state;
            state.LoggedBytesRcvd = state.LoggedBytesSent = 1e9;
            state.TotalBytesRcvd = state.TotalBytesSent = 1e9 + 50 * MB;
            VolumeLeft v(t.db, state, m_clock);
            QColor colour(1, 2, 3);
            const QString text = v.VolumeLeftText(maxMB, 30, "0", 1, &colour);
            QCOMPARE(text + ' ' + (colour.isValid() ? colour.name() : "unchanged"), QString(expected));
        }
    }

    // The first day of the tracking window, from "today PeriodType PeriodCount billing-day start". Months start on
    // the billing day, the last day of a shorter month standing in for it; days and weeks ignore it, and other types
    // count days.
    void windowStart_data()
    {
        QTest::addColumn<QString>("row");
        for (const char* row :
             {"2026-12-05 2 1 1 2026-12-01", "2026-12-05 2 0 1 2026-12-01", "2027-01-01 2 3 1 2026-11-01",
              "2026-12-05 2 1 17 2026-11-17", "2026-12-17 2 1 17 2026-12-17", "2027-01-16 2 2 17 2026-11-17",
              "2027-02-27 2 1 29 2027-01-29", "2027-02-28 2 1 29 2027-02-28", "2027-03-30 2 2 29 2027-02-28",
              "2028-02-29 2 1 29 2028-02-29", "2027-03-01 2 1 30 2027-02-28", "2028-04-30 2 2 30 2028-03-30",
              "2026-11-30 2 1 31 2026-11-30", "2026-11-29 2 1 31 2026-10-31", "2026-12-31 2 2 31 2026-11-30",
              "2028-03-15 2 1 31 2028-02-29", "2002-11-27 0 14 17 2002-11-13", "2002-11-27 1 2 31 2002-11-13",
              "2002-11-27 7 3 17 2002-11-24"})
            QTest::newRow(row) << QString(row);
    }

    void windowStart()
    {
        QFETCH(QString, row);
        const QStringList f = row.split(' ');
        QCOMPARE(allowanceWindowStart(QDate::fromString(f[0], Qt::ISODate), allowanceInterval(f[1]), f[2].toInt(),
                                      f[3].toInt()),
                 QDate::fromString(f[4], Qt::ISODate));
    }

    // Rows exactly at midnight at a window's start lie outside it; one second later they count. Each row carries a
    // distinct power of two in MB, so the MB left name exactly which rows were counted. The start is given even
    // when there is no allowance to show.
    void window()
    {
        TempDatabase t;
        const char* starts[] = {"2002-08-31 23:59:59", "2002-09-01 00:00:00", "2002-09-01 00:00:01",
                                "2002-11-27 00:00:00", "2002-11-27 00:00:01"};
        for (int i = 0; i < 5; ++i)
            addRow(t, starts[i], 1 << i);
        VolumeLeft v(t.db, m_state, m_clock);
        // {PeriodType, PeriodCount, billing day, MB counted, start of the window}
        const std::tuple<const char*, int, int, int, QDate> cases[] = {
            {"2", 3, 1, 4 + 8 + 16, QDate(2002, 9, 1)},
            {"2", 1, 27, 16, QDate(2002, 11, 27)},
            {"7", 0, 1, 16, QDate(2002, 11, 27)}, // an unknown type counts days
        };
        for (const auto& [type, count, billingDay, counted, startDate] : cases) {
            QDateTime start, bare;
            const QString text = v.VolumeLeftText(1000, count, type, billingDay, nullptr, &start);
            QCOMPARE(text.section(QLatin1Char(' '), 0, 0) + start.toString(" yyyy-MM-dd hh:mm"),
                     QString::number(1000 - counted) + startDate.toString(" yyyy-MM-dd 12:00"));
            QCOMPARE(v.VolumeLeftText(0, count, type, billingDay, nullptr, &bare), QString());
            QCOMPARE(bare, start);
        }
    }

    // The logged sum is kept between calls; every way the log can change must show at the next call. The numbers
    // take the locale's decimal separator but never a group separator.
    void loggedSumFollowsEveryChange()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        TempDatabase t;
        FakeClock clock;
        VolumeLeft v(t.db, m_state, clock);
        const auto left = [&v] { return v.VolumeLeftText(100000, 0, "0", 1); };
        QCOMPARE(left(), QStringLiteral("100000 MB (100,0 %) Left."));

        // Through this connection, past the database layer.
        addRow(t, "2002-11-27 09:00:00", 250.3);
        QCOMPARE(left(), QStringLiteral("99750 MB (99,7 %) Left."));
        // Through another connection, as another process would.
        TempDatabase other("other", QFileInfo(t.path()).path());
        other.addLogRow("2002-11-27 10:00:00", "2002-11-27 10:00:00", 0, 100 * MB);
        QCOMPARE(left(), QStringLiteral("99650 MB (99,6 %) Left."));
        // Past midnight the window moves on and yesterday's rows drop out.
        clock.set(QDateTime(QDate(2002, 11, 28), QTime(0, 0, 30)));
        QCOMPARE(left(), QStringLiteral("100000 MB (100,0 %) Left."));

        // A negative count is refused outright.
        QColor colour(1, 2, 3);
        QCOMPARE(v.VolumeLeftText(1000, -1, "0", 1, &colour), QString());
        QVERIFY(!colour.isValid());

        // A log that cannot be read leaves the figure unknown, never the whole allowance in green.
        t.db.close();
        const QString unknown = v.VolumeLeftText(1000, 0, "0", 1, &colour);
        QCOMPARE(unknown + ' ' + colour.name(), QStringLiteral("MB left unknown (log unreadable). #808080"));
    }
};

QTEST_GUILESS_MAIN(TestVolumeLeft)
#include "tst_volumeleft.moc"
