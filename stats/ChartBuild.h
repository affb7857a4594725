#pragma once

#include "ChartGrid.h"

#include <QString>

class Clock;
class DbConnection;
class DbRecordset;

// The entries of `LstChartPeriod`, by position.
enum class ChartPeriod { Day = 0, Week = 1, Month = 2, Year = 3 };

// The choices of the statistics window's lists and Stack box.
struct ChartChoice
{
    bool threeD = true;
    ChartGrid::Look look = ChartGrid::Look::Area;
    bool stackChecked = false;
    ChartPeriod period = ChartPeriod::Day;
};

// Fills a fresh grid for the choice from the aggregate views. A period without any record leaves the grid
// hidden. Returns false, with the grid hidden and the reason in error, when the database cannot be read.
bool buildChartGrid(const ChartChoice& choice, DbConnection& db, DbRecordset& rs, const Clock& clock, ChartGrid& grid,
                    QString* error);
