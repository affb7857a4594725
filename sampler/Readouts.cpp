#include "Readouts.h"

#include "Sampler.h"

#include <QCoreApplication>
#include <QLocale>

#include <cmath>
#include <initializer_list>

namespace {

constexpr double bitsPerKiloByte = 8.192;
// Figures from this value on step up to the next unit with two decimals, so that no readout outgrows its label.
constexpr double steppingPoint = 10000.0;
constexpr double octetsPerMB = 1048576.0;

// x in the first of its units with firstDecimals decimals while below the stepping point; from there on in the
// next units up, each `step` times the last, with two decimals.
QString stepped(double x, double step, std::initializer_list<const char*> units, int firstDecimals)
{
    auto unit = units.begin();
    int decimals = firstDecimals;
    while (x >= steppingPoint && unit + 1 != units.end()) {
        x /= step;
        ++unit;
        decimals = 2;
    }
    return FN(x, decimals) + QLatin1String(*unit);
}

// How the speed line shows a rate in kB/s: divided by `divisor`, with `decimals`, followed by `unit`. The line's
// base unit is kB/s, or in bits Kbps (kB/s times 8.192); from 10,000 of a unit on, the next unit up.
struct RateUnit
{
    double scale; // to the base unit
    double divisor;
    int decimals;
    const char* unit;
};

RateUnit rateUnit(double rate, bool bits)
{
    if (!bits) {
        if (rate < steppingPoint)
            return {1.0, 1.0, 1, " kBps/s"};
        return rate / 1000.0 < steppingPoint ? RateUnit {1.0, 1000.0, 2, " MBps/s"}
                                             : RateUnit {1.0, 1000000.0, 2, " GBps/s"};
    }
    const double k = rate * bitsPerKiloByte;
    if (k < 1024.0)
        return {bitsPerKiloByte, 1.0, 1, " Kbps/s"};
    return k / 1024.0 < steppingPoint ? RateUnit {bitsPerKiloByte, 1024.0, 1, " Mbps/s"}
                                      : RateUnit {bitsPerKiloByte, 1024.0 * 1024.0, 2, " Gbps/s"};
}

// The average and maximum. While every figure stays below 10,000 they are shown as the line always showed them: in
// the base unit with one decimal (in bits still in Kbps when the current rate is in Mbps). From there on they are
// rates in the current rate's unit, never volumes.
QString averageAndMax(double rate, double avg, double max, bool bits)
{
    const RateUnit u = rateUnit(rate, bits);
    const double a = avg * u.scale;
    const double m = max * u.scale;
    const bool asAlways = rate * u.scale / u.divisor < steppingPoint && a < steppingPoint && m < steppingPoint;
    const double divisor = asAlways ? 1.0 : u.divisor;
    const int decimals = asAlways ? 1 : u.decimals;
    return QCoreApplication::translate("Readouts", " (Avg: %1 - Max: %2)")
        .arg(FN(a / divisor, decimals), FN(m / divisor, decimals));
}

} // namespace

QString FN(double x, int decimals)
{
    return QLocale().toString(x, 'f', decimals);
}

QString VolumeText(double octets)
{
    if (octets < octetsPerMB)
        return FN(octets / 1024.0, 1) + QStringLiteral(" kB");
    return stepped(octets / octetsPerMB, 1024.0, {" MB", " GB", " TB"}, 2);
}

QString RateText(double rate, bool bits)
{
    const RateUnit u = rateUnit(rate, bits);
    return FN(rate * u.scale / u.divisor, u.decimals) + QLatin1String(u.unit);
}

QString RateLine(double rate, double avg, double max, bool bits)
{
    return RateText(rate, bits) + averageAndMax(rate, avg, max, bits);
}

QString NothingCountedLine()
{
    return QCoreApplication::translate("Readouts", "No adapter counted: choose one in Options, Adapters.");
}

QString TrayToolTip(double downRate, double upRate, bool bits, double octetsSinceRow, const QString& left,
                    bool nothingCounted, const std::vector<AdapterActivity>& adapters)
{
    QString tip = QStringLiteral("Zovodazad\n")
        + (nothingCounted ? NothingCountedLine()
                          : QCoreApplication::translate("Readouts", "Download: %1, upload: %2")
                                .arg(RateText(downRate, bits), RateText(upRate, bits)))
        + QLatin1Char('\n')
        + QCoreApplication::translate("Readouts", "Since the last log row: %1").arg(VolumeText(octetsSinceRow));
    for (const AdapterActivity& a : adapters) {
        tip += QStringLiteral("\n  ")
            + QCoreApplication::translate("Readouts", "%1: %2 down, %3 up, %4")
                  .arg(QString::fromStdString(a.name), RateText(a.downRate, bits), RateText(a.upRate, bits),
                       VolumeText(double(a.rcvdInPeriod + a.sentInPeriod)));
    }
    if (!left.isEmpty())
        tip += QLatin1Char('\n') + QCoreApplication::translate("Readouts", "Allowance: %1").arg(left);
    return tip;
}

QString ZeroRateLine(double avg, double max, bool bits)
{
    return FN(0, 1) + QLatin1String(bits ? " Kbps/s" : " kBps/s") + averageAndMax(0, avg, max, bits);
}

QString GraphToolTip(qint32 max, bool bits)
{
    return QCoreApplication::translate("Readouts", "Graph Max: %1")
        .arg(bits ? FN(max * bitsPerKiloByte, 0) : QString::number(max));
}

QStringList longestVolumeTexts()
{
    // Just below each stepping point the figure rounds up to five whole digits.
    const double justBelow = steppingPoint - 0.001;
    return {VolumeText(octetsPerMB - 1), VolumeText(justBelow * octetsPerMB),
            VolumeText(justBelow * octetsPerMB * 1024), VolumeText(justBelow * octetsPerMB * 1048576)};
}

QStringList longestRateLines()
{
    // The current rate as long as each unit it can take shows it, with an average and a maximum as long as they can
    // be: just below 10,000 in the base unit, or 100 Gbit/s (12,500,000 kB/s). All in kB/s.
    QStringList lines;
    const double justBelow = steppingPoint - 0.001;
    const double bytesRates[] = {justBelow, justBelow * 1000.0, justBelow * 1e6};
    const double bitsRates[] = {1023.99 / bitsPerKiloByte, justBelow * 1024.0 / bitsPerKiloByte,
                                justBelow * 1024.0 * 1024.0 / bitsPerKiloByte};
    for (int tier = 0; tier < 3; ++tier) {
        for (double most : {justBelow, justBelow / bitsPerKiloByte, 12.5e6}) {
            lines << RateLine(bytesRates[tier], most, most, false) << RateLine(bitsRates[tier], most, most, true)
                  << ZeroRateLine(most, most, tier == 0);
        }
    }
    return lines;
}
