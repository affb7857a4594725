#pragma once

#include "IfTable.h"

#include <cerrno>
#include <cstring>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>

// Message parsing for rtnetlink dumps. Every read is bounded by the length received, whatever the
// message headers claim.
namespace Rtnl {

// What the datagrams of one dump have said so far.
struct DumpState
{
    bool done = false; // NLMSG_DONE or NLMSG_ERROR seen
    bool failed = false; // an error reply, a malformed message or a payload the handler refused
    bool interrupted = false; // the kernel's list changed during the dump, so its parts may not agree
    bool linkNews = false; // link notifications (not part of this dump) came in between, or were lost
    std::size_t replies = 0; // messages of this dump seen
};

// Hands each message of dump seq in one received datagram to onMessage(type, payload, payloadLength),
// which returns false for a payload it cannot use. Messages of other sequence numbers are left from
// earlier dumps or are link notifications, which are only noted.
template<class Handler>
void walkDatagram(const std::uint8_t* data, std::size_t length, std::uint32_t seq, DumpState& state,
                  Handler&& onMessage)
{
    std::size_t offset = 0;
    while (!state.done && offset + sizeof(nlmsghdr) <= length) {
        nlmsghdr header;
        std::memcpy(&header, data + offset, sizeof header);
        if (header.nlmsg_len < NLMSG_HDRLEN || header.nlmsg_len > length - offset) {
            state.failed = true;
            return;
        }
        if (header.nlmsg_seq == seq) {
            ++state.replies;
            if (header.nlmsg_flags & NLM_F_DUMP_INTR)
                state.interrupted = true;
            int error = 0;
            if (header.nlmsg_type == NLMSG_ERROR && header.nlmsg_len >= NLMSG_HDRLEN + sizeof error)
                std::memcpy(&error, data + offset + NLMSG_HDRLEN, sizeof error);
            if (header.nlmsg_type == NLMSG_DONE) {
                state.done = true;
            } else if (header.nlmsg_type == NLMSG_ERROR && error == -ENOBUFS) {
                // The dump did start, but found the queue full of notifications, some of them lost: its parts
                // follow as the queue drains.
                state.linkNews = true;
            } else if (header.nlmsg_type == NLMSG_ERROR) {
                state.done = true;
                state.failed = true;
            } else if (!onMessage(header.nlmsg_type, data + offset + NLMSG_HDRLEN, header.nlmsg_len - NLMSG_HDRLEN)) {
                state.failed = true;
            }
        } else if (header.nlmsg_type == RTM_NEWLINK || header.nlmsg_type == RTM_DELLINK) {
            state.linkNews = true;
        }
        offset += NLMSG_ALIGN(header.nlmsg_len);
    }
}

// An RTM_NEWSTATS payload: sets index and the byte counters of IFLA_STATS_LINK_64.
bool parseStats(const std::uint8_t* payload, std::size_t length, IfEntry& out);
// An RTM_NEWLINK payload: sets index, name (IFLA_IFNAME) and state (IFLA_OPERSTATE, Unknown without one), and the
// link kind and loopback flag in facts. facts.device is for the caller to find out.
bool parseLink(const std::uint8_t* payload, std::size_t length, IfEntry& out, LinkFacts& facts);

} // namespace Rtnl

// The table from rtnetlink: each reading is one RTM_GETSTATS dump of the 64-bit link counters. Names, states and
// link kinds come from an RTM_GETLINK dump (whether a device stands behind a link, from sysfs), repeated only when
// the set of interfaces changes or a link event (a rename, a link going up or down) arrives. The socket is
// subscribed to link notifications, so they queue up among the dump replies and cost no read of their own.
// A reading whose counters dump races changes to the kernel's list of interfaces is taken again, as is one whose name
// dump races them and misses a counted interface; after a bounded number of attempts the reading fails. An interface
// counted but missing from a name dump taken whole after the counters went away in between, and is left out.
class NetlinkIfTable : public IfTable
{
public:
    // Null when rtnetlink or its statistics dump is not available here.
    static std::unique_ptr<NetlinkIfTable> open();
    ~NetlinkIfTable() override;
    NetlinkIfTable(const NetlinkIfTable&) = delete;
    NetlinkIfTable& operator=(const NetlinkIfTable&) = delete;

    bool read(std::vector<IfEntry>& into) override;

private:
    enum class Dump { Complete, Interrupted, Failed };

    explicit NetlinkIfTable(int fd);
    template<class Body, class Handler> Dump dump(std::uint16_t type, const Body& body, Handler&& onMessage);
    template<class Body, class Parse>
    Dump dumpEntries(std::uint16_t request, std::uint16_t reply, const Body& body, std::vector<IfEntry>& entries,
                     Parse&& parse);
    Dump readStats();
    Dump readNames();
    bool merge(std::vector<IfEntry>& into) const;
    static bool sameIndexes(const std::vector<IfEntry>& a, const std::vector<IfEntry>& b);

    int m_fd;
    std::uint32_t m_seq = 0;
    std::vector<std::uint8_t> m_buffer;
    std::vector<IfEntry> m_stats; // the last counters dump, in index order
    std::vector<IfEntry> m_names; // the last link dump, in index order
    bool m_namesStale = true; // a link may have changed since m_names was dumped, or that dump raced the list
};
