#pragma once

#include <QObject>
#include <QRect>
#include <QString>

#include <functional>

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
    // adapterChosen stores the adapter the user picks in the window, for the next time it opens.
    StatsProcess(MessageBoxes& boxes, std::function<void(const QString&)> adapterChosen, QObject* parent = nullptr);
    ~StatsProcess() override;

    // area: where the monitor window is on screen, which the statistics window keeps clear of; empty when hidden.
    // The window comes to the front as the answer to the user's request.
    // adapter: the one it opens on when it is started; empty for all counted adapters.
    void show(const QString& databasePath, const QRect& area, const Activation& request, const QString& adapter);
    // Closes the window and waits briefly for the process to end.
    void close();
    bool isRunning() const;

private:
    MessageBoxes& m_boxes;
    std::function<void(const QString&)> m_adapterChosen;
    QProcess* m_process = nullptr;
};
