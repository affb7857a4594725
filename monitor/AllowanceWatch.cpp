#include "AllowanceWatch.h"

#include "Notifier.h"
#include "Settings.h"
#include "TrafficState.h"

#include <QLocale>

AllowanceWatch::AllowanceWatch(DbConnection& db, const TrafficState& state, const SettingsVars& vars,
                               const SettingsRecord& settings, const Clock& clock, Notifier& notifier)
    : m_volumeLeft(db, state, clock)
    , m_vars(vars)
    , m_settings(settings)
    , m_notifier(notifier)
{
}

[[gnu::hot]] void AllowanceWatch::refresh()
{
    // Without an allowance there is nothing to show or warn about, and no window to work out; one set later starts
    // afresh.
    if (!(m_vars.MaxMbSize > 0)) {
        m_remainder = {};
        m_reached = AllowanceBand::Green;
        return;
    }
    m_remainder = m_volumeLeft.remainder(m_vars.MaxMbSize, m_vars.LogPeriod, QString::number(m_vars.LogPeriodType),
                                         m_vars.BillingDay);
    // A log that cannot be read for a moment says nothing about the remainder: what was told stands.
    if (m_remainder.band == AllowanceBand::Unknown)
        return;
    // A window that cannot be worked out counts as no allowance.
    const AllowanceBand band = m_remainder.band == AllowanceBand::None ? AllowanceBand::Green : m_remainder.band;
    if (band > m_reached && m_settings.notifyleft != 0) {
        QString summary;
        switch (band) {
        case AllowanceBand::Orange:
            summary = QStringLiteral("Less than 30 % of the volume allowance is left");
            break;
        case AllowanceBand::Red:
            summary = QStringLiteral("Less than 15 % of the volume allowance is left");
            break;
        default:
            summary = QStringLiteral("The volume allowance is used up");
            break;
        }
        const QString body = m_remainder.text + QStringLiteral("\nCounted from ")
            + QLocale().toString(m_remainder.start, QStringLiteral("dd MMM yyyy")) + QLatin1Char('.');
        m_notifier.notify(summary, body,
                          band == AllowanceBand::UsedUp ? Notifier::Urgency::Critical : Notifier::Urgency::Normal);
    }
    m_reached = band;
}
