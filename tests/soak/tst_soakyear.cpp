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
// up to the traffic the fake interfaces carried, short only of what the period rules leave out — the ticks on which
// a row is written and the tick after it, whose traffic belongs to no row.
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

        // Real traffic per adapter; the fake table cuts the counters to 32 bits, so they wrap as on the system.
        table.rows = {{"lo", 0, 0}, {"eth0", 3'000'000'000ull, 4'000'000'000ull}};
        bool wlanUp = false;
        const qint64 stepMs = 2 * 60 * 1000;
        const int ticks = 365 * 24 * 30;

        double produced = 0; // octets the counted adapters carried from the first tick on
        double allowedGap = 0; // traffic of the ticks that write a row and of the ticks after them
        bool previousWrote = false;
        qint64 rows = 0;
        qint64 memoryAfterWarmUp = 0;

        for (int i = 0; i < ticks; ++i) {
            double increment = 0;
            if (i > 0) {
                clock.advanceMs(stepMs);
                // Now and then the clock is set back a day or forward a few hours, as users and NTP do.
                if (i % 20000 == 0)
                    clock.advanceMs(i % 40000 == 0 ? -24 * 3600 * 1000 : 3 * 3600 * 1000 + 17 * 60 * 1000);
                // A wireless adapter comes and goes every few days; it starts counting from 0 when it appears.
                if (i % 3000 == 0) {
                    wlanUp = !wlanUp;
                    if (wlanUp)
                        table.rows.push_back({"wlan0", 0, 0});
                    else
                        table.rows.pop_back();
                } else {
                    for (IfEntry& row : table.rows) {
                        const quint64 in = rng.bounded(60'000'000);
                        const quint64 out = rng.bounded(6'000'000);
                        row.inOctets += in;
                        row.outOctets += out;
                        increment += double(in + out);
                    }
                }
            }
            produced += increment;

            sampler.TmrCheckit_Timer();
            journal.tick(state, clock.now());

            const qint64 nowRows = t.scalar(QStringLiteral("SELECT count(*) FROM log")).toLongLong();
            const bool wrote = nowRows != rows;
            rows = nowRows;
            if (wrote)
                allowedGap += increment;
            if (previousWrote)
                allowedGap += increment;
            previousWrote = wrote;
            if (i == ticks / 10)
                memoryAfterWarmUp = residentKiB();
        }
        QVERIFY(writer.WriteLogRow());

        const double logged
            = t.scalar(QStringLiteral("SELECT total(BytesSent) + total(bytesrcvd) FROM log")).toDouble();
        qInfo("ticks %d, rows %lld, produced %.0f, logged %.0f, allowed gap %.0f, memory %lld -> %lld KiB", ticks,
              rows + 1, produced, logged, allowedGap, memoryAfterWarmUp, residentKiB());
        QVERIFY(rows > 365); // at least the midnight rows
        QVERIFY2(logged <= produced, "rows hold more traffic than there was");
        QVERIFY2(produced - logged <= allowedGap, "traffic was lost beyond the period rules");
        QVERIFY(boxes.shown.isEmpty());
        QCOMPARE(t.scalar(QStringLiteral("SELECT count(*) FROM open_period")).toInt(), 0);
        QVERIFY2(residentKiB() - memoryAfterWarmUp < 4096, "memory grew over the year");
    }
};

QTEST_GUILESS_MAIN(TestSoakYear)
#include "tst_soakyear.moc"
