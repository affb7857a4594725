#include "NetlinkIfTable.h"

#include <cstdlib>
#include <linux/rtnetlink.h>

// Any bytes as one received rtnetlink datagram of a stats or link dump: parsing stays within the bytes received,
// a name ends at the attribute's terminating zero, and a state byte the kernel never sends maps to a known state.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    IfEntry entry;
    LinkFacts facts;
    Rtnl::DumpState state;
    Rtnl::walkDatagram(data, size, 1, state, [&](std::uint16_t type, const std::uint8_t* payload, std::size_t length) {
        if (type == RTM_NEWLINK)
            return Rtnl::parseLink(payload, length, entry, facts);
        return Rtnl::parseStats(payload, length, entry);
    });
    if (entry.name.find('\0') != std::string::npos || facts.kind.find('\0') != std::string::npos
        || entry.state > OperState::Up)
        std::abort();
    return 0;
}
