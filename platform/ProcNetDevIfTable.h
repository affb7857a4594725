#pragma once

#include "IfTable.h"

#include <string>

// The table from /proc/net/dev, for systems where rtnetlink cannot be used. Indexes come from
// <sysNetDir>/<name>/ifindex; an interface without one goes after the others, in file order. An interface is
// taken for hardware when <sysNetDir>/<name>/device/uevent exists.
class ProcNetDevIfTable : public SnapshotIfTableSource
{
public:
    explicit ProcNetDevIfTable(std::string devPath = "/proc/net/dev", std::string sysNetDir = "/sys/class/net");

protected:
    bool readRows(std::vector<IfEntry>& rows) override;

private:
    bool readFile(const std::string& path, std::string& into);
    bool readSysFile(const std::string& name, const char* file);
    std::uint32_t indexOf(const std::string& name);
    void readFacts(IfEntry& entry);

    std::string m_devPath;
    std::string m_sysNetDir;
    std::string m_text;
    std::string m_sysPath;
    std::string m_sysText;
};
