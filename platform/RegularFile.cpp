#include "RegularFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QString reasonFor(const QString& path, mode_t mode)
{
    if (S_ISREG(mode))
        return {};
    const QString shown = QDir::toNativeSeparators(path);
    if (S_ISDIR(mode))
        return QCoreApplication::translate("RegularFile", "%1 is a folder, not a file.").arg(shown);
    return QCoreApplication::translate("RegularFile", "%1 is not a regular file (it is a pipe, a device or a socket).")
        .arg(shown);
}
} // namespace

QString notRegularReason(const QString& path)
{
    struct stat st = {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return reasonFor(path, st.st_mode);
}

int openRegularFile(const QString& path, int flags, QString* error)
{
    QString reason = notRegularReason(path);
    int fd = -1;
    if (reason.isEmpty()) {
        fd = ::open(QFile::encodeName(path).constData(), flags | O_NONBLOCK | O_CLOEXEC, 0666);
        struct stat st = {};
        if (fd < 0)
            reason = QString::fromLocal8Bit(std::strerror(errno));
        else if (::fstat(fd, &st) != 0)
            reason = QString::fromLocal8Bit(std::strerror(errno));
        else
            reason = reasonFor(path, st.st_mode);
    }
    if (!reason.isEmpty()) {
        if (fd >= 0)
            ::close(fd);
        if (error)
            *error = reason;
        return -1;
    }
    // Reads and writes of a regular file ignore the flag, but the descriptor is handed on as an ordinary one.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}
