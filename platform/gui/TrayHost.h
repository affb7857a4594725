#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QTimer>

// The kind of notification area an icon is made for.
enum class TrayHost { None, StatusNotifier, XEmbed };

// The notification areas the desktop offers, followed for the whole run: a panel starts after the program, restarts,
// or goes away (GNOME turns its AppIndicator extension off while the screen is locked).
class TrayHosts : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // A StatusNotifierWatcher with a host that shows its items.
    virtual bool statusNotifier() const = 0;
    // An X11 tray that embeds icons itself (the owner of the _NET_SYSTEM_TRAY_S0 selection).
    virtual bool xembed() const = 0;
    // The better host for a new icon: a StatusNotifier host, else an X11 tray, else none.
    TrayHost best() const;

Q_SIGNALS:
    void changed();
};

// The session's hosts, as the session bus and the X server tell of them.
class DesktopTrayHosts : public TrayHosts, public QAbstractNativeEventFilter
{
    Q_OBJECT
public:
    explicit DesktopTrayHosts(QObject* parent = nullptr);
    ~DesktopTrayHosts() override;

    bool statusNotifier() const override { return m_statusNotifier; }
    bool xembed() const override { return m_xembed; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private Q_SLOTS:
    void onNameOwnerChanged(const QString& name, const QString& oldOwner, const QString& newOwner);
    void onHostsChanged();

private:
    void look();

    bool m_statusNotifier = false;
    bool m_xembed = false;
    // The XFixes event that tells of a new owner of the X11 tray selection; 0 off X11.
    quint8 m_selectionEvent = 0;
    // A panel says it is there in several steps; they are looked at together once it is done.
    QTimer m_settle;
};

// Test double: the hosts are what the test sets.
class FakeTrayHosts : public TrayHosts
{
public:
    using TrayHosts::TrayHosts;

    bool statusNotifier() const override { return m_statusNotifier; }
    bool xembed() const override { return m_xembed; }
    void set(bool statusNotifier, bool xembed)
    {
        m_statusNotifier = statusNotifier;
        m_xembed = xembed;
        Q_EMIT changed();
    }

private:
    bool m_statusNotifier = false;
    bool m_xembed = false;
};
