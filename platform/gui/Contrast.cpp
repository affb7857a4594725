#include "Contrast.h"

#include <algorithm>
#include <cmath>

namespace {

double channel(double c)
{
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(const QColor& c)
{
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

} // namespace

double contrastRatio(const QColor& a, const QColor& b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor readableOn(const QColor& wanted, const QColor& background, double ratio)
{
    if (contrastRatio(wanted, background) >= ratio)
        return wanted;
    // Black and white reach at least 4.58 on any background; the direction is the one with more room.
    const bool darken = contrastRatio(Qt::black, background) >= contrastRatio(Qt::white, background);
    const QColor hsl = wanted.toHsl();
    const float step = darken ? -0.005f : 0.005f;
    for (float l = hsl.lightnessF(); l >= 0.0f && l <= 1.0f; l += step) {
        const QColor candidate = QColor::fromHslF(hsl.hslHueF(), hsl.hslSaturationF(), l, wanted.alphaF());
        if (contrastRatio(candidate, background) >= ratio)
            return candidate;
    }
    return darken ? QColor(Qt::black) : QColor(Qt::white);
}
