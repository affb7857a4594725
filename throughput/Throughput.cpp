#include "Throughput.h"

#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

QColor GraphColor::resolved() const
{
    return m_role == QPalette::NoRole ? m_fixed : QGuiApplication::palette().color(m_group, m_role);
}

ThroughputError::ThroughputError(Kind kind)
    : std::runtime_error(kind == Kind::Division ? "Throughput: division by zero" : "Throughput: overflow")
    , m_kind(kind)
{
}

Throughput::Throughput(QWidget* parent)
    : QFrame(parent)
{
    // The frame and the surface cover every pixel.
    setAttribute(Qt::WA_OpaquePaintEvent);
    applyAppearance();
}

void Throughput::setMax(qint32 value)
{
    m_max = value;
    Resize();
}

void Throughput::setBarWidth(qint32 value)
{
    m_barWidth = value;
    Resize();
}

void Throughput::setFlat(bool value)
{
    m_flat = value;
    applyAppearance();
    Resize();
}

void Throughput::setInverted(bool value)
{
    m_inverted = value;
    Resize();
}

void Throughput::applyAppearance()
{
    setFrameStyle(m_flat ? QFrame::Box | QFrame::Plain : QFrame::Panel | QFrame::Sunken);
    setLineWidth(m_flat ? 1 : 2);
}

// The surface has the screen's own pixels, so bars are as sharp at 200 % as at 100 %.
QSize Throughput::surfaceSize(qreal dpr) const
{
    const QRect inner = contentsRect();
    return {std::max(0, int(std::nearbyint(inner.width() * dpr))),
            std::max(0, int(std::nearbyint(inner.height() * dpr)))};
}

void Throughput::Resize()
{
    const qreal dpr = devicePixelRatioF();
    const QSize size = surfaceSize(dpr);
    m_width = size.width();
    m_height = size.height();
    if (m_surface.width() != m_width || m_surface.height() != m_height)
        m_surface = QImage(m_width, m_height, QImage::Format_RGB32);
    m_surface.setDevicePixelRatio(dpr);
    m_surfaceScale = dpr;
    const QColor back = m_backColor.resolved();
    m_surface.fill(back);
    m_queued.clear();
    m_queuedFirst = 0;
    m_empty = true;
    m_emptyBars = 0;
    m_emptyColour = back.rgb();
    update();
}

[[gnu::hot]] void Throughput::Update(qint32 sample)
{
    // BarWidth counts pixels at 100 %; on a scaled screen a bar keeps its width on the screen.
    const double scaledBar = std::nearbyint(double(m_barWidth) * m_surfaceScale);
    if (!(scaledBar >= std::numeric_limits<qint32>::min() && scaledBar <= std::numeric_limits<qint32>::max()))
        throw ThroughputError(ThroughputError::Kind::Overflow);
    const qint32 barWidth = qint32(scaledBar);
    qint32 unused = 0;
    if (qAddOverflow(m_width, 1, &unused) || qAddOverflow(m_height, 1, &unused) || qSubOverflow(0, barWidth, &unused))
        throw ThroughputError(ThroughputError::Kind::Overflow);

    std::optional<qint32> bar;
    std::optional<ThroughputError> error;
    if (sample > 0 && m_max == 0) {
        error = ThroughputError(ThroughputError::Kind::Division);
    } else if (sample > 0) {
        const double height = std::nearbyint(double(sample) / double(m_max) * double(m_height) - 1.0);
        if (height >= std::numeric_limits<qint32>::min() && height <= std::numeric_limits<qint32>::max())
            bar = qint32(height);
        else
            error = ThroughputError(ThroughputError::Kind::Overflow);
    }

    // One bar more than fits across: replayed, they cover every column, so older ones need not be kept. Widths
    // that do not scroll left draw at once.
    const std::size_t capacity = barWidth > 0 ? std::size_t(m_width / barWidth) + 1 : 0;
    if (bar || error || capacity == 0) {
        m_emptyBars = 0;
        m_empty = false;
    } else {
        // Empty bars in another background colour (a new desktop scheme) paint the picture anew, strip by strip.
        if (const QRgb back = m_backColor.resolved().rgb(); back != m_emptyColour) {
            m_emptyColour = back;
            m_emptyBars = 0;
            m_empty = false;
        }
        if (m_empty)
            return;
        m_empty = ++m_emptyBars >= capacity;
    }
    if (isVisible() || capacity == 0) {
        drawQueued();
        drawBar(barWidth, bar);
        // The picture inside the frame is blitted again; the frame stays as it was.
        update(contentsRect());
    } else if (m_queued.size() < capacity) {
        m_queued.push_back(bar);
    } else {
        m_queued[m_queuedFirst] = bar;
        m_queuedFirst = (m_queuedFirst + 1) % m_queued.size();
    }
    // Errors come after the picture has scrolled and the newest strip was erased.
    if (error)
        throw *error;
}

