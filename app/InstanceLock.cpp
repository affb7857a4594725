#include "InstanceLock.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray ShowRequest = "show\n";
const QByteArray ShowDone = "shown\n";

// The real file behind every symlink; for a file not made yet, its name in the real folder.
QString canonical(const QString& path)
{
    const QFileInfo info(path);
    if (info.exists())
        return info.canonicalFilePath();
    const QString folder = info.absoluteDir().canonicalPath();
    return folder.isEmpty() ? info.absoluteFilePath() : QDir(folder).filePath(info.fileName());
}

bool tryFlock(int fd)
{
    return fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
}

void closeFd(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

} // namespace

InstanceLock::InstanceLock(const QString& databasePath, QObject* parent)
    : QObject(parent)
    , m_path(canonical(databasePath))
{
}

InstanceLock::~InstanceLock()
{
    closeFd(m_fileFd);
    closeFd(m_folderFd);
}

bool InstanceLock::lockFile()
{
    // O_NONBLOCK: a named pipe at the path must not hang the start; only a regular file is locked.
    const int fd = ::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat st = {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (fd >= 0)
            ::close(fd);
        // Nothing to lock; start-up reports what is wrong with the path.
        return true;
    }
    if (!tryFlock(fd)) {
        ::close(fd);
        return false;
    }
    m_fileFd = fd;
    return true;
}

bool InstanceLock::tryLock()
{
    const QByteArray folder = QFile::encodeName(QFileInfo(m_path).absolutePath());
    m_folderFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // Another copy holds the folder only while it makes or opens its database: wait that long.
    bool folderLocked = m_folderFd < 0;
    for (int i = 0; i < 40 && !folderLocked; ++i) {
        folderLocked = tryFlock(m_folderFd);
        if (!folderLocked)
            QThread::msleep(50);
    }
    if (!folderLocked || !lockFile()) {
        closeFd(m_folderFd);
        return false;
    }
    return true;
}

void InstanceLock::settle()
{
    if (m_fileFd < 0)
        lockFile();
    closeFd(m_folderFd);
    if (m_fileFd < 0)
        return;
    m_server = new QLocalServer(this);
    // The abstract namespace is the same for every runtime folder of the machine.
    m_server->setSocketOptions(QLocalServer::AbstractNamespaceOption);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* client = m_server->nextPendingConnection()) {
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
            connect(client, &QLocalSocket::readyRead, client, [this, client] {
                if (!client->canReadLine() || client->readLine() != ShowRequest)
                    return;
                Q_EMIT showRequested();
                client->write(ShowDone);
                client->disconnectFromServer();
            });
        }
    });
    m_server->listen(serverName());
}

QString InstanceLock::serverName() const
{
    struct stat st = {};
    if (::stat(QFile::encodeName(m_path).constData(), &st) != 0)
        return QString();
    return QStringLiteral("zovodazad-%1-%2-%3")
        .arg(::getuid())
        .arg(static_cast<qulonglong>(st.st_dev))
        .arg(static_cast<qulonglong>(st.st_ino));
}

bool InstanceLock::askRunningCopy()
{
    const QString name = serverName();
    if (name.isEmpty())
        return false;
    QLocalSocket socket;
    socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    socket.connectToServer(name);
    if (!socket.waitForConnected(2000) || socket.write(ShowRequest) != ShowRequest.size())
        return false;
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(3000))
            return false;
    }
    return socket.readLine() == ShowDone;
}
