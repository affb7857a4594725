#pragma once

#include "ChartGrid.h"

#include <QWidget>

class QAbstractAxis;
class QChart;
class QChartView;
class QStackedLayout;
class Q3DSurface;

// The chart component: draws a ChartGrid, the 2-D types with Qt Charts and the 3-D types with Qt Data
// Visualization. It only draws; the statistics window fills the grid.
class LogChart : public QWidget
{
    Q_OBJECT
public:
    explicit LogChart(QWidget* parent = nullptr);

    void draw(const ChartGrid& grid);
    // The legend takes a column of this width at the right, which the window keeps clear of the plot for its
    // OK button.
    void setLegendWidth(int pixels);
    const ChartGrid& grid() const { return m_grid; }

    // The 2-D chart last drawn (also used for the 3-D types where OpenGL is missing).
    QChart* chart() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    void draw2D(const QString& note);
    void draw3D();
    void styleAxis(QAbstractAxis* axis) const;
    void apply3DTheme();
    bool ensure3D();

    ChartGrid m_grid;
    bool m_drawn = false;
    QStackedLayout* m_pages = nullptr;
    QChartView* m_view2D = nullptr;
    QWidget* m_page3D = nullptr;
    QWidget* m_legend3D = nullptr;
    int m_legendWidth = 0;
    Q3DSurface* m_surface = nullptr;
    bool m_noOpenGL = false;
};
