#pragma once

#include <QColor>
#include <QFrame>
#include <QImage>
#include <QPalette>

#include <optional>
#include <stdexcept>
#include <vector>

// Raised by Throughput::Update when its checked arithmetic fails. A Division error (Max is 0) and an Overflow of
// the bar height come after the picture has been scrolled and the newest strip erased; an Overflow of the scroll
// geometry (W + 1, H + 1, -BarWidth) comes before anything is drawn.
class ThroughputError : public std::runtime_error
{
public:
    enum class Kind { Division, Overflow };

    explicit ThroughputError(Kind kind);
    Kind kind() const { return m_kind; }

private:
    Kind m_kind;
};

// A colour of a graph: a fixed one, or one of the application palette looked up each time it is drawn, so that the
// graph follows a change of the desktop's colour scheme.
class GraphColor
{
public:
    // Implicit, so that a QColor can be given wherever a GraphColor is taken.
    GraphColor(const QColor& fixed)
        : m_fixed(fixed)
    {
    }
    GraphColor(QPalette::ColorGroup group, QPalette::ColorRole role)
        : m_group(group)
        , m_role(role)
    {
    }

    QColor resolved() const;

private:
    QColor m_fixed;
    QPalette::ColorGroup m_group = QPalette::Active;
    // NoRole: the fixed colour.
    QPalette::ColorRole m_role = QPalette::NoRole;
};

// A strip chart of vertical bars that scrolls from right to left, one bar per Update. The picture itself is the
// history: a resize or a change of Max, BarWidth, Flat or Inverted starts an empty graph. While the graph cannot be
// seen, Update only queues its bar, at most the surface's width of them, and they are drawn when it is shown, so a
// hidden window costs no pixel work. The widget is fed by its container and never fetches data.
//
// Filled rectangles include their near corner and exclude the far one, so a bar of height b covers b pixel rows:
// rows H-b .. H-1 standing on the bottom edge, or rows 0 .. b-1 hanging from the top edge.
class Throughput : public QFrame
{
    Q_OBJECT

public:
    explicit Throughput(QWidget* parent = nullptr);

    qint32 Max() const { return m_max; }
    void setMax(qint32 value);
    qint32 BarWidth() const { return m_barWidth; }
    void setBarWidth(qint32 value);
    // The colours take effect with the next bar or clearing; the picture is kept.
    QColor BackColor() const { return m_backColor.resolved(); }
    void setBackColor(const GraphColor& value) { m_backColor = value; }
    QColor ForeColor() const { return m_foreColor.resolved(); }
    void setForeColor(const GraphColor& value) { m_foreColor = value; }
    // A plain one-pixel box rather than a sunken two-pixel panel.
    bool Flat() const { return m_flat; }
    void setFlat(bool value);
    bool Inverted() const { return m_inverted; }
    void setInverted(bool value);

    // Pushes one sample: scroll left by BarWidth, erase the newest strip, draw the bar. Throws ThroughputError.
    void Update(qint32 sample);
    // Update(sample) count times, of which only those whose bars can still be seen are drawn or queued.
    void UpdateMany(qint32 sample, quint64 count);
    // The picture shows no bar: more empty bars than fit across came since the last one, or none since it was
    // cleared. An empty bar then changes nothing and is neither drawn nor queued.
    bool empty() const { return m_empty; }
    // Takes the inner size in the screen's pixels as the surface's W x H and clears it to BackColor.
    void Resize();

    // The picture, with any queued bars drawn.
    const QImage& surface();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void applyAppearance();
    QSize surfaceSize(qreal dpr) const;
    void drawBar(qint32 barWidth, std::optional<qint32> bar);
    void drawQueued();
    void copyWithin(qint32 width, qint32 height, qint32 dx);
    void fillBetween(qint64 x1, qint64 y1, qint64 x2, qint64 y2, QRgb colour);

    qint32 m_max = 100;
    qint32 m_barWidth = 2;
    GraphColor m_backColor {QPalette::Active, QPalette::Button};
    GraphColor m_foreColor {QPalette::Active, QPalette::ButtonText};
    bool m_flat = false;
    bool m_inverted = false;
    qint32 m_width = 0;
    qint32 m_height = 0;
    QImage m_surface;
    // The surface's device pixel ratio, kept here so that a hidden update does not reach into the image.
    qreal m_surfaceScale = 1.0;
    // Bars Update queued while hidden (none: only the scroll), a ring whose oldest entry is at m_queuedFirst.
    std::vector<std::optional<qint32>> m_queued;
    std::size_t m_queuedFirst = 0;
    // Empty bars in m_emptyColour since the last bar or other colour, until the picture is empty.
    std::size_t m_emptyBars = 0;
    QRgb m_emptyColour = 0;
    bool m_empty = true;
};
