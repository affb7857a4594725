#include "Clock.h"
#include "FolderPicker.h"
#include "FrmOptions.h"
#include "MessageBox.h"
#include "Settings.h"
#include "TempDatabase.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <memory>

namespace {

struct Fixture
{
    TempDatabase t;
    DbCommand command;
    SettingsRecord rec;
    SettingsVars vars;
    TrafficState traffic;
    FakeClock clock {QDateTime(QDate(2002, 11, 27), QTime(12, 0))};
    FakeMessageBoxes boxes;
    FakeFolderPicker folders;
    QVector<bool> heights;
    std::unique_ptr<FrmOptions> dlg;

    Fixture()
    {
        command.bind(t.db);
        dlg = std::make_unique<FrmOptions>(
            FrmOptions::Services {t.db, command, rec, vars, traffic, clock, boxes, folders},
            [this](bool whatsleft) { heights.append(whatsleft); });
        dlg->show();
    }

    template<class W> W* get(const char* name)
    {
        W* w = dlg->findChild<W*>(QLatin1String(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    QLineEdit* edit(const char* name) { return get<QLineEdit>(name); }
    // The user opens the dialog again when OK has hidden it.
    void click(const char* name)
    {
        dlg->show();
        QTest::mouseClick(get<QPushButton>(name), Qt::LeftButton);
    }
    void leave(QLineEdit* box)
    {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QCoreApplication::sendEvent(box, &out);
    }
    QString setting(const QString& name)
    {
        return t.scalar("select Settingvalue from settings where settingname = ?", {name}).toString();
    }
    QStringList adapterRows()
    {
        QStringList rows;
        QSqlQuery q(t.db.database());
        q.exec("select settingname || '=' || Settingvalue from settings where settingname like 'Adapter%' "
               "order by settingname");
        while (q.next())
            rows.append(q.value(0).toString());
        return rows;
    }
    void page(const QString& caption)
    {
        auto* tabs = get<QTabBar>("TbPages");
        for (int i = 0; i < tabs->count(); ++i) {
            if (tabs->tabText(i) == caption)
                tabs->setCurrentIndex(i);
        }
    }
};

} // namespace

class TestFrmOptions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void windowShape()
    {
        Fixture f;
        QCOMPARE(f.dlg->windowTitle(), QString("Options."));
        QVERIFY(!(f.dlg->windowFlags() & (Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint)));
        const double dpi = f.dlg->logicalDpiX();
        QCOMPARE(f.dlg->width(), qRound(5280 * dpi / 1440));
        QCOMPARE(f.dlg->minimumSize(), f.dlg->maximumSize());
        f.dlg->close();
        QTest::keyClick(f.dlg.get(), Qt::Key_Escape);
        QVERIFY(f.dlg->isVisible());
        QCOMPARE(f.dlg->twipRect("LblStartdate"), QRectF(1200, 2160, 2895, 375));
        QCOMPARE(f.get<QLabel>("LblStartdate")->geometry().left(), qRound(1200 * dpi / 1440));
    }

    void validation_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        const char* const cases[][3] = {
            {"TxtMaxMB", "5119999", "5,119,999"},
            {"TxtMaxMB", "5120000", "0"},
            {"TxtMaxMB", "0", "0"},
            {"TxtMaxMB", "-3", "0"},
            {"TxtMaxMB", "abc", "0"},
            {"TxtMaxMB", "99999999999", "0"},
            {"TxtMaxMB", "12.4", "12"},
            {"Txtperiod", "365", "365"},
            {"Txtperiod", "366", "0"},
            {"Txtperiod", "", "0"},
        };
        for (const auto& c : cases)
            QTest::addRow("%s '%s'", c[0], c[1]) << c[0] << c[1] << c[2];
    }

    void validation()
    {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        Fixture f;
        f.edit("TxtMaxMB")->setText("1000");
        f.leave(f.edit("TxtMaxMB"));
        QLineEdit* edit = f.edit(qPrintable(box));
        edit->setText(typed);
        f.leave(edit);
        QCOMPARE(edit->text(), shown);
        QCOMPARE(box == "TxtMaxMB" ? f.rec.TxtMaxMB : f.rec.Txtperiod, shown);
        // The preview follows the checked text: an allowance of 0 shows nothing.
        const bool noAllowance = box == "TxtMaxMB" && shown == "0";
        QCOMPARE(f.get<QLabel>("lblpreview")->text().isEmpty(), noAllowance);
    }

