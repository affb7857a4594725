#include "Clock.h"

#include <QTest>

#include <ctime>

class TestClock : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The wall time and the minute of the day around a daylight-saving switch are right on both sides, and reading
    // within one minute keeps the offset while the next minute takes the new one.
    void localTimeFollowsTheZone()
    {
        qputenv("TZ", "Europe/Berlin");
        tzset();
        LocalTimeCache local;
        const qint64 spring = QDateTime(QDate(2026, 3, 29), QTime(1, 0), Qt::UTC).toMSecsSinceEpoch();
        for (const auto& [ms, wall] : {std::pair(spring - 7200000, "00:00:00"), std::pair(spring - 1000, "01:59:59"),
                                       std::pair(spring, "03:00:00"), std::pair(spring + 60000, "03:01:00")}) {
            const QDateTime t = local.at(ms);
            QCOMPARE(t.toString("yyyy-MM-dd HH:mm:ss"), QString("2026-03-29 ") + wall);
            QCOMPARE(local.minuteOfDay(ms), t.time().hour() * 60 + t.time().minute());
        }

        qputenv("TZ", "Asia/Kathmandu");
        tzset();
        QCOMPARE(local.at(spring + 61000).toString("HH:mm"), QString("03:01"));
        QCOMPARE(local.at(spring + 120000).toString("HH:mm"), QString("06:47"));
        QCOMPARE(local.at(spring + 120000), QDateTime::fromMSecsSinceEpoch(spring + 120000));
    }
};

QTEST_GUILESS_MAIN(TestClock)
#include "tst_clock.moc"
