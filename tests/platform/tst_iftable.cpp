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
    void parsesProcNetDev_data()
    {
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<bool>("parsed");
        QTest::addColumn<QByteArray>("expected"); // as describe() gives them: index 0, no hardware, state unknown

        QTest::newRow("kernel's layout") << QByteArray(
            "    lo:    3267      29    0    0    0     0          0         0"
            "     3268      29    0    0    0     0       0          0\n"
            "  eth0: 1 0 0 0 0 0 0 0 2 0 0 0 0 0 0 0\n")
                                         << true << QByteArray("lo 3267 3268 0 0; eth0 1 2 0 0; ");
        QTest::newRow("full 64 bits, no final newline")
            << QByteArray("wl@n-0.1: 4294967303 9 0 0 0 0 0 0 18446744073709551615 1 0 0 0 0 0 0") << true
            << QByteArray("wl@n-0.1 4294967303 18446744073709551615 0 0; ");
        QTest::newRow("older kernels' colon without a blank")
            << QByteArray("\u00f1et:1234 5 0 0 0 0 0 0 678 9\n") << true << QByteArray("\u00f1et 1234 678 0 0; ");
        QTest::newRow("no interfaces") << QByteArray() << true << QByteArray();
        QTest::newRow("beyond 64 bits") << QByteArray("lo: 1 2 3 4 5 6 7 8 99999999999999999999 0\n") << false
                                        << QByteArray();
        QTest::newRow("no name") << QByteArray("  : 1 2 3 4 5 6 7 8 9\n") << false << QByteArray();
        QTest::newRow("too few numbers") << QByteArray("eth0: 1 2 3\n") << false << QByteArray();
        // Linux allows no colon in a name; a line with two is of a format not known here.
        QTest::newRow("second colon") << QByteArray("x:y:12 0 0 0 0 0 0 0 34 0\n") << false << QByteArray();
    }

    // A line that does not parse fails the whole reading rather than leave an interface out.
    void parsesProcNetDev()
    {
        QFETCH(QByteArray, lines);
        QFETCH(bool, parsed);
        QFETCH(QByteArray, expected);
        // Parsed over the entries of an earlier reading, as the table does.
        std::vector<IfEntry> entries {{9, "earlier", true, OperState::Up, 5, 6}};
        QCOMPARE(parseProcNetDev((Headings + lines).toStdString(), entries), parsed);
        if (parsed)
            QCOMPARE(describe(entries), expected);
    }

    // Indexes, states and hardware from sysfs; interfaces of unknown index last, in file order. Every word of
    // operstate is read, and one it does not write is an unknown state.
    void readsSysfsAndSorts()
    {
        const auto sys = [this](const QString& name, const QByteArray& index, const QByteArray& state) {
            write("net/" + name + "/ifindex", index + '\n');
            write("net/" + name + "/operstate", state + '\n');
        };
        sys("lo", "1", "unknown");
        sys("\u00f1et", "5", "lowerlayerdown");
        sys("wl@n-0.1", "7", "up");
        write("net/wl@n-0.1/device/uevent", "DRIVER=iwlwifi\n");
        QByteArray states; // named after their word, indexes from 10
        for (const char* word : {"down", "dormant", "notpresent", "testing", "upward"}) {
            sys(word, QByteArray::number(10 + states.count('\n')), word);
            states += word + QByteArray(": 0 0 0 0 0 0 0 0 0\n");
        }
        auto source = procFile(states
                               + "wl@n-0.1: 4 0 0 0 0 0 0 0 8\n"
                                 "not-in-sys: 1 0 0 0 0 0 0 0 9\n"
                                 "lo: 3 0 0 0 0 0 0 0 3\n"
                                 "gone: 5 0 0 0 0 0 0 0 6\n"
                                 "\u00f1et: 1 0 0 0 0 0 0 0 2\n");
        std::vector<IfEntry> entries;
        QVERIFY(source.read(entries));
        QCOMPARE(
            describe(entries),
            QByteArray("lo 3 3 1 0; \u00f1et 1 2 5 3; wl@n-0.1 4 8 7 hw 6; down 0 0 10 2; dormant 0 0 11 5; "
                       "notpresent 0 0 12 1; testing 0 0 13 4; upward 0 0 14 0; not-in-sys 1 9 0 0; gone 5 6 0 0; "));

        // A reading over that one: nothing of the interfaces before is left in the entries.
        procFile("new0: 7 0 0 0 0 0 0 0 8\n");
        QVERIFY(source.read(entries));
        QCOMPARE(describe(entries), QByteArray("new0 7 8 0 0; "));

        QVERIFY(!ProcNetDevIfTable(m_dir.filePath("absent").toStdString()).read(entries));
    }
};

QTEST_GUILESS_MAIN(TestIfTable)
#include "tst_iftable.moc"
