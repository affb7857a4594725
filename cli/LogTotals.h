#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

class DbConnection;

// Octets received and sent.
struct Traffic
{
    qint64 rx = 0;
    qint64 tx = 0;
    qint64 total() const { return rx + tx; }
    Traffic& operator+=(const Traffic& t)
    {
        rx += t.rx;
        tx += t.tx;
        return *this;
    }
};

// The traffic log summed for reports, read from a database opened read-only. A row counts in the period its start
// lies in, as the statistics views count it; the period being counted, as its last save left it (at most a minute
// old), counts like a row. Given an adapter's name, only the traffic that adapter carried counts, from the
// per-adapter log; rows from before that log existed count for no adapter.
class LogTotals
{
public:
    explicit LogTotals(DbConnection& db, QString adapter = {});

    // False with the database's error when the log cannot be read.
    bool read(QString* error);

    struct Day
    {
        QDate date;
        Traffic traffic;
    };
    // Every day with traffic, oldest first.
    const QVector<Day>& days() const { return m_days; }
    Traffic sum(const QDate& from, const QDate& to) const;

    struct Hour
    {
        QDateTime start;
        Traffic traffic;
    };
    // The traffic of each hour from `from` to before `to` that has any. A row that spans hours is shared among them
    // by time, in whole octets that add up to the row's.
    bool hours(const QDateTime& from, const QDateTime& to, QVector<Hour>* into, QString* error) const;

    // The log's first day; invalid for an empty log.
    QDate firstDay() const { return m_days.isEmpty() ? QDate() : m_days.first().date; }

private:
    DbConnection& m_db;
    QString m_adapter;
    QVector<Day> m_days;
    // The period being counted, from its start to its last save.
    struct Period
    {
        QDateTime start;
        QDateTime end;
        Traffic traffic;
    };
    std::optional<Period> m_open;
};
