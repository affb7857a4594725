#include "IfTable.h"
#include "NetlinkIfTable.h"
#include "ProcNetDevIfTable.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <linux/if_link.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The kernel's share of a reading: one dump request and its replies, with no parsing beyond finding the end.
template<class Body> void bareDump(benchmark::State& state, std::uint16_t type, const Body& body)
{
    const int fd = socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
    if (fd < 0) {
        state.SkipWithError("no rtnetlink");
        return;
    }
    std::vector<std::uint8_t> buffer(32768);
    std::uint32_t seq = 0;
    for (auto _ : state) {
        struct
        {
            nlmsghdr header;
            Body body;
        } request {};
        request.header = {sizeof request, type, NLM_F_REQUEST | NLM_F_DUMP, ++seq, 0};
        request.body = body;
        send(fd, &request, sizeof request, 0);
        bool done = false;
        while (!done) {
            const ssize_t received = recv(fd, buffer.data(), buffer.size(), 0);
            if (received <= 0)
                break;
            for (std::size_t offset = 0; offset + sizeof(nlmsghdr) <= std::size_t(received);) {
                nlmsghdr header;
                std::memcpy(&header, buffer.data() + offset, sizeof header);
                done = done || header.nlmsg_type == NLMSG_DONE || header.nlmsg_type == NLMSG_ERROR;
                offset += NLMSG_ALIGN(header.nlmsg_len ? header.nlmsg_len : received);
            }
        }
    }
    close(fd);
}

void BM_BareStatsDump(benchmark::State& state)
{
    if_stats_msg body {};
    body.filter_mask = IFLA_STATS_FILTER_BIT(IFLA_STATS_LINK_64);
    bareDump(state, RTM_GETSTATS, body);
}
BENCHMARK(BM_BareStatsDump);

void BM_BareLinkDump(benchmark::State& state)
{
    bareDump(state, RTM_GETLINK, ifinfomsg {});
}
BENCHMARK(BM_BareLinkDump);

void BM_ProcNetDevRead(benchmark::State& state)
{
    std::vector<char> buffer(65536);
    for (auto _ : state) {
        const int fd = open("/proc/net/dev", O_RDONLY | O_CLOEXEC);
        while (read(fd, buffer.data(), buffer.size()) > 0) { }
        close(fd);
    }
}
BENCHMARK(BM_ProcNetDevRead);

// One sampler tick: a reading into the entries the last one left.
void tick(benchmark::State& state, IfTable& table)
{
    std::vector<IfEntry> entries;
    for (auto _ : state)
        benchmark::DoNotOptimize(table.read(entries));
}

void BM_NetlinkTick(benchmark::State& state)
{
    const auto table = NetlinkIfTable::open();
    if (!table) {
        state.SkipWithError("no rtnetlink");
        return;
    }
    tick(state, *table);
}
BENCHMARK(BM_NetlinkTick);

void BM_ProcNetDevTick(benchmark::State& state)
{
    ProcNetDevIfTable table;
    tick(state, table);
}
BENCHMARK(BM_ProcNetDevTick);

} // namespace
