#include "Settings.h"

#include "Db.h"

#include <QCoreApplication>
#include <QDir>
#include <QLocale>

#include <cmath>

namespace {

constexpr qint64 MaxPosition = 1000000;

// The settings the options dialog stores, in the order OK stores them, with the range a stored value must lie in:
// what the dialog can store (a value it refuses it stores as 0). All are whole numbers; the one without a field is
// the allowance in megabytes, held in a double.
struct NumberKey
{
    const char* name;
    int Settings::*field;
    qint64 lo;
    qint64 hi;
};
constexpr NumberKey NumberKeys[] = {
    {"AutoReset", &Settings::AutoReset, 0, 2},
    {"kilobit", &Settings::kilobit, 0, 2},
    {"whatsleft", &Settings::whatsleft, 0, 2},
    {"logperiod", &Settings::LogPeriod, 0, 365},
    // Only the three period types the dialog can show.
    {"logperiodtype", &Settings::LogPeriodType, 0, 2},
    // The dialog accepts whole megabytes only.
    {"maxmbsize", nullptr, 0, 5119999},
    {"billingday", &Settings::BillingDay, 1, 31},
    {"notifyleft", &Settings::notifyleft, 0, 2},
    {"graphcolours", &Settings::graphcolours, 0, 2},
    {"trayicon", &Settings::trayicon, 0, 2},
};

QString storedValue(const Settings& s, const NumberKey& key)
{
    return key.field ? QString::number(s.*key.field) : storedNumber(s.MaxMbSize);
}

void setValue(Settings& s, const NumberKey& key, qint64 value)
{
    if (key.field)
        s.*key.field = static_cast<int>(value);
    else
        s.MaxMbSize = static_cast<double>(value);
}

void copyValue(Settings& to, const Settings& from, const NumberKey& key)
{
    if (key.field)
        to.*key.field = from.*key.field;
    else
        to.MaxMbSize = from.MaxMbSize;
}
const QString ExportFolderKey = QStringLiteral("ExportFolder");
const QString AllowanceAdapterKey = QStringLiteral("allowanceadapter");
const QString StatsAdapterKey = QStringLiteral("statsadapter");
const QString PositionKeys[2] = {QStringLiteral("monitorleft"), QStringLiteral("monitortop")};
const QString AdapterPrefix = QStringLiteral("Adapter");

const QString InsertSql = QStringLiteral("INSERT INTO settings(Settingname,Settingvalue) values(?, ?);");

QLocale plainLocale()
{
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    return c;
}

} // namespace

QString Settings::defaultExportPath()
{
    return QDir::home().filePath(QStringLiteral("Zovodazad.csv"));
}

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

SettingsStore::SettingsStore(DbConnection& db, QObject* parent)
    : QObject(parent)
    , m_db(db)
{
}

bool SettingsStore::load(QString* error)
{
    DbRecordset rs;
    if (!rs.open(m_db, QStringLiteral("select settingname, Settingvalue from settings order by rowid;"))) {
        if (error)
            *error = rs.lastError();
        return false;
    }
    Settings s;
    StoredAdapters adapters;
    std::optional<qint64> position[2];
    for (; !rs.atEnd(); rs.moveNext()) {
        const QString name = rs.field(QStringLiteral("settingname")).toString();
        const QString value = rs.field(QStringLiteral("Settingvalue")).toString();
        for (const NumberKey& key : NumberKeys) {
            if (name == QLatin1String(key.name)) {
                if (const auto v = readStoredWhole(value, key.lo, key.hi))
                    setValue(s, key, *v);
            }
        }
        if (name == ExportFolderKey) {
            s.ExportFolder = value;
        } else if (name == AllowanceAdapterKey) {
            s.allowanceadapter = value;
        } else if (name == StatsAdapterKey) {
            s.statsadapter = value;
        } else if (name == PositionKeys[0] || name == PositionKeys[1]) {
            position[name == PositionKeys[1]] = readStoredWhole(value, -MaxPosition, MaxPosition);
        } else if (name.startsWith(AdapterPrefix)) {
            adapters.any = true;
            bool isPosition = false;
            const int k = name.mid(AdapterPrefix.size()).toInt(&isPosition);
            if (!value.isEmpty())
                adapters.names.insert(value);
            else if (isPosition)
                adapters.positions.insert(k);
        }
    }
    rs.close();
    if (position[0] && position[1])
        s.monitorPosition = QPoint(int(*position[0]), int(*position[1]));
    m_current = s;
    m_stored = s;
    m_storedAdapters = adapters;
    Q_EMIT changed();
    return true;
}

