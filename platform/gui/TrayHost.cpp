#include "TrayHost.h"

#include "X11Desktop.h"

#include <QAbstractEventDispatcher>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QGuiApplication>

namespace {

const QString WatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const char TraySelection[] = "_NET_SYSTEM_TRAY_S0";

// Hosts that run apart from their watcher register under names like these.
bool isHostName(const QString& name)
{
    return name.startsWith(QLatin1String("org.kde.StatusNotifierHost-"))
        || name.startsWith(QLatin1String("org.freedesktop.StatusNotifierHost-"));
}

bool isKdeDaemon(const QString& name)
{
    return name == QLatin1String("org.kde.kded5") || name == QLatin1String("org.kde.kded6");
}

} // namespace

TrayHost TrayHosts::best() const
{
    return statusNotifier() ? TrayHost::StatusNotifier : xembed() ? TrayHost::XEmbed : TrayHost::None;
}

DesktopTrayHosts::DesktopTrayHosts(QObject* parent)
    : TrayHosts(parent)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(100);
    connect(&m_settle, &QTimer::timeout, this, &DesktopTrayHosts::look);

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        bus.connect(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                    QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameOwnerChanged"), this,
                    SLOT(onNameOwnerChanged(QString, QString, QString)));
        for (const char* signal : {"StatusNotifierHostRegistered", "StatusNotifierHostUnregistered"}) {
            bus.connect(QString(), QStringLiteral("/StatusNotifierWatcher"), WatcherService, QLatin1String(signal),
                        this, SLOT(onHostsChanged()));
        }
    }
    m_selectionEvent = x11::watchSelectionOwner(TraySelection);
    if (m_selectionEvent != 0)
        QAbstractEventDispatcher::instance()->installNativeEventFilter(this);
    look();
}

DesktopTrayHosts::~DesktopTrayHosts()
{
    if (m_selectionEvent != 0 && QAbstractEventDispatcher::instance())
        QAbstractEventDispatcher::instance()->removeNativeEventFilter(this);
}

bool DesktopTrayHosts::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType == "xcb_generic_event_t" && (static_cast<const quint8*>(message)[0] & 0x7f) == m_selectionEvent)
        onHostsChanged();
    return false;
}

void DesktopTrayHosts::onNameOwnerChanged(const QString& name, const QString&, const QString&)
{
    if (name == WatcherService || isHostName(name) || isKdeDaemon(name))
        onHostsChanged();
}

void DesktopTrayHosts::onHostsChanged()
{
    m_settle.start();
}

void DesktopTrayHosts::look()
{
    bool statusNotifier = false;
    bool kdeWatcher = false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString watcher = bus.isConnected() ? bus.interface()->serviceOwner(WatcherService).value() : QString();
    if (!watcher.isEmpty()) {
        const QStringList names = bus.interface()->registeredServiceNames().value();
        // Plasma's watcher lives in the KDE daemon, and goes on saying a host is registered after plasmashell has
        // ended; there only a host's own name on the bus counts.
        for (const QString& name : names) {
            statusNotifier = statusNotifier || isHostName(name);
            kdeWatcher = kdeWatcher || (isKdeDaemon(name) && bus.interface()->serviceOwner(name).value() == watcher);
        }
        if (!statusNotifier && !kdeWatcher) {
            QDBusMessage get = QDBusMessage::createMethodCall(WatcherService, QStringLiteral("/StatusNotifierWatcher"),
                                                              QStringLiteral("org.freedesktop.DBus.Properties"),
                                                              QStringLiteral("Get"));
            get << WatcherService << QStringLiteral("IsStatusNotifierHostRegistered");
            // A hung panel must not hold the windows up for long.
            const QDBusMessage reply = bus.call(get, QDBus::Block, 500);
            statusNotifier = reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
                && reply.arguments().first().value<QDBusVariant>().variant().toBool();
        }
    }
    // Where KDE's watcher runs, the X11 tray is Plasma's proxy that hands embedded icons on to the StatusNotifier
    // host: without that host it shows nothing.
    const bool xembed = !kdeWatcher && x11::selectionOwned(TraySelection);
    if (statusNotifier == m_statusNotifier && xembed == m_xembed)
        return;
    m_statusNotifier = statusNotifier;
    m_xembed = xembed;
    Q_EMIT changed();
}
