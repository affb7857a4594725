#include "InstanceChannel.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <memory>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// Hex digits of the key: enough to tell databases apart, short enough for any socket path.
constexpr int KeyLength = 32;

// The context of this file's texts in the translations.
struct Text
{
    Q_DECLARE_TR_FUNCTIONS(InstanceLock)
};

// The process at the other end of a connected local socket.
struct Peer
{
    pid_t pid = 0;
    uid_t uid = uid_t(-1);
};

Peer peerOf(const QLocalSocket& socket)
{
    ucred cred = {};
    socklen_t size = sizeof cred;
    if (::getsockopt(int(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &cred, &size) != 0)
        return {};
    return {cred.pid, cred.uid};
}

bool isOwn(const QLocalSocket& socket)
{
    return peerOf(socket).uid == ::getuid();
}

// Why folder cannot hold the sockets, made 0700 when missing; empty when it can.
QString unusable(const QString& folder)
{
    const QByteArray native = QFile::encodeName(folder);
    const QString shown = QDir::toNativeSeparators(folder);
    if (native.size() + 1 + KeyLength >= qsizetype(sizeof(sockaddr_un::sun_path)))
        return Text::tr("%1 is too long a name for a socket's folder.").arg(shown);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        return QStringLiteral("%1: %2").arg(shown, QString::fromLocal8Bit(std::strerror(errno)));
    struct stat st = {};
    if (::lstat(native.constData(), &st) != 0)
        return QStringLiteral("%1: %2").arg(shown, QString::fromLocal8Bit(std::strerror(errno)));
    if (S_ISLNK(st.st_mode))
        return Text::tr("%1 is a symbolic link, not a folder.").arg(shown);
    if (!S_ISDIR(st.st_mode))
        return Text::tr("%1 is not a folder.").arg(shown);
    if (st.st_uid != ::getuid())
        return Text::tr("%1 belongs to another user (uid %2).").arg(shown).arg(st.st_uid);
    if ((st.st_mode & 07777) != 0700)
        return Text::tr("%1 is open to other users (mode %2).").arg(shown, QString::number(st.st_mode & 07777, 8));
    return {};
}

// A connection to this user's process listening under name, or nullptr.
std::unique_ptr<QLocalSocket> connectOwn(const QString& name, QLocalSocket::SocketOptions options)
{
    auto socket = std::make_unique<QLocalSocket>();
    socket->setSocketOptions(options);
    // The answer is one short line; nothing more is kept from a server that sends more.
    socket->setReadBufferSize(InstanceChannel::MaxAnswerBytes);
    socket->connectToServer(name);
    if (!socket->waitForConnected(InstanceChannel::PeerTimeoutMs) || !isOwn(*socket))
        return nullptr;
    return socket;
}

struct Name
{
    QString name;
    QLocalSocket::SocketOptions options;
};

// Where a copy listens under key: in the private folder, then under the abstract name.
QList<Name> namesOf(const QString& key, QStringList* skipped)
{
    QList<Name> names;
    const QString folder = InstanceChannel::privateFolder(skipped);
    if (!folder.isEmpty())
        names.append({QDir(folder).filePath(key), QLocalSocket::NoOptions});
    names.append({InstanceChannel::abstractName(key), QLocalSocket::AbstractNamespaceOption});
    return names;
}

QList<Name> namesOf(const QString& key)
{
    QStringList ignored;
    return namesOf(key, &ignored);
}

} // namespace

InstanceChannel::InstanceChannel(QObject* parent)
    : QObject(parent)
{
}

void InstanceChannel::handle(const QByteArray& request, Answer answer)
{
    m_answers.insert(request, std::move(answer));
}

