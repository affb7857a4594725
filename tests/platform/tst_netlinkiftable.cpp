#include "NetlinkIfTable.h"
#include "ProcNetDevIfTable.h"
#include "TableRows.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <arpa/inet.h>
#include <linux/if_link.h>
#include <linux/rtnetlink.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// lo's received and sent bytes, low 32 bits, read from /proc/net/dev without the code under test.
std::pair<std::uint32_t, std::uint32_t> procLo()
{
    QFile file(QStringLiteral("/proc/net/dev"));
    file.open(QIODevice::ReadOnly);
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QList<QByteArray> fields = QByteArray(line).replace(':', ' ').simplified().split(' ');
        if (fields.size() > 9 && fields[0] == "lo")
            return {std::uint32_t(fields[1].toULongLong()), std::uint32_t(fields[9].toULongLong())};
    }
    return {0, 0};
}

// x was read between before and after, counting modulo 2^32.
bool between(std::uint32_t before, std::uint32_t x, std::uint32_t after)
{
    return std::uint32_t(x - before) <= std::uint32_t(after - before);
}

TableRow lo(IfTableSource& source)
{
    for (const TableRow& row : readTable(source))
        if (row.name == "lo")
            return row;
    return {};
}

void sendOverLoopback(int datagrams, int bytes)
{
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), length);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    const std::vector<char> payload(bytes, 'z');
    for (int i = 0; i < datagrams; ++i)
        sendto(fd, payload.data(), payload.size(), 0, reinterpret_cast<sockaddr*>(&address), length);
    close(fd);
}

// Appends bytes padded to netlink's 4-byte alignment.
void put(std::vector<std::uint8_t>& out, const void* data, std::size_t size)
{
    out.insert(out.end(), static_cast<const std::uint8_t*>(data), static_cast<const std::uint8_t*>(data) + size);
    out.resize(NLMSG_ALIGN(out.size()));
}

void putMessage(std::vector<std::uint8_t>& out, std::uint16_t type, std::uint16_t flags, std::uint32_t seq,
                const std::vector<std::uint8_t>& payload)
{
    const nlmsghdr header {std::uint32_t(NLMSG_HDRLEN + payload.size()), type, flags, seq, 0};
    put(out, &header, sizeof header);
    put(out, payload.data(), payload.size());
}

std::vector<std::uint8_t> statsPayload(std::uint32_t index, std::uint64_t rx, std::size_t statsSize)
{
    std::vector<std::uint8_t> payload;
    if_stats_msg message {};
    message.ifindex = index;
    rtnl_link_stats64 stats {};
    stats.rx_bytes = rx;
    stats.tx_bytes = rx + 1;
    const rtattr attribute {std::uint16_t(RTA_LENGTH(statsSize)), IFLA_STATS_LINK_64};
    put(payload, &message, sizeof message);
    put(payload, &attribute, sizeof attribute);
    put(payload, &stats, statsSize);
    return payload;
}

} // namespace

class TestNetlinkIfTable : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<NetlinkIfTable> m_source;

