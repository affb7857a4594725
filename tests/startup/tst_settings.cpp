#include "Settings.h"
#include "TempDatabase.h"

#include <QLocale>
#include <QSignalSpy>
#include <QTest>

class TestSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void load()
    {
        const QString home = Settings::defaultExportPath();
        // Earlier versions stored the boxes' text, grouped in the user's format; a whole number never has a decimal
        // point, so the separator is read the user's way. Values that do not convert are ignored.
        // {locale, the rows as name=value in table order, AutoReset|kilobit|whatsleft|MaxMbSize|LogPeriodType|
        // LogPeriod|BillingDay|notifyleft|monitor position|ExportFolder}
        const std::tuple<const char*, QStringList, QString> cases[] = {
            {"en_US", {}, "0|0|0|0|0|0|1|1|-|" + home},
            {"en_US",
             {"AutoReset=1", "kilobit=2", "whatsleft=1", "ExportFolder=/tmp/it's here.csv", "maxmbsize=5000",
              "logperiodtype=2", "logperiod=12", "Adapter3=eth0", "billingday=17", "notifyleft=0", "monitorleft=-20",
              "monitortop=300"},
             "1|2|1|5000|2|12|17|0|-20,300|/tmp/it's here.csv"},
            {"fr_FR", {QString::fromUtf8("maxmbsize=2\u202f000"), "logperiod=12,4"}, "0|0|0|2000|0|12|1|1|-|" + home},
            {"en_US",
             {"kilobit=1", "kilobit=yes", "whatsleft=7", "maxmbsize=lots", "logperiodtype=3", "logperiod=99999999999",
              "logperiod=-3", "billingday=0", "billingday=32", "notifyleft=5", "maxmbsize=5120000"},
             "0|1|0|0|0|0|1|1|-|" + home},
        };
        for (const auto& [locale, rows, expected] : cases) {
            QLocale::setDefault(QLocale(locale));
            TempDatabase t;
            for (const QString& row : rows)
                t.exec("INSERT INTO settings (settingname, Settingvalue) VALUES (?, ?)",
                       {row.section('=', 0, 0), row.section('=', 1)});
            SettingsStore store(t.db);
            QSignalSpy changed(&store, &SettingsStore::changed);
            QVERIFY(store.load());
            const Settings& v = store.current();
            const QString position
                = v.monitorPosition ? QString("%1,%2").arg(v.monitorPosition->x()).arg(v.monitorPosition->y()) : "-";
            const QString got
                = QStringList({QString::number(v.AutoReset), QString::number(v.kilobit), QString::number(v.whatsleft),
                               QString::number(v.MaxMbSize), QString::number(v.LogPeriodType),
                               QString::number(v.LogPeriod), QString::number(v.BillingDay),
                               QString::number(v.notifyleft), position, v.ExportFolder})
                      .join('|');
            QCOMPARE(got, expected);
            QCOMPARE(changed.count(), 1);
        }
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
