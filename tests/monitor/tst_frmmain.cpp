#include "Clock.h"
#include "FrmMain.h"
#include "LogWriter.h"
#include "MessageBox.h"
#include "TempDatabase.h"
#include "Throughput.h"
#include "TrafficState.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QtTest>

namespace {
QStringList captions(const QMenu& menu)
{
    QStringList list;
    for (const QAction* a : menu.actions())
        list.append(a->isSeparator() ? QStringLiteral("-") : a->text());
    return list;
}

const QStringList Commands {"Monitor &On.", "O&ptions", "&Volume Graphs", "&Reset Counters.", "&About", "-", "E&xit"};
} // namespace

class TestFrmMain : public QObject
{
    Q_OBJECT

    // Everything the window works with, fresh for each test.
    struct Fixture
    {
        TempDatabase db;
        TrafficState state;
        SettingsVars vars;
        FakeClock clock;
        FakeMessageBoxes boxes;
        LogWriter writer {db.db, state, clock, boxes};
        FrmMain window;

        explicit Fixture(bool tray = true)
            : window(MonitorContext {writer, db.db, state, vars, clock, boxes}, [tray] { return tray; })
        {
        }

        QAction* item(const char* name) { return window.popupMenu().findChild<QAction*>(QLatin1String(name)); }
        template<typename T = QLabel> T* child(const char* name) { return window.findChild<T*>(QLatin1String(name)); }
        void activate(QSystemTrayIcon::ActivationReason reason)
        {
            Q_EMIT window.findChild<QSystemTrayIcon*>()->activated(reason);
        }
        int rows() { return db.scalar("select count(*) from log").toInt(); }
        // Starts as MainMdl does when the desktop has a notification area.
        void startWithTray()
        {
            QVERIFY(window.AddTrayIcon());
            window.HookWindow();
        }
    };

private Q_SLOTS:
    void init() { QLocale::setDefault(QLocale::c()); }

    void heightsGraphsIconAndNoClose()
    {
        Fixture f;
        FrmMain& w = f.window;
        const auto px = [](int twips, int dpi) { return qRound(twips * dpi / 1440.0); };
        const QLabel* line = f.child("lblwhatsLeft");
        w.applyWhatsLeftHeight(false);
        QCOMPARE(w.size(), QSize(px(3015, w.logicalDpiX()), px(1600 - 375, w.logicalDpiY())));
        QVERIFY(line->geometry().bottom() >= w.height());
        w.applyWhatsLeftHeight(true);
        QCOMPARE(w.height(), px(1965 - 375, w.logicalDpiY()));
        QVERIFY(line->geometry().bottom() < w.height());

        // Download green and upright, upload red and hanging from the top.
        QCOMPARE(f.child<Throughput>("DownGraph")->ForeColor(), 0x0000FF00u);
        QCOMPARE(f.child<Throughput>("UpGraph")->ForeColor(), 0x000000FFu);
        QVERIFY(!f.child<Throughput>("DownGraph")->Inverted());
        QVERIFY(f.child<Throughput>("UpGraph")->Inverted());
        // The icon is drawn, not an empty square.
        QVERIFY(qAlpha(w.windowIcon().pixmap(16).toImage().pixel(8, 8)) > 0);

        w.show();
        QVERIFY(!w.close());
        QVERIFY(w.isVisible());
    }

    void popupMenuAndMonitorOnOff()
    {
        Fixture f;
        QCOMPARE(captions(f.window.popupMenu()), Commands);
        QAction* showLog = f.item("MP_ShowLog");
        QCOMPARE(f.window.popupMenu().defaultAction(), showLog);
        f.startWithTray();
        QVERIFY(!f.window.isVisible());
        showLog->trigger();
        QVERIFY(f.window.isVisible());
        QCOMPARE(showLog->text(), QStringLiteral("Monitor &Off."));
        showLog->trigger();
        QVERIFY(!f.window.isVisible());
        QCOMPARE(showLog->text(), QStringLiteral("Monitor &On."));

        // Minimised by the window manager, it is still shown as far as the toggle goes; shown again, it is whole.
        showLog->trigger();
        f.window.setWindowState(Qt::WindowMinimized);
        showLog->trigger();
        QVERIFY(!f.window.isVisible());
        showLog->trigger();
        QVERIFY(f.window.isVisible());
        QVERIFY(!f.window.isMinimized());
    }

    void trayIconAndWindowMenu()
    {
        Fixture f;
        f.startWithTray();
        QSignalSpy exits(&f.window, &FrmMain::exitRequested);
        f.activate(QSystemTrayIcon::Trigger);
        QVERIFY(!f.window.isVisible());
        f.activate(QSystemTrayIcon::DoubleClick);
        QVERIFY(f.window.isVisible());

        // With the icon there, the window menu holds only the window's own commands.
        QMenu& menu = f.window.windowMenu();
        QCOMPARE(captions(menu), QStringList({"Hide", "-", "E&xit"}));
        menu.actions().at(0)->trigger();
        QVERIFY(!f.window.isVisible());
        QCOMPARE(f.item("MP_ShowLog")->text(), QStringLiteral("Monitor &On."));
        menu.actions().at(2)->trigger();
        QCOMPARE(exits.count(), 1);

        f.activate(QSystemTrayIcon::Context);
        QTRY_VERIFY(f.window.popupMenu().isVisible());
        f.window.popupMenu().close();

        // Unhooked, the icon's clicks and the window's commands are no longer served.
        f.window.UnhookWindow();
        f.activate(QSystemTrayIcon::DoubleClick);
        QVERIFY(!f.window.isVisible());
        f.activate(QSystemTrayIcon::Context);
        QVERIFY(!f.window.popupMenu().isVisible());
        QVERIFY(!menu.actions().at(0)->isEnabled());
    }

