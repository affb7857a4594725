#include "LogChart.h"

#include <QAreaSeries>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QLineSeries>
#include <QScatterSeries>
#include <QStackedBarSeries>
#include <QStackedLayout>
#include <QToolTip>
#include <QValueAxis>
#include <QtDataVisualization/Q3DCamera>
#include <QtDataVisualization/Q3DScene>
#include <QtDataVisualization/Q3DSurface>
#include <QtDataVisualization/Q3DTheme>
#include <QtDataVisualization/QSurface3DSeries>
#include <QtDataVisualization/QSurfaceDataProxy>
#include <QtDataVisualization/QValue3DAxis>
#include <QtDataVisualization/QValue3DAxisFormatter>
#include <algorithm>
#include <cmath>

namespace {

// Half the width of a bar, and of a series' slab in depth, in units of one period or one series.
constexpr double BarHalfWidth = 0.35;
// The width a period's group of flat bars takes, in units of one period.
constexpr double BarGroupWidth = 0.8;
constexpr float SlabHalfDepth = 0.3f;
constexpr float LineHalfDepth = 0.1f;
// Half the height of a 3-D line, as a share of the value axis.
constexpr double LineHalfHeight = 0.012;
// A stacked series is drawn a little slimmer than the one below it, so that the lower one's walls hide the
// part of it that reaches down to the floor.
constexpr double StackShrink = 0.94;

// Upload, download and total.
QColor seriesColor(int column)
{
    static const QColor colors[] = {QColor(0xe0, 0x7b, 0x28), QColor(0x2f, 0x6f, 0xc4), QColor(0x4f, 0x9a, 0x3c)};
    return colors[std::clamp(column, 0, 2)];
}

// The estimate is the total's colour, lighter: what the total is expected to become.
QColor estimateColor()
{
    return seriesColor(2).lighter(160);
}

// The height the estimate is drawn at: a total grows to it, so it never lies below what the row already holds.
double estimateTop(const ChartGrid& grid, const QVector<QVector<double>>& tops)
{
    return std::max(grid.estimate, tops.last().at(grid.estimateRow));
}

QVector<double> columnValues(const ChartGrid& grid, int column)
{
    QVector<double> values(grid.rowCount());
    for (int r = 0; r < grid.rowCount(); ++r)
        values[r] = grid.value(r, column);
    return values;
}

// The height each column reaches: its own value, or the running sum of the stack when stacked.
QVector<QVector<double>> columnTops(const ChartGrid& grid)
{
    QVector<QVector<double>> tops;
    for (int c = 0; c < grid.columnCount(); ++c) {
        QVector<double> values = columnValues(grid, c);
        if (grid.stacked && c > 0) {
            for (int r = 0; r < values.size(); ++r)
                values[r] += tops.last().at(r);
        }
        tops.append(values);
    }
    return tops;
}

// The value axis: from 0 (or the lowest value when one is negative) to a round number above the highest value,
// in ticks of 1, 2, 2.5 or 5 times a power of ten.
struct ValueRange
{
    double min = 0.0;
    double max = 1.0;
    double step = 0.2;
    int ticks() const { return static_cast<int>(std::lround((max - min) / step)) + 1; }
    // Enough decimals to write every tick exactly (2.5 needs one).
    int decimals() const
    {
        int d = 0;
        for (double scaled = step; d < 6 && std::abs(scaled - std::round(scaled)) > 1e-6 * scaled; scaled *= 10)
            ++d;
        return d;
    }
};

double niceStep(double span)
{
    const double raw = span / 5.0;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    for (double factor : {1.0, 2.0, 2.5, 5.0}) {
        if (raw <= factor * magnitude * (1.0 + 1e-9))
            return factor * magnitude;
    }
    return 10.0 * magnitude;
}

ValueRange valueRange(const QVector<QVector<double>>& tops)
{
    double lo = 0.0;
    double hi = 0.0;
    for (const QVector<double>& column : tops) {
        for (double v : column) {
            if (std::isfinite(v)) {
                lo = std::min(lo, v);
                hi = std::max(hi, v);
            }
        }
    }
    ValueRange range;
    // Nothing logged reads 0 to 1 of the unit; a day of a few bytes still gets an axis of at most three decimals.
    if (!(hi - lo > 0.0))
        return range;
    const double span = std::max(hi - lo, 0.001);
    range.step = niceStep(span);
    range.min = std::floor(lo / range.step) * range.step;
    range.max = std::max(std::ceil(hi / range.step) * range.step, range.min + range.step);
    return range;
}

// Qt's category axes key their categories by text, so equal labels (the same week number in two years) are
// told apart by invisible zero-width spaces.
QStringList distinctLabels(const QStringList& labels)
{
    QStringList result;
    for (const QString& label : labels) {
        QString text = label;
        while (result.contains(text))
            text += QChar(0x200B);
        result.append(text);
    }
    return result;
}

// Where a row's points lie along the category axis. A single row of an area gets a short flat stretch, so that it
// is visible; a line's single row is one point, shown by its marker.
QVector<QPointF> rowPoints(const QVector<double>& values, bool stretchSingle = true)
{
    QVector<QPointF> points;
    if (values.size() == 1 && stretchSingle) {
        points << QPointF(-BarHalfWidth, values.first()) << QPointF(BarHalfWidth, values.first());
        return points;
    }
    for (int r = 0; r < values.size(); ++r)
        points << QPointF(r, values.at(r));
    return points;
}

QLineSeries* lineSeries(const QVector<QPointF>& points, QObject* parent)
{
    auto* series = new QLineSeries(parent);
    series->replace(QList<QPointF>(points.cbegin(), points.cend()));
    return series;
}

// Labels the integer positions of a value axis with texts, for the 3-D axes of periods and series.
class CategoryFormatter : public QValue3DAxisFormatter
{
    Q_OBJECT
public:
    explicit CategoryFormatter(QStringList labels = {}, QObject* parent = nullptr)
        : QValue3DAxisFormatter(parent)
        , m_labels(std::move(labels))
    {
    }

protected:
    QValue3DAxisFormatter* createNewInstance() const override { return new CategoryFormatter(); }

