#include "TwipLayout.h"

#include <QFontMetricsF>
#include <QWidget>

#include <algorithm>

namespace {

constexpr double TwipsPerInch = 1440;
// The design font, 8-point MS Sans Serif, is 13 pixels from line to line at 96 dots per inch.
constexpr double DesignLineHeight = 13;
constexpr double DesignDpi = 96;

} // namespace

TwipLayout::TwipLayout(QWidget* window)
    : m_window(window)
{
}

void TwipLayout::place(QWidget* w, const QRectF& twips)
{
    m_twips.insert(w, twips);
    w->setGeometry(toPixels(twips));
}

int TwipLayout::toPixelsX(double twips) const
{
    return qRound(twips * m_scale * m_window->logicalDpiX() / TwipsPerInch);
}

int TwipLayout::toPixelsY(double twips) const
{
    return qRound(twips * m_scale * m_window->logicalDpiY() / TwipsPerInch);
}

// Edges are rounded, not sizes, so that controls that meet in twips meet in pixels and never overlap.
QRect TwipLayout::toPixels(const QRectF& twips) const
{
    const int left = toPixelsX(twips.left());
    const int top = toPixelsY(twips.top());
    return QRect(left, top, toPixelsX(twips.right()) - left, toPixelsY(twips.bottom()) - top);
}

double TwipLayout::toTwipsX(int pixels) const
{
    return pixels * TwipsPerInch / (m_scale * m_window->logicalDpiX());
}

double TwipLayout::toTwipsY(int pixels) const
{
    return pixels * TwipsPerInch / (m_scale * m_window->logicalDpiY());
}

void TwipLayout::fit(const QList<Need>& needs)
{
    double scale = fontScale(m_window->font(), m_window->logicalDpiY());
    const double perTwipX = m_window->logicalDpiX() / TwipsPerInch;
    const double perTwipY = m_window->logicalDpiY() / TwipsPerInch;
    for (const Need& n : needs) {
        // Half a pixel more, so that rounding the scaled size never takes a pixel from the need.
        if (n.twips.width() > 0)
            scale = std::max(scale, (n.pixels.width() + 0.5) / (n.twips.width() * perTwipX));
        if (n.twips.height() > 0)
            scale = std::max(scale, (n.pixels.height() + 0.5) / (n.twips.height() * perTwipY));
    }
    m_scale = scale;
    for (auto it = m_twips.cbegin(); it != m_twips.cend(); ++it)
        it.key()->setGeometry(toPixels(it.value()));
}

double TwipLayout::fontScale(const QFont& font, int dpi)
{
    QFont sized = font;
    // Metrics at the window's own resolution, whatever the screen the font was created for.
    if (sized.pointSizeF() > 0)
        sized.setPixelSize(qRound(sized.pointSizeF() * dpi / 72.0));
    return std::max(1.0, QFontMetricsF(sized).height() / (DesignLineHeight * dpi / DesignDpi));
}
