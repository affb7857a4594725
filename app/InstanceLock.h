#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// One running copy per database file, whatever path, symlink, session or runtime folder reaches it: an advisory
// lock (flock) held on the file itself for the life of the process. A database not created yet is covered by a
// lock on its folder until start-up has made it. The running copy also listens, under a name made of the file's
// device and inode, for a second launch asking it to bring its monitor window forward.
class InstanceLock : public QObject
{
    Q_OBJECT
public:
    explicit InstanceLock(const QString& databasePath, QObject* parent = nullptr);
    ~InstanceLock() override;

    // False when another copy holds the database.
    bool tryLock();
    // Start-up has opened the database: the lock moves from the folder to the file, and the running copy starts
    // answering later launches.
    void settle();
    // A later launch: asks the copy that holds the database to show its window. False when it did not answer.
    bool askRunningCopy();

Q_SIGNALS:
    void showRequested();

private:
    bool lockFile();
    QString serverName() const;

    QString m_path;
    int m_folderFd = -1;
    int m_fileFd = -1;
    QLocalServer* m_server = nullptr;
};
