#pragma once

#include "InstanceChannel.h"

#include <QObject>
#include <QString>

// One running copy per database, whatever path, symlink or session reaches it. Locks held for the life of the
// process: flock on the database's folder, which covers the path itself (the folder holds exactly one database)
// even after the file was moved away; flock on the file, which covers every other name of it (a hard link, the
// place it was moved to); and the channel's own names, which cover the path when its folder was moved away. The
// running copy answers "show" from later launches by bringing its monitor window forward.
class InstanceLock : public QObject
{
    Q_OBJECT
public:
    explicit InstanceLock(const QString& databasePath, QObject* parent = nullptr);
    ~InstanceLock() override;

    // False when another copy holds the database.
    bool tryLock();
    // Start-up has opened the database: its file is locked too, and the running copy starts answering later
    // launches. Returns what the user should be told when not every name could be used (it went to stderr too).
    QString settle();
    // A later launch: asks the copy that holds the database to show its window. False when it did not answer.
    bool askRunningCopy();
    // The running copy answers these requests too: once, or every interval for as long as the peer stays.
    void handle(const QByteArray& request, InstanceChannel::Answer answer)
    {
        m_channel.handle(request, std::move(answer));
    }
    void handleEvery(const QByteArray& request, int intervalMs, InstanceChannel::Answer answer)
    {
        m_channel.handleEvery(request, intervalMs, std::move(answer));
    }

Q_SIGNALS:
    void showRequested();

private:
    bool lockFolder();
    bool lockFile();

    QString m_path;
    QString m_key;
    int m_folderFd = -1;
    int m_fileFd = -1;
    InstanceChannel m_channel;
};