    void populateCopy(QValue3DAxisFormatter& copy) const override
    {
        QValue3DAxisFormatter::populateCopy(copy);
        static_cast<CategoryFormatter&>(copy).m_labels = m_labels;
    }

    void recalculate() override
    {
        const float min = axis()->min();
        const float span = axis()->max() - min;
        gridPositions().clear();
        subGridPositions().clear();
        labelPositions().clear();
        labelStrings().clear();
        if (!(span > 0.0f))
            return;
        for (int i = 0; i < m_labels.size(); ++i) {
            labelPositions().append((float(i) - min) / span);
            labelStrings().append(m_labels.at(i));
        }
        for (int i = 0; i <= m_labels.size(); ++i)
            gridPositions().append((float(i) - 0.5f - min) / span);
    }

    QString stringForValue(qreal value, const QString&) const override
    {
        const int i = static_cast<int>(std::lround(value));
        return i >= 0 && i < m_labels.size() ? m_labels.at(i) : QString();
    }

private:
    QStringList m_labels;
};

// A solid piece of a 3-D series between depths z0 and z1: its front wall, top and back wall, from the bottom to the
// top outline along the period axis.
struct Piece3D
{
    QVector<double> xs;
    QVector<double> bottoms;
    QVector<double> tops;
    float z0 = 0.0f;
    float z1 = 0.0f;

    void add(double x, double bottom, double top)
    {
        xs.append(x);
        bottoms.append(bottom);
        tops.append(top);
    }

