#pragma once

#include "IfTable.h"

#include <mutex>

// Test double: serves rows in the order they stand, each entry as it was given.
class FakeIfTable : public IfTable
{
public:
    bool read(std::vector<IfEntry>& into) override
    {
        const std::lock_guard lock(m_mutex);
        ++calls;
        if (failCalls > 0) {
            --failCalls;
            return false;
        }
        into = rows;
        return true;
    }

    // For a test whose sampling thread reads the table meanwhile.
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

    std::vector<IfEntry>
        rows; // e.g. {{1, "lo", false, OperState::Unknown, 1000, 1000}, {2, "eth0", true, OperState::Up}}
    int failCalls = 0; // the next this many calls fail
    int calls = 0;

private:
    mutable std::mutex m_mutex;
};
