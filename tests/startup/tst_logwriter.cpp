#include "Clock.h"
#include "LogWriter.h"
#include "PeriodJournal.h"
#include "TempDatabase.h"
#include "TrafficState.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>

#include <fcntl.h>
#include <functional>
#include <map>
#include <random>
#include <sqlite3.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QDateTime at(int day, int h, int m, int s = 0)
{
    return QDateTime(QDate(2002, 12, day), QTime(h, m, s));
}

// A log writer and the open-period journal on a fresh database, with the clock at noon on 4 December.
struct Run
{
    Run() { s.PeriodStart = at(4, 11, 0); }
    TempDatabase t;
    TrafficState s;
    FakeClock clock {at(4, 12, 0)};
    QStringList told; // what the user would have been told
    LogWriter w {t.db, s, clock, [this](const QString& message) { told.append(message); }};
    PeriodJournal j {t.db};
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

// A disk that keeps of each file what was synced, and of the writes since only those a power cut happens to spare, in
// any order. While it lives, it stands between SQLite and the platform's files.
class PowerCutDisk
{
    struct Write
    {
        sqlite3_int64 at;
        std::string bytes;
        bool truncate;
    };
    struct Image
    {
        std::optional<std::string> synced; // none: the file's name was never synced
        std::vector<Write> since;
    };
    // Kept after the platform's own file, which starts the block SQLite gives the file.
    struct Extra
    {
        const sqlite3_io_methods* real;
        Image* image;
    };
    static Extra& extra(sqlite3_file* f)
    {
        return *reinterpret_cast<Extra*>(reinterpret_cast<char*>(f) + s_disk->m_unix->szOsFile);
    }

public:
    using Files = std::map<std::string, std::string>;
    std::function<void()> beforeIo = [] {}; // before each write, truncation and sync

    PowerCutDisk()
    {
        s_disk = this;
        m_vfs = *m_unix;
        m_vfs.zName = "powercut";
        m_vfs.szOsFile = m_unix->szOsFile + int(sizeof(Extra));
        m_vfs.xOpen = [](sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* out) {
            QFile read(QFile::decodeName(name)); // before the open makes it
            Image i {read.open(QIODevice::ReadOnly) ? std::optional(read.readAll().toStdString()) : std::nullopt, {}};
            const int rc = s_disk->m_unix->xOpen(s_disk->m_unix, name, file, flags, out);
            if (rc == SQLITE_OK) {
                extra(file) = {file->pMethods, name ? &s_disk->m_images.try_emplace(name, i).first->second : nullptr};
                file->pMethods = &s_disk->wrap(file->pMethods);
            }
            return rc;
        };
        m_vfs.xDelete = [](sqlite3_vfs*, const char* name, int dirSync) {
            s_disk->m_images[name] = {};
            return s_disk->m_unix->xDelete(s_disk->m_unix, name, dirSync);
        };
        sqlite3_vfs_register(&m_vfs, 1);
    }
    ~PowerCutDisk()
    {
        sqlite3_vfs_register(m_unix, 1);
        sqlite3_vfs_unregister(&m_vfs);
    }

