#include "Clock.h"
#include "FrmStats.h"
#include "LogChart.h"
#include "MessageBox.h"
#include "TempDatabase.h"

#include <QAreaSeries>
#include <QBarSeries>
#include <QChart>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QStackedBarSeries>
#include <QTest>
#include <QValueAxis>

class TestFrmStats : public QObject
{
    Q_OBJECT

private:
    static int twipsToPx(int twips, int dpi) { return qRound(double(twips) * dpi / 1440); }
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
        QCOMPARE(w.grid().type, int(ChartGrid::Area2D));
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
        pick(look, 2);

        // A database error is reported and hides the chart; the window stays usable.
        t.exec("DROP VIEW DownloadPerWeek");
        pick(period, 1);
        QCOMPARE(m_boxes.shown.size(), 1);
        QVERIFY(m_boxes.shown.first().prompt.contains("DownloadPerWeek", Qt::CaseInsensitive));
        QVERIFY(w.chart()->isHidden());
        pick(period, 0);
        QVERIFY(!w.chart()->isHidden());
        QCOMPARE(m_boxes.shown.size(), 1);
    }

    // Days of nothing but zero bytes read 0 to 1 of the unit, not a span of millionths.
    void allZeroPeriodAxis()
    {
        TempDatabase t;
        t.addLogRow("2002-07-19 10:00:00", "2002-07-19 11:00:00", 0, 0);
        FrmStats w(t.db, m_clock, m_boxes);
        pick(w.findChild<QComboBox*>("lst23d"), 1);
        auto* axis = qobject_cast<QValueAxis*>(w.chart()->chart()->axes(Qt::Vertical).value(0));
        QVERIFY(axis);
        QCOMPARE(std::pair(axis->min(), axis->max()), std::pair(0.0, 1.0));
    }

    void resizeRuleBelowAndAbove800Twips()
    {
        TempDatabase t;
        FrmStats w(t.db, m_clock, m_boxes);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto* ok = w.findChild<QPushButton*>("CmdOK");
        const int dx = w.logicalDpiX(), dy = w.logicalDpiY();

        // At 800 twips high or less nothing moves.
        w.resize(400, twipsToPx(800, dy) - (w.frameGeometry().height() - w.height()));
        QTRY_VERIFY(w.frameGeometry().height() <= twipsToPx(800, dy));
        const auto layout = [&] { return std::pair(w.chart()->geometry(), ok->pos()); };
        const auto before = layout();
        w.resize(410, w.height());
        QTRY_COMPARE(w.width(), 410);
        QCOMPARE(layout(), before);

        w.resize(700, 520);
        QTRY_COMPARE(w.size(), QSize(700, 520));
        const int W = qRound(w.frameGeometry().width() * 1440.0 / dx);
        const int H = qRound(w.frameGeometry().height() * 1440.0 / dy);
        QCOMPARE(w.chart()->geometry(), QRect(0, twipsToPx(600, dy), twipsToPx(W, dx), twipsToPx(H - 800, dy)));
        const int okW = qRound(ok->width() * 1440.0 / dx);
        const int okH = qRound(ok->height() * 1440.0 / dy);
        QCOMPARE(ok->pos(), QPoint(twipsToPx(W - okW - 500, dx), twipsToPx(H - okH - 700, dy)));
    }
};

QTEST_MAIN(TestFrmStats)
#include "tst_frmstats.moc"
