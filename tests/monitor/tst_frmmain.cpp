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
        int rows() { return db.scalar("select count(*) from log").toInt(); }
        // Whether the window is shown after a command or a click on the icon.
        bool shownAfter(QAction* command)
        {
            command->trigger();
            return window.isVisible();
        }
        bool shownAfter(QSystemTrayIcon::ActivationReason reason)
        {
            Q_EMIT window.findChild<QSystemTrayIcon*>()->activated(reason);
            return window.isVisible();
        }
    };

private Q_SLOTS:
    void init() { QLocale::setDefault(QLocale::c()); }

    void popupMenuCommands()
    {
        Fixture f;
        QCOMPARE(captions(f.window.popupMenu()), Commands);
        QAction* showLog = f.item("MP_ShowLog");
        QCOMPARE(f.window.popupMenu().defaultAction(), showLog);
        QVERIFY(f.window.AddTrayIcon());
        QVERIFY(f.shownAfter(showLog));
        QCOMPARE(showLog->text(), QStringLiteral("Monitor &Off."));
        QVERIFY(!f.shownAfter(showLog));
        QCOMPARE(showLog->text(), QStringLiteral("Monitor &On."));
        // Minimised by the window manager, it is still shown as far as the toggle goes; shown again, it is whole.
        showLog->trigger();
        f.window.setWindowState(Qt::WindowMinimized);
        QVERIFY(!f.shownAfter(showLog));
        QVERIFY(f.shownAfter(showLog));
        QVERIFY(!f.window.isMinimized());

        QSignalSpy options(&f.window, &FrmMain::optionsRequested);
        f.item("MP_Options")->trigger();
        QCOMPARE(options.count(), 1);
        f.item("MP_About")->trigger();
        QCOMPARE(f.boxes.shown.size(), 1);
    }

    void trayIconAndWindowMenu()
    {
        Fixture f;
        QVERIFY(f.window.AddTrayIcon());
        f.window.HookWindow();
        QSignalSpy exits(&f.window, &FrmMain::exitRequested);
        QVERIFY(!f.shownAfter(QSystemTrayIcon::Trigger));
        QVERIFY(f.shownAfter(QSystemTrayIcon::DoubleClick));
        // With the icon there, the window menu holds only the window's own commands.
        QMenu& menu = f.window.windowMenu();
        QCOMPARE(captions(menu), QStringList({"Hide", "-", "E&xit"}));
        QVERIFY(!f.shownAfter(menu.actions().at(0)));
        menu.actions().at(2)->trigger();
        QCOMPARE(exits.count(), 1);
        QVERIFY(!f.shownAfter(QSystemTrayIcon::Context));
        QTRY_VERIFY(f.window.popupMenu().isVisible());
        f.window.popupMenu().close();

        // Unhooked, the icon's clicks and the window's commands are no longer served.
        f.window.UnhookWindow();
        QVERIFY(!f.shownAfter(QSystemTrayIcon::DoubleClick));
        QVERIFY(!f.shownAfter(QSystemTrayIcon::Context));
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

    // Absent, "0" and "1": only the stored "1" logs a row first.
    void volumeGraphsLogsOnlyWhenAutoResetIsStored()
    {
        for (const QString& stored : {QString(), QStringLiteral("0"), QStringLiteral("1")}) {
            Fixture f;
            if (!stored.isNull())
                f.db.exec("INSERT INTO settings VALUES ('AutoReset', ?)", {stored});
            QSignalSpy opened(&f.window, &FrmMain::volumeGraphsRequested);
            f.item("MP_ShoWAll")->trigger();
            QCOMPARE(f.rows(), stored == "1" ? 1 : 0);
            QCOMPARE(opened.count(), 1);
        }
    }

    // What the window shows: the graphs, the volume-left line and the two heights that show or cut it, the icon.
    void windowContents()
    {
        Fixture f;
        FrmMain& w = f.window;
        SamplerView& view = w;
        // Download bars stand on the bottom, upload bars hang from the top; each graph answers for itself.
        QVERIFY(!f.child<Throughput>("DownGraph")->Inverted() && f.child<Throughput>("UpGraph")->Inverted());
        view.setGraphMax(SamplerView::Graph::Up, 7);
        QCOMPARE(view.graphMax(SamplerView::Graph::Up), 7);
        QCOMPARE(view.graphMax(SamplerView::Graph::Down), 150);
        // A broken scale costs the bar, never the tick.
        view.setGraphMax(SamplerView::Graph::Down, 0);
        view.graphUpdate(SamplerView::Graph::Down, 3);

        QLabel* line = f.child("lblwhatsLeft");
        const QColor designColour = line->palette().color(QPalette::WindowText);
        w.refreshVolumeLeft(); // no allowance
        QCOMPARE(line->text(), QString());
        QCOMPARE(line->palette().color(QPalette::WindowText), designColour);
        f.vars.MaxMbSize = 1000;
        f.vars.LogPeriod = 1;
        f.vars.LogPeriodType = 2;
        f.db.addLogRow("2002-10-15 10:00:00", "2002-10-15 11:00:00", 0, 900 * 1024.0 * 1024.0);
        w.refreshVolumeLeft();
        QCOMPARE(line->text(), QStringLiteral("100 MB (10.0 %) Left."));
        QCOMPARE(line->palette().color(QPalette::WindowText), QColor(255, 0, 0));

        const auto px = [](int twips, int dpi) { return qRound(twips * dpi / 1440.0); };
        w.applyWhatsLeftHeight(false);
        QCOMPARE(w.size(), QSize(px(3015, w.logicalDpiX()), px(1600 - 375, w.logicalDpiY())));
        QVERIFY(line->geometry().bottom() >= w.height());
        w.applyWhatsLeftHeight(true);
        QCOMPARE(w.height(), px(1965 - 375, w.logicalDpiY()));
        QVERIFY(line->geometry().bottom() < w.height());

        // The icon is drawn, not an empty square; the window has no Close.
        QVERIFY(qAlpha(w.windowIcon().pixmap(16).toImage().pixel(8, 8)) > 0);
        w.show();
        QVERIFY(!w.close());
        QVERIFY(w.isVisible());
    }
};

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
