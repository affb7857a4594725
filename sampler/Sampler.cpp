#include "Sampler.h"

#include "Clock.h"
#include "LogWriter.h"
#include "Settings.h"
#include "TrafficState.h"

#include <QHash>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// A rate as the graphs take it: rounded half to even, held within 32 bits.
qint32 wholeNumber(double v)
{
    const double r = std::nearbyint(v);
    if (r >= double(std::numeric_limits<qint32>::max()))
        return std::numeric_limits<qint32>::max();
    if (r <= double(std::numeric_limits<qint32>::min()))
        return std::numeric_limits<qint32>::min();
    return qint32(r);
}

// Octets per tick to kB/s, with kB = 1000 octets.
double ratePerSecond(double octets)
{
    return (octets / 1000.0) / (TmrCheckitInterval / 1000.0);
}

} // namespace

Sampler::Sampler(TrafficState& state, SettingsStore& settings, LogWriter& writer, const Clock& clock)
    : m_state(state)
    , m_settings(settings)
    , m_writer(writer)
    , m_clock(clock)
{
}

// What a tick runs, here and in the classes it calls, is marked hot, so the compiler places it side by side: after
// half a second asleep, each code page a wake-up touches costs about a microsecond.
[[gnu::hot]] void Sampler::TmrCheckit_Timer(const std::vector<IfEntry>* table)
{
    m_wroteRow = false;
    SampleInterfaces(table);
    m_figures.rcvdSinceRow = m_state.TotalBytesRcvd - m_state.LoggedBytesRcvd;
    m_figures.sentSinceRow = m_state.TotalBytesSent - m_state.LoggedBytesSent;
    m_figures.bits = m_settings.current().kilobit != 0;
    showDownload();
    showUpload();
    decideLogging(true);
    showAdapters();
}

void Sampler::sampleBeforeExit(const std::vector<IfEntry>* table)
{
    m_wroteRow = false;
    SampleInterfaces(table);
    decideLogging(false);
}

// Adds what the selected adapters counted since the last sample to the totals. Whenever the table cannot be read,
// the totals stay as they are and the sample is taken again at the next tick.
[[gnu::hot]] void Sampler::SampleInterfaces(const std::vector<IfEntry>* table)
{
    m_dropped = false;
    m_sampled = false;
    m_addedRcvd = 0;
    m_addedSent = 0;
    m_tickShares.clear();
    if (!table)
        return;
    readTable(*table, m_now);
    if (!listMatches())
        RefreshAdapterList();
    readSelection();
    count();
    m_sampled = true;
}

[[gnu::hot]] void Sampler::readTable(const std::vector<IfEntry>& table, std::vector<Counted>& into) const
{
    into.resize(table.size());
    for (std::size_t k = 0; k < table.size(); ++k) {
        const IfEntry& e = table[k];
        Counted& a = into[k];
        // Names rarely change; comparing first keeps a steady tick off the string library's code.
        if (a.name != e.name)
            a.name = e.name;
        a.index = e.index;
        a.in = e.inOctets;
        a.out = e.outOctets;
        a.hardware = e.hardware;
    }
}

[[gnu::hot]] bool Sampler::listMatches() const
{
    return m_settings.adapters().count() == int(m_now.size())
        && std::equal(m_now.cbegin(), m_now.cend(), m_listNames.cbegin(), m_listNames.cend(),
                      [](const Counted& a, const std::string& name) { return a.name == name; });
}

