#include "NetlinkIfTable.h"
#include "ProcNetDevIfTable.h"

#include <QByteArrayList>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

QByteArrayList names(const std::vector<IfEntry>& entries)
{
    QByteArrayList result;
    for (const IfEntry& entry : entries)
        result.append(QByteArray::fromStdString(entry.name));
    return result;
}

const IfEntry* find(const std::vector<IfEntry>& entries, const char* name)
{
    const auto it = std::find_if(entries.cbegin(), entries.cend(), [&](const IfEntry& e) { return e.name == name; });
    return it == entries.cend() ? nullptr : &*it;
}

// Moves this process into a network namespace of its own, so the interfaces a test makes go with it. A new user
// namespace would do without root, but QtTest's watchdog thread rules that out.
bool privateNetns()
{
    return !QStandardPaths::findExecutable("ip").isEmpty() && unshare(CLONE_NEWNET) == 0;
}

bool ip(const QString& command)
{
    return QProcess::execute("ip", command.split(' ')) == 0;
}

} // namespace

class TestNetlinkIfTable : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Each counter lies between two readings of /proc/net/dev taken around it; states and device links agree with
    // sysfs.
    void agreesWithProc()
    {
        const auto source = NetlinkIfTable::open();
        QVERIFY(source);
        // A second reading updates the entries of the first: loopback traffic in between must show in it.
        std::vector<IfEntry> entries;
        QVERIFY(source->read(entries));
        const int udp = socket(AF_INET, SOCK_DGRAM, 0);
        const sockaddr_in to {AF_INET, htons(9), {htonl(INADDR_LOOPBACK)}, {}};
        QCOMPARE(sendto(udp, "zovodazad", 9, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to), ssize_t(9));
        close(udp);
        ProcNetDevIfTable proc;
        std::vector<IfEntry> before;
        std::vector<IfEntry> after;
        QVERIFY(proc.read(before));
        QVERIFY(source->read(entries));
        QVERIFY(proc.read(after));
        QCOMPARE(names(before), names(after)); // the entries compared below are the same interfaces
        QCOMPARE(names(entries), names(after)); // loopback first, as /proc/net/dev sorted by index
        const auto between = [](std::uint64_t a, std::uint64_t x, std::uint64_t b) { return a <= x && x <= b; };
        for (std::size_t k = 0; k < entries.size(); ++k) {
            QCOMPARE(entries[k].index, after[k].index);
            QVERIFY(between(before[k].inOctets, entries[k].inOctets, after[k].inOctets));
            QVERIFY(between(before[k].outOctets, entries[k].outOctets, after[k].outOctets));
            QCOMPARE(entries[k].state, after[k].state);
            QVERIFY(!after[k].hardware || entries[k].hardware); // a device behind it makes it hardware
        }
    }

    // From here on, each test moves this process into a new network namespace.
    void followsInterfacesComingGoingAndChanging()
    {
        if (!privateNetns())
            QSKIP("needs root and ip(8) to make interfaces in a private network namespace");
        const auto source = NetlinkIfTable::open();
        QVERIFY(source);
        std::vector<IfEntry> entries;
        QVERIFY(ip("link add zva type veth peer name zvb"));
        QVERIFY(source->read(entries));
        // Loopback and veth are not hardware, and none is up yet.
        QVERIFY(std::all_of(entries.cbegin(), entries.cend(),
                            [](const IfEntry& e) { return !e.hardware && e.state == OperState::Down; }));
        QCOMPARE(names(entries), (QByteArrayList {"lo", "zvb", "zva"})); // the peer is made first
        // Same interfaces, new name or state: only the link notification tells.
        QVERIFY(ip("link set zvb name zv-renamed"));
        QVERIFY(source->read(entries));
        QVERIFY(find(entries, "zv-renamed"));
        const auto stateOf = [&](const char* name) {
            const IfEntry* entry = source->read(entries) ? find(entries, name) : nullptr;
            return entry ? entry->state : OperState::NotPresent;
        };
        QVERIFY(ip("link set zva up"));
        QTRY_COMPARE(stateOf("zva"), OperState::LowerLayerDown); // its peer is down
        QVERIFY(ip("link set zv-renamed up"));
        QTRY_COMPARE(stateOf("zva"), OperState::Up);
        QVERIFY(ip("link del zva"));
        QVERIFY(source->read(entries));
        QCOMPARE(names(entries), QByteArrayList {"lo"});
    }

    // Interfaces made and removed in bursts: no reading stalls or leaves out an interface that stays, and one fails
    // only when it keeps racing the changes. Link notifications overflow the socket between readings.
    void keepsReadingThroughBurstsOfChanges()
    {
        if (!privateNetns())
            QSKIP("needs root and ip(8) to make interfaces in a private network namespace");
        QTemporaryDir dir;
        const auto script = [&dir](const char* name, std::initializer_list<const char*> commands, int times) {
            QFile file(dir.filePath(name));
            if (file.open(QIODevice::WriteOnly)) {
                for (const char* command : commands) {
                    for (int k = 0; k < times; ++k)
                        file.write(QString(command).arg(k).toUtf8() + '\n');
                }
            }
            return file.fileName();
        };
        QVERIFY(ip("link add zs0 type veth peer name zs1"));
        const auto source = NetlinkIfTable::open();
        QVERIFY(source);
        std::vector<IfEntry> entries;
        QVERIFY(source->read(entries));
        // Interfaces made and gone again while nothing reads overflow the socket's queue: the notification of the
        // rename after them is lost.
        QVERIFY(ip("-batch " + script("burst", {"link add zb%1 type veth peer name ze%1", "link del zb%1"}, 50)));
        QVERIFY(ip("link set zs1 name zs-renamed"));
        QVERIFY(source->read(entries));
        QCOMPARE(names(entries), (QByteArrayList {"lo", "zs-renamed", "zs0"}));

        QProcess churn;
        churn.start("ip",
                    {"-batch", script("churn", {"link add zc%1 type veth peer name zd%1", "link del zc%1"}, 150)});
        QVERIFY(churn.waitForStarted());
        std::size_t most = 0;
        int readings = 0;
        int failed = 0;
        // Spaced as a sampler's readings.
        for (QElapsedTimer timer; !churn.waitForFinished(20); ++readings) {
            timer.start();
            const bool read = source->read(entries);
            QVERIFY(timer.elapsed() < 1000);
            if (!read) {
                ++failed;
                continue;
            }
            QVERIFY(find(entries, "lo") && find(entries, "zs0") && find(entries, "zs-renamed"));
            QVERIFY(std::adjacent_find(entries.cbegin(), entries.cend(),
                                       [](const IfEntry& a, const IfEntry& b) { return a.index >= b.index; })
                    == entries.cend());
            most = std::max(most, entries.size());
        }
        QVERIFY(most > 100); // the readings did meet the churn
        QVERIFY2(failed * 10 < readings, qPrintable(QString("%1 of %2 readings failed").arg(failed).arg(readings)));
    }
};

QTEST_GUILESS_MAIN(TestNetlinkIfTable)
#include "tst_netlinkiftable.moc"
