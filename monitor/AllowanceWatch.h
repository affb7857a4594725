#pragma once

#include "VolumeLeft.h"

class Clock;
class DbConnection;
class Notifier;
class SettingsRecord;
struct SettingsVars;
struct TrafficState;

// Keeps an eye on the volume allowance while the program runs, whether or not a window shows it, and tells the
// desktop when the remainder enters the orange band, the red band, and when it is used up: once for each band
// entered, and again only after the remainder went back out of it (a new billing month, a larger allowance).
class AllowanceWatch
{
public:
    AllowanceWatch(DbConnection& db, const TrafficState& state, const SettingsVars& vars,
                   const SettingsRecord& settings, const Clock& clock, Notifier& notifier);

    // Reads the remainder afresh from the settings in force, the log and the traffic not yet logged.
    void refresh();
    const VolumeLeft::Remainder& remainder() const { return m_remainder; }

private:
    VolumeLeft m_volumeLeft;
    const SettingsVars& m_vars;
    const SettingsRecord& m_settings;
    Notifier& m_notifier;
    VolumeLeft::Remainder m_remainder;
    // The worst band entered since the remainder was last green (or had no allowance).
    AllowanceBand m_reached = AllowanceBand::Green;
};