private Q_SLOTS:
    void initTestCase()
    {
        m_source = NetlinkIfTable::open();
        QVERIFY(m_source);
    }

    void loopbackCountersAgreeWithProc()
    {
        auto before = procLo();
        const TableRow first = lo(*m_source);
        auto after = procLo();
        QCOMPARE(first.index, 1u);
        QVERIFY(between(before.first, first.in, after.first));
        QVERIFY(between(before.second, first.out, after.second));

        sendOverLoopback(20, 1000);
        before = procLo();
        const TableRow second = lo(*m_source);
        after = procLo();
        QVERIFY(between(before.first, second.in, after.first));
        QVERIFY(between(before.second, second.out, after.second));
        QVERIFY(std::uint32_t(second.in - first.in) >= 20000);
        QVERIFY(std::uint32_t(second.out - first.out) >= 20000);
    }

    void rowsAscendAndMatchTheProcFallback()
    {
        const auto rows = readTable(*m_source);
        QVERIFY(!rows.empty());
        ProcNetDevIfTable proc;
        const auto procRows = readTable(proc);
        QCOMPARE(names(rows), names(procRows));
        for (std::size_t k = 0; k < rows.size(); ++k) {
            QCOMPARE(rows[k].index, procRows[k].index);
            QVERIFY(k == 0 || rows[k - 1].index < rows[k].index);
        }
        QCOMPARE(names(readTable(*makeSystemIfTableSource())), names(rows));

        std::uint32_t size = 0;
        m_source->GetIfTable(nullptr, &size, true);
        std::vector<std::uint8_t> buffer(size);
        std::uint32_t small = size - 1;
        QCOMPARE(m_source->GetIfTable(buffer.data(), &small, true), IfTableStatus::InsufficientBuffer);
        QCOMPARE(small, size);
        QCOMPARE(m_source->GetIfTable(buffer.data(), &size, false), IfTableStatus::Ok); // no size query first
    }

    void walkDatagramFollowsTheDump()
    {
        std::vector<std::uint8_t> datagram;
        putMessage(datagram, RTM_NEWSTATS, NLM_F_MULTI, 6, statsPayload(9, 1, sizeof(rtnl_link_stats64)));
        putMessage(datagram, RTM_NEWSTATS, NLM_F_MULTI, 7, statsPayload(2, 5, sizeof(rtnl_link_stats64)));
        putMessage(datagram, RTM_NEWSTATS, NLM_F_MULTI | NLM_F_DUMP_INTR, 7,
                   statsPayload(3, (1ull << 40) + 1, sizeof(rtnl_link_stats64)));
        putMessage(datagram, NLMSG_DONE, NLM_F_MULTI, 7, {0, 0, 0, 0});
        putMessage(datagram, RTM_NEWSTATS, NLM_F_MULTI, 7, statsPayload(4, 1, sizeof(rtnl_link_stats64)));
        std::vector<IfEntry> seen;
        const auto collect = [&seen](std::uint16_t, const std::uint8_t* payload, std::size_t length) {
            seen.emplace_back();
            return Rtnl::parseStats(payload, length, seen.back());
        };
        Rtnl::DumpState state;
        Rtnl::walkDatagram(datagram.data(), datagram.size(), 7, state, collect);
        QVERIFY(state.done && state.interrupted && !state.failed);
        QCOMPARE(seen.size(), std::size_t {2}); // not the other dump's, nor anything after DONE
        QCOMPARE(seen[0].index, 2u);
        QCOMPARE(seen[0].outOctets, 6u);
        QCOMPARE(seen[1].inOctets, (1ull << 40) + 1);

        // A header claiming more than was received; an error reply; a stats attribute cut short.
        Rtnl::DumpState cut;
        Rtnl::walkDatagram(datagram.data(), 60, 7, cut, collect);
        QVERIFY(cut.failed && !cut.done);
        std::vector<std::uint8_t> error;
        putMessage(error, NLMSG_ERROR, 0, 7, std::vector<std::uint8_t>(20));
        Rtnl::DumpState refused;
        Rtnl::walkDatagram(error.data(), error.size(), 7, refused, collect);
        QVERIFY(refused.done && refused.failed);
        const auto shortStats = statsPayload(2, 5, 24);
        IfEntry entry;
        QVERIFY(!Rtnl::parseStats(shortStats.data(), shortStats.size(), entry));
        const auto fullStats = statsPayload(2, 5, sizeof(rtnl_link_stats64));
        QVERIFY(!Rtnl::parseStats(fullStats.data(), fullStats.size() - 1, entry));
    }

    void parseLinkBoundsTheName()
    {
        std::vector<std::uint8_t> payload;
        ifinfomsg message {};
        message.ifi_index = 5;
        const QByteArray name(300, 'w'); // neither terminated nor of a size a row can hold
        const rtattr attribute {std::uint16_t(RTA_LENGTH(name.size())), IFLA_IFNAME};
        put(payload, &message, sizeof message);
        put(payload, &attribute, sizeof attribute);
        put(payload, name.constData(), std::size_t(name.size()));
        IfEntry entry;
        QVERIFY(Rtnl::parseLink(payload.data(), payload.size(), entry));
        QCOMPARE(entry.index, 5u);
        QCOMPARE(entry.name, std::string(256, 'w'));
        QVERIFY(!Rtnl::parseLink(payload.data(), 40, entry)); // the attribute runs past the payload
    }

    // Last: it moves this process into a network namespace of its own.
    void followsInterfacesComingGoingAndRenamed()
    {
        // A new user namespace would do without root, but QtTest's watchdog thread rules that out.
        if (QStandardPaths::findExecutable(QStringLiteral("ip")).isEmpty() || unshare(CLONE_NEWNET) != 0)
            QSKIP("needs root and ip(8) to make interfaces in a private network namespace");
        const auto ip = [](const QStringList& arguments) { return QProcess::execute("ip", arguments) == 0; };
        const auto source = NetlinkIfTable::open();
        QVERIFY(source);
        QCOMPARE(names(readTable(*source)), QByteArrayList {"lo"});

        QVERIFY(ip({"link", "add", "zva", "type", "veth", "peer", "name", "zvb"}));
        auto rows = readTable(*source);
        QCOMPARE(rows.size(), std::size_t {3});
        QVERIFY(rows[1].index < rows[2].index);
        QVERIFY(rows[1].name == "zva" || rows[1].name == "zvb");

        // Same interfaces, new name: only the link notification tells.
        QVERIFY(ip({"link", "set", QString::fromLatin1(rows[1].name), "name", "zv-renamed"}));
        rows = readTable(*source);
        QCOMPARE(rows.size(), std::size_t {3});
        QCOMPARE(rows[1].name, QByteArray("zv-renamed"));

        QVERIFY(ip({"link", "del", "zv-renamed"}));
        QCOMPARE(names(readTable(*source)), QByteArrayList {"lo"});
    }
};

QTEST_GUILESS_MAIN(TestNetlinkIfTable)
#include "tst_netlinkiftable.moc"
