#include "CsvExport.h"
#include "MessageBox.h"
#include "Settings.h"
#include "TempDatabase.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTest>

class TestCsvExport : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_home;

    struct Fixture
    {
        TempDatabase t;
        DbCommand command;
        FakeMessageBoxes boxes;
        QStringList shownPaths;

        Fixture() { command.bind(t.db); }
        void run(const QString& path, int view = 0)
        {
            CsvExport(t.db, command, boxes).run(path, view, [this](const QString& p) { shownPaths.append(p); });
        }
        QString savedPath()
        {
            return t.scalar(QStringLiteral("select Settingvalue from settings where settingname = 'ExportFolder'"))
                .toString();
        }
        QString lastPrompt() const { return boxes.shown.isEmpty() ? QString() : boxes.shown.last().prompt; }
    };

    static QByteArray read(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QString inHome(const QString& name) const { return m_home.filePath(name); }

private Q_SLOTS:
    void initTestCase()
    {
        // The fallback file lives in the home folder; keep it inside the test's own directory.
        qputenv("HOME", m_home.path().toLocal8Bit());
        QCOMPARE(SettingsRecord::defaultExportPath(), inHome("Zovodazad.csv"));
    }

    void numberFormat()
    {
        QCOMPARE(csvNumber(1234.5678), QString("1234.56"));
        QCOMPARE(csvNumber(12.05), QString("12.05"));
        QCOMPARE(csvNumber(7), QString("7.00"));
        QCOMPARE(csvNumber(7.5), QString("7.50"));
        QCOMPARE(csvNumber(1e15), QString("1000000000000000.00"));
        QCOMPARE(csvNumber(-1.5), QString("-1.50"));
        QCOMPARE(csvNumber(QVariant()), QString("."));
        // Truncated in double arithmetic, where 0.29 is a hair below; the fixed-point average is exact.
        QCOMPARE(csvNumber(0.29), QString("0.28"));
        QCOMPARE(csvFixedPoint(0.29), QString("0.29"));
        QCOMPARE(csvFixedPoint(7.00999), QString("7.01"));
        QCOMPARE(csvFixedPoint(-2.5), QString("-2.50"));
        QCOMPARE(csvFixedPoint(QVariant()), QString("."));
    }

    void writerStopsOnARefusedWrite()
    {
        TempDatabase t;
        DbRecordset rs;
        QVERIFY(rs.open(t.db, exportQuery(0)));
        QBuffer readOnly;
        readOnly.open(QIODevice::ReadOnly);
        QVERIFY(!writeCsv(readOnly, rs, true));
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        QVERIFY(writeCsv(out, rs, true));
        QCOMPARE(out.data(), QByteArray("Period,KBDown,KBUp,AvgSpeed\r\n"));
    }

    void eachViewWritesItsKey()
    {
        Fixture f;
        f.t.addLogRow("2002-12-04 10:00:00", "2002-12-04 10:00:00", 12.05 * 1024, 1234.5678 * 1024, 7);
        f.t.addLogRow("2001-03-01 10:00:00", "2001-03-01 10:00:00", 0, 512, 0);
        const QString path = inHome("views.csv");
        const char* const expected[] = {
            "Period,KBDown,KBUp,AvgSpeed\r\n20021204,1234.56,12.05,7.00\r\n20010301,0.50,0.00,0.00\r\n",
            "Period,KBDown,KBUp,AvgSpeed\r\n200248,1234.56,12.05,7.00\r\n200109,0.50,0.00,0.00\r\n",
            "Period,KBDown,KBUp,AvgSpeed\r\n200212,1234.56,12.05,7.00\r\n200103,0.50,0.00,0.00\r\n",
            "Period,KBDown,KBUp,AvgSpeed\r\n2002,1234.56,12.05,7.00\r\n2001,0.50,0.00,0.00\r\n",
        };
        for (int view = 0; view < 4; ++view) {
            f.boxes.answers = {MessageBoxes::Answer::Yes};
            f.run(path, view);
            QCOMPARE(read(path), QByteArray(expected[view]));
            QCOMPARE(f.lastPrompt(), QString("Export Succeeded !"));
            QCOMPARE(f.boxes.shown.last().title, QString("Success!"));
            QCOMPARE(f.boxes.shown.last().icon, MessageBoxes::Icon::Information);
        }
        QCOMPARE(f.savedPath(), path);
    }

    void emptyViewAndNullValues()
    {
        Fixture f;
        f.run(inHome("empty.csv"));
        QCOMPARE(read(inHome("empty.csv")), QByteArray("Period,KBDown,KBUp,AvgSpeed\r\n"));
        QCOMPARE(f.lastPrompt(), QString("Export Succeeded !"));

        f.t.exec("DROP VIEW DownloadPerYear");
        f.t.exec("CREATE VIEW DownloadPerYear AS SELECT '2002' AS ddate, NULL AS kbdown, 1.5 AS kbup, NULL AS avgdown");
        f.run(inHome("nulls.csv"), 3);
        QCOMPARE(read(inHome("nulls.csv")), QByteArray("Period,KBDown,KBUp,AvgSpeed\r\n2002,.,1.50,.\r\n"));
    }

    void overwriteQuestion()
    {
        Fixture f;
        const QString path = inHome("it's.csv");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("keep");
        file.close();

        f.boxes.answers = {MessageBoxes::Answer::No};
        f.run("  " + path + "  ");
        QCOMPARE(f.boxes.shown.size(), 1);
        QCOMPARE(f.boxes.shown[0].prompt, path.toUpper() + " already exists !\r\nOverwrite ?");
        QCOMPARE(f.boxes.shown[0].title, QString("Continue ?"));
        QCOMPARE(f.boxes.shown[0].buttons, MessageBoxes::Buttons::YesNo);
        QCOMPARE(f.boxes.shown[0].icon, MessageBoxes::Icon::Question);
        QCOMPARE(read(path), QByteArray("keep"));
        QCOMPARE(f.savedPath(), QString());

        // A read-only file in a writable folder is replaced, and the blanks never reach the setting.
        QVERIFY(file.setPermissions(QFileDevice::ReadOwner));
        f.boxes.answers = {MessageBoxes::Answer::Yes};
        f.run("  " + path + "  ");
        QCOMPARE(read(path), QByteArray("Period,KBDown,KBUp,AvgSpeed\r\n"));
        QCOMPARE(f.savedPath(), path);
        QVERIFY(f.shownPaths.isEmpty());
    }

    void fallbackToTheHomeFolder()
    {
        const QString fallback = inHome("Zovodazad.csv");
        for (const QString& typed : {inHome("missing/out.csv"), m_home.path(), QString("   ")}) {
            QFile::remove(fallback);
            Fixture f;
            f.run(typed);
            QCOMPARE(f.shownPaths, QStringList {fallback});
            QCOMPARE(read(fallback), QByteArray("Period,KBDown,KBUp,AvgSpeed\r\n"));
            QCOMPARE(f.savedPath(), fallback);
            QCOMPARE(f.lastPrompt(), QString("Export Succeeded !"));
            // A folder of that name is never asked about.
            QCOMPARE(f.boxes.shown.size(), 1);
        }
        QVERIFY(QFileInfo(m_home.path()).isDir());
    }

    void failures()
    {
        QTemporaryDir dir;
        {
            // The fallback itself cannot be created: nothing is saved.
            Fixture f;
            QVERIFY(QDir(dir.path()).mkdir("Zovodazad.csv"));
            qputenv("HOME", dir.path().toLocal8Bit());
            f.run(dir.filePath("missing/out.csv"));
            qputenv("HOME", m_home.path().toLocal8Bit());
            QCOMPARE(f.lastPrompt(), QString("Export Failed"));
            QCOMPARE(f.boxes.shown.last().title, QString("Failed :-("));
            QCOMPARE(f.boxes.shown.last().icon, MessageBoxes::Icon::Critical);
            QCOMPARE(f.savedPath(), QString());
        }
        {
            // The setting cannot be saved: ignored for a chosen path, fatal after a fallback.
            Fixture f;
            f.t.exec("PRAGMA query_only = ON");
            f.run(dir.filePath("chosen.csv"));
            QCOMPARE(f.lastPrompt(), QString("Export Succeeded !"));
            f.run(dir.filePath("missing/out.csv"));
            QCOMPARE(f.lastPrompt(), QString("Export Failed"));
        }
        {
            // The view cannot be read: the header is not written and the file is closed.
            Fixture f;
            f.t.exec("DROP VIEW DownloadPerMonth");
            f.run(dir.filePath("month.csv"), 2);
            QCOMPARE(f.lastPrompt(), QString("Export Failed"));
            QCOMPARE(read(dir.filePath("month.csv")), QByteArray());
            QVERIFY(QFile::remove(dir.filePath("month.csv")));
        }
    }
};

QTEST_GUILESS_MAIN(TestCsvExport)
#include "tst_csvexport.moc"
