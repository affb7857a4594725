#include "Report.h"
#include "TempDatabase.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <QTextStream>

namespace {

// Rows over the edges that matter: a leap day, an ISO week 53 across a new year, a month's end, rows that span
// hours, and the period being counted (saved in open_period), with records for two adapters. Each row's octets are
// distinct powers of two times 1000, so every sum names its rows.
struct Log
{
    Log()
    {
        const char* const rows[][2] = {
            {"2020-12-31 22:00:00", "2020-12-31 23:59:59"}, // Thursday of 2020-W53
            {"2021-01-01 00:00:00", "2021-01-01 01:30:00"}, // Friday of 2020-W53
            {"2024-02-28 23:30:00", "2024-02-28 23:59:59"},
            {"2024-02-29 00:00:00", "2024-02-29 10:00:00"}, // a leap day
            {"2026-11-30 23:00:00", "2026-11-30 23:59:59"}, // a month's end, a Monday
            {"2026-12-01 00:00:00", "2026-12-01 02:30:00"}, // 2.5 hours
        };
        double rx = 1000;
        for (const auto& [start, end] : rows) {
            t.addLogRow(start, end, rx / 10, rx);
            rx *= 2;
        }
        t.exec("INSERT INTO open_period VALUES (1, '2026-12-06 10:00:00', '2026-12-06 10:30:00', 6400, 64000, 0, 0, "
               "'usb0:64000:6400')");
        t.exec("INSERT INTO log_adapter VALUES (5, '2026-11-30 23:00:00', 'usb0', 10000, 600),"
               " (5, '2026-11-30 23:00:00', 'eth0', 6000, 1000), (6, '2026-12-01 00:00:00', 'usb0', 32000, 3200)");
    }
    // The report's output, with its exit status.
    std::pair<int, QString> report(const ReportRequest& r)
    {
        QString out;
        QTextStream o(&out);
        const int status = writeReport(t.db, r, now, o, o);
        o.flush();
        return {status, out};
    }
    QJsonObject json(const QString& kind, QDate begin = {}, QDate end = {}, const QString& adapter = {})
    {
        const ReportRequest r {kind, ReportRequest::Format::Json, begin, end, 0, adapter};
        return QJsonDocument::fromJson(report(r).second.toUtf8()).object();
    }

    TempDatabase t;
    QDateTime now {QDate(2026, 12, 6), QTime(12, 0)}; // a Sunday
};

// A period's figures as "name rx/tx".
QString figures(const QString& name, const QJsonObject& o)
{
    return QStringLiteral("%1 %2/%3").arg(name).arg(o["rx"].toInteger()).arg(o["tx"].toInteger());
}

// A JSON array of periods as "key rx/tx" lines.
QStringList items(const QJsonObject& doc, const char* array, const char* key)
{
    QStringList lines;
    for (const QJsonValue& v : doc[QLatin1String(array)].toArray())
        lines.append(figures(v[QLatin1String(key)].toString(), v.toObject()));
    return lines;
}

} // namespace

