#include "Clock.h"
#include "FakeIfTable.h"
#include "LogWriter.h"
#include "MessageBox.h"
#include "Readouts.h"
#include "Sampler.h"
#include "Settings.h"
#include "TempDatabase.h"
#include "TrafficState.h"

#include <QLocale>
#include <QRegularExpression>
#include <QTest>
#include <algorithm>

namespace {

using TimerSwitches = QVector<QPair<bool, int>>;

// The sampler with a fake table, clock and database, and the view recording what each tick shows. The graphs
// start at the scale start-up gives them.
struct Rig : SamplerView
{
    void setDownloadText(const QString& text) override { download = text; }
    void setUploadText(const QString& text) override { upload = text; }
    void setCaption(const QString& text) override { caption = text; }
    void setRateLine(const QString& text) override { rateLine = text; }
    void graphUpdate(Graph g, qint32 sample) override { samples[int(g)].append(sample); }
    qint32 graphMax(Graph g) const override { return max[int(g)]; }
    void setGraphMax(Graph g, qint32 m) override { max[int(g)] = m; }
    void setGraphToolTip(Graph g, const QString& text) override { tip[int(g)] = text; }
    void refreshVolumeLeft() override { ++volumeLeftCalls; }
    bool readoutsShown() const override { return shown; }
    // Each switch is recorded with the number of log rows at that moment, so a test sees what it surrounded.
    void setTimerEnabled(bool on) override { timer.append({on, logRows()}); }

    void start(std::vector<IfEntry> rows)
    {
        table.rows = std::move(rows);
        tick();
    }
    // One tick in which every interface receives `in` and sends `out` octets more.
    void tick(std::uint64_t in = 0, std::uint64_t out = 0)
    {
        for (IfEntry& e : table.rows) {
            e.inOctets += in;
            e.outOctets += out;
        }
        sampler.TmrCheckit_Timer();
        clock.advanceMs(TmrCheckitInterval);
    }
    void ticksUntil(const QDateTime& end)
    {
        while (clock.now() < end)
            tick(1000);
    }
    int logRows() { return t.scalar("SELECT count(*) FROM log").toInt(); }
    QString lastRow()
    {
        return t
            .scalar("SELECT DateAndTimeStart || ' ' || DateAndTimeEnd || ' ' || BytesSent || ' ' || bytesrcvd"
                    " FROM log ORDER BY rowid DESC")
            .toString();
    }

    QString download, upload, caption, rateLine;
    QVector<qint32> samples[2];
    qint32 max[2] = {5, 5};
    QString tip[2];
    int volumeLeftCalls = 0;
    bool shown = true;
    TimerSwitches timer;
    TempDatabase t;
    TrafficState s;
    SettingsRecord settings;
    FakeIfTable table;
    FakeClock clock;
    FakeMessageBoxes boxes;
    LogWriter writer {t.db, s, clock, boxes};
    Sampler sampler {table, t.db, s, settings, writer, clock, *this};
};

} // namespace

