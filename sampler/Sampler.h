#pragma once

#include "SamplerView.h"

#include <cstdint>
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
// periods. All state it keeps between ticks lives in TrafficState, the adapter list and the view's graphs.
class Sampler
{
public:
    Sampler(IfTableSource& ifTable, DbConnection& db, TrafficState& state, SettingsRecord& settings, LogWriter& writer,
            const Clock& clock, SamplerView& view);

    void TmrCheckit_Timer();
    // Writes the volume texts, the caption, the rate line and the volume-left line from the current figures; used
    // when the readouts become visible after ticks that skipped them.
    void refreshTexts();

    // The rates of the last tick in kB/s, 0 after a tick without traffic in that direction.
    double downloadRate() const { return m_lastRate; }
    double uploadRate() const { return m_lastUpRate; }

private:
    void SampleInterfaces();
    bool RefreshAdapterList(std::uint32_t n, std::uint32_t bytes);
    void readSelection(std::uint32_t n);
    void showReadouts();
    void showVolumes();
    void showDownload(bool bits, bool shown);
    void showUpload(bool bits);
    void RescaleGraphs(double m, bool bits);
    void decideLogging();
    bool writeRow();

    IfTableSource& m_ifTable;
    DbConnection& m_db;
    TrafficState& m_state;
    SettingsRecord& m_settings;
    LogWriter& m_writer;
    const Clock& m_clock;
    SamplerView& m_view;
    // Grows to the largest table seen and is reused, so a steady set of interfaces allocates nothing per tick.
    std::vector<std::uint8_t> m_table;
    // The selected state of each row at this tick, reused in the same way.
    std::vector<bool> m_selected;
    // The download rate of the last tick, 0 after a tick on the zero path; the rate line is rebuilt from it.
    double m_lastRate = 0;
    double m_lastUpRate = 0;
};
