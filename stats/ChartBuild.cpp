#include "ChartBuild.h"

#include "Clock.h"
#include "Db.h"
#include "VolumeLeft.h"

#include <QCoreApplication>
#include <QLocale>
#include <algorithm>

namespace {

constexpr int DayWindow = 14;
constexpr int PeriodsShown = 12;
constexpr double KbPerMb = 1024.0;
constexpr double KbPerGb = 1048576.0;

// The first day of the period that holds a date.
QDate periodStart(ChartPeriod period, const QDate& d)
{
    switch (period) {
    case ChartPeriod::Day:
        break;
    case ChartPeriod::Week:
        return d.addDays(1 - d.dayOfWeek());
    case ChartPeriod::Month:
        return QDate(d.year(), d.month(), 1);
    case ChartPeriod::Year:
        return QDate(d.year(), 1, 1);
    }
    return d;
}

QDate shifted(ChartPeriod period, const QDate& start, int periods)
{
    switch (period) {
    case ChartPeriod::Day:
        break;
    case ChartPeriod::Week:
        return start.addDays(7 * qint64(periods));
    case ChartPeriod::Month:
        return start.addMonths(periods);
    case ChartPeriod::Year:
        return start.addYears(periods);
    }
    return start.addDays(periods);
}

// The views' ddate of the period starting on a day: the ISO date, the ISO week's year and two-digit number, yyyyMM,
// yyyy. Keys of one view sort as their periods do.
QString periodKey(ChartPeriod period, const QDate& start)
{
    switch (period) {
    case ChartPeriod::Day:
        break;
    case ChartPeriod::Week: {
        int year = 0;
        const int week = start.weekNumber(&year);
        return QStringLiteral("%1%2").arg(year).arg(week, 2, 10, QLatin1Char('0'));
    }
    case ChartPeriod::Month:
        return start.toString(QStringLiteral("yyyyMM"));
    case ChartPeriod::Year:
        return start.toString(QStringLiteral("yyyy"));
    }
    return start.toString(Qt::ISODate);
}

QDate startOfKey(ChartPeriod period, const QString& key)
{
    switch (period) {
    case ChartPeriod::Day:
        break;
    case ChartPeriod::Week: {
        // Week 1 is the one that holds 4 January.
        const QDate jan4(key.left(4).toInt(), 1, 4);
        return jan4.addDays(1 - jan4.dayOfWeek() + 7 * qint64(key.mid(4).toInt() - 1));
    }
    case ChartPeriod::Month:
        return QDate(key.left(4).toInt(), key.mid(4, 2).toInt(), 1);
    case ChartPeriod::Year:
        return QDate(key.toInt(), 1, 1);
    }
    return QDate::fromString(key, Qt::ISODate);
}

QString rowLabel(ChartPeriod period, const QString& ddate, const QDate& first)
{
    switch (period) {
    case ChartPeriod::Day:
        return first.toString(QStringLiteral("dd/MM"));
    case ChartPeriod::Week:
        return QCoreApplication::translate("FrmStats", "Wk %1").arg(ddate.right(2));
    case ChartPeriod::Month:
        return ddate.right(2) + QLatin1Char('/') + ddate.left(4);
    case ChartPeriod::Year:
        break;
    }
    return ddate;
}

// Runs a query over the period's relation of the source, which takes the place of %1.
bool query(DbRecordset& rs, DbConnection& db, const StatsSource& source, ChartPeriod period, const QString& sql,
           const QVariantList& values = {})
{
    return rs.open(db, sql.arg(source.relations.at(size_t(period))), source.values + values);
}

// The records the last query returned, oldest first, in the view's unit.
QVector<PeriodFigures> records(ChartPeriod period, DbRecordset& rs)
{
    const double divisor = period == ChartPeriod::Day ? KbPerMb : KbPerGb;
    QVector<PeriodFigures> found;
    for (; !rs.atEnd(); rs.moveNext()) {
        const QString ddate = rs.field(QStringLiteral("ddate")).toString();
        PeriodFigures f;
        f.first = startOfKey(period, ddate);
        f.label = rowLabel(period, ddate, f.first);
        f.received = rs.field(QStringLiteral("kbdown")).toDouble() / divisor;
        f.sent = rs.field(QStringLiteral("kbup")).toDouble() / divisor;
        found.append(f);
    }
    return found;
}

// Every day from the oldest to the newest record, those without one at 0.
QVector<PeriodFigures> everyDay(const QVector<PeriodFigures>& logged)
{
    QVector<PeriodFigures> days;
    if (logged.isEmpty())
        return days;
    auto next = logged.cbegin();
    for (QDate d = logged.first().first; d <= logged.last().first; d = d.addDays(1)) {
        if (next != logged.cend() && next->first == d) {
            days.append(*next++);
        } else {
            PeriodFigures none;
            none.first = d;
            none.label = d.toString(QStringLiteral("dd/MM"));
            days.append(none);
        }
    }
    return days;
}

bool readPeriods(const ChartChoice& choice, const StatsSource& source, DbConnection& db, DbRecordset& rs,
                 const QDate& today, ChartPage& page)
{
    const ChartPeriod period = choice.period;
    const QString columns = QStringLiteral("SELECT ddate, kbup, kbdown FROM ");
    if (period == ChartPeriod::Day) {
        page.last = today.addDays(-qint64(DayWindow + 1) * choice.back);
        page.first = page.last.addDays(-DayWindow);
        if (!query(rs, db, source, period, columns + QStringLiteral("%1 WHERE ddate BETWEEN ? AND ? ORDER BY ddate"),
                   {page.first.toString(Qt::ISODate), page.last.toString(Qt::ISODate)}))
            return false;
        page.periods = everyDay(records(period, rs));
        return true;
    }
    const QString newest = QStringLiteral("(SELECT * FROM %1 ORDER BY ddate DESC LIMIT 12)");
    if (choice.back == 0) {
        if (!query(rs, db, source, period, columns + newest + QStringLiteral(" ORDER BY ddate")))
            return false;
        page.periods = records(period, rs);
        const QDate current = periodStart(period, today);
        page.first = page.periods.isEmpty() ? shifted(period, current, 1 - PeriodsShown) : page.periods.first().first;
        page.last = shifted(period, page.periods.isEmpty() ? current : page.periods.last().first, 1).addDays(-1);
        return true;
    }
    // Earlier pages follow on from the oldest period the view opens on.
    if (!query(rs, db, source, period, QStringLiteral("SELECT min(ddate) AS oldest FROM ") + newest))
        return false;
    const QVariant oldest = rs.field(QStringLiteral("oldest"));
    const QDate anchor = oldest.isNull() ? shifted(period, periodStart(period, today), 1 - PeriodsShown)
                                         : startOfKey(period, oldest.toString());
    const QDate lastStart = shifted(period, anchor, -1 - PeriodsShown * (choice.back - 1));
    page.first = shifted(period, lastStart, 1 - PeriodsShown);
    page.last = shifted(period, lastStart, 1).addDays(-1);
    if (!query(rs, db, source, period, columns + QStringLiteral("%1 WHERE ddate BETWEEN ? AND ? ORDER BY ddate"),
               {periodKey(period, page.first), periodKey(period, lastStart)}))
        return false;
    page.periods = records(period, rs);
    return true;
}

bool readChartPage(const ChartChoice& choice, const StatsSource& source, DbConnection& db, DbRecordset& rs,
                   const Clock& clock, ChartPage& page, QString* error)
{
    rs.close();
    page = ChartPage();
    page.period = choice.period;
    const QDateTime now = clock.now();
    // The oldest period is the one of the oldest day: found in the days' index instead of summing every period.
    bool ok = readPeriods(choice, source, db, rs, now.date(), page)
        && rs.open(db, QStringLiteral("SELECT min(day) AS oldest FROM %1 WHERE day <> ''").arg(source.days),
                   source.values);
    if (ok) {
        const QDate oldest = QDate::fromString(rs.field(QStringLiteral("oldest")).toString(), Qt::ISODate);
        page.earlier = oldest.isValid()
            && periodKey(choice.period, periodStart(choice.period, oldest)) < periodKey(choice.period, page.first);
    } else if (error) {
        *error = rs.lastError();
    }
    rs.close();
    if (!ok) {
        page.periods.clear();
        return false;
    }
    // The month at the pace so far, as the allowance estimates a month.
    const QDate month(now.date().year(), now.date().month(), 1);
    for (int r = 0; r < page.periods.size() && choice.period == ChartPeriod::Month; ++r) {
        if (page.periods.at(r).first == month) {
            page.estimateRow = r;
            page.estimate = estimateAtEnd(page.periods.at(r).total(), month, month.addMonths(1).addDays(-1),
                                          AllowanceInterval::Months, now);
        }
    }
    return true;
}

ChartGrid chartGrid(const ChartChoice& choice, const ChartPage& page)
{
    ChartGrid grid;
    // Stacking upload on download makes the stack's height the total, so a stacked chart has no total column;
    // a line chart cannot stack.
    grid.stacked = choice.stackChecked && choice.look != ChartGrid::Look::Line;
    grid.type = ChartGrid::typeCode(choice.threeD, choice.look);
    grid.setColumnCount(grid.stacked ? 2 : 3);
    grid.setColumnLabel(0, QCoreApplication::translate("FrmStats", "Upload"));
    grid.setColumnLabel(1, QCoreApplication::translate("FrmStats", "Download"));
    if (!grid.stacked)
        grid.setColumnLabel(2, QCoreApplication::translate("FrmStats", "Total"));
    grid.unit = choice.period == ChartPeriod::Day ? QStringLiteral("MB") : QStringLiteral("GB");
    grid.visible = !page.periods.isEmpty();
    grid.setRowCount(int(page.periods.size()));
    for (int r = 0; r < grid.rowCount(); ++r) {
        const PeriodFigures& f = page.periods.at(r);
        grid.setRowLabel(r, f.label);
        grid.setValue(r, 0, f.sent);
        grid.setValue(r, 1, f.received);
        if (!grid.stacked)
            grid.setValue(r, 2, f.total());
    }
    grid.estimateRow = page.estimateRow;
    grid.estimate = page.estimate;
    return grid;
}

} // namespace

