#pragma once

#include "IfTable.h"

#include <mutex>

// Test double: serves rows in the order they stand, each with the index it was given (0 unless set).
class FakeIfTable : public IfTableSource
{
public:
    std::uint32_t GetIfTable(std::uint8_t* table, std::uint32_t* size, bool) override
    {
        const std::lock_guard lock(m_mutex);
        ++calls;
        if (failCalls > 0) {
            --failCalls;
            if (!table && size)
                *size = 0;
            return IfTableStatus::CanNotComplete;
        }
        return writeIfTable(rows, table, size);
    }

    // For a test whose sampling timer's thread reads the table meanwhile.
    template<class Change> void change(Change&& change)
    {
        const std::lock_guard lock(m_mutex);
        change(rows);
    }
    int callCount() const
    {
        const std::lock_guard lock(m_mutex);
        return calls;
    }

    std::vector<IfEntry> rows; // e.g. {{"lo", 1000, 1000}, {"eth0", 1ull << 32 | 5, 7, 2, {true}}}
    int failCalls = 0; // the next this many calls fail, a size query with size 0
    int calls = 0;

private:
    mutable std::mutex m_mutex;
};
