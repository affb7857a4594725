#include "NetlinkIfTable.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <linux/if.h>
#include <linux/if_link.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace {

// The kernel sizes each dump datagram by the largest receive buffer the socket has offered. A page holds the
// counters of over a dozen interfaces and keeps each tick's reply in one small slab allocation; a larger buffer
// would have the kernel take and free fresh pages for every reading. A datagram that does not fit grows it.
constexpr std::size_t ReceiveSize = 4096;
// A reading that races changes to the list of interfaces is taken again, up to this many times; then it fails and the
// next reading starts afresh. With veth pairs made and removed as fast as ip(8) can, races come in bursts of a few
// back-to-back attempts.
constexpr int ReadAttempts = 8;
// The readings run on a sampling thread of their own: a kernel that does not answer within this time fails the
// reading rather than stalling the sampling.
constexpr std::chrono::microseconds ReplyTimeout {200000};

template<class Handler> void forEachAttribute(const std::uint8_t* data, std::size_t length, Handler&& onAttribute)
{
    std::size_t offset = 0;
    while (offset + sizeof(rtattr) <= length) {
        rtattr attribute;
        std::memcpy(&attribute, data + offset, sizeof attribute);
        if (attribute.rta_len < RTA_LENGTH(0) || attribute.rta_len > length - offset)
            return;
        onAttribute(attribute.rta_type & NLA_TYPE_MASK, data + offset + RTA_LENGTH(0),
                    std::size_t {attribute.rta_len} - RTA_LENGTH(0));
        offset += RTA_ALIGN(attribute.rta_len);
    }
}

// The length of a string attribute, up to its terminating zero if it has one.
std::size_t cString(const std::uint8_t* data, std::size_t size)
{
    const auto* end = static_cast<const std::uint8_t*>(std::memchr(data, 0, size));
    return end ? static_cast<std::size_t>(end - data) : size;
}

OperState operState(std::uint8_t value)
{
    switch (value) {
    case IF_OPER_NOTPRESENT:
        return OperState::NotPresent;
    case IF_OPER_DOWN:
        return OperState::Down;
    case IF_OPER_LOWERLAYERDOWN:
        return OperState::LowerLayerDown;
    case IF_OPER_TESTING:
        return OperState::Testing;
    case IF_OPER_DORMANT:
        return OperState::Dormant;
    case IF_OPER_UP:
        return OperState::Up;
    default:
        return OperState::Unknown;
    }
}

int openSocket(std::uint32_t groups)
{
    const int fd = socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
    if (fd < 0)
        return -1;
    sockaddr_nl address {};
    address.nl_family = AF_NETLINK;
    address.nl_groups = groups;
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

} // namespace

namespace Rtnl {

namespace {

// A message's fixed header followed by its attributes: reads the header and hands each attribute on. False when the
// message is too short for its header.
template<class Header, class OnAttribute>
bool readMessage(const std::uint8_t* payload, std::size_t length, Header& header, OnAttribute&& onAttribute)
{
    constexpr std::size_t start = NLMSG_ALIGN(sizeof header);
    if (length < start)
        return false;
    std::memcpy(&header, payload, sizeof header);
    forEachAttribute(payload + start, length - start, onAttribute);
    return true;
}

} // namespace

[[gnu::hot]] bool parseStats(const std::uint8_t* payload, std::size_t length, IfEntry& out)
{
    if_stats_msg message;
    bool found = false;
    const bool read
        = readMessage(payload, length, message, [&](std::uint16_t type, const std::uint8_t* data, std::size_t size) {
              if (type != IFLA_STATS_LINK_64 || size < offsetof(rtnl_link_stats64, tx_bytes) + sizeof(std::uint64_t))
                  return;
              std::memcpy(&out.inOctets, data + offsetof(rtnl_link_stats64, rx_bytes), sizeof out.inOctets);
              std::memcpy(&out.outOctets, data + offsetof(rtnl_link_stats64, tx_bytes), sizeof out.outOctets);
              found = true;
          });
    if (read)
        out.index = message.ifindex;
    return read && found;
}

bool parseLink(const std::uint8_t* payload, std::size_t length, IfEntry& out, LinkFacts& facts)
{
    ifinfomsg message;
    bool found = false;
    out.state = OperState::Unknown;
    facts.kind.clear();
    const bool read
        = readMessage(payload, length, message, [&](std::uint16_t type, const std::uint8_t* data, std::size_t size) {
              if (type == IFLA_IFNAME) {
                  out.name.assign(reinterpret_cast<const char*>(data), cString(data, size));
                  found = true;
              } else if (type == IFLA_OPERSTATE && size >= 1) {
                  out.state = operState(data[0]);
              } else if (type == IFLA_LINKINFO) {
                  forEachAttribute(
                      data, size, [&](std::uint16_t infoType, const std::uint8_t* info, std::size_t infoSize) {
                          if (infoType == IFLA_INFO_KIND)
                              facts.kind.assign(reinterpret_cast<const char*>(info), cString(info, infoSize));
                      });
              }
          });
    if (read) {
        out.index = static_cast<std::uint32_t>(message.ifi_index);
        facts.loopback = (message.ifi_flags & IFF_LOOPBACK) != 0;
    }
    return read && found;
}

} // namespace Rtnl

