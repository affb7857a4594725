#pragma once

#include <QDBusVirtualObject>

// The tray menu as StatusNotifierItem hosts reach it (com.canonical.dbusmenu at /MenuBar). Qt exports the menu on
// its tray icon's own connection but leaves GetProperty unanswered: the caller waits for its timeout. This front
// takes the menu's path, answers GetProperty from the item's properties and hands every other call, unchanged, to
// Qt's export, moved aside; what Qt's export announces is repeated at the menu's path.
class TrayMenuFront : public QDBusVirtualObject
{
    Q_OBJECT
public:
    using QDBusVirtualObject::QDBusVirtualObject;

    // Stands in front of Qt's export of this process's tray menu, if there is one. Qt exports the menu anew on a new
    // connection each time the icon is shown, so this follows every showing of the icon.
    void claim();

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;
    // Never asked: introspection is a call like any other, answered by Qt's export.
    QString introspect(const QString& path) const override;

private Q_SLOTS:
    void relay(const QDBusMessage& signal);

private:
    // The name of the connection claimed.
    QString m_connection;
};
