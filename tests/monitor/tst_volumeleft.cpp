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
} // namespace

class TestVolumeLeft : public QObject
{
    Q_OBJECT

    // The clock stands at Wednesday 27 November 2002, 12:00.
    FakeClock m_clock;
    TrafficState m_state;

    // A row of the given megabytes, split between the two directions.
    static void addRow(TempDatabase& t, const QString& start, double mb)
    {
        t.addLogRow(start, start, mb * MB / 4, mb * MB * 3 / 4);
    }

private Q_SLOTS:
    void init()
    {
        m_clock.set(QDateTime(QDate(2002, 11, 27), QTime(12, 0)));
        m_state = TrafficState();
        QLocale::setDefault(QLocale::c());
    }

    void textAndColour_data()
    {
        QTest::addColumn<double>("logged");
        QTest::addColumn<double>("unlogged");
        QTest::addColumn<double>("maxMB");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QColor>("colour");

        QTest::newRow("green") << 250.3 << 0.0 << 1000.0 << "750 MB (75.0 %) Left." << Green;
        QTest::newRow("red below 15 %") << 900.0 << 0.0 << 1000.0 << "100 MB (10.0 %) Left." << Red;
        QTest::newRow("orange") << 800.0 << 0.0 << 1000.0 << "200 MB (20.0 %) Left." << Orange;
        QTest::newRow("exactly 30 % left is green") << 700.0 << 0.0 << 1000.0 << "300 MB (30.0 %) Left." << Green;
        QTest::newRow("exactly 15 % left is orange") << 850.0 << 0.0 << 1000.0 << "150 MB (15.0 %) Left." << Orange;
        QTest::newRow("used up") << 1000.0 << 0.0 << 1000.0 << "0 MB Left." << Red;
        QTest::newRow("overrun") << 1200.0 << 0.0 << 1000.0 << "-200 MB Left." << Red;
        QTest::newRow("overrun under half a MB") << 1000.3 << 0.0 << 1000.0 << "0 MB Left." << Red;
        QTest::newRow("logged plus unlogged") << 500.0 << 100.0 << 1000.0 << "400 MB (40.0 %) Left." << Green;
        QTest::newRow("empty log") << 0.0 << 300.0 << 1000.0 << "700 MB (70.0 %) Left." << Green;
        QTest::newRow("no digit grouping") << 250.0 << 0.0 << 100000.0 << "99750 MB (99.8 %) Left." << Green;
        QTest::newRow("no allowance") << 500.0 << 0.0 << 0.0 << "" << QColor();
        QTest::newRow("negative allowance") << 500.0 << 0.0 << -5.0 << "" << QColor();
    }

    void textAndColour()
    {
        QFETCH(double, logged);
        QFETCH(double, unlogged);
        QFETCH(double, maxMB);
        QFETCH(QString, text);
        QFETCH(QColor, colour);
        TempDatabase t;
        if (logged > 0)
            addRow(t, QStringLiteral("2002-11-10 08:00:00"), logged);
        // Unlogged traffic is the difference between the current and the logged totals, in both directions.
        m_state.LoggedBytesRcvd = 5e9;
        m_state.LoggedBytesSent = 1e9;
        m_state.TotalBytesRcvd = m_state.LoggedBytesRcvd + unlogged * MB / 2;
        m_state.TotalBytesSent = m_state.LoggedBytesSent + unlogged * MB / 2;

        VolumeLeft v(t.db, m_state, m_clock);
        QColor shown(1, 2, 3);
        QCOMPARE(v.VolumeLeftText(maxMB, 30, QStringLiteral("0"), &shown), text);
        QCOMPARE(shown, colour);
        // Without a colour to fill, the text is the same.
        QCOMPARE(v.VolumeLeftText(maxMB, 30, QStringLiteral("0")), text);
    }

    void localeDecimalSeparator()
    {
        TempDatabase t;
        addRow(t, QStringLiteral("2002-11-27 08:00:00"), 250.3);
        VolumeLeft v(t.db, m_state, m_clock);
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(v.VolumeLeftText(1000, 0, QStringLiteral("0")), QStringLiteral("750 MB (75,0 %) Left."));
        QCOMPARE(v.VolumeLeftText(100000, 0, QStringLiteral("0")), QStringLiteral("99750 MB (99,7 %) Left."));
    }

    // Each row carries a distinct power of two in MB, so the MB left name exactly which rows were counted.
    void window_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("counted");
        QTest::addColumn<QDateTime>("startDate");