std::unique_ptr<NetlinkIfTable> NetlinkIfTable::open()
{
    const int fd = openSocket(RTMGRP_LINK);
    if (fd < 0)
        return nullptr;
    const timeval timeout {0, static_cast<suseconds_t>(ReplyTimeout.count())};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    std::unique_ptr<NetlinkIfTable> source(new NetlinkIfTable(fd));
    // Kernels before 4.7 have no RTM_GETSTATS.
    if (source->readStats() == Dump::Failed)
        return nullptr;
    return source;
}

NetlinkIfTable::NetlinkIfTable(int fd)
    : m_fd(fd)
    , m_buffer(ReceiveSize)
{
}

NetlinkIfTable::~NetlinkIfTable()
{
    close(m_fd);
}

[[gnu::hot]] bool NetlinkIfTable::read(std::vector<IfEntry>& into)
{
    for (int attempt = 1; attempt <= ReadAttempts; ++attempt) {
        const Dump stats = readStats();
        if (stats == Dump::Failed)
            return false;
        if (stats == Dump::Interrupted)
            continue;
        // The same interfaces as at the last reading, with no news of a change: only the counters are new.
        if (!m_namesStale && sameIndexes(m_stats, into)) {
            for (std::size_t k = 0; k < into.size(); ++k) {
                into[k].inOctets = m_stats[k].inOctets;
                into[k].outOctets = m_stats[k].outOctets;
            }
            return true;
        }
        bool namesWhole = true;
        if (m_namesStale || !sameIndexes(m_stats, m_names)) {
            // Cleared first: news arriving during the name dump are for the next reading.
            m_namesStale = false;
            const Dump names = readNames();
            if (names == Dump::Failed) {
                m_namesStale = true;
                return false;
            }
            // A dump that raced the kernel's list may have missed interfaces; it still names those it has.
            namesWhole = names == Dump::Complete;
            m_namesStale = m_namesStale || !namesWhole;
        }
        // Interfaces counted but not named went away before the names were dumped whole; a name dump that raced
        // the list may have missed one that is still there, so the reading is taken again.
        if (merge(into) || namesWhole)
            return true;
    }
    return false;
}

// Rebuilds into from the counters and the names; false when a counted interface has no name.
[[gnu::hot]] bool NetlinkIfTable::merge(std::vector<IfEntry>& into) const
{
    bool complete = true;
    into.clear();
    auto name = m_names.cbegin();
    for (const IfEntry& stats : m_stats) {
        while (name != m_names.cend() && name->index < stats.index)
            ++name;
        if (name == m_names.cend() || name->index != stats.index) {
            complete = false;
            continue;
        }
        into.push_back(*name);
        into.back().inOctets = stats.inOctets;
        into.back().outOctets = stats.outOctets;
    }
    return complete;
}