    QSurfaceDataArray* surfaceRows() const
    {
        auto row = [this](float z, const QVector<double>& ys) {
            auto* data = new QSurfaceDataRow(xs.size());
            for (int i = 0; i < xs.size(); ++i)
                (*data)[i].setPosition(QVector3D(float(xs.at(i)), float(ys.at(i)), z));
            return data;
        };
        auto* rows = new QSurfaceDataArray;
        *rows << row(z0, bottoms) << row(z0, tops) << row(z1, tops) << row(z1, bottoms);
        return rows;
    }
};

// The pieces of one series in 3-D at depth z: a box per period for bars (each its own piece, so that nothing
// joins them), a slab under the joined values for an area, closed down to the floor at both ends, and a thin band
// around the joined values for a line. A single period gets a short flat stretch, so that it shows.
QVector<Piece3D> pieces3D(ChartGrid::Look look, const QVector<double>& values, double shrink, const ValueRange& range,
                          float z)
{
    const double floor = range.min;
    const double w = BarHalfWidth * shrink;
    Piece3D piece;
    const float depth = (look == ChartGrid::Look::Line ? LineHalfDepth : SlabHalfDepth) * float(shrink);
    piece.z0 = z - depth;
    piece.z1 = z + depth;
    QVector<Piece3D> pieces;
    if (look == ChartGrid::Look::Bars) {
        for (int r = 0; r < values.size(); ++r) {
            Piece3D box = piece;
            box.add(r - w, floor, floor);
            box.add(r - w, floor, values.at(r));
            box.add(r + w, floor, values.at(r));
            box.add(r + w, floor, floor);
            pieces.append(box);
        }
        return pieces;
    }
    QVector<double> xs;
    QVector<double> ys;
    if (values.size() == 1) {
        xs = {-w, w};
        ys = {values.first(), values.first()};
    } else {
        const double inset = (1.0 - shrink) / 2.0;
        for (int r = 0; r < values.size(); ++r) {
            xs.append(r == 0 ? inset : r == values.size() - 1 ? r - inset : r);
            ys.append(values.at(r));
        }
    }
    if (look == ChartGrid::Look::Line) {
        const double half = (range.max - range.min) * LineHalfHeight;
        for (int i = 0; i < xs.size(); ++i)
            piece.add(xs.at(i), ys.at(i) - half, ys.at(i) + half);
    } else {
        piece.add(xs.first(), floor, floor);
        for (int i = 0; i < xs.size(); ++i)
            piece.add(xs.at(i), floor, ys.at(i));
        piece.add(xs.last(), floor, floor);
    }
    pieces.append(piece);
    return pieces;
}

} // namespace

LogChart::LogChart(QWidget* parent)
    : QWidget(parent)
{
    m_pages = new QStackedLayout(this);
    m_pages->setContentsMargins(0, 0, 0, 0);
    m_view2D = new QChartView(this);
    m_view2D->setRenderHint(QPainter::Antialiasing);
    m_view2D->setFrameShape(QFrame::NoFrame);
    // The periods' figures show on hover, without a button pressed.
    m_view2D->viewport()->setMouseTracking(true);
    m_view2D->viewport()->installEventFilter(this);
    m_pages->addWidget(m_view2D);
}

QWidget* LogChart::viewport() const
{
    return m_view2D->viewport();
}

// Anywhere above a period in the plot, its figures show as the tooltip: the category under the mouse, whatever the
// look. The event is taken here, or the scene would answer it with the tooltip of the item under the mouse, and the
// chart's items have none.
bool LogChart::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_view2D->viewport() || event->type() != QEvent::ToolTip || !chart())
        return QWidget::eventFilter(watched, event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QPointF at = chart()->mapFromScene(m_view2D->mapToScene(help->pos()));
    const int row = static_cast<int>(std::lround(chart()->mapToValue(at).x()));
    if (chart()->plotArea().contains(at) && row >= 0 && row < m_tips.size())
        QToolTip::showText(help->globalPos(), m_tips.at(row), m_view2D->viewport());
    else
        QToolTip::hideText();
    return true;
}

void LogChart::setLegendWidth(int pixels)
{
    m_legendWidth = pixels;
    if (m_legend3D)
        m_legend3D->setFixedWidth(pixels);
    if (QChart* c = chart())
        c->legend()->setMinimumWidth(std::max(0, pixels - c->margins().right()));
}

