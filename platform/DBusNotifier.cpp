#include "DBusNotifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

DBusNotifier::DBusNotifier(QObject* parent)
    : QObject(parent)
{
}

void DBusNotifier::notify(const QString& summary, const QString& body, Urgency urgency)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    const QVariantMap hints {
        {QStringLiteral("urgency"), QVariant::fromValue<uchar>(urgency == Urgency::Critical ? 2 : 1)},
        {QStringLiteral("desktop-entry"), QStringLiteral("zovodazad")},
    };
    // Application name, id to replace, icon name, summary, body, actions, hints, timeout (-1: the service's own).
    call << QStringLiteral("Zovodazad") << m_lastId << QStringLiteral("zovodazad") << summary << body << QStringList()
         << hints << qint32(-1);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        // An error means there is no service to show it; the message is simply not shown.
        const QDBusPendingReply<quint32> reply = *w;
        if (!reply.isError())
            m_lastId = reply.value();
        w->deleteLater();
    });
}
