#pragma once

#include "ChartGrid.h"

#include <QWidget>

class QAbstractAxis;
class QChart;
class QChartView;
class QLabel;
class QStackedLayout;
class Q3DSurface;

// The chart component: draws a ChartGrid, the 2-D types with Qt Charts and the 3-D types with Qt Data
// Visualization. It only draws; the statistics window fills the grid.
class LogChart : public QWidget
{
    Q_OBJECT
public:
    explicit LogChart(QWidget* parent = nullptr);

    // tips: what hovering a row's period shows in 2-D, and selecting its item in 3-D, one per row.
    void draw(const ChartGrid& grid, const QStringList& tips = {});
    // The legend takes a column of this width at the right, lined up with the OK button below the chart.
    void setLegendWidth(int pixels);
    const ChartGrid& grid() const { return m_grid; }

    // The 2-D chart last drawn (also used for the 3-D types where OpenGL is missing).
    QChart* chart() const;
    // The 2-D chart's view, whose viewport takes the mouse.
    QWidget* viewport() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void draw2D(const QString& note);
    void draw3D();
    void styleAxis(QAbstractAxis* axis) const;
    void apply3DTheme();
    bool ensure3D();

    void showSelected3D(int row);

    ChartGrid m_grid;
    QStringList m_tips;
    bool m_drawn = false;
    QStackedLayout* m_pages = nullptr;
    QChartView* m_view2D = nullptr;
    QWidget* m_page3D = nullptr;
    QWidget* m_legend3D = nullptr;
    QLabel* m_selected3D = nullptr;
    int m_legendWidth = 0;
    Q3DSurface* m_surface = nullptr;
    bool m_noOpenGL = false;
};
