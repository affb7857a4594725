#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QLocalSocket;

// How later launches talk to the running copy: one request line in, one answer line out, then the connection
// ends; a request is answered by the function given for it in handle(). Each key has two names. A socket in a
// private folder (privateFolder) that no other user can reach or take, and an abstract name, which is the same for
// every runtime folder (within a network namespace) but which anyone may connect to or bind first; so every peer's
// user is checked on both sides, and a name someone else holds is reported, never taken over. Peers are bounded in
// number, line length and time, so a flood costs neither memory nor the event loop.
class InstanceChannel : public QObject
{
    Q_OBJECT
public:
    static constexpr int MaxLineBytes = 256; // a longer line drops the peer
    static constexpr int MaxPeers = 8; // further connections are closed at once
    static constexpr int PeerTimeoutMs = 2000; // to send the request and take the answer
    static constexpr const char* UnknownRequest = "error unknown request";

    using Answer = std::function<QByteArray()>;

    explicit InstanceChannel(QObject* parent = nullptr);

    // The answer to a request; both lines without their newline.
    void handle(const QByteArray& request, Answer answer);
    // Starts answering under key. Returns, for the user, what kept a name from working, empty when both work.
    QString listen(const QString& key);

    // The answer of this user's copy listening under key; empty when none answered.
    static QByteArray ask(const QString& key, const QByteArray& request);
    // True when a process of this user listens under key.
    static bool listening(const QString& key);
    // <XDG_RUNTIME_DIR>/zovodazad, else zovodazad-<uid> in the temporary folder, else zovodazad-<host> in the cache
    // folder: the first that is, or is made as, a real folder of this user's with mode 0700. Why each folder before
    // it was passed over is appended to skipped; empty when none would do.
    static QString privateFolder(QStringList* skipped);
    static QString abstractName(const QString& key);

private:
    void serve(QLocalSocket* peer);

    QHash<QByteArray, Answer> m_answers;
    int m_peers = 0;
};

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
