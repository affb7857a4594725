#include "Clock.h"
#include "LogWriter.h"
#include "Readouts.h"
#include "Sampler.h"
#include "Settings.h"
#include "TempDatabase.h"
#include "TrafficState.h"

#include <QLocale>
#include <QTest>
#include <algorithm>

namespace {

// The sampler with a fake table, clock and database.
struct Rig
{
    void start(std::vector<IfEntry> rows)
    {
        table = std::move(rows);
        tick();
    }
    // One tick in which every interface receives `in` and sends `out` octets more.
    void tick(std::uint64_t in = 0, std::uint64_t out = 0)
    {
        for (IfEntry& e : table) {
            e.inOctets += in;
            e.outOctets += out;
        }
        sampler.TmrCheckit_Timer(&table);
        clock.advanceMs(TmrCheckitInterval);
    }

    TempDatabase t;
    TrafficState s;
    SettingsStore settings {t.db};
    std::vector<IfEntry> table;
    FakeClock clock;
    LogWriter writer {t.db, s, clock};
    Sampler sampler {s, settings, writer, clock};
};

} // namespace

class TestSampler : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void readouts()
    {
        // The icon's hover text: the name first, then each adapter with traffic since the row, with its rates and
        // volume; without an allowance, no line for it.
        QCOMPARE(TrayToolTip(1500, 3, false, 3 * 1048576, "", false,
                             {{"wlan0", 1048576, 0, 0, 0}, {"usb0", 2097152, 0, 1500, 3}}),
                 QString("Zovodazad\nDownload: 1,500.0 kBps/s, upload: 3.0 kBps/s\nSince the last log row: 3.00 MB\n"
                         "  wlan0: 0.0 kBps/s down, 0.0 kBps/s up, 1.00 MB\n"
                         "  usb0: 1,500.0 kBps/s down, 3.0 kBps/s up, 2.00 MB"));

        // kB up to a MB; figures of 10,000 and more step up a unit, with two decimals; below that the lines stay as
        // they were.
        const double MB = 1048576.0;
        QCOMPARE(QStringList({VolumeText(MB - 1), VolumeText(MB), VolumeText(9999.99 * MB), VolumeText(10000 * MB),
                              VolumeText(841254 * MB), VolumeText(10000 * 1024 * MB)}),
                 QStringList({"1,024.0 kB", "1.00 MB", "9,999.99 MB", "9.77 GB", "821.54 GB", "9.77 TB"}));
        QCOMPARE(RateLine(9999.9, 151.48, 9999.9, false), QString("9,999.9 kBps/s (Avg: 151.5 - Max: 9,999.9)"));
        // Past that, the average and maximum are rates in the current rate's unit, never volumes.
        QCOMPARE(RateLine(151480, 10000, 2e7, false), QString("151.48 MBps/s (Avg: 10.00 - Max: 20,000.00)"));
        QCOMPARE(ZeroRateLine(10, 0, true), QString("0.0 Kbps/s (Avg: 81.9 - Max: 0.0)"));
        // 100 Gbit/s: 12.5 million kB/s.
        QCOMPARE(RateLine(12.5e6, 12.5e6, 12.5e6, true), QString("97.66 Gbps/s (Avg: 97.66 - Max: 97.66)"));
        // The lines the monitor window sizes its labels for are as long as any line it can show, up to 100 Gbit/s.
        qsizetype longest = 0;
        for (const QString& line : longestRateLines() + longestVolumeTexts())
            longest = std::max(longest, line.size());
        for (double rate = 0.1; rate < 13e6; rate *= 1.37) {
            for (double most = rate; most < 13e6; most *= 1.37)
                for (bool bits : {false, true})
                    QVERIFY2(RateLine(rate, most, most, bits).size() <= longest,
                             qPrintable(RateLine(rate, most, most, bits)));
            QVERIFY(VolumeText(rate * 1e6).size() <= longest);
        }
    }

    // The first tick shows the adapters' whole counters and no rate; the next one its rates and bars in kB/s, and the
    // scale.
    void firstTicksThenSteadyTraffic()
    {
        Rig r;
        // No Adapter<n> rows: both hardware, both counted.
        r.start({{1, "eth1", true, OperState::Up, 1048000, 1000}, {2, "eth0", true, OperState::Up, 575, 1047576}});
        const TickFigures& f = r.sampler.figures();
        const auto figures = [&f] {
            return std::make_tuple(f.rcvdSinceRow, f.sentSinceRow, f.downRate, f.upRate, f.downBar, f.upBar, f.graphMax,
                                   f.bits);
        };
        QCOMPARE(figures(), std::make_tuple(1048575ull, 1048576ull, 0.0, 0.0, 0, 0, 5, false));
        r.tick(125000, 25000); // 250,000 octets received in the tick over both adapters
        QCOMPARE(figures(), std::make_tuple(250000ull, 50000ull, 500.0, 100.0, 500, 100, 501, false));
    }

    // With no stored selection the hardware adapters are counted. An adapter is known by its name wherever it
    // stands in the table; a stored row without a name selects by position. A table that cannot be read keeps the
    // totals.
    void adapterSelection()
    {
        Rig fresh;
        fresh.start({{1, "lo", false, OperState::Unknown, 1, 1},
                     {2, "eth0", true, OperState::Up, 2, 2},
                     {3, "docker0", false, OperState::Down, 8, 8},
                     {4, "w\u00e4n", true, OperState::Up, 256, 256}});
        QCOMPARE(std::pair(fresh.s.TotalBytesRcvd, fresh.sampler.figures().counted), std::pair(2ull + 256u, 2));
        QCOMPARE(fresh.settings.adapters().text(3), QString::fromUtf8("w\u00e4n"));

        Rig r;
        r.t.exec("INSERT INTO settings VALUES ('Adapter1', 'eth0'), ('Adapter2', '')");
        QVERIFY(r.settings.load());
        r.start({{1, "lo", false, OperState::Unknown, 100, 200},
                 {2, "eth0", true, OperState::Up, 10, 20},
                 {3, "tap0", false, OperState::Up, 1, 1}});
        QCOMPARE(r.s.TotalBytesRcvd, 11u);
        std::swap(r.table[0], r.table[1]); // the same interfaces in another order
        r.tick(1000);
        QCOMPARE(r.s.TotalBytesRcvd, 2011u);
        // A new interface in front shifts the rows again.
        r.table.insert(r.table.begin(), IfEntry {4, "ppp0", false, OperState::Up, 300, 400});
        for (IfEntry& e : r.table)
            e.inOctets += 1000;
        r.sampler.TmrCheckit_Timer(nullptr);
        QCOMPARE(r.s.TotalBytesRcvd, 2011u);
        r.tick();
        // Not ppp0, where no stored row points; what eth0 and tap0 counted during the failed tick included.
        QCOMPARE(r.s.TotalBytesRcvd, 4011u);
        QCOMPARE(r.t.scalar("SELECT count(*) FROM log").toInt(), 0);
    }

    // After ticks the timer skipped, the adapters not counted take up their counters from the last of them, so one
    // selected next counts from a tick ago; the counted ones keep theirs.
    void rebaseTakesUpUncountedCounters()
    {
        Rig r;
        r.start({{2, "eth0", true}, {1, "lo"}});
        std::vector<IfEntry> base = r.table;
        base[0].inOctets += 5;
        base[1].inOctets += 1000;
        r.sampler.rebaseUncounted(base);
        r.settings.adapters().setSelected(1, true);
        r.table = base;
        r.table[1].inOctets += 10;
        r.sampler.TmrCheckit_Timer(&r.table);
        QCOMPARE(r.s.TotalBytesRcvd, 15u);
    }

    // Every octet the counted adapters count is in exactly one row: the rows keep their triggers and times, and the
    // traffic between a row and the next tick goes into the next row. Each step: the event, then octets received by
    // every interface before the next tick.
    void everyOctetInOneRow()
    {
        // {the steps, each row's records (adapter:received) with the exit row last}
        const std::pair<const char*, const char*> cases[] = {
            {"tick 700|reset 300|tick 50|tick 0", "eth0:700 wlan0:700|eth0:350 wlan0:350"}, // between two ticks
            {"tick 100|deselect 60|tick 5|tick 0", "eth0:100 wlan0:100|eth0:65"},
            {"tick 100|recreate 60|tick 5|tick 0", "eth0:100 wlan0:100|eth0:65 wlan0:65"},
            // An adapter that comes back under another index with its counters takes up where it was left; one never
            // seen counts what it shows only when a new link could have carried that.
            {"tick 100|vanish 60|tick 5|back 7|tick 0", "eth0:100 wlan0:100|eth0:72 wlan0:7"},
            {"tick 100|fresh 5|tick 0", "eth0:105 usb0:1005 wlan0:105"},
            {"tick 100|moved 5|tick 0", "eth0:105 wlan0:105"},
            // A period begun the day before is written in the first minute of the day, and retried there after a
            // failure; one begun in that minute is not.
            {"midnight 100|tick 50|tick 0", "eth0:100 wlan0:100|eth0:50 wlan0:50"},
            {"refused 100|tick 50|tick 0", "eth0:150 wlan0:150|"},
        };
        for (const auto& [events, adapters] : cases) {
            Rig r;
            r.clock.set(QDateTime(QDate(2026, 12, 4), QTime(12, 0)));
            r.table = {{1, "eth0", true}, {2, "wlan0", true}};
            r.sampler.TmrCheckit_Timer(&r.table);
            for (const QString& step : QString(events).split('|')) {
                const QString event = step.section(' ', 0, 0);
                const quint64 octets = step.section(' ', 1).toULongLong();
                if (event == "reset")
                    QVERIFY(r.writer.WriteLogRow());
                else if (event == "deselect")
                    r.settings.adapters().setSelected(1, false);
                else if (event == "vanish")
                    r.table.pop_back();
                else if (event == "recreate")
                    r.table.back() = {3, "wlan0", true};
                else if (event == "back")
                    r.table.push_back({5, "wlan0", true, OperState::Up, 100, 0});
                else if (event == "fresh" || event == "moved")
                    r.table.push_back({6, "usb0", true, OperState::Up, event == "fresh" ? 1000u : 1ull << 30, 0});
                else if (event == "midnight" || event == "refused")
                    r.clock.set(QDateTime(QDate(2026, 12, 5), QTime(0, 0, 10)));
                r.t.exec(event == "refused" ? "PRAGMA query_only = ON" : "PRAGMA query_only = OFF");
                r.tick(octets);
            }
            QVERIFY(r.writer.WriteLogRow());
            QCOMPARE(r.t.scalar("SELECT count(*) FROM log WHERE DateAndTimeEnd < DateAndTimeStart OR bytesrcvd !="
                                " (SELECT total(bytesrcvd) FROM log_adapter WHERE logrow = log.rowid)")
                         .toInt(),
                     0); // each row holds what its adapters' records do
            QCOMPARE(
                r.t.scalar("SELECT group_concat(coalesce((SELECT group_concat(adapter || ':' || bytesrcvd, ' ') FROM"
                           " (SELECT * FROM log_adapter WHERE logrow = log.rowid ORDER BY adapter)), ''), '|')"
                           " FROM (SELECT rowid, * FROM log ORDER BY rowid) AS log")
                    .toString(),
                QString(adapters));
        }
    }

    // When the clocks go back from summer to winter time, the first tick after the change ends the period the
    // second before it (the test runs in Europe/Berlin), without waiting for midnight.
    void clocksGoBack()
    {
        Rig r;
        r.clock.set(QDateTime(QDate(2026, 10, 25), QTime(2, 59, 50), Qt::OffsetFromUTC, 7200));
        r.start({{1, "eth0", true}});
        for (int k = 0; k < 20; ++k)
            r.tick(1000);
        QCOMPARE(r.t.logRows(), QString());
        r.clock.set(QDateTime(QDate(2026, 10, 25), QTime(2, 0, 0), Qt::OffsetFromUTC, 3600));
        r.tick(1000);
        QCOMPARE(r.t.logRows(), QString("2026-10-25 02:59:50|2026-10-25 02:59:59|0.0|21000.0|2"));
    }
};

QTEST_GUILESS_MAIN(TestSampler)
#include "tst_sampler.moc"
