// The yardstick for the hidden program's idle cost: a bare Qt program with a tray icon and a 500 ms timer that
// does nothing. With --read-table the timer also reads the interface table, as the sampler's first step does, which
// is the least any program that reports the traffic every 500 ms must do. bench/idle_cpu.sh runs both beside the
// real program.
#include "IfTable.h"

#include <QApplication>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTimer>

#include <vector>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QPixmap pixmap(22, 22);
    pixmap.fill(Qt::darkGreen);
    QSystemTrayIcon tray {QIcon(pixmap)};
    tray.show();
    const bool readTable = QCoreApplication::arguments().contains(QStringLiteral("--read-table"));
    const std::unique_ptr<IfTable> source = readTable ? makeSystemIfTable() : nullptr;
    std::vector<IfEntry> table;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, &app, [&] {
        if (source)
            source->read(table);
    });
    timer.start(500);
    return app.exec();
}
