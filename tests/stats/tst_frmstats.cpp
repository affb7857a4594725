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
    template<typename T> static T* child(FrmStats& w, const char* name)
    {
        T* c = w.findChild<T*>(QLatin1String(name));
        if (!c)
            qFatal("no control %s", name);
        return c;
    }

    static QStringList entries(QComboBox* list)
    {
        QStringList texts;
        for (int i = 0; i < list->count(); ++i)
            texts << list->itemText(i);
        return texts;
    }

    static int twipsToPx(int twips, int dpi) { return qRound(double(twips) * dpi / 1440); }

    void fillWeek(TempDatabase& t)
    {
        for (int d = 1; d <= 7; ++d)
            t.addLogRow(QString("2002-07-1%1 10:00:00").arg(d), QString("2002-07-1%1 11:00:00").arg(d), d * 1024.0,
                        2 * d * 1024.0 * 1024);
    }

    FakeClock m_clock {QDateTime(QDate(2002, 7, 20), QTime(9, 30))};
    FakeMessageBoxes m_boxes;

private Q_SLOTS:
    void opensWithFirstEntriesAtDesignedSize()
    {
        TempDatabase t;
        fillWeek(t);
        FrmStats w(t.db, m_clock, m_boxes);
        QCOMPARE(w.windowTitle(), QString("Zovodazad, Keeps an eye on your downloads..."));
        QCOMPARE(entries(child<QComboBox>(w, "lst23d")), QStringList({"3D", "2D"}));
        QCOMPARE(entries(child<QComboBox>(w, "LstChrtLine")), QStringList({"Area", "Line", "Bars"}));
        QCOMPARE(entries(child<QComboBox>(w, "LstChartPeriod")),
                 QStringList(
                     {"Volume Per Day (MB)", "Volume Per Week (GB)", "Volume Per Month (GB)", "Volume Per Year (GB)"}));
        for (const char* list : {"lst23d", "LstChrtLine", "LstChartPeriod"})
            QCOMPARE(child<QComboBox>(w, list)->currentIndex(), 0);
        QVERIFY(!child<QCheckBox>(w, "ChkStacked")->isChecked());
        QVERIFY(child<QCheckBox>(w, "ChkStacked")->text().isEmpty());
        QCOMPARE(child<QLabel>(w, "lblStack")->text(), QString("Stack"));
        QCOMPARE(child<QLabel>(w, "Label1")->text(), QString("Show:"));
        QCOMPARE(child<QPushButton>(w, "CmdOK")->text(), QString("&OK"));
        QCOMPARE(w.size(), QSize(twipsToPx(9450, w.logicalDpiX()), twipsToPx(7275, w.logicalDpiY())));
        QCOMPARE(child<QComboBox>(w, "LstChartPeriod")->geometry().left(), twipsToPx(5400, w.logicalDpiX()));

        QCOMPARE(w.grid().type, int(ChartGrid::Area3D));
        QCOMPARE(w.grid().rowCount(), 7);
        QVERIFY(!w.chart()->isHidden());
    }

    void stackBoxFollowsTheLook()
    {
        TempDatabase t;
        fillWeek(t);
        FrmStats w(t.db, m_clock, m_boxes);
        auto* look = child<QComboBox>(w, "LstChrtLine");
        auto* box = child<QCheckBox>(w, "ChkStacked");
        child<QComboBox>(w, "lst23d")->setCurrentIndex(1);
        box->click();
        QCOMPARE(w.grid().type, int(ChartGrid::Area2D));
        QVERIFY(w.grid().stacked);
        QCOMPARE(w.grid().columnCount(), 2);
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
        QVERIFY(box->isHidden());
        QVERIFY(child<QLabel>(w, "lblStack")->isHidden());
        QVERIFY(!w.grid().stacked);
        series = w.chart()->chart()->series();
        QCOMPARE(series.size(), 3);
        QVERIFY(qobject_cast<QLineSeries*>(series.at(2)));

        look->setCurrentIndex(2);
        QVERIFY(!box->isHidden());
        QVERIFY(!child<QLabel>(w, "lblStack")->isHidden());
        QVERIFY(!box->isChecked());
        series = w.chart()->chart()->series();
        QCOMPARE(series.size(), 1);
        QCOMPARE(qobject_cast<QBarSeries*>(series.at(0))->count(), 3);
        box->click();
        QCOMPARE(w.grid().type, int(ChartGrid::Bars2D));
        QCOMPARE(qobject_cast<QStackedBarSeries*>(w.chart()->chart()->series().at(0))->count(), 2);

        // A rebuild keeps every choice.
        child<QComboBox>(w, "LstChartPeriod")->setCurrentIndex(2);
        QCOMPARE(look->currentIndex(), 2);
        QVERIFY(box->isChecked());
        QCOMPARE(w.grid().rowLabels(), QStringList({"07/2002"}));
    }

    void valueAxisEndsOnARoundNumber_data()
    {
        QTest::addColumn<double>("mb");
        QTest::addColumn<double>("max");
        QTest::addColumn<QString>("format");
        QTest::newRow("steps of 2") << 9.3 << 10.0 << "%.0f";
        QTest::newRow("steps of 2.5") << 11.0 << 12.5 << "%.1f";
        QTest::newRow("steps of 0.05") << 0.21 << 0.25 << "%.2f";
    }

    void valueAxisEndsOnARoundNumber()
    {
        QFETCH(double, mb);
        QFETCH(double, max);
        QFETCH(QString, format);
        TempDatabase t;
        t.addLogRow("2002-07-19 10:00:00", "2002-07-19 11:00:00", 0, mb * 1048576);
        FrmStats w(t.db, m_clock, m_boxes);
        child<QComboBox>(w, "lst23d")->setCurrentIndex(1);
        const auto axes = w.chart()->chart()->axes(Qt::Vertical);
        QCOMPARE(axes.size(), 1);
        auto* axis = qobject_cast<QValueAxis*>(axes.first());
        QVERIFY(axis);
        QCOMPARE(axis->min(), 0.0);
        QCOMPARE(axis->max(), max);
        QCOMPARE(axis->labelFormat(), format);
        QCOMPARE(axis->titleText(), QString("MB"));
    }

    void resizeRuleBelowAndAbove800Twips()
    {
        TempDatabase t;
        fillWeek(t);
        FrmStats w(t.db, m_clock, m_boxes);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto* chart = w.chart();
        auto* ok = child<QPushButton>(w, "CmdOK");
        const int dx = w.logicalDpiX();
        const int dy = w.logicalDpiY();

        w.resize(400, twipsToPx(800, dy) - (w.frameGeometry().height() - w.height()));
        QTRY_VERIFY(w.frameGeometry().height() <= twipsToPx(800, dy));
        const QRect chartBefore = chart->geometry();
        const QPoint okBefore = ok->pos();
        w.resize(410, w.height());
        QTRY_COMPARE(w.width(), 410);
        QCOMPARE(chart->geometry(), chartBefore);
        QCOMPARE(ok->pos(), okBefore);

        w.resize(700, 520);
        QTRY_COMPARE(w.size(), QSize(700, 520));
        const int W = qRound(w.frameGeometry().width() * 1440.0 / dx);
        const int H = qRound(w.frameGeometry().height() * 1440.0 / dy);
        QCOMPARE(chart->geometry(), QRect(0, twipsToPx(600, dy), twipsToPx(W, dx), twipsToPx(H - 800, dy)));
        const int okW = qRound(ok->width() * 1440.0 / dx);
        const int okH = qRound(ok->height() * 1440.0 / dy);
        QCOMPARE(ok->pos(), QPoint(twipsToPx(W - okW - 500, dx), twipsToPx(H - okH - 700, dy)));
    }

    void databaseErrorIsShownAndTheWindowStaysUsable()
    {
        TempDatabase t;
        fillWeek(t);
        FrmStats w(t.db, m_clock, m_boxes);
        t.exec("DROP VIEW DownloadPerWeek");
        child<QComboBox>(w, "LstChartPeriod")->setCurrentIndex(1);
        QCOMPARE(m_boxes.shown.size(), 1);
        QCOMPARE(m_boxes.shown.first().icon, MessageBoxes::Icon::Critical);
        QVERIFY(m_boxes.shown.first().prompt.contains("DownloadPerWeek", Qt::CaseInsensitive));
        QVERIFY(w.chart()->isHidden());

        child<QComboBox>(w, "LstChartPeriod")->setCurrentIndex(0);
        QVERIFY(!w.chart()->isHidden());
        QCOMPARE(m_boxes.shown.size(), 1);
        m_boxes.shown.clear();
    }

    void oddRowsDrawInEveryLook()
    {
        TempDatabase t;
        t.addLogRow("1900-01-01 00:00:00", "1900-01-01 00:00:00", 0, 0);
        t.addLogRow("2002-07-20 09:00:00", "2002-07-20 09:00:00", 0, 0, 5);
        t.addLogRow("9999-12-31 23:00:00", "9999-12-31 23:59:59", 1e15, 3e15);
        FrmStats w(t.db, m_clock, m_boxes);
        w.show();
        for (int period = 0; period < 4; ++period) {
            child<QComboBox>(w, "LstChartPeriod")->setCurrentIndex(period);
            for (int dim = 0; dim < 2; ++dim) {
                child<QComboBox>(w, "lst23d")->setCurrentIndex(dim);
                for (int look = 0; look < 3; ++look) {
                    child<QComboBox>(w, "LstChrtLine")->setCurrentIndex(look);
                    QVERIFY(w.grid().visible);
                    QVERIFY(w.grid().rowCount() <= 15);
                    QCOMPARE(w.chart()->grid().rowCount(), w.grid().rowCount());
                }
            }
        }
        QCOMPARE(w.grid().rowLabels(), QStringList({"1900", "2002", "9999"}));
        QVERIFY(m_boxes.shown.isEmpty());
    }

    void okCloses()
    {
        TempDatabase t;
        FrmStats w(t.db, m_clock, m_boxes);
        QVERIFY(w.chart()->isHidden());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTest::mouseClick(child<QPushButton>(w, "CmdOK"), Qt::LeftButton);
        QVERIFY(!w.isVisible());
    }
};

QTEST_MAIN(TestFrmStats)
#include "tst_frmstats.moc"
