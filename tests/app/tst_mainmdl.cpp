#include "Clock.h"
#include "FakeIfTable.h"
#include "FrmMain.h"
#include "MainMdl.h"
#include "MessageBox.h"
#include "Notifier.h"
#include "TempDatabase.h"

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
        m_boxes.shown.clear();
        QFile::remove(path());
        m_table.rows = {{"lo", 1000, 1000}};
    }

    void startCreatesTheDatabaseAndStartsTheTimerLast()
    {
        MainMdl mdl(platform());
        QVERIFY(mdl.start(path()));
        QVERIFY(QFile::exists(path()));
        QVERIFY(mdl.monitor());
        QCOMPARE(mdl.monitor()->windowTitle(),
                 QStringLiteral("Zovodazad %1.%2").arg(ZOVO_VERSION_MAJOR).arg(ZOVO_VERSION_MINOR));
        QVERIFY(mdl.monitor()->TmrCheckit().isActive());
        QCOMPARE(mdl.monitor()->TmrCheckit().interval(), 500);
        QVERIFY(m_boxes.shown.isEmpty());
    }

    void unusableDatabaseStopsStartUpAndLeavesTheFile()
    {
        QFile f(path());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("these bytes are not a database");
        f.close();

        MainMdl mdl(platform());
        QVERIFY(!mdl.start(path()));
        QVERIFY(!mdl.monitor());
        QCOMPARE(m_boxes.shown.size(), 1);
        const auto& box = m_boxes.shown.first();
        QVERIFY2(box.prompt.startsWith(QStringLiteral("Database Init Error!\r")), qPrintable(box.prompt));
        QVERIFY(box.prompt.size() > 22 && box.prompt.at(21) != QLatin1Char('\n'));
        QCOMPARE(box.title, QStringLiteral("Zovodazad"));
        QCOMPARE(box.icon, MessageBoxes::Icon::Critical);
        QCOMPARE(box.buttons, MessageBoxes::Buttons::Ok);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("these bytes are not a database"));
    }

    void sessionSaveAndShutdownWriteRows()
    {
        MainMdl mdl(platform());
        QSignalSpy finished(&mdl, &MainMdl::finished);
        QVERIFY(mdl.start(path()));
        mdl.commitData(); // the session saves: a row, and the program goes on
        QVERIFY(mdl.monitor()->TmrCheckit().isActive());
        QCOMPARE(finished.count(), 0);
        mdl.shutdown();
        mdl.shutdown();
        QCOMPARE(finished.count(), 1);
        QVERIFY(!mdl.monitor()->TmrCheckit().isActive());

        QCOMPARE(TempDatabase(QStringLiteral("check"), m_dir.path()).scalar("SELECT count(*) FROM log").toInt(), 2);
    }

    // A plan of 100 MB renewing on the 17th with 72 MB logged since: the icon's text and mark, and the desktop, learn
    // of the orange band, then of the red one once more traffic is counted.
    void allowanceReachesIconAndDesktop()
    {
        {
            TempDatabase t(QStringLiteral("prefill"), m_dir.path());
            t.exec("INSERT INTO settings VALUES ('maxmbsize', '100'), ('logperiodtype', '2'), ('logperiod', '1'),"
                   " ('billingday', '17'), ('Adapter0', 'lo')");
            t.addLogRow("2002-11-16 23:00:00", "2002-11-16 23:00:00", 0, 50.0 * 1048576);
            t.addLogRow("2002-11-20 10:00:00", "2002-11-20 11:00:00", 0, 72.0 * 1048576);
        }
        m_notifier.shown.clear();
        MainMdl mdl(platform());
        QVERIFY(mdl.start(path()));
        TrayIcon& tray = mdl.monitor()->tray();
        const auto mark = [&] { return tray.image().pixmap(32).toImage().pixelColor(25, 25).name(); };
        QTRY_COMPARE(tray.toolTip().section('\n', 3), QString("Allowance: 28 MB (28.0 %) Left."));
        QVERIFY2(tray.toolTip().startsWith("Zovodazad\nDownload: "), qPrintable(tray.toolTip()));
        QCOMPARE(mark(), QString("#ff8000"));
        m_table.rows[0].inOctets += 14 * 1048576;
        QTRY_COMPARE(mark(), QString("#ff0000"));
        QCOMPARE(tray.toolTip().section('\n', 3), QString("Allowance: 14 MB (14.0 %) Left."));
        QStringList told;
        for (const auto& n : m_notifier.shown)
            told.append(n.summary);
        QCOMPARE(told,
                 QStringList({"Less than 30 % of the volume allowance is left",
                              "Less than 15 % of the volume allowance is left"}));
        mdl.shutdown();
    }
};

QTEST_MAIN(TestMainMdl)
#include "tst_mainmdl.moc"
