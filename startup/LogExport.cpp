#include "LogExport.h"

#include "Currency.h"
#include "Db.h"

#include <QDate>
#include <QIODevice>

#include <cmath>

namespace {

QString withHundredths(const QString& whole, qint64 hundredths)
{
    return whole + QLatin1Char('.') + QStringLiteral("%1").arg(hundredths, 2, 10, QLatin1Char('0'));
}

QString periodText(const QVariant& ddate, bool perDay)
{
    const QString text = ddate.toString();
    if (!perDay)
        return text;
    const QDate day = QDate::fromString(text.left(10), Qt::ISODate);
    return day.isValid() ? day.toString(QStringLiteral("yyyyMMdd")) : text;
}

} // namespace

QString csvNumber(const QVariant& value)
{
    if (value.isNull())
        return QStringLiteral(".");
    const double v = value.toDouble();
    // A negative value keeps its sign in front of the same digits a positive one would get.
    const double a = std::fabs(v);
    const double whole = std::trunc(a);
    const auto hundredths = static_cast<qint64>(std::trunc((a - whole) * 100));
    return (v < 0 ? QStringLiteral("-") : QString()) + withHundredths(QString::number(whole, 'f', 0), hundredths);
}

QString csvFixedPoint(const QVariant& value)
{
    if (value.isNull())
        return QStringLiteral(".");
    const qint64 units = Currency::fromDouble(value.toDouble()).units();
    const quint64 a = units < 0 ? 0 - static_cast<quint64>(units) : static_cast<quint64>(units);
    const quint64 scale = Currency::Scale;
    return (units < 0 ? QStringLiteral("-") : QString())
        + withHundredths(QString::number(a / scale), static_cast<qint64>(a % scale / 100));
}

QString exportQuery(int view, bool oneAdapter)
{
    static const char* const Views[] = {"DownloadPerday", "DownloadPerWeek", "DownloadPerMonth", "DownloadPerYear"};
    static const char* const AdapterViews[] = {"AdapterPerday", "AdapterPerWeek", "AdapterPerMonth", "AdapterPerYear"};
    const int k = qBound(0, view, 3);
    if (oneAdapter)
        return QStringLiteral(
                   "select ddate, kbdown, kbup, null as avgdown from %1 where adapter = ? order by ddate desc")
            .arg(QLatin1String(AdapterViews[k]));
    return QStringLiteral("select * from %1 order by ddate desc").arg(QLatin1String(Views[k]));
}

bool writeCsv(QIODevice& out, DbRecordset& rs, bool perDay)
{
    auto put = [&out](const QString& line) {
        const QByteArray bytes = line.toUtf8() + "\r\n";
        return out.write(bytes) == bytes.size();
    };
    if (!put(QStringLiteral("Period,KBDown,KBUp,AvgSpeed")))
        return false;
    for (; !rs.atEnd(); rs.moveNext()) {
        const QString line = periodText(rs.field(QStringLiteral("ddate")), perDay) + QLatin1Char(',')
            + csvNumber(rs.field(QStringLiteral("kbdown"))) + QLatin1Char(',')
            + csvNumber(rs.field(QStringLiteral("kbup"))) + QLatin1Char(',')
            + csvFixedPoint(rs.field(QStringLiteral("avgdown")));
        if (!put(line))
            return false;
    }
    return true;
}

bool writeLogView(DbConnection& db, QIODevice& out, int view, const QString& adapter, QString* error)
{
    DbRecordset rs;
    const bool oneAdapter = !adapter.isEmpty();
    if (!rs.open(db, exportQuery(view, oneAdapter), oneAdapter ? QVariantList {adapter} : QVariantList {})) {
        if (error)
            *error = rs.lastError();
        return false;
    }
    if (!writeCsv(out, rs, view == 0)) {
        if (error)
            *error = out.errorString();
        return false;
    }
    return true;
}

bool recordedAdapters(DbConnection& db, QStringList* into, QString* error)
{
    DbRecordset rs;
    if (!rs.open(db, QStringLiteral("select distinct adapter from log_adapter_day order by 1"))) {
        if (error)
            *error = rs.lastError();
        return false;
    }
    for (; !rs.atEnd(); rs.moveNext())
        into->append(rs.field(QStringLiteral("adapter")).toString());
    return true;
}

bool clearLog(DbConnection& db, const QDateTime& now, QString* error)
{
    DbCommand command;
    command.bind(db);
    // Every statement is tried even when one before failed. Records a VACUUM parted from their rows go too.
    bool ok = command.execute(QStringLiteral("Delete from log;"));
    ok = command.execute(QStringLiteral("Delete from log_adapter;")) && ok;
    ok = command.execute(QStringLiteral("INSERT INTO Log values(?, ?, 0, 0, 0);"), {dbDateTime(now), dbDateTime(now)})
        && ok;
    if (!ok && error)
        *error = db.lastError();
    return ok;
}
