#include "Clock.h"
#include "Contrast.h"
#include "FakeIfTable.h"
#include "FrmMain.h"
#include "LogWriter.h"
#include "MessageBox.h"
#include "TempDatabase.h"
#include "Throughput.h"
#include "TrafficState.h"

#include <QtTest>
#include <QtWidgets>

#include "Readouts.h"
#include "WindowLooks.h"

namespace {

QStringList captions(const QMenu& menu)
{
    QStringList list;
    for (const QAction* a : menu.actions())
        list.append(a->isSeparator() ? QStringLiteral("-") : a->text());
    return list;
}

const QStringList Commands {"Monitor &On.", "O&ptions", "&Volume Graphs", "&Reset Counters.", "&About", "-", "E&xit"};

// Everything the window works with, fresh for each test.
struct Fixture
{
    TempDatabase db;
    TrafficState state;
    SettingsVars vars;
    FakeClock clock;
    FakeMessageBoxes boxes;
    FakeIfTable table;
    LogWriter writer {db.db, state, clock, boxes};
    FrmMain window;
    QSignalSpy exits {&window, &FrmMain::exitRequested};

    explicit Fixture(TrayIcon::Host settled = TrayIcon::Host::XEmbed)
        : window(MonitorContext {writer, db.db, state, vars, clock, boxes, table},
                 [this] { return hosts.isEmpty() ? host : hosts.takeFirst(); })
        , host(settled)
    {
    }
    // What the desktop's tray looks like at each look, then host for good.
    QVector<TrayIcon::Host> hosts;
    TrayIcon::Host host;

    QAction* item(const char* name) { return window.popupMenu().findChild<QAction*>(QLatin1String(name)); }
    // Whether the window is shown after a command, and the toggle's caption then.
    QString after(QAction* command)
    {
        command->trigger();
        return (window.isVisible() ? "shown " : "hidden ") + item("MP_ShowLog")->text();
    }
};

} // namespace

