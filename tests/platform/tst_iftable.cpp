#include "IfTable.h"
#include "ProcNetDevIfTable.h"
#include "TableRows.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>

class TestIfTable : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    void write(const QString& name, const QByteArray& text)
    {
        QDir().mkpath(QFileInfo(m_dir.filePath(name)).path());
        QFile file(m_dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }

    // A reader of m_dir/dev, which holds the two heading lines and then `lines`, with the indexes under m_dir/net.
    ProcNetDevIfTable procFile(const QByteArray& lines)
    {
        write("dev",
              "Inter-|   Receive                |  Transmit\n face |bytes    packets errs|bytes    packets\n" + lines);
        return ProcNetDevIfTable(m_dir.filePath("dev").toStdString(), m_dir.filePath("net").toStdString());
    }

private Q_SLOTS:
    void writeAndReadBackWithinBounds()
    {
        const std::vector<IfEntry> rows {{"lo", 1, 1, 1, {false, true}}, {std::string(300, 'n'), 5ull << 40, 6, 9}};
        std::uint32_t size = 0;
        QCOMPARE(writeIfTable(rows, nullptr, &size), IfTableStatus::InsufficientBuffer);
        std::vector<std::uint8_t> table(size, 0xAA);
        size -= 1;
        QCOMPARE(writeIfTable(rows, table.data(), &size), IfTableStatus::InsufficientBuffer);
        QCOMPARE(table[0], std::uint8_t {0xAA});
        QCOMPARE(writeIfTable(rows, table.data(), &size), IfTableStatus::Ok);
        IfRow row;
        QVERIFY(readIfRow(table.data(), size, 0, row));
        QCOMPARE(row.flags, 0u); // loopback
        QVERIFY(readIfRow(table.data(), size, 1, row));
        QCOMPARE(row.descrLen, 256u); // the name cut to what bDescr holds
        QCOMPARE(row.inOctets, 5ull << 40);
        QCOMPARE(row.flags, IfFlag::Hardware);

        // Rows cut by the buffer's end and lengths beyond bDescr are left to the fuzz corpus replay.
        const auto setCount = [&](std::uint32_t count) { std::memcpy(table.data(), &count, 4); };
        setCount(0xFFFFFFFF); // a count far beyond the buffer
        QVERIFY(readIfRow(table.data(), size, 1, row));
        QVERIFY(!readIfRow(table.data(), size, 2, row));
        QVERIFY(!readIfRow(table.data(), size, 1u << 30, row)); // k * 880 is 0 modulo 2^32
        setCount(1); // rows past the count are not rows, whatever the buffer holds
        QVERIFY(!readIfRow(table.data(), size, 1, row));
    }

    // Full 64-bit counters; only an interface with a device behind it is hardware.
    void procFileParsesAndSorts()
    {
        for (const char* name : {"lo 1", "x:y 3", "\u00f1et 5", "wl@n-0.1 7"})
            write(QString("net/%1/ifindex").arg(QString(name).section(' ', 0, 0)), QByteArray(name).split(' ')[1]);
        write("net/wl@n-0.1/device/uevent", "DRIVER=iwlwifi\n");
        auto source = procFile("wl@n-0.1: 4294967303 9 0 0 0 0 0 0 18446744073709551615 1 0 0 0 0 0 0\n"
                               "  not-in-sys:  1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16\n"
                               "    lo:    3267      29    0    0    0     0          0         0     3268      29\n"
                               "x:y:12 0 0 0 0 0 0 0 34 0 0 0 0 0 0 0\n"
                               "gone: 5 0 0 0 0 0 0 0 6\n"
                               "\u00f1et: 1 0 0 0 0 0 0 0 2 0 0 0 0 0 0 0"); // no final newline
        QByteArray table;
        for (const IfEntry& row : readTable(source))
            table += QByteArray::fromStdString(row.name) + ' ' + QByteArray::number(row.inOctets) + ' '
                + QByteArray::number(row.outOctets) + ' ' + QByteArray::number(row.index)
                + (row.facts.device ? " hw; " : "; ");
        // Unknown indexes last, in file order.
        QCOMPARE(
            table,
            QByteArray("lo 3267 3268 1; x:y 12 34 3; \u00f1et 1 2 5; wl@n-0.1 4294967303 18446744073709551615 7 hw; "
                       "not-in-sys 1 9 0; "
                       "gone 5 6 0; "));
    }

    // A fill after a size query serves the reading the size came from; any other call reads afresh. A file of a
    // format not known fails the reading rather than leave rows out.
    void readingsAndUnknownFormats()
    {
        auto source = procFile("lo: 1 0 0 0 0 0 0 0 1\n");
        std::uint32_t size = 0;
        source.GetIfTable(nullptr, &size, true);
        procFile("lo: 1 2 3\n"); // changed between the two calls
        std::vector<std::uint8_t> buffer(size);
        QCOMPARE(source.GetIfTable(buffer.data(), &size, true), IfTableStatus::Ok);
        QCOMPARE(source.GetIfTable(buffer.data(), &size, true), IfTableStatus::CanNotComplete);
        for (const char* bad : {"lo: 1 2 3 4 5 6 7 8 99999999999999999999 0\n", "  : 1 2 3 4 5 6 7 8 9\n"})
            QVERIFY2(procFile(bad).GetIfTable(nullptr, &size, true) == IfTableStatus::CanNotComplete, bad);
        QCOMPARE(ProcNetDevIfTable(m_dir.filePath("absent").toStdString()).GetIfTable(nullptr, &size, true),
                 IfTableStatus::CanNotComplete);
        QCOMPARE(size, 0u);
        procFile("").GetIfTable(nullptr, &size, true); // no interfaces is no failure
        QCOMPARE(size, 4u);
    }
};

QTEST_GUILESS_MAIN(TestIfTable)
#include "tst_iftable.moc"
