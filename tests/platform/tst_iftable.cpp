#include "IfTable.h"
#include "ProcNetDevIfTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QByteArray Headings
    = "Inter-|   Receive                |  Transmit\n face |bytes    packets errs|bytes    packets\n";

// "name in out index [hw] state;" for each entry, so a whole table compares in one line.
QByteArray describe(const std::vector<IfEntry>& entries)
{
    QByteArray text;
    for (const IfEntry& entry : entries)
        text += QByteArray::fromStdString(entry.name) + ' ' + QByteArray::number(entry.inOctets) + ' '
            + QByteArray::number(entry.outOctets) + ' ' + QByteArray::number(entry.index)
            + (entry.hardware ? " hw " : " ") + QByteArray::number(static_cast<int>(entry.state)) + "; ";
    return text;
}

} // namespace

class TestIfTable : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    void write(const QString& name, const QByteArray& text)
    {
        QDir().mkpath(QFileInfo(m_dir.filePath(name)).path());
        QFile file(m_dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }

    // A reader of m_dir/dev, which holds the two heading lines and then `lines`, with sysfs under m_dir/net.
    ProcNetDevIfTable procFile(const QByteArray& lines)
    {
        write("dev", Headings + lines);
        return ProcNetDevIfTable(m_dir.filePath("dev").toStdString(), m_dir.filePath("net").toStdString());
    }

private Q_SLOTS:
    // A line that does not parse fails the whole reading rather than leave an interface out.
    void parsesProcNetDev()
    {
        // {lines, parsed, as describe() gives them: index 0, no hardware, state unknown}
        const std::tuple<QByteArray, bool, QByteArray> cases[] = {
            {"    lo:    3267      29    0    0    0     0          0         0     3268      29    0    0    0     0"
             "       0          0\n  eth0: 1 0 0 0 0 0 0 0 2 0 0 0 0 0 0 0\n",
             true, "lo 3267 3268 0 0; eth0 1 2 0 0; "}, // the kernel's layout
            {"wl@n-0.1: 4294967303 9 0 0 0 0 0 0 18446744073709551615 1 0 0 0 0 0 0", true,
             "wl@n-0.1 4294967303 18446744073709551615 0 0; "}, // full 64 bits, no final newline
            {"\u00f1et:1234 5 0 0 0 0 0 0 678 9\n", true, "\u00f1et 1234 678 0 0; "}, // older kernels' colon
            {"", true, ""},
            {"lo: 1 2 3 4 5 6 7 8 99999999999999999999 0\n", false, ""}, // beyond 64 bits
            {"eth0: 1 2 3\n", false, ""},
        };
        for (const auto& [lines, parsed, expected] : cases) {
            // Parsed over the entries of an earlier reading, as the table does.
            std::vector<IfEntry> entries {{9, "earlier", true, OperState::Up, 5, 6}};
            QCOMPARE(parseProcNetDev((Headings + lines).toStdString(), entries), parsed);
            if (parsed)
                QCOMPARE(describe(entries), expected);
        }
    }

    // Indexes, states and hardware from sysfs; interfaces of unknown index last, in file order; a state word that
    // operstate does not write is an unknown state. A later reading leaves nothing of the interfaces before.
    void readsSysfsAndSorts()
    {
        for (const auto& [name, index, state] : {std::tuple("lo", "1", "unknown"), std::tuple("eth0", "5", "dormant"),
                                                 std::tuple("wl@n-0.1", "7", "upward")}) {
            write(QString("net/%1/ifindex").arg(name), QByteArray(index) + '\n');
            write(QString("net/%1/operstate").arg(name), QByteArray(state) + '\n');
        }
        write("net/wl@n-0.1/device/uevent", "DRIVER=iwlwifi\n");
        auto source = procFile("wl@n-0.1: 4 0 0 0 0 0 0 0 8\nnot-in-sys: 1 0 0 0 0 0 0 0 9\nlo: 3 0 0 0 0 0 0 0 3\n"
                               "eth0: 1 0 0 0 0 0 0 0 2\n");
        std::vector<IfEntry> entries;
        QVERIFY(source.read(entries));
        QCOMPARE(describe(entries), QByteArray("lo 3 3 1 0; eth0 1 2 5 5; wl@n-0.1 4 8 7 hw 0; not-in-sys 1 9 0 0; "));
        procFile("new0: 7 0 0 0 0 0 0 0 8\n");
        QVERIFY(source.read(entries));
        QCOMPARE(describe(entries), QByteArray("new0 7 8 0 0; "));
        QVERIFY(!ProcNetDevIfTable(m_dir.filePath("absent").toStdString()).read(entries));
    }
};

QTEST_GUILESS_MAIN(TestIfTable)
#include "tst_iftable.moc"
