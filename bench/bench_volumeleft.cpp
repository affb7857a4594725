#include "Clock.h"
#include "DatabaseFile.h"
#include "Db.h"
#include "TrafficState.h"
#include "VolumeLeft.h"

#include <QCoreApplication>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <map>
#include <memory>

namespace {

const QDateTime Now(QDate(2012, 6, 15), QTime(12, 0));

// A traffic log of the given number of rows spread evenly over the ten years before Now.
struct Log
{
    QTemporaryDir dir;
    DbConnection db;

    explicit Log(qint64 rows)
        : db(QStringLiteral("bench%1").arg(rows))
    {
        QString error;
        if (!DatabaseFile::openOrCreate(db, dir.filePath(QStringLiteral("Zovodazad.mdb")), &error))
            qFatal("cannot create the database: %s", qPrintable(error));
        const QDateTime first = Now.addYears(-10);
        const qint64 step = first.secsTo(Now) / rows;
        QVariantList starts, ends, sent, rcvd, avg;
        for (qint64 i = 0; i < rows; ++i) {
            const QDateTime start = first.addSecs(i * step);
            starts.append(dbDateTime(start));
            ends.append(dbDateTime(start.addSecs(step - 1)));
            sent.append(double(1000 + i % 5000));
            rcvd.append(double(20000 + i % 70000));
            avg.append(12.5);
        }
        const bool ok = db.transaction([&] {
            QSqlQuery q(db.database());
            q.prepare(QStringLiteral("INSERT INTO log VALUES (?, ?, ?, ?, ?)"));
            for (const QVariantList* column : {&starts, &ends, &sent, &rcvd, &avg})
                q.addBindValue(*column);
            return q.execBatch();
        });
        if (!ok)
            qFatal("cannot fill the log: %s", qPrintable(db.lastError()));
    }
};

std::map<qint64, std::unique_ptr<Log>> logs;

// The logs close with the application object, while the SQL driver plugin is still loaded.
void closeLogs()
{
    logs.clear();
}

Log& logOf(qint64 rows)
{
    if (logs.empty())
        qAddPostRoutine(closeLogs);
    std::unique_ptr<Log>& log = logs[rows];
    if (!log)
        log = std::make_unique<Log>(rows);
    return *log;
}

// The sampler's call: while the log does not change, every tick after the first.
void BM_VolumeLeftSteady(benchmark::State& state)
{
    Log& log = logOf(state.range(0));
    const FakeClock clock(Now);
    TrafficState traffic;
    VolumeLeft volumeLeft(log.db, traffic, clock);
    for (auto _ : state)
        benchmark::DoNotOptimize(volumeLeft.VolumeLeftText(5000, 2, QStringLiteral("2"), 1));
}
BENCHMARK(BM_VolumeLeftSteady)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// The first call, and every call after a row was written: the sum over the month in progress and the one before.
void BM_VolumeLeftFirstCall(benchmark::State& state)
{
    Log& log = logOf(state.range(0));
    const FakeClock clock(Now);
    TrafficState traffic;
    for (auto _ : state) {
        VolumeLeft volumeLeft(log.db, traffic, clock);
        benchmark::DoNotOptimize(volumeLeft.VolumeLeftText(5000, 2, QStringLiteral("2"), 1));
    }
}
BENCHMARK(BM_VolumeLeftFirstCall)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

} // namespace
