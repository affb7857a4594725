#include "Clock.h"
#include "FakeIfTable.h"
#include "LogWriter.h"
#include "MessageBox.h"
#include "Sampler.h"
#include "Settings.h"
#include "TempDatabase.h"
#include "TrafficState.h"

#include <QLocale>
#include <QRegularExpression>
#include <QTest>

#include <cstring>

namespace {

using Graph = SamplerView::Graph;

// Records what the tick shows; the graphs start at the scale start-up gives them.
class FakeView : public SamplerView
{
public:
    explicit FakeView(TempDatabase& t)
        : m_t(t)
    {
    }
    void setDownloadText(const QString& text) override { download = text; }
    void setUploadText(const QString& text) override { upload = text; }
    void setCaption(const QString& text) override { caption = text; }
    void setRateLine(const QString& text) override { rateLine = text; }
    void graphUpdate(Graph g, qint32 sample) override { samples[int(g)].append(sample); }
    qint32 graphMax(Graph g) const override { return max[int(g)]; }
    void setGraphMax(Graph g, qint32 m) override { max[int(g)] = m; }
    void setGraphToolTip(Graph g, const QString& text) override { tip[int(g)] = text; }
    void refreshVolumeLeft() override { ++volumeLeftCalls; }
    // Each switch is recorded with the number of log rows at that moment, so a test sees what it surrounded.
    void setTimerEnabled(bool on) override { timer.append({on, m_t.scalar("SELECT count(*) FROM log").toInt()}); }

    QString download, upload, caption, rateLine;
    QVector<qint32> samples[2];
    qint32 max[2] = {5, 5};
    QString tip[2];
    int volumeLeftCalls = 0;
    QVector<QPair<bool, int>> timer;

private:
    TempDatabase& m_t;
};

struct Rig
{
    explicit Rig(QDateTime start = QDateTime(QDate(2002, 12, 4), QTime(12, 0)))
        : clock(std::move(start))
    {
    }
    void tick()
    {
        sampler.TmrCheckit_Timer();
        clock.advanceMs(TmrCheckitInterval);
    }
    // One tick in which every interface receives `in` and sends `out` octets more.
    void traffic(std::uint64_t in, std::uint64_t out = 0)
    {
        for (IfEntry& e : table.rows) {
            e.inOctets += in;
            e.outOctets += out;
        }
        tick();
    }
    int logRows() { return t.scalar("SELECT count(*) FROM log").toInt(); }
    QVariantList lastRow()
    {
        QSqlQuery q(t.db.database());
        q.exec("SELECT DateAndTimeStart, DateAndTimeEnd, BytesSent, bytesrcvd FROM log ORDER BY rowid DESC");
        return q.next() ? QVariantList {q.value(0), q.value(1), q.value(2).toDouble(), q.value(3).toDouble()}
                        : QVariantList {};
    }

    TempDatabase t;
    TrafficState s;
    SettingsRecord settings;
    FakeIfTable table;
    FakeClock clock;
    FakeMessageBoxes boxes;
    LogWriter writer {t.db, s, clock, boxes};
    FakeView view {t};
    Sampler sampler {table, t.db, s, settings, writer, clock, view};
};

} // namespace