class TestReport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    // Each kind of period against sums worked out by hand, in the documented JSON shape. Hours share a row by time,
    // in whole octets that add up to the row; --begin and --end choose. One adapter's report comes from its records
    // and its share of the period being counted.
    void periods_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QDate>("begin");
        QTest::addColumn<QDate>("end");
        QTest::addColumn<QString>("adapter");
        QTest::addColumn<QStringList>("expected");
        const auto row = [](const char* name, const char* kind, const QStringList& expected, QDate begin = {},
                            QDate end = {}, const QString& adapter = {}) {
            QTest::newRow(name) << QString(kind) << begin << end << adapter << expected;
        };
        row("days", "days",
            {"2020-12-31 1000/100", "2021-01-01 2000/200", "2024-02-28 4000/400", "2024-02-29 8000/800",
             "2026-11-30 16000/1600", "2026-12-01 32000/3200", "2026-12-06 64000/6400"});
        row("weeks", "weeks", {"2020-W53 3000/300", "2024-W09 12000/1200", "2026-W49 112000/11200"});
        row("years", "years", {"2020 1000/100", "2021 2000/200", "2024 12000/1200", "2026 112000/11200"});
        row("top", "top",
            {"2026-12-06 64000/6400", "2026-12-01 32000/3200", "2026-11-30 16000/1600", "2024-02-29 8000/800",
             "2024-02-28 4000/400", "2021-01-01 2000/200", "2020-12-31 1000/100"});
        const QDate first(2026, 12, 1);
        row("hours of a day", "hours",
            {"2026-12-01T00 12800/1280", "2026-12-01T01 12800/1280", "2026-12-01T02 6400/640"}, first, first);
        // The last 24 hours by default: the period being counted, as saved.
        row("hours by default", "hours", {"2026-12-06T10 64000/6400"});
        row("months in a range", "months", {"2021-01 2000/200", "2024-02 12000/1200"}, {2021, 1, 1}, {2024, 2, 1});
        row("one adapter's months", "months", {"2026-11 10000/600", "2026-12 96000/9600"}, {}, {}, "usb0");
    }
    void periods()
    {
        QFETCH(QString, kind);
        QFETCH(QDate, begin);
        QFETCH(QDate, end);
        QFETCH(QString, adapter);
        QFETCH(QStringList, expected);
        Log log;
        const QJsonObject doc = log.json(kind, begin, end, adapter);
        QCOMPARE(doc[QStringLiteral("jsonversion")].toInt(), 1);
        QCOMPARE(doc[QStringLiteral("adapter")], adapter.isEmpty() ? QJsonValue() : QJsonValue(adapter));
        const QString key = kind == "days" || kind == "top" ? QString("date") : kind.chopped(1); // "weeks": "week"
        QCOMPARE(items(doc, qPrintable(kind), qPrintable(key)), expected);
    }

    // --limit keeps the newest periods; CSV has a heading line. An adapter with no records is refused with the names
    // there are.
    void limitCsvAndUnknownAdapter()
    {
        Log log;
        QCOMPARE(log.report({"days", ReportRequest::Format::Csv, {}, {}, 2, {}}),
                 std::make_pair(0, QString("period,rx,tx\n2026-12-01,32000,3200\n2026-12-06,64000,6400\n")));
        QCOMPARE(log.report({"hours", ReportRequest::Format::Json, {}, {}, 0, "wlan7"}),
                 std::make_pair(2,
                                QString("zovodazad: no traffic is recorded for adapter 'wlan7'; adapters with "
                                        "records: eth0, usb0\n")));
    }

    // The summary's periods, and the month's estimate at the pace so far: 96,000 + 9,600 octets in five and a half
    // days of a 31-day month.
    void summary()
    {
        Log log;
        const QJsonObject s = log.json("summary")[QStringLiteral("summary")].toObject();
        QStringList got;
        for (const char* period : {"today", "yesterday", "this_week", "this_month", "this_year", "all_time"})
            got.append(figures(period, s[period].toObject()) + ' ' + s[period]["since"].toString());
        QCOMPARE(got,
                 QStringList({"today 64000/6400 2026-12-06", "yesterday 0/0 2026-12-05",
                              "this_week 112000/11200 2026-11-30", "this_month 96000/9600 2026-12-01",
                              "this_year 112000/11200 2026-01-01", "all_time 127000/12700 2020-12-31"}));
        QCOMPARE(s[QStringLiteral("this_month")][QStringLiteral("estimate")].toInteger(),
                 qRound64(105600.0 * 31 / 5.5));
    }

    // The allowance's figures and its exit status, one per band, in the documented shape; none set gives 4. It is
    // on the adapter Options chose unless --adapter names another.
    void allowance()
    {
        // {adapter chosen in Options ("-": no allowance), --adapter, status, state|adapter|used|left|window}
        const std::tuple<QString, QString, int, QString> cases[] = {
            {"-", "", 4, "none"},
            {"", "", 0, "green||105600|942976|2026-12-01|2026-12-31"},
            {"", "", 2, "red"}, // a row below brings it to just under 1 MB
            {"eth0", "", 0, "green|eth0|0"},
            {"eth0", "usb0", 0, "green|usb0|105600"}, // --adapter names another
        };
        for (const auto& [chosen, adapter, status, figures] : cases) {
            Log log;
            // This month from the 1st: 105,600 octets used.
            log.t.exec("INSERT INTO settings VALUES ('maxmbsize', ?), ('logperiodtype', '2'), ('logperiod', '1'),"
                       " ('allowanceadapter', ?)",
                       {chosen == "-" ? "0" : "1", chosen == "-" ? "" : chosen});
            if (status == 2)
                log.t.addLogRow("2026-12-02 10:00:00", "2026-12-02 11:00:00", 0, 1048576 - 105600 - 10000);
            const auto [exit, text] = log.report({"allowance", ReportRequest::Format::Json, {}, {}, 0, adapter});
            QCOMPARE(exit, status);
            const QJsonObject a = QJsonDocument::fromJson(text.toUtf8()).object();
            const QString got = QStringList({a["state"].toString(), a["adapter"].toString(),
                                             a["used"].toVariant().toString(), a["left"].toVariant().toString(),
                                             a["window_start"].toString(), a["window_end"].toString()})
                                    .join('|');
            QVERIFY2(got.startsWith(figures), qPrintable(got));
        }
    }

    // Every kind of report works on a file it may only read, and makes nothing beside it.
    void readOnly()
    {
        Log log;
        log.t.db.close();
        QVERIFY(QFile::setPermissions(log.t.path(), QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        QVERIFY(log.t.db.open(log.t.path(), DbConnection::Access::ReadOnly));
        for (const QString& kind : reportKinds()) {
            const QString out = log.report({kind, ReportRequest::Format::Text, {}, {}, 0, {}}).second;
            QVERIFY2(!out.contains("cannot"), qPrintable(out));
        }
        log.t.db.close();
        QCOMPARE(QDir(log.t.dir.path()).entryList(QDir::Files), QStringList({"Zovodazad.mdb"}));
    }
};

QTEST_GUILESS_MAIN(TestReport)
#include "tst_report.moc"
