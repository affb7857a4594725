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
        const struct
        {
            qint64 ms;
            const char* wall;
        } readings[] = {
            {spring - 7200000, "2026-03-29 00:00:00"},
            {spring - 1000, "2026-03-29 01:59:59"},
            {spring, "2026-03-29 03:00:00"},
            {spring + 60000, "2026-03-29 03:01:00"},
        };
        for (const auto& r : readings) {
            const QDateTime t = local.at(r.ms);
            QCOMPARE(t.toString("yyyy-MM-dd HH:mm:ss"), QString(r.wall));
            QCOMPARE(local.minuteOfDay(r.ms), t.time().hour() * 60 + t.time().minute());
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
