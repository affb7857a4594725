#include "InstanceLock.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray ShowRequest = "show";
const QByteArray ShowDone = "shown";

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
    , m_path(InstanceChannel::canonical(databasePath))
    , m_key(InstanceChannel::keyFor(databasePath))
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

bool InstanceLock::lockFolder()
{
    const QByteArray folder = QFile::encodeName(QFileInfo(m_path).absolutePath());
    m_folderFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // A folder that is not there yet is made by start-up, and locked then.
    if (m_folderFd < 0 || tryFlock(m_folderFd))
        return true;
    closeFd(m_folderFd);
    return false;
}

bool InstanceLock::tryLock()
{
    if (!lockFolder() || !lockFile() || InstanceChannel::listening(m_key)) {
        closeFd(m_fileFd);
        closeFd(m_folderFd);
        return false;
    }
    return true;
}

QString InstanceLock::settle()
{
    if (m_folderFd < 0)
        lockFolder();
    if (m_fileFd < 0)
        lockFile();
    m_channel.handle(ShowRequest, [this] {
        Q_EMIT showRequested();
        return ShowDone;
    });
    const QString problem = m_channel.listen(m_key);
    if (!problem.isEmpty())
        qWarning().noquote() << problem;
    return problem;
}

bool InstanceLock::askRunningCopy()
{
    // A copy that is still starting answers once it has opened its database.
    const QDeadlineTimer deadline(3000);
    while (true) {
        const QByteArray answer = InstanceChannel::ask(m_key, ShowRequest);
        if (!answer.isEmpty() || deadline.hasExpired())
            return answer == ShowDone;
        QThread::msleep(100);
    }
}
