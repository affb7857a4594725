#include "CsvExport.h"
#include "MessageBox.h"
#include "TempEngine.h"

#include <QFile>
#include <QTest>

#include <sys/stat.h>

namespace {

const QByteArray Header = "Period,KBDown,KBUp,AvgSpeed\r\n";
const QString Succeeded = "Export Succeeded !";
const QString Failed = "Export Failed";
const QString SavedPathSql = "select Settingvalue from settings where settingname = 'ExportFolder'";

// The export on an engine that has opened a fresh database.
struct Fixture : TempEngine
{
    FakeMessageBoxes boxes;
    QStringList shownPaths;

    // The last box shown, normally the export's outcome.
    QString run(const QString& path, int view = 0, const QString& adapter = {})
    {
        CsvExport(engine, boxes, nullptr).run(path, view, adapter, [this](const QString& p) { shownPaths.append(p); });
        return boxes.shown.isEmpty() ? QString() : boxes.shown.last().prompt;
    }
    QString savedPath() { return t.scalar(SavedPathSql).toString(); }
};

QByteArray read(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestCsvExport : public QObject
{
    Q_OBJECT

    // The fallback file lives in the home folder; keep it inside the test's own directory.
    QTemporaryDir m_home;
    QString inHome(const QString& name) const { return m_home.filePath(name); }

private Q_SLOTS:
    void initTestCase() { qputenv("HOME", m_home.path().toLocal8Bit()); }

    void eachViewEmptyAndNull()
    {
        Fixture f;
        QCOMPARE(f.run(inHome("views.csv")), Succeeded);
        QCOMPARE(read(inHome("views.csv")), Header);
        QCOMPARE(f.savedPath(), inHome("views.csv"));

        f.t.addLogRow("2002-12-04 10:00:00", "2002-12-04 10:00:00", 12.05 * 1024, 1234.5678 * 1024, 7);
        // The average is taken as a fixed-point number first: a plain truncation would write 0.28.
        f.t.addLogRow("2001-03-01 10:00:00", "2001-03-01 10:00:00", 0, 512, 0.28999);
        const char* const keys[][2]
            = {{"20021204", "20010301"}, {"200249", "200109"}, {"200212", "200103"}, {"2002", "2001"}};
        for (int view = 0; view < 4; ++view) {
            QCOMPARE(f.run(inHome("views.csv"), view), Succeeded);
            QCOMPARE(read(inHome("views.csv")),
                     Header + keys[view][0] + ",1234.56,12.05,7.00\r\n" + keys[view][1] + ",0.50,0.00,0.29\r\n");
        }
        // One adapter's share of the first row alone; its average speed is not kept.
        f.t.exec("INSERT INTO log_adapter SELECT max(rowid), '2002-12-04 10:00:00', 'usb0', 2048, 1024 FROM log"
                 " WHERE DateAndTimeStart LIKE '2002%'");
        QCOMPARE(f.engine.recordedAdapters(), QStringList {"usb0"});
        QCOMPARE(f.run(inHome("views.csv"), 2, "usb0"), Succeeded);
        QCOMPARE(read(inHome("views.csv")), Header + "200212,2.00,1.00,.\r\n");

        // A view that cannot be read fails before the header is written.
        f.t.exec("DROP VIEW DownloadPerYear");
        QCOMPARE(f.run(inHome("views.csv"), 3), Failed);
        QCOMPARE(read(inHome("views.csv")), QByteArray());
        f.t.exec("CREATE VIEW DownloadPerYear AS SELECT '2002' AS ddate, NULL AS kbdown, 1.5 AS kbup, NULL AS avgdown");
        f.run(inHome("views.csv"), 3);
        QCOMPARE(read(inHome("views.csv")), Header + "2002,.,1.50,.\r\n");
    }

    void overwriteAndSavedPath()
    {
        Fixture f;
        const QString path = inHome("it's.csv");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("keep") == 4);
        file.close();
        f.boxes.answers = {MessageBoxes::Answer::No};
        QCOMPARE(f.run("  " + path + "  "), path.toUpper() + " already exists !\r\nOverwrite ?");
        QCOMPARE(read(path), QByteArray("keep"));
        QCOMPARE(f.savedPath(), QString());

        // A read-only file in a writable folder is replaced, and the blanks never reach the setting.
        QVERIFY(file.setPermissions(QFileDevice::ReadOwner));
        QCOMPARE(f.run("  " + path + "  "), Succeeded);
        QCOMPARE(f.savedPath(), path);

        // The setting cannot be saved: ignored for a chosen path, fatal after a fallback.
        f.t.exec("CREATE TRIGGER refuse BEFORE INSERT ON settings BEGIN SELECT RAISE(ABORT, 'disk full'); END");
        QCOMPARE(f.run(inHome("chosen.csv")), Succeeded);
        QCOMPARE(f.run(inHome("missing/out.csv")), Failed);
    }

    void fallbackToTheHomeFolder()
    {
        // A missing folder, a folder of that name (never asked about), a named pipe (never opened: it would block),
        // a symbolic link (never followed, never asked about: one planted in a shared folder would send the file
        // anywhere) and blanks all fall back.
        QCOMPARE(::mkfifo(QFile::encodeName(inHome("pipe.csv")), 0600), 0);
        QVERIFY(QFile(inHome("victim")).open(QIODevice::WriteOnly));
        QVERIFY(QFile::link(inHome("victim"), inHome("link.csv")));
        for (const QString& typed :
             {inHome("missing/out.csv"), m_home.path(), inHome("pipe.csv"), inHome("link.csv"), QString("   ")}) {
            QFile::remove(inHome("Zovodazad.csv"));
            Fixture f;
            QCOMPARE(f.run(typed), Succeeded);
            QCOMPARE(f.boxes.shown.size(), 1);
            QCOMPARE(f.shownPaths, QStringList {inHome("Zovodazad.csv")});
            QCOMPARE(read(inHome("Zovodazad.csv")), Header);
            QCOMPARE(f.savedPath(), inHome("Zovodazad.csv"));
        }
        QCOMPARE(read(inHome("victim")), QByteArray());
    }
};

QTEST_GUILESS_MAIN(TestCsvExport)
#include "tst_csvexport.moc"
