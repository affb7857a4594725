#include "Autostart.h"
#include "FolderPicker.h"
#include "FrmOptions.h"
#include "MessageBox.h"
#include "TempEngine.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>

#include "WindowLooks.h"

namespace {

const QString RowsSql
    = "select group_concat(settingname || '=' || Settingvalue, '|') from settings where settingname like ?";

// The dialog on an engine that has opened a fresh database and not started counting.
struct Fixture : TempEngine
{
    // The user's autostart folder, in a scratch folder: no test reads or writes the real one.
    QTemporaryDir config;
    const bool configHome = qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    FakeMessageBoxes boxes;
    FakeFolderPicker folders;
    QVector<bool> heights;
    FrmOptions dlg {FrmOptions::Services {engine, boxes, folders},
                    [this](bool whatsleft) { heights.append(whatsleft); }};

    AdapterList& adapters() { return engine.settings().adapters(); }
    const Settings& values() { return engine.settings().current(); }

    template<class W = QLineEdit> W* get(const char* name) { return dlg.findChild<W*>(QLatin1String(name)); }
    void click(const char* name) { get<QPushButton>(name)->click(); }
    // The settings rows whose names match `like`, as name=value in the order they were written.
    QString rows(const QString& like) { return t.scalar(RowsSql, {like}).toString(); }
};

} // namespace