[[gnu::hot]] void Throughput::UpdateMany(qint32 sample, quint64 count)
{
    const auto barWidth = qint64(std::nearbyint(double(m_barWidth) * m_surfaceScale));
    // One bar more than fits across covers every column; a bar that does not move covers the same strip each time.
    const quint64 seen = barWidth != 0 ? quint64(m_width / std::abs(barWidth)) + 1 : 1;
    for (quint64 k = std::min(count, seen); k > 0; --k)
        Update(sample);
}

// One Update's pixel work: scroll left by barWidth, erase the newest strip, draw the bar if there is one.
void Throughput::drawBar(qint32 barWidth, std::optional<qint32> bar)
{
    copyWithin(m_width + 1, m_height + 1, -barWidth);
    const qint64 strip = qint64(m_width) - barWidth;
    fillBetween(m_width, m_height, strip, 0, m_backColor.resolved().rgb());
    if (!bar)
        return;
    const QRgb fore = m_foreColor.resolved().rgb();
    if (m_inverted)
        fillBetween(m_width, 0, strip, *bar, fore);
    else
        fillBetween(m_width, m_height, strip, qint64(m_height) - *bar, fore);
}

void Throughput::drawQueued()
{
    if (m_queued.empty())
        return;
    const auto barWidth = qint32(std::nearbyint(double(m_barWidth) * m_surfaceScale));
    for (std::size_t k = 0; k < m_queued.size(); ++k)
        drawBar(barWidth, m_queued[(m_queuedFirst + k) % m_queued.size()]);
    m_queued.clear();
    m_queuedFirst = 0;
    update();
}

const QImage& Throughput::surface()
{
    drawQueued();
    return m_surface;
}

// The rectangle (0, 0, width, height) moves by dx along x, clipped to the surface; pixels that no source pixel
// reaches keep their value. Source and destination share rows, so memmove per row copies the overlap correctly.
void Throughput::copyWithin(qint32 width, qint32 height, qint32 dx)
{
    const qint64 sourceEnd = std::min<qint64>(width, m_surface.width());
    const qint64 first = std::max<qint64>(0, dx);
    const qint64 end = std::min<qint64>(m_surface.width(), sourceEnd + dx);
    if (end <= first)
        return;
    const int rows = int(std::min<qint64>(height, m_surface.height()));
    // One detach check for the whole surface rather than one per row.
    uchar* bits = m_surface.bits();
    const qsizetype stride = m_surface.bytesPerLine();
    for (int y = 0; y < rows; ++y) {
        auto* line = reinterpret_cast<QRgb*>(bits + y * stride);
        std::memmove(line + first, line + (first - dx), size_t(end - first) * sizeof(QRgb));
    }
}

void Throughput::fillBetween(qint64 x1, qint64 y1, qint64 x2, qint64 y2, QRgb colour)
{
    const qint64 left = std::max<qint64>(0, std::min(x1, x2));
    const qint64 right = std::min<qint64>(m_surface.width(), std::max(x1, x2));
    const qint64 top = std::max<qint64>(0, std::min(y1, y2));
    const qint64 bottom = std::min<qint64>(m_surface.height(), std::max(y1, y2));
    if (right <= left || bottom <= top)
        return;
    uchar* bits = m_surface.bits();
    const qsizetype stride = m_surface.bytesPerLine();
    for (qint64 y = top; y < bottom; ++y) {
        auto* line = reinterpret_cast<QRgb*>(bits + y * stride);
        std::fill(line + left, line + right, colour);
    }
}

void Throughput::paintEvent(QPaintEvent* event)
{
    // Moved to a screen of another scale: a new surface, as a resize gives.
    if (m_surface.devicePixelRatio() != devicePixelRatioF())
        Resize();
    drawQueued();
    QPainter painter(this);
    painter.drawImage(contentsRect().topLeft(), m_surface);
    // A new bar repaints only the inside, and the style's frame drawing costs more than the picture's blit.
    if (!contentsRect().contains(event->rect()))
        drawFrame(&painter);
}

void Throughput::resizeEvent(QResizeEvent*)
{
    // A graph laid out while hidden hears of its size only when first shown; if its surface already has that size,
    // the picture and the bars queued since stay.
    const qreal dpr = devicePixelRatioF();
    if (m_surface.isNull() || dpr != m_surfaceScale || surfaceSize(dpr) != QSize(m_width, m_height))
        Resize();
}

void Throughput::showEvent(QShowEvent* event)
{
    QFrame::showEvent(event);
    drawQueued();
    // A window moved to a screen of another scale takes a new surface, as a resize gives.
    if (QWindow* shown = window()->windowHandle())
        connect(shown, &QWindow::screenChanged, this, &Throughput::Resize, Qt::UniqueConnection);
}