    // The files as a power cut now leaves them; each write since the last sync survives with an even chance.
    Files cut(std::mt19937& random) const
    {
        Files files;
        for (const auto& [name, i] : m_images)
            if (i.synced)
                files[name] = apply(i, [&] { return random() % 2 == 0; });
        return files;
    }

private:
    // The platform's methods, but for the writes, truncations and syncs it records; without memory-mapped pages,
    // which SQLite would write past xWrite.
    sqlite3_io_methods& wrap(const sqlite3_io_methods* real)
    {
        sqlite3_io_methods& io = m_io.try_emplace(real, *real).first->second;
        io.iVersion = std::min(io.iVersion, 2);
        io.xWrite = [](sqlite3_file* f, const void* b, int n, sqlite3_int64 at) {
            record(f, {at, std::string(static_cast<const char*>(b), size_t(n)), false});
            return extra(f).real->xWrite(f, b, n, at);
        };
        io.xTruncate = [](sqlite3_file* f, sqlite3_int64 size) {
            record(f, {size, {}, true});
            return extra(f).real->xTruncate(f, size);
        };
        io.xSync = [](sqlite3_file* f, int flags) {
            s_disk->beforeIo();
            const int rc = extra(f).real->xSync(f, flags);
            if (Image* i = extra(f).image; i && rc == SQLITE_OK)
                *i = {apply(*i, [] { return true; }), {}};
            return rc;
        };
        return io;
    }
    static void record(sqlite3_file* f, Write w)
    {
        s_disk->beforeIo();
        if (Image* i = extra(f).image)
            i->since.push_back(std::move(w));
    }
    template<typename Keep> static std::string apply(const Image& i, Keep keep)
    {
        std::string bytes = i.synced.value_or(std::string());
        for (const Write& w : i.since) {
            if (!keep())
                continue;
            if (w.truncate || bytes.size() < size_t(w.at) + w.bytes.size())
                bytes.resize(size_t(w.at) + w.bytes.size());
            bytes.replace(size_t(w.at), w.bytes.size(), w.bytes);
        }
        return bytes;
    }

    static inline PowerCutDisk* s_disk = nullptr;
    sqlite3_vfs* m_unix = sqlite3_vfs_find(nullptr);
    sqlite3_vfs m_vfs {};
    std::map<const sqlite3_io_methods*, sqlite3_io_methods> m_io;
    std::map<std::string, Image> m_images;
};

} // namespace

