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

// Values are written in the user's number format; read them back the same way, and accept the plain
// C form too so that a file moved between locales still loads.
std::optional<double> toNumber(const QString& text)
{
    const QString t = text.trimmed();
    bool ok = false;
    double v = QLocale().toDouble(t, &ok);
    if (!ok)
        v = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<qint64> toWhole(const QString& text, qint64 lo, qint64 hi)
{
    const auto v = toNumber(text);
    if (!v)
        return std::nullopt;
    const double r = std::nearbyint(*v);
    if (r < static_cast<double>(lo) || r > static_cast<double>(hi))
        return std::nullopt;
    return static_cast<qint64>(r);
}

QString plainNumber(double v)
{
    QLocale loc;
    loc.setNumberOptions(QLocale::OmitGroupSeparator);
    // Fixed notation: 100000 must read 100000, not 1E+05.
    return loc.toString(v, 'f', QLocale::FloatingPointShortest);
}

void applyCheck(int& box, const QString& value)
{
    if (const auto v = toWhole(value, 0, 2))
        box = static_cast<int>(*v);
}

} // namespace

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
            if (const auto v = toNumber(value)) {
                vars.MaxMbSize = *v;
                record.TxtMaxMB = plainNumber(*v);
            }
        } else if (name == QLatin1String("logperiodtype")) {
            // Only the three period types the dialog can show are accepted.
            if (const auto v = toWhole(value, 0, 2)) {
                vars.LogPeriodType = static_cast<qint32>(*v);
                record.cboPeriodType = static_cast<int>(*v);
            }
        } else if (name == QLatin1String("billingday")) {
            if (const auto v = toWhole(value, 1, 31)) {
                vars.BillingDay = static_cast<qint32>(*v);
                record.BillingDay = static_cast<int>(*v);
            }
        } else if (name == QLatin1String("notifyleft")) {
            applyCheck(record.notifyleft, value);
        } else if (name == QLatin1String("logperiod")) {
            if (const auto v = toWhole(value, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max())) {
                vars.LogPeriod = static_cast<qint32>(*v);
                record.Txtperiod = QString::number(vars.LogPeriod);
            }
        }
    }
    rs.close();
    record.announceChanged();
    return true;
}
