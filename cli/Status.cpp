#include "Status.h"

#include "InstanceChannel.h"
#include "Report.h"
#include "Settings.h"
#include "TrafficEngine.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QTextStream>

#include <cmath>

namespace {

constexpr double BytesPerMB = 1024.0 * 1024.0;

// The context of this file's texts in the translations.
struct Text
{
    Q_DECLARE_TR_FUNCTIONS(Status)
};

QString rateText(double octetsPerSecond)
{
    return octetsText(qint64(std::llround(octetsPerSecond))) + QStringLiteral("/s");
}

// What a status bar shows: the rates in three significant figures and a unit letter.
QString shortRate(double octetsPerSecond)
{
    static const char* const Units[] = {"", "K", "M", "G", "T"};
    double v = octetsPerSecond;
    int unit = 0;
    while (v >= 1000 && unit < 4) {
        v /= 1024;
        ++unit;
    }
    return QLocale::system().toString(v, 'f', v < 10 && unit > 0 ? 1 : 0) + QLatin1String(Units[unit]);
}

// The allowance's state as the running copy names it, in the user's words.
QString stateText(const QString& state)
{
    static const char* const Words[] = {QT_TRANSLATE_NOOP("Status", "green"), QT_TRANSLATE_NOOP("Status", "orange"),
                                        QT_TRANSLATE_NOOP("Status", "red"), QT_TRANSLATE_NOOP("Status", "used up")};
    for (const char* word : Words) {
        if (state == QLatin1String(word))
            return Text::tr(word);
    }
    return state;
}

void print(const QJsonObject& s, Invocation::StatusFormat format, QTextStream& out)
{
    const double rx = s[QStringLiteral("rx_rate")].toDouble();
    const double tx = s[QStringLiteral("tx_rate")].toDouble();
    const QJsonObject a = s[QStringLiteral("allowance")].toObject();
    const QLocale locale = QLocale::system();
    const QString rates = Text::tr("download %1, upload %2").arg(rateText(rx), rateText(tx));
    const QString since = Text::tr("since the last log row %1 received, %2 sent")
                              .arg(octetsText(qint64(s[QStringLiteral("rx")].toDouble())),
                                   octetsText(qint64(s[QStringLiteral("tx")].toDouble())));
    const QString left = a.isEmpty() ? QString()
                                     : Text::tr("allowance %1 (%2 %) left, %3")
                                           .arg(octetsText(qint64(a[QStringLiteral("left")].toDouble())),
                                                locale.toString(a[QStringLiteral("percent_left")].toDouble(), 'f', 1),
                                                stateText(a[QStringLiteral("state")].toString()));
    switch (format) {
    case Invocation::StatusFormat::Json:
        out << QJsonDocument(s).toJson(QJsonDocument::Compact) << '\n';
        break;
    case Invocation::StatusFormat::Waybar: {
        const QString tooltip
            = rates + QLatin1Char('\n') + since + (left.isEmpty() ? QString() : QLatin1Char('\n') + left);
        QJsonObject bar {
            {QStringLiteral("text"), QStringLiteral("↓%1 ↑%2").arg(shortRate(rx), shortRate(tx))},
            {QStringLiteral("tooltip"), tooltip},
            {QStringLiteral("class"),
             a.isEmpty() ? QStringLiteral("none") : a[QStringLiteral("state")].toString().replace(' ', '-')}};
        if (!a.isEmpty())
            bar[QStringLiteral("percentage")] = qRound(a[QStringLiteral("percent_left")].toDouble());
        out << QJsonDocument(bar).toJson(QJsonDocument::Compact) << '\n';
        break;
    }
    case Invocation::StatusFormat::Text:
        // One line, so that a status bar that shows each line it reads (polybar, i3blocks, conky) can take it.
        out << rates << "; " << since << (left.isEmpty() ? QString() : QStringLiteral("; ") + left) << '\n';
        break;
    }
    out.flush();
}

} // namespace

QByteArray statusLine(const Snapshot& snapshot, const Settings& settings, const QDateTime& now)
{
    QJsonObject s {{QStringLiteral("jsonversion"), 1},
                   {QStringLiteral("rx_rate"), snapshot.tick.downRate * 1000.0},
                   {QStringLiteral("tx_rate"), snapshot.tick.upRate * 1000.0},
                   {QStringLiteral("rx"), double(snapshot.rcvdSinceRow)},
                   {QStringLiteral("tx"), double(snapshot.sentSinceRow)},
                   {QStringLiteral("allowance"), QJsonValue()}};
    const Remainder& r = snapshot.allowance;
    if (r.band >= AllowanceBand::Green) {
        const QDate today = now.date();
        const AllowanceInterval interval = allowanceInterval(settings.LogPeriodType);
        const QDate end = allowanceWindowEnd(today, interval, settings.LogPeriod, settings.BillingDay);
        const double limit = settings.MaxMbSize * BytesPerMB;
        const double left = r.leftMB * BytesPerMB;
        static const char* const States[] = {"none", "unknown", "green", "orange", "red", "used up"};
        s[QStringLiteral("allowance")] = QJsonObject {
            {QStringLiteral("limit"), std::round(limit)},
            {QStringLiteral("used"), std::round(limit - left)},
            {QStringLiteral("left"), std::round(left)},
            {QStringLiteral("percent_left"), std::max(r.percentLeft, 0.0)},
            {QStringLiteral("window_start"), r.start.toString(Qt::ISODate)},
            {QStringLiteral("window_end"), end.toString(Qt::ISODate)},
            {QStringLiteral("state"), QLatin1String(States[int(r.band)])},
            {QStringLiteral("estimate"), std::round(estimateAtEnd(limit - left, r.start, end, interval, now))},
            {QStringLiteral("daily_budget"), std::round(dailyBudget(left, today, end))}};
    }
    return QJsonDocument(s).toJson(QJsonDocument::Compact);
}

int runStatus(const Invocation& invocation, const QString& databasePath, QTextStream& out, QTextStream& err)
{
    const QString key = InstanceChannel::keyFor(databasePath);
    const auto show = [&invocation, &out](const QByteArray& line) {
        const QJsonObject answer = QJsonDocument::fromJson(line).object();
        if (answer[QStringLiteral("jsonversion")].toInt() != 1)
            return false;
        print(answer, invocation.statusFormat, out);
        return true;
    };
    if (!invocation.watch && show(InstanceChannel::ask(key, StatusRequest)))
        return 0;
    // A watch ends only when the program does, or when it was never there.
    if (!invocation.watch || !InstanceChannel::follow(key, StatusWatchRequest, 1000, show))
        err << Text::tr("zovodazad: no running copy answers.") << '\n';
    else
        err << Text::tr("zovodazad: the running copy ended.") << '\n';
    return 3;
}
