#include "Clock.h"
#include "LogWriter.h"
#include "PeriodJournal.h"
#include "Sampler.h"
#include "Settings.h"
#include "TempDatabase.h"
#include "TrafficState.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTest>

namespace {

qint64 residentKiB()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = f.readAll().split(' ');
    return fields.value(1).toLongLong() * 4;
}

} // namespace

// A simulated year of ticks through the real sampler, log writer and open-period journal: the logged rows must add
// up, to the octet, to the traffic the counted adapters carried from the first sample to the exit, through counters
// far past 2^32, an adapter coming and going, midnights, Reset Counters and clock jumps.
class TestSoakYear : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void yearBalancesToTheByte()
    {
        TempDatabase t;
        TrafficState state;
        SettingsStore settings(t.db);
        FakeClock clock(QDateTime(QDate(2025, 1, 1), QTime(0, 0, 30)));
        LogWriter writer(t.db, state, clock, [](const QString& message) { QFAIL(qPrintable(message)); });
        PeriodJournal journal(t.db);
        std::vector<IfEntry> table;
        Sampler sampler(state, settings, writer, clock);
        QRandomGenerator rng(20251205);

        // Loopback is not counted; eth0 starts near 2^32 and passes it again every few minutes.
        table = {{1, "lo"}, {2, "eth0", true, OperState::Up, 3'000'000'000ull, 4'000'000'000ull}};
        const qint64 stepMs = 2 * 60 * 1000;
        const int ticks = 365 * 24 * 30;

        quint64 produced = 0; // octets the counted adapters carried from the first sample on
        qint64 memoryAfterWarmUp = 0;
        std::uint32_t nextIndex = 3;
        const auto traffic = [&] {
            for (IfEntry& row : table) {
                const quint64 in = rng.bounded(60'000'000);
                const quint64 out = rng.bounded(6'000'000);
                row.inOctets += in;
                row.outOctets += out;
                if (row.name != "lo")
                    produced += in + out;
            }
        };

        for (int i = 0; i < ticks; ++i) {
            if (i > 0) {
                clock.advanceMs(stepMs);
                // Now and then the clock is set back a day or forward a few hours, as users and NTP do.
                if (i % 20000 == 0)
                    clock.advanceMs(i % 40000 == 0 ? -24 * 3600 * 1000 : 3 * 3600 * 1000 + 16 * 60 * 1000);
                // A wireless adapter comes and goes every few days, under a new index each time; it starts counting
                // from 0 when it appears, and what it carried after its last sample is gone with it.
                if (i % 3000 == 0) {
                    if (table.size() == 2)
                        table.push_back({nextIndex++, "wlan0", true});
                    else
                        table.pop_back();
                }
                traffic();
            }
            sampler.TmrCheckit_Timer(&table);
            journal.tick(state, clock);
            if (i % 4999 == 0)
                QVERIFY(writer.WriteLogRow()); // Reset Counters, between two ticks
            if (i == ticks / 10)
                memoryAfterWarmUp = residentKiB();
        }
        clock.advanceMs(300);
        traffic();
        sampler.sampleBeforeExit(&table);
        QVERIFY(writer.WriteLogRow());

        const quint64 logged
            = t.scalar("SELECT sum(CAST(BytesSent AS INTEGER)) + sum(CAST(bytesrcvd AS INTEGER)) FROM log")
                  .toULongLong();
        QCOMPARE(logged, produced);
        QVERIFY2(residentKiB() - memoryAfterWarmUp < 4096, "memory grew over the year");
    }
};

QTEST_GUILESS_MAIN(TestSoakYear)
#include "tst_soakyear.moc"
