#pragma once

#include <QString>
#include <QVector>

// Desktop notifications: a short message that the desktop shows for a while, away from the program's windows.
// Behind an interface so that tests can count what would have been shown.
class Notifier
{
public:
    enum class Urgency { Normal, Critical };

    virtual ~Notifier() = default;
    // Never blocks and never fails loudly: where the desktop has no notification service, nothing shows.
    virtual void notify(const QString& summary, const QString& body, Urgency urgency) = 0;
};

// Test double: records every message.
class FakeNotifier : public Notifier
{
public:
    struct Shown
    {
        QString summary;
        QString body;
        Urgency urgency;
    };

    void notify(const QString& summary, const QString& body, Urgency urgency) override
    {
        shown.append({summary, body, urgency});
    }

    QVector<Shown> shown;
};