// One entry per table row, rebuilt whenever the interfaces or their order change. An adapter already listed keeps
// its selection, stored or not, also when it was renamed meanwhile (it keeps its index); another is selected when an
// `Adapter<k>` row names it (or, holding no name, names its position k), and when there are no such rows at all,
// when it is hardware.
void Sampler::RefreshAdapterList()
{
    const StoredAdapters& stored = m_settings.storedAdapters();
    AdapterList& list = m_settings.adapters();
    QHash<QString, bool> listed;
    QHash<std::uint32_t, bool> listedIndexes;
    for (int k = 0; k < list.count(); ++k) {
        listed.insert(list.text(k), list.isSelected(k));
        if (std::size_t(k) < m_listIndexes.size() && m_listIndexes[std::size_t(k)] != 0)
            listedIndexes.insert(m_listIndexes[std::size_t(k)], list.isSelected(k));
    }
    list.clear();
    m_listNames.clear();
    m_listIndexes.clear();
    for (std::size_t k = 0; k < m_now.size(); ++k) {
        const Counted& a = m_now[k];
        const QString name = QString::fromStdString(a.name);
        list.append(name);
        m_listNames.push_back(a.name);
        m_listIndexes.push_back(a.index);
        bool selected = a.hardware;
        if (const auto it = listedIndexes.constFind(a.index); it != listedIndexes.cend())
            selected = *it;
        else if (const auto named = listed.constFind(name); named != listed.cend())
            selected = *named;
        else if (stored.any)
            selected = stored.names.contains(name) || stored.positions.contains(int(k));
        list.setSelected(int(k), selected);
    }
}

// The selection in one pass over its ranges; asking row by row walks every range for each row.
[[gnu::hot]] void Sampler::readSelection()
{
    const std::vector<bool>& selected = m_settings.adapters().selectedRows();
    int counted = 0;
    for (std::size_t k = 0; k < m_now.size(); ++k) {
        m_now[k].selected = k < selected.size() && selected[k];
        counted += m_now[k].selected;
    }
    m_figures.counted = counted;
}

void Sampler::countedIndexes(std::vector<std::uint32_t>& into) const
{
    into.clear();
    for (const Counted& a : m_before) {
        if (a.selected)
            into.push_back(a.index);
    }
}

[[gnu::hot]] const Sampler::Counted* Sampler::find(const std::vector<Counted>& in, const Counted& adapter,
                                                   std::size_t hint)
{
    if (hint < in.size() && in[hint].same(adapter))
        return &in[hint];
    const auto it = std::find_if(in.cbegin(), in.cend(), [&](const Counted& c) { return c.same(adapter); });
    return it == in.cend() ? nullptr : &*it;
}

// What each selected adapter counted since the last sample goes into the totals; an adapter's counters are what it
// carried since it was created. One not seen at the last sample has its counters taken up where the program last saw
// it, if it was seen before and they did not go down meanwhile (it went to another network namespace and came back,
// its driver was reloaded); when they went down, it was made anew and counted everything it shows. One never seen
// before counts what it shows when that is no more than a new link could have carried since the last reading;
// otherwise it arrived with a history from elsewhere (moved in from another namespace), which is not this
// machine's traffic, and it counts from here.
[[gnu::hot]] void Sampler::count()
{
    std::uint64_t in = 0;
    std::uint64_t out = 0;
    bool dropped = false;
    for (std::size_t k = 0; k < m_now.size(); ++k) {
        const Counted& a = m_now[k];
        if (!a.selected)
            continue;
        const Counted* before = find(m_before, a, k);
        const bool wasThere = before != nullptr;
        if (!wasThere && !m_before.empty())
            before = lastSeen(a);
        std::uint64_t addIn = 0;
        std::uint64_t addOut = 0;
        if (before && a.in >= before->in && a.out >= before->out) {
            addIn = a.in - before->in;
            addOut = a.out - before->out;
        } else if (before || m_before.empty() || a.in + a.out <= NewAdapterAtMost) {
            addIn = a.in;
            addOut = a.out;
            // Counters that went down under a counted adapter end its counting: it was made anew.
            dropped = dropped || (wasThere && before->selected);
        }
        if (addIn != 0 || addOut != 0) {
            in += addIn;
            out += addOut;
            m_tickShares.push_back({k, addIn, addOut, 0});
        }
    }
    for (std::size_t k = 0; k < m_before.size() && !dropped; ++k) {
        const Counted* now = m_before[k].selected ? find(m_now, m_before[k], k) : nullptr;
        dropped = m_before[k].selected && (!now || !now->selected);
    }
    m_dropped = dropped;
    m_addedRcvd = in;
    m_addedSent = out;
    m_state.TotalBytesRcvd += in;
    m_state.TotalBytesSent += out;
    rememberGone();
    std::swap(m_now, m_before);
}