    void okChecksAndSavesEverything()
    {
        Fixture f;
        f.t.exec("INSERT INTO settings VALUES ('Adapter5', 'gone'), ('maxmbsize', '1'), ('maxmbsize', '2')");
        for (const char* name : {"lo", "it's \"eth0\" 100%", "Wi-Fi Ä"})
            f.rec.adapters.append(QString::fromUtf8(name));
        f.rec.adapters.setSelected(0, true);
        f.rec.adapters.setSelected(2, true);
        QVERIFY(f.get<QListView>("LstAdapters")->selectionModel()->isRowSelected(2, {}));
        f.get<QCheckBox>("ChkWhatsleft")->setChecked(true);
        QCOMPARE(f.rec.whatsleft, 1);
        f.get<QComboBox>("cboPeriodType")->setCurrentIndex(2);
        // Still in the box when OK acts: the check runs first.
        f.edit("TxtMaxMB")->setText("abc");
        f.edit("Txtperiod")->setText("12.4");
        f.click("BttOK");

        QCOMPARE(f.adapterRows(), QStringList({"Adapter0=lo", QString::fromUtf8("Adapter2=Wi-Fi Ä")}));
        QCOMPARE(f.setting("maxmbsize"), QString("0"));
        QCOMPARE(f.t.scalar("select count(*) from settings where settingname = 'maxmbsize'").toInt(), 1);
        QCOMPARE(f.setting("logperiod"), QString("12"));
        QCOMPARE(f.setting("logperiodtype"), QString("2"));
        QCOMPARE(f.setting("whatsleft"), QString("1"));
        QCOMPARE(f.setting("AutoReset"), QString("0"));
        QCOMPARE(f.vars.MaxMbSize, 0.0);
        QCOMPARE(f.vars.LogPeriod, 12);
        QCOMPARE(f.vars.LogPeriodType, 2);
        QCOMPARE(f.heights, QVector<bool> {true});
        QVERIFY(!f.dlg->isVisible());
        QVERIFY(f.boxes.shown.isEmpty());

        // Grouped text is stored as shown and read back as a number; quotes in values round-trip.
        f.rec.adapters.setSelected(0, false);
        f.rec.adapters.setSelected(2, false);
        f.rec.adapters.setSelected(1, true);
        f.edit("TxtMaxMB")->setText("5000");
        f.click("BttOK");
        QCOMPARE(f.setting("maxmbsize"), QString("5,000"));
        QCOMPARE(f.vars.MaxMbSize, 5000.0);
        QCOMPARE(f.adapterRows(), QStringList {"Adapter1=it's \"eth0\" 100%"});

        f.rec.adapters.setSelected(1, false);
        f.click("BttOK");
        QCOMPARE(f.adapterRows(), QStringList());
    }

    void okFailureKeepsEveryRow()
    {
        Fixture f;
        f.t.exec("INSERT INTO settings VALUES ('Adapter1', 'eth0'), ('AutoReset', '0'), ('maxmbsize', '250')");
        f.rec.adapters.append("eth0");
        f.get<QCheckBox>("ChkAutoReset")->setChecked(true);
        f.edit("TxtMaxMB")->setText("300");
        f.t.exec("PRAGMA query_only = ON");
        f.click("BttOK");
        f.t.exec("PRAGMA query_only = OFF");

        QCOMPARE(f.adapterRows(), QStringList {"Adapter1=eth0"});
        QCOMPARE(f.setting("AutoReset"), QString("0"));
        QCOMPARE(f.setting("maxmbsize"), QString("250"));
        QCOMPARE(f.t.scalar("select count(*) from settings").toInt(), 3);
        QCOMPARE(f.boxes.shown.size(), 1);
        const auto& box = f.boxes.shown.first();
        QCOMPARE(box.icon, MessageBoxes::Icon::Critical);
        QVERIFY2(box.prompt.contains("AutoReset") && box.prompt.contains("maxmbsize")
                     && box.prompt.contains("readonly", Qt::CaseInsensitive),
                 qPrintable(box.prompt));
        // The session still uses what the user chose.
        QCOMPARE(f.vars.MaxMbSize, 300.0);
    }

