#include "ChartBuild.h"

#include "Clock.h"
#include "Db.h"

#include <QCoreApplication>
#include <QDate>
#include <algorithm>

namespace {

constexpr int DayWindow = 14;
constexpr double KbPerMb = 1024.0;
constexpr double KbPerGb = 1048576.0;

QDate dayOf(const QVariant& ddate)
{
    return QDate::fromString(ddate.toString(), Qt::ISODate);
}

// The current record's sums in the grid's row; the total only when the grid has a column for it.
void setCells(ChartGrid& grid, int row, const DbRecordset& rs, double divisor)
{
    const double up = rs.field(QStringLiteral("kbup")).toDouble();
    const double down = rs.field(QStringLiteral("kbdown")).toDouble();
    grid.setValue(row, 0, up / divisor);
    grid.setValue(row, 1, down / divisor);
    if (grid.columnCount() > 2)
        grid.setValue(row, 2, (up + down) / divisor);
}

bool fillDays(DbConnection& db, DbRecordset& rs, const Clock& clock, ChartGrid& grid)
{
    const QDate today = clock.now().date();
    if (!rs.open(db, QStringLiteral("SELECT * FROM DownloadPerday WHERE ddate >= ? ORDER BY ddate DESC"),
                 {today.addDays(-DayWindow).toString(Qt::ISODate)}))
        return false;
    if (rs.atEnd()) {
        grid.visible = false;
        return true;
    }
    const QDate newest = dayOf(rs.field(QStringLiteral("ddate")));
    rs.moveLast();
    const QDate oldest = dayOf(rs.field(QStringLiteral("ddate")));
    // A record dated after today (logged while the clock was set wrong) would stretch the chart over every day
    // up to it, so the days end today at the latest.
    const int rows = std::max(1, static_cast<int>(oldest.daysTo(std::min(newest, today))) + 1);
    grid.setRowCount(rows);
    QDate d = oldest;
    for (int r = 0; r < rows; ++r) {
        grid.setRowLabel(r, d.toString(QStringLiteral("dd/MM")));
        if (!rs.atEnd() && dayOf(rs.field(QStringLiteral("ddate"))) == d) {
            setCells(grid, r, rs, KbPerMb);
            rs.movePrevious();
        }
        d = d.addDays(1);
    }
    return true;
}

QString periodLabel(ChartPeriod period, const QString& ddate)
{
    switch (period) {
    case ChartPeriod::Week:
        return QStringLiteral("Wk ") + ddate.right(2);
    case ChartPeriod::Month:
        return ddate.right(2) + QLatin1Char('/') + ddate.left(4);
    case ChartPeriod::Day:
    case ChartPeriod::Year:
        break;
    }
    return ddate;
}

bool fillPeriods(ChartPeriod period, DbConnection& db, DbRecordset& rs, ChartGrid& grid)
{
    const QString view = period == ChartPeriod::Week ? QStringLiteral("DownloadPerWeek")
        : period == ChartPeriod::Month               ? QStringLiteral("DownloadPerMonth")
                                                     : QStringLiteral("DownloadPerYear");
    if (!rs.open(db, QStringLiteral("SELECT * FROM %1 ORDER BY ddate DESC LIMIT 12").arg(view)))
        return false;
    if (rs.atEnd()) {
        grid.visible = false;
        return true;
    }
    rs.moveLast();
    const int rows = std::max(1, rs.recordCount());
    grid.setRowCount(rows);
    for (int r = 0; r < rows; ++r) {
        grid.setRowLabel(r, periodLabel(period, rs.field(QStringLiteral("ddate")).toString()));
        setCells(grid, r, rs, KbPerGb);
        rs.movePrevious();
    }
    return true;
}

} // namespace

bool buildChartGrid(const ChartChoice& choice, DbConnection& db, DbRecordset& rs, const Clock& clock, ChartGrid& grid,
                    QString* error)
{
    rs.close();
    grid = ChartGrid();
    // Stacking upload on download makes the stack's height the total, so a stacked chart has no total column;
    // a line chart cannot stack.
    grid.stacked = choice.stackChecked && choice.look != ChartGrid::Look::Line;
    grid.type = ChartGrid::typeCode(choice.threeD, choice.look);
    grid.setColumnCount(grid.stacked ? 2 : 3);
    grid.setColumnLabel(0, QCoreApplication::translate("FrmStats", "Upload"));
    grid.setColumnLabel(1, QCoreApplication::translate("FrmStats", "Download"));
    if (!grid.stacked)
        grid.setColumnLabel(2, QCoreApplication::translate("FrmStats", "Total"));
    grid.unit = choice.period == ChartPeriod::Day ? QStringLiteral("MB") : QStringLiteral("GB");

    const bool ok
        = choice.period == ChartPeriod::Day ? fillDays(db, rs, clock, grid) : fillPeriods(choice.period, db, rs, grid);
    if (!ok) {
        grid.visible = false;
        if (error)
            *error = rs.lastError();
    }
    rs.close();
    return ok;
}
