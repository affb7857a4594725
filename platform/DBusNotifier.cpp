#include "DBusNotifier.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QImage>
#include <QStandardPaths>
#include <QVariantMap>

namespace {

const QString IconName = QStringLiteral("zovodazad");

// Whether the icon theme has the program's icon: the installed layout puts it in hicolor, the theme every other
// theme falls back to.
bool themeHasIcon()
{
    for (const char* file : {"icons/hicolor/scalable/apps/zovodazad.svg", "icons/hicolor/48x48/apps/zovodazad.png"}) {
        if (!QStandardPaths::locate(QStandardPaths::GenericDataLocation, QLatin1String(file)).isEmpty())
            return true;
    }
    return false;
}

// The program's icon as the notification's own pixels (the "image-data" hint: width, height, row stride, alpha,
// bits per sample, channels, RGBA bytes); empty where the program's resources do not carry it.
QVariant iconPixels()
{
    const QImage icon = QImage(QStringLiteral(":/icons/zovodazad-48.png")).convertToFormat(QImage::Format_RGBA8888);
    if (icon.isNull())
        return {};
    QDBusArgument image;
    image.beginStructure();
    image << icon.width() << icon.height() << int(icon.bytesPerLine()) << true << 8 << 4
          << QByteArray(reinterpret_cast<const char*>(icon.constBits()), int(icon.sizeInBytes()));
    image.endStructure();
    return QVariant::fromValue(image);
}

} // namespace

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
    QVariantMap hints {
        {QStringLiteral("urgency"), QVariant::fromValue<uchar>(urgency == Urgency::Critical ? 2 : 1)},
        {QStringLiteral("desktop-entry"), IconName},
    };
    // A portable copy has no icon in the theme: the service is given the pixels.
    static const bool themed = themeHasIcon();
    static const QVariant pixels = themed ? QVariant() : iconPixels();
    if (pixels.isValid())
        hints.insert(QStringLiteral("image-data"), pixels);
    // Application name, id to replace, icon name, summary, body, actions, hints, timeout (-1: the service's own).
    call << QStringLiteral("Zovodazad") << m_lastId << (themed ? IconName : QString()) << summary << body
         << QStringList() << hints << qint32(-1);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        // An error means there is no service to show it; the message is simply not shown.
        const QDBusPendingReply<quint32> reply = *w;
        if (!reply.isError())
            m_lastId = reply.value();
        w->deleteLater();
    });
}
