#pragma once

#include <QObject>
#include <QString>
#include <memory>

class QApplication;
class QSocketNotifier;

// Runs the program in a QApplication: finds the database, hands a second launch over to the running copy, starts
// up and turns SIGTERM, SIGINT, SIGHUP and the end of the desktop session into the normal Exit.
int runZovodazad(QApplication& app);

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
