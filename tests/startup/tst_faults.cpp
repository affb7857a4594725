#include "Clock.h"
#include "LogWriter.h"
#include "MessageBox.h"
#include "TempDatabase.h"
#include "TrafficState.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <sys/mount.h>
#include <unistd.h>

// Faults of the database file while the program runs: each write fails quickly, the user hears of it once, the
// traffic stays pending, and the next write after the fault clears holds all of it.
class TestFaults : public QObject
{
    Q_OBJECT

private:
    struct Run
    {
        explicit Run(TempDatabase& t)
            : writer(t.db, state, clock, boxes)
        {
            state.PeriodStart = clock.now().addSecs(-60);
        }
        TrafficState state;
        FakeClock clock;
        FakeMessageBoxes boxes;
        LogWriter writer;
    };

    // Writes while the fault holds, then after it is cleared, and checks that nothing was lost.
    static void failThenRecover(TempDatabase& t, Run& run, const std::function<void()>& clear)
    {
        run.state.TotalBytesRcvd = 1000;
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!run.writer.WriteLogRow());
        QVERIFY2(timer.elapsed() < 2000, "a failing write must not hang the program");
        run.state.TotalBytesRcvd = 5000;
        QVERIFY(!run.writer.WriteLogRow());
        QCOMPARE(run.boxes.shown.size(), 1);
        clear();
        QVERIFY2(run.writer.WriteLogRow(), qPrintable(t.db.lastError()));
        QCOMPARE(t.scalar("SELECT total(bytesrcvd) FROM log").toDouble(), 5000.0);
        QCOMPARE(run.boxes.shown.size(), 1);
    }

private Q_SLOTS:
    void lockedByAnotherProcess()
    {
        TempDatabase t;
        Run run(t);
        QProcess holder;
        holder.start(QStringLiteral("sqlite3"), {t.path()});
        if (!holder.waitForStarted())
            QSKIP("the sqlite3 tool is not installed");
        holder.write("BEGIN EXCLUSIVE;\nSELECT 'locked';\n");
        QVERIFY(holder.waitForReadyRead(5000));
        QVERIFY(holder.readAll().contains("locked"));
        failThenRecover(t, run, [&] {
            holder.closeWriteChannel();
            QVERIFY(holder.waitForFinished(5000));
        });
    }

    void fileMadeReadOnly()
    {
        TempDatabase t;
        Run run(t);
        // Root ignores permission bits, so the immutable attribute stands in for a read-only file.
        if (QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), t.path()}) != 0)
            QSKIP("chattr +i is not available here");
        failThenRecover(t, run, [&] { QCOMPARE(QProcess::execute("chattr", {"-i", t.path()}), 0); });
    }

    void diskFull()
    {
        if (::geteuid() != 0)
            QSKIP("mounting a small file system needs root");
        QTemporaryDir mountPoint;
        if (::mount("tmpfs", QFile::encodeName(mountPoint.path()).constData(), "tmpfs", 0, "size=512k") != 0)
            QSKIP("tmpfs cannot be mounted here");
        {
            DbConnection db(QStringLiteral("full"));
            const QString path = mountPoint.filePath(QStringLiteral("Zovodazad.mdb"));
            QString error;
            QVERIFY2(DatabaseFile::openOrCreate(db, path, &error), qPrintable(error));
            TrafficState state;
            FakeClock clock;
            FakeMessageBoxes boxes;
            LogWriter writer(db, state, clock, boxes);
            state.PeriodStart = clock.now();

            QFile filler(mountPoint.filePath(QStringLiteral("filler")));
            QVERIFY(filler.open(QIODevice::WriteOnly));
            const QByteArray block(4096, 'x');
            while (filler.write(block) == block.size() && filler.flush()) { }
            filler.close();

            state.TotalBytesRcvd = 4242;
            QVERIFY(!writer.WriteLogRow());
            QVERIFY(!writer.WriteLogRow());
            QCOMPARE(boxes.shown.size(), 1);
            QVERIFY(filler.remove());
            QVERIFY2(writer.WriteLogRow(), qPrintable(db.lastError()));
            DbRecordset rs;
            QVERIFY(rs.open(db, QStringLiteral("SELECT bytesrcvd FROM log")));
            QCOMPARE(rs.field(QStringLiteral("bytesrcvd")).toDouble(), 4242.0);
            rs.close();
            db.close();
        }
        QCOMPARE(::umount(QFile::encodeName(mountPoint.path()).constData()), 0);
    }
};

QTEST_GUILESS_MAIN(TestFaults)
#include "tst_faults.moc"
