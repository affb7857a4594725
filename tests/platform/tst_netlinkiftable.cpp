#include "NetlinkIfTable.h"

#include <QByteArrayList>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <algorithm>
#include <sched.h>
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
    // Each test moves this process into a new network namespace.
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
        // Same interfaces, new state: only the link notification tells.
        const auto stateOf = [&](const char* name) {
            const IfEntry* entry = source->read(entries) ? find(entries, name) : nullptr;
            return entry ? entry->state : OperState::NotPresent;
        };
        QVERIFY(ip("link set zva up"));
        QTRY_COMPARE(stateOf("zva"), OperState::LowerLayerDown); // its peer is down
        QVERIFY(ip("link set zvb up"));
        QTRY_COMPARE(stateOf("zva"), OperState::Up);
        // Same interfaces, new name: again only the notification tells.
        QVERIFY(ip("link set zvb down") && ip("link set zvb name zv-renamed"));
        QVERIFY(source->read(entries));
        QCOMPARE(names(entries), (QByteArrayList {"lo", "zv-renamed", "zva"}));
        QVERIFY(ip("link del zva"));
        QVERIFY(source->read(entries));
        QCOMPARE(names(entries), QByteArrayList {"lo"});
    }
};

QTEST_GUILESS_MAIN(TestNetlinkIfTable)
#include "tst_netlinkiftable.moc"