QChart* LogChart::chart() const
{
    return m_view2D->chart();
}

void LogChart::draw(const ChartGrid& grid, const QStringList& tips)
{
    m_grid = grid;
    m_tips = tips;
    m_drawn = true;
    if (ChartGrid::isThreeD(m_grid.type) && ensure3D()) {
        draw3D();
        return;
    }
    draw2D(ChartGrid::isThreeD(m_grid.type) ? tr("3-D charts need OpenGL, which is not available; drawn flat.")
                                            : QString());
}

// The chart takes its colours from the palette when it is drawn: a new palette draws it again.
void LogChart::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    const bool palette = event->type() == QEvent::PaletteChange;
    if (m_surface && (palette || event->type() == QEvent::FontChange))
        apply3DTheme();
    if (palette && m_drawn)
        draw(ChartGrid(m_grid), QStringList(m_tips));
}

void LogChart::draw2D(const QString& note)
{
    auto* chart = new QChart;
    chart->setLocalizeNumbers(true);
    chart->setTitle(note);
    // The chart follows the window's palette and font, dark or light, large or small.
    const QPalette pal = palette();
    chart->setBackgroundBrush(pal.color(QPalette::Base));
    chart->setTitleBrush(pal.color(QPalette::Text));
    chart->setTitleFont(font());
    chart->legend()->setAlignment(Qt::AlignRight);
    chart->legend()->setLabelColor(pal.color(QPalette::Text));
    chart->legend()->setFont(font());
    chart->setMargins(QMargins(6, 6, 6, 6));
    chart->legend()->setMinimumWidth(std::max(0, m_legendWidth - chart->margins().right()));

    auto* xAxis = new QBarCategoryAxis(chart);
    xAxis->append(distinctLabels(m_grid.rowLabels()));
    if (m_grid.rowCount() > 8)
        xAxis->setLabelsAngle(-90);
    chart->addAxis(xAxis, Qt::AlignBottom);
    styleAxis(xAxis);

    const QVector<QVector<double>> tops = columnTops(m_grid);
    const bool estimated = m_grid.estimateRow >= 0 && m_grid.estimateRow < m_grid.rowCount();
    const ValueRange range
        = valueRange(estimated ? tops + QVector<QVector<double>> {{estimateTop(m_grid, tops)}} : tops);
    auto* yAxis = new QValueAxis(chart);
    yAxis->setTitleText(m_grid.unit);
    yAxis->setRange(range.min, range.max);
    yAxis->setTickCount(range.ticks());
    yAxis->setLabelFormat(QStringLiteral("%.%1f").arg(range.decimals()));
    chart->addAxis(yAxis, Qt::AlignLeft);
    styleAxis(yAxis);

    QList<QAbstractSeries*> series;
    switch (ChartGrid::lookOf(m_grid.type)) {
    case ChartGrid::Look::Area: {
        QVector<QPointF> lower = rowPoints(QVector<double>(m_grid.rowCount(), 0.0));
        for (int c = 0; c < m_grid.columnCount(); ++c) {
            const QVector<QPointF> upper = rowPoints(tops.at(c));
            auto* area = new QAreaSeries(lineSeries(upper, chart), lineSeries(lower, chart));
            area->setName(m_grid.columnLabel(c));
            QColor fill = seriesColor(c);
            fill.setAlpha(m_grid.stacked ? 230 : 170);
            area->setBrush(fill);
            area->setPen(QPen(seriesColor(c).darker(130), 1.5));
            series.append(area);
            if (m_grid.stacked)
                lower = upper;
        }
        // Overlapping areas: the largest, drawn first, stays behind; the legend still lists the columns in order.
        if (!m_grid.stacked) {
            std::reverse(series.begin(), series.end());
            chart->legend()->setReverseMarkers(true);
        }
        break;
    }
    case ChartGrid::Look::Line:
        for (int c = 0; c < m_grid.columnCount(); ++c) {
            QLineSeries* line = lineSeries(rowPoints(tops.at(c), false), chart);
            line->setName(m_grid.columnLabel(c));
            line->setPen(QPen(seriesColor(c), 2.5));
            line->setColor(seriesColor(c));
            line->setPointsVisible(true);
            line->setMarkerSize(7);
            series.append(line);
        }
        break;
    case ChartGrid::Look::Bars: {
        QAbstractBarSeries* bars
            = m_grid.stacked ? static_cast<QAbstractBarSeries*>(new QStackedBarSeries(chart)) : new QBarSeries(chart);
        for (int c = 0; c < m_grid.columnCount(); ++c) {
            auto* set = new QBarSet(m_grid.columnLabel(c), bars);
            for (int r = 0; r < m_grid.rowCount(); ++r)
                set->append(m_grid.value(r, c));
            set->setColor(seriesColor(c));
            set->setBorderColor(seriesColor(c).darker(130));
            bars->append(set);
        }
        bars->setBarWidth(BarGroupWidth);
        series.append(bars);
        break;
    }
    }
    if (estimated) {
        auto* mark = new QScatterSeries(chart);
        mark->setName(tr("Estimate"));
        mark->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
        mark->setMarkerSize(12);
        mark->setColor(estimateColor());
        mark->setBorderColor(seriesColor(2));
        // Above the total: side by side bars put it right of the period's middle, as the last of the group.
        const int n = m_grid.columnCount();
        const bool sideBySide = ChartGrid::lookOf(m_grid.type) == ChartGrid::Look::Bars && !m_grid.stacked;
        mark->append(m_grid.estimateRow + (sideBySide ? BarGroupWidth * (n - 1) / (2.0 * n) : 0.0),
                     estimateTop(m_grid, tops));
        series.append(mark);
    }
    for (QAbstractSeries* s : series) {
        chart->addSeries(s);
        s->attachAxis(xAxis);
        s->attachAxis(yAxis);
    }

    QChart* old = m_view2D->chart();
    m_view2D->setChart(chart);
    delete old;
    m_pages->setCurrentWidget(m_view2D);
}

