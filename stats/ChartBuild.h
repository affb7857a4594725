#pragma once

#include "ChartGrid.h"

#include <QDate>
#include <QString>
#include <QVariantList>
#include <QVector>

#include <array>

class Clock;
class DbConnection;
class DbRecordset;

// The entries of `LstChartPeriod`, by position.
enum class ChartPeriod { Day = 0, Week = 1, Month = 2, Year = 3 };

// Where the figures come from: per period, in the order of ChartPeriod, a relation with one record per period and
// the columns ddate, kbup and kbdown, and a relation of the days these sum with the column day (an ISO date, empty
// for rows without one), indexed by it. Its values are bound to a relation's placeholders, ahead of the query's own,
// so a source narrowed to one adapter binds its name.
struct StatsSource
{
    std::array<QString, 4> relations;
    QString days;
    QVariantList values;

    // The traffic of the counted adapters: the log's aggregate views.
    static StatsSource wholeLog();
    // The traffic of one adapter: its records' aggregate views.
    static StatsSource adapter(const QString& name);
};

// The choices of the statistics window's lists and Stack box, and how far back the view was paged.
struct ChartChoice
{
    bool threeD = true;
    ChartGrid::Look look = ChartGrid::Look::Area;
    bool stackChecked = false;
    ChartPeriod period = ChartPeriod::Day;
    // Spans of the view before the one it opens on.
    int back = 0;
};

// One period of a view, in the view's unit.
struct PeriodFigures
{
    QDate first; // the period's first day
    QString label; // as the chart's category axis shows it
    double received = 0;
    double sent = 0;
    double total() const { return received + sent; }
};

// A view: the days it covers and its periods, oldest first, as the chart's rows.
struct ChartPage
{
    ChartPeriod period = ChartPeriod::Day;
    QDate first;
    QDate last;
    QVector<PeriodFigures> periods;
    // Traffic was logged before the first day: there is an earlier page to show.
    bool earlier = false;
    // The running month in the month view: its row, and the total it reaches at the month's end at the pace so far.
    int estimateRow = -1;
    double estimate = 0;
};

// Reads the view the choice asks for from the source, and fills a fresh grid for it under the choice's look and
// stacking; a view without any record leaves the grid hidden. The day view covers the 15 days up to today and pages
// by 15 days; the week, month and year views show the 12 newest periods logged and page by 12 periods, back from
// the oldest of those. Returns false, with the grid hidden and the reason in error, when the database cannot be read.
bool buildChartGrid(const ChartChoice& choice, const StatsSource& source, DbConnection& db, DbRecordset& rs,
                    const Clock& clock, ChartGrid& grid, ChartPage& page, QString* error);

// A period named in words ("Sat 28 Nov 2026", "Week 48, 2026", "November 2026", "2026") and a page's days
// ("24 Nov 2026 – 7 Dec 2026"), in the user's language.
QString periodName(ChartPeriod period, const QDate& first);
QString rangeText(const ChartPage& page);
