#include "AllowanceWatch.h"
#include "Clock.h"
#include "DatabaseFile.h"
#include "Db.h"
#include "Notifier.h"

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

Settings twoMonths()
{
    Settings s;
    s.MaxMbSize = 5000;
    s.LogPeriod = 2;
    s.LogPeriodType = 2;
    return s;
}

// Each tick under traffic: only the traffic since the last row changed, and the remainder is worked out again.
void BM_AllowanceTraffic(benchmark::State& state)
{
    Log& log = logOf(state.range(0));
    const FakeClock clock(Now);
    FakeNotifier notifier;
    AllowanceWatch watch(log.db, clock, notifier);
    watch.reload(twoMonths(), 0);
    quint64 unlogged = 0;
    for (auto _ : state) {
        watch.setUnlogged(unlogged += 1000);
        benchmark::DoNotOptimize(watch.remainder().leftMB);
    }
}
BENCHMARK(BM_AllowanceTraffic)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// After a row was written, and at start-up: the sum over the month in progress and the one before.
void BM_AllowanceReload(benchmark::State& state)
{
    Log& log = logOf(state.range(0));
    const FakeClock clock(Now);
    FakeNotifier notifier;
    AllowanceWatch watch(log.db, clock, notifier);
    for (auto _ : state) {
        watch.reload(twoMonths(), 0);
        benchmark::DoNotOptimize(watch.remainder().leftMB);
    }
}
BENCHMARK(BM_AllowanceReload)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

} // namespace
