#include "FakeIfTable.h"
#include "SampleTimer.h"

#include <QTest>

#include <chrono>
#include <thread>

namespace {

// A row's received octets as the timer serves its table to the sampler.
std::uint64_t servedIn(SampleTimer& timer, std::uint32_t k = 0)
{
    std::uint32_t size = 0;
    timer.GetIfTable(nullptr, &size, true);
    std::vector<std::uint8_t> bytes(size);
    IfRow row;
    if (size == 0 || timer.GetIfTable(bytes.data(), &size, true) != IfTableStatus::Ok
        || !readIfRow(bytes.data(), size, k, row))
        return ~0ull;
    return row.inOctets;
}

// Waits, without running the event loop, until the thread has taken n more readings (two calls each).
void awaitReadings(const FakeIfTable& table, int n)
{
    const int until = table.callCount() + 2 * n;
    for (int k = 0; k < 5000 && table.callCount() < until; ++k)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

} // namespace

// The timer on a 20 ms interval, and what each tick saw: the readings skipped before it and the table served.
class TestSampleTimer : public QObject
{
    Q_OBJECT

private:
    struct Tick
    {
        quint64 skipped;
        std::uint64_t baseLoIn; // 0 without a base
        std::uint64_t in;
    };
    FakeIfTable m_table;
    std::unique_ptr<SampleTimer> m_timer;
    QVector<Tick> m_ticks;
    // Handed to settle() by the next tick, as the program settles from its tick.
    qint64 m_settleMs = 0;

    // Settles at the next tick and waits until the ticks have stopped.
    void settle(qint64 ms)
    {
        m_settleMs = ms;
        QTRY_VERIFY(m_settleMs == 0);
        const int settledAt = m_ticks.size();
        awaitReadings(m_table, 3);
        QCoreApplication::processEvents();
        QCOMPARE(m_ticks.size(), settledAt);
    }

private Q_SLOTS:
    void init()
    {
        // eth0 is counted, lo is not.
        m_table.rows = {{"eth0", 100, 0, 2, {true}}, {"lo", 7, 7, 1}};
        m_ticks.clear();
        m_timer = std::make_unique<SampleTimer>(m_table);
        m_timer->setInterval(20);
        connect(m_timer.get(), &SampleTimer::timeout, this, [this] {
            const quint64 skipped = m_timer->takeSkipped();
            const std::uint64_t baseLoIn = m_timer->hasBase() ? servedIn(*m_timer, 1) : 0;
            m_ticks.append({skipped, baseLoIn, servedIn(*m_timer)});
            if (m_settleMs != 0)
                m_timer->settle(std::exchange(m_settleMs, 0), {true, false});
        });
        m_timer->start();
        // Unchanged readings are handed on while nothing has settled.
        QTRY_VERIFY(m_ticks.size() >= 2);
        QCOMPARE(m_ticks.last().in, 100u);
    }
    void cleanup() { m_timer.reset(); }

    // Settled, the user-interface thread sleeps through readings in which only uncounted adapters moved; a counted
    // one's traffic wakes it with the count of those skipped and the last of them, and ends the settled state.
    void skipsReadingsWithoutCountedTrafficWhileSettled()
    {
        settle(60000);
        const int woken = m_ticks.size();
        m_table.change([](std::vector<IfEntry>& rows) { rows[1].inOctets += 1000; });
        awaitReadings(m_table, 7);
        m_table.change([](std::vector<IfEntry>& rows) { rows[0].inOctets += 50; });
        QTRY_VERIFY(m_ticks.size() >= woken + 3);
        QVERIFY(m_ticks[woken].skipped >= 10);
        QCOMPARE(m_ticks[woken].baseLoIn, 1007u);
        QCOMPARE(m_ticks[woken].in, 150u);
        QCOMPARE(m_ticks[woken + 1].skipped, 0u);
        QCOMPARE(m_ticks[woken + 1].baseLoIn, 0u);
    }

    // A settled stretch ends when its time is up, or at once when the readouts are to be seen.
    void settledStretchEnds_data()
    {
        QTest::addColumn<bool>("byTime");
        QTest::newRow("time up") << true;
        QTest::newRow("unsettled") << false;
    }
    void settledStretchEnds()
    {
        QFETCH(bool, byTime);
        settle(byTime ? 200 : 60000);
        const int woken = m_ticks.size();
        const quint64 skipped = byTime ? 0 : m_timer->unsettle();
        QTRY_VERIFY(m_ticks.size() > woken);
        QVERIFY((byTime ? m_ticks[woken].skipped : skipped) >= 3);
    }

    // The sampler never sees counters go back: a reading taken for it directly, or a stop, drops the one still on
    // its way to the event loop.
    void noOlderReadingFollows()
    {
        const int before = m_ticks.size();
        awaitReadings(m_table, 1);
        m_table.change([](std::vector<IfEntry>& rows) { rows[0].inOctets += 10; });
        QCOMPARE(servedIn(*m_timer), 110u);
        QCoreApplication::processEvents();
        for (int k = before; k < m_ticks.size(); ++k)
            QCOMPARE(m_ticks[k].in, 110u);
        awaitReadings(m_table, 1);
        m_timer->stop();
        const int stopped = m_ticks.size();
        QCoreApplication::processEvents();
        QCOMPARE(m_ticks.size(), stopped);
        QVERIFY(!m_timer->isActive());
    }
};

QTEST_GUILESS_MAIN(TestSampleTimer)
#include "tst_sampletimer.moc"