// How each kind of tray host reports clicks on the icon, and its menu in a real tray, are the end-to-end tests' part.
class TestFrmMain : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { QLocale::setDefault(QLocale::c()); }

    void looks_data() { looks::addRows(); }

    // At either pixel ratio, in either palette and at every font size, the window takes the desktop's font, the
    // widest readouts fit, nothing overlaps, the volume-left line reads in each of its colours, and the graphs have
    // a pixel for each of the screen's.
    void looks()
    {
        const looks::Row row = looks::applyRow();
        QVERIFY(row.screen);
        Fixture f;
        FrmMain& w = f.window;
        QVERIFY(looks::showOn(w, row));

        const auto widest = [&w](const char* label, const QStringList& texts) {
            const QFontMetrics fm = w.findChild<QLabel*>(label)->fontMetrics();
            return *std::max_element(texts.cbegin(), texts.cend(), [&fm](const QString& a, const QString& b) {
                return fm.horizontalAdvance(a) < fm.horizontalAdvance(b);
            });
        };
        w.setDownloadText(widest("lblDownload", longestVolumeTexts()));
        w.setUploadText(widest("LblUpload", longestVolumeTexts()));
        w.setRateLine(widest("LblUp", longestRateLines()));
        for (qint32 sample : {150, 40, 90, 0, 120}) {
            w.graphUpdate(SamplerView::Graph::Down, sample);
            w.graphUpdate(SamplerView::Graph::Up, sample / 3);
        }
        for (Throughput* graph : w.findChildren<Throughput*>()) {
            const QImage& surface = graph->surface();
            QCOMPARE(surface.devicePixelRatio(), row.dpr);
            QCOMPARE(surface.size(), graph->contentsRect().size() * row.dpr);
            // The newest bar, after an empty one, keeps its width on the screen: BarWidth pixels at 100 %.
            const auto column = [&surface](int x) { return surface.copy(x, 0, 1, surface.height()); };
            const int newest = int(graph->BarWidth() * row.dpr);
            const int right = surface.width() - 1;
            QVERIFY(column(right - newest + 1) == column(right) && column(right - newest) != column(right));
        }
        // 90 % left is green, 20 % orange, 5 % red.
        f.vars = {1000, 1, 2};
        for (double usedMb : {100, 800, 950}) {
            f.state.TotalBytesRcvd = usedMb * 1048576;
            w.refreshVolumeLeft();
            QVERIFY2(looks::problems(w).isEmpty(), qPrintable(looks::problems(w).join("; ")));
        }
        looks::saveShot(w, "monitor");
    }

    void withTray()
    {
        Fixture f;
        QCOMPARE(captions(f.window.popupMenu()), Commands);
        QAction* showLog = f.item("MP_ShowLog");
        QVERIFY(f.window.AddTrayIcon());
        f.window.HookWindow();
        QCOMPARE(f.after(showLog), "shown Monitor &Off.");
        QCOMPARE(f.after(showLog), "hidden Monitor &On.");
        // Minimised by the window manager, it is still shown as far as the toggle goes; shown again, it is whole.
        showLog->trigger();
        f.window.setWindowState(Qt::WindowMinimized);
        QCOMPARE(f.after(showLog), "hidden Monitor &On.");
        QCOMPARE(f.after(showLog), "shown Monitor &Off.");
        QVERIFY(!f.window.isMinimized());

        // With the icon there, the window menu holds only the window's own commands.
        QMenu& menu = f.window.windowMenu();
        QCOMPARE(captions(menu), QStringList({"Hide", "-", "E&xit"}));
        QCOMPARE(f.after(menu.actions().at(0)), "hidden Monitor &On.");
        menu.actions().at(2)->trigger();
        QCOMPARE(f.exits.count(), 1);
        // Unhooked, the icon's clicks and the window's commands are no longer served.
        f.window.UnhookWindow();
        Q_EMIT f.window.findChild<QSystemTrayIcon*>()->activated(QSystemTrayIcon::DoubleClick);
        QVERIFY(!f.window.isVisible() && !menu.actions().at(0)->isEnabled());
    }

    // A panel that starts after the program: until then the window menu is the way to the commands, without the
    // toggle, since nothing could show the window again. Then the icon appears, as a D-Bus item when the panel
    // registers one a moment after claiming the X11 tray, and the toggle command becomes available.
    void lateTrayHost()
    {
        using H = TrayIcon::Host;
        Fixture f(H::StatusNotifier);
        f.hosts = {H::None, H::XEmbed};
        QSignalSpy placed(&f.window, &FrmMain::trayPlaced);
        QVERIFY(!f.window.AddTrayIcon());
        QVERIFY(!f.item("MP_ShowLog")->isEnabled() && !f.window.findChild<QSystemTrayIcon*>());
        QCOMPARE(captions(f.window.windowMenu()), Commands.mid(1));
        f.window.windowMenu().actions().last()->trigger();
        QCOMPARE(f.exits.count(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(placed.count(), 1, 5000);
        QCOMPARE(f.window.tray().host(), H::StatusNotifier);
        QVERIFY(f.item("MP_ShowLog")->isEnabled() && f.window.tray().isPlaced());
        QCOMPARE(captions(f.window.windowMenu()).first(), QString("Hide"));
    }

    // With no word from the tray on its icon's place, the window opens in the corner by the panel; once the user
    // moves it, it opens there, also in the next session, and a spot on a screen since gone is brought back whole.
    void placementKeepsTheUsersSpot()
    {
        Fixture f(TrayIcon::Host::None);
        const auto open = [](FrmMain& w) {
            w.show();
            return QTest::qWaitForWindowExposed(&w);
        };
        const auto whole = [](const FrmMain& w) {
            const auto screens = QGuiApplication::screens();
            return std::any_of(screens.cbegin(), screens.cend(),
                               [&w](const QScreen* s) { return s->availableGeometry().contains(w.frameGeometry()); });
        };
        QVERIFY(open(f.window));
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(whole(f.window));
        QVERIFY((f.window.frameGeometry().bottomRight() - area.bottomRight()).manhattanLength() < 40);

        // The next session builds its window before its settings can be read.
        const MonitorContext context {f.writer, f.db.db, f.state, f.vars, f.clock, f.boxes, f.table};
        const auto noTray = [] { return TrayIcon::Host::None; };
        FrmMain next(context, noTray);
        f.window.move(2300, 300);
        const QString rows = "select group_concat(settingname || '=' || Settingvalue, ' ') from settings";
        QTRY_COMPARE(f.db.scalar(rows).toString(), QString("monitorleft=2300 monitortop=300"));
        QVERIFY(open(next));
        QCOMPARE(next.pos(), QPoint(2300, 300));

        f.db.exec("UPDATE settings SET Settingvalue = '9000' WHERE settingname = 'monitorleft'");
        FrmMain gone(context, noTray);
        QVERIFY(open(gone));
        QVERIFY(whole(gone));
    }

    // The window stays on top beside the user's work, rarely the active window; a graph's hover text shows anyway.
    void graphToolTipWhileAnotherWindowIsActive()
    {
        Fixture f;
        f.window.setGraphToolTip(SamplerView::Graph::Down, "Graph Max: 7");
        f.window.show();
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other) && QTest::qWaitForWindowExposed(&f.window));
        QWidget* graph = f.window.findChild<QWidget*>("DownGraph");
        QTest::mouseMove(graph, graph->rect().center());
        QTRY_VERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), QString("Graph Max: 7"));
    }

    // Reset Counters logs a row; Volume Graphs first logs one only when the stored AutoReset is "1", not when it is
    // absent or "0". The statistics window opening is the end-to-end tests' part.
    void commandsThatLogARow()
    {
        for (const QString& stored : {QString(), QStringLiteral("0"), QStringLiteral("1")}) {
            Fixture f;
            if (!stored.isNull())
                f.db.exec("INSERT INTO settings VALUES ('AutoReset', ?)", {stored});
            const auto rows = [&f] { return f.db.scalar("select count(*) from log").toInt(); };
            f.item("MP_ShoWAll")->trigger();
            QCOMPARE(rows(), stored == "1" ? 1 : 0);
            f.item("MP_ResetCounters")->trigger();
            QCOMPARE(rows(), stored == "1" ? 2 : 1);
        }
    }

    // What the window shows: the graphs, the volume-left line and the two heights that show or cut it, the icon.
    void windowContents()
    {
        Fixture f;
        FrmMain& w = f.window;
        using Graph = SamplerView::Graph;
        // Download bars stand on the bottom, upload bars hang from the top; each graph answers for itself.
        auto* up = w.findChild<Throughput*>("UpGraph");
        QVERIFY(!w.findChild<Throughput*>("DownGraph")->Inverted() && up->Inverted());
        w.setGraphMax(Graph::Up, 7);
        QCOMPARE(std::pair(up->Max(), w.graphMax(Graph::Down)), std::pair(7, 150));
        // A broken scale costs the bar, never the tick.
        w.setGraphMax(Graph::Down, 0);
        w.graphUpdate(Graph::Down, 3);

        QLabel* line = w.findChild<QLabel*>("lblwhatsLeft");
        const auto colour = [line] { return line->palette().color(QPalette::WindowText); };
        const QColor design = colour();
        w.refreshVolumeLeft(); // no allowance: no text, and the colour stays
        QCOMPARE(std::pair(line->text(), colour()), std::pair(QString(), design));
        f.vars = {1000, 2, 2}; // MB over this month and the last
        f.db.addLogRow("2002-10-15 10:00:00", "2002-10-15 11:00:00", 0, 900 * 1024.0 * 1024.0);
        w.refreshVolumeLeft();
        QCOMPARE(line->text(), QStringLiteral("100 MB (10.0 %) Left."));
        QCOMPARE(colour().hslHue(), 0); // red, in a shade that reads on the window (the look test checks it)

        // The two heights keep the stored proportions (1590 and 1225 twips high, 3015 wide) at the window's scale.
        w.applyWhatsLeftHeight(false);
        const QSize plain = w.size();
        QVERIFY(line->geometry().bottom() >= w.height());
        w.applyWhatsLeftHeight(true);
        QVERIFY(line->geometry().bottom() < w.height());
        // Each side is rounded to whole pixels on its own.
        QVERIFY(qAbs(w.height() * 1225.0 / 1590 - plain.height()) <= 1);
        QVERIFY(qAbs(w.height() * 3015.0 / 1590 - w.width()) <= 1);

        // The window has no Close. Each tray size is drawn on its own grid, never scaled from another.
        const auto argb = QImage::Format_ARGB32_Premultiplied;
        for (int size : {16, 22, 24, 32, 48})
            QCOMPARE(w.windowIcon().pixmap(QSize(size, size), 1.0).toImage().convertToFormat(argb),
                     QImage(QString(":/icons/zovodazad-%1.png").arg(size)).convertToFormat(argb));
        // A bar taken before the window was ever shown is on its graph when it first is.
        w.setGraphMax(Graph::Down, 10);
        w.graphUpdate(Graph::Down, 10);
        w.show();
        QVERIFY(!w.close() && w.isVisible());
        const QImage& bars = w.findChild<Throughput*>("DownGraph")->surface();
        QVERIFY(bars.pixel(bars.width() - 1, bars.height() - 1) != bars.pixel(0, bars.height() - 1));
    }
};

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