void SettingsStore::setLive(int Settings::*box, int value)
{
    if (m_current.*box == value)
        return;
    m_current.*box = value;
    Q_EMIT changed();
}

// A setting is replaced by a delete of its key and an insert of the new row, as one transaction, so a failure
// leaves the old row in place instead of losing the setting.
bool SettingsStore::replace(const QString& key, const QString& value, QString* error)
{
    DbCommand command;
    command.bind(m_db);
    const bool ok = m_db.transaction([&] {
        return command.execute(QStringLiteral("Delete from settings where settingname = ? collate nocase;"), {key})
            && command.execute(InsertSql, {key, value});
    });
    if (!ok && error && error->isEmpty())
        *error = m_db.lastError();
    return ok;
}

// One row per selected entry, named by the entry's position in the list and holding its interface name.
bool SettingsStore::replaceAdapterRows(QString* error)
{
    DbCommand command;
    command.bind(m_db);
    StoredAdapters stored;
    const bool ok = m_db.transaction([&] {
        if (!command.execute(QStringLiteral("Delete from settings where settingname like ?;"), {AdapterPrefix + '%'}))
            return false;
        for (int i = 0; i < m_adapters.count(); ++i) {
            if (!m_adapters.isSelected(i))
                continue;
            stored.any = true;
            stored.names.insert(m_adapters.text(i));
            if (!command.execute(InsertSql, {AdapterPrefix + QString::number(i), m_adapters.text(i)}))
                return false;
        }
        return true;
    });
    if (ok)
        m_storedAdapters = stored;
    else if (error && error->isEmpty())
        *error = m_db.lastError();
    return ok;
}

QStringList SettingsStore::save(const Settings& values, QString* error)
{
    QStringList unsaved;
    if (!replaceAdapterRows(error))
        unsaved.append(QCoreApplication::translate("SettingsStore", "Adapter rows"));
    for (const NumberKey& key : NumberKeys) {
        const QString name = QLatin1String(key.name);
        if (replace(name, storedValue(values, key), error))
            copyValue(m_stored, values, key);
        else
            unsaved.append(name);
    }
    if (replace(AllowanceAdapterKey, values.allowanceadapter, error))
        m_stored.allowanceadapter = values.allowanceadapter;
    else
        unsaved.append(AllowanceAdapterKey);
    // The export path, the window's position and the statistics window's adapter are not the dialog's: they are
    // stored where they change.
    const Settings kept = m_current;
    m_current = values;
    m_current.ExportFolder = kept.ExportFolder;
    m_current.monitorPosition = kept.monitorPosition;
    m_current.statsadapter = kept.statsadapter;
    Q_EMIT changed();
    return unsaved;
}

// A text stored where it changes, in force even when the table refuses it.
bool SettingsStore::saveText(const QString& key, QString Settings::*field, const QString& value, QString* error)
{
    m_current.*field = value;
    if (!replace(key, value, error))
        return false;
    m_stored.*field = value;
    return true;
}

bool SettingsStore::saveExportPath(const QString& path, QString* error)
{
    return saveText(ExportFolderKey, &Settings::ExportFolder, path, error);
}

bool SettingsStore::saveStatsAdapter(const QString& name, QString* error)
{
    return saveText(StatsAdapterKey, &Settings::statsadapter, name, error);
}

bool SettingsStore::saveMonitorPosition(const QPoint& position, QString* error)
{
    m_current.monitorPosition = position;
    DbCommand command;
    command.bind(m_db);
    const int xy[2] = {position.x(), position.y()};
    const bool ok = m_db.transaction([&] {
        for (int i : {0, 1}) {
            if (!command.execute(QStringLiteral("Delete from settings where settingname = ? collate nocase;"),
                                 {PositionKeys[i]})
                || !command.execute(InsertSql, {PositionKeys[i], storedNumber(xy[i])}))
                return false;
        }
        return true;
    });
    if (!ok) {
        if (error)
            *error = m_db.lastError();
        return false;
    }
    m_stored.monitorPosition = position;
    return true;
}
