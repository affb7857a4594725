#pragma once

#include "IfTable.h"

#include <QByteArrayList>

struct TableRow
{
    QByteArray name;
    std::uint32_t in = 0;
    std::uint32_t out = 0;
    std::uint32_t index = 0;
};

// The table as the sampler takes it: a size query, a fill of that size, then each row in turn. Empty when the
// fill fails.
inline std::vector<TableRow> readTable(IfTableSource& source)
{
    std::uint32_t size = 0;
    source.GetIfTable(nullptr, &size, true);
    std::vector<std::uint8_t> buffer(size);
    const std::uint32_t result = source.GetIfTable(buffer.data(), &size, true);
    std::vector<TableRow> rows;
    IfRow row;
    for (std::uint32_t k = 0; result == IfTableStatus::Ok && readIfRow(buffer.data(), size, k, row); ++k)
        rows.push_back({QByteArray(reinterpret_cast<const char*>(row.descr.data()), int(row.descrLen)), row.inOctets,
                        row.outOctets, row.index});
    return rows;
}

inline QByteArrayList names(const std::vector<TableRow>& rows)
{
    QByteArrayList result;
    for (const TableRow& row : rows)
        result.append(row.name);
    return result;
}
