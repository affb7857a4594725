#pragma once

#include "ChartBuild.h"
#include "ChartGrid.h"
#include "Db.h"
#include "TwipLayout.h"

#include <QWidget>

class Clock;
class LogChart;
class MessageBoxes;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QStandardItemModel;
class QTableView;
class QToolButton;

// The statistics window: the logged volume per day, week, month or year as a chart or a table, paged back in time
// by the view's span. Every change of a list, of the Stack box or of the page rebuilds it from the database.
class FrmStats : public QWidget
{
    Q_OBJECT
public:
    // adapter: the one whose figures it opens on, when it has records; empty for all counted adapters.
    // source: where the figures of all counted adapters come from; the log's aggregate views unless given. The
    // adapter list picks one adapter's records instead.
    FrmStats(DbConnection& db, const Clock& clock, MessageBoxes& boxes, const QString& adapter = {},
             QWidget* parent = nullptr, StatsSource source = StatsSource::wholeLog());

    // The build procedure: fills the lists when empty, reads the chosen period and draws it.
    Q_INVOKABLE void build();

    const ChartGrid& grid() const { return m_grid; }
    const ChartPage& page() const { return m_page; }

    // Moves the view by its span: to earlier periods with a positive step, later ones with a negative.
    void pageBy(int step);
    // Back to the view that ends now.
    void pageToNow();
    // The table's rows, or the selected ones, as tab-separated lines with a header, onto the clipboard.
    void copyTable();

    // Moves the window, as little as it takes, off the area (the always-on-top monitor window), so that nothing of it
    // is hidden under that; within the screen, and nowhere when there is no room.
    void keepClearOf(const QRect& area);
    // Where a window with this frame goes for that: its new top left corner.
    static QPoint clearOf(const QRect& frame, const QRect& area, const QRect& available);
    LogChart* chart() const { return m_chart; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

Q_SIGNALS:
    // The user picked an adapter in the list; empty for all counted adapters.
    void adapterChosen(const QString& name);

private:
    void fitLayout();
    void layOut();
    void showView();
    QString figureText(double value) const;
    QString tipOf(const PeriodFigures& figures) const;
    void fillTable();
    void fillAdapters();

    DbConnection& m_db;
    const Clock& m_clock;
    MessageBoxes& m_boxes;
    const StatsSource m_source;
    QString m_adapter;
    // The first day with per-adapter records: the log before it has none.
    QDate m_recordedFrom;
    DbRecordset m_rs;
    ChartGrid m_grid;
    ChartPage m_page;
    int m_back = 0;
    bool m_readFailed = false;
    TwipLayout m_layout {this};

    QComboBox* m_lst23d;
    QComboBox* m_lstChrtLine;
    QCheckBox* m_chkStacked;
    QLabel* m_lblStack;
    QLabel* m_label1;
    QComboBox* m_lstChartPeriod;
    QComboBox* m_lstAdapter;
    QToolButton* m_bttTable;
    LogChart* m_chart;
    QTableView* m_table;
    QStandardItemModel* m_model;
    QLabel* m_lblEmpty;
    QPushButton* m_bttEarlier;
    QPushButton* m_bttLater;
    QPushButton* m_bttNow;
    QLabel* m_lblRange;
    QPushButton* m_bttCopy;
    QPushButton* m_cmdOK;
};