    void liveValuesFollowTheRecord()
    {
        Fixture f;
        QTest::mouseClick(f.get<QCheckBox>("Chkkbits"), Qt::LeftButton);
        QCOMPARE(f.rec.kilobit, 1);
        f.rec.whatsleft = 2;
        f.rec.TxtMaxMB = "250.5";
        f.rec.ExportFolder = "/tmp/x.csv";
        f.rec.cboPeriodType = 1;
        f.rec.announceChanged();
        QCOMPARE(f.get<QCheckBox>("ChkWhatsleft")->checkState(), Qt::PartiallyChecked);
        QCOMPARE(f.edit("TxtMaxMB")->text(), QString("250.5"));
        QCOMPARE(f.edit("TxtCsvFile")->text(), QString("/tmp/x.csv"));
        QCOMPARE(f.get<QComboBox>("cboPeriodType")->currentIndex(), 1);
        // A grey box becomes a two-state box once clicked.
        QTest::mouseClick(f.get<QCheckBox>("ChkWhatsleft"), Qt::LeftButton);
        QCOMPARE(f.rec.whatsleft, 1);
        QTest::mouseClick(f.get<QCheckBox>("ChkWhatsleft"), Qt::LeftButton);
        QCOMPARE(f.rec.whatsleft, 0);
    }

    void pageSwitch()
    {
        Fixture f;
        const QStringList controls = {"ChkAutoReset", "Chkkbits",   "ChkWhatsleft",  "BttExport",  "BttBrowse",
                                      "CboChartType", "LblExport1", "LblExport2",    "TxtCsvFile", "LstAdapters",
                                      "txtAdapters",  "BttClear",   "lblAttention",  "lblvolume1", "lblvolume2",
                                      "Txtperiod",    "TxtMaxMB",   "cboPeriodType", "lblpreview", "LblStartdate"};
        auto shownControls = [&] {
            QStringList shown;
            for (const QString& name : controls) {
                if (f.dlg->findChild<QWidget*>(name)->isVisibleTo(f.dlg.get()))
                    shown.append(name);
            }
            return shown;
        };
        auto* frame = f.get<QGroupBox>("brGeneral");
        QCOMPARE(shownControls(), controls.mid(0, 9));
        QCOMPARE(frame->title(), QString("General Options - Export Logs."));

        f.page("Adapters");
        QCOMPARE(shownControls(), controls.mid(9, 2));
        QVERIFY(frame->isHidden());

        f.page("Reset");
        QCOMPARE(shownControls(), controls.mid(11, 2));
        QCOMPARE(frame->title(), QString("!!! CAUTION !!!"));
        QVERIFY(!frame->isHidden());
        QCOMPARE(f.get<QLabel>("lblAttention")->text(),
                 QString("\r\nCaution !\r\n\r\nWhen you reset the database,\r\nall data is cleared.\r\n"
                         "The data can not be recovered."));

        f.page("Volume Left");
        QCOMPARE(shownControls(), controls.mid(13));
        QCOMPARE(frame->title(), QString("Volume Left"));

        // Captions are compared exactly; one that names no page leaves everything as it was.
        auto* tabs = f.get<QTabBar>("TbPages");
        tabs->setTabText(0, "general");
        tabs->setCurrentIndex(0);
        QCOMPARE(shownControls(), controls.mid(13));
        QCOMPARE(frame->title(), QString("Volume Left"));
    }