class TestSampler : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void readouts()
    {
        QCOMPARE(RateLine(124.9, 1, 124.9, true), QString("1,023.2 Kbps/s (Avg: 8.2 - Max: 1,023.2)"));
        QCOMPARE(ZeroRateLine(10, 0, true), QString("0.0 Kbps/s (Avg: 81.9 - Max: 0.0)"));
        QCOMPARE(GraphToolTip(1501, false), QString("Graph Max: 1501")); // no grouping in bytes
        // The icon's hover text: the name first; the allowance only when one is set.
        QCOMPARE(TrayToolTip(151480, 0.5, false, 2.5 * 1048576, "750 MB (75.0 %) Left."),
                 QString("Zovodazad\nDownload: 151.48 MBps/s, upload: 0.5 kBps/s\nSince the last log row: 2.50 MB\n"
                         "Allowance: 750 MB (75.0 %) Left."));
        QCOMPARE(TrayToolTip(124.9, 0, true, 1000, ""),
                 QString("Zovodazad\nDownload: 1,023.2 Kbps/s, upload: 0.0 Kbps/s\nSince the last log row: 1.0 kB"));

        // Figures of 10,000 and more step up a unit, with two decimals; below that the lines stay as they were.
        const double MB = 1048576.0;
        QCOMPARE(QStringList({VolumeText(9999.99 * MB), VolumeText(10000 * MB), VolumeText(841254 * MB),
                              VolumeText(10000 * 1024 * MB)}),
                 QStringList({"9,999.99 MB", "9.77 GB", "821.54 GB", "9.77 TB"}));
        QCOMPARE(RateLine(9999.9, 151.48, 9999.9, false), QString("9,999.9 kBps/s (Avg: 151.5 - Max: 9,999.9)"));
        QCOMPARE(RateLine(151480, 10000, 2e7, false), QString("151.48 MBps/s (Avg: 10.00 MB - Max: 20.00 GB)"));
        // 100 Gbit/s: 12.5 million kB/s.
        QCOMPARE(RateLine(12.5e6, 12.5e6, 12.5e6, true), QString("97.66 Gbps/s (Avg: 97.66 Gb - Max: 97.66 Gb)"));
        QCOMPARE(RateLine(2e5, 1220.8, 1220.8, true), QString("1,600.0 Mbps/s (Avg: 9.77 Mb - Max: 9.77 Mb)"));
        // The lines the monitor window sizes its labels for are as long as any line it can show, up to 100 Gbit/s.
        qsizetype longest = 0;
        for (const QString& line : longestRateLines() + longestVolumeTexts())
            longest = std::max(longest, line.size());
        for (double rate = 0.1; rate < 13e6; rate *= 1.37) {
            for (bool bits : {false, true})
                QVERIFY2(RateLine(rate, rate, rate, bits).size() <= longest,
                         qPrintable(RateLine(rate, rate, rate, bits)));
            QVERIFY(VolumeText(rate * 1e6).size() <= longest);
        }
    }

    void hiddenWindowSkipsTextsButNotFiguresOrGraphs()
    {
        Rig r;
        r.settings.whatsleft = 1;
        r.shown = false;
        r.start({{"lo", 1000, 2000}});
        r.tick(125000, 1000);
        QVERIFY(r.download.isEmpty() && r.rateLine.isEmpty() && r.caption.isEmpty());
        QCOMPARE(r.volumeLeftCalls, 0);
        QCOMPARE(r.samples[0].last(), 250); // the graphs keep their history while hidden
        r.shown = true;
        r.sampler.refreshTexts();
        QCOMPARE(r.download, QString("122.1 kB"));
        QCOMPARE(r.caption, QString("123.0 kB"));
        QCOMPARE(r.rateLine, QString("250.0 kBps/s (Avg: 250.0 - Max: 250.0)"));
        QCOMPARE(r.volumeLeftCalls, 1);
    }

    void firstTicksThenSteadyTraffic()
    {
        Rig r;
        // No Adapter<n> rows: both hardware, both counted. The first tick shows the whole counters, and no rate.
        r.start({{"eth1", 1048000, 1000}, {"eth0", 575, 1047576}});
        QCOMPARE(r.download, QString("1,024.0 kB")); // 1,048,575 octets
        QCOMPARE(r.upload, QString("1.00 MB")); // 1,048,576
        QCOMPARE(r.caption, QString("2.00 MB"));
        QCOMPARE(r.rateLine, QString("0.0 kBps/s (Avg: 0.0 - Max: 0.0)"));
        QCOMPARE(r.volumeLeftCalls, 0);

        r.settings.whatsleft = 1;
        r.tick(125000, 25000); // 250,000 octets received in the tick over both adapters
        QCOMPARE(r.rateLine, QString("500.0 kBps/s (Avg: 500.0 - Max: 500.0)"));
        QCOMPARE(std::pair(r.sampler.downloadRate(), r.sampler.uploadRate()), std::pair(500.0, 100.0));
        QCOMPARE(r.download, QString("244.1 kB"));
        QCOMPARE(r.samples[0], (QVector<qint32> {0, 500}));
        QCOMPARE(r.samples[1], (QVector<qint32> {0, 100}));
        QCOMPARE(r.tip[1], QString("Graph Max: 501"));
        r.settings.kilobit = 1; // read live at the next tick
        r.tick(125000, 25000);
        QCOMPARE(r.rateLine, QString("4.0 Mbps/s (Avg: 4,096.0 - Max: 4,096.0)"));
        QCOMPARE(r.volumeLeftCalls, 2);
        QCOMPARE(r.logRows(), 0);
    }

    // Tick by tick: the download average, the maxima and the scale both graphs share, in kB/s (1,000 octets a tick are
    // 2 kB/s).
    void averageMaximumAndScale()
    {
        Rig r;
        r.start({{"eth0", 1, 1}});
        const std::tuple<int, quint64, quint64, double, double, double, qint32> steps[] = {
            // kilobit, in, out; average, maximum down and up, scale
            {0, 0, 50000, 0, 0, 0, 5}, // 100 up against no download average: no upload maximum
            {0, 1500, 0, 3, 3, 0, 5}, // a new maximum, but not above the start scale 5 + 1
            {0, 250, 0, 3, 3, 0, 5}, // exactly 0.5 counts as a sample at the current average
            {0, 10000, 0, 8.6667, 20, 0, 21}, // 20 is below 4 x average
            {0, 5000, 0, 9, 20, 0, 21},
            {0, 72000, 0, 36, 144, 0, 21}, // 144 is not below 4 x 36: the scale stays
            {1, 100000, 0, 63.3333, 200, 0, 201}, // below 4 x average again: rescaled, tool tips in kilobits
            {1, 0, 110000, 63.3333, 200, 220, 221}, // up may reach 4 x the download average, and rescales both
        };
        for (int i = 0; i < int(std::size(steps)); ++i) {
            const auto& [kilobit, in, out, avg, maxDown, maxUp, scale] = steps[i];
            r.settings.kilobit = kilobit;
            r.tick(in, out);
            QCOMPARE(std::make_tuple(i, r.s.PeriodAvgDownSpeed.toDouble(), r.s.MaxDownSpeed.toDouble(),
                                     r.s.MaxUpSpeed.toDouble(), r.max[0], r.max[1]),
                     std::make_tuple(i, avg, maxDown, maxUp, scale, scale));
        }
        QCOMPARE(r.tip[0], QString("Graph Max: 1,810"));
        QCOMPARE(r.tip[1], QString("Graph Max: 1,810"));
    }

    // With no stored selection, physical and wireless adapters are counted; names show as UTF-8.
    void defaultSelection()
    {
        Rig r;
        r.start({{"lo", 1, 1, 1, {false, true}},
                 {"eth0", 2, 2, 2, {true}},
                 {"wlan0", 4, 4, 3, {true}},
                 {"docker0", 8, 8, 4, {false, false, "bridge"}},
                 {"veth1", 16, 16, 5, {false, false, "veth"}},
                 {"br0", 32, 32, 6, {false, false, "bridge"}},
                 {"tun0", 64, 64, 7, {false, false, "tun"}},
                 {"wg0", 128, 128, 8, {false, false, "wireguard"}},
                 {"w\u00e4n", 256, 256, 9, {}}}); // no device link, but no link kind either: taken for hardware
        QStringList selected;
        for (int k = 0; k < r.settings.adapters.count(); ++k) {
            if (r.settings.adapters.isSelected(k))
                selected.append(r.settings.adapters.text(k));
        }
        QCOMPARE(selected, QStringList({"eth0", "wlan0", QString::fromUtf8("w\u00e4n")}));
        QCOMPARE(r.s.TotalBytesRcvd, 2u + 4u + 256u);
    }

    // An adapter is known by its name wherever it stands in the table; a stored row without a name selects by
    // position. A table or selection that cannot be read keeps the totals, and the rebuild is retried.
    void adaptersKnownByName()
    {
        Rig r;
        r.t.exec("INSERT INTO settings VALUES ('Adapter1', 'eth0'), ('Adapter2', '')");
        r.start({{"lo", 100, 200, 1}, {"eth0", 10, 20, 2}, {"tap0", 1, 1, 3}});
        QCOMPARE(r.s.TotalBytesRcvd, 11u);
        std::swap(r.table.rows[0], r.table.rows[1]); // the same interfaces in another order
        r.tick(1000);
        QCOMPARE(r.s.TotalBytesRcvd, 2011u);
        // A new interface in front shifts the rows again.
        r.table.rows.insert(r.table.rows.begin(), IfEntry {std::string("ppp0\0", 5), 300, 400, 4});
        r.table.failCalls = 1;
        r.tick(1000);
        r.t.exec("ALTER TABLE settings RENAME TO settings_away");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("adapter selection not readable"));
        r.tick();
        r.t.exec("ALTER TABLE settings_away RENAME TO settings");
        r.tick();
        const AdapterList& list = r.settings.adapters;
        QCOMPARE(list.count(), 4);
        QCOMPARE(list.text(0), QString("ppp0"));
        // eth0 and tap0 keep their selection; ppp0 stands where no stored row points.
        QVERIFY(!list.isSelected(0) && list.isSelected(1) && !list.isSelected(2) && list.isSelected(3));
        QCOMPARE(r.s.TotalBytesRcvd, 4011u); // what eth0 and tap0 counted during the failed ticks included
        QCOMPARE(r.logRows(), 0);
    }

    // After ticks the timer skipped, the adapters not counted take up their counters from the last of them, so one
    // selected next counts from a tick ago; the counted ones keep theirs.
    void rebaseTakesUpUncountedCounters()
    {
        Rig r;
        r.start({{"eth0", 0, 0, 2, {true}}, {"lo", 0, 0, 1, {false, true}}});
        r.table.rows[0].inOctets += 5;
        r.table.rows[1].inOctets += 1000;
        r.sampler.rebaseUncounted();
        r.settings.adapters.setSelected(1, true);
        r.table.rows[1].inOctets += 10;
        r.sampler.TmrCheckit_Timer();
        QCOMPARE(r.s.TotalBytesRcvd, 15u);
    }

    // Every octet the counted adapters count from the first sample to the exit is in exactly one row: the rows keep
    // their triggers and times, the traffic between a row and the next tick goes into the next row, and the last
    // sample is taken at exit. Each step: the event, then octets received by every interface before the next tick.
    void everyOctetInOneRow_data()
    {
        QTest::addColumn<QString>("events");
        QTest::addColumn<QString>("rows"); // received octets per row, the exit row last
        QTest::newRow("traffic from a total of 0") << "tick 0|tick 500|tick 500" << QString("2000");
        QTest::newRow("64-bit counters pass 2^32 without a row")
            << "tick 4294967000|tick 4294967000|tick 0" << QString("17179868000");
        QTest::newRow("reset counters between ticks") << "tick 700|reset 300|tick 50|tick 0" << QString("1400 700");
        QTest::newRow("deselected adapter") << "tick 100|deselect 60|tick 5|tick 0" << QString("200 65");
        QTest::newRow("vanished adapter") << "tick 100|vanish 60|tick 5|tick 0" << QString("200 65");
        QTest::newRow("recreated adapter") << "tick 100|recreate 60|tick 5|tick 0" << QString("200 130");
        QTest::newRow("exit between ticks") << "tick 100|exit 40" << QString("280");
        QTest::newRow("midnight") << "midnight 100|tick 50|tick 0" << QString("200 100");
    }

    void everyOctetInOneRow()
    {
        QFETCH(QString, events);
        QFETCH(QString, rows);
        Rig r;
        r.clock.set(QDateTime(QDate(2026, 12, 4), QTime(12, 0)));
        r.table.rows = {{"eth0", 0, 0, 1}, {"wlan0", 0, 0, 2}};
        r.sampler.TmrCheckit_Timer();
        for (const QString& step : events.split('|')) {
            const QString event = step.section(' ', 0, 0);
            const quint64 octets = step.section(' ', 1).toULongLong();
            if (event == "reset")
                QVERIFY(r.writer.WriteLogRow());
            else if (event == "deselect")
                r.settings.adapters.setSelected(1, false);
            else if (event == "vanish")
                r.table.rows.pop_back();
            else if (event == "recreate")
                r.table.rows.back() = {"wlan0", 0, 0, 3};
            else if (event == "midnight")
                r.clock.set(QDateTime(QDate(2026, 12, 5), QTime(0, 0, 10)));
            if (event == "exit") {
                for (IfEntry& e : r.table.rows)
                    e.inOctets += octets;
                r.sampler.sampleBeforeExit();
                break;
            }
            r.tick(octets);
        }
        QVERIFY(r.writer.WriteLogRow());
        QCOMPARE(
            r.t.scalar("SELECT group_concat(CAST(bytesrcvd AS INTEGER), ' ') FROM (SELECT * FROM log ORDER BY rowid)")
                .toString(),
            rows);
        QCOMPARE(r.t.scalar("SELECT count(*) FROM log WHERE DateAndTimeEnd < DateAndTimeStart").toInt(), 0);
    }

    // A period begun the day before is written in the first minute of the day, and retried there after a failure;
    // one begun in that minute is not.
    void midnight()
    {
        Rig r;
        r.clock.set(QDateTime(QDate(2002, 12, 4), QTime(0, 0, 20)));
        r.start({{"eth0", 1, 1}});
        r.ticksUntil(QDateTime(QDate(2002, 12, 4), QTime(0, 1)));
        r.clock.set(QDateTime(QDate(2002, 12, 4), QTime(23, 59, 30)));
        r.ticksUntil(QDateTime(QDate(2002, 12, 5), QTime(0, 0)));
        r.t.exec("PRAGMA query_only = ON");
        r.ticksUntil(QDateTime(QDate(2002, 12, 5), QTime(0, 0, 1))); // the rate still covers one tick
        QCOMPARE(r.rateLine, QString("2.0 kBps/s (Avg: 2.0 - Max: 2.0)"));
        r.t.exec("PRAGMA query_only = OFF");
        r.ticksUntil(QDateTime(QDate(2002, 12, 5), QTime(0, 1)));
        QCOMPARE(r.lastRow(), QString("2002-12-04 00:00:20 2002-12-04 23:59:59 0.0 142000.0"));
    }
};

QTEST_GUILESS_MAIN(TestSampler)
#include "tst_sampler.moc"