void Sampler::rebaseUncounted(const std::vector<IfEntry>& base)
{
    readTable(base, m_base);
    for (std::size_t k = 0; k < m_before.size(); ++k) {
        Counted& before = m_before[k];
        if (const Counted* then = before.selected ? nullptr : find(m_base, before, k)) {
            before.in = then->in;
            before.out = then->out;
        }
    }
}

// An adapter back under another index: at the last sample under the old one, or among those that went away.
// A period that began on an earlier day ends in the day's first minute; one that began before the clocks changed
// between summer and winter time ends at the first tick of a minute after the change. The date and the offset are
// looked at only when the minute is new: building them costs more than the rest of the tick.
[[gnu::hot]] bool Sampler::newDayOrOffset()
{
    const int minute = m_clock.minuteOfDay();
    if (minute == m_minute && minute != 0)
        return false;
    m_minute = minute;
    const QDateTime now = m_clock.now();
    const QDateTime& start = m_state.PeriodStart;
    return (minute == 0 && start.date().daysTo(now.date()) != 0) || start.offsetFromUtc() != now.offsetFromUtc();
}

const Sampler::Counted* Sampler::lastSeen(const Counted& adapter) const
{
    const auto named = [&](const Counted& c) { return c.name == adapter.name; };
    if (const auto it = std::find_if(m_before.cbegin(), m_before.cend(), named); it != m_before.cend())
        return &*it;
    const auto it = std::find_if(m_gone.cbegin(), m_gone.cend(), named);
    return it == m_gone.cend() ? nullptr : &*it;
}

// Adapters that went away are remembered by name, with the counters they had; one that comes back is forgotten.
[[gnu::hot]] void Sampler::rememberGone()
{
    if (!m_gone.empty()) {
        m_gone.erase(std::remove_if(m_gone.begin(), m_gone.end(),
                                    [this](const Counted& c) {
                                        return std::any_of(m_now.cbegin(), m_now.cend(),
                                                           [&](const Counted& a) { return a.name == c.name; });
                                    }),
                     m_gone.end());
    }
    for (std::size_t k = 0; k < m_before.size(); ++k) {
        if (find(m_now, m_before[k], k))
            continue;
        m_gone.erase(
            std::remove_if(m_gone.begin(), m_gone.end(), [&](const Counted& c) { return c.name == m_before[k].name; }),
            m_gone.end());
        // Interfaces that come and go by the hundred (containers) must not make the memory grow.
        if (m_gone.size() == GoneAtMost)
            m_gone.erase(m_gone.begin());
        m_gone.push_back(m_before[k]);
    }
}

[[gnu::hot]] void Sampler::showDownload()
{
    TrafficState& s = m_state;
    const double d = double(s.TotalBytesRcvd - s.PrevBytesRcvd);
    if (d <= 0 || !s.HavePrevious) {
        m_figures.downRate = 0;
        m_figures.downBar = 0;
        return;
    }
    const double rate = ratePerSecond(d);
    m_figures.downRate = rate;
    // A near-idle sample counts at the current average, so idle stretches neither drag it down nor are skipped.
    if (rate > 0.5)
        s.PeriodAvgDownSpeed = (s.PeriodAvgDownSpeed * s.PeriodSampleCount + rate) / (s.PeriodSampleCount + 1);
    s.PeriodSampleCount += 1;
    if (rate > s.MaxDownSpeed + 1) {
        s.MaxDownSpeed = rate;
        // A lone spike far above the average (a newly counted adapter's whole counter) does not set the scale.
        if (s.MaxDownSpeed < 4 * s.PeriodAvgDownSpeed && s.MaxDownSpeed > m_figures.graphMax + 1)
            RescaleGraphs(s.MaxDownSpeed);
    }
    m_figures.downBar = wholeNumber(rate);
}

