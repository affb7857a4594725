#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

class QApplication;
class QSocketNotifier;

// Runs the program in a QApplication: finds the database, refuses a second copy, starts up and turns
// SIGTERM, SIGINT, SIGHUP and the end of the desktop session into the normal Exit.
int runZovodazad(QApplication& app);

// One running copy per database file: a lock in the user's runtime directory keyed by the file's path.
class InstanceLock
{
public:
    explicit InstanceLock(const QString& databasePath);
    bool tryLock();

private:
    std::unique_ptr<QLockFile> m_lock;
};

// Delivers the termination signals to the event loop, where the shutdown can run safely.
class TerminationSignals : public QObject
{
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

Q_SIGNALS:
    void received(int signal);

private:
    QSocketNotifier* m_notifier = nullptr;
};
