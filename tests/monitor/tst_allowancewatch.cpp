#include "AllowanceWatch.h"
#include "Clock.h"
#include "Notifier.h"
#include "Settings.h"
#include "TempDatabase.h"
#include "TrafficState.h"

#include <QtTest>

class TestAllowanceWatch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { QLocale::setDefault(QLocale::c()); }

    // A plan of 1000 MB renewing on the 17th, used hour by hour over five weeks and checked twice an hour: each band
    // entered is told once; a larger allowance and the next billing month take it back, after which the bands are
    // told again; with the box cleared nothing is told.
    void notifiesOncePerBandEntered()
    {
        TempDatabase t;
        TrafficState state;
        SettingsVars vars {1000, 1, 2, 17}; // MB a month from the 17th
        SettingsRecord settings;
        FakeClock clock(QDateTime(QDate(2026, 11, 17), QTime(0, 0)));
        FakeNotifier notifier;
        AllowanceWatch watch(t.db, state, vars, settings, clock, notifier);

        QStringList told;
        QDateTime now = clock.now();
        const QDateTime end(QDate(2026, 12, 22), QTime(0, 0));
        for (; now < end; now = now.addSecs(3600)) {
            if (now == QDateTime(QDate(2026, 12, 13), QTime(0, 0)))
                vars.MaxMbSize = 1100;
            if (now == QDateTime(QDate(2026, 12, 21), QTime(0, 0)))
                settings.notifyleft = 0;
            // 40 MB a day, 200 MB a day from the new billing month on.
            const double mb = now.date() < QDate(2026, 12, 17) ? 40.0 / 24 : 200.0 / 24;
            const QString start = now.addSecs(1800).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
            t.addLogRow(start, start, 0, mb * 1024 * 1024);
            for (int check = 0; check < 2; ++check) {
                clock.set(now.addSecs(1800 + 60 * check));
                watch.refresh();
                while (told.size() < notifier.shown.size())
                    told.append(clock.now().toString(QStringLiteral("dd MMM ")) + notifier.shown[told.size()].summary);
            }
        }
        QCOMPARE(told,
                 QStringList({"04 Dec Less than 30 % of the volume allowance is left",
                              "08 Dec Less than 15 % of the volume allowance is left",
                              "12 Dec The volume allowance is used up", "14 Dec The volume allowance is used up",
                              "20 Dec Less than 30 % of the volume allowance is left"}));
        QCOMPARE(notifier.shown[2].body, QString("-2 MB Left.\nCounted from 17 Nov 2026."));
        QVERIFY(notifier.shown[2].urgency == Notifier::Urgency::Critical
                && notifier.shown[4].urgency == Notifier::Urgency::Normal);
        QCOMPARE(watch.remainder().band, AllowanceBand::Red);
    }

    // Started with little left, the program says so once; without an allowance it says nothing, and a log that
    // cannot be read for a while changes nothing.
    void startInBand()
    {
        TempDatabase t;
        TrafficState state;
        state.TotalBytesRcvd = 900.0 * 1024 * 1024; // not yet logged
        SettingsVars vars;
        SettingsRecord settings;
        FakeClock clock;
        FakeNotifier notifier;
        AllowanceWatch watch(t.db, state, vars, settings, clock, notifier);
        watch.refresh();
        vars.MaxMbSize = 1000;
        watch.refresh();
        t.db.close();
        watch.refresh();
        QCOMPARE(watch.remainder().band, AllowanceBand::Unknown);
        QVERIFY(t.db.open(t.path()));
        watch.refresh();
        QCOMPARE(notifier.shown.size(), 1);
        QCOMPARE(notifier.shown[0].body, QString("100 MB (10.0 %) Left.\nCounted from 27 Nov 2002."));
    }
};

QTEST_GUILESS_MAIN(TestAllowanceWatch)
#include "tst_allowancewatch.moc"
