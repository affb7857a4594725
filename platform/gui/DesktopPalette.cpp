#include "DesktopPalette.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFile>
#include <QHash>
#include <QStandardPaths>

namespace {

const QString PortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString PortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString PortalSettings = QStringLiteral("org.freedesktop.portal.Settings");
const QString Appearance = QStringLiteral("org.freedesktop.appearance");
const QString ColorScheme = QStringLiteral("color-scheme");
// KGlobalSettings' change types that concern colours: the palette, and the style that may come with it.
constexpr int PaletteChanged = 0;
constexpr int StyleChanged = 2;

// "[Group]" and "key=value" lines; "r,g,b" colours.
QHash<QString, QHash<QString, QString>> readIni(const QString& path)
{
    QHash<QString, QHash<QString, QString>> groups;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return groups;
    QString group;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']')))
            group = line.mid(1, line.size() - 2);
        else if (const qsizetype eq = line.indexOf(QLatin1Char('=')); eq > 0)
            groups[group].insert(line.left(eq).trimmed(), line.mid(eq + 1).trimmed());
    }
    return groups;
}

QColor kdeColour(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() < 3)
        return {};
    int rgb[3] = {};
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        rgb[i] = parts[i].trimmed().toInt(&ok);
        if (!ok || rgb[i] < 0 || rgb[i] > 255)
            return {};
    }
    return QColor(rgb[0], rgb[1], rgb[2]);
}

// Every window and graph repaints for a new palette: only a real change is passed on.
void apply(const QPalette& palette)
{
    if (palette != QGuiApplication::palette())
        QApplication::setPalette(palette);
}

} // namespace

DesktopPalette::DesktopPalette(QObject* parent)
    : QObject(parent)
    , m_plasma(qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(QLatin1Char(':')).contains(QLatin1String("KDE")))
    , m_light(QGuiApplication::palette())
{
    // The colours Qt read at start, as they are read at every change.
    if (m_plasma)
        readKdeGlobals();
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    bus.connect(QString(), QStringLiteral("/KGlobalSettings"), QStringLiteral("org.kde.KGlobalSettings"),
                QStringLiteral("notifyChange"), this, SLOT(onKdeChange(int, int)));
    bus.connect(PortalService, PortalPath, PortalSettings, QStringLiteral("SettingChanged"), this,
                SLOT(onPortalSetting(QString, QString, QDBusVariant)));
    if (m_plasma)
        return;
    // Qt does not read GNOME's dark style at start: the portal is asked once.
    QDBusMessage read
        = QDBusMessage::createMethodCall(PortalService, PortalPath, PortalSettings, QStringLiteral("Read"));
    read << Appearance << ColorScheme;
    // Where no portal runs, none is started for this.
    read.setAutoStartService(false);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(read), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        const QDBusPendingReply<QDBusVariant> reply = *w;
        if (!reply.isError()) {
            // Portals wrap the value in one variant more than SettingChanged does.
            QVariant value = reply.value().variant();
            if (value.userType() == qMetaTypeId<QDBusVariant>())
                value = qvariant_cast<QDBusVariant>(value).variant();
            onPortalSetting(Appearance, ColorScheme, QDBusVariant(value));
        }
        w->deleteLater();
    });
}

std::optional<QPalette> DesktopPalette::fromKdeGlobals(const QString& path)
{
    const auto groups = readIni(path);
    const auto colour = [&groups](const char* group, const char* key) {
        return kdeColour(groups.value(QLatin1String(group)).value(QLatin1String(key)));
    };
    const QColor window = colour("Colors:Window", "BackgroundNormal");
    const QColor windowText = colour("Colors:Window", "ForegroundNormal");
    if (!window.isValid() || !windowText.isValid())
        return std::nullopt;
    const QColor button = colour("Colors:Button", "BackgroundNormal");
    // The light, mid and dark shades of the frames follow from the button and window colours.
    QPalette p(button.isValid() ? button : window, window);
    const auto set = [&p](QPalette::ColorRole role, const QColor& c) {
        if (c.isValid())
            p.setColor(role, c);
    };
    const auto setDisabled = [&p](QPalette::ColorRole role, const QColor& c) {
        if (c.isValid())
            p.setColor(QPalette::Disabled, role, c);
    };
    set(QPalette::WindowText, windowText);
    set(QPalette::ButtonText, colour("Colors:Button", "ForegroundNormal"));
    set(QPalette::Base, colour("Colors:View", "BackgroundNormal"));
    set(QPalette::AlternateBase, colour("Colors:View", "BackgroundAlternate"));
    set(QPalette::Text, colour("Colors:View", "ForegroundNormal"));
    set(QPalette::Highlight, colour("Colors:Selection", "BackgroundNormal"));
    set(QPalette::HighlightedText, colour("Colors:Selection", "ForegroundNormal"));
    set(QPalette::ToolTipBase, colour("Colors:Tooltip", "BackgroundNormal"));
    set(QPalette::ToolTipText, colour("Colors:Tooltip", "ForegroundNormal"));
    set(QPalette::Link, colour("Colors:View", "ForegroundLink"));
    set(QPalette::LinkVisited, colour("Colors:View", "ForegroundVisited"));
    set(QPalette::PlaceholderText, colour("Colors:View", "ForegroundInactive"));
    setDisabled(QPalette::WindowText, colour("Colors:Window", "ForegroundInactive"));
    setDisabled(QPalette::Text, colour("Colors:View", "ForegroundInactive"));
    setDisabled(QPalette::ButtonText, colour("Colors:Button", "ForegroundInactive"));
    return p;
}

QPalette DesktopPalette::dark()
{
    // GNOME's own dark colours.
    QPalette p(QColor(0x30, 0x30, 0x30), QColor(0x24, 0x24, 0x24));
    p.setColor(QPalette::WindowText, Qt::white);
    p.setColor(QPalette::ButtonText, Qt::white);
    p.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
    p.setColor(QPalette::AlternateBase, QColor(0x2a, 0x2a, 0x2a));
    p.setColor(QPalette::Text, Qt::white);
    p.setColor(QPalette::Highlight, QColor(0x35, 0x84, 0xe4));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::ToolTipBase, QColor(0x1e, 0x1e, 0x1e));
    p.setColor(QPalette::ToolTipText, Qt::white);
    p.setColor(QPalette::Link, QColor(0x78, 0xae, 0xed));
    p.setColor(QPalette::PlaceholderText, QColor(0x9a, 0x9a, 0x9a));
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, QColor(0x8a, 0x8a, 0x8a));
    return p;
}

QPalette DesktopPalette::forColorScheme(uint scheme, const QPalette& light)
{
    return scheme == 1 ? dark() : light;
}

void DesktopPalette::readKdeGlobals()
{
    const QString path = QStandardPaths::locate(QStandardPaths::GenericConfigLocation, QStringLiteral("kdeglobals"));
    if (const std::optional<QPalette> palette = fromKdeGlobals(path))
        apply(*palette);
}

void DesktopPalette::onKdeChange(int type, int)
{
    if (m_plasma && (type == PaletteChanged || type == StyleChanged))
        readKdeGlobals();
}

void DesktopPalette::onPortalSetting(const QString& group, const QString& key, const QDBusVariant& value)
{
    if (group != Appearance || key != ColorScheme)
        return;
    // Plasma's portal tells of the scheme it has written to kdeglobals, which holds its colours.
    if (m_plasma)
        readKdeGlobals();
    else
        apply(forColorScheme(value.variant().toUInt(), m_light));
}
