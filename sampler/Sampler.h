#pragma once

#include "SamplerView.h"

#include <cstdint>
#include <string>
#include <vector>

class Clock;
class DbConnection;
class IfTableSource;
class LogWriter;
class SettingsRecord;
struct TrafficState;

// The fixed interval of `TmrCheckit` in milliseconds; rates are measured over it, not over the real time
// between ticks.
constexpr int TmrCheckitInterval = 500;

// The handler of the monitor window's timer: reads the interface table, shows volumes and rates, and ends traffic
// periods. The state it keeps between ticks lives in TrafficState, the adapter list, the view's graphs and the
// last sample of each adapter.
class Sampler
{
public:
    Sampler(IfTableSource& ifTable, DbConnection& db, TrafficState& state, SettingsRecord& settings, LogWriter& writer,
            const Clock& clock, SamplerView& view);

    void TmrCheckit_Timer();
    // A last sample as the program ends, so the final row holds the traffic up to that moment. The timer is
    // left as it is.
    void sampleBeforeExit();
    // Writes the volume texts, the caption, the rate line and the volume-left line from the current figures; used
    // when the readouts become visible after ticks that skipped them.
    void refreshTexts();

    // The last tick read the table, counted no traffic and ended no counting: another tick on the same table would
    // only add an empty bar to each graph.
    bool quiet() const { return m_sampled && m_addedRcvd == 0 && m_addedSent == 0 && !m_dropped; }
    // Ticks on a table that did not change since the last one, which the timer skipped: an empty bar each.
    void replayQuietTicks(quint64 ticks);
    // Reads the last of those skipped ticks' tables, for the counters of the adapters not counted, which may have
    // moved: an adapter selected next counts from there, a tick ago, as it would had every tick run.
    void rebaseUncounted();

    // The rates of the last tick in kB/s, 0 after a tick without traffic in that direction.
    double downloadRate() const { return m_lastRate; }
    double uploadRate() const { return m_lastUpRate; }

private:
    // One adapter at a sample. An adapter is the same from sample to sample while its interface index stays, or,
    // for a source that gives none, its name.
    struct Counted
    {
        std::string name;
        std::uint32_t index = 0;
        std::uint64_t in = 0;
        std::uint64_t out = 0;
        bool hardware = false;
        bool selected = false;
        bool same(const Counted& other) const { return index != 0 ? index == other.index : name == other.name; }
    };

    void SampleInterfaces();
    bool readTable();
    bool listMatches() const;
    bool RefreshAdapterList();
    void readSelection();
    void count();
    static const Counted* find(const std::vector<Counted>& in, const Counted& adapter, std::size_t hint);
    void showReadouts();
    void showVolumes();
    void showDownload(bool bits, bool shown);
    void showUpload(bool bits);
    void RescaleGraphs(double m, bool bits);
    void decideLogging(bool ticking);
    void writeRow(bool ticking);

    IfTableSource& m_ifTable;
    DbConnection& m_db;
    TrafficState& m_state;
    SettingsRecord& m_settings;
    LogWriter& m_writer;
    const Clock& m_clock;
    SamplerView& m_view;
    // Grows to the largest table seen and is reused, so a steady set of interfaces allocates nothing per tick.
    std::vector<std::uint8_t> m_table;
    // The adapters at this sample and at the one before, reused in the same way.
    std::vector<Counted> m_now;
    std::vector<Counted> m_before;
    // The names the adapter list was built from, entry by entry.
    std::vector<std::string> m_listNames;
    // This tick's sample ended the counting of an adapter: one that was counted went away, was recreated or was
    // deselected. The period then ends at the totals of the tick before.
    bool m_dropped = false;
    bool m_sampled = false;
    std::uint64_t m_addedRcvd = 0;
    std::uint64_t m_addedSent = 0;
    // The download rate of the last tick, 0 after a tick on the zero path; the rate line is rebuilt from it.
    double m_lastRate = 0;
    double m_lastUpRate = 0;
};
