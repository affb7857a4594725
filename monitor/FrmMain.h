#pragma once

#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>

class LogWriter;

// The small always-on-top monitor window. It carries the sampling timer and the notification icon.
class FrmMain : public QWidget
{
    Q_OBJECT
public:
    explicit FrmMain(LogWriter& writer, QWidget* parent = nullptr);

    QTimer& TmrCheckit() { return m_timer; }
    void WriteLogRow();

    // The notification icon; false when the desktop has no notification area.
    bool AddTrayIcon();
    void RemoveTrayIcon();

    static QString versionCaption();

Q_SIGNALS:
    void exitRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    LogWriter& m_writer;
    QTimer m_timer;
    QSystemTrayIcon m_tray;
    QMenu m_popup;
};