        const QTime noon(12, 0);
        QTest::newRow("this month") << "2" << 0 << (16 + 32 + 64 + 128 + 256) << QDateTime(QDate(2002, 11, 1), noon);
        QTest::newRow("two months") << "2" << 2 << (4 + 8 + 16 + 32 + 64 + 128 + 256)
                                    << QDateTime(QDate(2002, 9, 1), noon);
        QTest::newRow("today") << "0" << 0 << 256 << QDateTime(QDate(2002, 11, 27), noon);
        QTest::newRow("fourteen days") << "0" << 14 << (64 + 128 + 256) << QDateTime(QDate(2002, 11, 13), noon);
        QTest::newRow("two weeks") << "1" << 2 << (64 + 128 + 256) << QDateTime(QDate(2002, 11, 13), noon);
        QTest::newRow("unknown type counts days") << "7" << 0 << 256 << QDateTime(QDate(2002, 11, 27), noon);
    }

    void window()
    {
        QFETCH(QString, type);
        QFETCH(int, count);
        QFETCH(int, counted);
        QFETCH(QDateTime, startDate);
        TempDatabase t;
        // Rows exactly at midnight at a window's start lie outside it; one second later they count.
        const struct
        {
            const char* start;
            int mb;
        } rows[] = {
            {"2002-08-31 23:59:59", 1},  {"2002-09-01 00:00:00", 2},   {"2002-09-01 00:00:01", 4},
            {"2002-11-01 00:00:00", 8},  {"2002-11-01 00:00:01", 16},  {"2002-11-13 00:00:00", 32},
            {"2002-11-13 00:00:01", 64}, {"2002-11-27 00:00:00", 128}, {"2002-11-27 00:00:01", 256},
        };
        for (const auto& r : rows)
            addRow(t, QLatin1String(r.start), r.mb);

        VolumeLeft v(t.db, m_state, m_clock);
        QDateTime start;
        const QString text = v.VolumeLeftText(1000, count, type, nullptr, &start);
        QCOMPARE(text.section(QLatin1Char(' '), 0, 0).toInt(), 1000 - counted);
        QCOMPARE(start, startDate);
    }

    void startDateWithoutAllowance()
    {
        TempDatabase t;
        VolumeLeft v(t.db, m_state, m_clock);
        QDateTime start;
        QCOMPARE(v.VolumeLeftText(0, 3, QStringLiteral("2"), nullptr, &start), QString());
        QCOMPARE(start, QDateTime(QDate(2002, 8, 1), QTime(12, 0)));
    }

    void negativeCountRejected()
    {
        TempDatabase t;
        addRow(t, QStringLiteral("2002-11-27 08:00:00"), 10);
        VolumeLeft v(t.db, m_state, m_clock);
        QColor colour(1, 2, 3);
        QCOMPARE(v.VolumeLeftText(1000, -1, QStringLiteral("0"), &colour), QString());
        QVERIFY(!colour.isValid());
    }

    // The logged sum is kept between calls; every way the log can change must show at the next call.
    void newRowsCountAtOnce()
    {
        TempDatabase t;
        VolumeLeft v(t.db, m_state, m_clock);
        const QString today = QStringLiteral("0");
        QCOMPARE(v.VolumeLeftText(1000, 0, today), QStringLiteral("1000 MB (100.0 %) Left."));

        // Through the database layer.
        DbCommand cmd;
        cmd.bind(t.db);
        QVERIFY(
            cmd.execute(QStringLiteral("INSERT INTO log VALUES (?, ?, ?, ?, 0)"),
                        {QStringLiteral("2002-11-27 09:00:00"), QStringLiteral("2002-11-27 09:00:00"), 0.0, 100 * MB}));
        QCOMPARE(v.VolumeLeftText(1000, 0, today), QStringLiteral("900 MB (90.0 %) Left."));

        // Straight through the connection, past the layer.
        addRow(t, QStringLiteral("2002-11-27 10:00:00"), 100);
        QCOMPARE(v.VolumeLeftText(1000, 0, today), QStringLiteral("800 MB (80.0 %) Left."));

        // Through another connection, as another process would.
        {
            DbConnection other(QStringLiteral("other"));
            QVERIFY(other.open(t.path()));
            DbCommand otherCmd;
            otherCmd.bind(other);
            QVERIFY(otherCmd.execute(QStringLiteral("DELETE FROM log WHERE DateAndTimeStart = ?"),
                                     {QStringLiteral("2002-11-27 09:00:00")}));
        }
        QCOMPARE(v.VolumeLeftText(1000, 0, today), QStringLiteral("900 MB (90.0 %) Left."));

        // Past midnight the window moves on and yesterday's rows drop out.
        m_clock.set(QDateTime(QDate(2002, 11, 28), QTime(0, 0, 30)));
        QCOMPARE(v.VolumeLeftText(1000, 0, today), QStringLiteral("1000 MB (100.0 %) Left."));
    }
};

QTEST_GUILESS_MAIN(TestVolumeLeft)
#include "tst_volumeleft.moc"