void InstanceChannel::handleEvery(const QByteArray& request, int intervalMs, Answer answer)
{
    auto* timer = new QTimer(this);
    timer->setInterval(intervalMs);
    m_followed.insert(request, {std::move(answer), timer, {}});
    connect(timer, &QTimer::timeout, this, [this, request] {
        Followed& f = m_followed[request];
        const QByteArray line = f.answer() + '\n';
        for (QLocalSocket* peer : std::as_const(f.peers)) {
            // A peer that does not read its answers is not written to without end.
            if (peer->bytesToWrite() > MaxAnswerBytes) {
                peer->abort();
                peer->deleteLater();
            } else {
                peer->write(line);
            }
        }
    });
}

void InstanceChannel::follow(Followed& followed, QLocalSocket* peer)
{
    followed.peers.append(peer);
    if (!followed.timer->isActive())
        followed.timer->start();
    connect(peer, &QObject::destroyed, followed.timer, [&followed, peer] {
        followed.peers.removeOne(peer);
        if (followed.peers.isEmpty())
            followed.timer->stop();
    });
    peer->write(followed.answer() + '\n');
}

QString InstanceChannel::privateFolder(QStringList* skipped)
{
    const auto usable = [skipped](const QString& folder) {
        const QString why = unusable(folder);
        if (!why.isEmpty())
            skipped->append(why);
        return why.isEmpty();
    };
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    struct stat st = {};
    // A runtime folder of another user's (su and sudo may keep the variable) is not this user's to fill.
    if (QDir::isAbsolutePath(runtime) && ::stat(QFile::encodeName(runtime).constData(), &st) == 0
        && st.st_uid == ::getuid()) {
        const QString folder = QDir(runtime).filePath(QStringLiteral("zovodazad"));
        if (usable(folder))
            return folder;
    }
    const QString temp = QDir(QDir::tempPath()).filePath(QStringLiteral("zovodazad-%1").arg(::getuid()));
    if (usable(temp))
        return temp;
    // Another user may have taken that name first; the cache folder is this user's own. It may be shared with other
    // machines, so the host name keeps each machine's sockets apart.
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (!QDir::isAbsolutePath(cache) || !QDir().mkpath(cache))
        return {};
    const QString own = QDir(cache).filePath(QStringLiteral("zovodazad-") + QSysInfo::machineHostName());
    return usable(own) ? own : QString();
}

QString InstanceChannel::abstractName(const QString& key)
{
    return QStringLiteral("zovodazad-%1-%2").arg(::getuid()).arg(key);
}

QString InstanceChannel::listen(const QString& key)
{
    QStringList problems;
    QStringList used;
    for (const Name& n : namesOf(key, &problems)) {
        const bool abstract = n.options == QLocalSocket::AbstractNamespaceOption;
        // A socket file left by a copy that crashed: the instance lock showed that no copy of this user's answers.
        if (!abstract)
            QLocalServer::removeServer(n.name);
        auto* server = new QLocalServer(this);
        server->setSocketOptions(abstract ? QLocalServer::AbstractNamespaceOption : QLocalServer::NoOptions);
        connect(server, &QLocalServer::newConnection, this, [this, server] {
            while (QLocalSocket* peer = server->nextPendingConnection()) {
                if (m_peers < MaxPeers && isOwn(*peer)) {
                    serve(peer);
                } else {
                    peer->abort();
                    peer->deleteLater();
                }
            }
        });
        const QString shown = abstract ? QLatin1Char('@') + n.name : QDir::toNativeSeparators(n.name);
        if (server->listen(n.name)) {
            used.append(shown);
            continue;
        }
        QString holder = server->errorString();
        delete server;
        QLocalSocket probe;
        probe.setSocketOptions(n.options);
        probe.connectToServer(n.name);
        if (probe.waitForConnected(PeerTimeoutMs)) {
            const Peer peer = peerOf(probe);
            holder = peer.uid == ::getuid()
                ? Text::tr("it is held by process %1 of this user").arg(peer.pid)
                : Text::tr("it is held by process %1 of another user (uid %2)").arg(peer.pid).arg(peer.uid);
        }
        problems.append(Text::tr("The name %1 cannot be used: %2.").arg(shown, holder));
    }
    if (problems.isEmpty())
        return {};
    const QString where = used.isEmpty()
        ? Text::tr("Zovodazad cannot be reached by a second start, which will only say that it is already running.")
        : Text::tr("A second start reaches Zovodazad at %1.").arg(used.join(Text::tr(" and ")));
    return Text::tr("Not every name for reaching the running Zovodazad could be used:\n%1\n%2")
        .arg(problems.join(QLatin1Char('\n')), where);
}