class TestFrmOptions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // A checked box shows a whole number from 1 to below its limit, grouped, or "0"; the preview follows, and an
    // allowance of 0 shows none.
    void validation()
    {
        Fixture f;
        // "box typed shown"
        for (const char* row :
             {"TxtMaxMB 5119999 5,119,999", "TxtMaxMB 5,119,999 5,119,999", "TxtMaxMB 5120000 0", "TxtMaxMB -3 0",
              "TxtMaxMB abc 0", "TxtMaxMB 12.4 12", "Txtperiod 365 365", "Txtperiod 366 0", "Txtperiod 2.6 3"}) {
            const QStringList c = QString(row).split(' ');
            f.get("TxtMaxMB")->setText("1000");
            QLineEdit* edit = f.get(qPrintable(c[0]));
            edit->setText(c[1]);
            QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
            QCoreApplication::sendEvent(edit, &out);
            QCOMPARE(edit->text(), c[2]);
            QCOMPARE(f.get<QLabel>("lblpreview")->text().isEmpty(), c[0] == "TxtMaxMB" && c[2] == "0");
        }
    }

    void okChecksTheBoxItLeavesAndSavesEverything()
    {
        Fixture f;
        // Old rows go, whatever the letter case of their names; the selected adapters are stored under their list
        // positions, quotes as they are.
        f.t.exec("INSERT INTO settings VALUES ('Adapter5', 'gone'), ('maxmbsize', '1'), ('MAXMBSIZE', '2'),"
                 " ('autoreset', '1'), ('adapter7', 'gone')");
        for (const char* name : {"lo", "eth0", "it's \"Wi-Fi Ä\" 100%"})
            f.adapters().append(QString::fromUtf8(name));
        f.adapters().setSelected(0, true);
        f.adapters().setSelected(2, true);
        f.get<QComboBox>("cboPeriodType")->setCurrentIndex(2);
        f.get<QCheckBox>("ChkWhatsleft")->setChecked(true);
        f.get<QSpinBox>("SpnBillingDay")->setValue(17);
        f.get<QCheckBox>("ChkNotifyLeft")->setChecked(false);
        f.get<QCheckBox>("ChkGraphColours")->setChecked(true);
        f.get<QComboBox>("CboTrayIcon")->setCurrentIndex(2);
        // Enter in a box: the focus leaves it, so it is checked first. The box the user never entered keeps its
        // stored half megabyte.
        f.get("TxtMaxMB")->setText("0.5");
        f.dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&f.dlg));
        f.get<QTabBar>("TbPages")->setCurrentIndex(3);
        f.get("Txtperiod")->setFocus();
        f.get("Txtperiod")->setText("12.4");
        QTest::keyClick(f.get("Txtperiod"), Qt::Key_Return);
        QCOMPARE(f.rows("%"),
                 QString::fromUtf8("Adapter0=lo|Adapter2=it's \"Wi-Fi Ä\" 100%|AutoReset=0|kilobit=0|"
                                   "whatsleft=1|logperiod=12|logperiodtype=2|maxmbsize=0.5|billingday=17|notifyleft=0|"
                                   "graphcolours=1|trayicon=2"));
        QCOMPARE(f.heights, QVector<bool> {true});
        QVERIFY(!f.dlg.isVisible() && f.boxes.shown.isEmpty());

        // A refused write keeps every earlier row, names what was lost, and the session keeps the values, grouped
        // text read back as a number.
        const QString before = f.rows("%");
        f.adapters().setSelected(1, true);
        f.get("TxtMaxMB")->setText("5,000");
        // Each delete goes through and each insert is refused: only a rollback brings the rows back.
        f.t.exec("CREATE TRIGGER refuse BEFORE INSERT ON settings BEGIN SELECT RAISE(ABORT, 'disk full'); END");
        f.boxes.hold = true;
        f.dlg.show();
        f.click("BttOK");
        f.t.exec("DROP TRIGGER refuse");
        QCOMPARE(f.rows("%"), before);
        // One box, which blocks only the dialog; that stays open under it until the user has read it.
        QVERIFY(f.boxes.shown.size() == 1 && f.boxes.shown[0].owner == &f.dlg && f.dlg.isVisible());
        f.boxes.held.takeFirst()();
        QVERIFY(!f.dlg.isVisible());
        f.boxes.hold = false;
        const QString prompt = f.boxes.shown[0].prompt;
        QVERIFY2(prompt.contains("Adapter rows, AutoReset") && prompt.contains("disk full"), qPrintable(prompt));
        QCOMPARE(f.values().MaxMbSize, 5000.0);

        // Nothing selected: no adapter rows at all. The boxes take the user's format, grouped; the table holds plain
        // numbers, so another locale reads the same values. Escape closes the dialog as OK does.
        f.adapters().selectionModel()->clearSelection();
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
        f.get("TxtMaxMB")->setText(QLocale().toString(900000));
        f.dlg.show();
        QTest::keyClick(&f.dlg, Qt::Key_Escape);
        QVERIFY(!f.dlg.isVisible());
        QCOMPARE(f.rows("Adapter%") + f.rows("maxmbsize") + f.rows("logperiod"),
                 QString("maxmbsize=900000logperiod=12"));
    }

    void looks_data() { looks::addRows(); }

    // At either pixel ratio, in either palette and at every font size, the dialog takes the desktop's font and on
    // every page each caption fits, nothing overlaps and the red warning reads.
    void looks()
    {
        const looks::Row row = looks::applyRow();
        QVERIFY(row.screen);
        Fixture f;
        for (const char* name : {"lo", "enp0s31f6", "wlp2s0"})
            f.adapters().append(name);
        f.get("TxtMaxMB")->setText("5,119,999");
        f.get("Txtperiod")->setText("365");
        QVERIFY(looks::showOn(f.dlg, row));
        const char* const pages[] = {"general", "adapters", "reset", "volume-left"};
        for (int page : {0, 1, 2, 3}) {
            f.get<QTabBar>("TbPages")->setCurrentIndex(page);
            QVERIFY2(looks::problems(f.dlg).isEmpty(), qPrintable(looks::problems(f.dlg).join("; ")));
            looks::saveShot(f.dlg, QString("options-") + pages[page]);
        }
    }

    // The Volume Left page lays out its boxes at the layout's scale and runs the preview; a caption that names no
    // page leaves the dialog as it was.
    void pages()
    {
        Fixture f;
        f.get("TxtMaxMB")->setText("1000");
        f.get("Txtperiod")->setText("2");
        f.t.addLogRow("2002-11-20 10:00:00", "2002-11-20 11:00:00", 0, 250.3 * 1048576);
        f.get<QTabBar>("TbPages")->setCurrentIndex(3);
        f.dlg.showPage("general");
        QCOMPARE(f.get<QTabBar>("TbPages")->currentIndex(), 3);
        // In pixels at the layout's scale, which the page area's 5055 twips show.
        const double scale = f.get<QWidget>("TbPagesPane")->width() / 5055.0;
        QVERIFY(qAbs(f.get("TxtMaxMB")->x() - f.dlg.twipRect("TxtMaxMB").x() * scale) <= 1);
        // Picking weeks, then months, and changing the billing day each re-run the preview. The billing day acts
        // on months only, and the month item names it.
        auto* type = f.get<QComboBox>("cboPeriodType");
        auto* day = f.get<QSpinBox>("SpnBillingDay");
        const auto preview = [&] {
            return f.get<QLabel>("lblpreview")->text() + f.get<QLabel>("LblStartdate")->text() + " | "
                + type->itemText(2) + (day->isEnabled() ? " enabled" : " disabled");
        };
        QTest::keyClick(type, Qt::Key_Down);
        QCOMPARE(preview(), QString("750 MB (75.0 %) Left.Starting from 13 Nov 2002 | Month(s)-1/mm disabled"));
        QTest::keyClick(type, Qt::Key_Down);
        QCOMPARE(preview(), QString("750 MB (75.0 %) Left.Starting from 01 Oct 2002 | Month(s)-1/mm enabled"));
        day->setValue(21);
        QCOMPARE(preview(), QString("750 MB (75.0 %) Left.Starting from 21 Oct 2002 | Month(s)-21/mm enabled"));
    }

    // The box shows whether the session starts the program; a click writes or removes the entry under
    // XDG_CONFIG_HOME, and an entry the user wrote is replaced or removed only when the user says yes.
    void autostartSwitch()
    {
        Fixture f;
        const QString config = f.config.path();
        QFile entry(config + "/autostart/zovodazad.desktop");
        const auto content = [&entry] {
            if (!entry.open(QIODevice::ReadOnly))
                return QByteArray("none");
            const QByteArray all = entry.readAll();
            entry.close();
            return all;
        };
        auto* box = f.get<QCheckBox>("ChkAutostart");
        // Shown as the file stands each time the dialog opens; then clicked, with the answer to any question.
        const auto openAndClick = [&](const QByteArray& before, MessageBoxes::Answer answer) {
            if (before != "none") {
                QVERIFY(entry.open(QIODevice::WriteOnly));
                entry.write(before);
                entry.close();
            }
            f.dlg.hide();
            f.dlg.show();
            QCOMPARE(box->isChecked(), before != "none" && !before.contains("Hidden=true"));
            f.boxes.answers = {answer};
            box->click();
        };
        const auto yes = MessageBoxes::Answer::Yes;
        const auto no = MessageBoxes::Answer::No;
        const QByteArray exec = "\nExec=" + QCoreApplication::applicationFilePath().toUtf8() + "\n";
        openAndClick("none", no);
        QVERIFY(box->isChecked() && content().contains(exec));
        const QByteArray own = content();
        openAndClick(own, no);
        QVERIFY(!box->isChecked() && content() == "none" && f.boxes.shown.isEmpty());

        const QByteArray hidden = "[Desktop Entry]\nExec=zovodazad\nHidden=true\n";
        openAndClick(hidden, no);
        QVERIFY(!box->isChecked() && content() == hidden);
        openAndClick(hidden, yes);
        QVERIFY(box->isChecked() && content() == own);
        const QByteArray edited = "[Desktop Entry]\nExec=zovodazad --later\n";
        openAndClick(edited, no);
        QVERIFY(box->isChecked() && content() == edited);
        openAndClick(edited, yes);
        QVERIFY(!box->isChecked() && content() == "none");
        QCOMPARE(f.boxes.shown.size(), 4);
        QCOMPARE(f.boxes.shown[0].icon, MessageBoxes::Icon::Question);

        // The entry starts the program that wrote it, however its path is spelled: a blank, every reserved character.
        for (const auto& [path, line] :
             {std::pair("/home/a b/zovodazad", "Exec=\"/home/a b/zovodazad\""),
              std::pair("/opt/$x \"y\"\\z`100%/zovodazad",
                        "Exec=\"/opt/\\\\$x \\\\\"y\\\\\"\\\\\\\\z\\\\`100%%/zovodazad\"")}) {
            Autostart odd(QString::fromUtf8(path));
            QString error;
            QVERIFY(odd.write(&error) && odd.state() == Autostart::State::Ours);
            QVERIFY2(content().split('\n').contains(line), path);
        }

        // A folder that cannot be made: the box stays as the file is, and the user is told why.
        QVERIFY(entry.remove() && QDir(config).rmdir("autostart"));
        QFile blocker(config + "/autostart");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        openAndClick("none", no);
        QVERIFY(!box->isChecked() && f.boxes.shown.last().icon == MessageBoxes::Icon::Critical);
    }

    // Asked first; then exactly the one reset row remains, or the failure is told.
    void clearDatabase()
    {
        Fixture f;
        for (int i = 0; i < 50; ++i)
            f.t.addLogRow("2002-11-01 10:00:00", "2002-11-01 11:00:00", i, i, 1);
        // A record whose row was renumbered (a VACUUM) goes too.
        f.t.exec("INSERT INTO log_adapter VALUES (99, '2002-10-01 10:00:00', 'eth0', 5, 5)");
        f.boxes.answers = {MessageBoxes::Answer::No};
        f.click("BttClear");
        QCOMPARE(f.t.scalar("select count(*) from log").toInt(), 50);
        f.click("BttClear");
        QCOMPARE(f.t.logRows(), QString("2002-11-27 12:00:00|2002-11-27 12:00:00|0.0|0.0|0"));
        QCOMPARE(f.boxes.shown.last().prompt, QString("Cleared Database !"));
        QCOMPARE(f.t.scalar("select count(*) from log_adapter_day").toInt(), 0);
        f.t.exec("ALTER TABLE log RENAME TO log_away");
        f.click("BttClear");
        QCOMPARE(f.boxes.shown.last().prompt, QString("Cleanup failed !"));
    }
};

QTEST_MAIN(TestFrmOptions)
#include "tst_frmoptions.moc"
