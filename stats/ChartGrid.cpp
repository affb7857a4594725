#include "ChartGrid.h"

int ChartGrid::typeCode(bool threeD, Look look)
{
    switch (look) {
    case Look::Area:
        return threeD ? Area3D : Area2D;
    case Look::Line:
        return threeD ? Line3D : Line2D;
    case Look::Bars:
        break;
    }
    return threeD ? Bars3D : Bars2D;
}

void ChartGrid::setRowCount(int rows)
{
    rows = qMax(0, rows);
    m_rowLabels.resize(rows);
    m_values.resize(rows * columnCount());
}

void ChartGrid::setColumnCount(int columns)
{
    columns = qMax(0, columns);
    const int old = columnCount();
    QVector<double> values(rowCount() * columns, 0.0);
    for (int r = 0; r < rowCount(); ++r) {
        for (int c = 0; c < qMin(old, columns); ++c)
            values[r * columns + c] = m_values.at(r * old + c);
    }
    m_values = values;
    m_columnLabels.resize(columns);
}
