#include "ProcNetDevIfTable.h"
#include "TableRows.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestProcNetDevIfTable : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    static void write(const QString& path, const QByteArray& text)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }

    std::vector<TableRow> read(const QByteArray& lines, std::uint32_t* status = nullptr)
    {
        const QString dev = m_dir.filePath(QStringLiteral("dev"));
        write(dev,
              "Inter-|   Receive                            |  Transmit\n"
              " face |bytes    packets errs drop fifo frame compressed multicast|bytes    packets errs\n"
                  + lines);
        ProcNetDevIfTable source(dev.toStdString(), m_dir.filePath(QStringLiteral("net")).toStdString());
        return readTable(source, status);
    }

    void setIndex(const QByteArray& name, int index)
    {
        const QString dir = m_dir.filePath(QStringLiteral("net/") + QString::fromUtf8(name));
        QDir().mkpath(dir);
        write(dir + QStringLiteral("/ifindex"), QByteArray::number(index) + '\n');
    }

private Q_SLOTS:
    void parsesSortsAndWraps()
    {
        setIndex("wl@n-0.1", 7);
        setIndex("lo", 1);
        setIndex("x:y", 3);
        setIndex("\xc3\xb1"
                 "et",
                 5);
        const auto rows = read("wl@n-0.1: 4294967303 9 0 0 0 0 0 0 18446744073709551615 1 0 0 0 0 0 0\n"
                               "  not-in-sys:  1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16\n"
                               "    lo:    3267      29    0    0    0     0          0         0     3268      29\n"
                               "x:y:12 0 0 0 0 0 0 0 34 0 0 0 0 0 0 0\n"
                               "\xc3\xb1"
                               "et: 1 0 0 0 0 0 0 0 2 0 0 0 0 0 0 0"); // no final newline
        QCOMPARE(names(rows),
                 (QByteArrayList {"lo", "x:y",
                                  "\xc3\xb1"
                                  "et",
                                  "wl@n-0.1", "not-in-sys"}));
        QCOMPARE(rows[0].in, 3267u);
        QCOMPARE(rows[0].out, 3268u);
        QCOMPARE(rows[1].in, 12u);
        QCOMPARE(rows[1].out, 34u);
        QCOMPARE(rows[3].in, 7u);
        QCOMPARE(rows[3].out, 0xFFFFFFFFu);
        QCOMPARE(rows[3].index, 7u);
        QCOMPARE(rows[4].in, 1u);
        QCOMPARE(rows[4].out, 9u);
        QCOMPARE(rows[4].index, 0u);
    }

    void unreadableOrUnknownFormatFails()
    {
        ProcNetDevIfTable missing(m_dir.filePath(QStringLiteral("absent")).toStdString());
        std::uint32_t size = 123;
        QCOMPARE(missing.GetIfTable(nullptr, &size, true), IfTableStatus::CanNotComplete);
        QCOMPARE(size, 0u);

        std::uint32_t status = 0;
        for (const char* bad :
             {"lo: 1 2 3\n", "lo: 1 2 3 4 5 6 7 8 99999999999999999999 0\n", "  : 1 2 3 4 5 6 7 8 9\n"}) {
            read(bad, &status);
            QVERIFY2(status != IfTableStatus::Ok, bad);
        }
        QVERIFY(read("", &status).empty());
        QCOMPARE(status, IfTableStatus::Ok);
    }
};

QTEST_GUILESS_MAIN(TestProcNetDevIfTable)
#include "tst_procnetdeviftable.moc"
