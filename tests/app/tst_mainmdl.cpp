#include "Clock.h"
#include "FakeIfTable.h"
#include "FrmMain.h"
#include "MainMdl.h"
#include "MessageBox.h"
#include "Notifier.h"
#include "TempDatabase.h"
#include "TrayIcon.h"

#include <QAction>
#include <QDialog>
#include <QWindow>

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

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
        m_table.rows = {{1, "lo", false, OperState::Unknown, 1000, 1000}};
    }

    // Hidden and asleep, a command that changes a figure shows at once wherever the figure is shown. A plan of 100 MB
    // renewing on the 17th with 72 MB logged since: the icon's hover text tells what is left and where the pace leads.
    // (The marks and the desktop's messages are checked on a real tray.)
    void commandsRefreshWhileAsleep()
    {
        {
            TempDatabase t(QStringLiteral("prefill"), m_dir.path());
            t.exec("INSERT INTO settings VALUES ('maxmbsize', '100'), ('logperiodtype', '2'), ('logperiod', '1'),"
                   " ('billingday', '17')");
            t.addLogRow("2002-11-16 23:00:00", "2002-11-16 23:00:00", 0, 50.0 * 1048576);
            t.addLogRow("2002-11-20 10:00:00", "2002-11-20 11:00:00", 0, 72.0 * 1048576);
        }
        m_table.rows = {{2, "eth0", true}};
        MainMdl mdl(platform());
        QVERIFY(mdl.start(path()));
        const TrayIcon& tray = *mdl.tray();
        QTRY_COMPARE(tray.toolTip().section('\n', -2),
                     QString("Allowance: 28 MB (28.0 %) Left.\n"
                             "At this pace, 206 MB by 16 Dec 2002; about 1 MB a day until then."));
        mdl.monitor()->hide(); // shown at start where there is no tray, as here
        mdl.engine().TmrCheckit().setInterval(20);
        QSignalSpy ticks(&mdl.engine(), &TrafficEngine::ticked);
        const int calls = m_table.callCount();
        QTRY_VERIFY(m_table.callCount() > calls + 1); // on the short interval
        m_table.change([](std::vector<IfEntry>& rows) { rows[0].inOctets += 5 * 1048576; });
        QTRY_COMPARE(tray.toolTip().section('\n', 2, 2), QString("Since the last log row: 5.00 MB"));
        QTRY_VERIFY(m_table.callCount() > 20 && ticks.count() < m_table.callCount() - 10); // asleep
        mdl.monitor()->popupMenu().findChild<QAction*>("MP_ResetCounters")->trigger();
        QCOMPARE(tray.toolTip().section('\n', 2, 2), QString("Since the last log row: 0.0 kB"));

        // Options opens as a dialog of the always-on-top monitor window, which stacks it above that window.
        mdl.monitor()->popupMenu().findChild<QAction*>("MP_Options")->trigger();
        auto* options = mdl.monitor()->findChild<QDialog*>("FrmOptions");
        QVERIFY(options && options->isVisible());
        QCOMPARE(options->windowHandle()->transientParent(), mdl.monitor()->windowHandle());
        mdl.shutdown();
    }

    // The database is moved while the program runs. It keeps logging into the file it opened, at its new name: the
    // rows the session's save and the shutdown write, and a setting, go there, and nothing goes through the old
    // name, where a folder in the way of a rollback journal would fail any write made through it. The session's save
    // leaves the program running; only the first shutdown finishes it.
    void sessionSaveAndShutdownWriteRowsIntoTheMovedFile()
    {
        MainMdl mdl(platform());
        QSignalSpy finished(&mdl, &MainMdl::finished);
        QVERIFY(mdl.start(path()));
        QDir dir(m_dir.path());
        QVERIFY(dir.mkdir("moved"));
        const QString moved = dir.filePath("moved/Zovodazad.mdb");
        QCOMPARE(::rename(QFile::encodeName(path()), QFile::encodeName(moved)), 0);
        QVERIFY(dir.mkdir("Zovodazad.mdb-journal"));

        mdl.commitData();
        QVERIFY(mdl.engine().TmrCheckit().isActive());
        QString error;
        QVERIFY2(mdl.engine().settings().saveMonitorPosition({7, 9}, &error), qPrintable(error));
        mdl.shutdown();
        mdl.shutdown();
        QCOMPARE(finished.count(), 1);
        QVERIFY(!mdl.engine().TmrCheckit().isActive());
        QCOMPARE(dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
                 QStringList({"moved", "Zovodazad.mdb-journal"}));
        TempDatabase check(QStringLiteral("check"), dir.filePath("moved"));
        QCOMPARE(check
                     .scalar("SELECT count(*) || ' ' || (SELECT group_concat(Settingvalue) FROM settings"
                             " WHERE settingname LIKE 'monitor%') FROM log")
                     .toString(),
                 QString("2 7,9"));
        QVERIFY(m_boxes.shown.last().prompt.contains(moved));
        QVERIFY(dir.rmdir("Zovodazad.mdb-journal") && QDir(dir.filePath("moved")).removeRecursively());
    }
};

QTEST_MAIN(TestMainMdl)
#include "tst_mainmdl.moc"
