// The statistics window as a process of its own, started by the monitor's Volume Graphs command. The chart
// libraries (Qt Charts, Qt Data Visualization and the Qt Quick stack beneath it) and their heap then live only
// while the window is open, closing it gives all of that back, and a crash in them cannot take the monitor down.
//
// Usage: zovodazad-stats <database> [--avoid x,y,width,height]. A line "show [x,y,width,height] [id:<startup id>]"
// on standard input rebuilds the window from the log and brings it forward, clear of the area given; the end of
// standard input (the monitor ended) closes the window.
#include "Activation.h"
#include "Clock.h"
#include "Db.h"
#include "DesktopPalette.h"
#include "FrmStats.h"
#include "LogChart.h"
#include "MessageBox.h"
#include "StatsCommands.h"
#include "Translations.h"

#include <QApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QIcon>
#include <QLoggingCategory>
#include <QSocketNotifier>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <ctime>

#include <unistd.h>

namespace {
Q_LOGGING_CATEGORY(lcFrames, "zovodazad.stats", QtWarningMsg)

// Logs the wall-clock time of each frame the chart puts on screen, for measuring how soon the window answers:
// a paint of the flat chart's view, or a render of the 3-D graph's own window. The time is taken once the
// event is handled, when the frame has gone to the display. Each key that reaches a window is logged as it arrives,
// so that a measurement can start there rather than when the tool that sends it is started.
class FrameLog : public QObject
{
    static void logNow(const char* what)
    {
        qCDebug(lcFrames, "%s at %lld ms, %ld ms of processor time", what, QDateTime::currentMSecsSinceEpoch(),
                long(std::clock() / (CLOCKS_PER_SEC / 1000)));
    }

public:
    explicit FrameLog(const FrmStats& window)
        : m_window(window)
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const auto type = event->type();
        if (type == QEvent::KeyPress && watched->isWindowType())
            logNow("key");
        const bool flat = type == QEvent::Paint && watched == m_window.chart()->viewport();
        const bool graph = (type == QEvent::UpdateRequest || type == QEvent::Expose) && watched->isWindowType()
            && !static_cast<QWindow*>(watched)->inherits("QWidgetWindow");
        if (flat || graph)
            QTimer::singleShot(0, this, [] { logNow("chart frame"); });
        return false;
    }

private:
    const FrmStats& m_window;
};
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zovodazad"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/zovodazad.svg")));
    const Translations translations;
    const QStringList args = QApplication::arguments();
    QString avoid;
    QString adapter;
    bool usage = args.size() < 2 || args.size() % 2 != 0;
    for (qsizetype i = 2; i + 1 < args.size() && !usage; i += 2) {
        if (args[i] == QLatin1String(StatsCommands::Avoid))
            avoid = args[i + 1];
        else if (args[i] == QLatin1String(StatsCommands::Adapter))
            adapter = args[i + 1];
        else
            usage = true;
    }
    if (usage) {
        std::fprintf(stderr, "usage: %s <database> [%s x,y,width,height] [%s name]\n", argv[0], StatsCommands::Avoid,
                     StatsCommands::Adapter);
        return 2;
    }
    const DesktopPalette palette;
    QtMessageBoxes boxes;
    SystemClock clock;
    DbConnection db(QStringLiteral("zovodazad-stats"));
    // Only the monitor creates or changes the file; this process reads it.
    if (!QFileInfo(args[1]).isFile() || !db.open(args[1], DbConnection::Access::ReadOnly)) {
        boxes.ask(QApplication::translate("StatsMain", "The traffic log %1 cannot be opened:\n%2")
                      .arg(args[1], db.lastError()),
                  MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Critical, QStringLiteral("Zovodazad"),
                  [](MessageBoxes::Answer) { QCoreApplication::exit(1); });
        return app.exec();
    }
    FrmStats window(db, clock, boxes, adapter);
    FrameLog frames(window);
    if (lcFrames().isDebugEnabled())
        app.installEventFilter(&frames);
    QObject::connect(&window, &FrmStats::adapterChosen, [](const QString& name) {
        std::printf("%s%s\n", StatsCommands::Chosen, name.toUtf8().constData());
        std::fflush(stdout);
    });
    // Started on the user's request: the window comes to the front as its answer.
    const Activation launch = Activation::ofLaunch();
    window.show();
    if (!avoid.isEmpty())
        window.keepClearOf(StatsCommands::rectFrom(avoid.toLatin1()));
    launch.raise(window);

    QSocketNotifier commands(STDIN_FILENO, QSocketNotifier::Read);
    QByteArray pending;
    QObject::connect(&commands, &QSocketNotifier::activated, &window, [&] {
        char buffer[256];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            commands.setEnabled(false);
            window.close();
            return;
        }
        pending.append(buffer, int(n));
        for (auto end = pending.indexOf('\n'); end >= 0; end = pending.indexOf('\n')) {
            if (const auto request = StatsCommands::showRequestFrom(pending.left(end))) {
                window.build();
                window.show();
                window.keepClearOf(request->area);
                Activation::fromId(request->startupId).raise(window);
            }
            pending.remove(0, end + 1);
        }
    });
    return app.exec();
}
