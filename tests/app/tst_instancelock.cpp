#include "InstanceLock.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QProcess>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <memory>
#include <unistd.h>

namespace {

const QString Key = QStringLiteral("0123456789abcdef0123456789abcdef");

// The running copy's channel, answering "show" in a thread of its own, so that this thread can play the later
// launch, whose calls block.
class RunningCopy : public QThread
{
public:
    RunningCopy()
    {
        start();
        m_ready.acquire();
    }
    ~RunningCopy() override
    {
        quit();
        wait();
    }
    QString problem;
    QAtomicInt shown;

protected:
    void run() override
    {
        InstanceChannel channel;
        channel.handle("show", [this] {
            shown.ref();
            return QByteArray("shown");
        });
        problem = channel.listen(Key);
        m_ready.release();
        exec();
    }

private:
    QSemaphore m_ready;
};

// Starts the system's python3, which any user can run, with script as nobody: another user, whom only root can become.
void pythonAsNobody(QProcess& process, const char* script, const QStringList& args)
{
    process.start("setpriv",
                  QStringList {"--reuid=nobody", "--regid=nogroup", "--clear-groups", "/usr/bin/python3", "-c", script}
                      + args);
}

QString socketPath()
{
    QStringList skipped;
    return QDir(InstanceChannel::privateFolder(&skipped)).filePath(Key);
}

// As another user: asks under both names and prints each answer, or squats the abstract name, answering anyone.
const char* const AskAsPython = R"(
import socket, sys
def ask(address):
    try:
        s = socket.socket(socket.AF_UNIX); s.settimeout(5); s.connect(address); s.sendall(b"show\n")
        return s.recv(64).decode().strip() or "refused"
    except OSError:
        return "refused"
print(ask(sys.argv[1]), ask("\0" + sys.argv[2]))
)";
const char* const SquatAsPython = R"(
import socket, sys
s = socket.socket(socket.AF_UNIX); s.bind("\0" + sys.argv[2]); s.listen(); print("ready", flush=True)
while True:
    c, _ = s.accept()
    try: c.sendall(b"shown\n"); c.close()
    except OSError: pass  # the asker hung up first
)";

} // namespace

class TestInstanceLock : public QObject
{
    Q_OBJECT

private:
    const QString m_base = QDir::tempPath();
    std::unique_ptr<QTemporaryDir> m_runtime, m_temp, m_cache;

private Q_SLOTS:
    // Every test starts with folders of its own for the sockets, where nothing was planted.
    void init()
    {
        for (auto [dir, variable] : {std::pair(&m_runtime, "XDG_RUNTIME_DIR"), std::pair(&m_temp, "TMPDIR"),
                                     std::pair(&m_cache, "XDG_CACHE_HOME")}) {
            *dir = std::make_unique<QTemporaryDir>(QDir(m_base).filePath("zovotest-XXXXXX"));
            qputenv(variable, QFile::encodeName((*dir)->path()));
        }
    }

    // One copy per database, whichever way a second start reaches it; another database starts.
    void secondCopyIsRefused()
    {
        // {made while the first copy runs, the database the second start uses, refused}
        const std::tuple<QString, const char*, bool> cases[] = {
            {"", "a/Zovodazad.mdb", true},
            {"symlink from another folder", "b/Zovodazad.mdb", true},
            {"move file", "a/Zovodazad.mdb", true}, // its old path
            {"move folder", "a/Zovodazad.mdb", true},
            {"", "b/Zovodazad.mdb", false}, // another database
        };
        for (const auto& [change, second, refused] : cases) {
            QTemporaryDir dir;
            QDir top(dir.path());
            QVERIFY(top.mkpath("a") && top.mkpath("b"));
            const QString first = top.filePath("a/Zovodazad.mdb");
            const QString other = top.filePath("b/Zovodazad.mdb");
            QFile file(first);
            QVERIFY(file.open(QIODevice::WriteOnly));
            InstanceLock running(first);
            QVERIFY(running.tryLock() && running.settle().isEmpty());
            if (change.startsWith("symlink"))
                QVERIFY(QFile::link(first, other));
            else if (change == "move file")
                QVERIFY(QFile::rename(first, other));
            else if (change == "move folder")
                QVERIFY(top.rename("a", "c") && top.mkpath("a"));
            QVERIFY2(!InstanceLock(top.filePath(second)).tryLock() == refused, qPrintable(change + ' ' + second));
        }
    }

