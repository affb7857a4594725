#include "ProcNetDevIfTable.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

namespace {

bool sameEntries(const std::vector<IfEntry>& a, const std::vector<IfEntry>& b)
{
    return std::equal(a.cbegin(), a.cend(), b.cbegin(), b.cend(), [](const IfEntry& x, const IfEntry& y) {
        return x.name == y.name && x.index == y.index && x.hardware == y.hardware && x.state == y.state
            && x.inOctets == y.inOctets && x.outOctets == y.outOctets;
    });
}

} // namespace

// Any bytes as the text of /proc/net/dev: a name is never empty and never takes in the separating colon or the next
// line, and parsing over the entries of an earlier text (as each reading does) gives what a fresh vector gets.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static std::vector<IfEntry> reused {{7, "stale", true, OperState::Up, 1, 2}};
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<IfEntry> fresh;
    const bool parsed = parseProcNetDev(text, fresh);
    if (parseProcNetDev(text, reused) != parsed)
        std::abort();
    if (!parsed)
        return 0;
    for (const IfEntry& entry : fresh) {
        if (entry.name.empty() || entry.name.find_first_of(":\n") != std::string::npos)
            std::abort();
    }
    if (!sameEntries(fresh, reused))
        std::abort();
    return 0;
}
