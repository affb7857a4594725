#pragma once

#include <QObject>
#include <QRect>
#include <QString>

class Activation;
class MessageBoxes;
class QProcess;

// The statistics window's process, seen from the monitor: started by the first Volume Graphs command, asked to
// rebuild from the log and come forward by the next ones, ended at Exit. When it crashes the user is told and
// the monitor goes on.
class StatsProcess : public QObject
{
    Q_OBJECT
public:
    explicit StatsProcess(MessageBoxes& boxes, QObject* parent = nullptr);
    ~StatsProcess() override;

    // area: where the monitor window is on screen, which the statistics window keeps clear of; empty when hidden.
    // The window comes to the front as the answer to the user's request.
    void show(const QString& databasePath, const QRect& area, const Activation& request);
    // Closes the window and waits briefly for the process to end.
    void close();
    bool isRunning() const;

private:
    MessageBoxes& m_boxes;
    QProcess* m_process = nullptr;
};
