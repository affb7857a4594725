#pragma once

#include "Notifier.h"

#include <QObject>

// The freedesktop notification service (org.freedesktop.Notifications) on the session bus. Calls are
// asynchronous, so a slow or missing service never holds up the user-interface thread. Each message replaces the
// previous one of this program while that one is still shown, and carries the program's icon: by name where the icon
// theme has it (the installed layout), else as pixels.
class DBusNotifier : public QObject, public Notifier
{
    Q_OBJECT
public:
    explicit DBusNotifier(QObject* parent = nullptr);

    void notify(const QString& summary, const QString& body, Urgency urgency) override;

private:
    // The service's id of the last message; 0 before the first one is confirmed.
    quint32 m_lastId = 0;
};