    void volumeLeftLayoutAndPreview()
    {
        Fixture f;
        QCOMPARE(f.dlg->twipRect("TxtMaxMB"), QRectF(3480, 240, 495, 315));
        f.edit("TxtMaxMB")->setText("1000");
        f.edit("Txtperiod")->setText("2");
        f.t.addLogRow("2002-11-20 10:00:00", "2002-11-20 11:00:00", 0, 250.3 * 1048576);
        f.page("Volume Left");
        QCOMPARE(f.dlg->twipRect("TxtMaxMB"), QRectF(2815, 225, 1000, 315));
        QCOMPARE(f.dlg->twipRect("Txtperiod"), QRectF(1815, 945, 495, 315));
        QCOMPARE(f.dlg->twipRect("cboPeriodType"), QRectF(2315, 945, 1500, 315));
        const double dpi = f.dlg->logicalDpiX();
        QCOMPARE(f.edit("TxtMaxMB")->geometry().left(), qRound(2815 * dpi / 1440));
        QCOMPARE(f.get<QLabel>("lblpreview")->text(), QString("1000 MB (100.0 %) Left."));
        QCOMPARE(f.get<QLabel>("LblStartdate")->text(), QString("Starting from 25 Nov 2002"));

        // Picking weeks re-runs the preview; the settings variables are not touched by it.
        auto* period = f.get<QComboBox>("cboPeriodType");
        QTest::keyClick(period, Qt::Key_Down);
        QCOMPARE(period->currentIndex(), 1);
        QCOMPARE(f.get<QLabel>("lblpreview")->text(), QString("750 MB (75.0 %) Left."));
        QCOMPARE(f.get<QLabel>("LblStartdate")->text(), QString("Starting from 13 Nov 2002"));
        QCOMPARE(f.vars.LogPeriodType, 0);
    }

    void clearDatabase()
    {
        Fixture f;
        for (int i = 0; i < 50; ++i)
            f.t.addLogRow("2002-11-01 10:00:00", "2002-11-01 11:00:00", i, i, 1);
        f.page("Reset");
        f.boxes.answers = {MessageBoxes::Answer::No};
        f.click("BttClear");
        QCOMPARE(f.t.scalar("select count(*) from log").toInt(), 50);
        QCOMPARE(f.boxes.shown.size(), 1);
        QCOMPARE(f.boxes.shown[0].prompt, QString("All DATA will be erased !!!!\r\nAre you sure ?"));
        QCOMPARE(f.boxes.shown[0].title, QString("Are you sure ?"));
        QCOMPARE(f.boxes.shown[0].buttons, MessageBoxes::Buttons::YesNo);

        // Many rows, then an empty log: either way exactly the one reset row remains.
        for (bool empty : {false, true}) {
            if (empty)
                f.t.exec("DELETE FROM log");
            const quint64 writes = f.t.db.writeCount();
            f.click("BttClear");
            QCOMPARE(f.t.scalar("select group_concat(DateAndTimeStart || '|' || DateAndTimeEnd || '|' || BytesSent"
                                " || '|' || bytesrcvd || '|' || AvgDownloadSpeed) from log")
                         .toString(),
                     QString("2002-11-27 12:00:00|2002-11-27 12:00:00|0.0|0.0|0"));
            QCOMPARE(f.boxes.shown.last().prompt, QString("Cleared Database !"));
            QCOMPARE(f.boxes.shown.last().title, QString("Success !"));
            QVERIFY(f.t.db.writeCount() > writes);
        }

        f.t.addLogRow("2002-11-02 10:00:00", "2002-11-02 11:00:00", 5, 5, 1);
        f.t.exec("PRAGMA query_only = ON");
        f.click("BttClear");
        f.t.exec("PRAGMA query_only = OFF");
        QCOMPARE(f.t.scalar("select count(*) from log").toInt(), 2);
        QCOMPARE(f.boxes.shown.last().prompt, QString("Cleanup failed !"));
        QCOMPARE(f.boxes.shown.last().title, QString("Error."));
    }

    void browseAndExportShowThePath()
    {
        QTemporaryDir home;
        qputenv("HOME", home.path().toLocal8Bit());
        Fixture f;
        f.folders.answers = {"/data/exports"};
        f.click("BttBrowse");
        QCOMPARE(f.folders.titles, QStringList {"Select the Directory where the CSV Files have to be saved."});
        QCOMPARE(f.edit("TxtCsvFile")->text(), QString("/data/exports/Zovodazad.csv"));
        QCOMPARE(f.rec.ExportFolder, QString("/data/exports/Zovodazad.csv"));

        // /data/exports does not exist: the export falls back to the home folder and shows it.
        f.click("BttExport");
        const QString fallback = home.filePath("Zovodazad.csv");
        QCOMPARE(f.edit("TxtCsvFile")->text(), fallback);
        QCOMPARE(f.setting("ExportFolder"), fallback);
        QVERIFY(QFileInfo(fallback).isFile());

        f.click("BttBrowse"); // cancelled
        QCOMPARE(f.edit("TxtCsvFile")->text(), fallback);
    }
};

QTEST_MAIN(TestFrmOptions)
#include "tst_frmoptions.moc"
