#include "Clock.h"
#include "FakeIfTable.h"
#include "Notifier.h"
#include "TempDatabase.h"
#include "TrafficEngine.h"

#include <QSignalSpy>
#include <QTest>

// The engine as a view sees it, in a process with no display: only a QCoreApplication, and neither an X server nor
// a Wayland compositor to talk to.
class TestEngine : public QObject
{
    Q_OBJECT

private:
    FakeIfTable m_table;
    FakeClock m_clock;
    FakeNotifier m_notifier;
    QTemporaryDir m_dir;
    std::unique_ptr<TrafficEngine> m_engine;
    std::unique_ptr<QSignalSpy> m_ticks;

    QString path() const { return m_dir.filePath(QStringLiteral("Zovodazad.mdb")); }
    void traffic(std::uint64_t eth0In, std::uint64_t eth0Out, std::uint64_t loIn)
    {
        m_table.change([&](std::vector<IfEntry>& rows) {
            rows[0].inOctets += loIn;
            rows[1].inOctets += eth0In;
            rows[1].outOctets += eth0Out;
        });
    }
    // Waits for a tick that saw the table as it stands now.
    void nextTick()
    {
        const int calls = m_table.callCount();
        const auto ticks = m_ticks->count();
        QTRY_VERIFY(m_table.callCount() > calls && m_ticks->count() > ticks);
    }
    QString rows()
    {
        return TempDatabase(QStringLiteral("check"), m_dir.path())
            .scalar("SELECT group_concat(CAST(bytesrcvd AS INTEGER) || '/' || CAST(BytesSent AS INTEGER), ' ')"
                    " FROM (SELECT * FROM log ORDER BY rowid)")
            .toString();
    }

private Q_SLOTS:
    void init()
    {
        QFile::remove(path());
        m_table.rows
            = {{1, "lo", false, OperState::Unknown, 1000, 1000}, {2, "eth0", true, OperState::Up, 5'000'000'000ull, 7}};
        m_engine = std::make_unique<TrafficEngine>(TrafficEngine::Platform {m_table, m_clock, m_notifier});
        m_ticks = std::make_unique<QSignalSpy>(m_engine.get(), &TrafficEngine::ticked);
        QString error;
        QStringList warnings;
        QVERIFY2(m_engine->open(path(), &error, &warnings), qPrintable(error));
        QVERIFY(warnings.isEmpty());
    }
    void cleanup()
    {
        m_ticks.reset();
        m_engine.reset();
    }

    // Counted to the byte, from the first reading to the last sample at exit, through Reset Counters; the adapter
    // that is not hardware is not counted.
    void countsAndLogsWithoutADisplay()
    {
        QVERIFY(!QCoreApplication::instance()->inherits("QGuiApplication"));
        QVERIFY(qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"));
        m_engine->start();
        nextTick(); // the reference
        traffic(1'000'000'007, 3, 5);
        nextTick();
        QCOMPARE(m_engine->snapshot().rcvdSinceRow, 1'000'000'007u);
        m_engine->WriteLogRow();
        QCOMPARE(m_engine->snapshot().rcvdSinceRow, 0u);
        traffic(11, 13, 17);
        QCOMPARE(m_engine->stop(), QString());
        QCOMPARE(m_engine->stop(), QString());
        QCOMPARE(rows(), QString("1000000007/3 11/13"));
    }

    // Hidden and idle, the engine sleeps through unchanged readings; a viewer that turns up gets the next tick with
    // an empty bar for every tick slept through.
    void idleTicksAreSkippedAndReplayed()
    {
        m_engine->TmrCheckit().setInterval(20);
        m_engine->start();
        nextTick();
        // A burst, and a tick without traffic after it: then the ticks stop.
        traffic(1'000'000, 0, 0);
        QTRY_VERIFY(m_ticks->count() >= 3);
        const auto woken = m_ticks->count();
        const int calls = m_table.callCount();
        QTRY_VERIFY(m_table.callCount() >= calls + 40);
        QVERIFY(m_ticks->count() <= woken + 1);

        quint64 quiet = 0;
        connect(m_engine.get(), &TrafficEngine::ticked, this,
                [&quiet](const Snapshot& snapshot) { quiet += snapshot.quietBefore; });
        m_engine->watch(this, true);
        QTRY_VERIFY2(quiet >= 40, qPrintable(QString::number(quiet)));
        // Watched, every reading is a tick.
        const auto before = m_ticks->count();
        QTRY_VERIFY(m_ticks->count() >= before + 5);
        m_engine->watch(this, false);
        m_engine->stop();
    }

    // Volume Graphs logs first only when AutoReset is stored as 1, not when only the check box says so.
    void autoResetIsTheStoredOne()
    {
        m_engine->start();
        nextTick();
        m_engine->settings().setLive(&Settings::AutoReset, 1);
        m_engine->logBeforeGraphs();
        Settings stored = m_engine->settings().current();
        QVERIFY(m_engine->settings().save(stored, nullptr).isEmpty());
        m_engine->logBeforeGraphs();
        m_engine->stop();
        QCOMPARE(rows(), QString("0/0 0/0"));
    }
};

QTEST_GUILESS_MAIN(TestEngine)
#include "tst_engine.moc"
