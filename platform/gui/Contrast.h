#pragma once

#include <QColor>

// Text colours that stay readable on any palette: the contrast ratio of two colours (1 to 21, as accessibility
// guidelines define it, 4.5 being the least for body text), and a colour's hue made darker or lighter until it
// reaches a ratio on a given background.
double contrastRatio(const QColor& a, const QColor& b);

// `wanted` itself when it already reaches `ratio` on `background`; otherwise the same hue and saturation, darker on
// a light background and lighter on a dark one, as little as needed.
QColor readableOn(const QColor& wanted, const QColor& background, double ratio = 4.5);
