#include "IfTable.h"

#include <algorithm>

[[gnu::hot]] bool isHardware(const LinkFacts& facts)
{
    return facts.device || (facts.kind.empty() && !facts.loopback);
}

[[gnu::hot]] void sortByIndex(std::vector<IfEntry>& entries)
{
    // index - 1 turns the unknown index 0 into the largest value, so those entries go last. An insertion sort by
    // rotation: the kernel's order is already (nearly) ascending, and std::stable_sort would take a buffer.
    const auto before = [](const IfEntry& a, const IfEntry& b) { return a.index - 1 < b.index - 1; };
    for (auto it = entries.begin(); it != entries.end(); ++it)
        std::rotate(std::upper_bound(entries.begin(), it, *it, before), it, it + 1);
}
