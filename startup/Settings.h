#pragma once

#include "AdapterList.h"
#include "TrafficState.h"

#include <QObject>
#include <QString>

#include <optional>

class DbConnection;

// The live values of the settings that the options dialog edits. The dialog shows and edits this record;
// the sampler reads `kilobit`, `whatsleft` and the adapter selection from it at every tick.
class SettingsRecord : public QObject
{
    Q_OBJECT
public:
    // Check-box values: 0 unchecked, 1 checked, 2 grey.
    int AutoReset = 0;
    int kilobit = 0;
    int whatsleft = 0;
    // Text of the export path box; starts as the default file in the user's home directory.
    QString ExportFolder;
    // Texts of the allowance boxes and the selected period type.
    QString TxtMaxMB = QStringLiteral("0");
    QString Txtperiod = QStringLiteral("0");
    int cboPeriodType = 0;
    // The billing day the dialog shows, 1 to 31.
    int BillingDay = 1;
    // Desktop notifications when the allowance's remainder turns orange, red or runs out; read at every check.
    int notifyleft = 1;

    AdapterList adapters;

    SettingsRecord();
    static QString defaultExportPath();

    // Tells the views of this record that values were replaced from outside them.
    void announceChanged() { Q_EMIT changed(); }

Q_SIGNALS:
    void changed();
};

// Numbers in table `settings` are stored the same way under every locale: plain digits, "." as the decimal point,
// no grouping. Reading takes that form first and the user's own format, which earlier versions wrote, after it.
QString storedNumber(double value);
// A whole number from lo to hi, rounded. Whole values are stored as bare digits, so text with a separator in it
// comes from an earlier version and is read in the user's format first: "2.000" under German settings is 2000.
std::optional<qint64> readStoredWhole(const QString& text, qint64 lo, qint64 hi);

// Loads table `settings` into the record and the three settings variables. Keys match exactly, letter case
// included; a later row wins; a value that does not convert is ignored and the default kept.
bool loadSettings(DbConnection& db, SettingsRecord& record, SettingsVars& vars, QString* error = nullptr);
