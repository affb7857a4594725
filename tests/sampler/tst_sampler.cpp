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
        QCOMPARE(VolumeText(1048575), QString("1,024.0 kB"));
        QCOMPARE(VolumeText(1048576), QString("1.00 MB"));
        QCOMPARE(RateLine(500, 12.34, 1234.5, false), QString("500.0 kBps/s (Avg: 12.3 - Max: 1,234.5)"));
        QCOMPARE(RateLine(124.9, 1, 124.9, true), QString("1,023.2 Kbps/s (Avg: 8.2 - Max: 1,023.2)"));
        QCOMPARE(ZeroRateLine(10, 0, true), QString("0.0 Kbps/s (Avg: 81.9 - Max: 0.0)"));
        QCOMPARE(GraphToolTip(1501, false), QString("Graph Max: 1501")); // no grouping in bytes
        QCOMPARE(GraphToolTip(501, true), QString("Graph Max: 4,104"));
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(VolumeText(1048575), QString("1.024,0 kB"));
        // The zero line's "0.0" is fixed text; the average follows the locale.
        QCOMPARE(ZeroRateLine(1.5, 2, false), QString("0.0 kBps/s (Avg: 1,5 - Max: 2,0)"));
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    void hiddenWindowSkipsTextsButNotFiguresOrGraphs()
    {
        Rig r;
        r.table.rows = {{"lo", 1000, 2000}};
        r.settings.whatsleft = 1;
        r.shown = false;
        r.tick();
        r.tick(125000, 1000);
        QVERIFY(r.download.isEmpty() && r.rateLine.isEmpty() && r.caption.isEmpty());
        QCOMPARE(r.volumeLeftCalls, 0);
        QCOMPARE(r.samples[0].last(), 250); // the graphs keep their history while hidden
        QCOMPARE(r.s.MaxDownSpeed.toDouble(), 250.0);
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
        r.table.rows = {{"lo", 1000, 2000}, {"eth0", 3000000, 50000}};
        r.tick();
        QVERIFY(r.settings.adapters.isSelected(0) && r.settings.adapters.isSelected(1)); // no Adapter<n> rows
        QCOMPARE(r.download, QString("2.86 MB"));
        QCOMPARE(r.upload, QString("50.8 kB"));
        QCOMPARE(r.caption, QString("2.91 MB"));
        QCOMPARE(r.rateLine, QString("0.0 kBps/s (Avg: 0.0 - Max: 0.0)"));
        r.tick(); // nothing moved: volumes count from the period start, still no rate
        QCOMPARE(r.download, QString("0.0 kB"));
        QCOMPARE(r.samples[0], (QVector<qint32> {0, 0}));
        QCOMPARE(r.samples[1], (QVector<qint32> {0, 0}));
        QCOMPARE(r.volumeLeftCalls, 0);

        r.settings.whatsleft = 1;
        r.tick(125000, 25000); // 250,000 octets received in the tick over both adapters
        QCOMPARE(r.rateLine, QString("500.0 kBps/s (Avg: 500.0 - Max: 500.0)"));
        QCOMPARE(r.download, QString("244.1 kB"));
        QCOMPARE(r.samples[0].last(), 500);
        QCOMPARE(r.samples[1].last(), 100);
        QCOMPARE(r.tip[1], QString("Graph Max: 501"));
        r.settings.kilobit = 1; // read live at the next tick
        r.tick(125000, 25000);
        QCOMPARE(r.rateLine, QString("4.0 Mbps/s (Avg: 4,096.0 - Max: 4,096.0)"));
        QCOMPARE(r.download, QString("488.3 kB"));
        QCOMPARE(r.volumeLeftCalls, 2);
        QCOMPARE(r.logRows(), 0);
    }

    void averageMaximumAndScale()
    {
        Rig r;
        r.table.rows = {{"eth0", 1, 1}};
        r.tick();
        r.tick(1500); // 3 kB/s: a new maximum, but 3 is not above the start scale 5 + 1
        QCOMPARE(r.s.MaxDownSpeed.toDouble(), 3.0);
        QCOMPARE(r.max[0], 5);
        r.tick(250); // exactly 0.5 kB/s counts as a sample at the current average
        QCOMPARE(r.s.PeriodAvgDownSpeed.toDouble(), 3.0);
        r.tick(10000); // 20 kB/s: average 8.6667, and 20 < 4 x average
        QCOMPARE(r.s.PeriodAvgDownSpeed.units(), 86667);
        QCOMPARE(r.max[0], 21);

        QVERIFY(r.writer.WriteLogRow()); // as Reset Counters: the average restarts, the maximum stays
        r.tick();
        r.tick(0, 50000); // 100 kB/s up against no download average: no upload maximum
        QCOMPARE(r.s.MaxUpSpeed.toDouble(), 0.0);
        QCOMPARE(r.samples[1].last(), 100);
        for (int i = 0; i < 9; ++i)
            r.tick(5000);
        r.tick(30000); // 60 kB/s against an average of 15: not below 4 x average, the scale stays
        QCOMPARE(r.s.PeriodAvgDownSpeed.toDouble(), 15.0);
        QCOMPARE(r.s.MaxDownSpeed.toDouble(), 60.0);
        QCOMPARE(r.max[0], 21);
        r.settings.kilobit = 1;
        r.tick(31000); // 62 kB/s: above the maximum + 1 and below 4 x the new average
        QCOMPARE(r.max[0], 63);
        QCOMPARE(r.tip[0], QString("Graph Max: 516"));
        r.tick(0, 50000); // up may now reach 4 x the download average, and rescales both graphs
        QCOMPARE(r.s.MaxUpSpeed.toDouble(), 100.0);
        QCOMPARE(r.max[1], 101);
        QCOMPARE(r.tip[1], QString("Graph Max: 827"));
    }

    void counterWrapEndsThePeriodAtThePreviousTotals()
    {
        Rig r;
        r.table.rows = {{"eth0", 4294000000u, 7000}};
        r.tick();
        r.tick(700000, 100);
        r.tick(700000, 100); // the received counter passes 2^32
        QCOMPARE(r.lastRow(), QString("2002-11-27 12:00:00 2002-11-27 12:00:01 100.0 700000.0"));
        QCOMPARE(r.timer, (TimerSwitches {{false, 0}, {true, 1}}));
        QCOMPARE(r.rateLine, QString("0.0 kBps/s (Avg: 1,400.0 - Max: 1,400.0)"));

        const QDateTime reopen = r.clock.now();
        r.tick(); // the next tick opens a new period at the lower totals
        QCOMPARE(r.s.PeriodStart, reopen);
        QCOMPARE(r.s.LoggedBytesRcvd, double((4294000000ull + 1400000) & 0xffffffff));
        r.tick(1024);
        QCOMPARE(r.download, QString("1.0 kB"));
        QCOMPARE(r.logRows(), 1);
    }

    void appearingInterfaceRebuildsTheListByPosition()
    {
        Rig r;
        r.t.exec("INSERT INTO settings VALUES ('Adapter1', 'eth0')");
        r.table.rows = {{"lo", 100, 200}, {"eth0", 10, 20}};
        r.tick();
        QCOMPARE(r.s.TotalBytesRcvd, 10.0);

        // A new interface in front shifts the rows. A table or selection that cannot be read keeps last tick's
        // totals, so no false drop ends the period, and the rebuild is retried.
        r.table.rows.insert(r.table.rows.begin(), IfEntry {std::string("ppp0\0", 5), 300, 400});
        r.table.failCalls = 1;
        r.tick();
        QCOMPARE(r.s.TotalBytesRcvd, 10.0);
        r.t.exec("ALTER TABLE settings RENAME TO settings_away");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("adapter selection not readable"));
        r.tick();
        QCOMPARE(r.s.TotalBytesRcvd, 10.0);
        r.t.exec("ALTER TABLE settings_away RENAME TO settings");
        r.tick();
        QCOMPARE(r.settings.adapters.count(), 3);
        QCOMPARE(r.settings.adapters.text(0), QString("ppp0"));
        // The selection follows the position, not the name.
        const AdapterList& list = r.settings.adapters;
        QVERIFY(!list.isSelected(0) && list.isSelected(1) && !list.isSelected(2));
        QCOMPARE(r.s.TotalBytesRcvd, 100.0); // counted at once with its whole counter
        QCOMPARE(r.logRows(), 0);
    }

    void deselectionEndsThePeriodAndAFailedWriteKeepsItPending()
    {
        Rig r;
        r.table.rows = {{"lo", 100, 100}, {"eth0", 100, 100}};
        r.tick();
        r.tick(1000, 1000);
        r.t.exec("PRAGMA query_only = ON");
        r.settings.adapters.setSelected(0, false);
        r.tick();
        r.tick(1000, 1000); // still below the stored totals: tried again
        QCOMPARE(r.logRows(), 0);
        QCOMPARE(r.timer, (TimerSwitches {{false, 0}, {true, 0}, {false, 0}, {true, 0}}));
        QCOMPARE(r.boxes.shown.size(), 1);

        r.t.exec("PRAGMA query_only = OFF");
        r.tick(); // the totals of the last tick before the drop
        QCOMPARE(r.lastRow(), QString("2002-11-27 12:00:00 2002-11-27 12:00:02 2000.0 2000.0"));
        r.tick();
        QCOMPARE(r.s.LoggedBytesRcvd, 2100.0); // the new period counts only the adapter still selected
    }

    // A period begun the day before is written in the first minute of the day, and retried there after a failure.
    void midnight()
    {
        Rig r;
        r.clock.set(QDateTime(QDate(2002, 12, 4), QTime(23, 59, 30)));
        r.table.rows = {{"eth0", 1, 1}};
        r.ticksUntil(QDateTime(QDate(2002, 12, 5), QTime(0, 0)));
        r.t.exec("PRAGMA query_only = ON");
        r.ticksUntil(QDateTime(QDate(2002, 12, 5), QTime(0, 0, 1))); // the rate still covers one tick
        QCOMPARE(r.rateLine, QString("2.0 kBps/s (Avg: 2.0 - Max: 2.0)"));
        r.t.exec("PRAGMA query_only = OFF");
        r.ticksUntil(QDateTime(QDate(2002, 12, 5), QTime(0, 1)));
        QCOMPARE(r.logRows(), 1);
        // The first tick only opened the period; the row takes everything up to the write at 00:00:01.
        QCOMPARE(r.lastRow(), QString("2002-12-04 23:59:30 2002-12-04 23:59:59 0.0 62000.0"));
    }

    void startJustAfterMidnight()
    {
        Rig r;
        r.clock.set(QDateTime(QDate(2002, 12, 4), QTime(0, 0, 20)));
        r.table.rows = {{"eth0", 1, 1}};
        r.ticksUntil(QDateTime(QDate(2002, 12, 4), QTime(0, 1)));
        QCOMPARE(r.logRows(), 0);
        r.clock.set(QDateTime(QDate(2002, 12, 5), QTime(0, 0, 5)));
        r.tick(1000);
        QCOMPARE(r.logRows(), 1);
    }
};

QTEST_GUILESS_MAIN(TestSampler)
#include "tst_sampler.moc"
