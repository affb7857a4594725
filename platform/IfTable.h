#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The interface table: a 4-byte entry count followed by rows in the published MIB_IFROW layout, each extended by
// what the later MIB_IF_ROW2 adds that is used here: the hardware-interface flag and the full 64-bit octet
// counters, which take the place of MIB_IFROW's 32-bit ones (left 0). The sampler parses these bytes; the
// sources below only produce them.
namespace IfLayout {
constexpr std::uint32_t CountSize = 4;
constexpr std::uint32_t RowSize = 880;
constexpr std::uint32_t Index = 512;
constexpr std::uint32_t DescrLen = 600;
constexpr std::uint32_t Descr = 604;
constexpr std::uint32_t DescrMax = 256;
constexpr std::uint32_t Flags = 860;
constexpr std::uint32_t InOctets = 864;
constexpr std::uint32_t OutOctets = 872;
} // namespace IfLayout

// Bits of the Flags field.
namespace IfFlag {
// A physical or wireless adapter: what a user means by "my traffic", and so selected when nothing is stored.
constexpr std::uint32_t Hardware = 1;
} // namespace IfFlag

// GetIfTable's return values, numbered as the original API numbers them.
namespace IfTableStatus {
constexpr std::uint32_t Ok = 0;
constexpr std::uint32_t InvalidParameter = 87;
constexpr std::uint32_t InsufficientBuffer = 122;
constexpr std::uint32_t CanNotComplete = 1003;
} // namespace IfTableStatus

// GetIfTable's contract: with a null table, *size is set to the bytes needed; with a buffer of *size
// bytes the table is written. Returns 0 on success. Rows come in ascending interface-index order when
// sort is true.
class IfTableSource
{
public:
    virtual ~IfTableSource() = default;
    virtual std::uint32_t GetIfTable(std::uint8_t* table, std::uint32_t* size, bool sort) = 0;
};

// The kernel's interface table on this machine.
std::unique_ptr<IfTableSource> makeSystemIfTableSource();

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

// One interface as a source reads it.
struct IfEntry
{
    std::string name; // UTF-8
    std::uint64_t inOctets = 0;
    std::uint64_t outOctets = 0;
    std::uint32_t index = 0;
    LinkFacts facts {};
};

// Bytes a table of n rows occupies; 0 when that does not fit in 32 bits.
std::uint32_t ifTableSize(std::size_t rows);

// Stable sort into ascending index order, rows of unknown index (0) last. Allocates nothing.
void sortByIndex(std::vector<IfEntry>& rows);

// The common half of GetIfTable: answers a size query, refuses a buffer that is too small (setting *size
// to what is needed), otherwise writes rows in the given order, names cut to DescrMax bytes.
std::uint32_t writeIfTable(const std::vector<IfEntry>& rows, std::uint8_t* table, std::uint32_t* size);

// One row copied out of a table, with dwDescrLen cut to the 256 bytes that bDescr holds.
struct IfRow
{
    std::uint32_t index = 0;
    std::uint64_t inOctets = 0;
    std::uint64_t outOctets = 0;
    std::uint32_t flags = 0;
    std::uint32_t descrLen = 0;
    std::array<std::uint8_t, IfLayout::DescrMax> descr {};
};

// dwNumEntries, or 0 when the buffer cannot hold it. The count is not checked against the buffer size;
// readIfRow does that per row.
std::uint32_t readIfCount(const std::uint8_t* table, std::uint32_t size);

// Copies row k; false when k is not below the count or the row does not lie wholly within size bytes.
bool readIfRow(const std::uint8_t* table, std::uint32_t size, std::uint32_t k, IfRow& out);

// Serves a size query and the fill that follows it from one reading of the counters, so a tick reads the
// kernel once and its fill always matches the size just reported. A fill with no size query before it
// reads afresh. Rows are always in ascending index order, which also satisfies an unsorted request.
class SnapshotIfTableSource : public IfTableSource
{
public:
    std::uint32_t GetIfTable(std::uint8_t* table, std::uint32_t* size, bool sort) final;

protected:
    // Replaces rows with the current interfaces in ascending index order; false when they cannot be read.
    // rows holds what the last call left in it, so a steady set of interfaces allocates nothing, and a source may
    // update the rows in place.
    virtual bool readRows(std::vector<IfEntry>& rows) = 0;

private:
    std::vector<IfEntry> m_rows;
    bool m_sizeQueried = false;
};
