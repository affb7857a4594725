#include "Readouts.h"

#include <QLocale>

namespace {

constexpr double bitsPerKiloByte = 8.192;

QString averageAndMax(double avg, double max, bool bits)
{
    const double scale = bits ? bitsPerKiloByte : 1.0;
    return QStringLiteral(" (Avg: ") + FN(avg * scale, 1) + QStringLiteral(" - Max: ") + FN(max * scale, 1)
        + QLatin1Char(')');
}

} // namespace

QString FN(double x, int decimals)
{
    return QLocale().toString(x, 'f', decimals);
}

QString VolumeText(double octets)
{
    if (octets < 1048576.0)
        return FN(octets / 1024.0, 1) + QStringLiteral(" kB");
    return FN(octets / 1048576.0, 2) + QStringLiteral(" MB");
}

QString RateLine(double rate, double avg, double max, bool bits)
{
    if (!bits)
        return FN(rate, 1) + QStringLiteral(" kBps/s") + averageAndMax(avg, max, false);
    const double k = rate * bitsPerKiloByte;
    if (k < 1024.0)
        return FN(k, 1) + QStringLiteral(" Kbps/s") + averageAndMax(avg, max, true);
    return FN(k / 1024.0, 1) + QStringLiteral(" Mbps/s") + averageAndMax(avg, max, true);
}

QString ZeroRateLine(double avg, double max, bool bits)
{
    return (bits ? QStringLiteral("0.0 Kbps/s") : QStringLiteral("0.0 kBps/s")) + averageAndMax(avg, max, bits);
}

QString GraphToolTip(qint32 max, bool bits)
{
    return QStringLiteral("Graph Max: ") + (bits ? FN(max * bitsPerKiloByte, 0) : QString::number(max));
}
