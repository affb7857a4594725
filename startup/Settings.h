#pragma once

#include "AdapterList.h"

#include <QObject>
#include <QPoint>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

class DbConnection;

// Every value of table `settings`, typed. The keys are listed once, in Settings.cpp.
struct Settings
{
    // Check boxes: 0 unchecked, 1 checked, 2 grey.
    int AutoReset = 0;
    int kilobit = 0;
    int whatsleft = 0;
    // Desktop notifications when the allowance's remainder turns orange, red or runs out.
    int notifyleft = 1;
    // The graphs in blue and orange, which a red-green colour-blind user tells apart, instead of green and red.
    int graphcolours = 0;
    // The notification icon: the still picture (0), a graph of the last seconds (1), the download rate (2).
    int trayicon = 0;
    // The CSV export's file.
    QString ExportFolder = defaultExportPath();
    // The volume allowance: MaxMbSize megabytes over the last LogPeriod days (LogPeriodType 0), weeks (1) or months
    // (2), months starting on BillingDay (1 to 31).
    double MaxMbSize = 0;
    qint32 LogPeriod = 0;
    qint32 LogPeriodType = 0;
    qint32 BillingDay = 1;
    // The one adapter the allowance counts, by name; empty for all counted adapters.
    QString allowanceadapter;
    // The adapter the statistics window was last left showing; empty for all counted adapters.
    QString statsadapter;
    // Where the user last left the monitor window, in screen pixels.
    std::optional<QPoint> monitorPosition;

    static QString defaultExportPath();
};

// The adapters the `Adapter<k>` rows select: by the interface name they hold, or, for rows that hold none, by
// position k in the interface list.
struct StoredAdapters
{
    bool any = false; // no rows at all: the hardware adapters are counted
    QSet<QString> names;
    QSet<int> positions;
};

// The one home of the settings: loaded from table `settings` at start-up, read by everything that needs a value,
// and the only writer of the table. Every value bound, never spliced into SQL.
class SettingsStore : public QObject
{
    Q_OBJECT
public:
    explicit SettingsStore(DbConnection& db, QObject* parent = nullptr);

    // Loads the table. Keys match exactly, letter case included; a later row wins; a value that does not convert,
    // or lies outside its range, is ignored and the default kept. False with the database's error.
    bool load(QString* error = nullptr);

    // The values in force: as stored, except for the options dialog's check boxes, which act before OK stores them.
    const Settings& current() const { return m_current; }
    // The values as the table holds them.
    const Settings& stored() const { return m_stored; }
    const StoredAdapters& storedAdapters() const { return m_storedAdapters; }
    // The interface list and the live selection of the adapters that are counted.
    AdapterList& adapters() { return m_adapters; }
    const AdapterList& adapters() const { return m_adapters; }

    // A check box of the options dialog, in force at once and stored only by save().
    void setLive(int Settings::*box, int value);

    // Stores every value and the adapters selected now. The values are in force even where the table refused
    // them; the keys that could not be stored are returned, with the database's error.
    QStringList save(const Settings& values, QString* error);
    bool saveExportPath(const QString& path, QString* error = nullptr);
    bool saveStatsAdapter(const QString& name, QString* error = nullptr);
    bool saveMonitorPosition(const QPoint& position, QString* error = nullptr);

Q_SIGNALS:
    // The values in force changed.
    void changed();

private:
    bool replace(const QString& key, const QString& value, QString* error);
    bool saveText(const QString& key, QString Settings::*field, const QString& value, QString* error);
    bool replaceAdapterRows(QString* error);

    DbConnection& m_db;
    Settings m_current;
    Settings m_stored;
    StoredAdapters m_storedAdapters;
    AdapterList m_adapters;
};

// Numbers in table `settings` are stored the same way under every locale: plain digits, "." as the decimal point,
// no grouping. Reading takes that form first and the user's own format, which earlier versions wrote, after it.
QString storedNumber(double value);
// A whole number from lo to hi, rounded. Whole values are stored as bare digits, so text with a separator in it
// comes from an earlier version and is read in the user's format first: "2.000" under German settings is 2000.
std::optional<qint64> readStoredWhole(const QString& text, qint64 lo, qint64 hi);
