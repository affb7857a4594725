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

#include <memory>

namespace {
QAction* item(QMenu& menu, const char* name)
{
    return menu.findChild<QAction*>(QLatin1String(name));
}

QStringList captions(const QMenu& menu)
{
    QStringList list;
    for (const QAction* a : menu.actions())
        list.append(a->isSeparator() ? QStringLiteral("-") : a->text());
    return list;
}
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

        QSystemTrayIcon* tray() { return window.findChild<QSystemTrayIcon*>(); }
        void activate(QSystemTrayIcon::ActivationReason reason) { Q_EMIT tray()->activated(reason); }
        int rows() { return db.scalar(QStringLiteral("select count(*) from log")).toInt(); }
        // Starts as MainMdl does when the desktop has a notification area.
        void startWithTray()
        {
            QVERIFY(window.AddTrayIcon());
            window.HookWindow();
        }
    };

    static int px(int twips, int dpi) { return qRound(twips * dpi / 1440.0); }

private Q_SLOTS:
    void init() { QLocale::setDefault(QLocale::c()); }

    void layoutFollowsTheStoredTwips()
    {
        Fixture f;
        FrmMain& w = f.window;
        const int dx = w.logicalDpiX();
        const int dy = w.logicalDpiY();
        const struct
        {
            const char* name;
            QRect twips;
            bool bold;
        } controls[] = {
            {"Label2", {120, 120, 375, 255}, true},       {"lblDownload", {600, 120, 1095, 255}, false},
            {"Label4", {0, 480, 495, 255}, true},         {"LblUpload", {600, 480, 1095, 255}, false},
            {"LblUp", {120, 840, 2895, 255}, false},      {"lblwhatsLeft", {120, 1200, 2775, 255}, true},
            {"DownGraph", {1800, 120, 1095, 255}, false}, {"UpGraph", {1800, 480, 1095, 255}, false},
        };
        for (const auto& c : controls) {
            auto* widget = w.findChild<QWidget*>(QLatin1String(c.name));
            QVERIFY2(widget, c.name);
            const QRect expected(px(c.twips.x(), dx), px(c.twips.y(), dy), px(c.twips.width(), dx),
                                 px(c.twips.height(), dy));
            QCOMPARE(widget->geometry(), expected);
            if (qobject_cast<QLabel*>(widget))
                QCOMPARE(widget->font().bold(), c.bold);
        }
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("Label2"))->text(), QStringLiteral("In :"));
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("Label4"))->text(), QStringLiteral("Out :"));

        auto* down = w.findChild<Throughput*>(QStringLiteral("DownGraph"));
        auto* up = w.findChild<Throughput*>(QStringLiteral("UpGraph"));
        QCOMPARE(down->ForeColor(), 0x0000FF00u);
        QCOMPARE(up->ForeColor(), 0x000000FFu);
        QVERIFY(!down->Inverted());
        QVERIFY(up->Inverted());
        QVERIFY(down->Flat() && up->Flat());
        QCOMPARE(down->Max(), 150);

        // The icon is drawn, not an empty square, at the sizes notification areas use.
        for (int size : {16, 22}) {
            const QImage image = w.windowIcon().pixmap(size).toImage();
            QCOMPARE(image.size(), QSize(size, size));
            QVERIFY(qAlpha(image.pixel(size / 2, size / 2)) > 0);
        }
    }

    void heightShowsOrCutsTheVolumeLeftLine()
    {
        Fixture f;
        FrmMain& w = f.window;
        const int dy = w.logicalDpiY();
        const QWidget* line = w.findChild<QLabel*>(QStringLiteral("lblwhatsLeft"));
        w.applyWhatsLeftHeight(false);
        QCOMPARE(w.height(), px(1600 - 375, dy));
        QCOMPARE(w.width(), px(3015, w.logicalDpiX()));
        QVERIFY(line->geometry().bottom() >= w.height());
        w.applyWhatsLeftHeight(true);
        QCOMPARE(w.height(), px(1965 - 375, dy));
        QVERIFY(line->geometry().bottom() < w.height());
    }

    void windowFlagsAndNoClose()
    {
        Fixture f;
        FrmMain& w = f.window;
        const Qt::WindowFlags flags = w.windowFlags();
        QVERIFY(flags & Qt::WindowStaysOnTopHint);
        QVERIFY(flags & Qt::CustomizeWindowHint);
        QVERIFY(!(flags & (Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        w.show();
        QVERIFY(!w.close());
        QVERIFY(w.isVisible());
    }

    void popupMenuItems()
    {
        Fixture f;
        QMenu& menu = f.window.popupMenu();
        QCOMPARE(menu.objectName(), QStringLiteral("MP_IconPopup"));
        QCOMPARE(
            captions(menu),
            QStringList({"Monitor &On.", "O&ptions", "&Volume Graphs", "&Reset Counters.", "&About", "-", "E&xit"}));
        QStringList names;
        for (const QAction* a : menu.actions())
            names.append(a->objectName());
        QCOMPARE(names,
                 QStringList({"MP_ShowLog", "MP_Options", "MP_ShoWAll", "MP_ResetCounters", "MP_About", "MC_Nothing",
                              "MP_Exit"}));
        QCOMPARE(menu.defaultAction(), item(menu, "MP_ShowLog"));
    }

    void monitorOnOffNamesTheNextAction()
    {
        Fixture f;
        f.startWithTray();
        QAction* showLog = item(f.window.popupMenu(), "MP_ShowLog");
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

    void trayIconClicks()
    {
        Fixture f;
        f.startWithTray();
        QCOMPARE(f.tray()->toolTip(), QStringLiteral("Zovodazad"));
        QVERIFY(!f.tray()->icon().isNull());

        f.activate(QSystemTrayIcon::Trigger);
        QVERIFY(!f.window.isVisible());
        f.activate(QSystemTrayIcon::DoubleClick);
        QVERIFY(f.window.isVisible());
        f.activate(QSystemTrayIcon::DoubleClick);
        QVERIFY(!f.window.isVisible());

        f.activate(QSystemTrayIcon::Context);
        QTRY_VERIFY(f.window.popupMenu().isVisible());
        QCOMPARE(f.window.popupMenu().defaultAction()->text(), QStringLiteral("Monitor &On."));
        f.window.popupMenu().close();

        // Unhooked, the icon's clicks are no longer served.
        QVERIFY(f.window.isHooked());
        f.window.UnhookWindow();
        QVERIFY(!f.window.isHooked());
        f.activate(QSystemTrayIcon::DoubleClick);
        QVERIFY(!f.window.isVisible());
        f.activate(QSystemTrayIcon::Context);
        QVERIFY(!f.window.popupMenu().isVisible());
    }

    void windowMenuWithTray()
    {
        Fixture f;
        f.startWithTray();
        QSignalSpy exits(&f.window, &FrmMain::exitRequested);
        QMenu& menu = f.window.windowMenu();
        QCOMPARE(captions(menu), QStringList({"Hide", "-", "E&xit"}));
        f.window.ToggleMonitorWindow();
        menu.actions().at(0)->trigger();
        QVERIFY(!f.window.isVisible());
        QCOMPARE(item(f.window.popupMenu(), "MP_ShowLog")->text(), QStringLiteral("Monitor &On."));
        menu.actions().at(2)->trigger();
        QCOMPARE(exits.count(), 1);
    }

    void withoutTrayTheWindowMenuCarriesTheCommands()
    {
        Fixture f(false);
        QVERIFY(!f.window.AddTrayIcon());
        QSignalSpy exits(&f.window, &FrmMain::exitRequested);
        QMenu& menu = f.window.windowMenu();
        QCOMPARE(captions(menu),
                 QStringList({"Monitor &On.", "O&ptions", "&Volume Graphs", "&Reset Counters.", "&About", "-", "E&xit",
                              "-", "Hide", "-", "E&xit"}));
        // Nothing could show the window again once hidden, and the unhooked system commands are not served.
        QVERIFY(!menu.actions().at(0)->isEnabled());
        QVERIFY(!menu.actions().at(8)->isEnabled());
        QVERIFY(!menu.actions().at(10)->isEnabled());
        menu.actions().at(6)->trigger();
        QCOMPARE(exits.count(), 1);
        QVERIFY(menu.actions().at(1)->isEnabled());
    }

    void resetCountersTwice()
    {
        Fixture f;
        f.state.TotalBytesRcvd = 5000;
        f.state.TotalBytesSent = 700;
        QAction* reset = item(f.window.popupMenu(), "MP_ResetCounters");
        reset->trigger();
        reset->trigger();
        QCOMPARE(f.rows(), 2);
        QCOMPARE(f.db.scalar(QStringLiteral("select bytesrcvd from log order by rowid limit 1")).toDouble(), 5000.0);
        QCOMPARE(
            f.db.scalar(QStringLiteral("select bytesrcvd + BytesSent from log order by rowid desc limit 1")).toDouble(),
            0.0);
    }

    void volumeGraphsLogsOnlyWhenAutoResetIsStored_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("rows");
        QTest::newRow("absent") << QString() << 0;
        QTest::newRow("0") << "0" << 0;
        QTest::newRow("1") << "1" << 1;
        QTest::newRow("other key") << "other" << 0;
    }

    void volumeGraphsLogsOnlyWhenAutoResetIsStored()
    {
        QFETCH(QString, stored);
        QFETCH(int, rows);
        Fixture f;
        if (stored == QLatin1String("other"))
            f.db.exec(QStringLiteral("INSERT INTO settings VALUES ('autoresetx', '1')"));
        else if (!stored.isNull())
            f.db.exec(QStringLiteral("INSERT INTO settings VALUES ('AutoReset', ?)"), {stored});
        f.state.TotalBytesRcvd = 1234;
        QSignalSpy opened(&f.window, &FrmMain::volumeGraphsRequested);
        item(f.window.popupMenu(), "MP_ShoWAll")->trigger();
        QCOMPARE(f.rows(), rows);
        QCOMPARE(opened.count(), 1);
    }

    void optionsAndAbout()
    {
        Fixture f;
        QSignalSpy options(&f.window, &FrmMain::optionsRequested);
        item(f.window.popupMenu(), "MP_Options")->trigger();
        QCOMPARE(options.count(), 1);

        item(f.window.popupMenu(), "MP_About")->trigger();
        QCOMPARE(f.boxes.shown.size(), 1);
        const FakeMessageBoxes::Shown& box = f.boxes.shown.first();
        QCOMPARE(box.title, QStringLiteral("Zovodazad %1.%2").arg(ZOVO_VERSION_MAJOR).arg(ZOVO_VERSION_MINOR));
        QCOMPARE(box.icon, MessageBoxes::Icon::Information);
        QCOMPARE(box.buttons, MessageBoxes::Buttons::Ok);
        QVERIFY(box.modal);
        QCOMPARE(f.rows(), 0);
    }

    void samplerViewReachesTheControls()
    {
        Fixture f;
        FrmMain& w = f.window;
        SamplerView& view = w;
        view.setDownloadText(QStringLiteral("12 kB"));
        view.setUploadText(QStringLiteral("3 kB"));
        view.setRateLine(QStringLiteral("rate"));
        view.setCaption(QStringLiteral("15 kB"));
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("lblDownload"))->text(), QStringLiteral("12 kB"));
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("LblUpload"))->text(), QStringLiteral("3 kB"));
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("LblUp"))->text(), QStringLiteral("rate"));
        QCOMPARE(w.windowTitle(), QStringLiteral("15 kB"));

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
        auto* line = f.window.findChild<QLabel*>(QStringLiteral("lblwhatsLeft"));
        const QColor designColour = line->palette().color(QPalette::WindowText);
        f.vars.MaxMbSize = 0;
        f.window.refreshVolumeLeft();
        QCOMPARE(line->text(), QString());
        QCOMPARE(line->palette().color(QPalette::WindowText), designColour);

        f.vars.MaxMbSize = 1000;
        f.vars.LogPeriod = 1;
        f.vars.LogPeriodType = 2;
        f.db.addLogRow(QStringLiteral("2002-10-15 10:00:00"), QStringLiteral("2002-10-15 11:00:00"), 0,
                       900 * 1024.0 * 1024.0);
        f.window.refreshVolumeLeft();
        QCOMPARE(line->text(), QStringLiteral("100 MB (10.0 %) Left."));
        QCOMPARE(line->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    }
};

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
