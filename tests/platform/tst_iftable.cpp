#include "FakeIfTable.h"
#include "IfTable.h"
#include "TableRows.h"

#include <QTest>

#include <cstring>

namespace {

// Counts its readings and serves whatever rows the test put in.
class CountingSource : public SnapshotIfTableSource
{
public:
    std::vector<IfEntry> next;
    bool fail = false;
    int readings = 0;

protected:
    bool readRows(std::vector<IfEntry>& rows) override
    {
        ++readings;
        rows = next;
        return !fail;
    }
};

} // namespace

class TestIfTable : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void writesThePublishedLayout()
    {
        const std::vector<IfEntry> rows {{"lo", (1ull << 32) + 7, 0xFFFFFFFF, 1}, {std::string(300, 'n'), 5, 6, 9}};
        std::uint32_t size = 0;
        QCOMPARE(writeIfTable(rows, nullptr, &size), IfTableStatus::InsufficientBuffer);
        QCOMPARE(size, 4u + 2 * 860);
        std::vector<std::uint8_t> table(size, 0xAA);
        size = 4 + 2 * 860 - 1;
        QCOMPARE(writeIfTable(rows, table.data(), &size), IfTableStatus::InsufficientBuffer);
        QCOMPARE(table[0], std::uint8_t {0xAA});
        QCOMPARE(writeIfTable(rows, table.data(), &size), IfTableStatus::Ok);

        const std::uint8_t* row = table.data() + 4;
        const auto field = [&](std::uint32_t offset) {
            std::uint32_t value;
            std::memcpy(&value, row + offset, 4);
            return value;
        };
        QCOMPARE(readIfCount(table.data(), size), 2u);
        QCOMPARE(field(512), 1u);
        QCOMPARE(field(552), 7u);
        QCOMPARE(field(576), 0xFFFFFFFFu);
        QCOMPARE(field(600), 2u);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(row + 604), 3), QByteArray("lo\0", 3)); // zeroed row
        row += 860;
        QCOMPARE(field(600), 256u);
        QCOMPARE(row[859], std::uint8_t {'n'});
        QCOMPARE(ifTableSize(std::size_t {1} << 32), 0u);
    }

    void readIfRowStaysInsideTheBuffer()
    {
        std::vector<std::uint8_t> table(4 + 2 * 860);
        std::uint32_t size = std::uint32_t(table.size());
        writeIfTable({{"a", 1, 1, 1}, {"b", 2, 2, 2}}, table.data(), &size);
        const auto setField
            = [&](std::uint32_t offset, std::uint32_t value) { std::memcpy(table.data() + offset, &value, 4); };
        IfRow row;
        setField(0, 0xFFFFFFFF); // a count far beyond the buffer
        QVERIFY(readIfRow(table.data(), size, 1, row));
        QVERIFY(!readIfRow(table.data(), size - 1, 1, row));
        QVERIFY(!readIfRow(table.data(), size, 2, row));
        QVERIFY(!readIfRow(table.data(), size, 0xFFFFFFFE, row));
        setField(0, 1); // rows past the count are not rows, whatever the buffer holds
        QVERIFY(!readIfRow(table.data(), size, 1, row));
        QCOMPARE(readIfCount(table.data(), 3), 0u);
        QVERIFY(!readIfRow(nullptr, size, 0, row));

        setField(4 + 600, 100000);
        QVERIFY(readIfRow(table.data(), size, 0, row));
        QCOMPARE(row.descrLen, 256u);
    }

    void sortByIndexIsStableWithUnknownLast()
    {
        std::vector<IfEntry> rows {{"x", 0, 0, 0}, {"c", 0, 0, 3}, {"y", 0, 0, 0}, {"a", 0, 0, 1}, {"b", 0, 0, 2}};
        sortByIndex(rows);
        std::string order;
        for (const auto& row : rows)
            order += row.name;
        QCOMPARE(order, std::string("abcxy"));
    }

    void sizeQueryAndFillShareOneReading()
    {
        CountingSource source;
        source.next = {{"lo", 1, 1, 1}};
        std::uint32_t size = 0;
        source.GetIfTable(nullptr, &size, true);
        source.next.push_back({"eth0", 2, 2, 2}); // appears between the two calls
        std::vector<std::uint8_t> buffer(size);
        QCOMPARE(source.GetIfTable(buffer.data(), &size, true), IfTableStatus::Ok);
        QCOMPARE(source.readings, 1);
        QCOMPARE(readIfCount(buffer.data(), size), 1u);

        // A fill on its own reads afresh, and now finds the buffer too small.
        QCOMPARE(source.GetIfTable(buffer.data(), &size, true), IfTableStatus::InsufficientBuffer);
        QCOMPARE(source.readings, 2);
        QCOMPARE(size, 4u + 2 * 860);

        source.fail = true;
        QCOMPARE(source.GetIfTable(nullptr, &size, true), IfTableStatus::CanNotComplete);
        QCOMPARE(size, 0u);
        QCOMPARE(source.GetIfTable(buffer.data(), nullptr, true), IfTableStatus::InvalidParameter);
    }

    void fakeServesRowsAndFailsOnRequest()
    {
        FakeIfTable fake;
        fake.rows = {{"lo", 10, 20}, {"eth0", (1ull << 32) | 5, 7}};
        fake.failCalls = 1;
        std::uint32_t size = 99;
        QVERIFY(fake.GetIfTable(nullptr, &size, true) != IfTableStatus::Ok);
        QCOMPARE(size, 0u);
        const auto rows = readTable(fake);
        QCOMPARE(names(rows), (QByteArrayList {"lo", "eth0"}));
        QCOMPARE(rows[1].in, 5u);
        QCOMPARE(fake.calls, 3);
    }
};

QTEST_GUILESS_MAIN(TestIfTable)
#include "tst_iftable.moc"
