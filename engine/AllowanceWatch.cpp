#include "AllowanceWatch.h"

#include "Clock.h"
#include "Db.h"
#include "EngineLog.h"
#include "Notifier.h"

#include <QCoreApplication>
#include <QLocale>

AllowanceWatch::AllowanceWatch(DbConnection& db, const Clock& clock, Notifier& notifier, QObject* parent)
    : QObject(parent)
    , m_db(db)
    , m_clock(clock)
    , m_notifier(notifier)
{
}

std::optional<double> AllowanceWatch::loggedMB(const QDate& windowStart, const QString& adapter)
{
    // Every row that starts at or after midnight at the start of the window counts: the midnight split opens each
    // day's first row at 00:00:00, and that row belongs to its day. The covering index on
    // (DateAndTimeStart, BytesSent, bytesrcvd) answers this without reading the table; one adapter's per-day sums
    // answer it for that adapter.
    DbRecordset rs;
    const QString day = windowStart.toString(QStringLiteral("yyyy-MM-dd"));
    const bool ok = adapter.isEmpty()
        ? rs.open(m_db,
                  QStringLiteral("select sum(BytesSent+bytesrcvd)/(1024*1024.0) as loggedVolume from log"
                                 " where DateAndTimeStart>=?"),
                  {day + QStringLiteral(" 00:00:00")})
        : rs.open(m_db,
                  QStringLiteral("select total(BytesSent+bytesrcvd)/(1024*1024.0) as loggedVolume from log_adapter_day"
                                 " where adapter=? and day>=?"),
                  {adapter, day});
    if (!ok) {
        qCWarning(lcEngine) << "volume left: the log could not be summed:" << rs.lastError();
        return std::nullopt;
    }
    return rs.field(QStringLiteral("LoggedVolume")).toDouble();
}

void AllowanceWatch::reload(const Settings& terms, quint64 unloggedOctets)
{
    m_terms = terms;
    m_today = m_clock.now().date();
    m_unlogged = unloggedOctets;
    // Without an allowance the log need not be read.
    const Remainder window = volumeLeft(m_terms, m_today.startOfDay(), 0.0, 0);
    m_logged = window.band == AllowanceBand::None ? std::optional<double>(0.0)
                                                  : loggedMB(window.start, m_terms.allowanceadapter);
    update();
}

void AllowanceWatch::setUnlogged(quint64 unloggedOctets)
{
    if (unloggedOctets == m_unlogged)
        return;
    m_unlogged = unloggedOctets;
    // A log that could not be read is tried again with the traffic.
    if (!m_logged)
        return reload(m_terms, unloggedOctets);
    update();
}

void AllowanceWatch::checkDay()
{
    if (m_clock.now().date() != m_today)
        reload(m_terms, m_unlogged);
    else
        update(); // the estimate follows the time, traffic or not
}

Remainder AllowanceWatch::whatIf(const Settings& terms, quint64 unloggedOctets)
{
    const QDateTime now = m_clock.now();
    const Remainder r = volumeLeft(terms, now, 0.0, 0);
    return volumeLeft(terms, now, r.band == AllowanceBand::None ? 0.0 : loggedMB(r.start, terms.allowanceadapter),
                      unloggedOctets);
}

void AllowanceWatch::update()
{
    const Remainder before = m_remainder;
    // The window stays the one the log was summed for until the day is looked at again.
    const QDateTime now = m_clock.now();
    m_remainder = volumeLeft(m_terms, now.date() == m_today ? now : m_today.endOfDay(), m_logged, m_unlogged);
    if (m_remainder != before)
        Q_EMIT changed();
    // A log that cannot be read for a moment says nothing about the remainder: what was told stands.
    if (m_remainder.band == AllowanceBand::Unknown)
        return;
    // No allowance, or a window that cannot be worked out, counts as green: one set later starts afresh.
    const AllowanceBand band = m_remainder.band == AllowanceBand::None ? AllowanceBand::Green : m_remainder.band;
    if (band > m_reached && m_terms.notifyleft != 0) {
        QString summary;
        switch (band) {
        case AllowanceBand::Orange:
            summary = QCoreApplication::translate("AllowanceWatch", "Under 30 % of the allowance left");
            break;
        case AllowanceBand::Red:
            summary = QCoreApplication::translate("AllowanceWatch", "Under 15 % of the allowance left");
            break;
        default:
            summary = QCoreApplication::translate("AllowanceWatch", "The allowance is used up");
            break;
        }
        const QString body = VolumeLeftText(m_remainder) + QLatin1Char('\n')
            + QCoreApplication::translate("AllowanceWatch", "Counted from %1.")
                  .arg(QLocale().toString(m_remainder.start, QStringLiteral("dd MMM yyyy")));
        m_notifier.notify(summary, body,
                          band == AllowanceBand::UsedUp ? Notifier::Urgency::Critical : Notifier::Urgency::Normal);
    }
    m_reached = band;
}
