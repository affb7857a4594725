#pragma once

#include "IfTable.h"

// Test double: serves rows in the order they stand, each with the index it was given (0 unless set).
class FakeIfTable : public IfTableSource
{
public:
    std::uint32_t GetIfTable(std::uint8_t* table, std::uint32_t* size, bool) override
    {
        ++calls;
        if (failCalls > 0) {
            --failCalls;
            if (!table && size)
                *size = 0;
            return IfTableStatus::CanNotComplete;
        }
        return writeIfTable(rows, table, size);
    }

    std::vector<IfEntry> rows; // e.g. {{"lo", 1000, 1000}, {"eth0", 1ull << 32 | 5, 7, 2, {true}}}
    int failCalls = 0; // the next this many calls fail, a size query with size 0
    int calls = 0;
};
