#include "Clock.h"
#include "DatabaseFile.h"
#include "Db.h"
#include "FakeIfTable.h"
#include "LogWriter.h"
#include "PeriodJournal.h"
#include "Readouts.h"
#include "Sampler.h"
#include "Settings.h"
#include "TrafficState.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// The sampler with everything it needs; the first tick, which builds the adapter list, has run. A tick is a reading
// of the table and the sampler's work on it, as the sampling thread and the engine share it.
struct Rig
{
    explicit Rig(IfTable& table)
        : source(table)
    {
        QString error;
        ok = dir.isValid() && DatabaseFile::openOrCreate(db, dir.filePath(QStringLiteral("Zovodazad.mdb")), &error);
        if (ok)
            tick();
    }
    void tick()
    {
        const bool read = source.read(entries);
        sampler.TmrCheckit_Timer(read ? &entries : nullptr);
    }
    // What the monitor window builds from the figures while it is shown.
    void texts()
    {
        const TickFigures& f = sampler.figures();
        benchmark::DoNotOptimize(VolumeText(double(traffic.TotalBytesRcvd - traffic.LoggedBytesRcvd)).size());
        benchmark::DoNotOptimize(VolumeText(double(traffic.TotalBytesSent - traffic.LoggedBytesSent)).size());
        benchmark::DoNotOptimize(VolumeText(double(traffic.TotalBytesRcvd + traffic.TotalBytesSent)).size());
        benchmark::DoNotOptimize(RateLine(f.downRate, traffic.PeriodAvgDownSpeed, traffic.MaxDownSpeed, f.bits).size());
    }

    IfTable& source;
    std::vector<IfEntry> entries;
    QTemporaryDir dir;
    DbConnection db {QStringLiteral("bench")};
    TrafficState traffic;
    SettingsStore settings {db};
    FakeClock clock;
    LogWriter writer {db, traffic, clock};
    Sampler sampler {traffic, settings, writer, clock};
    bool ok = false;
};

// n interfaces whose counters move by a few kB per tick: every tick has a rate, and in the ticks a benchmark
// runs no counter reaches 2^32, so no row is written.
std::vector<IfEntry> fakeRows(int n)
{
    std::vector<IfEntry> rows;
    for (int i = 0; i < n; ++i)
        rows.push_back({std::uint32_t(i + 1), "eth" + std::to_string(i), true, OperState::Up,
                        std::uint64_t(i) * 1000 + 1, std::uint64_t(i) * 100 + 1});
    return rows;
}

void moveCounters(FakeIfTable& table)
{
    for (IfEntry& e : table.rows) {
        e.inOctets += 1000;
        e.outOctets += 200;
    }
}

// One whole tick with the window hidden; the counter updates of the fake are inside the timed loop.
void BM_TickFake(benchmark::State& state)
{
    FakeIfTable table;
    table.rows = fakeRows(int(state.range(0)));
    Rig rig(table);
    if (!rig.ok) {
        state.SkipWithError("no database");
        return;
    }
    for (auto _ : state) {
        moveCounters(table);
        rig.tick();
    }
    state.counters["interfaces"] = double(state.range(0));
}
BENCHMARK(BM_TickFake)->Arg(2)->Arg(4)->Arg(16)->Arg(64);

void BM_TickSystem(benchmark::State& state)
{
    const auto source = makeSystemIfTable();
    Rig rig(*source);
    if (!rig.ok) {
        state.SkipWithError("no database");
        return;
    }
    for (auto _ : state)
        rig.tick();
    state.counters["interfaces"] = double(rig.settings.adapters().count());
}
BENCHMARK(BM_TickSystem);

// The same tick while the monitor window is shown: the texts of the readouts are built too.
void BM_TickSystemShown(benchmark::State& state)
{
    const auto source = makeSystemIfTable();
    Rig rig(*source);
    if (!rig.ok) {
        state.SkipWithError("no database");
        return;
    }
    for (auto _ : state) {
        rig.tick();
        rig.texts();
    }
}
BENCHMARK(BM_TickSystemShown);

// What this process has handed to write() and the block layer so far, and its write calls, from /proc/self/io.
struct WriteCounts
{
    double chars = 0;
    double calls = 0;
    double blocks = 0;
};
WriteCounts writeCounts()
{
    WriteCounts w;
    if (FILE* f = std::fopen("/proc/self/io", "r")) {
        char key[32];
        double value = 0;
        while (std::fscanf(f, "%31[^:]: %lf\n", key, &value) == 2) {
            const std::string k = key;
            if (k == "wchar")
                w.chars = value;
            else if (k == "syscw")
                w.calls = value;
            else if (k == "write_bytes")
                w.blocks = value;
        }
        std::fclose(f);
    }
    return w;
}

// An hour of steady traffic on three adapters, the window hidden: 7,200 ticks, the open period saved once a minute,
// and the hour's row at its end. What reaches the disk per hour.
void BM_DiskHour(benchmark::State& state)
{
    FakeIfTable table;
    table.rows = fakeRows(3);
    Rig rig(table);
    if (!rig.ok) {
        state.SkipWithError("no database");
        return;
    }
    PeriodJournal journal(rig.db);
    WriteCounts spent;
    for (auto _ : state) {
        const WriteCounts before = writeCounts();
        for (int tick = 0; tick < 2 * 3600; ++tick) {
            moveCounters(table);
            rig.tick();
            journal.tick(rig.traffic, rig.clock);
            rig.clock.advanceMs(TmrCheckitInterval);
        }
        rig.writer.WriteLogRow();
        const WriteCounts after = writeCounts();
        spent.chars += after.chars - before.chars;
        spent.calls += after.calls - before.calls;
        spent.blocks += after.blocks - before.blocks;
    }
    const double hours = double(state.iterations());
    state.counters["written_per_hour"] = spent.chars / hours;
    state.counters["write_calls_per_hour"] = spent.calls / hours;
    state.counters["block_bytes_per_hour"] = spent.blocks / hours;
}
BENCHMARK(BM_DiskHour)->Iterations(3)->Unit(benchmark::kMillisecond);

double residentKiB()
{
    long pages = 0;
    long resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / 1024.0;
}

double maxResidentKiB()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss);
}

// A million ticks (nearly six days of running) must leave the memory where it was.
void BM_TickMemory(benchmark::State& state)
{
    FakeIfTable table;
    table.rows = fakeRows(4);
    Rig rig(table);
    if (!rig.ok) {
        state.SkipWithError("no database");
        return;
    }
    for (int i = 0; i < 1000; ++i) {
        moveCounters(table);
        rig.tick();
    }
    const double rssBefore = residentKiB();
    const double maxBefore = maxResidentKiB();
    for (auto _ : state) {
        moveCounters(table);
        rig.tick();
    }
    state.counters["rss_before_KiB"] = rssBefore;
    state.counters["rss_after_KiB"] = residentKiB();
    state.counters["maxrss_before_KiB"] = maxBefore;
    state.counters["maxrss_after_KiB"] = maxResidentKiB();
}
BENCHMARK(BM_TickMemory)->Iterations(1000000);

} // namespace
