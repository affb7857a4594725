#include "ActivityIcon.h"
#include "DesktopPalette.h"
#include "FrmAbout.h"
#include "FrmMain.h"
#include "MessageBox.h"
#include "Throughput.h"
#include "TrafficEngine.h"
#include "TrayIcon.h"

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

// A tick's snapshot with the given bars, on the scale given.
Snapshot tick(qint32 down, qint32 up, qint32 scale = 5)
{
    Snapshot s;
    s.tick.downBar = down;
    s.tick.upBar = up;
    s.tick.graphMax = scale;
    return s;
}

// What the volume-left line shows with 1000 MB allowed and usedMb used.
Snapshot allowance(double usedMb)
{
    Settings terms;
    terms.MaxMbSize = 1000;
    terms.LogPeriod = 1;
    Snapshot s;
    s.whatsleft = true;
    s.allowance = volumeLeft(terms, QDateTime(QDate(2002, 11, 27), QTime(12, 0)), usedMb, 0);
    return s;
}

// The window, fresh for each test.
struct Fixture
{
    FakeMessageBoxes boxes;
    FrmMain window {boxes};
    QSignalSpy exits {&window, &FrmMain::exitRequested};

    QAction* item(const char* name) { return window.popupMenu().findChild<QAction*>(QLatin1String(name)); }
    // Whether the user sees the window after a command, and the toggle's caption then.
    QString after(QAction* command)
    {
        command->trigger();
        return state();
    }
    QString state() { return (window.shownToUser() ? "shown " : "hidden ") + item("MP_ShowLog")->text(); }
};

// Plasma's kdeglobals as Breeze Dark writes it, the groups the palette is read from.
const char BreezeDark[] = "[Colors:Button]\nBackgroundNormal=49,54,59\nForegroundNormal=252,252,252\n"
                          "[Colors:Selection]\nBackgroundNormal=61,174,233\nForegroundNormal=252,252,252\n"
                          "[Colors:View]\nBackgroundNormal=27,30,32\nForegroundNormal=252,252,252\n"
                          "ForegroundInactive=161,169,177\n"
                          "[Colors:Window]\nBackgroundNormal=42,46,50\nForegroundNormal=252,252,252\n"
                          "ForegroundInactive=161,169,177\n[General]\nColorScheme=BreezeDark\n";

