#include "Settings.h"

#include "Db.h"

#include <QDir>
#include <QLocale>
#include <cmath>
#include <optional>

SettingsRecord::SettingsRecord()
    : ExportFolder(defaultExportPath())
{
}

QString SettingsRecord::defaultExportPath()
{
    return QDir::home().filePath(QStringLiteral("Zovodazad.csv"));
}

namespace {

// Whole numbers above 2^53 would not survive the way through a double.
constexpr qint64 MaxStoredWhole = qint64(1) << 53;

QLocale plainLocale()
{
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    return c;
}

// What the options dialog shows: the user's format, without grouping.
QString shownNumber(double v)
{
    QLocale loc;
    loc.setNumberOptions(QLocale::OmitGroupSeparator);
    // Fixed notation: 100000 must read 100000, not 1E+05.
    return loc.toString(v, 'f', QLocale::FloatingPointShortest);
}

void applyCheck(int& box, const QString& value)
{
    if (const auto v = readStoredWhole(value, 0, 2))
        box = static_cast<int>(*v);
}

} // namespace

QString storedNumber(double value)
{
    return plainLocale().toString(value, 'f', QLocale::FloatingPointShortest);
}

std::optional<qint64> readStoredWhole(const QString& text, qint64 lo, qint64 hi)
{
    const QString t = text.trimmed();
    bool ok = false;
    double v = 0;
    if (const qint64 digits = t.toLongLong(&ok); ok) {
        v = double(digits);
    } else {
        v = QLocale().toDouble(t, &ok);
        if (!ok)
            v = plainLocale().toDouble(t, &ok);
    }
    const double r = std::nearbyint(v);
    if (!ok || !std::isfinite(r) || r < static_cast<double>(lo) || r > static_cast<double>(hi))
        return std::nullopt;
    return static_cast<qint64>(r);
}

bool loadSettings(DbConnection& db, SettingsRecord& record, SettingsVars& vars, QString* error)
{
    DbRecordset rs;
    if (!rs.open(db, QStringLiteral("select * from settings order by rowid;"))) {
        if (error)
            *error = rs.lastError();
        return false;
    }
    for (; !rs.atEnd(); rs.moveNext()) {
        const QString name = rs.field(QStringLiteral("settingname")).toString();
        const QString value = rs.field(QStringLiteral("Settingvalue")).toString();
        if (name == QLatin1String("AutoReset")) {
            applyCheck(record.AutoReset, value);
        } else if (name == QLatin1String("ExportFolder")) {
            record.ExportFolder = value;
        } else if (name == QLatin1String("kilobit")) {
            applyCheck(record.kilobit, value);
        } else if (name == QLatin1String("whatsleft")) {
            applyCheck(record.whatsleft, value);
        } else if (name == QLatin1String("maxmbsize")) {
            // The dialog accepts whole megabytes only.
            if (const auto v = readStoredWhole(value, 0, MaxStoredWhole)) {
                vars.MaxMbSize = double(*v);
                record.TxtMaxMB = shownNumber(*v);
            }
        } else if (name == QLatin1String("logperiodtype")) {
            // Only the three period types the dialog can show are accepted.
            if (const auto v = readStoredWhole(value, 0, 2)) {
                vars.LogPeriodType = static_cast<qint32>(*v);
                record.cboPeriodType = static_cast<int>(*v);
            }
        } else if (name == QLatin1String("billingday")) {
            if (const auto v = readStoredWhole(value, 1, 31)) {
                vars.BillingDay = static_cast<qint32>(*v);
                record.BillingDay = static_cast<int>(*v);
            }
        } else if (name == QLatin1String("notifyleft")) {
            applyCheck(record.notifyleft, value);
        } else if (name == QLatin1String("logperiod")) {
            if (const auto v
                = readStoredWhole(value, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max())) {
                vars.LogPeriod = static_cast<qint32>(*v);
                record.Txtperiod = QString::number(vars.LogPeriod);
            }
        }
    }
    rs.close();
    record.announceChanged();
    return true;
}
