#include "ProcNetDevIfTable.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <string_view>
#include <unistd.h>
#include <utility>

namespace {

// Received bytes are the first number after the colon, sent bytes the ninth.
constexpr int RxBytesField = 0;
constexpr int TxBytesField = 8;

// Reads the next decimal number, skipping blanks; false when there is none or it exceeds 64 bits.
bool nextNumber(std::string_view& text, std::uint64_t& value)
{
    std::size_t at = text.find_first_not_of(" \t");
    if (at == std::string_view::npos || text[at] < '0' || text[at] > '9')
        return false;
    value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        const auto digit = static_cast<std::uint64_t>(text[at] - '0');
        if (value > (std::numeric_limits<std::uint64_t>::max() - digit) / 10)
            return false;
        value = value * 10 + digit;
    }
    text.remove_prefix(at);
    return true;
}

// One "name: rx-bytes packets ... tx-bytes ..." line. Linux allows no colon in an interface name, so the first one
// ends it.
bool parseLine(std::string_view line, IfEntry& out)
{
    const std::size_t colon = line.find(':');
    std::string_view name = line.substr(0, colon);
    name.remove_prefix(std::min(name.find_first_not_of(' '), name.size()));
    if (name.empty())
        return false;
    std::string_view numbers = line.substr(colon + 1);
    for (int field = 0; field <= TxBytesField; ++field) {
        std::uint64_t value;
        if (!nextNumber(numbers, value))
            return false;
        if (field == RxBytesField)
            out.inOctets = value;
        else if (field == TxBytesField)
            out.outOctets = value;
    }
    out.name.assign(name.data(), name.size());
    return true;
}

} // namespace

bool parseProcNetDev(std::string_view text, std::vector<IfEntry>& into)
{
    // Fresh entries, as only names and counters are set here. A name fits in a std::string's own storage, so a steady
    // set of interfaces still allocates nothing.
    into.clear();
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        // The two heading lines have no colon; any other line that does not parse means a format this reader does
        // not know, and leaving its interface out would look as if it had gone.
        if (line.find(':') == std::string_view::npos)
            continue;
        if (!parseLine(line, into.emplace_back()))
            return false;
    }
    return true;
}

ProcNetDevIfTable::ProcNetDevIfTable(std::string devPath, std::string sysNetDir)
    : m_devPath(std::move(devPath))
    , m_sysNetDir(std::move(sysNetDir))
{
}

bool ProcNetDevIfTable::read(std::vector<IfEntry>& into)
{
    if (!readFile(m_devPath, m_text) || !parseProcNetDev(m_text, into))
        return false;
    for (IfEntry& entry : into) {
        entry.index = indexOf(entry.name);
        // Without rtnetlink the link kind cannot be read: an interface with no device behind it is taken for a
        // virtual one.
        entry.hardware = readSysFile(entry.name, "device/uevent");
        entry.state = stateOf(entry.name);
    }
    sortByIndex(into);
    return true;
}

bool ProcNetDevIfTable::readFile(const std::string& path, std::string& into)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    // Files under /proc and /sys report no size, so read until end of file into a buffer that only grows.
    into.resize(std::max<std::size_t>(into.capacity(), 4096));
    std::size_t used = 0;
    for (;;) {
        if (used == into.size())
            into.resize(into.size() * 2);
        const ssize_t got = ::read(fd, into.data() + used, into.size() - used);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            ::close(fd);
            into.resize(used);
            return got == 0;
        }
        used += static_cast<std::size_t>(got);
    }
}

bool ProcNetDevIfTable::readSysFile(const std::string& name, const char* file)
{
    if (name.find('/') != std::string::npos || name == "." || name == "..")
        return false;
    m_sysPath.assign(m_sysNetDir).append("/").append(name).append("/").append(file);
    return readFile(m_sysPath, m_sysText);
}

std::uint32_t ProcNetDevIfTable::indexOf(const std::string& name)
{
    if (!readSysFile(name, "ifindex"))
        return 0;
    std::string_view text = m_sysText;
    std::uint64_t index;
    if (!nextNumber(text, index) || index > std::numeric_limits<std::uint32_t>::max())
        return 0;
    return static_cast<std::uint32_t>(index);
}

OperState ProcNetDevIfTable::stateOf(const std::string& name)
{
    if (!readSysFile(name, "operstate"))
        return OperState::Unknown;
    constexpr std::pair<std::string_view, OperState> states[] = {
        {"notpresent", OperState::NotPresent},
        {"down", OperState::Down},
        {"lowerlayerdown", OperState::LowerLayerDown},
        {"testing", OperState::Testing},
        {"dormant", OperState::Dormant},
        {"up", OperState::Up},
    };
    const std::string_view text = std::string_view(m_sysText).substr(0, m_sysText.find('\n'));
    for (const auto& [word, state] : states) {
        if (text == word)
            return state;
    }
    return OperState::Unknown;
}
