#include "Clock.h"
#include "DatabaseFile.h"
#include "Db.h"
#include "FakeIfTable.h"
#include "LogWriter.h"
#include "MessageBox.h"
#include "Sampler.h"
#include "Settings.h"
#include "TrafficState.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// A monitor window that keeps only the graph scale, so what is measured is the tick's own work.
class NullView : public SamplerView
{
public:
    void setDownloadText(const QString& text) override { benchmark::DoNotOptimize(text.size()); }
    void setUploadText(const QString& text) override { benchmark::DoNotOptimize(text.size()); }
    void setCaption(const QString& text) override { benchmark::DoNotOptimize(text.size()); }
    void setRateLine(const QString& text) override { benchmark::DoNotOptimize(text.size()); }
    void graphUpdate(Graph, qint32 sample) override { benchmark::DoNotOptimize(sample); }
    qint32 graphMax(Graph g) const override { return m_max[int(g)]; }
    void setGraphMax(Graph g, qint32 max) override { m_max[int(g)] = max; }
    void setGraphToolTip(Graph, const QString&) override { }
    void refreshVolumeLeft() override { }
    void setTimerEnabled(bool) override { }
    bool readoutsShown() const override { return shown; }

    // The program runs hidden nearly all the time; that is the tick measured unless a benchmark says otherwise.
    bool shown = false;

private:
    qint32 m_max[2] = {5, 5};
};

// The sampler with everything it needs; the first tick, which builds the adapter list from the database, has run.
struct Rig
{
    explicit Rig(IfTableSource& source)
        : sampler(source, db, traffic, settings, writer, clock, view)
    {
        QString error;
        ok = dir.isValid() && DatabaseFile::openOrCreate(db, dir.filePath(QStringLiteral("Zovodazad.mdb")), &error);
        if (ok)
            sampler.TmrCheckit_Timer();
    }

    QTemporaryDir dir;
    DbConnection db {QStringLiteral("bench")};
    TrafficState traffic;
    SettingsRecord settings;
    FakeClock clock;
    FakeMessageBoxes boxes;
    LogWriter writer {db, traffic, clock, boxes};
    NullView view;
    Sampler sampler;
    bool ok = false;
};

// n interfaces whose counters move by a few kB per tick: every tick has a rate, and in the ticks a benchmark
// runs no counter reaches 2^32, so no row is written.
std::vector<IfEntry> fakeRows(int n)
{
    std::vector<IfEntry> rows;
    for (int i = 0; i < n; ++i)
        rows.push_back({"eth" + std::to_string(i), std::uint64_t(i) * 1000 + 1, std::uint64_t(i) * 100 + 1});
    return rows;
}

void moveCounters(FakeIfTable& table)
{
    for (IfEntry& e : table.rows) {
        e.inOctets += 1000;
        e.outOctets += 200;
    }
}

// One whole tick with "whatsleft" off and the window hidden; the counter updates of the fake are inside the timed loop.
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
        rig.sampler.TmrCheckit_Timer();
    }
    state.counters["interfaces"] = double(state.range(0));
}
BENCHMARK(BM_TickFake)->Arg(2)->Arg(4)->Arg(16)->Arg(64);

void BM_TickSystem(benchmark::State& state)
{
    const auto source = makeSystemIfTableSource();
    Rig rig(*source);
    if (!rig.ok) {
        state.SkipWithError("no database");
        return;
    }
    for (auto _ : state)
        rig.sampler.TmrCheckit_Timer();
    state.counters["interfaces"] = double(rig.settings.adapters.count());
}
BENCHMARK(BM_TickSystem);

// The same tick while the monitor window is shown: the texts of the readouts are built too.
void BM_TickSystemShown(benchmark::State& state)
{
    const auto source = makeSystemIfTableSource();
    Rig rig(*source);
    if (!rig.ok) {
        state.SkipWithError("no database");
        return;
    }
    rig.view.shown = true;
    for (auto _ : state)
        rig.sampler.TmrCheckit_Timer();
}
BENCHMARK(BM_TickSystemShown);

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
        rig.sampler.TmrCheckit_Timer();
    }
    const double rssBefore = residentKiB();
    const double maxBefore = maxResidentKiB();
    for (auto _ : state) {
        moveCounters(table);
        rig.sampler.TmrCheckit_Timer();
    }
    state.counters["rss_before_KiB"] = rssBefore;
    state.counters["rss_after_KiB"] = residentKiB();
    state.counters["maxrss_before_KiB"] = maxBefore;
    state.counters["maxrss_after_KiB"] = maxResidentKiB();
}
BENCHMARK(BM_TickMemory)->Iterations(1000000);

} // namespace
