#pragma once

#include "PropertyBag.h"

#include <QFrame>
#include <QImage>
#include <QString>

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
    static constexpr char publishedName[] = "Zovodazad.Throughput";

    explicit Throughput(QWidget* parent = nullptr);

    qint32 Max() const { return m_max; }
    void setMax(qint32 value);
    qint32 BarWidth() const { return m_barWidth; }
    void setBarWidth(qint32 value);
    // Colours as stored: 0x00BBGGRR, or a system colour index with the top bit set (see oleColor).
    quint32 BackColor() const { return m_backColor; }
    void setBackColor(quint32 value);
    quint32 ForeColor() const { return m_foreColor; }
    void setForeColor(quint32 value);
    // True when the appearance is flat (0), false when three-dimensional (1).
    bool Flat() const { return m_appearance == 0; }
    void setFlat(bool value);
    bool Inverted() const { return m_inverted; }
    void setInverted(bool value);

    // Pushes one sample: scroll left by BarWidth, erase the newest strip, draw the bar. Throws ThroughputError.
    void Update(qint32 sample);
    // Update(sample) count times, of which only those whose bars can still be seen are drawn or queued.
    void UpdateMany(qint32 sample, quint64 count);
    // Takes the inner size in the screen's pixels as the surface's W x H and clears it to BackColor.
    void Resize();

    void InitProperties();
    // A stored value that cannot be converted keeps the property as it was; the others still load.
    void ReadProperties(const PropertyBag& bag);
    void WriteProperties(PropertyBag& bag) const;

    // The stored settings of the monitor window's two graphs.
    static MapPropertyBag storedDownGraph();
    static MapPropertyBag storedUpGraph();

    // The picture, with any queued bars drawn.
    const QImage& surface();

Q_SIGNALS:
    // Tells the container that the persisted state differs from what it stored.
    void propertyChanged(const QString& name);

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
    quint32 m_backColor;
    quint32 m_foreColor;
    int m_appearance = 1;
    bool m_inverted = false;
    qint32 m_width = 0;
    qint32 m_height = 0;
    QImage m_surface;
    // The surface's device pixel ratio, kept here so that a hidden update does not reach into the image.
    qreal m_surfaceScale = 1.0;
    // Bars Update queued while hidden (none: only the scroll), a ring whose oldest entry is at m_queuedFirst.
    std::vector<std::optional<qint32>> m_queued;
    std::size_t m_queuedFirst = 0;
};
