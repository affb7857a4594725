#include "Settings.h"
#include "TempDatabase.h"

#include <QLocale>
#include <QSignalSpy>
#include <QTest>

class TestSettings : public QObject
{
    Q_OBJECT

private:
    void add(TempDatabase& t, const QString& name, const QString& value)
    {
        t.exec(QStringLiteral("INSERT INTO settings (settingname, Settingvalue) VALUES (?, ?)"), {name, value});
    }

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void emptyTableKeepsDefaults()
    {
        TempDatabase t;
        SettingsRecord rec;
        SettingsVars vars;
        vars.MaxMbSize = 1; // must be left alone: nothing to load
        QSignalSpy changed(&rec, &SettingsRecord::changed);
        QVERIFY(loadSettings(t.db, rec, vars));
        QCOMPARE(rec.AutoReset, 0);
        QCOMPARE(rec.kilobit, 0);
        QCOMPARE(rec.whatsleft, 0);
        QCOMPARE(rec.TxtMaxMB, QString("0"));
        QCOMPARE(rec.Txtperiod, QString("0"));
        QCOMPARE(rec.cboPeriodType, 0);
        QCOMPARE(rec.ExportFolder, SettingsRecord::defaultExportPath());
        QCOMPARE(vars.MaxMbSize, 1.0);
        QCOMPARE(changed.count(), 1);
    }

    void everyKeyConverts()
    {
        TempDatabase t;
        add(t, "AutoReset", "1");
        add(t, "kilobit", "2");
        add(t, "whatsleft", "1");
        add(t, "ExportFolder", "/tmp/it's here.csv");
        add(t, "maxmbsize", "5,000");
        add(t, "logperiodtype", "2");
        add(t, "logperiod", "12");
        add(t, "Adapter3", "eth0");
        SettingsRecord rec;
        SettingsVars vars;
        QVERIFY(loadSettings(t.db, rec, vars));
        QCOMPARE(rec.AutoReset, 1);
        QCOMPARE(rec.kilobit, 2);
        QCOMPARE(rec.whatsleft, 1);
        QCOMPARE(rec.ExportFolder, QString("/tmp/it's here.csv"));
        QCOMPARE(vars.MaxMbSize, 5000.0);
        QCOMPARE(rec.TxtMaxMB, QString("5000"));
        QCOMPARE(vars.LogPeriodType, 2);
        QCOMPARE(rec.cboPeriodType, 2);
        QCOMPARE(vars.LogPeriod, 12);
        QCOMPARE(rec.Txtperiod, QString("12"));
        QCOMPARE(rec.adapters.count(), 0);
    }

    void laterRowWinsAndCaseMatters()
    {
        TempDatabase t;
        add(t, "maxmbsize", "250");
        add(t, "maxmbsize", "250.5");
        add(t, "autoreset", "1");
        add(t, "WHATSLEFT", "1");
        SettingsRecord rec;
        SettingsVars vars;
        QVERIFY(loadSettings(t.db, rec, vars));
        QCOMPARE(vars.MaxMbSize, 250.5);
        QCOMPARE(rec.TxtMaxMB, QString("250.5"));
        QCOMPARE(rec.AutoReset, 0);
        QCOMPARE(rec.whatsleft, 0);
    }

    void valuesThatDoNotConvertAreIgnored()
    {
        TempDatabase t;
        add(t, "kilobit", "1");
        add(t, "kilobit", "yes"); // not a number: the earlier value stays
        add(t, "whatsleft", "7"); // not a check-box state
        add(t, "maxmbsize", "lots");
        add(t, "logperiodtype", "3");
        add(t, "logperiod", "99999999999");
        t.exec("INSERT INTO settings (settingname, Settingvalue) VALUES ('AutoReset', NULL)");
        SettingsRecord rec;
        SettingsVars vars;
        QVERIFY(loadSettings(t.db, rec, vars));
        QCOMPARE(rec.kilobit, 1);
        QCOMPARE(rec.whatsleft, 0);
        QCOMPARE(rec.AutoReset, 0);
        QCOMPARE(vars.MaxMbSize, 0.0);
        QCOMPARE(rec.TxtMaxMB, QString("0"));
        QCOMPARE(vars.LogPeriodType, 0);
        QCOMPARE(vars.LogPeriod, 0);
    }

    void missingTableIsReported()
    {
        TempDatabase t;
        t.exec("DROP TABLE settings");
        SettingsRecord rec;
        SettingsVars vars;
        QString error;
        QVERIFY(!loadSettings(t.db, rec, vars, &error));
        QVERIFY(error.contains("settings"));
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
