#include "Clock.h"
#include "FakeIfTable.h"
#include "LogWriter.h"
#include "MessageBox.h"
#include "PeriodJournal.h"
#include "Sampler.h"
#include "Settings.h"
#include "TempDatabase.h"
#include "TrafficState.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTest>

namespace {

// The sampler's outputs are not under test here; only the rows it writes are.
class NullView : public SamplerView
{
public:
    void setDownloadText(const QString&) override { }
    void setUploadText(const QString&) override { }
    void setCaption(const QString&) override { }
    void setRateLine(const QString&) override { }
    void graphUpdate(Graph, qint32) override { }
    qint32 graphMax(Graph) const override { return m_max; }
    void setGraphMax(Graph, qint32 max) override { m_max = max; }
    void setGraphToolTip(Graph, const QString&) override { }
    void refreshVolumeLeft() override { }
    void setTimerEnabled(bool) override { }

private:
    qint32 m_max = 5;
};

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
        SettingsRecord settings;
        FakeClock clock(QDateTime(QDate(2025, 1, 1), QTime(0, 0, 30)));
        FakeMessageBoxes boxes;
        LogWriter writer(t.db, state, clock, boxes);
        PeriodJournal journal(t.db);
        NullView view;
        FakeIfTable table;
        Sampler sampler(table, t.db, state, settings, writer, clock, view);
        QRandomGenerator rng(20251205);

        // Loopback is not counted; eth0 starts near 2^32 and passes it again every few minutes.
        table.rows = {{"lo", 0, 0, 1, {false, true}}, {"eth0", 3'000'000'000ull, 4'000'000'000ull, 2, {true}}};
        const qint64 stepMs = 2 * 60 * 1000;
        const int ticks = 365 * 24 * 30;

        quint64 produced = 0; // octets the counted adapters carried from the first sample on
        qint64 memoryAfterWarmUp = 0;
        std::uint32_t nextIndex = 3;
        const auto traffic = [&] {
            for (IfEntry& row : table.rows) {
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
                    if (table.rows.size() == 2)
                        table.rows.push_back({"wlan0", 0, 0, nextIndex++, {true}});
                    else
                        table.rows.pop_back();
                }
                traffic();
            }
            sampler.TmrCheckit_Timer();
            journal.tick(state, clock);
            if (i % 4999 == 0)
                QVERIFY(writer.WriteLogRow()); // Reset Counters, between two ticks
            if (i == ticks / 10)
                memoryAfterWarmUp = residentKiB();
        }
        clock.advanceMs(300);
        traffic();
        sampler.sampleBeforeExit();
        QVERIFY(writer.WriteLogRow());

        const quint64 logged
            = t.scalar("SELECT sum(CAST(BytesSent AS INTEGER)) + sum(CAST(bytesrcvd AS INTEGER)) FROM log")
                  .toULongLong();
        const qint64 rows = t.scalar("SELECT count(*) FROM log").toLongLong();
        qInfo("ticks %d, rows %lld, produced %llu, logged %llu, gap %lld, memory %lld -> %lld KiB", ticks, rows,
              produced, logged, qint64(produced - logged), memoryAfterWarmUp, residentKiB());
        QVERIFY(rows > 365); // at least the midnight rows
        QCOMPARE(logged, produced);
        QCOMPARE(t.scalar("SELECT count(*) FROM log WHERE DateAndTimeEnd < DateAndTimeStart").toInt(), 0);
        QVERIFY(boxes.shown.isEmpty());
        QCOMPARE(t.scalar("SELECT count(*) FROM open_period").toInt(), 0);
        QVERIFY2(residentKiB() - memoryAfterWarmUp < 4096, "memory grew over the year");
    }
};

QTEST_GUILESS_MAIN(TestSoakYear)
#include "tst_soakyear.moc"
