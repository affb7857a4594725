#include "Clock.h"
#include "LogWriter.h"
#include "PeriodJournal.h"
#include "TempDatabase.h"
#include "TrafficState.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <fcntl.h>
#include <functional>
#include <linux/capability.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

QDateTime at(int day, int h, int m, int s = 0)
{
    return QDateTime(QDate(2002, 12, day), QTime(h, m, s));
}

// A log writer and the open-period journal on a fresh database, with the clock at noon on 4 December.
struct Run
{
    explicit Run(const QString& folder = {})
        : t(QStringLiteral("test"), folder)
    {
        s.PeriodStart = at(4, 11, 0);
    }
    TempDatabase t;
    TrafficState s;
    FakeClock clock {at(4, 12, 0)};
    QStringList told; // what the user would have been told
    LogWriter w {t.db, s, clock, [this](const QString& message) { told.append(message); }};
    PeriodJournal j {t.db};
};

// Root reads any file: while this lives, the thread meets permission bits as any other user does.
class WithoutDacOverride
{
public:
    WithoutDacOverride()
    {
        if (::syscall(SYS_capget, &m_header, m_saved) == 0) {
            __user_cap_data_struct dropped[2] = {m_saved[0], m_saved[1]};
            dropped[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
            ::syscall(SYS_capset, &m_header, dropped);
        }
    }
    ~WithoutDacOverride() { ::syscall(SYS_capset, &m_header, m_saved); }

private:
    __user_cap_header_struct m_header {_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2] {};
};

// AddressSanitizer keeps freed blocks in quarantine, so resident memory there says nothing about what the code holds.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool residentMemoryMeaningful = false;
#else
constexpr bool residentMemoryMeaningful = true;
#endif

// How far this process's resident memory rises above what is resident now while run() runs, in KiB.
qint64 peakRiseKiB(const std::function<void()>& run)
{
    const auto peak = [] {
        QFile status("/proc/self/status");
        return status.open(QIODevice::ReadOnly)
            ? QRegularExpression("VmHWM:\\s*(\\d+)").match(status.readAll()).captured(1).toLongLong()
            : 0;
    };
    QFile clearRefs("/proc/self/clear_refs");
    if (clearRefs.open(QIODevice::WriteOnly))
        clearRefs.write("5"); // the high-water mark starts again from what is resident
    clearRefs.close();
    const qint64 before = peak();
    run();
    return peak() - before;
}

} // namespace

