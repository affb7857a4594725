#include "ChartBuild.h"
#include "Clock.h"
#include "DatabaseFile.h"
#include "Db.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <memory>

namespace {

constexpr qint64 LogRows = 1000000;
const QDateTime FirstRow(QDate(2013, 1, 1), QTime(0, 0));
// Ten years of rows, one every 315 seconds, with varied sizes.
const QDateTime LastRow = FirstRow.addSecs((LogRows - 1) * 315);

// A traffic database with a million log rows, made once for all the benchmarks.
struct BigLog
{
    BigLog()
    {
        QString error;
        ok = dir.isValid() && DatabaseFile::openOrCreate(db, dir.filePath(QStringLiteral("Zovodazad.mdb")), &error);
        ok = ok && db.transaction([this] {
            QSqlQuery q(db.database());
            q.prepare(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < ?)"
                                     " INSERT INTO log SELECT datetime(unixepoch(?) + i * 315, 'unixepoch'),"
                                     " datetime(unixepoch(?) + i * 315 + 300, 'unixepoch'), (i * 7919) % 5000000,"
                                     " (i * 104729) % 90000000, (i % 997) / 10.0 FROM n"));
            q.addBindValue(LogRows - 1);
            q.addBindValue(dbDateTime(FirstRow));
            q.addBindValue(dbDateTime(FirstRow));
            return q.exec();
        });
        if (!ok)
            qWarning("cannot fill the benchmark database: %s", qPrintable(error.isEmpty() ? db.lastError() : error));
    }

    QTemporaryDir dir;
    DbConnection db {QStringLiteral("bench")};
    bool ok = false;
};

std::unique_ptr<BigLog> theLog;

// The log closes with the application object, while the SQL driver plugin is still loaded.
void closeLog()
{
    theLog.reset();
}

BigLog& bigLog()
{
    if (!theLog) {
        theLog = std::make_unique<BigLog>();
        qAddPostRoutine(closeLog);
    }
    return *theLog;
}

void BM_BuildChart(benchmark::State& state)
{
    BigLog& log = bigLog();
    if (!log.ok) {
        state.SkipWithError("no database");
        return;
    }
    const FakeClock clock(LastRow);
    ChartChoice choice;
    choice.period = static_cast<ChartPeriod>(state.range(0));
    DbRecordset rs;
    ChartGrid grid;
    ChartPage page;
    for (auto _ : state) {
        if (!buildChartGrid(choice, StatsSource::wholeLog(), log.db, rs, clock, grid, page, nullptr)) {
            state.SkipWithError("build failed");
            return;
        }
        benchmark::DoNotOptimize(grid.rowCount());
    }
    state.SetLabel(QStringLiteral("%1 rows").arg(grid.rowCount()).toStdString());
}
BENCHMARK(BM_BuildChart)->ArgName("period")->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// The same twelve weeks summed from the log rows themselves: what the per-day sums save on every build.
void BM_WeeksSummedFromTheLog(benchmark::State& state)
{
    BigLog& log = bigLog();
    if (!log.ok) {
        state.SkipWithError("no database");
        return;
    }
    DbRecordset rs;
    for (auto _ : state) {
        rs.open(log.db,
                QStringLiteral("SELECT strftime('%Y%W', DateAndTimeStart) AS ddate, sum(bytesrcvd) / 1024.0,"
                               " sum(BytesSent) / 1024.0 FROM log GROUP BY 1 ORDER BY 1 DESC LIMIT 12"));
        benchmark::DoNotOptimize(rs.recordCount());
    }
}
BENCHMARK(BM_WeeksSummedFromTheLog)->Unit(benchmark::kMillisecond);

} // namespace