    // What a peer sends and how fast, and what it gets: an answer, or being dropped (nothing) when its line is too
    // long or it is too slow. A line without an end is cut there, so a flood of bytes costs no memory.
    void peersAreBounded()
    {
        const int timeout = InstanceChannel::PeerTimeoutMs;
        const QByteArray longest(InstanceChannel::MaxLineBytes - 1, 'x');
        // {request, a byte every so many ms (0: all at once), answer, within ms}
        const std::tuple<QByteArray, int, QByteArray, int, int> cases[] = {
            {longest + '\n', 0, "error unknown request\n", 0, 1000},
            {longest + "x\n", 0, {}, 0, 1000}, // too long
            {"show\n", 600, {}, timeout - 100, timeout + 1500},
        };
        for (const auto& [request, byteEveryMs, answer, atLeastMs, atMostMs] : cases) {
            InstanceChannel channel;
            channel.handle("show", [] { return QByteArray("shown"); });
            QVERIFY(channel.listen(Key).isEmpty());
            QLocalSocket peer;
            peer.connectToServer(socketPath());
            QVERIFY(peer.waitForConnected(1000));
            QElapsedTimer elapsed;
            elapsed.start();
            QByteArray received;
            connect(&peer, &QLocalSocket::readyRead, this, [&] { received += peer.readAll(); });
            if (byteEveryMs == 0)
                peer.write(request);
            for (int i = 0; byteEveryMs > 0 && i < request.size() && peer.state() == QLocalSocket::ConnectedState;
                 ++i) {
                peer.write(request.mid(i, 1));
                QTest::qWait(byteEveryMs);
            }
            QTRY_COMPARE_WITH_TIMEOUT(peer.state(), QLocalSocket::UnconnectedState, atMostMs + 1000);
            QCOMPARE(received, answer);
            QVERIFY2(elapsed.elapsed() >= atLeastMs && elapsed.elapsed() <= atMostMs,
                     qPrintable(QString::number(elapsed.elapsed())));
        }
    }

    // Beyond a few connections from a process of this user the rest are closed at once, and the idle ones when
    // their time is up; the next launch is still answered.
    void idleConnectionsAreBounded()
    {
        RunningCopy copy;
        std::vector<std::unique_ptr<QLocalSocket>> peers(InstanceChannel::MaxPeers * 4);
        for (auto& peer : peers) {
            peer = std::make_unique<QLocalSocket>();
            peer->connectToServer(socketPath());
        }
        const auto open = [&peers] {
            return int(std::count_if(peers.cbegin(), peers.cend(),
                                     [](const auto& p) { return p->state() == QLocalSocket::ConnectedState; }));
        };
        QTRY_COMPARE(open(), InstanceChannel::MaxPeers);
        QTRY_COMPARE_WITH_TIMEOUT(open(), 0, InstanceChannel::PeerTimeoutMs + 1500);
        QCOMPARE(InstanceChannel::ask(Key, "show"), QByteArray("shown"));
    }

    // Another user can neither reach the socket in the private folder nor be answered under the abstract name,
    // which anyone may connect to. Names others took first, or things planted where the sockets go: the copy says
    // which and why, listens where it can, and a later launch still reaches it, never the squatter.
    void otherUsersGetNothing_data()
    {
        QTest::addColumn<QString>("plant");
        QTest::addColumn<QString>("reported");
        QTest::newRow("another user asks") << QString() << QString();
        QTest::newRow("runtime folder is a symbolic link") << QString("symlink") << "is a symbolic link";
        QTest::newRow("abstract name bound by another user") << QString("abstract") << "of another user";
    }

    void otherUsersGetNothing()
    {
        QFETCH(QString, plant);
        QFETCH(QString, reported);
        const QString folder = QDir(m_runtime->path()).filePath("zovodazad");
        QTemporaryDir elsewhere;
        QProcess python; // the other user's
        if (plant != "symlink" && ::geteuid() != 0)
            QSKIP("another user can be played only by root");
        if (plant == "symlink") {
            QVERIFY(QFile::link(elsewhere.path(), folder));
        } else if (plant == "abstract") {
            pythonAsNobody(python, SquatAsPython, {socketPath(), InstanceChannel::abstractName(Key)});
            QVERIFY(python.waitForReadyRead(10000));
            QVERIFY(InstanceChannel::ask(Key, "show").isEmpty()); // the squatter's answer is not taken
        }
        RunningCopy copy;
        QVERIFY2(copy.problem.contains(reported), qPrintable(copy.problem));
        if (plant.isEmpty()) {
            pythonAsNobody(python, AskAsPython, {socketPath(), InstanceChannel::abstractName(Key)});
            QVERIFY(python.waitForFinished(20000));
            QCOMPARE(python.readAllStandardOutput().trimmed(), QByteArray("refused refused"));
            QCOMPARE(copy.shown.loadRelaxed(), 0);
        }
        QCOMPARE(InstanceChannel::ask(Key, "show"), QByteArray("shown"));
        QCOMPARE(copy.shown.loadRelaxed(), 1);
        QVERIFY(QDir(elsewhere.path()).isEmpty());
        python.kill();
        python.waitForFinished();
    }
};

QTEST_GUILESS_MAIN(TestInstanceLock)
#include "tst_instancelock.moc"
