#include "TrayMenuFront.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>

namespace {

const QString MenuPath = QStringLiteral("/MenuBar");
// Where Qt's export goes on serving the calls handed to it.
const QString QtMenuPath = QStringLiteral("/QtMenuBar");
const QString MenuInterface = QStringLiteral("com.canonical.dbusmenu");

// Qt names each D-Bus tray icon's connection after the process and a count of the icons it made (a look for a tray
// with QSystemTrayIcon::isSystemTrayAvailable makes one too); the program makes one, a few numbers are to spare.
QDBusConnection trayConnection()
{
    const QString prefix = QStringLiteral("org.kde.StatusNotifierItem-%1-").arg(QCoreApplication::applicationPid());
    for (int n = 1; n <= 8; ++n) {
        QDBusConnection bus(prefix + QString::number(n));
        if (bus.isConnected() && bus.objectRegisteredAt(MenuPath))
            return bus;
    }
    return QDBusConnection(QString());
}

// The call to Qt's export, a local one that does not pass through the bus.
QDBusMessage handOn(const QDBusConnection& bus, const QString& interface, const QString& member,
                    const QList<QVariant>& arguments)
{
    QDBusMessage call = QDBusMessage::createMethodCall(bus.baseService(), QtMenuPath, interface, member);
    call.setArguments(arguments);
    return bus.call(call);
}

// An item's properties as Qt's export gives them: the root's with the layout, another item's with its group.
QDBusMessage itemProperty(const QDBusMessage& message, const QDBusConnection& bus)
{
    const int id = message.arguments().value(0).toInt();
    const QString name = message.arguments().value(1).toString();
    const QDBusMessage answer = id == 0 ? handOn(bus, MenuInterface, QStringLiteral("GetLayout"), {0, 0, QStringList()})
                                        : handOn(bus, MenuInterface, QStringLiteral("GetGroupProperties"),
                                                 {QVariant::fromValue(QList<int> {id}), QStringList {name}});
    if (answer.type() == QDBusMessage::ErrorMessage)
        return message.createErrorReply(answer.errorName(), answer.errorMessage());
    const QDBusArgument item = answer.arguments().value(id == 0 ? 1 : 0).value<QDBusArgument>();
    if (id != 0) {
        item.beginArray();
        if (item.atEnd())
            return message.createErrorReply(QDBusError::InvalidArgs, QStringLiteral("The menu has no item %1").arg(id));
    }
    int itemId = 0;
    QVariantMap properties;
    item.beginStructure();
    item >> itemId >> properties;
    if (!properties.contains(name)) {
        return message.createErrorReply(QDBusError::InvalidArgs,
                                        QStringLiteral("Menu item %1 has no property %2").arg(id).arg(name));
    }
    return message.createReply(QVariant::fromValue(QDBusVariant(properties.value(name))));
}

} // namespace

void TrayMenuFront::claim()
{
    QDBusConnection bus = trayConnection();
    QObject* qtMenu = bus.objectRegisteredAt(MenuPath);
    if (!qtMenu || qtMenu == this)
        return;
    bus.unregisterObject(MenuPath);
    bus.unregisterObject(QtMenuPath);
    bus.registerObject(QtMenuPath, qtMenu, QDBusConnection::ExportAdaptors);
    bus.registerVirtualObject(MenuPath, this);
    // The bus hands the export's signals back to this process.
    bus.connect(bus.baseService(), QtMenuPath, MenuInterface, QString(), this, SLOT(relay(QDBusMessage)));
    m_connection = bus.name();
}

bool TrayMenuFront::handleMessage(const QDBusMessage& message, const QDBusConnection& connection)
{
    const bool ours = (message.interface().isEmpty() || message.interface() == MenuInterface)
        && message.member() == QLatin1String("GetProperty") && message.signature() == QLatin1String("is");
    QDBusMessage reply;
    if (ours) {
        reply = itemProperty(message, connection);
    } else {
        const QDBusMessage answer = handOn(connection, message.interface(), message.member(), message.arguments());
        reply = answer.type() == QDBusMessage::ErrorMessage
            ? message.createErrorReply(answer.errorName(), answer.errorMessage())
            : message.createReply(answer.arguments());
    }
    if (message.isReplyRequired())
        connection.send(reply);
    return true;
}

QString TrayMenuFront::introspect(const QString&) const
{
    return QString();
}

void TrayMenuFront::relay(const QDBusMessage& signal)
{
    QDBusMessage copy = QDBusMessage::createSignal(MenuPath, signal.interface(), signal.member());
    copy.setArguments(signal.arguments());
    QDBusConnection(m_connection).send(copy);
}