[[gnu::hot]] void Sampler::showUpload()
{
    TrafficState& s = m_state;
    const double d = double(s.TotalBytesSent - s.PrevBytesSent);
    if (d <= 0 || !s.HavePrevious) {
        m_figures.upRate = 0;
        m_figures.upBar = 0;
        return;
    }
    const double rate = ratePerSecond(d);
    m_figures.upRate = rate;
    // There is no upload average; the download average is what guards against spikes here too.
    if (rate > s.MaxUpSpeed + 1 && s.MaxUpSpeed < 4 * s.PeriodAvgDownSpeed) {
        s.MaxUpSpeed = rate;
        if (s.MaxUpSpeed > m_figures.graphMax + 1)
            RescaleGraphs(s.MaxUpSpeed);
    }
    m_figures.upBar = wholeNumber(rate);
}

// Both graphs share one scale, which only grows.
void Sampler::RescaleGraphs(double m)
{
    m_figures.graphMax = wholeNumber(m + 1);
}

// The first sample opens the first period. Later periods open as a row is written, at the totals of that moment,
// so what the adapters count between the row and the next tick is in the next row.
[[gnu::hot]] void Sampler::decideLogging(bool ticking)
{
    TrafficState& s = m_state;
    if (!s.HavePrevious) {
        // The first sample is the base the counting starts from: nothing of it is traffic of the period.
        s.PeriodStart = m_clock.now();
        s.LoggedBytesSent = s.TotalBytesSent;
        s.LoggedBytesRcvd = s.TotalBytesRcvd;
        s.PeriodShares.clear();
        s.HavePrevious = true;
    } else if (m_dropped) {
        // An adapter stopped being counted: the row holds the totals of the tick before, and what this sample added
        // goes into the next period. A failed write leaves it all in the open period.
        s.TotalBytesRcvd -= m_addedRcvd;
        s.TotalBytesSent -= m_addedSent;
        m_writer.WriteLogRow();
        m_wroteRow = true;
        s.TotalBytesRcvd += m_addedRcvd;
        s.TotalBytesSent += m_addedSent;
        addTickShares();
    } else {
        addTickShares();
        if (ticking && newDayOrOffset()) {
            m_writer.WriteLogRow();
            m_wroteRow = true;
        }
    }
    s.PrevBytesRcvd = s.TotalBytesRcvd;
    s.PrevBytesSent = s.TotalBytesSent;
}

[[gnu::hot]] void Sampler::addTickShares()
{
    std::size_t hint = 0;
    for (TickShare& t : m_tickShares) {
        t.slot = addShare(m_state.PeriodShares, m_before[t.at].name, t.in, t.out, hint);
        hint = t.slot + 1;
    }
}

// The list reuses its entries' strings, so a steady set of adapters allocates nothing from tick to tick.
[[gnu::hot]] void Sampler::showAdapters()
{
    const AdapterShares& shares = m_state.PeriodShares;
    std::vector<AdapterActivity>& list = m_figures.adapters;
    list.resize(shares.size());
    for (std::size_t k = 0; k < shares.size(); ++k) {
        AdapterActivity& a = list[k];
        if (a.name != shares[k].name)
            a.name = shares[k].name;
        a.rcvdInPeriod = shares[k].rcvd;
        a.sentInPeriod = shares[k].sent;
        a.downRate = 0;
        a.upRate = 0;
    }
    // A row written after this tick's shares were added left none: the slots then lie past the list's end.
    for (const TickShare& t : m_tickShares) {
        if (t.slot < list.size()) {
            list[t.slot].downRate = ratePerSecond(double(t.in));
            list[t.slot].upRate = ratePerSecond(double(t.out));
        }
    }
}