template<class Body, class Handler>
[[gnu::hot]] NetlinkIfTable::Dump NetlinkIfTable::dump(std::uint16_t type, const Body& body, Handler&& onMessage)
{
    struct
    {
        nlmsghdr header;
        Body body;
    } request {};
    request.header.nlmsg_len = sizeof request;
    request.header.nlmsg_type = type;
    request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    request.header.nlmsg_seq = ++m_seq;
    request.body = body;
    if (send(m_fd, &request, sizeof request, 0) != static_cast<ssize_t>(sizeof request))
        return Dump::Failed;

    // Read on to NLMSG_DONE even after a bad message, so the next dump does not find this one still running.
    Rtnl::DumpState state;
    std::chrono::steady_clock::time_point deadline {};
    while (!state.done) {
        const ssize_t received = recv(m_fd, m_buffer.data(), m_buffer.size(), MSG_TRUNC);
        if (received < 0) {
            if (errno == EINTR)
                continue;
            if (errno == ENOBUFS) {
                // Notifications overflowed the queue, so names may be out of date. The kernel holds the dump's own
                // replies back until there is room, so the dump goes on; left unread, it would refuse the next one.
                m_namesStale = true;
                continue;
            }
            return Dump::Failed;
        }
        const auto length = static_cast<std::size_t>(received);
        if (length > m_buffer.size()) {
            // The datagram was cut; the repeated dump gets it whole.
            m_buffer.resize(length);
            state.interrupted = true;
            continue;
        }
        const std::size_t replies = state.replies;
        Rtnl::walkDatagram(m_buffer.data(), length, request.header.nlmsg_seq, state, onMessage);
        // Notifications keep the receive timeout from running out: a dump that has nothing more to say while they
        // come in for as long fails too.
        if (state.replies != replies) {
            deadline = {};
        } else {
            const auto now = std::chrono::steady_clock::now();
            if (deadline == std::chrono::steady_clock::time_point {})
                deadline = now + ReplyTimeout;
            else if (now >= deadline)
                return Dump::Failed;
        }
    }
    if (state.linkNews)
        m_namesStale = true;
    if (state.failed)
        return Dump::Failed;
    return state.interrupted ? Dump::Interrupted : Dump::Complete;
}

// One dump into entries, each reply of the wanted type parsed into an entry of its own, then sorted.
template<class Body, class Parse>
[[gnu::hot]] NetlinkIfTable::Dump NetlinkIfTable::dumpEntries(std::uint16_t request, std::uint16_t reply,
                                                              const Body& body, std::vector<IfEntry>& entries,
                                                              Parse&& parse)
{
    // The last dump's entries are parsed over, so a steady set of interfaces runs no allocating code.
    std::size_t filled = 0;
    const Dump result = dump(request, body, [&](std::uint16_t type, const std::uint8_t* payload, std::size_t length) {
        if (type != reply)
            return true;
        if (filled == entries.size())
            entries.emplace_back();
        return parse(payload, length, entries[filled++]);
    });
    entries.resize(filled);
    sortByIndex(entries);
    return result;
}

[[gnu::hot]] NetlinkIfTable::Dump NetlinkIfTable::readStats()
{
    if_stats_msg request {};
    request.family = AF_UNSPEC;
    request.filter_mask = IFLA_STATS_FILTER_BIT(IFLA_STATS_LINK_64);
    return dumpEntries(RTM_GETSTATS, RTM_NEWSTATS, request, m_stats, Rtnl::parseStats);
}

NetlinkIfTable::Dump NetlinkIfTable::readNames()
{
    ifinfomsg request {};
    request.ifi_family = AF_UNSPEC;
    LinkFacts facts;
    std::string path;
    return dumpEntries(RTM_GETLINK, RTM_NEWLINK, request, m_names,
                       [&](const std::uint8_t* payload, std::size_t length, IfEntry& entry) {
                           if (!Rtnl::parseLink(payload, length, entry, facts))
                               return false;
                           path.assign("/sys/class/net/").append(entry.name).append("/device");
                           facts.device = entry.name.find('/') == std::string::npos && access(path.c_str(), F_OK) == 0;
                           entry.hardware = isHardware(facts);
                           return true;
                       });
}

[[gnu::hot]] bool NetlinkIfTable::sameIndexes(const std::vector<IfEntry>& a, const std::vector<IfEntry>& b)
{
    return std::equal(a.cbegin(), a.cend(), b.cbegin(), b.cend(),
                      [](const IfEntry& x, const IfEntry& y) { return x.index == y.index; });
}
