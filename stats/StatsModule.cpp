#include "StatsModule.h"

#include "FrmStats.h"

extern "C" Q_DECL_EXPORT QWidget* zovodazadCreateStatsWindow(DbConnection& db, const Clock& clock, MessageBoxes& boxes)
{
    return new FrmStats(db, clock, boxes);
}
