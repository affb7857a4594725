#include "Sampler.h"

#include "Clock.h"
#include "Db.h"
#include "IfTable.h"
#include "LogWriter.h"
#include "Readouts.h"
#include "Settings.h"
#include "TrafficState.h"

#include <QLoggingCategory>

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

QString description(const IfRow& row)
{
    int len = int(row.descrLen);
    // Windows counts the terminating zero in dwDescrLen; it is not part of the name.
    if (len > 0 && row.descr[len - 1] == 0)
        --len;
    return QString::fromLatin1(reinterpret_cast<const char*>(row.descr.data()), len);
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

void Sampler::TmrCheckit_Timer()
{
    SampleInterfaces();
    showReadouts();
    decideLogging();
}

// Sums the counters of the selected adapters. Whenever the table cannot be read, or the adapter list cannot be
// rebuilt, the totals keep last tick's values, so the later stages see no traffic rather than a false drop.
void Sampler::SampleInterfaces()
{
    std::uint32_t size = 0;
    m_ifTable.GetIfTable(nullptr, &size, true);
    if (size == 0)
        return;
    if (m_table.size() < size)
        m_table.resize(size);
    const std::uint32_t bytes = size;
    if (m_ifTable.GetIfTable(m_table.data(), &size, true) != IfTableStatus::Ok)
        return;

    const std::uint32_t n = readIfCount(m_table.data(), bytes);
    // A list left short by a failure differs in count from the table, so the next tick rebuilds it.
    if (std::uint32_t(m_settings.adapters.count()) != n && !RefreshAdapterList(n, bytes))
        return;

    readSelection(n);
    double rcvd = 0;
    double sent = 0;
    IfRow row;
    for (std::uint32_t k = 0; k < n; ++k) {
        // A count that claims more rows than the buffer holds is treated as a failed read.
        if (!readIfRow(m_table.data(), bytes, k, row))
            return;
        if (m_selected[k]) {
            rcvd += row.inOctets;
            sent += row.outOctets;
        }
    }
    m_state.TotalBytesRcvd = rcvd;
    m_state.TotalBytesSent = sent;
}

// One entry per table row, selected when no adapter was ever stored or when `Adapter<k>` exists, since an adapter
// is known only by its position in the table.
bool Sampler::RefreshAdapterList(std::uint32_t n, std::uint32_t bytes)
{
    DbRecordset rs;
    if (!rs.open(m_db, QStringLiteral("select count(*) as cntAdapters from settings where settingname like ?;"),
                 {QStringLiteral("Adapter%")})) {
        qCWarning(lcSampler) << "adapter selection not readable, retried next tick:" << rs.lastError();
        return false;
    }
    const int cnt = rs.field(QStringLiteral("cntadapters")).toInt();
    rs.close();

    AdapterList& list = m_settings.adapters;
    list.clear();
    IfRow row;
    for (std::uint32_t k = 0; k < n; ++k) {
        if (!readIfRow(m_table.data(), bytes, k, row))
            return false;
        if (!rs.open(m_db, QStringLiteral("select * from settings where settingname=? collate nocase;"),
                     {QStringLiteral("Adapter") + QString::number(k)})) {
            qCWarning(lcSampler) << "adapter selection not readable, retried next tick:" << rs.lastError();
            return false;
        }
        list.append(description(row));
        list.setSelected(int(k), cnt == 0 || !rs.atEnd());
        rs.close();
    }
    return true;
}

// The selection in one pass over its ranges; asking row by row walks every range for each row.
void Sampler::readSelection(std::uint32_t n)
{
    m_selected.assign(n, false);
    const QItemSelection selection = m_settings.adapters.selectionModel()->selection();
    for (const QItemSelectionRange& range : selection) {
        for (int k = std::max(range.top(), 0); k <= range.bottom() && std::uint32_t(k) < n; ++k)
            m_selected[std::size_t(k)] = true;
    }
}

void Sampler::showReadouts()
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
    m_view.setDownloadText(VolumeText(s.TotalBytesRcvd - s.LoggedBytesRcvd));
    m_view.setUploadText(VolumeText(s.TotalBytesSent - s.LoggedBytesSent));
    m_view.setCaption(VolumeText(s.TotalBytesSent + s.TotalBytesRcvd - s.LoggedBytesSent - s.LoggedBytesRcvd));
}

void Sampler::showDownload(bool bits, bool shown)
{
    TrafficState& s = m_state;
    const double d = s.TotalBytesRcvd - s.PrevBytesRcvd;
    if (d <= 0 || s.PrevBytesRcvd <= 0) {
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

void Sampler::showUpload(bool bits)
{
    TrafficState& s = m_state;
    const double d = s.TotalBytesSent - s.PrevBytesSent;
    if (d <= 0 || s.PrevBytesSent <= 0) {
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

void Sampler::decideLogging()
{
    TrafficState& s = m_state;
    const QDateTime now = m_clock.now();
    if (s.PrevBytesRcvd == 0) {
        s.PeriodStart = now;
        s.LoggedBytesSent = s.TotalBytesSent;
        s.LoggedBytesRcvd = s.TotalBytesRcvd;
    }

    // Totals that went down (a wrapped counter, a vanished or deselected adapter) end the period with the last
    // totals before the drop; the next tick opens a new one at the lower totals.
    const bool havePrevious = s.PrevBytesRcvd > 0 || s.PrevBytesSent > 0;
    if (havePrevious && (s.PrevBytesRcvd > s.TotalBytesRcvd || s.PrevBytesSent > s.TotalBytesSent)) {
        s.TotalBytesRcvd = s.PrevBytesRcvd;
        s.TotalBytesSent = s.PrevBytesSent;
        if (writeRow())
            return;
    } else if (now.time().hour() == 0 && now.time().minute() == 0 && s.PeriodStart.date().daysTo(now.date()) != 0) {
        if (writeRow())
            return;
    }
    // Also after a failed write: the period stays open and the next tick's rate spans one tick only.
    s.PrevBytesRcvd = s.TotalBytesRcvd;
    s.PrevBytesSent = s.TotalBytesSent;
}

// The timer is off while the row is written and on again whatever the outcome, so ticking never stops.
bool Sampler::writeRow()
{
    m_view.setTimerEnabled(false);
    const bool written = m_writer.WriteLogRow();
    m_view.setTimerEnabled(true);
    return written;
}