class TestSampler : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void firstTickShowsWholeCountersWithoutRate()
    {
        Rig r;
        r.table.rows = {{"lo", 1000, 2000}, {"eth0", 3000000, 50000}};
        r.tick();
        QCOMPARE(r.settings.adapters.count(), 2);
        QCOMPARE(r.settings.adapters.text(1), QString("eth0"));
        QVERIFY(r.settings.adapters.isSelected(0) && r.settings.adapters.isSelected(1)); // no Adapter<n> rows
        QCOMPARE(r.view.download, QString("2.86 MB"));
        QCOMPARE(r.view.upload, QString("50.8 kB"));
        QCOMPARE(r.view.caption, QString("2.91 MB"));
        QCOMPARE(r.view.rateLine, QString("0.0 kBps/s (Avg: 0.0 - Max: 0.0)"));
        QCOMPARE(r.s.PeriodStart, QDateTime(QDate(2002, 12, 4), QTime(12, 0)));
        QCOMPARE(r.s.LoggedBytesRcvd, 3001000.0);
        QCOMPARE(r.s.PrevBytesSent, 52000.0);

        r.tick(); // nothing moved: volumes count from the period start, still no rate
        QCOMPARE(r.view.download, QString("0.0 kB"));
        QCOMPARE(r.view.samples[0], (QVector<qint32> {0, 0}));
        QCOMPARE(r.view.samples[1], (QVector<qint32> {0, 0}));
        QCOMPARE(r.logRows(), 0);
        QCOMPARE(r.view.volumeLeftCalls, 0);
    }

    void steadyTraffic()
    {
        Rig r;
        r.table.rows = {{"eth0", 10, 10}};
        r.settings.whatsleft = 1;
        r.tick();
        r.traffic(250000, 50000);
        QCOMPARE(r.view.rateLine, QString("500.0 kBps/s (Avg: 500.0 - Max: 500.0)"));
        QCOMPARE(r.view.download, QString("244.1 kB"));
        QCOMPARE(r.view.samples[0].last(), 500);
        QCOMPARE(r.view.samples[1].last(), 100);
        QCOMPARE(r.view.max[0], 501);
        QCOMPARE(r.view.max[1], 501);
        QCOMPARE(r.view.tip[1], QString("Graph Max: 501"));
        QCOMPARE(r.s.MaxUpSpeed.toDouble(), 100.0);

        r.settings.kilobit = 1; // read live at the next tick
        r.traffic(250000, 50000);
        QCOMPARE(r.view.rateLine, QString("4.0 Mbps/s (Avg: 4,096.0 - Max: 4,096.0)"));
        QCOMPARE(r.view.download, QString("488.3 kB"));
        QCOMPARE(r.s.PeriodSampleCount, 2.0);
        QCOMPARE(r.view.volumeLeftCalls, 3);
        QCOMPARE(r.logRows(), 0);
    }

    void averageAndScale()
    {
        Rig r;
        r.table.rows = {{"eth0", 1, 0}};
        r.tick();
        r.traffic(1500); // 3 kB/s: a new maximum, but 3 is not above the start scale 5 + 1
        QCOMPARE(r.s.MaxDownSpeed.toDouble(), 3.0);
        QCOMPARE(r.view.max[0], 5);
        QVERIFY(r.view.tip[0].isEmpty());
        r.traffic(250); // exactly 0.5 kB/s counts as a sample at the current average
        QCOMPARE(r.s.PeriodAvgDownSpeed.toDouble(), 3.0);
        QCOMPARE(r.s.PeriodSampleCount, 2.0);
        r.traffic(10000); // 20 kB/s: average 8.6667, and 20 < 4 x average
        QCOMPARE(r.s.PeriodAvgDownSpeed.units(), 86667);
        QCOMPARE(r.view.max[0], 21);
        QCOMPARE(r.view.max[1], 21);

        QVERIFY(r.writer.WriteLogRow()); // as Reset Counters: the average restarts, the maximum stays
        r.tick();
        for (int i = 0; i < 9; ++i)
            r.traffic(5000);
        r.traffic(30000); // 60 kB/s against an average of 15: not below 4 x average, the scale stays
        QCOMPARE(r.s.PeriodAvgDownSpeed.toDouble(), 15.0);
        QCOMPARE(r.s.MaxDownSpeed.toDouble(), 60.0);
        QCOMPARE(r.view.max[0], 21);
        r.settings.kilobit = 1;
        r.traffic(31000); // 62 kB/s: above the maximum + 1 and below 4 x the new average
        QCOMPARE(r.view.max[0], 63);
        QCOMPARE(r.view.tip[0], QString("Graph Max: 516"));
    }

    void uploadMaximumWaitsForADownloadAverage()
    {
        Rig r;
        r.table.rows = {{"eth0", 1, 1}};
        r.tick();
        r.traffic(0, 50000); // 100 kB/s up, nothing down: the average is 0
        QCOMPARE(r.s.MaxUpSpeed.toDouble(), 0.0);
        QCOMPARE(r.view.samples[1].last(), 100);
        QCOMPARE(r.view.max[1], 5);
        r.traffic(20000, 50000); // 40 kB/s down: up may now reach 4 x 40, and rescales both graphs
        QCOMPARE(r.s.MaxUpSpeed.toDouble(), 100.0);
        QCOMPARE(r.view.max[0], 101);
        QCOMPARE(r.view.max[1], 101);
    }

    void counterWrapEndsThePeriodAtThePreviousTotals()
    {
        Rig r;
        r.table.rows = {{"eth0", 4294000000u, 7000}};
        r.tick();
        r.traffic(700000, 100);
        r.traffic(700000, 100); // the received counter passes 2^32
        QCOMPARE(r.logRows(), 1);
        QCOMPARE(r.lastRow().mid(2), (QVariantList {100.0, 700000.0}));
        QCOMPARE(r.view.timer, (QVector<QPair<bool, int>> {{false, 0}, {true, 1}}));
        QCOMPARE(r.view.rateLine, QString("0.0 kBps/s (Avg: 1,400.0 - Max: 1,400.0)"));

        const QDateTime reopen = r.clock.now();
        r.tick(); // the next tick opens a new period at the lower totals
        QCOMPARE(r.s.PeriodStart, reopen);
        QCOMPARE(r.s.LoggedBytesRcvd, double((4294000000ull + 1400000) & 0xffffffff));
        r.traffic(1024);
        QCOMPARE(r.view.download, QString("1.0 kB"));
        QCOMPARE(r.logRows(), 1);
    }

    void appearingInterfaceRebuildsTheListByPosition()
    {
        Rig r;
        r.t.exec("INSERT INTO settings VALUES ('Adapter1', 'eth0')");
        r.table.rows = {{"lo", 100, 200}, {"eth0", 10, 20}};
        r.tick();
        QCOMPARE(r.s.TotalBytesRcvd, 10.0);

        r.table.rows[1].name = "wlan0"; // same count: no rebuild, the list keeps its texts
        r.tick();
        QCOMPARE(r.settings.adapters.text(1), QString("eth0"));

        // A new interface in front shifts the rows; the selection follows the position, not the name.
        r.table.rows.insert(r.table.rows.begin(), IfEntry {std::string("ppp0\0", 5), 300, 400});
        r.tick();
        QCOMPARE(r.settings.adapters.count(), 3);
        QCOMPARE(r.settings.adapters.text(0), QString("ppp0"));
        QVERIFY(!r.settings.adapters.isSelected(0) && r.settings.adapters.isSelected(1));
        QVERIFY(!r.settings.adapters.isSelected(2));
        QCOMPARE(r.s.TotalBytesRcvd, 100.0); // counted at once with its whole counter
    }

    void unreadableSelectionIsRetried()
    {
        Rig r;
        r.table.rows = {{"lo", 1, 2}};
        r.tick();
        r.t.exec("ALTER TABLE settings RENAME TO settings_away");
        r.table.rows.push_back({"eth0", 1000, 2000});
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("adapter selection not readable"));
        r.tick();
        QCOMPARE(r.s.TotalBytesRcvd, 1.0); // totals as they were, no false drop
        QCOMPARE(r.settings.adapters.count(), 1);
        r.t.exec("ALTER TABLE settings_away RENAME TO settings");
        r.tick();
        QCOMPARE(r.settings.adapters.count(), 2);
        QCOMPARE(r.s.TotalBytesRcvd, 1001.0);

        // A table whose count claims a row more than it carries is a failed read as well.
        struct OverstatedTable : FakeIfTable
        {
            std::uint32_t GetIfTable(std::uint8_t* table, std::uint32_t* size, bool sort) override
            {
                const std::uint32_t rc = FakeIfTable::GetIfTable(table, size, sort);
                const auto claimed = std::uint32_t(rows.size() + 1);
                if (table && rc == IfTableStatus::Ok)
                    std::memcpy(table, &claimed, sizeof claimed);
                return rc;
            }
        } overstated;
        overstated.rows = {{"lo", 7, 7}, {"eth0", 7000, 7000}};
        Sampler other {overstated, r.t.db, r.s, r.settings, r.writer, r.clock, r.view};
        other.TmrCheckit_Timer();
        QCOMPARE(r.s.TotalBytesRcvd, 1001.0);

        r.table.failCalls = 1; // a failed table read keeps the totals too
        r.table.rows[0].inOctets = 5;
        r.tick();
        QCOMPARE(r.s.TotalBytesRcvd, 1001.0);
        QCOMPARE(r.logRows(), 0);
    }

    void midnight()
    {
        Rig r(QDateTime(QDate(2002, 12, 4), QTime(23, 59, 30)));
        r.table.rows = {{"eth0", 1, 1}};
        while (r.clock.now() < QDateTime(QDate(2002, 12, 5), QTime(0, 1)))
            r.traffic(1000);
        QCOMPARE(r.logRows(), 1);
        const QVariantList row = r.lastRow();
        QCOMPARE(row[0].toString(), QString("2002-12-04 23:59:30"));
        QCOMPARE(row[1].toString(), QString("2002-12-04 23:59:59"));
        QCOMPARE(row[3].toDouble(), 60 * 1000.0); // the first tick only opened the period
    }

    void startJustAfterMidnight()
    {
        Rig r(QDateTime(QDate(2002, 12, 4), QTime(0, 0, 20)));
        r.table.rows = {{"eth0", 1, 1}};
        while (r.clock.now() < QDateTime(QDate(2002, 12, 4), QTime(0, 1)))
            r.traffic(1000);
        QCOMPARE(r.logRows(), 0);
        r.clock.set(QDateTime(QDate(2002, 12, 5), QTime(0, 0, 5)));
        r.traffic(1000);
        QCOMPARE(r.logRows(), 1);
    }

    void deselectionEndsThePeriodAndAFailedWriteKeepsItPending()
    {
        Rig r;
        r.table.rows = {{"lo", 100, 100}, {"eth0", 100, 100}};
        r.tick();
        r.traffic(1000, 1000);
        r.t.exec("PRAGMA query_only = ON");
        r.settings.adapters.setSelected(0, false);
        r.tick();
        r.traffic(1000, 1000); // still below the stored totals: tried again
        QCOMPARE(r.logRows(), 0);
        QCOMPARE(r.view.timer, (QVector<QPair<bool, int>> {{false, 0}, {true, 0}, {false, 0}, {true, 0}}));
        QCOMPARE(r.boxes.shown.size(), 1);

        r.t.exec("PRAGMA query_only = OFF");
        r.tick();
        QCOMPARE(r.logRows(), 1); // the totals of the last tick before the drop
        QCOMPARE(r.lastRow().mid(2), (QVariantList {2000.0, 2000.0}));
        r.tick();
        QCOMPARE(r.s.LoggedBytesRcvd, 2100.0); // the new period counts only the adapter still selected
    }

    void failedMidnightWriteIsRetriedWithinTheMinute()
    {
        Rig r(QDateTime(QDate(2002, 12, 4), QTime(23, 59, 59, 500)));
        r.table.rows = {{"eth0", 1, 1}};
        r.tick();
        r.t.exec("PRAGMA query_only = ON");
        r.traffic(1000);
        r.traffic(1000); // the rate still covers one tick
        QCOMPARE(r.view.rateLine, QString("2.0 kBps/s (Avg: 2.0 - Max: 2.0)"));
        r.t.exec("PRAGMA query_only = OFF");
        r.traffic(1000);
        QCOMPARE(r.logRows(), 1);
        QCOMPARE(r.lastRow(), (QVariantList {"2002-12-04 23:59:59", "2002-12-04 23:59:59", 0.0, 3000.0}));
    }
};

QTEST_GUILESS_MAIN(TestSampler)
#include "tst_sampler.moc"
