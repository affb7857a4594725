#include "FakeIfTable.h"
#include "SampleTimer.h"

#include <QTest>

#include <chrono>
#include <thread>

namespace {

// Waits, without running the event loop, until the thread has taken n more readings.
void awaitReadings(const FakeIfTable& table, int n)
{
    const int until = table.callCount() + n;
    for (int k = 0; k < 5000 && table.callCount() < until; ++k)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

} // namespace

// The timer on a 20 ms interval, and what each reading handed on carried.
class TestSampleTimer : public QObject
{
    Q_OBJECT

private:
    struct Tick
    {
        quint64 quietBefore;
        std::uint64_t baseLoIn; // 0 without a base
        std::uint64_t in;
    };
    FakeIfTable m_table;
    std::unique_ptr<SampleTimer> m_timer;
    QVector<Tick> m_ticks;
    // Handed to settle() or hold() by the next reading's receiver, as the engine does from its tick.
    qint64 m_settleMs = 0;
    bool m_hold = false;

    // Settles or holds at the next reading and waits until the readings have stopped coming.
    void settle(qint64 ms, bool hold = false)
    {
        m_hold = hold;
        m_settleMs = ms;
        QTRY_VERIFY(m_settleMs == 0);
        const auto settledAt = m_ticks.size();
        awaitReadings(m_table, 3);
        QCoreApplication::processEvents();
        QCOMPARE(m_ticks.size(), settledAt);
    }

private Q_SLOTS:
    void init()
    {
        // eth0 (index 2) is counted, lo is not.
        m_table.rows = {{1, "lo", false, OperState::Unknown, 7, 7}, {2, "eth0", true, OperState::Up, 100, 0}};
        m_ticks.clear();
        m_timer = std::make_unique<SampleTimer>(m_table);
        m_timer->setInterval(20);
        connect(m_timer.get(), &SampleTimer::reading, this, [this](Reading& r) {
            m_ticks.append({r.quietBefore, r.hasBase ? r.base[0].inOctets : 0, r.ok ? r.entries[1].inOctets : 0});
            if (m_settleMs != 0 && m_hold)
                m_timer->hold(std::exchange(m_settleMs, 0));
            else if (m_settleMs != 0)
                m_timer->settle(std::exchange(m_settleMs, 0), {2});
        });
        m_timer->start();
        // The first reading comes at once; unchanged readings are handed on while nothing has settled.
        QTRY_VERIFY(m_ticks.size() >= 2);
        QCOMPARE(m_ticks.last().in, 100u);
    }
    void cleanup() { m_timer.reset(); }

    // Settled, the receiver sleeps through readings in which only uncounted adapters moved; a counted one's traffic
    // wakes it with the count of those skipped and the last of them, and ends the settled state.
    void skipsReadingsWithoutCountedTrafficWhileSettled()
    {
        settle(60000);
        const auto woken = m_ticks.size();
        m_table.change([](std::vector<IfEntry>& rows) { rows[0].inOctets += 1000; });
        awaitReadings(m_table, 7);
        m_table.change([](std::vector<IfEntry>& rows) { rows[1].inOctets += 50; });
        QTRY_VERIFY(m_ticks.size() >= woken + 3);
        QVERIFY(m_ticks[woken].quietBefore >= 8);
        QCOMPARE(m_ticks[woken].baseLoIn, 1007u);
        QCOMPARE(m_ticks[woken].in, 150u);
        QCOMPARE(m_ticks[woken + 1].quietBefore, 0u);
        QCOMPARE(m_ticks[woken + 1].baseLoIn, 0u);
    }

    // A settled stretch or a hold ends when its time is up, or when the set of interfaces changes: the readings
    // skipped come with the next one, those held each in turn, at once.
    void restEnds_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("hold");
        for (const bool hold : {false, true}) {
            QTest::addRow("%s, time up", hold ? "held" : "settled") << "time" << hold;
            QTest::addRow("%s, an interface appears", hold ? "held" : "settled") << "appear" << hold;
        }
    }
    void restEnds()
    {
        QFETCH(QString, how);
        QFETCH(bool, hold);
        settle(how == "time" ? 300 : 60000, hold);
        const auto woken = m_ticks.size();
        awaitReadings(m_table, 3);
        if (how == "appear")
            m_table.change([](std::vector<IfEntry>& rows) { rows.push_back({3, "veth0"}); });
        QTRY_VERIFY(m_ticks.size() > woken);
        if (hold)
            QVERIFY(m_ticks.size() >= woken + 6 && m_ticks[woken].quietBefore == 0);
        else
            QVERIFY(m_ticks[woken].quietBefore >= 3);
    }

    // A stop drops the reading still on its way.
    void stopDropsTheReadingOnItsWay()
    {
        awaitReadings(m_table, 1);
        m_timer->stop();
        const auto stopped = m_ticks.size();
        QCoreApplication::processEvents();
        QCOMPARE(m_ticks.size(), stopped);
        QVERIFY(!m_timer->isActive());
    }
};

QTEST_GUILESS_MAIN(TestSampleTimer)
#include "tst_sampletimer.moc"
