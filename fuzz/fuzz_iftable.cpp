#include "IfTable.h"

#include <cstdlib>
#include <cstring>

// Any bytes as an interface table: every row readIfRow accepts lies inside the buffer and has a usable
// description length.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto length = static_cast<std::uint32_t>(size);
    IfRow row;
    const std::uint32_t count = readIfCount(data, length);
    for (std::uint32_t k = 0; k < count && readIfRow(data, length, k, row); ++k) {
        if (IfLayout::CountSize + std::uint64_t {k + 1} * IfLayout::RowSize > size || row.descrLen > IfLayout::DescrMax)
            std::abort();
    }
    // A row number from the input itself, to reach the far ends of the index range.
    std::uint32_t k = 0;
    if (size >= 8)
        std::memcpy(&k, data + size - 4, sizeof k);
    if (readIfRow(data, length, k, row) && IfLayout::CountSize + std::uint64_t {k + 1} * IfLayout::RowSize > size)
        std::abort();
    return 0;
}
