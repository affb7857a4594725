#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The kernel's operational state of a link (RFC 2863), as rtnetlink's IFLA_OPERSTATE and sysfs' operstate give it.
enum class OperState : std::uint8_t { Unknown, NotPresent, Down, LowerLayerDown, Testing, Dormant, Up };

// One interface at one reading.
struct IfEntry
{
    std::uint32_t index = 0; // the kernel's interface index; 0 when the source cannot tell
    std::string name; // UTF-8, as the kernel spells it
    bool hardware = false; // a physical or wireless adapter: what a user means by "my traffic"
    OperState state = OperState::Unknown;
    std::uint64_t inOctets = 0; // the kernel's full 64-bit counters
    std::uint64_t outOctets = 0;
};

// The interface table: every interface with its octet counters, in ascending index order (those of unknown index
// last). Sources are used from one thread at a time.
class IfTable
{
public:
    virtual ~IfTable() = default;
    // Replaces into with the current interfaces; false when they cannot be read now (into is then unspecified).
    // into holds what the last call left in it, so a source may update the entries in place and a steady set of
    // interfaces allocates nothing.
    virtual bool read(std::vector<IfEntry>& into) = 0;
};

// The kernel's interface table on this machine: rtnetlink, or /proc/net/dev where that cannot be used.
std::unique_ptr<IfTable> makeSystemIfTable();

// What a source learns about the kind of an interface.
struct LinkFacts
{
    bool device = false; // a device link in sysfs: the interface sits on hardware
    bool loopback = false;
    std::string kind {}; // the kernel's link kind ("veth", "bridge", "tun", "wireguard", ...), empty for plain devices
};

// Physical and wireless adapters: those with a device behind them, or of no particular link kind and not loopback.
// Bridges, veth, container, virtual-machine and tunnel interfaces all carry a link kind.
bool isHardware(const LinkFacts& facts);

// Stable sort into ascending index order, entries of unknown index (0) last. Allocates nothing.
void sortByIndex(std::vector<IfEntry>& entries);
