#pragma once

#include "IfTable.h"

#include <string>
#include <string_view>

// The text of /proc/net/dev: replaces into with one entry per interface line, in file order, with its name and
// octet counters (nothing else set). False when a line is of a format not known here.
bool parseProcNetDev(std::string_view text, std::vector<IfEntry>& into);

// The table from /proc/net/dev, for systems where rtnetlink cannot be used. Indexes come from
// <sysNetDir>/<name>/ifindex; an interface without one goes after the others, in file order. An interface is
// taken for hardware when <sysNetDir>/<name>/device/uevent exists; its state is <sysNetDir>/<name>/operstate.
class ProcNetDevIfTable : public IfTable
{
public:
    explicit ProcNetDevIfTable(std::string devPath = "/proc/net/dev", std::string sysNetDir = "/sys/class/net");

    bool read(std::vector<IfEntry>& into) override;

private:
    bool readFile(const std::string& path, std::string& text);
    bool readSysFile(const std::string& name, const char* file);
    std::uint32_t indexOf(const std::string& name);
    OperState stateOf(const std::string& name);

    std::string m_devPath;
    std::string m_sysNetDir;
    std::string m_text;
    std::string m_sysPath;
    std::string m_sysText;
};
