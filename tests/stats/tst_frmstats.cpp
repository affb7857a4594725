#include "Clock.h"
#include "FrmStats.h"
#include "LogChart.h"
#include "MessageBox.h"
#include "TempDatabase.h"

#include <QSignalSpy>
#include <QTest>
#include <QtCharts>
#include <QtWidgets>

#include "WindowLooks.h"

class TestFrmStats : public QObject
{
    Q_OBJECT

private:
    // The user picks an entry of a list, as a click does.
    static void pick(QComboBox* list, int index)
    {
        list->setCurrentIndex(index);
        Q_EMIT list->activated(index);
    }

    // A row on each day of July from..to, of d KB sent and 2d MB received on day d.
    static void logJuly(TempDatabase& t, int from, int to)
    {
        for (int d = from; d <= to; ++d)
            t.addLogRow(QString("2002-07-%1 10:00:00").arg(d, 2, 10, QChar('0')),
                        QString("2002-07-%1 11:00:00").arg(d, 2, 10, QChar('0')), d * 1024.0, 2 * d * 1048576.0);
    }

    FakeClock m_clock {QDateTime(QDate(2002, 7, 20), QTime(9, 30))};
    FakeMessageBoxes m_boxes;

private Q_SLOTS:
    // Over any 2-D look (area, line, bars), the period under the mouse names its figures in the view's unit.
    void hoverNamesThePeriodsFigures()
    {
        for (int look : {0, 1, 2}) {
            TempDatabase t;
            logJuly(t, 13, 19);
            FrmStats w(t.db, m_clock, m_boxes);
            w.show();
            QApplication::setActiveWindow(&w); // tooltips come to the active window
            QVERIFY(QTest::qWaitForWindowActive(&w));
            pick(w.findChild<QComboBox*>("lst23d"), 1);
            pick(w.findChild<QComboBox*>("LstChrtLine"), look);
            QChart* chart = w.chart()->chart();
            QTRY_VERIFY(chart->plotArea().isValid());
            // Just above the floor of 16 July, the fourth day.
            const QPointF spot = chart->mapToPosition(QPointF(3, 0)) - QPointF(0, 3);
            auto* view = static_cast<QGraphicsView*>(w.chart()->viewport()->parentWidget());
            // From outside the plot, as a mouse comes in; a move to where the pointer already is would be no move.
            QTest::mouseMove(w.chart()->viewport(), QPoint(1, 1));
            QTest::mouseMove(w.chart()->viewport(), view->mapFromScene(chart->mapToScene(spot)));
            QTRY_COMPARE(QToolTip::text(),
                         QString("Tue 16 Jul 2002\nReceived: 32.00 MB\nSent: 0.02 MB\nTotal: 32.02 MB"));
        }
    }

