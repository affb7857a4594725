#include "IfTable.h"
#include "ProcNetDevIfTable.h"
#include "TableRows.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>

namespace {

void write(const QString& path, const QByteArray& text)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}

} // namespace

class TestIfTable : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    // The /proc/net/dev under test: the two heading lines, then `lines`.
    void setDev(const QByteArray& lines)
    {
        write(m_dir.filePath("dev"),
              "Inter-|   Receive                            |  Transmit\n"
              " face |bytes    packets errs drop fifo frame compressed multicast|bytes    packets errs\n"
                  + lines);
    }

    // A reader of that file, with the interfaces' indexes under m_dir/net.
    ProcNetDevIfTable procFile(const QByteArray& lines)
    {
        setDev(lines);
        return ProcNetDevIfTable(m_dir.filePath("dev").toStdString(), m_dir.filePath("net").toStdString());
    }

private Q_SLOTS:
    void writeAndReadBackWithinBounds()
    {
        const std::vector<IfEntry> rows {{"lo", 1, 1, 1}, {std::string(300, 'n'), 5, 6, 9}};
        std::uint32_t size = 0;
        QCOMPARE(writeIfTable(rows, nullptr, &size), IfTableStatus::InsufficientBuffer);
        QCOMPARE(size, 4u + 2 * 860);
        std::vector<std::uint8_t> table(size, 0xAA);
        size -= 1;
        QCOMPARE(writeIfTable(rows, table.data(), &size), IfTableStatus::InsufficientBuffer);
        QCOMPARE(table[0], std::uint8_t {0xAA});
        QCOMPARE(writeIfTable(rows, table.data(), &size), IfTableStatus::Ok);
        IfRow row;
        QVERIFY(readIfRow(table.data(), size, 1, row));
        QCOMPARE(row.descrLen, 256u); // the name cut to what bDescr holds
        QCOMPARE(ifTableSize(std::size_t {1} << 32), 0u);

        const auto setField
            = [&](std::uint32_t offset, std::uint32_t value) { std::memcpy(table.data() + offset, &value, 4); };
        setField(0, 0xFFFFFFFF); // a count far beyond the buffer
        QVERIFY(readIfRow(table.data(), size, 1, row));
        QVERIFY(!readIfRow(table.data(), size - 1, 1, row));
        QVERIFY(!readIfRow(table.data(), size, 2, row));
        QVERIFY(!readIfRow(table.data(), size, 1u << 30, row)); // k * 860 is 0 modulo 2^32
        setField(0, 1); // rows past the count are not rows, whatever the buffer holds
        QVERIFY(!readIfRow(table.data(), size, 1, row));
        QCOMPARE(readIfCount(table.data(), 3), 0u);
        QVERIFY(!readIfRow(nullptr, size, 0, row));
        setField(4 + 600, 100000); // dwDescrLen beyond the 256 bytes of bDescr
        QVERIFY(readIfRow(table.data(), size, 0, row));
        QCOMPARE(row.descrLen, 256u);
    }

    void sizeQueryAndFillShareOneReading()
    {
        auto source = procFile("lo: 1 0 0 0 0 0 0 0 1\n");
        std::uint32_t size = 0;
        source.GetIfTable(nullptr, &size, true);
        setDev("lo: 1 0 0 0 0 0 0 0 1\neth0: 2 0 0 0 0 0 0 0 2\n"); // appears between the two calls
        std::vector<std::uint8_t> buffer(size);
        QCOMPARE(source.GetIfTable(buffer.data(), &size, true), IfTableStatus::Ok);
        QCOMPARE(readIfCount(buffer.data(), size), 1u);
        // A fill on its own reads afresh, and now finds the buffer too small.
        QCOMPARE(source.GetIfTable(buffer.data(), &size, true), IfTableStatus::InsufficientBuffer);
        QCOMPARE(size, 4u + 2 * 860);
    }

    void procFileParsesSortsAndWraps()
    {
        write(m_dir.filePath("net/lo/ifindex"), "1\n");
        write(m_dir.filePath("net/x:y/ifindex"), "3\n");
        write(m_dir.filePath("net/\u00f1et/ifindex"), "5\n");
        write(m_dir.filePath("net/wl@n-0.1/ifindex"), "7\n");
        auto source = procFile("wl@n-0.1: 4294967303 9 0 0 0 0 0 0 18446744073709551615 1 0 0 0 0 0 0\n"
                               "  not-in-sys:  1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16\n"
                               "    lo:    3267      29    0    0    0     0          0         0     3268      29\n"
                               "x:y:12 0 0 0 0 0 0 0 34 0 0 0 0 0 0 0\n"
                               "gone: 5 0 0 0 0 0 0 0 6\n"
                               "\u00f1et: 1 0 0 0 0 0 0 0 2 0 0 0 0 0 0 0"); // no final newline
        QByteArray table;
        for (const TableRow& row : readTable(source))
            table += row.name + ' ' + QByteArray::number(row.in) + ' ' + QByteArray::number(row.out) + ' '
                + QByteArray::number(row.index) + "; ";
        // Unknown indexes last, in file order.
        QCOMPARE(table,
                 QByteArray("lo 3267 3268 1; x:y 12 34 3; \u00f1et 1 2 5; wl@n-0.1 7 4294967295 7; not-in-sys 1 9 0; "
                            "gone 5 6 0; "));
    }

    void procFileOfUnknownFormatFails()
    {
        std::uint32_t size = 123;
        ProcNetDevIfTable missing(m_dir.filePath("absent").toStdString());
        QCOMPARE(missing.GetIfTable(nullptr, &size, true), IfTableStatus::CanNotComplete);
        QCOMPARE(size, 0u);
        for (const char* bad :
             {"lo: 1 2 3\n", "lo: 1 2 3 4 5 6 7 8 99999999999999999999 0\n", "  : 1 2 3 4 5 6 7 8 9\n"})
            QVERIFY2(procFile(bad).GetIfTable(nullptr, &size, true) == IfTableStatus::CanNotComplete, bad);
        procFile("").GetIfTable(nullptr, &size, true); // no interfaces is no failure
        QCOMPARE(size, 4u);
    }
};

QTEST_GUILESS_MAIN(TestIfTable)
#include "tst_iftable.moc"
