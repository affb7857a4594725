#include "NetlinkIfTable.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <linux/if_link.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace {

// The kernel sizes each dump datagram by the largest receive buffer the socket has offered. A page holds the
// counters of over a dozen interfaces and keeps each tick's reply in one small slab allocation; a larger buffer
// would have the kernel take and free fresh pages for every reading. A datagram that does not fit grows it.
constexpr std::size_t ReceiveSize = 4096;
// An interrupted dump is repeated; one that keeps being interrupted fails the reading.
constexpr int DumpAttempts = 3;
// The readings run on the UI thread: a kernel that does not answer within this time fails the reading.
constexpr suseconds_t ReplyTimeoutUs = 200000;

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

bool parseLink(const std::uint8_t* payload, std::size_t length, IfEntry& out)
{
    ifinfomsg message;
    bool found = false;
    out.facts.kind.clear();
    const bool read
        = readMessage(payload, length, message, [&](std::uint16_t type, const std::uint8_t* data, std::size_t size) {
              if (type == IFLA_IFNAME) {
                  out.name.assign(reinterpret_cast<const char*>(data),
                                  std::min(cString(data, size), std::size_t {IfLayout::DescrMax}));
                  found = true;
              } else if (type == IFLA_LINKINFO) {
                  forEachAttribute(
                      data, size, [&](std::uint16_t infoType, const std::uint8_t* info, std::size_t infoSize) {
                          if (infoType == IFLA_INFO_KIND)
                              out.facts.kind.assign(reinterpret_cast<const char*>(info), cString(info, infoSize));
                      });
              }
          });
    if (read) {
        out.index = static_cast<std::uint32_t>(message.ifi_index);
        out.facts.loopback = (message.ifi_flags & IFF_LOOPBACK) != 0;
    }
    return read && found;
}

} // namespace Rtnl

std::unique_ptr<NetlinkIfTable> NetlinkIfTable::open()
{
    const int fd = openSocket(RTMGRP_LINK);
    if (fd < 0)
        return nullptr;
    const timeval timeout {0, ReplyTimeoutUs};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    std::unique_ptr<NetlinkIfTable> source(new NetlinkIfTable(fd));
    // Kernels before 4.7 have no RTM_GETSTATS.
    if (!source->readStats())
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

[[gnu::hot]] bool NetlinkIfTable::readRows(std::vector<IfEntry>& rows)
{
    if (!readStats())
        return false;
    // The same interfaces as at the last reading, with no news of a change: only the counters are new.
    if (!m_namesStale && sameIndexes(m_stats, rows)) {
        for (std::size_t k = 0; k < rows.size(); ++k) {
            rows[k].inOctets = m_stats[k].inOctets;
            rows[k].outOctets = m_stats[k].outOctets;
        }
        return true;
    }
    if (m_namesStale || !sameIndexes(m_stats, m_names)) {
        // Cleared first: news arriving during the name dump are for the next reading.
        m_namesStale = false;
        if (!readNames()) {
            m_namesStale = true;
            return false;
        }
    }
    rows.clear();
    auto name = m_names.cbegin();
    for (const IfEntry& stats : m_stats) {
        while (name != m_names.cend() && name->index < stats.index)
            ++name;
        // An interface missing from the later name dump went away in between: it is no longer there.
        if (name == m_names.cend() || name->index != stats.index)
            continue;
        rows.push_back({name->name, stats.inOctets, stats.outOctets, stats.index, name->facts});
    }
    return true;
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
    while (!state.done) {
        const ssize_t received = recv(m_fd, m_buffer.data(), m_buffer.size(), MSG_TRUNC);
        if (received < 0) {
            if (errno == EINTR)
                continue;
            if (errno == ENOBUFS) {
                // Notifications overflowed the queue, so names may be out of date, and a reply may be lost too.
                m_namesStale = true;
                return Dump::Interrupted;
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
        Rtnl::walkDatagram(m_buffer.data(), length, request.header.nlmsg_seq, state, onMessage);
    }
    if (state.linkNews)
        m_namesStale = true;
    if (state.failed)
        return Dump::Failed;
    return state.interrupted ? Dump::Interrupted : Dump::Complete;
}

// One dump into rows, each reply of the wanted type parsed into a row of its own; an interrupted dump (the set of
// links changed while it ran) is read again.
template<class Request, class Parse>
[[gnu::hot]] bool NetlinkIfTable::dumpRows(std::uint16_t request, std::uint16_t reply, const Request& body,
                                           std::vector<IfEntry>& rows, Parse parse)
{
    for (int attempt = 0; attempt < DumpAttempts; ++attempt) {
        // The last dump's rows are parsed over, so a steady set of interfaces runs no allocating code.
        std::size_t filled = 0;
        const Dump result
            = dump(request, body, [&](std::uint16_t type, const std::uint8_t* payload, std::size_t length) {
                  if (type != reply)
                      return true;
                  if (filled == rows.size())
                      rows.emplace_back();
                  return parse(payload, length, rows[filled++]);
              });
        rows.resize(filled);
        if (result == Dump::Failed)
            return false;
        if (result == Dump::Complete) {
            sortByIndex(rows);
            return true;
        }
    }
    return false;
}

[[gnu::hot]] bool NetlinkIfTable::readStats()
{
    if_stats_msg request {};
    request.family = AF_UNSPEC;
    request.filter_mask = IFLA_STATS_FILTER_BIT(IFLA_STATS_LINK_64);
    return dumpRows(RTM_GETSTATS, RTM_NEWSTATS, request, m_stats, Rtnl::parseStats);
}

bool NetlinkIfTable::readNames()
{
    ifinfomsg request {};
    request.ifi_family = AF_UNSPEC;
    if (!dumpRows(RTM_GETLINK, RTM_NEWLINK, request, m_names, Rtnl::parseLink))
        return false;
    std::string path;
    for (IfEntry& entry : m_names) {
        path.assign("/sys/class/net/").append(entry.name).append("/device");
        entry.facts.device = entry.name.find('/') == std::string::npos && access(path.c_str(), F_OK) == 0;
    }
    return true;
}

[[gnu::hot]] bool NetlinkIfTable::sameIndexes(const std::vector<IfEntry>& a, const std::vector<IfEntry>& b)
{
    return std::equal(a.cbegin(), a.cend(), b.cbegin(), b.cend(),
                      [](const IfEntry& x, const IfEntry& y) { return x.index == y.index; });
}
