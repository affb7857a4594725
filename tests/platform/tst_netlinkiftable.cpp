#include "NetlinkIfTable.h"
#include "ProcNetDevIfTable.h"
#include "TableRows.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <arpa/inet.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// x was read between before and after, counting modulo 2^32.
bool between(std::uint32_t before, std::uint32_t x, std::uint32_t after)
{
    return std::uint32_t(x - before) <= std::uint32_t(after - before);
}

} // namespace

class TestNetlinkIfTable : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void agreesWithProc()
    {
        const auto source = NetlinkIfTable::open();
        QVERIFY(source);
        // Datagrams to a port nobody listens on still pass lo, so its counters move after open()'s reading.
        const int fd = socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_port = htons(9);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const std::vector<char> payload(1000, 'z');
        for (int i = 0; i < 20; ++i)
            sendto(fd, payload.data(), payload.size(), 0, reinterpret_cast<sockaddr*>(&address), sizeof address);
        close(fd);

        ProcNetDevIfTable proc;
        const auto before = readTable(proc);
        const auto rows = readTable(*source);
        const auto after = readTable(proc);
        QCOMPARE(names(rows), names(after));
        QCOMPARE(names(before), names(rows));
        QCOMPARE(rows.at(0).name, QByteArray("lo"));
        for (std::size_t k = 0; k < rows.size(); ++k) {
            QCOMPARE(rows[k].index, after[k].index);
            QVERIFY(k == 0 || rows[k - 1].index < rows[k].index);
            QVERIFY(between(before[k].in, rows[k].in, after[k].in));
            QVERIFY(between(before[k].out, rows[k].out, after[k].out));
        }
        QCOMPARE(names(readTable(*makeSystemIfTableSource())), names(rows));
    }

    // Last: it moves this process into a network namespace of its own.
    void followsInterfacesComingGoingAndRenamed()
    {
        // A new user namespace would do without root, but QtTest's watchdog thread rules that out.
        if (QStandardPaths::findExecutable("ip").isEmpty() || unshare(CLONE_NEWNET) != 0)
            QSKIP("needs root and ip(8) to make interfaces in a private network namespace");
        const auto ip
            = [](const QByteArray& command) { return QProcess::execute("ip", QString(command).split(' ')) == 0; };
        const auto source = NetlinkIfTable::open();
        QVERIFY(source);
        QVERIFY(ip("link add zva type veth peer name zvb"));
        const auto rows = readTable(*source);
        QCOMPARE(rows.size(), std::size_t {3});
        // Same interfaces, new name: only the link notification tells.
        QVERIFY(ip("link set " + rows[1].name + " name zv-renamed"));
        QCOMPARE(names(readTable(*source)).value(1), QByteArray("zv-renamed"));
        QVERIFY(ip("link del zv-renamed"));
        QCOMPARE(names(readTable(*source)), QByteArrayList {"lo"});
    }
};

QTEST_GUILESS_MAIN(TestNetlinkIfTable)
#include "tst_netlinkiftable.moc"
