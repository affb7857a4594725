#include "Sampler.h"

#include "Clock.h"
#include "Db.h"
#include "IfTable.h"
#include "LogWriter.h"
#include "Readouts.h"
#include "Settings.h"
#include "TrafficState.h"

#include <QHash>
#include <QLoggingCategory>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <limits>

Q_LOGGING_CATEGORY(lcSampler, "zovodazad.sampler")

namespace {

using Graph = SamplerView::Graph;

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

// The interface's name as the row spells it, in UTF-8.
std::string_view description(const IfRow& row)
{
    std::size_t len = row.descrLen;
    // Windows counts the terminating zero in dwDescrLen; it is not part of the name.
    if (len > 0 && row.descr[len - 1] == 0)
        --len;
    return {reinterpret_cast<const char*>(row.descr.data()), len};
}

} // namespace

Sampler::Sampler(IfTableSource& ifTable, DbConnection& db, TrafficState& state, SettingsRecord& settings,
                 LogWriter& writer, const Clock& clock, SamplerView& view)
    : m_ifTable(ifTable)
    , m_db(db)
    , m_state(state)
    , m_settings(settings)
    , m_writer(writer)
    , m_clock(clock)
    , m_view(view)
{
}

// What a tick runs, here and in the classes it calls, is marked hot, so the compiler places it side by side: after
// half a second asleep, each code page a wake-up touches costs about a microsecond.
[[gnu::hot]] void Sampler::TmrCheckit_Timer()
{
    SampleInterfaces();
    showReadouts();
    decideLogging(true);
}

void Sampler::sampleBeforeExit()
{
    SampleInterfaces();
    decideLogging(false);
}

// Adds what the selected adapters counted since the last sample to the totals. Whenever the table cannot be read, or
// the adapter list cannot be rebuilt, the totals stay as they are and the sample is taken again at the next tick.
[[gnu::hot]] void Sampler::SampleInterfaces()
{
    m_dropped = false;
    m_sampled = false;
    m_addedRcvd = 0;
    m_addedSent = 0;
    if (!readTable() || (!listMatches() && !RefreshAdapterList()))
        return;
    readSelection();
    count();
    m_sampled = true;
}

[[gnu::hot]] bool Sampler::readTable()
{
    std::uint32_t size = 0;
    m_ifTable.GetIfTable(nullptr, &size, true);
    if (size == 0)
        return false;
    if (m_table.size() < size)
        m_table.resize(size);
    const std::uint32_t bytes = size;
    if (m_ifTable.GetIfTable(m_table.data(), &size, true) != IfTableStatus::Ok)
        return false;
    const std::uint32_t n = readIfCount(m_table.data(), bytes);
    // A count that claims more rows than the buffer holds is treated as a failed read.
    if (n > (bytes - IfLayout::CountSize) / IfLayout::RowSize)
        return false;
    m_now.resize(n);
    IfRow row;
    for (std::uint32_t k = 0; k < n; ++k) {
        readIfRow(m_table.data(), bytes, k, row);
        Counted& a = m_now[k];
        // Names rarely change; comparing first keeps a steady tick off the string library's code.
        if (const std::string_view name = description(row); a.name != name)
            a.name.assign(name);
        a.index = row.index;
        a.in = row.inOctets;
        a.out = row.outOctets;
        a.hardware = (row.flags & IfFlag::Hardware) != 0;
    }
    return true;
}

[[gnu::hot]] bool Sampler::listMatches() const
{
    return m_settings.adapters.count() == int(m_now.size())
        && std::equal(m_now.cbegin(), m_now.cend(), m_listNames.cbegin(), m_listNames.cend(),
                      [](const Counted& a, const std::string& name) { return a.name == name; });
}