StatsSource StatsSource::wholeLog()
{
    return {{QStringLiteral("DownloadPerday"), QStringLiteral("DownloadPerWeek"), QStringLiteral("DownloadPerMonth"),
             QStringLiteral("DownloadPerYear")},
            QStringLiteral("log_day"),
            {}};
}

StatsSource StatsSource::adapter(const QString& name)
{
    const auto of = [](const char* view) {
        return QStringLiteral("(SELECT ddate, kbup, kbdown FROM %1 WHERE adapter = ?)").arg(QLatin1String(view));
    };
    return {{of("AdapterPerday"), of("AdapterPerWeek"), of("AdapterPerMonth"), of("AdapterPerYear")},
            QStringLiteral("(SELECT day FROM log_adapter_day WHERE adapter = ?)"),
            {name}};
}

bool buildChartGrid(const ChartChoice& choice, const StatsSource& source, DbConnection& db, DbRecordset& rs,
                    const Clock& clock, ChartGrid& grid, ChartPage& page, QString* error)
{
    const bool ok = readChartPage(choice, source, db, rs, clock, page, error);
    grid = chartGrid(choice, page);
    return ok;
}

QString periodName(ChartPeriod period, const QDate& first)
{
    const QLocale locale;
    switch (period) {
    case ChartPeriod::Day:
        break;
    case ChartPeriod::Week: {
        int year = 0;
        const int week = first.weekNumber(&year);
        return QCoreApplication::translate("FrmStats", "Week %1, %2").arg(week).arg(year);
    }
    case ChartPeriod::Month:
        return locale.toString(first, QStringLiteral("MMMM yyyy"));
    case ChartPeriod::Year:
        return QString::number(first.year());
    }
    return locale.toString(first, QStringLiteral("ddd d MMM yyyy"));
}

QString rangeText(const ChartPage& page)
{
    const QLocale locale;
    const QString format = QStringLiteral("d MMM yyyy");
    return locale.toString(page.first, format) + QStringLiteral(" – ") + locale.toString(page.last, format);
}
