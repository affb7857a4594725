#include "Clock.h"
#include "FakeIfTable.h"
#include "FrmMain.h"
#include "MainMdl.h"
#include "MessageBox.h"
#include "Notifier.h"
#include "TempDatabase.h"
#include "Throughput.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class TestMainMdl : public QObject
{
    Q_OBJECT

private:
    FakeIfTable m_table;
    FakeClock m_clock;
    FakeMessageBoxes m_boxes;
    FakeNotifier m_notifier;
    QTemporaryDir m_dir;

    MainMdl::Platform platform() { return {m_table, m_clock, m_boxes, m_notifier}; }
    QString path() const { return m_dir.filePath(QStringLiteral("Zovodazad.mdb")); }

private Q_SLOTS:
    void init()
    {
        QFile::remove(path());
        m_table.rows = {{"lo", 1000, 1000}};
    }

    void sessionSaveAndShutdownWriteRows()
    {
        MainMdl mdl(platform());
        QSignalSpy finished(&mdl, &MainMdl::finished);
        QVERIFY(mdl.start(path()));
        QCOMPARE(mdl.monitor()->TmrCheckit().interval(), 500);
        mdl.commitData(); // the session saves: a row, and the program goes on
        QVERIFY(mdl.monitor()->TmrCheckit().isActive());
        QCOMPARE(finished.count(), 0);
        mdl.shutdown();
        mdl.shutdown();
        QCOMPARE(finished.count(), 1);
        QVERIFY(!mdl.monitor()->TmrCheckit().isActive());

        QCOMPARE(TempDatabase(QStringLiteral("check"), m_dir.path()).scalar("SELECT count(*) FROM log").toInt(), 2);
    }

    // A plan of 100 MB renewing on the 17th with 72 MB logged since: the icon's hover text tells what is left, and
    // follows the traffic counted since. (The marks and the desktop's messages are checked on a real tray.)
    void allowanceReachesTheIcon()
    {
        {
            TempDatabase t(QStringLiteral("prefill"), m_dir.path());
            t.exec("INSERT INTO settings VALUES ('maxmbsize', '100'), ('logperiodtype', '2'), ('logperiod', '1'),"
                   " ('billingday', '17'), ('Adapter0', 'lo')");
            t.addLogRow("2002-11-16 23:00:00", "2002-11-16 23:00:00", 0, 50.0 * 1048576);
            t.addLogRow("2002-11-20 10:00:00", "2002-11-20 11:00:00", 0, 72.0 * 1048576);
        }
        MainMdl mdl(platform());
        QVERIFY(mdl.start(path()));
        const TrayIcon& tray = mdl.monitor()->tray();
        QTRY_COMPARE(tray.toolTip().section('\n', 3), QString("Allowance: 28 MB (28.0 %) Left."));
        // Hidden and idle by now, the program wakes for the change.
        m_table.change([](std::vector<IfEntry>& rows) { rows[0].inOctets += 14 * 1048576; });
        QTRY_COMPARE(tray.toolTip().section('\n', 3), QString("Allowance: 14 MB (14.0 %) Left."));
        mdl.shutdown();
    }

    // Hidden and idle, the program sleeps through unchanged readings; shown again, its graph holds a bar for every
    // tick it slept through, so the last burst stands where it would have.
    void idleTicksAreSkippedAndReplayed()
    {
        m_table.rows = {{"eth0", 0, 0, 2, {true}}};
        MainMdl mdl(platform());
        QVERIFY(mdl.start(path()));
        FrmMain& window = *mdl.monitor();
        window.hide(); // shown at start where there is no tray, as here
        SampleTimer& timer = window.TmrCheckit();
        timer.setInterval(20);
        QSignalSpy ticks(&timer, &SampleTimer::timeout);
        QTRY_VERIFY(ticks.count() >= 1);
        // A burst, and a tick without traffic after it: then the ticks stop.
        m_table.change([](std::vector<IfEntry>& rows) { rows[0].inOctets += 1000000; });
        QTRY_VERIFY(ticks.count() >= 3);
        const int woken = ticks.count();
        const int calls = m_table.callCount();
        QTRY_VERIFY(m_table.callCount() >= calls + 2 * 40);
        QVERIFY(ticks.count() <= woken + 1);

        window.show();
        const QImage& surface = window.findChild<Throughput*>("DownGraph")->surface();
        const auto empty = [&surface](int x) {
            for (int y = 0; y < surface.height(); ++y) {
                if (surface.pixel(x, y) != surface.pixel(surface.width() - 1, y))
                    return false;
            }
            return true;
        };
        int x = surface.width() - 1;
        while (x > 0 && empty(x))
            --x;
        const int barsSince = (surface.width() - 1 - x) / int(window.findChild<Throughput*>("DownGraph")->BarWidth());
        QVERIFY2(barsSince >= 40, qPrintable(QString::number(barsSince)));
        mdl.shutdown();
    }
};

QTEST_MAIN(TestMainMdl)
#include "tst_mainmdl.moc"
