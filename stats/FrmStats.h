#pragma once

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

// The statistics window: the logged volume per day, week, month or year as a chart. Every change of a list or
// of the Stack box rebuilds the chart from the database.
class FrmStats : public QWidget
{
    Q_OBJECT
public:
    FrmStats(DbConnection& db, const Clock& clock, MessageBoxes& boxes, QWidget* parent = nullptr);

    // The build procedure: fills the lists when empty, reads the chosen period and draws it.
    Q_INVOKABLE void build();

    const ChartGrid& grid() const { return m_grid; }

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

private:
    void fitLayout();
    void layOut();

    DbConnection& m_db;
    const Clock& m_clock;
    MessageBoxes& m_boxes;
    DbRecordset m_rs;
    ChartGrid m_grid;
    TwipLayout m_layout {this};

    QComboBox* m_lst23d;
    QComboBox* m_lstChrtLine;
    QCheckBox* m_chkStacked;
    QLabel* m_lblStack;
    QLabel* m_label1;
    QComboBox* m_lstChartPeriod;
    LogChart* m_chart;
    QPushButton* m_cmdOK;
};
