#pragma once

#include "IfTable.h"

#include <QByteArrayList>

// The table as the sampler takes it: a size query, a fill of that size, then each row in turn, the hardware flag
// as facts.device. Empty when the fill fails.
inline std::vector<IfEntry> readTable(IfTableSource& source)
{
    std::uint32_t size = 0;
    source.GetIfTable(nullptr, &size, true);
    std::vector<std::uint8_t> buffer(size);
    const std::uint32_t result = source.GetIfTable(buffer.data(), &size, true);
    std::vector<IfEntry> rows;
    IfRow row;
    for (std::uint32_t k = 0; result == IfTableStatus::Ok && readIfRow(buffer.data(), size, k, row); ++k)
        rows.push_back({std::string(reinterpret_cast<const char*>(row.descr.data()), row.descrLen),
                        row.inOctets,
                        row.outOctets,
                        row.index,
                        {(row.flags & IfFlag::Hardware) != 0}});
    return rows;
}

inline QByteArrayList names(const std::vector<IfEntry>& rows)
{
    QByteArrayList result;
    for (const IfEntry& row : rows)
        result.append(QByteArray::fromStdString(row.name));
    return result;
}