class TestLogWriter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A row holds the period's traffic and average and ends it; the next period starts empty and nothing is left
    // for crash recovery.
    void rowEndsThePeriod_data()
    {
        QTest::addColumn<QDateTime>("start");
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QString>("row");
        QTest::addColumn<QDateTime>("nextStart");
        QTest::newRow("an hour") << at(4, 11, 0) << at(4, 12, 0) << "2002-12-04 11:00:00|2002-12-04 12:00:00"
                                 << at(4, 12, 0);
        QTest::newRow("crossed midnight, written at 00:00:30")
            << at(4, 22, 10) << at(5, 0, 0, 30) << "2002-12-04 22:10:00|2002-12-04 23:59:59" << at(5, 0, 0);
        QTest::newRow("minute 1 is too late for the midnight rule")
            << at(4, 22, 10) << at(5, 0, 1) << "2002-12-04 22:10:00|2002-12-05 00:01:00" << at(5, 0, 1);
        QTest::newRow("same day at 00:00")
            << at(5, 0, 0, 10) << at(5, 0, 0, 40) << "2002-12-05 00:00:10|2002-12-05 00:00:40" << at(5, 0, 0, 40);
        QTest::newRow("clock set back: the row does not end before it starts")
            << at(5, 14, 0) << at(5, 9, 30) << "2002-12-05 09:30:00|2002-12-05 09:30:00" << at(5, 9, 30);
        QTest::newRow("clock set back a day, at 00:00")
            << at(5, 14, 0) << at(4, 0, 0, 30) << "2002-12-04 00:00:30|2002-12-04 00:00:30" << at(4, 0, 0, 30);
        // Across a change between summer and winter time (the test runs in Europe/Berlin) the row ends the second
        // before the change, so that its times read right and its length is true.
        const auto berlin = [](int month, int day, int h, int m, int s, int offsetHours) {
            return QDateTime(QDate(2026, month, day), QTime(h, m, s), Qt::OffsetFromUTC, offsetHours * 3600);
        };
        QTest::newRow("autumn: the clocks go back at 03:00")
            << berlin(10, 25, 2, 59, 21, 2) << berlin(10, 25, 2, 0, 37, 1) << "2026-10-25 02:59:21|2026-10-25 02:59:59"
            << berlin(10, 25, 2, 0, 0, 1);
        QTest::newRow("spring: the clocks go forward at 02:00")
            << berlin(3, 29, 1, 59, 30, 1) << berlin(3, 29, 3, 0, 10, 2) << "2026-03-29 01:59:30|2026-03-29 01:59:59"
            << berlin(3, 29, 3, 0, 0, 2);
    }

    void rowEndsThePeriod()
    {
        QFETCH(QDateTime, start);
        QFETCH(QDateTime, now);
        QFETCH(QString, row);
        QFETCH(QDateTime, nextStart);
        Run r;
        r.s.PeriodStart = start;
        r.clock.set(now);
        r.s.TotalBytesSent = 5000;
        r.s.TotalBytesRcvd = 90000;
        r.s.LoggedBytesSent = 1000;
        r.s.LoggedBytesRcvd = 10000;
        r.s.PeriodAvgDownSpeed = 12.34567;
        r.s.PeriodSampleCount = 9;
        QVERIFY(r.j.save(r.s, now));
        QVERIFY(r.w.WriteLogRow());
        QCOMPARE(r.s.PeriodStart, nextStart);
        QCOMPARE(r.s.PeriodSampleCount, 0.0);
        QVERIFY(r.w.WriteLogRow()); // back to back: empty
        QCOMPARE(r.t.logRows().section('\n', 0, 0), row + "|4000.0|80000.0|12.3457");
        QCOMPARE(r.t.logRows().section('|', -3), QString("0.0|0.0|0"));
        QCOMPARE(r.t.scalar("SELECT count(*) FROM open_period").toInt(), 0); // removed with the row
    }

    // Each fault: writes fail quickly, the user is told once, and why, also by the message at exit; the traffic
    // stays pending, and the first write after the fault clears holds all of it.
    void faultsKeepTheTrafficPending_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("toldWhenCleared");
        for (const char* f : {"query only", "locked by another process", "read-only file", "disk full"})
            QTest::newRow(f) << f << QString();
        QTest::newRow("file replaced by junk") << "file replaced by junk"
                                               << "A new database was made there";
    }

    void faultsKeepTheTrafficPending()
    {
        QFETCH(QString, fault);
        QFETCH(QString, toldWhenCleared);
        QTemporaryDir small;
        QProcess holder;
        std::function<void()> clear;
        if (fault == "disk full"
            && (::geteuid() != 0 || ::mount("tmpfs", QFile::encodeName(small.path()), "tmpfs", 0, "size=512k") != 0))
            QSKIP("a small file system cannot be mounted here");
        Run r(fault == "disk full" ? small.path() : QString());
        const QString path = r.t.path();
        if (fault == "query only") {
            r.t.exec("PRAGMA query_only = ON");
            clear = [&] { r.t.exec("PRAGMA query_only = OFF"); };
        } else if (fault == "locked by another process") {
            holder.start("sqlite3", {path});
            if (!holder.waitForStarted())
                QSKIP("the sqlite3 tool is not installed");
            holder.write("BEGIN EXCLUSIVE;\nSELECT 'locked';\n");
            QVERIFY(holder.waitForReadyRead(5000));
            clear = [&] {
                holder.closeWriteChannel();
                QVERIFY(holder.waitForFinished(5000));
            };
        } else if (fault == "read-only file") {
            // Root ignores permission bits, so the immutable attribute stands in for them.
            if (QProcess::execute("chattr", {"+i", path}) != 0)
                QSKIP("chattr +i is not available here");
            clear = [&] { QCOMPARE(QProcess::execute("chattr", {"-i", path}), 0); };
        } else if (fault == "disk full") {
            QFile filler(small.filePath("filler"));
            QVERIFY(filler.open(QIODevice::WriteOnly));
            while (filler.write(QByteArray(4096, 'x')) == 4096 && filler.flush()) { }
            clear = [path = filler.fileName()] { QVERIFY(QFile::remove(path)); };
        } else {
            QVERIFY(QFile::remove(path));
            QFile junk(path);
            QVERIFY(junk.open(QIODevice::WriteOnly) && junk.write("restored from the wrong backup") > 0);
            clear = [&] { QVERIFY(QFile::remove(path)); }; // a missing file is recreated
        }

        r.s.TotalBytesRcvd = 1000;
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!r.w.WriteLogRow());
        QVERIFY2(timer.elapsed() < 2000, "a failing write must not hang the program");
        r.s.TotalBytesRcvd = 5000;
        QVERIFY(!r.w.WriteLogRow());
        QCOMPARE(r.told.size(), 1);
        const QString atExit = r.w.WriteLastRow(r.j, 100);
        for (const QString& text : {r.told.first(), atExit})
            QVERIFY2(!text.section('\n', 1, 1).isEmpty(), qPrintable(text)); // the line after "...written:"
        clear();
        QVERIFY2(r.w.WriteLogRow(), qPrintable(r.t.db.lastError()));
        QCOMPARE(r.t.logRows(), QString("2002-12-04 11:00:00|2002-12-04 12:00:00|0.0|5000.0|0"));
        QCOMPARE(r.told.size(), toldWhenCleared.isEmpty() ? 1 : 2);
        QVERIFY(r.told.last().contains(toldWhenCleared));
        r.t.db.close();
        if (fault == "disk full")
            QCOMPARE(::umount(QFile::encodeName(small.path())), 0);
    }

    // The file is deleted under the writer. The next start would look at its path, so the log goes on there, in a
    // new file; but a file another copy of the program logs in, moved into its place, is never written, and the
    // last row is not kept beside it either, since that copy would log it. The user is told why each time.
    void deletedFileIsReplaced_data()
    {
        QTest::addColumn<bool>("anotherCopys");
        QTest::newRow("deleted") << false;
        QTest::newRow("another copy's file moved into its place") << true;
    }

    void deletedFileIsReplaced()
    {
        QFETCH(bool, anotherCopys);
        Run r;
        const QString path = r.t.path();
        QVERIFY(QFile::remove(path));
        int otherCopy = -1;
        if (anotherCopys) {
            TempDatabase other("other");
            otherCopy = ::open(QFile::encodeName(other.path()), O_RDONLY | O_CLOEXEC);
            QCOMPARE(::flock(otherCopy, LOCK_EX), 0);
            QCOMPARE(::rename(QFile::encodeName(other.path()), QFile::encodeName(path)), 0);
        }
        r.s.TotalBytesRcvd = 1000;
        QCOMPARE(r.w.WriteLogRow(), !anotherCopys);
        r.s.TotalBytesRcvd = 3000;
        const QString atExit = r.w.WriteLastRow(r.j, 100);
        QVERIFY2(!r.told.isEmpty() && r.told.first().contains("was deleted"), qPrintable(r.told.join('|')));
        DbConnection look("look");
        QVERIFY(look.open(path));
        DbRecordset rows;
        QVERIFY(rows.open(look, "SELECT group_concat(bytesrcvd, ' ') AS rcvd FROM log"));
        if (anotherCopys) {
            QVERIFY2(atExit.contains("another copy") && atExit.contains("not logged"), qPrintable(atExit));
            QVERIFY(rows.field("rcvd").isNull());
            QVERIFY(!QFile::exists(PeriodJournal::asidePath(path)));
            ::close(otherCopy);
        } else {
            QVERIFY2(atExit.isEmpty(), qPrintable(atExit));
            QCOMPARE(rows.field("rcvd").toString(), QString("1000.0 2000.0"));
        }
    }

    // At exit a database that another program keeps reading is waited for; when it stays held, the whole period is
    // kept beside the database, the caller gets the text that tells the user where, and the next start logs it
    // once, in place of the older save of the same period.
    void lastRowRefusedAtExitIsLoggedAtTheNextStart()
    {
        Run r;
        r.s.TotalBytesRcvd = 1000;
        QVERIFY(r.j.save(r.s, at(4, 11, 30)));
        r.s.TotalBytesRcvd = 5000;
        QProcess reader;
        reader.start("sqlite3", {r.t.path()});
        if (!reader.waitForStarted())
            QSKIP("the sqlite3 tool is not installed");
        reader.write("BEGIN;\nSELECT 'reading', count(*) FROM log;\n");
        QVERIFY(reader.waitForReadyRead(5000));
        const QString told = r.w.WriteLastRow(r.j, 300);
        const QString aside = PeriodJournal::asidePath(r.t.path());
        QVERIFY2(told.contains(aside) && told.contains("0.0 MB"), qPrintable(told));
        QVERIFY(r.told.isEmpty()); // the caller shows it, in a box that keeps the process
        reader.closeWriteChannel();
        QVERIFY(reader.waitForFinished(5000));

        // A start that cannot read the file logs the period as last saved; the next that can puts the whole period
        // in its place.
        PeriodJournal next(r.t.db);
        QCOMPARE(::chmod(QFile::encodeName(aside), 0), 0);
        {
            const WithoutDacOverride asAUser;
            QVERIFY(next.recover(r.clock));
        }
        QCOMPARE(r.t.logRows(), QString("2002-12-04 11:00:00|2002-12-04 11:30:00|0.0|1000.0|0"));
        QCOMPARE(::chmod(QFile::encodeName(aside), 0600), 0);
        QVERIFY(QFile::copy(aside, aside + "~"));
        QVERIFY(next.recover(r.clock));
        QVERIFY(!QFile::exists(aside) && QFile::rename(aside + "~", aside)); // as if a crash had kept the file
        QVERIFY(next.recover(r.clock)); // its row is logged already
        QCOMPARE(r.t.logRows(), QString("2002-12-04 11:00:00|2002-12-04 12:00:00|0.0|5000.0|0"));
    }

    // A kept-aside file that cannot be read holds nothing the database needs: the start says what is not logged and
    // leaves the file, the period the earlier run saved is logged, and this run's period is saved at its first tick.
    void unreadablePendingFileLeavesSavingOn_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char* kind : {"a folder", "a named pipe", "no read permission"})
            QTest::newRow(kind) << kind;
    }

    void unreadablePendingFileLeavesSavingOn()
    {
        QFETCH(QString, kind);
        Run r;
        r.s.TotalBytesRcvd = 1000;
        QVERIFY(r.j.save(r.s, at(4, 11, 30)));
        const QString aside = PeriodJournal::asidePath(r.t.path());
        if (kind == "a folder") {
            QVERIFY(QDir().mkdir(aside));
        } else if (kind == "a named pipe") {
            QCOMPARE(::mkfifo(QFile::encodeName(aside), 0600), 0);
        } else {
            QVERIFY(QFile(aside).open(QIODevice::WriteOnly));
            QCOMPARE(::chmod(QFile::encodeName(aside), 0), 0);
        }
        PeriodJournal next(r.t.db);
        QStringList notes;
        {
            const WithoutDacOverride asAUser;
            QVERIFY(next.recover(r.clock, nullptr, &notes));
        }
        QCOMPARE(notes.size(), 1);
        QVERIFY2(notes[0].contains(aside) && notes[0].contains("not logged") && notes[0].contains("saved as usual"),
                 qPrintable(notes[0]));
        QVERIFY(QFileInfo::exists(aside));
        QCOMPARE(r.t.logRows(), QString("2002-12-04 11:00:00|2002-12-04 11:30:00|0.0|1000.0|0"));
        TrafficState thisRun;
        thisRun.PeriodStart = at(4, 12, 0);
        thisRun.TotalBytesRcvd = 8000;
        next.tick(thisRun, r.clock);
        QCOMPARE(r.t.scalar("SELECT DateAndTimeStart || '|' || bytesrcvd FROM open_period").toString(),
                 QString("2002-12-04 12:00:00|8000.0"));
    }

    // Only lines as the program writes them are logged, and a file far larger than any run leaves is read only to
    // its bounds, in little memory. Such a file is then kept whole under another name, and the user is told once.
    void pendingLinesAreCheckedAndBounded_data()
    {
        QTest::addColumn<QByteArray>("lines"); // after a well-formed one
        QTest::addColumn<qint64>("zeros"); // after the lines, taking no disk
        QTest::addColumn<int>("logged");
        QTest::addColumn<bool>("keptAside");
        const auto row = [](const char* name, const QByteArray& lines, bool logged) {
            QTest::newRow(name) << lines << qint64(0) << (logged ? 2 : 1) << !logged;
        };
        const QByteArray hour = "2002-12-04 10:00:00\t2002-12-04 11:00:00\t";
        row("not dates, negative octets, not a number", "abc\tdef\t-5000000000\t-7000000\tNaN\n", false);
        row("ends a minute after now", "2002-12-04 11:00:00\t2002-12-04 12:01:00\t1\t1\t0\n", true);
        row("ends a minute and a second after now", "2002-12-04 11:00:00\t2002-12-04 12:01:01\t1\t1\t0\n", false);
        row("starts after it ends", "2002-12-04 11:00:01\t2002-12-04 11:00:00\t1\t1\t0\n", false);
        row("29 February of a common year", "2002-02-29 10:00:00\t2002-03-01 10:00:00\t1\t1\t0\n", false);
        row("hour 24", "2002-12-03 24:00:00\t2002-12-04 10:00:00\t1\t1\t0\n", false);
        row("a date in another form", "2002-12-4 10:00:00\t2002-12-04 11:00:00\t1\t1\t0\n", false);
        row("2^53 octets", hour + "9007199254740992\t0\t0\n", true);
        row("2^53 + 1 octets", hour + "9007199254740993\t0\t0\n", false);
        row("octets with a sign", hour + "+5\t0\t0\n", false);
        row("octets with a fraction", hour + "0\t5.5\t0\n", false);
        row("negative average", hour + "0\t0\t-0.5\n", false);
        row("infinite average", hour + "0\t0\tinf\n", false);
        row("a field too many", hour + "0\t0\t0\t0\n", false);
        row("cut short", hour + "0\t12", false);
        row("several damaged lines", "abc\n\x01\x02\ndef\n", false);
        QTest::newRow("300 MB without a newline") << QByteArray() << qint64(300) * 1024 * 1024 << 1 << true;
        QByteArray many;
        for (int i = 0; i < 3 * PeriodJournal::MaxAsideLines; ++i) {
            const QDateTime start = at(1, 0, 0).addSecs(i * 60);
            many += (dbDateTime(start) + '\t' + dbDateTime(start.addSecs(59)) + "\t1\t2\t0\n").toLatin1();
        }
        QTest::newRow("more lines than runs leave") << many << qint64(0) << PeriodJournal::MaxAsideLines << true;
    }

    void pendingLinesAreCheckedAndBounded()
    {
        QFETCH(QByteArray, lines);
        QFETCH(qint64, zeros);
        QFETCH(int, logged);
        QFETCH(bool, keptAside);
        Run r;
        const QString aside = PeriodJournal::asidePath(r.t.path());
        const QByteArray content = "2002-12-04 09:00:00\t2002-12-04 10:00:00\t700\t5000\t12.5000\n" + lines;
        QFile file(aside);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        QVERIFY(file.resize(content.size() + zeros));
        file.close();
        QStringList notes;
        bool recovered = false;
        const qint64 rise = peakRiseKiB([&] { recovered = r.j.recover(r.clock, nullptr, &notes); });
        QVERIFY(recovered);
        QVERIFY2(!residentMemoryMeaningful || rise < 8 * 1024, qPrintable(QString::number(rise)));
        QCOMPARE(r.t.logRows().section('\n', 0, 0),
                 QString("2002-12-04 09:00:00|2002-12-04 10:00:00|700.0|5000.0|12.5"));
        QCOMPARE(r.t.scalar("SELECT count(*) FROM log").toInt(), logged);
        QVERIFY(!file.exists());
        const QString rejected = aside + ".rejected";
        QCOMPARE(notes.size(), keptAside ? 1 : 0);
        QCOMPARE(QFileInfo(rejected).size(), keptAside ? content.size() + zeros : 0);
        QVERIFY(!keptAside || notes[0].contains(rejected));
    }

    // Each adapter's share of a period reaches the log with the period's row, by whichever way the row is written:
    // at once, from the save after a crash, or from the file kept aside at an exit whose row failed. Shares that do
    // not add up to their period are never logged: the row goes without them from the save, and a kept line is
    // rejected whole, as any damaged line is.
    void sharesGoWhereTheRowGoes_data()
    {
        QTest::addColumn<QString>("route");
        QTest::addColumn<QString>("records"); // adapter:received:sent
        const QString both = "usb0:400:500 wlan0:600:200";
        QTest::newRow("row written") << "write" << both;
        QTest::newRow("saved, then a crash") << "save" << both;
        QTest::newRow("saved shares damaged") << "save damaged" << QString();
        QTest::newRow("kept aside at exit") << "aside" << both;
        QTest::newRow("kept shares that do not add up") << "aside damaged" << QString();
    }

    void sharesGoWhereTheRowGoes()
    {
        QFETCH(QString, route);
        QFETCH(QString, records);
        Run r;
        r.s.TotalBytesRcvd = 1000;
        r.s.TotalBytesSent = 700;
        r.s.PeriodShares = {{"wlan0", 600, 200}, {"usb0", 400, 500}};
        const QString aside = PeriodJournal::asidePath(r.t.path());
        if (route == "write") {
            QVERIFY(r.w.WriteLogRow());
            QVERIFY(r.s.PeriodShares.empty());
        } else if (route.startsWith("save")) {
            QVERIFY(r.j.save(r.s, at(4, 11, 30)));
            if (route.endsWith("damaged"))
                r.t.exec("UPDATE open_period SET adapters = 'usb0:400:500 wlan0:600:199'");
        } else {
            QString error;
            QVERIFY(r.j.keepAside(r.s, at(4, 11, 30), &error));
            if (route.endsWith("damaged")) {
                QFile f(aside);
                QVERIFY(f.open(QIODevice::ReadOnly));
                const QByteArray line = f.readAll().replace("wlan0:600", "wlan0:601");
                f.close();
                QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(line) == line.size());
            }
        }
        if (route != "write")
            QVERIFY(PeriodJournal(r.t.db).recover(r.clock));
        QCOMPARE(r.t.scalar("SELECT count(*) FROM log").toInt(), route == "aside damaged" ? 0 : 1);
        QCOMPARE(r.t.scalar("SELECT coalesce(group_concat(adapter || ':' || bytesrcvd || ':' || BytesSent, ' '), '')"
                            " FROM (SELECT * FROM log_adapter JOIN log ON logrow = log.rowid"
                            " AND log_adapter.DateAndTimeStart = log.DateAndTimeStart ORDER BY adapter)")
                     .toString(),
                 records);
    }

    // The open period is saved at most once a minute and at every new period. After a crash it becomes one row
    // ending at its last save, which a clock set back does not make end before it starts.
    void journalSavesAndRecovers()
    {
        Run r;
        PeriodJournal afterCrash(r.t.db);
        const auto tickAt = [&r](const QDateTime& t) {
            r.clock.set(t);
            r.j.tick(r.s, r.clock);
        };
        const auto saved = [&] { return r.t.scalar("SELECT DateAndTimeStart || '|' || bytesrcvd FROM open_period"); };
        tickAt(at(4, 11, 0)); // no traffic yet: nothing to keep, or the save below would wait a minute
        r.s.TotalBytesRcvd = 1000;
        r.s.TotalBytesSent = 700;
        r.s.PeriodAvgDownSpeed = 12.5;
        tickAt(at(4, 11, 0, 1));
        r.s.TotalBytesRcvd = 2000;
        tickAt(at(4, 11, 0, 30)); // too soon
        QCOMPARE(saved().toString(), QString("2002-12-04 11:00:00|1000.0"));
        tickAt(at(4, 11, 1, 1));
        QVERIFY(afterCrash.recover(r.clock));
        r.s.PeriodStart = at(4, 11, 1, 2);
        tickAt(at(4, 11, 1, 2)); // a new period at once
        QCOMPARE(saved().toString(), QString("2002-12-04 11:01:02|2000.0"));
        r.s.TotalBytesRcvd = 3000;
        tickAt(at(4, 9, 0)); // the clock went back: still saved
        tickAt(at(4, 9, 5)); // idle: nothing new to write
        QVERIFY(afterCrash.recover(r.clock));
        QCOMPARE(r.t.logRows(),
                 QString("2002-12-04 11:00:00|2002-12-04 11:01:01|700.0|2000.0|12.5\n"
                         "2002-12-04 09:00:00|2002-12-04 09:00:00|700.0|3000.0|12.5"));
        QCOMPARE(r.t.scalar("SELECT count(*) FROM open_period").toInt(), 0);
    }
};

QTEST_GUILESS_MAIN(TestLogWriter)
#include "tst_logwriter.moc"
