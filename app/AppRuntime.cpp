#include "AppRuntime.h"

#include "Activation.h"
#include "Clock.h"
#include "DBusNotifier.h"
#include "DatabaseFile.h"
#include "IfTable.h"
#include "InstanceLock.h"
#include "MainMdl.h"
#include "MessageBox.h"
#include "Status.h"
#include "Translations.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QStandardPaths>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int g_signalFds[2] = {-1, -1};

void onSignal(int sig)
{
    const unsigned char b = static_cast<unsigned char>(sig);
    // Only async-signal-safe work here; the event loop does the rest.
    [[maybe_unused]] const ssize_t n = ::write(g_signalFds[0], &b, 1);
}
} // namespace

TerminationSignals::TerminationSignals(QObject* parent)
    : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalFds) != 0)
        return;
    m_notifier = new QSocketNotifier(g_signalFds[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        unsigned char b = 0;
        if (::read(g_signalFds[1], &b, 1) == 1)
            Q_EMIT received(b);
    });
    struct sigaction sa = {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(sig, &sa, nullptr);
}

TerminationSignals::~TerminationSignals()
{
    struct sigaction sa = {};
    sa.sa_handler = SIG_DFL;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(sig, &sa, nullptr);
    for (int& fd : g_signalFds) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

int runZovodazad(QApplication& app)
{
    // The icon lives in a static library, whose resources are not registered by themselves.
    Q_INIT_RESOURCE(zovodazad);
    QApplication::setApplicationName(QStringLiteral("Zovodazad"));
    QApplication::setApplicationVersion(QStringLiteral("%1.%2").arg(ZOVO_VERSION_MAJOR).arg(ZOVO_VERSION_MINOR));
    QApplication::setQuitOnLastWindowClosed(false);
    const Translations translations;

    const QString exeDir = QFileInfo(QCoreApplication::applicationFilePath()).canonicalPath();
    const QString dataDir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    const QString path = DatabaseFile::locate(exeDir, dataDir);

    QtMessageBoxes boxes;
    TerminationSignals signals;
    InstanceLock lock(path);
    if (!lock.tryLock()) {
        // Launched again from the menu: the running copy shows its window and this one leaves without a word, its
        // launch answered, so that the desktop's busy cursor does not wait for a window of this copy.
        if (lock.askRunningCopy()) {
            Activation::ofLaunch().complete();
            return 0;
        }
        // Reading the box, or a termination signal, ends this copy.
        boxes.ask(QCoreApplication::translate("Zovodazad", "Zovodazad is already running."), MessageBoxes::Buttons::Ok,
                  MessageBoxes::Icon::Information, QStringLiteral("Zovodazad"),
                  [](MessageBoxes::Answer) { QCoreApplication::quit(); });
        QObject::connect(&signals, &TerminationSignals::received, &app, &QCoreApplication::quit);
        app.exec();
        return 2;
    }

    SystemClock clock;
    const std::unique_ptr<IfTable> ifTable = makeSystemIfTable();
    DBusNotifier notifier;
    MainMdl mdl({*ifTable, clock, boxes, notifier});
    QObject::connect(&mdl, &MainMdl::finished, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    if (!mdl.start(path)) {
        // The start-up error box is open; reading it, or a termination signal, ends the process.
        QObject::connect(&signals, &TerminationSignals::received, &app, &QCoreApplication::quit);
        app.exec();
        return 1;
    }
    QObject::connect(&lock, &InstanceLock::showRequested, &mdl, &MainMdl::bringMonitorForward);
    // `zovodazad status` asks for the figures as of the last reading; answering costs no tick of its own. A watcher is
    // answered every second on one connection, for one short wake-up a second.
    const auto status = [&mdl, &clock] {
        mdl.engine().catchUp();
        return statusLine(mdl.engine().snapshot(), mdl.engine().settings().current(), clock.now());
    };
    lock.handle(StatusRequest, status);
    lock.handleEvery(StatusWatchRequest, 1000, status);
    if (const QString unreachable = lock.settle(); !unreachable.isEmpty())
        boxes.notify(unreachable, MessageBoxes::Icon::Warning, QStringLiteral("Zovodazad"));
    QObject::connect(&signals, &TerminationSignals::received, &mdl, &MainMdl::shutdown);
    // The session asks to save before a logout that may still be cancelled: log what was counted and keep running;
    // at the end of the session the event loop ends and the shutdown below runs.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &mdl, &MainMdl::commitData);
    const int rc = app.exec();
    mdl.shutdown();
    return rc;
}
