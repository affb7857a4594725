#include "NetlinkIfTable.h"
#include "ProcNetDevIfTable.h"
#include "TableRows.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

class TestNetlinkIfTable : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Each counter lies between two readings of /proc/net/dev taken around it.
    void agreesWithProc()
    {
        const auto source = NetlinkIfTable::open();
        QVERIFY(source);
        // A second reading updates the rows of the first: loopback traffic in between must show in it.
        readTable(*source);
        const int udp = socket(AF_INET, SOCK_DGRAM, 0);
        const sockaddr_in to {AF_INET, htons(9), {htonl(INADDR_LOOPBACK)}, {}};
        QCOMPARE(sendto(udp, "zovodazad", 9, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to), ssize_t(9));
        close(udp);
        ProcNetDevIfTable proc;
        const auto before = readTable(proc);
        const auto rows = readTable(*source);
        const auto after = readTable(proc);
        QCOMPARE(names(before), names(after)); // the rows compared below are the same interfaces
        QCOMPARE(names(rows), names(after)); // loopback first, as /proc/net/dev sorted by index
        const auto between = [](std::uint64_t a, std::uint64_t x, std::uint64_t b) { return a <= x && x <= b; };
        for (std::size_t k = 0; k < rows.size(); ++k) {
            QCOMPARE(rows[k].index, after[k].index);
            QVERIFY(k == 0 || rows[k - 1].index < rows[k].index);
            QVERIFY(between(before[k].inOctets, rows[k].inOctets, after[k].inOctets));
            QVERIFY(between(before[k].outOctets, rows[k].outOctets, after[k].outOctets));
        }
        QCOMPARE(names(readTable(*makeSystemIfTableSource())), names(rows));
    }

    // Last: it moves this process into a network namespace of its own.
    void followsInterfacesComingGoingAndRenamed()
    {
        // A new user namespace would do without root, but QtTest's watchdog thread rules that out.
        if (QStandardPaths::findExecutable("ip").isEmpty() || unshare(CLONE_NEWNET) != 0)
            QSKIP("needs root and ip(8) to make interfaces in a private network namespace");
        const auto ip = [](const QString& command) { return QProcess::execute("ip", command.split(' ')) == 0; };
        const auto source = NetlinkIfTable::open();
        QVERIFY(source);
        QVERIFY(ip("link add zva type veth peer name zvb"));
        const auto rows = readTable(*source);
        const QByteArrayList added = names(rows);
        QCOMPARE(added.size(), 3);
        // Loopback and veth are not hardware.
        QVERIFY(std::none_of(rows.cbegin(), rows.cend(), [](const IfEntry& row) { return row.facts.device; }));
        // Same interfaces, new name: only the link notification tells.
        QVERIFY(ip("link set " + added[1] + " name zv-renamed"));
        QCOMPARE(names(readTable(*source)).value(1), QByteArray("zv-renamed"));
        QVERIFY(ip("link del zv-renamed"));
        QCOMPARE(names(readTable(*source)), QByteArrayList {"lo"});
        // Enough interfaces that each dump spans several datagrams.
        for (int k = 0; k < 20; ++k)
            QVERIFY(ip(QString("link add zv%1a type veth peer name zv%1b").arg(k)));
        ProcNetDevIfTable proc;
        const QByteArrayList many = names(readTable(*source));
        QCOMPARE(many.size(), 41);
        QCOMPARE(many, names(readTable(proc)));
    }
};

QTEST_GUILESS_MAIN(TestNetlinkIfTable)
#include "tst_netlinkiftable.moc"