// One entry per table row, rebuilt whenever the interfaces or their order change. An adapter already listed keeps
// its selection, stored or not; another is selected when an `Adapter<k>` row names it (or, holding no name, names its
// position k), and when there are no such rows at all, when it is hardware.
bool Sampler::RefreshAdapterList()
{
    DbRecordset rs;
    if (!rs.open(m_db, QStringLiteral("select settingname, Settingvalue from settings where settingname like ?;"),
                 {QStringLiteral("Adapter%")})) {
        qCWarning(lcSampler) << "adapter selection not readable, retried next tick:" << rs.lastError();
        return false;
    }
    bool stored = false;
    QSet<QString> storedNames;
    QSet<int> storedPositions;
    for (; !rs.atEnd(); rs.moveNext()) {
        stored = true;
        const QString name = rs.field(QStringLiteral("Settingvalue")).toString();
        bool isPosition = false;
        const int k = rs.field(QStringLiteral("settingname")).toString().mid(7).toInt(&isPosition);
        if (!name.isEmpty())
            storedNames.insert(name);
        else if (isPosition)
            storedPositions.insert(k);
    }
    rs.close();

    AdapterList& list = m_settings.adapters;
    QHash<QString, bool> listed;
    for (int k = 0; k < list.count(); ++k)
        listed.insert(list.text(k), list.isSelected(k));
    list.clear();
    m_listNames.clear();
    for (std::size_t k = 0; k < m_now.size(); ++k) {
        const Counted& a = m_now[k];
        const QString name = QString::fromUtf8(a.name.data(), qsizetype(a.name.size()));
        list.append(name);
        m_listNames.push_back(a.name);
        bool selected = a.hardware;
        if (const auto it = listed.constFind(name); it != listed.cend())
            selected = *it;
        else if (stored)
            selected = storedNames.contains(name) || storedPositions.contains(int(k));
        list.setSelected(int(k), selected);
    }
    return true;
}

// The selection in one pass over its ranges; asking row by row walks every range for each row.
[[gnu::hot]] void Sampler::readSelection()
{
    const std::vector<bool>& selected = m_settings.adapters.selectedRows();
    for (std::size_t k = 0; k < m_now.size(); ++k)
        m_now[k].selected = k < selected.size() && selected[k];
}

[[gnu::hot]] const Sampler::Counted* Sampler::find(const std::vector<Counted>& in, const Counted& adapter,
                                                   std::size_t hint)
{
    if (hint < in.size() && in[hint].same(adapter))
        return &in[hint];
    const auto it = std::find_if(in.cbegin(), in.cend(), [&](const Counted& c) { return c.same(adapter); });
    return it == in.cend() ? nullptr : &*it;
}

// What each selected adapter counted since the last sample goes into the totals. An adapter not seen at the last
// sample, or whose counters started again, counted everything it shows since then.
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
        if (before && a.in >= before->in && a.out >= before->out) {
            in += a.in - before->in;
            out += a.out - before->out;
        } else {
            in += a.in;
            out += a.out;
            dropped = dropped || (before && before->selected);
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
    std::swap(m_now, m_before);
}

[[gnu::hot]] void Sampler::showReadouts()
{
    const bool bits = m_settings.kilobit != 0;
    const bool shown = m_view.readoutsShown();
    if (shown)
        showVolumes();
    showDownload(bits, shown);
    showUpload(bits);
    if (shown && m_settings.whatsleft != 0)
        m_view.refreshVolumeLeft();
}

void Sampler::replayQuietTicks(quint64 ticks)
{
    m_view.graphRepeat(Graph::Down, 0, ticks);
    m_view.graphRepeat(Graph::Up, 0, ticks);
}

void Sampler::rebaseUncounted()
{
    if (!readTable() || !listMatches())
        return;
    for (std::size_t k = 0; k < m_before.size(); ++k) {
        Counted& before = m_before[k];
        if (const Counted* now = before.selected ? nullptr : find(m_now, before, k)) {
            before.in = now->in;
            before.out = now->out;
        }
    }
}

void Sampler::refreshTexts()
{
    const TrafficState& s = m_state;
    const bool bits = m_settings.kilobit != 0;
    showVolumes();
    m_view.setRateLine(m_lastRate > 0 ? RateLine(m_lastRate, s.PeriodAvgDownSpeed, s.MaxDownSpeed, bits)
                                      : ZeroRateLine(s.PeriodAvgDownSpeed, s.MaxDownSpeed, bits));
    if (m_settings.whatsleft != 0)
        m_view.refreshVolumeLeft();
}

void Sampler::showVolumes()
{
    const TrafficState& s = m_state;
    m_view.setDownloadText(VolumeText(double(s.TotalBytesRcvd - s.LoggedBytesRcvd)));
    m_view.setUploadText(VolumeText(double(s.TotalBytesSent - s.LoggedBytesSent)));
    m_view.setCaption(VolumeText(double(s.TotalBytesSent + s.TotalBytesRcvd - s.LoggedBytesSent - s.LoggedBytesRcvd)));
}

