#include "Activation.h"

#include "X11Desktop.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <qpa/qplatformnativeinterface.h>

namespace {

const QString ActivatorName = QStringLiteral("zovodazad-activate-when-exposed");

// The window manager ignores a request for a window it has not mapped yet: it is sent once the window shows.
class ActivateWhenExposed : public QObject
{
public:
    ActivateWhenExposed(QWindow* window, quint32 time)
        : QObject(window)
        , m_time(time)
    {
        setObjectName(ActivatorName);
        window->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* window = static_cast<QWindow*>(watched);
        if (event->type() == QEvent::Expose && window->isExposed()) {
            x11::requestActivation(window, m_time);
            window->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }

private:
    quint32 m_time;
};

// Startup ids carry the time of the request that led to them after "_TIME".
quint32 timeOf(const QByteArray& id)
{
    const qsizetype at = id.lastIndexOf("_TIME");
    bool ok = false;
    const quint32 time = at >= 0 ? id.mid(at + 5).toUInt(&ok) : 0;
    return ok ? time : 0;
}

// A value of a startup-notification message, with the characters the format reserves escaped.
QByteArray escaped(const QByteArray& value)
{
    QByteArray out;
    for (const char c : value) {
        if (c == ' ' || c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out;
}

} // namespace

Activation::Activation(QByteArray id, quint32 fallbackTime, bool fromDesktop)
    : m_id(std::move(id))
    , m_time(timeOf(m_id))
    , m_fromDesktop(fromDesktop)
{
    if (m_time == 0)
        m_time = fallbackTime;
}

Activation Activation::ofUserRequest()
{
    if (!x11::available())
        return {};
    const QByteArray token = qgetenv("XDG_ACTIVATION_TOKEN");
    qunsetenv("XDG_ACTIVATION_TOKEN");
    const quint32 now = x11::serverTime();
    if (!token.isEmpty())
        return Activation(token, now, true);
    static quint32 serial = 0;
    return Activation(QStringLiteral("%1-%2-%3_TIME%4")
                          .arg(QCoreApplication::applicationName())
                          .arg(QCoreApplication::applicationPid())
                          .arg(++serial)
                          .arg(now)
                          .toUtf8(),
                      now, false);
}

Activation Activation::ofLaunch()
{
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    if (!x11::available() || !native)
        return {};
    QByteArray id(static_cast<const char*>(native->nativeResourceForIntegration("startupid")));
    if (id.isEmpty())
        return {};
    // From here on the program answers it, and Qt does not set it on the windows it shows later.
    using SetStartupId = void (*)(const char*);
    if (auto* set = native->nativeResourceFunctionForIntegration("setstartupid"))
        reinterpret_cast<SetStartupId>(reinterpret_cast<void (*)()>(set))("");
    return Activation(std::move(id), x11::serverTime(), true);
}

Activation Activation::fromId(const QByteArray& id)
{
    return id.isEmpty() ? Activation() : Activation(id, x11::serverTime(), true);
}

void Activation::raise(QWidget& window) const
{
    window.raise();
    QWindow* handle = window.windowHandle();
    if (isEmpty() || !handle) {
        window.activateWindow();
        return;
    }
    x11::setStartupId(handle, m_id);
    x11::setUserTime(handle, m_time);
    delete handle->findChild<QObject*>(ActivatorName, Qt::FindDirectChildrenOnly);
    if (handle->isExposed())
        x11::requestActivation(handle, m_time);
    else
        new ActivateWhenExposed(handle, m_time);
    complete();
}

void Activation::complete() const
{
    if (m_fromDesktop)
        x11::sendStartupMessage("remove: ID=" + escaped(m_id));
}
