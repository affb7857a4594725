#include "IfTable.h"
#include "NetlinkIfTable.h"
#include "ProcNetDevIfTable.h"

std::unique_ptr<IfTable> makeSystemIfTable()
{
    if (auto netlink = NetlinkIfTable::open())
        return netlink;
    return std::make_unique<ProcNetDevIfTable>();
}
