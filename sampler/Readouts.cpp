#include "Readouts.h"

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

// An average or maximum in the line's base unit (kB/s, or Kbps in bits) has no unit of its own, as the line has
// always shown it, until it steps up.
QString figure(double x, bool bits)
{
    return bits ? stepped(x, 1024.0, {"", " Mb", " Gb"}, 1) : stepped(x, 1000.0, {"", " MB", " GB"}, 1);
}

QString averageAndMax(double avg, double max, bool bits)
{
    const double scale = bits ? bitsPerKiloByte : 1.0;
    return QStringLiteral(" (Avg: ") + figure(avg * scale, bits) + QStringLiteral(" - Max: ")
        + figure(max * scale, bits) + QLatin1Char(')');
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
    if (!bits)
        return stepped(rate, 1000.0, {" kBps/s", " MBps/s", " GBps/s"}, 1);
    const double k = rate * bitsPerKiloByte;
    return k < 1024.0 ? FN(k, 1) + QStringLiteral(" Kbps/s") : stepped(k / 1024.0, 1024.0, {" Mbps/s", " Gbps/s"}, 1);
}

QString RateLine(double rate, double avg, double max, bool bits)
{
    return RateText(rate, bits) + averageAndMax(avg, max, bits);
}

QString NothingCountedLine()
{
    return QCoreApplication::translate("Readouts", "No adapter is counted: choose one in Options, Adapters.");
}

QString TrayToolTip(double downRate, double upRate, bool bits, double octetsSinceRow, const QString& left,
                    bool nothingCounted)
{
    QString tip = QStringLiteral("Zovodazad\n")
        + (nothingCounted ? NothingCountedLine()
                          : QStringLiteral("Download: ") + RateText(downRate, bits) + QStringLiteral(", upload: ")
                   + RateText(upRate, bits))
        + QStringLiteral("\nSince the last log row: ") + VolumeText(octetsSinceRow);
    if (!left.isEmpty())
        tip += QStringLiteral("\nAllowance: ") + left;
    return tip;
}

QString ZeroRateLine(double avg, double max, bool bits)
{
    return (bits ? QStringLiteral("0.0 Kbps/s") : QStringLiteral("0.0 kBps/s")) + averageAndMax(avg, max, bits);
}

QString GraphToolTip(qint32 max, bool bits)
{
    return QStringLiteral("Graph Max: ") + (bits ? FN(max * bitsPerKiloByte, 0) : QString::number(max));
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
    // Every figure just below the stepping point of its unit, in each unit the line can take.
    QStringList lines;
    const double justBelow = steppingPoint - 0.001;
    for (int tier = 0; tier < 3; ++tier) {
        const double bytes = justBelow * std::pow(1000.0, tier);
        const double bits = justBelow * std::pow(1024.0, tier) / bitsPerKiloByte;
        lines << RateLine(bytes, bytes, bytes, false) << RateLine(bits, bits, bits, true);
    }
    return lines;
}