    // The table lists the view's periods with their sums, sorts by any column and copies as tab-separated lines.
    void tableListsSortsAndCopies()
    {
        TempDatabase t;
        logJuly(t, 13, 19);
        t.addLogRow("2002-07-16 12:00:00", "2002-07-16 13:00:00", 0, 100 * 1048576.0);
        FrmStats w(t.db, m_clock, m_boxes);
        w.show();
        w.findChild<QToolButton*>("BttTable")->click();
        auto* table = w.findChild<QTableView*>("TblFigures");
        QVERIFY(table->isVisible() && w.chart()->isHidden());
        const QAbstractItemModel* m = table->model();
        const auto row = [m](int r) {
            QStringList cells;
            for (int c = 0; c < m->columnCount(); ++c)
                cells.append(m->index(r, c).data().toString());
            return cells.join('|');
        };
        table->sortByColumn(3, Qt::DescendingOrder);
        QCOMPARE(row(0), QString("Tue 16 Jul 2002|132.00|0.02|132.02"));
        QCOMPARE(row(1), QString("Fri 19 Jul 2002|38.00|0.02|38.02"));
        w.findChild<QPushButton*>("BttCopy")->click();
        const QStringList lines = QGuiApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 8);
        QCOMPARE(lines.at(0), QString("Period\tReceived (MB)\tSent (MB)\tTotal (MB)"));
        QCOMPARE(lines.at(1), QString("Tue 16 Jul 2002\t132.00\t0.02\t132.02"));
    }

    // Page Up moves the view by its span, Now brings it back, and the range reads in words; a span without a record
    // says so instead of drawing empty axes. Esc closes the window.
    void pagesAndSaysWhenEmpty()
    {
        TempDatabase t;
        logJuly(t, 1, 3);
        FrmStats w(t.db, m_clock, m_boxes);
        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        auto* range = w.findChild<QLabel*>("LblRange");
        auto* empty = w.findChild<QLabel*>("LblEmpty");
        auto* later = w.findChild<QPushButton*>("BttLater");
        QCOMPARE(range->text(), QString("6 Jul 2002 – 20 Jul 2002"));
        QVERIFY(empty->isVisible() && w.chart()->isHidden() && !later->isEnabled());
        QCOMPARE(empty->text(), QString("No traffic logged in this period."));

        QTest::keyClick(&w, Qt::Key_PageUp);
        QCOMPARE(range->text(), QString("21 Jun 2002 – 5 Jul 2002"));
        QVERIFY(w.chart()->isVisible() && empty->isHidden() && later->isEnabled());
        QCOMPARE(w.grid().rowLabels(), QStringList({"01/07", "02/07", "03/07"}));
        QVERIFY(!w.findChild<QPushButton*>("BttEarlier")->isEnabled()); // nothing older is logged
        pick(w.findChild<QComboBox*>("LstChartPeriod"), 2); // another period opens on its newest
        QCOMPARE(range->text(), QString("1 Jul 2002 – 31 Jul 2002"));
        pick(w.findChild<QComboBox*>("LstChartPeriod"), 0);
        QTest::keyClick(&w, Qt::Key_PageUp);
        w.findChild<QPushButton*>("BttNow")->click();
        QCOMPARE(range->text(), QString("6 Jul 2002 – 20 Jul 2002"));
        QTest::keyClick(&w, Qt::Key_Escape); // closes the window, as its OK does
        QVERIFY(!w.isVisible());
    }

    // One adapter's figures come from its records alone; the pick is told, for the monitor to store; periods from
    // before the per-adapter log say that they were not recorded per adapter, never that nothing went over it.
    void oneAdapterAtATime()
    {
        TempDatabase t;
        logJuly(t, 13, 19);
        t.exec(
            "INSERT INTO log_adapter SELECT rowid, DateAndTimeStart, CASE WHEN rowid < 6 THEN 'usb0' ELSE 'eth0' END,"
            " bytesrcvd, BytesSent FROM log WHERE rowid >= 4");
        FrmStats w(t.db, m_clock, m_boxes);
        auto* adapters = w.findChild<QComboBox*>("LstAdapter");
        QCOMPARE(adapters->count(), 3);
        QCOMPARE(adapters->itemText(2), QString("usb0"));
        QSignalSpy chosen(&w, &FrmStats::adapterChosen);
        pick(adapters, 2);
        QCOMPARE(chosen.value(0).value(0).toString(), QString("usb0"));
        QCOMPARE(w.grid().rowLabels(), QStringList({"16/07", "17/07"}));
        QCOMPARE(QList<double>({w.grid().value(0, 1), w.grid().value(1, 1)}), QList<double>({32, 34}));
        QCOMPARE(w.findChild<QLabel*>("LblRange")->toolTip(), QString("Not recorded per adapter before 16 Jul 2002."));
        pick(adapters, 0);
        QCOMPARE(chosen.value(1).value(0).toString(), QString());
        QCOMPARE(w.grid().rowCount(), 7);
        // A log from before the per-adapter records, opened on the adapter chosen last time.
        t.exec("DELETE FROM log_adapter");
        FrmStats again(t.db, m_clock, m_boxes, "usb0");
        QCOMPARE(again.findChild<QLabel*>("LblEmpty")->text(), QString("Not recorded per adapter in this period."));
        QVERIFY(!again.grid().visible);
    }

    void choicesRebuildTheChart()
    {
        TempDatabase t;
        logJuly(t, 13, 19); // the week before today
        FrmStats w(t.db, m_clock, m_boxes);
        auto* look = w.findChild<QComboBox*>("LstChrtLine");
        auto* box = w.findChild<QCheckBox*>("ChkStacked");
        auto* label = w.findChild<QLabel*>("lblStack");
        const auto series = [&] { return w.chart()->chart()->series(); };
        pick(w.findChild<QComboBox*>("lst23d"), 1);
        box->click();
        QCOMPARE(w.chart()->chart()->title(), QString()); // flat as chosen, so no note about 3-D
        // The download area lies on the upload area, so the stack's height is the total.
        QCOMPARE(series().size(), 2);
        auto* up = qobject_cast<QAreaSeries*>(series().at(0));
        auto* down = qobject_cast<QAreaSeries*>(series().at(1));
        QVERIFY(up && down);
        QCOMPARE(down->lowerSeries()->points(), up->upperSeries()->points());
        QCOMPARE(down->upperSeries()->at(6).y(), w.grid().value(6, 0) + w.grid().value(6, 1));

        pick(look, 1);
        QVERIFY(!box->isChecked() && box->isHidden() && label->isHidden());
        QCOMPARE(series().size(), 3);
        QVERIFY(qobject_cast<QLineSeries*>(series().at(2)));

        pick(look, 2);
        QVERIFY(!box->isChecked() && !box->isHidden() && !label->isHidden());
        QCOMPARE(qobject_cast<QBarSeries*>(series().at(0))->count(), 3);
        box->click();
        QCOMPARE(qobject_cast<QStackedBarSeries*>(series().at(0))->count(), 2);

        // A rebuild keeps every choice.
        auto* period = w.findChild<QComboBox*>("LstChartPeriod");
        pick(period, 2);
        QVERIFY(box->isChecked() && look->currentIndex() == 2);
        QCOMPARE(w.grid().rowLabels(), QStringList({"07/2002"}));
        // One period as a line: one point, one marker, per series; the running month's estimate is a mark of its own.
        pick(look, 1);
        QCOMPARE(series().size(), 4);
        for (int c = 0; c < 3; ++c)
            QCOMPARE(qobject_cast<QLineSeries*>(series().at(c))->count(), 1);
        QCOMPARE(qobject_cast<QScatterSeries*>(series().at(3))->name(), QString("Estimate"));

        // A database error is reported and hides the chart; the window stays usable.
        t.exec("DROP VIEW DownloadPerWeek");
        pick(period, 1);
        QVERIFY(w.chart()->isHidden());
        pick(period, 0);
        QVERIFY(!w.chart()->isHidden());
        QCOMPARE(m_boxes.shown.size(), 1);
        QVERIFY(m_boxes.shown.first().prompt.contains("DownloadPerWeek", Qt::CaseInsensitive));

        // Days of nothing but zero bytes read 0 to 1 of the unit, not a span of millionths.
        t.exec("UPDATE log SET BytesSent = 0, bytesrcvd = 0");
        pick(look, 0);
        auto* axis = qobject_cast<QValueAxis*>(w.chart()->chart()->axes(Qt::Vertical).value(0));
        QVERIFY(axis);
        QCOMPARE(std::pair(axis->min(), axis->max()), std::pair(0.0, 1.0));
    }

    void looks_data() { looks::addRows(); }

    // At either pixel ratio, in either palette and at every font size, the window takes the desktop's font, its
    // controls fit and stay apart, and the chart's texts follow the palette with room for the widest value label.
    void looks()
    {
        const looks::Row row = looks::applyRow();
        QVERIFY(row.screen);
        TempDatabase t;
        for (int d = 6; d <= 19; ++d) // up to 5,000,000 MB a day
            t.addLogRow(QString("2002-07-%1 10:00:00").arg(d, 2, 10, QChar('0')),
                        QString("2002-07-%1 11:00:00").arg(d, 2, 10, QChar('0')), d * 1e11, d * 3.7e11);
        FrmStats w(t.db, m_clock, m_boxes);
        QVERIFY(looks::showOn(w, row));
        pick(w.findChild<QComboBox*>("lst23d"), 1);
        QTRY_VERIFY(w.chart()->chart()->plotArea().isValid());
        QVERIFY2(looks::problems(w).isEmpty(), qPrintable(looks::problems(w).join("; ")));

        QChart* chart = w.chart()->chart();
        const QColor back = chart->backgroundBrush().color();
        QVERIFY(contrastRatio(chart->legend()->labelColor(), back) >= 4.5);
        for (const QAbstractAxis* axis : chart->axes()) {
            QVERIFY(contrastRatio(axis->labelsColor(), back) >= 4.5);
            QVERIFY(contrastRatio(axis->titleBrush().color(), back) >= 4.5);
            QCOMPARE(axis->labelsFont().pointSize(), row.points);
        }
        auto* values = qobject_cast<QValueAxis*>(chart->axes(Qt::Vertical).value(0));
        const QString widest = QLocale().toString(values->max(), 'f', 0);
        QVERIFY(QFontMetrics(values->labelsFont()).horizontalAdvance(widest) < chart->plotArea().left());
        looks::saveShot(w, "stats");
    }

    // At 800 twips high or less nothing moves. Above, the chart fills the window below the top row and grows with
    // it, and the button keeps its distance from the bottom right corner.
    void resizeRuleBelowAndAbove800Twips()
    {
        TempDatabase t;
        FrmStats w(t.db, m_clock, m_boxes);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto* ok = w.findChild<QPushButton*>("CmdOK");
        const auto layout = [&] { return std::pair(w.chart()->geometry(), ok->geometry()); };
        // Pixels per twip of the layout, which grows with the font: the window opens 7275 twips high inside.
        const double ky = w.height() / 7275.0;
        w.resize(400, int(800 * ky) - (w.frameGeometry().height() - w.height()));
        QTRY_VERIFY(w.frameGeometry().height() <= 800 * ky);
        const auto before = layout();
        w.resize(410, w.height());
        QTRY_COMPARE(w.width(), 410);
        QCOMPARE(layout(), before);

        w.resize(800, 600);
        QTRY_COMPARE(w.size(), QSize(800, 600));
        const auto [chart, button] = layout();
        QVERIFY(chart.left() == 0 && chart.width() == w.frameGeometry().width()
                && chart.top() > w.findChild<QWidget*>("lst23d")->geometry().bottom());
        w.resize(900, 700);
        QTRY_COMPARE(w.size(), QSize(900, 700));
        QCOMPARE(layout(), std::pair(chart.adjusted(0, 0, 100, 100), button.translated(100, 100)));
    }

    // The window keeps clear of the always-on-top monitor window, by the shortest way that stays on the screen, and
    // stays where it is when there is no such way. Screen 0,0 1280x800; window 800x600 at 240,100.
    void keepsClearOfTheMonitorWindow()
    {
        // {the monitor window, where the statistics window goes}
        for (const auto& [monitor, topLeft] : {std::pair(QRect(1100, 720, 180, 80), QPoint(240, 100)), // not in the way
                                               std::pair(QRect(1000, 650, 200, 100), QPoint(200, 100)), // its corner
                                               std::pair(QRect(200, 80, 900, 60), QPoint(240, 140)), // more room below
                                               std::pair(QRect(500, 0, 200, 800), QPoint(240, 100))}) // no room
            QCOMPARE(FrmStats::clearOf(QRect(240, 100, 800, 600), monitor, QRect(0, 0, 1280, 800)), topLeft);
    }
};

QTEST_MAIN(TestFrmStats)
#include "tst_frmstats.moc"
