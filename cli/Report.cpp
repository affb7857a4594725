#include "Report.h"

#include "Db.h"
#include "LogExport.h"
#include "LogTotals.h"
#include "Settings.h"
#include "VolumeLeft.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QSqlQuery>
#include <QTextStream>

#include <algorithm>
#include <cmath>

namespace {

constexpr double BytesPerMB = 1024.0 * 1024.0;

// The context of this file's texts in the translations.
struct Text
{
    Q_DECLARE_TR_FUNCTIONS(Report)
};

// One line of a report: the period's key as JSON and CSV write it, its name as the text shows it, and its traffic.
struct Line
{
    QString key;
    QString label;
    Traffic traffic;
    QDate first; // the period's first day, for --begin and --end
    QJsonObject extra = {};
};

struct Kind
{
    const char* name;
    const char* jsonKey; // the array's name
    const char* itemKey; // each item's period field
    int limit; // the newest this many, 0 for all
};
constexpr Kind Kinds[] = {
    {"hours", "hours", "hour", 24},    {"days", "days", "date", 30},  {"weeks", "weeks", "week", 12},
    {"months", "months", "month", 12}, {"years", "years", "year", 0}, {"top", "top", "date", 10},
};

const Kind* kindNamed(const QString& name)
{
    for (const Kind& k : Kinds) {
        if (name == QLatin1String(k.name))
            return &k;
    }
    return nullptr;
}

QString isoWeek(const QDate& d)
{
    int year = 0;
    const int week = d.weekNumber(&year);
    return QStringLiteral("%1-W%2").arg(year).arg(week, 2, 10, QLatin1Char('0'));
}

// The log's days grouped into periods, oldest first.
QVector<Line> periods(const LogTotals& totals, const QString& kind)
{
    QVector<Line> lines;
    const QLocale locale = QLocale::system();
    for (const LogTotals::Day& day : totals.days()) {
        QString key;
        QString label;
        QDate first = day.date;
        if (kind == QLatin1String("days") || kind == QLatin1String("top")) {
            key = day.date.toString(Qt::ISODate);
            label = key + QLatin1Char(' ') + locale.toString(day.date, QStringLiteral("ddd"));
        } else if (kind == QLatin1String("weeks")) {
            key = isoWeek(day.date);
            first = day.date.addDays(1 - day.date.dayOfWeek());
            label = key;
        } else if (kind == QLatin1String("months")) {
            key = day.date.toString(QStringLiteral("yyyy-MM"));
            first = QDate(day.date.year(), day.date.month(), 1);
            label = locale.toString(first, QStringLiteral("MMMM yyyy"));
        } else {
            key = day.date.toString(QStringLiteral("yyyy"));
            first = QDate(day.date.year(), 1, 1);
            label = key;
        }
        if (lines.isEmpty() || lines.last().key != key)
            lines.append({key, label, {}, first});
        lines.last().traffic += day.traffic;
    }
    if (kind == QLatin1String("top")) {
        std::stable_sort(lines.begin(), lines.end(),
                         [](const Line& a, const Line& b) { return a.traffic.total() > b.traffic.total(); });
    }
    return lines;
}

QVector<Line> hourLines(const LogTotals& totals, const ReportRequest& r, const QDateTime& now, QString* error)
{
    const QDateTime thisHour(now.date(), QTime(now.time().hour(), 0));
    const QDateTime from = r.begin.isValid() ? r.begin.startOfDay() : thisHour.addSecs(-23 * 3600);
    const QDateTime to = r.end.isValid() ? r.end.addDays(1).startOfDay() : thisHour.addSecs(3600);
    QVector<LogTotals::Hour> hours;
    QVector<Line> lines;
    if (!totals.hours(from, to, &hours, error))
        return lines;
    for (const LogTotals::Hour& h : hours)
        lines.append({h.start.toString(QStringLiteral("yyyy-MM-ddTHH")),
                      h.start.toString(QStringLiteral("yyyy-MM-dd HH:mm")), h.traffic, h.start.date()});
    return lines;
}

QJsonObject trafficJson(const Traffic& t)
{
    return {{QStringLiteral("rx"), double(t.rx)}, {QStringLiteral("tx"), double(t.tx)}};
}

// Text columns: the name, then received, sent and total, right-aligned.
void writeTable(QTextStream& out, const QVector<Line>& lines, const QString& heading)
{
    int width = int(heading.size());
    for (const Line& l : lines)
        width = std::max(width, int(l.label.size()));
    out << heading.leftJustified(width) << Text::tr("received").rightJustified(14)
        << Text::tr("sent").rightJustified(14) << Text::tr("total").rightJustified(14) << '\n';
    for (const Line& l : lines) {
        out << l.label.leftJustified(width) << octetsText(l.traffic.rx).rightJustified(14)
            << octetsText(l.traffic.tx).rightJustified(14) << octetsText(l.traffic.total()).rightJustified(14);
        if (l.extra.contains(QStringLiteral("estimate")))
            out << "   "
                << Text::tr("estimate for the month: %1")
                       .arg(octetsText(qint64(l.extra[QStringLiteral("estimate")].toDouble())));
        out << '\n';
    }
}

void writeCsv(QTextStream& out, const QVector<Line>& lines)
{
    out << "period,rx,tx\n";
    for (const Line& l : lines)
        out << l.key << ',' << l.traffic.rx << ',' << l.traffic.tx << '\n';
}

QVector<Line> summary(const LogTotals& totals, const QDateTime& now)
{
    const QDate today = now.date();
    const QDate monday = today.addDays(1 - today.dayOfWeek());
    const QDate monthStart(today.year(), today.month(), 1);
    const QDate yearStart(today.year(), 1, 1);
    const QDate first = totals.firstDay().isValid() ? totals.firstDay() : today;
    const QLocale locale = QLocale::system();
    QVector<Line> lines = {
        {QStringLiteral("today"), Text::tr("today"), totals.sum(today, today), today},
        {QStringLiteral("yesterday"), Text::tr("yesterday"), totals.sum(today.addDays(-1), today.addDays(-1)),
         today.addDays(-1)},
        {QStringLiteral("this_week"),
         Text::tr("this week (from %1)").arg(locale.toString(monday, QStringLiteral("ddd d MMM"))),
         totals.sum(monday, today), monday},
        {QStringLiteral("this_month"), locale.toString(today, QStringLiteral("MMMM yyyy")),
         totals.sum(monthStart, today), monthStart},
        {QStringLiteral("this_year"), QString::number(today.year()), totals.sum(yearStart, today), yearStart},
        {QStringLiteral("all_time"), Text::tr("all time (since %1)").arg(locale.toString(first, QLocale::ShortFormat)),
         totals.sum(first, today), first},
    };
    // The month at the pace so far, as the allowance estimates a month.
    const QDate monthEnd = monthStart.addMonths(1).addDays(-1);
    lines[3].extra[QStringLiteral("estimate")] = std::round(
        estimateAtEnd(double(lines[3].traffic.total()), monthStart, monthEnd, AllowanceInterval::Months, now));
    return lines;
}

// The allowance counts the adapter asked for, else the one the settings name, else all counted adapters.
int allowance(DbConnection& db, const ReportRequest& request, const QDateTime& now, QTextStream& out, QTextStream& err)
{
    const ReportRequest::Format format = request.format;
    SettingsStore store(db);
    QString error;
    if (!store.load(&error)) {
        err << Text::tr("zovodazad: the settings cannot be read: %1").arg(error) << '\n';
        return LogUnreadable;
    }
    const Settings& s = store.current();
    const QString adapter = request.adapter.isEmpty() ? s.allowanceadapter : request.adapter;
    LogTotals totals(db, adapter);
    if (!totals.read(&error)) {
        err << Text::tr("zovodazad: the traffic log cannot be read: %1").arg(error) << '\n';
        return LogUnreadable;
    }
    const QJsonValue adapterJson = adapter.isEmpty() ? QJsonValue() : QJsonValue(adapter);
    const QDate today = now.date();
    const AllowanceInterval interval = allowanceInterval(s.LogPeriodType);
    const QDate start = allowanceWindowStart(today, interval, s.LogPeriod, s.BillingDay);
    const QDate end = allowanceWindowEnd(today, interval, s.LogPeriod, s.BillingDay);
    if (!(s.MaxMbSize > 0) || s.LogPeriod < 0) {
        if (format == ReportRequest::Format::Json)
            out << QJsonDocument(QJsonObject {{QStringLiteral("jsonversion"), 1},
                                              {QStringLiteral("adapter"), adapterJson},
                                              {QStringLiteral("limit"), QJsonValue()},
                                              {QStringLiteral("state"), QStringLiteral("none")}})
                       .toJson(QJsonDocument::Compact)
                << '\n';
        else
            out << Text::tr("No volume allowance is set (Options, Volume Left).") << '\n';
        return 4;
    }
    // The same rows the tray program counts: those that start on or after the window's first day.
    const double used = double(totals.sum(start, today).total());
    const Remainder r = volumeLeft(s, now, used / BytesPerMB, 0);
    const double limit = s.MaxMbSize * BytesPerMB;
    const double left = limit - used;
    const double estimate = estimateAtEnd(used, start, end, interval, now);
    const double budget = dailyBudget(left, today, end);
    static const char* const States[] = {"none", "unknown", "green", "orange", "red", "used up"};
    const QString state = QLatin1String(States[int(r.band)]);
    if (format == ReportRequest::Format::Json) {
        out << QJsonDocument(QJsonObject {{QStringLiteral("jsonversion"), 1},
                                          {QStringLiteral("adapter"), adapterJson},
                                          {QStringLiteral("limit"), std::round(limit)},
                                          {QStringLiteral("used"), used},
                                          {QStringLiteral("left"), std::round(left)},
                                          {QStringLiteral("percent_left"), std::max(r.percentLeft, 0.0)},
                                          {QStringLiteral("window_start"), start.toString(Qt::ISODate)},
                                          {QStringLiteral("window_end"), end.toString(Qt::ISODate)},
                                          {QStringLiteral("state"), state},
                                          {QStringLiteral("estimate"), std::round(estimate)},
                                          {QStringLiteral("daily_budget"), std::round(budget)}})
                   .toJson(QJsonDocument::Compact)
            << '\n';
    } else if (format == ReportRequest::Format::Csv) {
        out << "limit,used,left,percent_left,window_start,window_end,state,estimate,daily_budget\n"
            << qint64(std::round(limit)) << ',' << qint64(used) << ',' << qint64(std::round(left)) << ','
            << QString::number(std::max(r.percentLeft, 0.0), 'f', 1) << ',' << start.toString(Qt::ISODate) << ','
            << end.toString(Qt::ISODate) << ',' << state << ',' << qint64(std::round(estimate)) << ','
            << qint64(std::round(budget)) << '\n';
    } else {
        const QLocale locale = QLocale::system();
        const auto day = [&locale](const QDate& d) { return locale.toString(d, QStringLiteral("d MMM yyyy")); };
        out << Text::tr("Volume allowance: %1 from %2 to %3").arg(octetsText(qint64(limit)), day(start), day(end))
            << (adapter.isEmpty() ? QString() : Text::tr(", on %1").arg(adapter)) << '\n'
            << Text::tr("used:      %1").arg(octetsText(qint64(used))) << '\n'
            << Text::tr("left:      %1 (%2 %), %3")
                   .arg(octetsText(qint64(left)), locale.toString(std::max(r.percentLeft, 0.0), 'f', 1),
                        QCoreApplication::translate("Status", States[int(r.band)]))
            << '\n';
        if (interval == AllowanceInterval::Months)
            out << Text::tr("at this pace, %1 by %2").arg(octetsText(qint64(estimate)), day(end)) << '\n';
        out << Text::tr("about %1 a day until %2").arg(octetsText(qint64(budget)), day(end)) << '\n';
    }
    switch (r.band) {
    case AllowanceBand::Green:
        return 0;
    case AllowanceBand::Orange:
        return 1;
    default:
        return 2;
    }
}

} // namespace