void LogChart::styleAxis(QAbstractAxis* axis) const
{
    const QPalette pal = palette();
    axis->setLabelsColor(pal.color(QPalette::Text));
    axis->setLabelsFont(font());
    axis->setTitleBrush(pal.color(QPalette::Text));
    QFont title = font();
    title.setBold(true);
    axis->setTitleFont(title);
    axis->setLinePenColor(pal.color(QPalette::Mid));
    axis->setGridLineColor(pal.color(QPalette::Midlight));
}

bool LogChart::ensure3D()
{
    if (m_surface)
        return true;
    if (m_noOpenGL)
        return false;
    auto* surface = new Q3DSurface;
    if (!surface->hasContext()) {
        // Without OpenGL (a remote display, the offscreen platform) the graph cannot draw at all.
        delete surface;
        m_noOpenGL = true;
        return false;
    }
    m_surface = surface;
    m_surface->setShadowQuality(QAbstract3DGraph::ShadowQualityNone);
    m_surface->setSelectionMode(QAbstract3DGraph::SelectionItem);
    m_surface->setLocale(QLocale());
    m_surface->setOrthoProjection(true);
    m_surface->scene()->activeCamera()->setCameraPosition(-30.0f, 25.0f, 100.0f);

    m_surface->activeTheme()->setType(Q3DTheme::ThemeQt);
    apply3DTheme();

    m_surface->setAxisX(new QValue3DAxis);
    m_surface->setAxisY(new QValue3DAxis);
    m_surface->setAxisZ(new QValue3DAxis);
    // The unit title turns to face the viewer like the labels, instead of lying along the axis.
    m_surface->axisY()->setTitleVisible(true);
    m_surface->axisY()->setTitleFixed(false);
    m_surface->axisY()->setLabelAutoRotation(90.0f);

    m_page3D = new QWidget(this);
    auto* row = new QHBoxLayout(m_page3D);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(QWidget::createWindowContainer(m_surface, m_page3D), 1);
    m_legend3D = new QWidget(m_page3D);
    m_legend3D->setAutoFillBackground(true);
    m_legend3D->setBackgroundRole(QPalette::Base);
    m_legend3D->setFixedWidth(m_legendWidth);
    auto* entries = new QGridLayout(m_legend3D);
    entries->setContentsMargins(6, 0, 6, 0);
    entries->setHorizontalSpacing(6);
    m_selected3D = new QLabel(m_legend3D);
    m_selected3D->setObjectName(QStringLiteral("LblSelected"));
    m_selected3D->setWordWrap(true);
    row->addWidget(m_legend3D);
    m_pages->addWidget(m_page3D);
    return true;
}