// The area each widget painted, by name.
struct PaintRecorder : QObject
{
    QMap<QString, QRect> rects;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            rects[watched->objectName()] |= static_cast<QPaintEvent*>(event)->rect();
        return false;
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
        for (qint32 sample : {150, 40, 90, 0, 120})
            w.showTick(tick(sample, sample / 3, 150));
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
        for (double usedMb : {100, 800, 950}) {
            w.showFigures(allowance(usedMb));
            w.findChild<QLabel*>("lblDownload")->setText(widest("lblDownload", longestVolumeTexts()));
            w.findChild<QLabel*>("LblUpload")->setText(widest("LblUpload", longestVolumeTexts()));
            w.findChild<QLabel*>("LblUp")->setText(widest("LblUp", longestRateLines() << NothingCountedLine()));
            QVERIFY2(looks::problems(w).isEmpty(), qPrintable(looks::problems(w).join("; ")));
        }
        looks::saveShot(w, "monitor");
    }

    // With an icon, the toggle shows and hides the window, and the window's own menu holds only its own commands;
    // without one, the window's menu carries every command but the toggle, since nothing could show it again.
    void withAndWithoutTray()
    {
        Fixture f;
        QCOMPARE(captions(f.window.popupMenu()), Commands);
        // Screen readers read the menu by the program's name, and each command without its mnemonic.
        QAccessibleInterface* menu = QAccessible::queryAccessibleInterface(&f.window.popupMenu());
        QCOMPARE(menu->text(QAccessible::Name) + menu->child(0)->text(QAccessible::Name), "ZovodazadMonitor On.");
        QAction* showLog = f.item("MP_ShowLog");
        QVERIFY(!showLog->isEnabled());
        // Esc puts the window away while an icon can bring it back, and not without one.
        f.window.show();
        f.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f.window));
        QTest::keyClick(&f.window, Qt::Key_Escape);
        QVERIFY(f.window.isVisible());
        f.window.windowMenu().actions().last()->trigger();
        QCOMPARE(f.exits.count(), 1);

        f.window.setTrayPresent(true);
        QTest::keyClick(&f.window, Qt::Key_Escape);
        QCOMPARE(f.state(), "hidden Monitor &On.");
        QCOMPARE(f.after(showLog), "shown Monitor &Off.");
        // Minimised by the window manager, it counts as hidden: the toggle brings it back whole.
        f.window.setWindowState(Qt::WindowMinimized);
        QCOMPARE(f.state(), "hidden Monitor &On.");
        QCOMPARE(f.after(showLog), "shown Monitor &Off.");
        QVERIFY(!f.window.isMinimized());
        QMenu& own = f.window.windowMenu();
        QCOMPARE(f.after(own.actions().at(0)), "hidden Monitor &On.");
        own.actions().at(2)->trigger();
        QCOMPARE(f.exits.count(), 2);
    }

    // When no host shows the icon (a panel restarting, GNOME's extension turned off), the window stands in for it
    // with every command; when one is back, the window is as the user left it.
    void iconHostComesAndGoes()
    {
        // {an icon at the start, the window's state when the host left (none: never shown), shown when it is back}
        for (const auto& [iconAtStart, whenItLeft, shownWhenBack] :
             {std::tuple(false, Qt::WindowNoState, true), std::tuple(true, Qt::WindowNoState, false),
              std::tuple(true, Qt::WindowMinimized, false), std::tuple(true, Qt::WindowActive, true)}) {
            Fixture f;
            f.window.setTrayPresent(iconAtStart);
            if (whenItLeft != Qt::WindowNoState) {
                f.window.ToggleMonitorWindow();
                f.window.setWindowState(whenItLeft);
            }
            f.window.setTrayPresent(false);
            QCOMPARE(f.state(), "shown Monitor &Off.");
            QCOMPARE(captions(f.window.windowMenu()), Commands.mid(1));
            f.window.setTrayPresent(true);
            QCOMPARE(f.window.shownToUser(), shownWhenBack);
            QCOMPARE(captions(f.window.windowMenu()), QStringList({"Hide", "-", "E&xit"}));
        }
    }

    // About names the version the program was built as, its licence and where the database is now, and opens the
    // folder that holds it.
    void about()
    {
        Fixture f;
        QString path = "/home/u/.local/share/Zovodazad/Zovodazad.mdb";
        f.window.setDatabasePath([&path] { return path; });
        f.item("MP_About")->trigger();
        path = "/media/new place/Zovodazad.mdb";
        f.item("MP_About")->trigger();
        QList<FrmAbout*> boxes = f.window.findChildren<FrmAbout*>();
        boxes.removeIf([](const FrmAbout* box) { return !box->isVisible(); });
        QCOMPARE(boxes.size(), 1);
        const QString text = boxes[0]->findChild<QLabel*>("lblAbout")->text();
        QVERIFY2(text.startsWith(FrmMain::versionCaption()) && text.contains("GNU General Public License"),
                 qPrintable(text));
        QCOMPARE(boxes[0]->findChild<QLabel*>("lblDatabasePath")->text(), path);

        QUrl opened;
        FrmAbout about(path, [&opened](const QUrl& folder) { opened = folder; });
        about.findChild<QPushButton*>("BttOpenFolder")->click();
        QCOMPARE(opened, QUrl::fromLocalFile("/media/new place"));
    }

    // The icon's picture of the traffic changes only when what it shows does: the graph while its columns move in
    // or their heights change, the rate when its text does; nothing changes the still picture.
    void activityPicture()
    {
        ActivityIcon icon;
        QVERIFY(!icon.add(100, 10, false));
        QVERIFY(icon.setForm(ActivityIcon::Form::Graph));
        int changes = 0;
        for (int second = 0; second < 20; ++second)
            changes += icon.add(100, 10, false);
        QCOMPARE(changes, ActivityIcon::Seconds);
        for (int second = 0; second < ActivityIcon::Seconds; ++second)
            icon.add(0, 0, false);
        QVERIFY(!icon.add(0, 0, false));
        QVERIFY(icon.setForm(ActivityIcon::Form::Rate));
        QVERIFY(icon.add(850, 0, false) && !icon.add(850.2, 5, false) && icon.add(1200, 0, false));
        const QIcon still(QPixmap(16, 16));
        QCOMPARE(icon.draw(still).availableSizes().size(), 6);
        icon.setForm(ActivityIcon::Form::Still);
        QCOMPARE(icon.draw(still).cacheKey(), still.cacheKey());
        // The rate as the icon writes it, kB/s or Kbit/s.
        for (const auto& [rate, bits, text] :
             {std::tuple(0.4, false, "0"), std::tuple(850.0, false, "850k"), std::tuple(999.6, false, "1.0M"),
              std::tuple(9950.0, false, "10M"), std::tuple(2.5e6, false, "2.5G"), std::tuple(100.0, true, "819k")})
            QCOMPARE(ActivityIcon::shortRate(rate, bits), QString(text));
    }

    // Under traffic that changes every tick the icon is drawn at most once a second; the picture of a tick without
    // traffic, after which the engine rests, follows a second after the last one; traffic after a rest shows at once.
    void activityIconDrawsAtMostOnceASecond()
    {
        QMenu menu;
        FakeTrayHosts hosts;
        TrayIcon tray(menu, hosts);
        tray.setIcon(QIcon(QPixmap(16, 16)));
        tray.setActivityForm(ActivityIcon::Form::Graph);
        qint64 shown = tray.image().cacheKey();
        int drawn = 0;
        const auto tick = [&](double down, quint64 quietBefore = 0) {
            Snapshot s;
            s.tick.downRate = down;
            s.tick.upRate = down / 2;
            s.quietBefore = quietBefore;
            tray.showTick(s);
            drawn += std::exchange(shown, tray.image().cacheKey()) != shown;
        };
        for (int t = 0; t < 20; ++t)
            tick(t % 4 == 0 ? 100 : 10);
        QCOMPARE(drawn, 10);
        tick(0);
        QCOMPARE(drawn, 10);
        QTRY_VERIFY_WITH_TIMEOUT(tray.image().cacheKey() != shown, 1000);
        shown = tray.image().cacheKey();
        tick(50, 40);
        QCOMPARE(drawn, 11);
    }

    // A panel that starts after the program gets the icon, as a D-Bus item when the panel registers one a moment
    // after claiming the X11 tray, as an X11 one when none follows. Whether a host shows the icon is followed: a
    // D-Bus icon is not shown by an X11 tray. Such a host does not say where the icon is: the window is placed by
    // the click.
    void lateTrayHost()
    {
        using H = TrayIcon::Host;
        QMenu menu;
        FakeTrayHosts hosts;
        TrayIcon late(menu, hosts);
        QSignalSpy reachable(&late, &TrayIcon::reachableChanged);
        QVERIFY(!late.show());
        hosts.set(false, true);
        hosts.set(true, true);
        QCOMPARE(late.host(), H::StatusNotifier);
        hosts.set(false, true);
        hosts.set(true, false);
        QCOMPARE(reachable, QList<QVariantList>({{true}, {false}, {true}}));
        QCursor::setPos(600, 790);
        Q_EMIT late.findChild<QSystemTrayIcon*>()->activated(QSystemTrayIcon::Trigger);
        QCOMPARE(late.geometry(), QRect(600, 790, 1, 1));

        FakeTrayHosts x11;
        TrayIcon embedded(menu, x11);
        QVERIFY(!embedded.show());
        x11.set(false, true);
        QVERIFY(!embedded.isReachable());
        QTRY_VERIFY_WITH_TIMEOUT(embedded.isReachable(), 3000);
        QCOMPARE(embedded.host(), H::XEmbed);
    }

    // The window stays on top beside the user's work, rarely the active window; a graph's hover text shows anyway.
    void graphToolTipWhileAnotherWindowIsActive()
    {
        Fixture f;
        f.window.showTick(tick(0, 0, 7)); // a rescale names the new scale
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

    // Plasma's Breeze Dark, chosen while the program runs, reaches the shown window at once: its background and
    // texts, the volume-left line in a shade that reads on it, and both graphs, whose pictures start afresh on the
    // new background.
    void followsTheDesktopsColours()
    {
        QTemporaryFile kdeglobals;
        QVERIFY(kdeglobals.open() && kdeglobals.write(BreezeDark) > 0 && kdeglobals.flush());
        const std::optional<QPalette> palette = DesktopPalette::fromKdeGlobals(kdeglobals.fileName());
        QVERIFY(palette);
        const QPalette before = QApplication::palette();
        // GNOME's dark style, by the portal's value: 1 prefers dark, 0 and 2 do not.
        QVERIFY(DesktopPalette::forColorScheme(1, before) == DesktopPalette::dark()
                && DesktopPalette::forColorScheme(2, before) == before);
        Fixture f;
        f.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        f.window.showTick(tick(3, 2));
        f.window.showFigures(allowance(950));
        QApplication::setPalette(*palette);
        QTRY_COMPARE(f.window.palette().color(QPalette::Window), QColor(42, 46, 50));
        for (Throughput* graph : f.window.findChildren<Throughput*>())
            QCOMPARE(QColor(graph->surface().pixel(0, 0)), palette->color(QPalette::Disabled, QPalette::WindowText));
        const QStringList problems = looks::problems(f.window);
        QApplication::setPalette(before);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join("; ")));
    }

    // What the window shows: the graphs, the volume-left line and the two heights that show or cut it, the icon.
    void windowContents()
    {
        Fixture f;
        FrmMain& w = f.window;
        // Download bars stand on the bottom, upload bars hang from the top; both start at the scale of 5, without a
        // hover text until a rescale gives one.
        auto* down = w.findChild<Throughput*>("DownGraph");
        auto* up = w.findChild<Throughput*>("UpGraph");
        QVERIFY(!down->Inverted() && up->Inverted());
        QCOMPARE(std::make_tuple(down->Max(), up->Max(), down->toolTip()), std::make_tuple(5, 5, QString()));
        // Blue and orange, which red-green colour-blind eyes tell apart.
        w.setGraphColours(true);
        QCOMPARE(std::pair(down->ForeColor().hue(), up->ForeColor().hue()), std::pair(201, 41));

        // Hidden, the window keeps its graphs going but builds no text; shown, it shows the figures at once.
        Snapshot s = allowance(900);
        s.rcvdSinceRow = 125000;
        s.tick.downRate = 250;
        s.avgDown = s.maxDown = 250;
        w.showTick(s);
        QLabel* line = w.findChild<QLabel*>("lblwhatsLeft");
        QCOMPARE(w.findChild<QLabel*>("LblUp")->text(), QString());
        w.show();
        w.showFigures(s);
        QCOMPARE(
            QStringList({w.findChild<QLabel*>("lblDownload")->text(), w.windowTitle(),
                         w.findChild<QLabel*>("LblUp")->text(), line->text()}),
            QStringList({"122.1 kB", "122.1 kB", "250.0 kBps/s (Avg: 250.0 - Max: 250.0)", "100 MB (10.0 %) Left."}));
        QCOMPARE(w.findChild<QLabel*>("lblOutlook")->text(), QString("Est. 900 MB, 100 MB/day"));
        // A tick with the same figures repaints the inside of each graph and nothing else; once the graphs are
        // empty, a tick without traffic repaints nothing, and the window says that it may rest.
        QCoreApplication::processEvents();
        PaintRecorder painted;
        for (QWidget* child : w.findChildren<QWidget*>())
            child->installEventFilter(&painted);
        s.tick.downBar = s.tick.upBar = 3;
        w.showTick(s);
        QCoreApplication::processEvents();
        QCOMPARE(painted.rects,
                 (QMap<QString, QRect> {{"DownGraph", down->contentsRect()}, {"UpGraph", up->contentsRect()}}));
        QSignalSpy empty(&w, &FrmMain::graphsEmptyChanged);
        Snapshot quiet = s;
        quiet.tick.downBar = quiet.tick.upBar = 0;
        quiet.quietBefore = 1000;
        w.showTick(quiet);
        QCoreApplication::processEvents();
        painted.rects.clear();
        quiet.quietBefore = 0;
        w.showTick(quiet);
        QCoreApplication::processEvents();
        QVERIFY(painted.rects.isEmpty() && empty.size() == 1 && empty[0][0].toBool());
        const QColor red = line->palette().color(QPalette::WindowText);
        QCOMPARE(red.hslHue(), 0); // in a shade that reads on the window (the look test checks it)
        // With no adapter counted, the speed line says so and where to choose one.
        s.tick.counted = 0;
        w.showFigures(s);
        QCOMPARE(w.findChild<QLabel*>("LblUp")->text(),
                 QString("No adapter counted: choose one in Options, Adapters."));
        // Without an allowance the line has no text, and its colour stays.
        Snapshot none;
        none.whatsleft = true;
        w.showFigures(none);
        QCOMPARE(std::pair(line->text(), line->palette().color(QPalette::WindowText)), std::pair(QString(), red));
        w.hide();

        // The two heights keep their proportions (1950 twips with the estimate's line, 1225 without either line,
        // 3015 wide) at the window's scale.
        w.applyWhatsLeftHeight(false);
        const QSize plain = w.size();
        QVERIFY(line->geometry().bottom() >= w.height());
        w.applyWhatsLeftHeight(true);
        QVERIFY(line->geometry().bottom() < w.height());
        // Each side is rounded to whole pixels on its own.
        QVERIFY(qAbs(w.height() * 1225.0 / 1950 - plain.height()) <= 1);
        QVERIFY(qAbs(w.height() * 3015.0 / 1950 - w.width()) <= 1);

        // The window has no Close. Each tray size is drawn on its own grid, never scaled from another.
        const auto argb = QImage::Format_ARGB32_Premultiplied;
        for (int size : {16, 22, 24, 32, 48})
            QCOMPARE(w.windowIcon().pixmap(QSize(size, size), 1.0).toImage().convertToFormat(argb),
                     QImage(QString(":/icons/zovodazad-%1.png").arg(size)).convertToFormat(argb));
        // A bar taken before the window was ever shown is on its graph when it first is.
        FrmMain fresh(f.boxes);
        fresh.showTick(tick(10, 0, 10));
        fresh.show();
        QVERIFY(!fresh.close() && fresh.isVisible());
        const QImage& bars = fresh.findChild<Throughput*>("DownGraph")->surface();
        QVERIFY(bars.pixel(bars.width() - 1, bars.height() - 1) != bars.pixel(0, bars.height() - 1));
    }
};

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
