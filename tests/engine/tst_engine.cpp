#include "TempEngine.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

// The engine as a view sees it, in a process with no display: only a QCoreApplication, and neither an X server nor
// a Wayland compositor to talk to.
class TestEngine : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TempEngine> m_e;
    std::unique_ptr<QSignalSpy> m_ticks;

    TrafficEngine& engine() { return m_e->engine; }
    void traffic(std::uint64_t eth0In, std::uint64_t eth0Out, std::uint64_t loIn)
    {
        m_e->table.change([&](std::vector<IfEntry>& rows) {
            rows[0].inOctets += loIn;
            rows[1].inOctets += eth0In;
            rows[1].outOctets += eth0Out;
        });
    }
    // Waits for a tick that saw the table as it stands now.
    void nextTick()
    {
        const int calls = m_e->table.callCount();
        const auto ticks = m_ticks->count();
        QTRY_VERIFY(m_e->table.callCount() > calls && m_ticks->count() > ticks);
    }
    // Waits, running the event loop, until the timer has read the table more than n more times.
    void reads(int n)
    {
        const int calls = m_e->table.callCount();
        QTRY_VERIFY(m_e->table.callCount() > calls + n);
    }
    QString rows()
    {
        return m_e->t
            .scalar("SELECT group_concat(CAST(bytesrcvd AS INTEGER) || '/' || CAST(BytesSent AS INTEGER), ' ')"
                    " FROM (SELECT * FROM log ORDER BY rowid)")
            .toString();
    }

private Q_SLOTS:
    void init()
    {
        m_e = std::make_unique<TempEngine>();
        m_e->table.rows
            = {{1, "lo", false, OperState::Unknown, 1000, 1000}, {2, "eth0", true, OperState::Up, 5'000'000'000ull, 7}};
        m_ticks = std::make_unique<QSignalSpy>(&m_e->engine, &TrafficEngine::ticked);
    }
    void cleanup()
    {
        m_ticks.reset();
        m_e.reset();
    }

    // Counted to the byte, from the first reading to the last sample at exit, through Reset Counters; the adapter
    // that is not hardware is not counted.
    void countsAndLogsWithoutADisplay()
    {
        engine().start();
        nextTick(); // the reference
        traffic(1'000'000'007, 3, 5);
        nextTick();
        QCOMPARE(engine().snapshot().rcvdSinceRow, 1'000'000'007u);
        engine().WriteLogRow();
        QCOMPARE(engine().snapshot().rcvdSinceRow, 0u);
        traffic(11, 13, 17);
        QCOMPARE(engine().stop(), QString());
        QCOMPARE(rows(), QString("1000000007/3 11/13"));
    }

    // Under traffic with nothing shown, ticks wait and are published together, each in turn, when a figure is asked
    // for: the figures are those of ticks published one by one.
    void heldTicksArePublishedInTurn()
    {
        engine().TmrCheckit().setInterval(50);
        engine().start();
        nextTick();
        std::optional<qsizetype> held;
        for (const std::uint64_t octets : {1'000, 50'000, 1'000}) {
            traffic(octets, 0, 0);
            reads(1);
            held = held.value_or(m_ticks->count());
        }
        QCOMPARE(m_ticks->count(), *held);
        engine().catchUp();
        QVERIFY(m_ticks->count() >= *held + 4);
        QCOMPARE(engine().snapshot().rcvdSinceRow, 52'000u);
        QCOMPARE(engine().snapshot().maxDown, 100.0);
        QCOMPARE(engine().snapshot().tick.downRate, 0.0);
    }

    // While every watching view says that a tick without traffic changes nothing it shows, such ticks are not
    // published; traffic is, at once, with the count of those skipped.
    void restsWhileWatchersSeeNoChange()
    {
        engine().TmrCheckit().setInterval(20);
        engine().watch(this, true);
        engine().restWhileQuiet(this, true);
        engine().start();
        reads(2);
        const auto rested = m_ticks->count();
        reads(5);
        QCOMPARE(m_ticks->count(), rested);
        traffic(1000, 0, 0);
        nextTick();
        QVERIFY(m_ticks->at(rested)[0].value<Snapshot>().quietBefore >= 5);
        engine().restWhileQuiet(this, false);
        reads(4);
        QVERIFY(m_ticks->count() >= rested + 3);
    }

    // Volume Graphs logs first only when AutoReset is stored as 1, not when only the check box says so.
    void autoResetIsTheStoredOne()
    {
        engine().start();
        nextTick();
        engine().settings().setLive(&Settings::AutoReset, 1);
        engine().logBeforeGraphs();
        Settings stored = engine().settings().current();
        QVERIFY(engine().settings().save(stored, nullptr).isEmpty());
        engine().logBeforeGraphs();
        engine().stop();
        QCOMPARE(rows(), QString("0/0 0/0"));
    }

    // A settings table of another shape: the user hears of it once, at the start, and the ticks say nothing more.
    void settingsOfAnotherShape()
    {
        cleanup();
        TempDatabase t(QStringLiteral("shape"));
        t.exec("ALTER TABLE settings RENAME COLUMN Settingvalue TO value");
        FakeIfTable table;
        table.rows = {{2, "eth0", true}};
        FakeClock clock;
        FakeNotifier notifier;
        TrafficEngine e({table, clock, notifier});
        QString error;
        QStringList warnings;
        QVERIFY(e.open(t.path(), &error, &warnings));
        QCOMPARE(warnings.size(), 1);
        QVERIFY2(warnings[0].startsWith("The settings could not be read"), qPrintable(warnings[0]));
        QTest::failOnWarning(QRegularExpression(".*"));
        e.TmrCheckit().setInterval(20);
        e.start();
        QTRY_VERIFY(table.callCount() > 10);
        e.stop();
    }
};

QTEST_GUILESS_MAIN(TestEngine)
#include "tst_engine.moc"