    void withoutTrayTheWindowMenuCarriesTheCommands()
    {
        Fixture f(false);
        QVERIFY(!f.window.AddTrayIcon());
        QSignalSpy exits(&f.window, &FrmMain::exitRequested);
        QMenu& menu = f.window.windowMenu();
        QCOMPARE(captions(menu), Commands + QStringList({"-", "Hide", "-", "E&xit"}));
        // Nothing could show the window again once hidden, and the unhooked system commands are not served.
        QVERIFY(!menu.actions().at(0)->isEnabled());
        QVERIFY(!menu.actions().at(8)->isEnabled());
        QVERIFY(!menu.actions().at(10)->isEnabled());
        QVERIFY(menu.actions().at(1)->isEnabled());
        menu.actions().at(6)->trigger();
        QCOMPARE(exits.count(), 1);
    }

    void resetCountersTwice()
    {
        Fixture f;
        f.state.TotalBytesRcvd = 5000;
        f.state.TotalBytesSent = 700;
        f.item("MP_ResetCounters")->trigger();
        f.item("MP_ResetCounters")->trigger();
        QCOMPARE(f.rows(), 2);
        QCOMPARE(f.db.scalar("select bytesrcvd from log order by rowid limit 1").toDouble(), 5000.0);
        QCOMPARE(f.db.scalar("select bytesrcvd + BytesSent from log order by rowid desc limit 1").toDouble(), 0.0);
    }

    void volumeGraphsLogsOnlyWhenAutoResetIsStored_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("rows");
        QTest::newRow("absent") << QString() << 0;
        QTest::newRow("0") << "0" << 0;
        QTest::newRow("1") << "1" << 1;
    }

    void volumeGraphsLogsOnlyWhenAutoResetIsStored()
    {
        QFETCH(QString, stored);
        QFETCH(int, rows);
        Fixture f;
        if (!stored.isNull())
            f.db.exec("INSERT INTO settings VALUES ('AutoReset', ?)", {stored});
        f.state.TotalBytesRcvd = 1234;
        QSignalSpy opened(&f.window, &FrmMain::volumeGraphsRequested);
        f.item("MP_ShoWAll")->trigger();
        QCOMPARE(f.rows(), rows);
        QCOMPARE(opened.count(), 1);
    }

    void optionsAndAbout()
    {
        Fixture f;
        QSignalSpy options(&f.window, &FrmMain::optionsRequested);
        f.item("MP_Options")->trigger();
        QCOMPARE(options.count(), 1);
        f.item("MP_About")->trigger();
        QCOMPARE(f.boxes.shown.size(), 1);
        QCOMPARE(f.boxes.shown.first().title,
                 QStringLiteral("Zovodazad %1.%2").arg(ZOVO_VERSION_MAJOR).arg(ZOVO_VERSION_MINOR));
        QCOMPARE(f.rows(), 0);
    }

    void samplerViewReachesTheControls()
    {
        Fixture f;
        SamplerView& view = f.window;
        view.setDownloadText("12 kB");
        view.setUploadText("3 kB");
        view.setRateLine("rate");
        view.setCaption("15 kB");
        QCOMPARE(f.child("lblDownload")->text(), QStringLiteral("12 kB"));
        QCOMPARE(f.child("LblUpload")->text(), QStringLiteral("3 kB"));
        QCOMPARE(f.child("LblUp")->text(), QStringLiteral("rate"));
        QCOMPARE(f.window.windowTitle(), QStringLiteral("15 kB"));

        // Each graph answers for itself; a broken scale costs the bar, never the tick.
        view.setGraphMax(SamplerView::Graph::Up, 7);
        QCOMPARE(view.graphMax(SamplerView::Graph::Up), 7);
        QCOMPARE(view.graphMax(SamplerView::Graph::Down), 150);
        view.setGraphMax(SamplerView::Graph::Down, 0);
        view.graphUpdate(SamplerView::Graph::Down, 3);
    }

    void volumeLeftLine()
    {
        Fixture f;
        QLabel* line = f.child("lblwhatsLeft");
        const QColor designColour = line->palette().color(QPalette::WindowText);
        f.vars.MaxMbSize = 0;
        f.window.refreshVolumeLeft();
        QCOMPARE(line->text(), QString());
        QCOMPARE(line->palette().color(QPalette::WindowText), designColour);

        f.vars.MaxMbSize = 1000;
        f.vars.LogPeriod = 1;
        f.vars.LogPeriodType = 2;
        f.db.addLogRow("2002-10-15 10:00:00", "2002-10-15 11:00:00", 0, 900 * 1024.0 * 1024.0);
        f.window.refreshVolumeLeft();
        QCOMPARE(line->text(), QStringLiteral("100 MB (10.0 %) Left."));
        QCOMPARE(line->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    }
};

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