[[gnu::hot]] void Sampler::showDownload(bool bits, bool shown)
{
    TrafficState& s = m_state;
    const double d = double(s.TotalBytesRcvd - s.PrevBytesRcvd);
    if (d <= 0 || !s.HavePrevious) {
        m_lastRate = 0;
        if (shown)
            m_view.setRateLine(ZeroRateLine(s.PeriodAvgDownSpeed, s.MaxDownSpeed, bits));
        m_view.graphUpdate(Graph::Down, 0);
        return;
    }
    const double rate = ratePerSecond(d);
    m_lastRate = rate;
    // A near-idle sample counts at the current average, so idle stretches neither drag it down nor are skipped.
    if (rate > 0.5)
        s.PeriodAvgDownSpeed = (s.PeriodAvgDownSpeed * s.PeriodSampleCount + rate) / (s.PeriodSampleCount + 1);
    s.PeriodSampleCount += 1;
    if (rate > s.MaxDownSpeed + 1) {
        s.MaxDownSpeed = rate;
        // A lone spike far above the average (a newly counted adapter's whole counter) does not set the scale.
        if (s.MaxDownSpeed < 4 * s.PeriodAvgDownSpeed && s.MaxDownSpeed > m_view.graphMax(Graph::Down) + 1)
            RescaleGraphs(s.MaxDownSpeed, bits);
    }
    m_view.graphUpdate(Graph::Down, wholeNumber(rate));
    if (shown)
        m_view.setRateLine(RateLine(rate, s.PeriodAvgDownSpeed, s.MaxDownSpeed, bits));
}

[[gnu::hot]] void Sampler::showUpload(bool bits)
{
    TrafficState& s = m_state;
    const double d = double(s.TotalBytesSent - s.PrevBytesSent);
    if (d <= 0 || !s.HavePrevious) {
        m_lastUpRate = 0;
        m_view.graphUpdate(Graph::Up, 0);
        return;
    }
    const double rate = ratePerSecond(d);
    m_lastUpRate = rate;
    // There is no upload average; the download average is what guards against spikes here too.
    if (rate > s.MaxUpSpeed + 1 && s.MaxUpSpeed < 4 * s.PeriodAvgDownSpeed) {
        s.MaxUpSpeed = rate;
        if (s.MaxUpSpeed > m_view.graphMax(Graph::Down) + 1)
            RescaleGraphs(s.MaxUpSpeed, bits);
    }
    m_view.graphUpdate(Graph::Up, wholeNumber(rate));
}

// Both graphs share one scale, which only grows.
void Sampler::RescaleGraphs(double m, bool bits)
{
    m_view.setGraphMax(Graph::Down, wholeNumber(m + 1));
    m_view.setGraphMax(Graph::Up, m_view.graphMax(Graph::Down));
    m_view.setGraphToolTip(Graph::Down, GraphToolTip(m_view.graphMax(Graph::Down), bits));
    m_view.setGraphToolTip(Graph::Up, GraphToolTip(m_view.graphMax(Graph::Up), bits));
}

// The first sample opens the first period. Later periods open as a row is written, at the totals of that moment,
// so what the adapters count between the row and the next tick is in the next row.
[[gnu::hot]] void Sampler::decideLogging(bool ticking)
{
    TrafficState& s = m_state;
    if (!s.HavePrevious) {
        s.PeriodStart = m_clock.now();
        s.LoggedBytesSent = s.TotalBytesSent;
        s.LoggedBytesRcvd = s.TotalBytesRcvd;
        s.HavePrevious = true;
    } else if (m_dropped) {
        // An adapter stopped being counted: the row holds the totals of the tick before, and what this sample added
        // goes into the next period. A failed write leaves it all in the open period.
        s.TotalBytesRcvd -= m_addedRcvd;
        s.TotalBytesSent -= m_addedSent;
        writeRow(ticking);
        s.TotalBytesRcvd += m_addedRcvd;
        s.TotalBytesSent += m_addedSent;
    } else if (ticking && m_clock.minuteOfDay() == 0 && s.PeriodStart.date().daysTo(m_clock.now().date()) != 0) {
        // The date is looked at only in the day's first minute: building it costs more than the rest of the check.
        writeRow(ticking);
    }
    s.PrevBytesRcvd = s.TotalBytesRcvd;
    s.PrevBytesSent = s.TotalBytesSent;
}

// While ticking, the timer is off while the row is written and on again whatever the outcome, so ticking never stops.
void Sampler::writeRow(bool ticking)
{
    if (ticking)
        m_view.setTimerEnabled(false);
    m_writer.WriteLogRow();
    if (ticking)
        m_view.setTimerEnabled(true);
}
