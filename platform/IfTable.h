#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The interface table in the published MIB_IFTABLE byte layout: a 4-byte entry count followed by
// 860-byte MIB_IFROW records. The sampler parses these bytes; the sources below only produce them.
namespace IfLayout {
constexpr std::uint32_t CountSize = 4;
constexpr std::uint32_t RowSize = 860;
constexpr std::uint32_t Index = 512;
constexpr std::uint32_t InOctets = 552;
constexpr std::uint32_t OutOctets = 576;
constexpr std::uint32_t DescrLen = 600;
constexpr std::uint32_t Descr = 604;
constexpr std::uint32_t DescrMax = 256;
} // namespace IfLayout

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

// One interface as a source reads it. Counters are 64-bit here; the table keeps their low 32 bits, so
// they wrap at 2^32 as the layout's readers expect.
struct IfEntry
{
    std::string name;
    std::uint64_t inOctets = 0;
    std::uint64_t outOctets = 0;
    std::uint32_t index = 0;
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
    std::uint32_t inOctets = 0;
    std::uint32_t outOctets = 0;
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
    // rows keeps its capacity between calls, so a steady set of interfaces allocates nothing.
    virtual bool readRows(std::vector<IfEntry>& rows) = 0;

private:
    std::vector<IfEntry> m_rows;
    bool m_sizeQueried = false;
};
