#include "Clock.h"
#include "TempDatabase.h"
#include "TrafficState.h"
#include "VolumeLeft.h"

#include <QtTest>

namespace {
constexpr double MB = 1024.0 * 1024.0;
const QColor Red(255, 0, 0);
const QColor Orange(255, 128, 0);
const QColor Green(0, 128, 0);

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

    // Every case also has 100 MB counted since the last row.
    void textAndColour_data()
    {
        QTest::addColumn<double>("logged");
        QTest::addColumn<double>("maxMB");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QColor>("colour");

        QTest::newRow("green") << 150.3 << 1000.0 << "750 MB (75.0 %) Left." << Green;
        QTest::newRow("red below 15 %") << 800.0 << 1000.0 << "100 MB (10.0 %) Left." << Red;
        QTest::newRow("orange") << 700.0 << 1000.0 << "200 MB (20.0 %) Left." << Orange;
        QTest::newRow("exactly 30 % left is green") << 600.0 << 1000.0 << "300 MB (30.0 %) Left." << Green;
        QTest::newRow("exactly 15 % left is orange") << 750.0 << 1000.0 << "150 MB (15.0 %) Left." << Orange;
        QTest::newRow("used up") << 900.0 << 1000.0 << "0 MB Left." << Red;
        QTest::newRow("overrun") << 1100.0 << 1000.0 << "-200 MB Left." << Red;
        QTest::newRow("overrun under half a MB") << 900.3 << 1000.0 << "0 MB Left." << Red;
        QTest::newRow("empty log") << 0.0 << 1000.0 << "900 MB (90.0 %) Left." << Green;
        QTest::newRow("no allowance") << 500.0 << 0.0 << "" << QColor();
    }

    void textAndColour()
    {
        QFETCH(double, logged);
        QFETCH(double, maxMB);
        QFETCH(QString, text);
        QFETCH(QColor, colour);
        TempDatabase t;
        if (logged > 0)
            addRow(t, "2002-11-10 08:00:00", logged);
        // What is not yet logged is the difference between the current and the logged totals, in both directions.
        TrafficState state;
        state.LoggedBytesRcvd = state.LoggedBytesSent = 1e9;
        state.TotalBytesRcvd = state.TotalBytesSent = 1e9 + 50 * MB;
        VolumeLeft v(t.db, state, m_clock);
        QColor shown(1, 2, 3);
        QCOMPARE(v.VolumeLeftText(maxMB, 30, "0", &shown), text);
        QCOMPARE(shown, colour);
    }

    void localeDecimalSeparatorWithoutGrouping()
    {
        TempDatabase t;
        addRow(t, "2002-11-27 08:00:00", 250.3);
        VolumeLeft v(t.db, m_state, m_clock);
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(v.VolumeLeftText(1000, 0, "0"), QStringLiteral("750 MB (75,0 %) Left."));
        QCOMPARE(v.VolumeLeftText(100000, 0, "0"), QStringLiteral("99750 MB (99,7 %) Left."));
    }

    // Each row carries a distinct power of two in MB, so the MB left name exactly which rows were counted.
    void window_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("counted");
        QTest::addColumn<QDate>("startDate");

        QTest::newRow("this month") << "2" << 0 << (16 + 32 + 64 + 128 + 256) << QDate(2002, 11, 1);
        QTest::newRow("two months") << "2" << 2 << (4 + 8 + 16 + 32 + 64 + 128 + 256) << QDate(2002, 9, 1);
        QTest::newRow("fourteen days") << "0" << 14 << (64 + 128 + 256) << QDate(2002, 11, 13);
        QTest::newRow("two weeks") << "1" << 2 << (64 + 128 + 256) << QDate(2002, 11, 13);
        QTest::newRow("unknown type: today") << "7" << 0 << 256 << QDate(2002, 11, 27);
    }

    void window()
    {
        QFETCH(QString, type);
        QFETCH(int, count);
        QFETCH(int, counted);
        QFETCH(QDate, startDate);
        TempDatabase t;
        // Rows exactly at midnight at a window's start lie outside it; one second later they count.
        const char* starts[] = {"2002-08-31 23:59:59", "2002-09-01 00:00:00", "2002-09-01 00:00:01",
                                "2002-11-01 00:00:00", "2002-11-01 00:00:01", "2002-11-13 00:00:00",
                                "2002-11-13 00:00:01", "2002-11-27 00:00:00", "2002-11-27 00:00:01"};
        for (int i = 0; i < 9; ++i)
            addRow(t, starts[i], 1 << i);

        VolumeLeft v(t.db, m_state, m_clock);
        QDateTime start, bare;
        QCOMPARE(v.VolumeLeftText(1000, count, type, nullptr, &start).section(' ', 0, 0).toInt(), 1000 - counted);
        QCOMPARE(start, QDateTime(startDate, QTime(12, 0)));
        // The start is given even when there is no allowance to show.
        QCOMPARE(v.VolumeLeftText(0, count, type, nullptr, &bare), QString());
        QCOMPARE(bare, start);
    }

    // The logged sum is kept between calls; every way the log can change must show at the next call.
    void loggedSumFollowsEveryChange()
    {
        TempDatabase t;
        FakeClock clock;
        VolumeLeft v(t.db, m_state, clock);
        const auto left = [&v] { return v.VolumeLeftText(1000, 0, "0").section(' ', 0, 0).toInt(); };
        QCOMPARE(left(), 1000);

        // Through this connection, past the database layer.
        addRow(t, "2002-11-27 09:00:00", 100);
        QCOMPARE(left(), 900);
        // Through another connection, as another process would.
        DbConnection other("other");
        QVERIFY(other.open(t.path()));
        DbCommand cmd;
        cmd.bind(other);
        QVERIFY(cmd.execute("INSERT INTO log VALUES (?, ?, ?, ?, 0)",
                            {"2002-11-27 10:00:00", "2002-11-27 10:00:00", 0.0, 100 * MB}));
        QCOMPARE(left(), 800);
        // Past midnight the window moves on and yesterday's rows drop out.
        clock.set(QDateTime(QDate(2002, 11, 28), QTime(0, 0, 30)));
        QCOMPARE(left(), 1000);

        // A negative count is refused outright.
        QColor colour(1, 2, 3);
        QCOMPARE(v.VolumeLeftText(1000, -1, "0", &colour), QString());
        QVERIFY(!colour.isValid());
    }
};

QTEST_GUILESS_MAIN(TestVolumeLeft)
#include "tst_volumeleft.moc"