const QStringList& reportKinds()
{
    static const QStringList kinds
        = {QStringLiteral("summary"), QStringLiteral("hours"), QStringLiteral("days"), QStringLiteral("weeks"),
           QStringLiteral("months"),  QStringLiteral("years"), QStringLiteral("top"),  QStringLiteral("allowance")};
    return kinds;
}

QString octetsText(qint64 octets)
{
    static const char* const Units[] = {"B", "KiB", "MiB", "GiB", "TiB"};
    const QLocale locale = QLocale::system();
    if (std::llabs(octets) < 1024)
        return locale.toString(octets) + QStringLiteral(" B");
    double v = double(octets);
    int unit = 0;
    while (std::fabs(v) >= 1024 && unit < 4) {
        v /= 1024;
        ++unit;
    }
    return locale.toString(v, 'f', std::fabs(v) < 100 ? 2 : 1) + QLatin1Char(' ') + QLatin1String(Units[unit]);
}

int writeReport(DbConnection& db, const ReportRequest& r, const QDateTime& now, QTextStream& out, QTextStream& err)
{
    if (r.kind == QLatin1String("allowance"))
        return allowance(db, r, now, out, err);
    QString error;
    if (!r.adapter.isEmpty()) {
        // An adapter with no records is most likely a name mistyped: the ones there are are listed.
        QStringList known;
        if (!recordedAdapters(db, &known, &error)) {
            err << Text::tr("zovodazad: this traffic log has no per-adapter figures: %1").arg(error) << '\n';
            return LogUnreadable;
        }
        if (!known.contains(r.adapter)) {
            err << Text::tr("zovodazad: no traffic is recorded for adapter '%1'; adapters with records: %2")
                       .arg(r.adapter, known.isEmpty() ? Text::tr("none yet") : known.join(QStringLiteral(", ")))
                << '\n';
            return 2;
        }
    }
    LogTotals totals(db, r.adapter);
    if (!totals.read(&error)) {
        err << Text::tr("zovodazad: the traffic log cannot be read: %1").arg(error) << '\n';
        return LogUnreadable;
    }

    const Kind* kind = kindNamed(r.kind);
    QVector<Line> lines;
    if (!kind) {
        lines = summary(totals, now);
    } else if (r.kind == QLatin1String("hours")) {
        lines = hourLines(totals, r, now, &error);
        if (!error.isEmpty()) {
            err << Text::tr("zovodazad: the traffic log cannot be read: %1").arg(error) << '\n';
            return LogUnreadable;
        }
    } else {
        lines = periods(totals, r.kind);
        lines.erase(std::remove_if(lines.begin(), lines.end(),
                                   [&r](const Line& l) {
                                       return (r.begin.isValid() && l.first < r.begin)
                                           || (r.end.isValid() && l.first > r.end);
                                   }),
                    lines.end());
    }
    const int limit = r.limit > 0 ? r.limit : kind ? kind->limit : 0;
    if (limit > 0 && lines.size() > limit) {
        // The newest periods; the top days are the first ones.
        if (r.kind == QLatin1String("top"))
            lines.resize(limit);
        else
            lines.remove(0, lines.size() - limit);
    }

    if (r.format == ReportRequest::Format::Csv) {
        writeCsv(out, lines);
    } else if (r.format == ReportRequest::Format::Json) {
        QJsonObject doc {{QStringLiteral("jsonversion"), 1},
                         {QStringLiteral("adapter"), r.adapter.isEmpty() ? QJsonValue() : QJsonValue(r.adapter)}};
        if (!kind) {
            QJsonObject periodsJson;
            for (const Line& l : lines) {
                QJsonObject item = trafficJson(l.traffic);
                item[QStringLiteral("since")] = l.first.toString(Qt::ISODate);
                for (auto it = l.extra.begin(); it != l.extra.end(); ++it)
                    item[it.key()] = it.value();
                periodsJson[l.key] = item;
            }
            doc[QStringLiteral("summary")] = periodsJson;
        } else {
            QJsonArray items;
            for (const Line& l : lines) {
                QJsonObject item = trafficJson(l.traffic);
                item[QLatin1String(kind->itemKey)] = l.key;
                items.append(item);
            }
            doc[QLatin1String(kind->jsonKey)] = items;
        }
        out << QJsonDocument(doc).toJson(QJsonDocument::Compact) << '\n';
    } else {
        static const char* const Headings[]
            = {QT_TRANSLATE_NOOP("Report", "hour"), QT_TRANSLATE_NOOP("Report", "day"),
               QT_TRANSLATE_NOOP("Report", "week"), QT_TRANSLATE_NOOP("Report", "month"),
               QT_TRANSLATE_NOOP("Report", "year"), QT_TRANSLATE_NOOP("Report", "day")};
        writeTable(out, lines, kind ? Text::tr(Headings[kind - Kinds]) : QString());
    }
    return 0;
}
