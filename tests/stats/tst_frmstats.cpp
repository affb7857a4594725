#include "Clock.h"
#include "FrmStats.h"
#include "LogChart.h"
#include "MessageBox.h"
#include "TempDatabase.h"

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

    FakeClock m_clock {QDateTime(QDate(2002, 7, 20), QTime(9, 30))};
    FakeMessageBoxes m_boxes;

private Q_SLOTS:
    void choicesRebuildTheChart()
    {
        TempDatabase t;
        for (int d = 13; d <= 19; ++d) // the week before today
            t.addLogRow(QString("2002-07-%1 10:00:00").arg(d), QString("2002-07-%1 11:00:00").arg(d), d * 1024.0,
                        2 * d * 1048576.0);
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
        // One period as a line: one point, one marker, per series.
        pick(look, 1);
        for (QAbstractSeries* s : series())
            QCOMPARE(qobject_cast<QLineSeries*>(s)->count(), 1);

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
    void keepsClearOfTheMonitorWindow_data()
    {
        QTest::addColumn<QRect>("monitor");
        QTest::addColumn<QPoint>("topLeft");
        QTest::newRow("not in the way") << QRect(1100, 720, 180, 80) << QPoint(240, 100);
        QTest::newRow("over its bottom right corner") << QRect(1000, 650, 200, 100) << QPoint(200, 100);
        QTest::newRow("over its middle, more room below") << QRect(200, 80, 900, 60) << QPoint(240, 140);
        QTest::newRow("no room anywhere") << QRect(500, 0, 200, 800) << QPoint(240, 100);
    }
    void keepsClearOfTheMonitorWindow()
    {
        QFETCH(QRect, monitor);
        QFETCH(QPoint, topLeft);
        QCOMPARE(FrmStats::clearOf(QRect(240, 100, 800, 600), monitor, QRect(0, 0, 1280, 800)), topLeft);
    }

    // Esc closes the window, as its OK does.
    void escapeCloses()
    {
        TempDatabase t;
        FrmStats w(t.db, m_clock, m_boxes);
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(&w, Qt::Key_Escape);
        QVERIFY(!w.isVisible());
    }
};

QTEST_MAIN(TestFrmStats)
#include "tst_frmstats.moc"