class TestLogWriter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A row holds the period's traffic and average and ends it; the next period starts empty and nothing is left
    // for crash recovery.
    void rowEndsThePeriod()
    {
        // {start, now, the row's times, the next period's start}
        const std::tuple<QDateTime, QDateTime, const char*, QDateTime> cases[] = {
            {at(4, 11, 0), at(4, 12, 0), "2002-12-04 11:00:00|2002-12-04 12:00:00", at(4, 12, 0)},
            // crossed midnight, written at 00:00:30; minute 1 is too late for the midnight rule
            {at(4, 22, 10), at(5, 0, 0, 30), "2002-12-04 22:10:00|2002-12-04 23:59:59", at(5, 0, 0)},
            {at(4, 22, 10), at(5, 0, 1), "2002-12-04 22:10:00|2002-12-05 00:01:00", at(5, 0, 1)},
            // clock set back: the row does not end before it starts
            {at(5, 14, 0), at(5, 9, 30), "2002-12-05 09:30:00|2002-12-05 09:30:00", at(5, 9, 30)},
        };
        for (const auto& [start, now, row, nextStart] : cases) {
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
            QCOMPARE(r.t.logRows().section('\n', 0, 0), row + QString("|4000.0|80000.0|12.3457"));
            QCOMPARE(r.t.scalar("SELECT count(*) FROM open_period").toInt(), 0); // removed with the row
        }
    }

    // Each fault: writes fail, the user is told once, and why, also by the message at exit; the traffic stays
    // pending, and the first write after the fault clears holds all of it.
    void faultsKeepTheTrafficPending()
    {
        for (const bool junk : {false, true}) {
            Run r;
            const QString path = r.t.path();
            if (junk) {
                QVERIFY(QFile::remove(path));
                QFile file(path);
                QVERIFY(file.open(QIODevice::WriteOnly) && file.write("restored from the wrong backup") > 0);
            } else {
                r.t.exec("PRAGMA query_only = ON");
            }
            r.s.TotalBytesRcvd = 1000;
            QVERIFY(!r.w.WriteLogRow());
            r.s.TotalBytesRcvd = 5000;
            QVERIFY(!r.w.WriteLogRow());
            QCOMPARE(r.told.size(), 1);
            const QString atExit = r.w.WriteLastRow(r.j, 100);
            for (const QString& text : {r.told.first(), atExit})
                QVERIFY2(!text.section('\n', 1, 1).isEmpty(), qPrintable(text)); // the line after "...written:"
            if (junk)
                QVERIFY(QFile::remove(path)); // a missing file is made anew
            else
                r.t.exec("PRAGMA query_only = OFF");
            QVERIFY2(r.w.WriteLogRow(), qPrintable(r.t.db.lastError()));
            QCOMPARE(r.t.logRows(), QString("2002-12-04 11:00:00|2002-12-04 12:00:00|0.0|5000.0|0"));
            QCOMPARE(r.told.size(), junk ? 2 : 1);
            QVERIFY(!junk || r.told.last().contains("A new database was made there"));
        }
    }

    // A file another copy of the program logs in, moved into the place of the deleted one, is never written, and
    // the last row is not kept beside it either, since that copy would log it. The user is told why each time.
    void anotherCopysFileIsNeverWritten()
    {
        Run r;
        const QString path = r.t.path();
        QVERIFY(QFile::remove(path));
        TempDatabase other("other");
        const int otherCopy = ::open(QFile::encodeName(other.path()), O_RDONLY | O_CLOEXEC);
        QCOMPARE(::flock(otherCopy, LOCK_EX), 0);
        QCOMPARE(::rename(QFile::encodeName(other.path()), QFile::encodeName(path)), 0);
        r.s.TotalBytesRcvd = 1000;
        QVERIFY(!r.w.WriteLogRow());
        const QString atExit = r.w.WriteLastRow(r.j, 100);
        QVERIFY2(!r.told.isEmpty() && r.told.first().contains("was deleted"), qPrintable(r.told.join('|')));
        QVERIFY2(atExit.contains("another copy") && atExit.contains("not logged"), qPrintable(atExit));
        QCOMPARE(other.scalar("SELECT count(*) FROM log").toInt(), 0);
        QVERIFY(!QFile::exists(PeriodJournal::asidePath(path)));
        ::close(otherCopy);
    }

    // A last row that cannot be written keeps the whole period, each adapter's share too, beside the database, and the
    // caller gets the text that tells the user where; the next start logs it once, in place of the older save of the
    // same period.
    void lastRowRefusedAtExitIsLoggedAtTheNextStart()
    {
        Run r;
        r.s.TotalBytesRcvd = 1000;
        QVERIFY(r.j.save(r.s, at(4, 11, 30)));
        r.s.TotalBytesRcvd = 5000;
        r.s.TotalBytesSent = 700;
        r.s.PeriodShares = {{"wlan0", 600, 200}, {"usb0", 4400, 500}};
        r.t.exec("PRAGMA query_only = ON");
        const QString told = r.w.WriteLastRow(r.j, 0);
        const QString aside = PeriodJournal::asidePath(r.t.path());
        QVERIFY2(told.contains(aside), qPrintable(told));
        QVERIFY(r.told.isEmpty()); // the caller shows it, in a box that keeps the process
        r.t.exec("PRAGMA query_only = OFF");
        PeriodJournal next(r.t.db);
        QVERIFY(QFile::copy(aside, aside + "~"));
        QVERIFY(next.recover(r.clock));
        QVERIFY(!QFile::exists(aside) && QFile::rename(aside + "~", aside)); // as if a crash had kept the file
        QVERIFY(next.recover(r.clock)); // its row is logged already
        QCOMPARE(r.t.logRows(), QString("2002-12-04 11:00:00|2002-12-04 12:00:00|700.0|5000.0|0"));
        // Each adapter's share goes with the row.
        QCOMPARE(r.t.scalar("SELECT group_concat(adapter || ':' || bytesrcvd || ':' || BytesSent, ' ') FROM (SELECT *"
                            " FROM log_adapter JOIN log ON logrow = log.rowid"
                            " AND log_adapter.DateAndTimeStart = log.DateAndTimeStart ORDER BY adapter)")
                     .toString(),
                 QString("usb0:4400:500 wlan0:600:200"));
    }

    // A kept-aside file that cannot be read holds nothing the database needs, and a named pipe there would block
    // the start: the start says what is not logged and leaves it, the period the earlier run saved is logged, and
    // this run's period is saved at its first tick.
    void unreadablePendingFileLeavesSavingOn()
    {
        Run r;
        r.s.TotalBytesRcvd = 1000;
        QVERIFY(r.j.save(r.s, at(4, 11, 30)));
        const QString aside = PeriodJournal::asidePath(r.t.path());
        QCOMPARE(::mkfifo(QFile::encodeName(aside), 0600), 0);
        PeriodJournal next(r.t.db);
        QStringList notes;
        QVERIFY(next.recover(r.clock, nullptr, &notes));
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

    // Only lines as the program writes them are logged (shares must add up to their row), and a file far larger than
    // any run leaves is read only to its bounds, in little memory. Such a file is then kept whole under another name,
    // and the user is told once.
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
        row("2^53 octets", hour + "9007199254740992\t0\t0\n", true);
        row("2^53 + 1 octets", hour + "9007199254740993\t0\t0\n", false);
        row("cut short", hour + "0\t12", false);
        row("shares that do not add up", hour + "0\t1000\t0\tusb0:400:0 wlan0:601:0\n", false);
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

    // A power cut at any write or sync of the saves, the rows and the end of a run: the file comes back whole at the
    // next start, with every octet of the last save or row that was done, and none beyond the one under way.
    void powerCutLosesNothingCommitted()
    {
        // In memory where there is a place for it: the cuts are many, and a sync there costs nothing.
        const QString scratch = (QFileInfo("/dev/shm").isWritable() ? "/dev/shm" : QDir::tempPath()) + "/cut-XXXXXX";
        QTemporaryDir dir(scratch);
        const QString path = dir.filePath("Zovodazad.mdb");
        {
            DbConnection made("made");
            QVERIFY(DatabaseFile::openOrCreate(made, path, nullptr));
        }
        std::vector<std::tuple<PowerCutDisk::Files, quint64, quint64>> cuts; // files, octets saved, under way
        FakeClock clock(at(4, 12, 0));
        {
            PowerCutDisk disk;
            std::mt19937 random(26);
            TrafficState s;
            quint64 done = 0;
            disk.beforeIo = [&] { cuts.emplace_back(disk.cut(random), done, s.TotalBytesRcvd); };
            DbConnection db;
            LogWriter w(db, s, clock, [](const QString&) {});
            PeriodJournal j(db);
            QVERIFY(DatabaseFile::openOrCreate(db, path, nullptr) && j.recover(clock));
            s.PeriodStart = at(4, 12, 0);
            for (int minute = 1; minute <= 9; ++minute) {
                s.TotalBytesRcvd += 1000;
                QVERIFY(minute % 3 ? j.save(s, at(4, 12, minute)) : w.WriteLogRow());
                done = s.TotalBytesRcvd;
            }
            db.close();
        }
        QVERIFY(cuts.size() > 50);
        for (const auto& [files, done, underWay] : cuts) {
            const QTemporaryDir after(scratch);
            for (const auto& [name, bytes] : files) {
                QFile f(after.filePath(QFileInfo(QFile::decodeName(name.c_str())).fileName()));
                QVERIFY(f.open(QIODevice::WriteOnly)
                        && f.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size()));
            }
            DbConnection back("back");
            QString error;
            QVERIFY2(DatabaseFile::openOrCreate(back, after.filePath("Zovodazad.mdb"), &error), qPrintable(error));
            QVERIFY(PeriodJournal(back).recover(clock));
            DbRecordset rs;
            QVERIFY(rs.open(back,
                            "SELECT (SELECT integrity_check FROM pragma_integrity_check) AS ok,"
                            " CAST(total(bytesrcvd) AS INTEGER) AS rcvd FROM log"));
            const quint64 logged = rs.field("ok").toString() == "ok" ? rs.field("rcvd").toULongLong() : 0;
            QVERIFY2(logged >= done && logged <= underWay,
                     qPrintable(QString("%1 %2 %3").arg(logged).arg(done).arg(underWay)));
        }
    }
};

QTEST_GUILESS_MAIN(TestLogWriter)
#include "tst_logwriter.moc"
