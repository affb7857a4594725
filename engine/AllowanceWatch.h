#pragma once

#include "Settings.h"
#include "VolumeLeft.h"

#include <QObject>

#include <optional>

class Clock;
class DbConnection;
class Notifier;

// The one place the volume allowance is worked out. The log is summed only when something that moves the sum
// changed (the terms, a row written, the log erased, a new day); the traffic counted since the last row is added
// in memory. The desktop is told when the remainder enters the orange band, the red band, and when it is used up:
// once for each band entered, and again only after the remainder went back out of it (a new billing month, a
// larger allowance).
class AllowanceWatch : public QObject
{
    Q_OBJECT
public:
    AllowanceWatch(DbConnection& db, const Clock& clock, Notifier& notifier, QObject* parent = nullptr);

    // Works the remainder out afresh under these terms, summing the log.
    void reload(const Settings& terms, quint64 unloggedOctets);
    // Sums the log again under the terms in force: a row was written, or the log erased.
    void reload(quint64 unloggedOctets) { reload(m_terms, unloggedOctets); }
    // The traffic counted since the last row changed; nothing is read.
    void setUnlogged(quint64 unloggedOctets);
    // Looks at the date: the window may have moved on.
    void checkDay();

    const Remainder& remainder() const { return m_remainder; }
    // What these terms would leave, for a preview of settings not stored yet; the watch itself is not changed.
    Remainder whatIf(const Settings& terms, quint64 unloggedOctets);

Q_SIGNALS:
    void changed();

private:
    // The MB logged since the window's start, by all counted adapters or by the one named; none when the log cannot
    // be read.
    std::optional<double> loggedMB(const QDate& windowStart, const QString& adapter);
    void update();

    DbConnection& m_db;
    const Clock& m_clock;
    Notifier& m_notifier;
    Settings m_terms;
    QDate m_today;
    std::optional<double> m_logged;
    quint64 m_unlogged = 0;
    Remainder m_remainder;
    // The worst band entered since the remainder was last green (or had no allowance).
    AllowanceBand m_reached = AllowanceBand::Green;
};