void InstanceChannel::serve(QLocalSocket* peer)
{
    ++m_peers;
    connect(peer, &QObject::destroyed, this, [this] { --m_peers; });
    const auto drop = [peer] {
        peer->abort();
        peer->deleteLater();
    };
    // Qt reads no further than this, so a line without an end never grows in memory.
    peer->setReadBufferSize(MaxLineBytes);
    auto* timeout = new QTimer(peer);
    timeout->setSingleShot(true);
    connect(timeout, &QTimer::timeout, peer, drop);
    timeout->start(PeerTimeoutMs);
    connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
    connect(peer, &QLocalSocket::readyRead, peer, [this, peer, drop, timeout] {
        if (!peer->canReadLine()) {
            if (peer->bytesAvailable() >= MaxLineBytes)
                drop();
            return;
        }
        const QByteArray request = peer->readLine().chopped(1);
        if (const auto followed = m_followed.find(request); followed != m_followed.end() && timeout->isActive()) {
            // Followed for as long as it stays; anything more it sends ends it.
            timeout->stop();
            follow(*followed, peer);
            return;
        }
        if (!timeout->isActive())
            return drop();
        const auto answer = m_answers.constFind(request);
        peer->write((answer == m_answers.cend() ? QByteArray(UnknownRequest) : (*answer)()) + '\n');
        peer->disconnectFromServer();
    });
}

QByteArray InstanceChannel::ask(const QString& key, const QByteArray& request)
{
    for (const Name& n : namesOf(key)) {
        const std::unique_ptr<QLocalSocket> socket = connectOwn(n.name, n.options);
        if (!socket)
            continue;
        socket->write(request + '\n');
        const QDeadlineTimer deadline(PeerTimeoutMs);
        while (!socket->canReadLine() && socket->waitForReadyRead(int(deadline.remainingTime()))) { }
        if (socket->canReadLine())
            return socket->readLine().chopped(1);
    }
    return {};
}

bool InstanceChannel::follow(const QString& key, const QByteArray& request, int intervalMs,
                             const std::function<bool(const QByteArray&)>& onAnswer)
{
    for (const Name& n : namesOf(key)) {
        const std::unique_ptr<QLocalSocket> socket = connectOwn(n.name, n.options);
        if (!socket)
            continue;
        socket->write(request + '\n');
        bool answered = false;
        for (;;) {
            while (!socket->canReadLine() && socket->waitForReadyRead(2 * intervalMs)) { }
            if (!socket->canReadLine())
                return answered;
            answered = true;
            if (!onAnswer(socket->readLine().chopped(1)))
                return true;
        }
    }
    return false;
}

bool InstanceChannel::listening(const QString& key)
{
    for (const Name& n : namesOf(key)) {
        if (connectOwn(n.name, n.options))
            return true;
    }
    return false;
}

QString InstanceChannel::keyFor(const QString& databasePath)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(QFile::encodeName(canonical(databasePath)), QCryptographicHash::Sha256)
            .toHex()
            .left(KeyLength));
}

// The real file behind every symlink; for a file not made yet, its name in the real folder.
QString InstanceChannel::canonical(const QString& path)
{
    const QFileInfo info(path);
    if (info.exists())
        return info.canonicalFilePath();
    const QString folder = info.absoluteDir().canonicalPath();
    return folder.isEmpty() ? info.absoluteFilePath() : QDir(folder).filePath(info.fileName());
}
