#pragma once

#include <QtGlobal>

// Window layouts are stored in twips, 1/1440 inch; the screen's logical DPI turns them into pixels.
constexpr double TwipsPerInch = 1440;

inline int twipsToPixels(double twips, int dpi)
{
    return qRound(twips * dpi / TwipsPerInch);
}

inline int pixelsToTwips(int pixels, int dpi)
{
    return qRound(pixels * TwipsPerInch / dpi);
}
