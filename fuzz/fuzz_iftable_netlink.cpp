#include "NetlinkIfTable.h"

#include <cstdlib>
#include <linux/rtnetlink.h>

// Any bytes as one received rtnetlink datagram of a stats or link dump: parsing stays within the bytes
// received and never yields a name longer than a table row holds.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    IfEntry entry;
    Rtnl::DumpState state;
    Rtnl::walkDatagram(data, size, 1, state,
                       [&entry](std::uint16_t type, const std::uint8_t* payload, std::size_t length) {
                           if (type == RTM_NEWLINK)
                               return Rtnl::parseLink(payload, length, entry);
                           return Rtnl::parseStats(payload, length, entry);
                       });
    if (entry.name.size() > IfLayout::DescrMax)
        std::abort();
    return 0;
}
