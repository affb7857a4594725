#include "FrmMain.h"

#include "LogWriter.h"

#include <QCloseEvent>

FrmMain::FrmMain(LogWriter& writer, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_writer(writer)
{
    setObjectName(QStringLiteral("FrmMain"));
    setWindowIcon(QIcon(QStringLiteral(":/zovodazad.svg")));
    m_timer.setObjectName(QStringLiteral("TmrCheckit"));
    m_timer.setInterval(500);
    m_popup.addAction(tr("E&xit"), this, &FrmMain::exitRequested);
}

QString FrmMain::versionCaption()
{
    return QStringLiteral("Zovodazad %1.%2").arg(ZOVO_VERSION_MAJOR).arg(ZOVO_VERSION_MINOR);
}

void FrmMain::WriteLogRow()
{
    m_writer.WriteLogRow();
}

bool FrmMain::AddTrayIcon()
{
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return false;
    m_tray.setIcon(windowIcon());
    m_tray.setToolTip(QStringLiteral("Zovodazad"));
    m_tray.setContextMenu(&m_popup);
    m_tray.show();
    return m_tray.isVisible();
}

void FrmMain::RemoveTrayIcon()
{
    m_tray.hide();
}

void FrmMain::closeEvent(QCloseEvent* event)
{
    // The window has no Close: only Exit ends the program.
    event->ignore();
}
