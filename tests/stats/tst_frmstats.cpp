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

class TestFrmStats : public QObject
{
    Q_OBJECT

private:
    template<typename T> static T* child(FrmStats& w, const char* name)
    {
        T* c = w.findChild<T*>(QLatin1String(name));
        if (!c)
            qFatal("no control %s", name);
        return c;
    }

    static int twipsToPx(int twips, int dpi) { return qRound(double(twips) * dpi / 1440); }

    // A week of July 2002, ending the day before the fake today.
    static void fillWeek(TempDatabase& t)
    {
        for (int d = 13; d <= 19; ++d)
            t.addLogRow(QString("2002-07-%1 10:00:00").arg(d), QString("2002-07-%1 11:00:00").arg(d), d * 1024.0,
                        2 * d * 1048576.0);
    }

    FakeClock m_clock {QDateTime(QDate(2002, 7, 20), QTime(9, 30))};
    FakeMessageBoxes m_boxes;

private Q_SLOTS:
    void choicesRebuildTheChart()
    {
        TempDatabase t;
        fillWeek(t);
        FrmStats w(t.db, m_clock, m_boxes);
        auto* look = child<QComboBox>(w, "LstChrtLine");
        auto* box = child<QCheckBox>(w, "ChkStacked");
        auto* label = child<QLabel>(w, "lblStack");
        child<QComboBox>(w, "lst23d")->setCurrentIndex(1);
        box->click();
        QCOMPARE(w.grid().type, int(ChartGrid::Area2D));
        // The download area lies on the upload area, so the stack's height is the total.
        QList<QAbstractSeries*> series = w.chart()->chart()->series();
        QCOMPARE(series.size(), 2);
        auto* up = qobject_cast<QAreaSeries*>(series.at(0));
        auto* down = qobject_cast<QAreaSeries*>(series.at(1));
        QVERIFY(up && down);
        QCOMPARE(down->lowerSeries()->points(), up->upperSeries()->points());
        QCOMPARE(down->upperSeries()->at(6).y(), w.grid().value(6, 0) + w.grid().value(6, 1));

        look->setCurrentIndex(1);
        QVERIFY(!box->isChecked());
        QVERIFY(box->isHidden() && label->isHidden());
        series = w.chart()->chart()->series();
        QCOMPARE(series.size(), 3);
        QVERIFY(qobject_cast<QLineSeries*>(series.at(2)));

        look->setCurrentIndex(2);
        QVERIFY(!box->isHidden() && !label->isHidden());
        QVERIFY(!box->isChecked());
        QCOMPARE(qobject_cast<QBarSeries*>(w.chart()->chart()->series().at(0))->count(), 3);
        box->click();
        QCOMPARE(w.grid().type, int(ChartGrid::Bars2D));
        QCOMPARE(qobject_cast<QStackedBarSeries*>(w.chart()->chart()->series().at(0))->count(), 2);

        // A rebuild keeps every choice.
        auto* period = child<QComboBox>(w, "LstChartPeriod");
        period->setCurrentIndex(2);
        QVERIFY(box->isChecked() && look->currentIndex() == 2);
        QCOMPARE(w.grid().rowLabels(), QStringList({"07/2002"}));

        // A database error is reported and hides the chart; the window stays usable.
        t.exec("DROP VIEW DownloadPerWeek");
        period->setCurrentIndex(1);
        QCOMPARE(m_boxes.shown.size(), 1);
        QCOMPARE(m_boxes.shown.first().icon, MessageBoxes::Icon::Critical);
        QVERIFY(m_boxes.shown.first().prompt.contains("DownloadPerWeek", Qt::CaseInsensitive));
        QVERIFY(w.chart()->isHidden());
        period->setCurrentIndex(0);
        QVERIFY(!w.chart()->isHidden());
        QCOMPARE(m_boxes.shown.size(), 1);
    }

    void resizeRuleBelowAndAbove800Twips()
    {
        TempDatabase t;
        fillWeek(t);
        FrmStats w(t.db, m_clock, m_boxes);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto* ok = child<QPushButton>(w, "CmdOK");
        const int dx = w.logicalDpiX();
        const int dy = w.logicalDpiY();

        // At 800 twips high or less nothing moves.
        w.resize(400, twipsToPx(800, dy) - (w.frameGeometry().height() - w.height()));
        QTRY_VERIFY(w.frameGeometry().height() <= twipsToPx(800, dy));
        const QRect chartBefore = w.chart()->geometry();
        const QPoint okBefore = ok->pos();
        w.resize(410, w.height());
        QTRY_COMPARE(w.width(), 410);
        QCOMPARE(w.chart()->geometry(), chartBefore);
        QCOMPARE(ok->pos(), okBefore);

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
