#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QLocalSocket;
class QTimer;

// How later launches talk to the running copy: one request line in, one answer line out, then the connection
// ends; a request is answered by the function given for it in handle(). A request given to handleEvery() keeps its
// connection: the answer comes at once and again every interval, from one timer for all such peers that runs only
// while there are any. Each key has two names. A socket in a
// private folder (privateFolder) that no other user can reach or take, and an abstract name, which is the same for
// every runtime folder (within a network namespace) but which anyone may connect to or bind first; so every peer's
// user is checked on both sides, and a name someone else holds is reported, never taken over. Peers are bounded in
// number, line length and time, so a flood costs neither memory nor the event loop.
class InstanceChannel : public QObject
{
    Q_OBJECT
public:
    static constexpr int MaxLineBytes = 256; // a longer request drops the peer
    static constexpr int MaxAnswerBytes = 4096; // an answer may say more than a request
    static constexpr int MaxPeers = 8; // further connections are closed at once
    static constexpr int PeerTimeoutMs = 2000; // to send the request and take the answer
    static constexpr const char* UnknownRequest = "error unknown request";

    using Answer = std::function<QByteArray()>;

    explicit InstanceChannel(QObject* parent = nullptr);

    // The answer to a request; both lines without their newline.
    void handle(const QByteArray& request, Answer answer);
    void handleEvery(const QByteArray& request, int intervalMs, Answer answer);
    // Starts answering under key. Returns, for the user, what kept a name from working, empty when both work.
    QString listen(const QString& key);

    // The answer of this user's copy listening under key; empty when none answered.
    static QByteArray ask(const QString& key, const QByteArray& request);
    // Each answer to a request of handleEvery(), as it comes, until onAnswer returns false or the copy ends or stays
    // silent for twice the interval. False when no copy answered at all.
    static bool follow(const QString& key, const QByteArray& request, int intervalMs,
                       const std::function<bool(const QByteArray&)>& onAnswer);
    // True when a process of this user listens under key.
    static bool listening(const QString& key);
    // <XDG_RUNTIME_DIR>/zovodazad, else zovodazad-<uid> in the temporary folder, else zovodazad-<host> in the cache
    // folder: the first that is, or is made as, a real folder of this user's with mode 0700. Why each folder before
    // it was passed over is appended to skipped; empty when none would do.
    static QString privateFolder(QStringList* skipped);
    static QString abstractName(const QString& key);
    // The key of the copy that runs on the database at path, however the path reaches the file.
    static QString keyFor(const QString& databasePath);
    // The real file behind every symlink; for a file not made yet, its name in the real folder.
    static QString canonical(const QString& path);

private:
    struct Followed
    {
        Answer answer;
        QTimer* timer;
        QList<QLocalSocket*> peers;
    };

    void serve(QLocalSocket* peer);
    void follow(Followed& followed, QLocalSocket* peer);

    QHash<QByteArray, Answer> m_answers;
    QHash<QByteArray, Followed> m_followed;
    int m_peers = 0;
};
