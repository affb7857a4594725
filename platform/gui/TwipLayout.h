#pragma once

#include <QHash>
#include <QList>
#include <QRectF>
#include <QSize>

class QFont;
class QWidget;

// The windows' layouts are stored in twips (1/1440 inch) as drawn for a small 8-point dialog font. A TwipLayout
// places a window's controls at their stored twips times a scale: the scale follows the window's font, and grows
// further where a text would not fit its control, so the layout keeps its proportions at any font size and no
// text is ever shrunk or cut.
class TwipLayout
{
public:
    // What a control's contents take in pixels, for a control whose stored size is `twips`.
    struct Need
    {
        QSizeF twips;
        QSize pixels;
    };

    explicit TwipLayout(QWidget* window);

    // Places w, relative to its parent, and keeps its twips for every later scale.
    void place(QWidget* w, const QRectF& twips);
    // The stored twips of a placed control; an empty rectangle for any other.
    QRectF twips(const QWidget* w) const { return m_twips.value(const_cast<QWidget*>(w)); }
    Need need(const QWidget* w, const QSize& pixels) const { return {twips(w).size(), pixels}; }

    int toPixelsX(double twips) const;
    int toPixelsY(double twips) const;
    QRect toPixels(const QRectF& twips) const;
    double toTwipsX(int pixels) const;
    double toTwipsY(int pixels) const;
    double scale() const { return m_scale; }

    // The least scale, from the window font's own, at which every need is met; every placed control moves to it.
    void fit(const QList<Need>& needs);

    // The font's line height against that of the design font at the same resolution, never below 1.
    static double fontScale(const QFont& font, int dpi);

private:
    QWidget* m_window;
    double m_scale = 1.0;
    QHash<QWidget*, QRectF> m_twips;
};
