// The yardstick for the hidden program's idle cost: a bare Qt program with a tray icon and a 500 ms timer that
// does nothing. bench/idle_cpu.sh runs it beside the real program.
#include <QApplication>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QPixmap pixmap(22, 22);
    pixmap.fill(Qt::darkGreen);
    QSystemTrayIcon tray {QIcon(pixmap)};
    tray.show();
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, &app, [] {});
    timer.start(500);
    return app.exec();
}
