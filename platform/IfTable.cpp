#include "IfTable.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

void put32(std::uint8_t* at, std::uint32_t value)
{
    std::memcpy(at, &value, sizeof value);
}

void put64(std::uint8_t* at, std::uint64_t value)
{
    std::memcpy(at, &value, sizeof value);
}

std::uint32_t get32(const std::uint8_t* at)
{
    std::uint32_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

std::uint64_t get64(const std::uint8_t* at)
{
    std::uint64_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

} // namespace

[[gnu::hot]] bool isHardware(const LinkFacts& facts)
{
    return facts.device || (facts.kind.empty() && !facts.loopback);
}

[[gnu::hot]] std::uint32_t ifTableSize(std::size_t rows)
{
    constexpr std::size_t maxRows
        = (std::numeric_limits<std::uint32_t>::max() - IfLayout::CountSize) / IfLayout::RowSize;
    if (rows > maxRows)
        return 0;
    return IfLayout::CountSize + static_cast<std::uint32_t>(rows) * IfLayout::RowSize;
}

[[gnu::hot]] void sortByIndex(std::vector<IfEntry>& rows)
{
    // index - 1 turns the unknown index 0 into the largest value, so those rows go last.
    const auto before = [](const IfEntry& a, const IfEntry& b) { return a.index - 1 < b.index - 1; };
    for (auto it = rows.begin(); it != rows.end(); ++it)
        std::rotate(std::upper_bound(rows.begin(), it, *it, before), it, it + 1);
}

[[gnu::hot]] std::uint32_t writeIfTable(const std::vector<IfEntry>& rows, std::uint8_t* table, std::uint32_t* size)
{
    if (!size)
        return IfTableStatus::InvalidParameter;
    const std::uint32_t needed = ifTableSize(rows.size());
    if (needed == 0)
        return IfTableStatus::CanNotComplete;
    if (!table || *size < needed) {
        *size = needed;
        return IfTableStatus::InsufficientBuffer;
    }
    put32(table, static_cast<std::uint32_t>(rows.size()));
    std::uint8_t* row = table + IfLayout::CountSize;
    for (const IfEntry& entry : rows) {
        std::memset(row, 0, IfLayout::RowSize);
        const auto descrLen = static_cast<std::uint32_t>(std::min<std::size_t>(entry.name.size(), IfLayout::DescrMax));
        put32(row + IfLayout::Index, entry.index);
        put32(row + IfLayout::DescrLen, descrLen);
        put32(row + IfLayout::Flags, isHardware(entry.facts) ? IfFlag::Hardware : 0);
        put64(row + IfLayout::InOctets, entry.inOctets);
        put64(row + IfLayout::OutOctets, entry.outOctets);
        std::memcpy(row + IfLayout::Descr, entry.name.data(), descrLen);
        row += IfLayout::RowSize;
    }
    return IfTableStatus::Ok;
}

[[gnu::hot]] std::uint32_t readIfCount(const std::uint8_t* table, std::uint32_t size)
{
    if (!table || size < IfLayout::CountSize)
        return 0;
    return get32(table);
}

[[gnu::hot]] bool readIfRow(const std::uint8_t* table, std::uint32_t size, std::uint32_t k, IfRow& out)
{
    if (k >= readIfCount(table, size))
        return false;
    const std::uint64_t start = IfLayout::CountSize + std::uint64_t {k} * IfLayout::RowSize;
    if (start + IfLayout::RowSize > size)
        return false;
    const std::uint8_t* row = table + start;
    out.index = get32(row + IfLayout::Index);
    out.inOctets = get64(row + IfLayout::InOctets);
    out.outOctets = get64(row + IfLayout::OutOctets);
    out.flags = get32(row + IfLayout::Flags);
    out.descrLen = std::min(get32(row + IfLayout::DescrLen), IfLayout::DescrMax);
    std::memcpy(out.descr.data(), row + IfLayout::Descr, IfLayout::DescrMax);
    return true;
}

[[gnu::hot]] std::uint32_t SnapshotIfTableSource::GetIfTable(std::uint8_t* table, std::uint32_t* size, bool)
{
    if (!size)
        return IfTableStatus::InvalidParameter;
    const bool fromSizeQuery = table && m_sizeQueried;
    m_sizeQueried = false;
    if (!fromSizeQuery && !readRows(m_rows)) {
        if (!table)
            *size = 0;
        return IfTableStatus::CanNotComplete;
    }
    m_sizeQueried = !table;
    return writeIfTable(m_rows, table, size);
}
