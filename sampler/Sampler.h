#pragma once

#include "IfTable.h"

#include <QtGlobal>

#include <cstdint>
#include <string>
#include <vector>

class Clock;
class LogWriter;
class SettingsStore;
struct TrafficState;

// The fixed interval of `TmrCheckit` in milliseconds; rates are measured over it, not over the real time
// between ticks.
constexpr int TmrCheckitInterval = 500;

// A counted adapter that carried traffic in the current period: its share of the period and its rates this tick.
struct AdapterActivity
{
    std::string name;
    quint64 rcvdInPeriod = 0;
    quint64 sentInPeriod = 0;
    double downRate = 0; // kB/s
    double upRate = 0;
    friend bool operator==(const AdapterActivity& a, const AdapterActivity& b)
    {
        return a.name == b.name && a.rcvdInPeriod == b.rcvdInPeriod && a.sentInPeriod == b.sentInPeriod
            && a.downRate == b.downRate && a.upRate == b.upRate;
    }
};

// What a tick leaves for the views besides the byte counters: figures, never texts, which a view builds only when
// someone can see them.
struct TickFigures
{
    // Octets received and sent since the last log row, as the readouts show them: before the tick's logging
    // decision, so the very first tick shows the adapters' whole counters.
    quint64 rcvdSinceRow = 0;
    quint64 sentSinceRow = 0;
    // The rates of this tick in kB/s; 0 after a tick on the zero path (no previous sample, no traffic).
    double downRate = 0;
    double upRate = 0;
    // This tick's bar of each graph, in whole kB/s, and the scale both graphs share, which only grows.
    qint32 downBar = 0;
    qint32 upBar = 0;
    qint32 graphMax = 5;
    // `kilobit` as this tick saw it.
    bool bits = false;
    // How many of the adapters in the table are counted; -1 before the table was first read.
    int counted = -1;
    // The counted adapters with traffic in the period, in the order they first carried some.
    std::vector<AdapterActivity> adapters;
};

// The handler of the timer `TmrCheckit`: samples the selected adapters of a reading of the interface table, works
// out rates, averages and maxima, and ends traffic periods. It keeps the last sample of each adapter between ticks;
// the counters and the period live in TrafficState.
class Sampler
{
public:
    // A new adapter with more than this on its counters came with a history from elsewhere: more than a 1 Gbit/s
    // link carries in the half second between two readings.
    static constexpr std::uint64_t NewAdapterAtMost = 64ull << 20;
    // How many adapters that went away are remembered.
    static constexpr std::size_t GoneAtMost = 256;

    Sampler(TrafficState& state, SettingsStore& settings, LogWriter& writer, const Clock& clock);

    // One tick on a reading of the table; table is null when it could not be read.
    void TmrCheckit_Timer(const std::vector<IfEntry>* table);
    // A last sample as the program ends, so the final row holds the traffic up to that moment.
    void sampleBeforeExit(const std::vector<IfEntry>* table);

    const TickFigures& figures() const { return m_figures; }
    // The last tick wrote a log row (an adapter stopped being counted, or a day ended).
    bool wroteRow() const { return m_wroteRow; }
    // The last tick read the table, counted no traffic and ended no counting: another tick on the same table would
    // only add an empty bar to each graph.
    bool quiet() const { return m_sampled && m_addedRcvd == 0 && m_addedSent == 0 && !m_dropped; }
    // The interface indexes of the adapters counted now, ascending.
    void countedIndexes(std::vector<std::uint32_t>& into) const;
    // A reading taken a tick before the one about to be sampled, after readings that were skipped: the adapters not
    // counted take up their counters from there, so one selected next counts from a tick ago, as it would had every
    // tick run.
    void rebaseUncounted(const std::vector<IfEntry>& base);

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

    void SampleInterfaces(const std::vector<IfEntry>* table);
    void readTable(const std::vector<IfEntry>& table, std::vector<Counted>& into) const;
    bool listMatches() const;
    void RefreshAdapterList();
    void readSelection();
    void count();
    static const Counted* find(const std::vector<Counted>& in, const Counted& adapter, std::size_t hint);
    const Counted* lastSeen(const Counted& adapter) const;
    void rememberGone();
    void showDownload();
    void showUpload();
    void RescaleGraphs(double m);
    void decideLogging(bool ticking);
    void addTickShares();
    void showAdapters();
    bool newDayOrOffset();

    TrafficState& m_state;
    SettingsStore& m_settings;
    LogWriter& m_writer;
    const Clock& m_clock;
    TickFigures m_figures;
    // The adapters at this sample and at the one before, reused so a steady set of interfaces allocates nothing.
    std::vector<Counted> m_now;
    std::vector<Counted> m_before;
    std::vector<Counted> m_base;
    // The names and indexes the adapter list was built from, entry by entry.
    std::vector<std::string> m_listNames;
    std::vector<std::uint32_t> m_listIndexes;
    // Adapters that went away, as last seen, the oldest first.
    std::vector<Counted> m_gone;
    // This tick's sample ended the counting of an adapter: one that was counted went away, was recreated or was
    // deselected. The period then ends at the totals of the tick before.
    bool m_dropped = false;
    bool m_sampled = false;
    bool m_wroteRow = false;
    int m_minute = -1;
    std::uint64_t m_addedRcvd = 0;
    std::uint64_t m_addedSent = 0;
    // What each adapter that counted traffic this tick added, by its place in m_before once the tick is counted.
    struct TickShare
    {
        std::size_t at;
        std::uint64_t in;
        std::uint64_t out;
        std::size_t slot; // its adapter's place among the period's shares, once added
    };
    std::vector<TickShare> m_tickShares;
};