// The 3-D chart follows the palette like the flat one. The graph draws its labels as textures at 50 points whatever
// the font, and shows them at a size that follows the theme font's. Set only when the graph is made and when the
// palette or the font changes: any theme setting, even to the same value, has the graph draw every label again.
void LogChart::apply3DTheme()
{
    const QPalette pal = palette();
    Q3DTheme* theme = m_surface->activeTheme();
    theme->setWindowColor(pal.color(QPalette::Base));
    theme->setBackgroundColor(pal.color(QPalette::AlternateBase));
    theme->setGridLineColor(pal.color(QPalette::Mid));
    theme->setLabelTextColor(pal.color(QPalette::Text));
    theme->setLabelBackgroundEnabled(false);
    theme->setLabelBorderEnabled(false);
    QFont labelFont = font();
    labelFont.setPointSizeF(labelFont.pointSizeF() * 2.5);
    theme->setFont(labelFont);
}

void LogChart::draw3D()
{
    const ChartGrid::Look look = ChartGrid::lookOf(m_grid.type);
    const QVector<QVector<double>> heights = columnTops(m_grid);
    const bool estimated = m_grid.estimateRow >= 0 && m_grid.estimateRow < m_grid.rowCount();
    const ValueRange range
        = valueRange(estimated ? heights + QVector<QVector<double>> {{estimateTop(m_grid, heights)}} : heights);
    const int rows = m_grid.rowCount();
    const int depthSlots = m_grid.stacked ? 1 : m_grid.columnCount();

    // The pieces go into the series of the last drawing first: a new series costs the graph its textures and
    // buffers, new data in one it has only the buffers.
    const QList<QSurface3DSeries*> old = m_surface->seriesList();
    qsizetype used = 0;
    const auto add = [this, &old, &used](const QString& name, const Piece3D& piece, const QColor& color) {
        QSurface3DSeries* series = used < old.size() ? old.at(used) : nullptr;
        ++used;
        if (!series) {
            series = new QSurface3DSeries;
            series->setDrawMode(QSurface3DSeries::DrawSurface);
            series->setFlatShadingEnabled(true);
            series->setColorStyle(Q3DTheme::ColorStyleUniform);
            series->setItemLabelFormat(QString());
            // A picked item names its period's figures beside the graph.
            connect(series, &QSurface3DSeries::selectedPointChanged, this, [this, series](const QPoint& at) {
                if (at.x() >= 0 && at.y() >= 0)
                    showSelected3D(int(std::lround(series->dataProxy()->itemAt(at)->x())));
            });
            m_surface->addSeries(series);
        }
        series->setName(name);
        series->setBaseColor(color);
        series->dataProxy()->resetArray(piece.surfaceRows());
    };
    for (int c = 0; c < m_grid.columnCount(); ++c) {
        const double shrink = m_grid.stacked ? std::pow(StackShrink, c) : 1.0;
        const float z = m_grid.stacked ? 0.0f : float(c);
        for (const Piece3D& piece : pieces3D(look, heights.at(c), shrink, range, z))
            add(m_grid.columnLabel(c), piece, seriesColor(c));
    }
    // The estimate: a lighter block on the total, from what it holds up to what it is expected to reach.
    if (estimated) {
        const int last = m_grid.columnCount() - 1;
        const double shrink = m_grid.stacked ? std::pow(StackShrink, last) : 1.0;
        const float z = m_grid.stacked ? 0.0f : float(last);
        const double w = BarHalfWidth * shrink;
        const double held = heights.at(last).at(m_grid.estimateRow);
        const double top = estimateTop(m_grid, heights);
        Piece3D block;
        block.z0 = z - SlabHalfDepth * float(shrink);
        block.z1 = z + SlabHalfDepth * float(shrink);
        block.add(m_grid.estimateRow - w, held, held);
        block.add(m_grid.estimateRow - w, held, top);
        block.add(m_grid.estimateRow + w, held, top);
        block.add(m_grid.estimateRow + w, held, held);
        add(tr("Estimate"), block, estimateColor());
    }
    for (QSurface3DSeries* s : old.mid(used)) {
        m_surface->removeSeries(s);
        delete s;
    }
    m_selected3D->clear();

    QValue3DAxis* xAxis = m_surface->axisX();
    xAxis->setFormatter(new CategoryFormatter(m_grid.rowLabels()));
    xAxis->setRange(-0.5f, float(rows) - 0.5f);
    xAxis->setLabelAutoRotation(90.0f);

    QStringList depthLabels;
    for (int c = 0; c < depthSlots && !m_grid.stacked; ++c)
        depthLabels.append(m_grid.columnLabel(c));
    QValue3DAxis* zAxis = m_surface->axisZ();
    zAxis->setFormatter(new CategoryFormatter(depthLabels));
    zAxis->setRange(-0.5f, float(depthSlots) - 0.5f);
    zAxis->setLabelAutoRotation(90.0f);

    QValue3DAxis* yAxis = m_surface->axisY();
    yAxis->setTitle(m_grid.unit);
    yAxis->setRange(float(range.min), float(range.max));
    yAxis->setSegmentCount(range.ticks() - 1);
    yAxis->setLabelFormat(QStringLiteral("%.%1f").arg(range.decimals()));
    // The value labels stand beside the graph on both sides; the camera stands back as far as the widest of them
    // needs to stay inside the view, up to 13 characters.
    const qsizetype widest = QLocale().toString(std::max(std::abs(range.min), range.max), 'f', range.decimals()).size();
    m_surface->scene()->activeCamera()->setZoomLevel(float(std::clamp(104.0 - 3.6 * double(widest), 57.0, 90.0)));
    // The periods run along the longer side, the series in depth.
    m_surface->setHorizontalAspectRatio(std::clamp(0.6 * rows / depthSlots, 1.0, 6.0));

    auto* entries = static_cast<QGridLayout*>(m_legend3D->layout());
    entries->removeWidget(m_selected3D);
    while (QLayoutItem* item = entries->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    for (int r = 0; r < entries->rowCount(); ++r)
        entries->setRowStretch(r, 0);
    entries->setRowStretch(0, 1);
    const auto entry = [this, entries](int at, const QString& name, const QColor& color) {
        auto* swatch = new QLabel(m_legend3D);
        swatch->setFixedSize(12, 12);
        swatch->setStyleSheet(
            QStringLiteral("background: %1; border: 1px solid %2;").arg(color.name(), color.darker(130).name()));
        entries->addWidget(swatch, at, 0);
        entries->addWidget(new QLabel(name, m_legend3D), at, 1);
    };
    for (int c = 0; c < m_grid.columnCount(); ++c)
        entry(c + 1, m_grid.columnLabel(c), seriesColor(c));
    const int below = m_grid.columnCount() + (estimated ? 2 : 1);
    if (estimated)
        entry(below - 1, tr("Estimate"), estimateColor());
    entries->addWidget(m_selected3D, below, 0, 1, 2);
    entries->setRowStretch(below + 1, 1);
    m_pages->setCurrentWidget(m_page3D);
}

void LogChart::showSelected3D(int row)
{
    m_selected3D->setText(row >= 0 && row < m_tips.size() ? m_tips.at(row) : QString());
}

#include "LogChart.moc"
