#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// What the statistics chart shows, independent of any drawing: R rows (periods, oldest first) by C columns
// (series), a label per row and per column, a value per cell, the chart type code and stacking.
class ChartGrid
{
public:
    // The chart type codes, as the look lists select them.
    enum Type { Bars3D = 0, Bars2D = 1, Line3D = 2, Line2D = 3, Area3D = 4, Area2D = 5 };
    // The entries of `LstChrtLine`, by position.
    enum class Look { Area = 0, Line = 1, Bars = 2 };

    static int typeCode(bool threeD, Look look);
    static bool isThreeD(int type) { return type % 2 == 0; }
    static Look lookOf(int type) { return type <= Bars2D ? Look::Bars : type <= Line2D ? Look::Line : Look::Area; }

    // Setting a count keeps the cells that still fit; new cells are 0 with empty labels.
    void setRowCount(int rows);
    int rowCount() const { return int(m_rowLabels.size()); }
    void setColumnCount(int columns);
    int columnCount() const { return int(m_columnLabels.size()); }

    void setRowLabel(int row, const QString& label) { m_rowLabels[row] = label; }
    const QStringList& rowLabels() const { return m_rowLabels; }
    void setColumnLabel(int column, const QString& label) { m_columnLabels[column] = label; }
    QString columnLabel(int column) const { return m_columnLabels.at(column); }

    void setValue(int row, int column, double value) { m_values[row * columnCount() + column] = value; }
    double value(int row, int column) const { return m_values.at(row * columnCount() + column); }

    int type = Area3D;
    bool stacked = false;
    bool visible = true;
    // The unit of the values, for the value axis.
    QString unit;
    // A row whose period is still running, and the total it is expected to reach; no row when negative.
    int estimateRow = -1;
    double estimate = 0;

private:
    QStringList m_rowLabels;
    QStringList m_columnLabels;
    QVector<double> m_values;
};
