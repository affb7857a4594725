#include "FrmStats.h"

#include "TwipLayout.h"

#include "ChartBuild.h"
#include "LogChart.h"
#include "MessageBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStyle>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <optional>

namespace {

// The window's inner size as designed, in twips.
constexpr int InnerWidth = 9450;
constexpr int InnerHeight = 7275;
// Pixels between the plot and the OK button below the legend.
constexpr int LegendGap = 8;

template<typename T> T* named(T* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

} // namespace

FrmStats::FrmStats(DbConnection& db, const Clock& clock, MessageBoxes& boxes, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_db(db)
    , m_clock(clock)
    , m_boxes(boxes)
    , m_lst23d(named(new QComboBox(this), "lst23d"))
    , m_lstChrtLine(named(new QComboBox(this), "LstChrtLine"))
    , m_chkStacked(named(new QCheckBox(this), "ChkStacked"))
    , m_lblStack(named(new QLabel(tr("Stack"), this), "lblStack"))
    , m_label1(named(new QLabel(tr("Show:"), this), "Label1"))
    , m_lstChartPeriod(named(new QComboBox(this), "LstChartPeriod"))
    , m_chart(named(new LogChart(this), "LogChart"))
    , m_cmdOK(named(new QPushButton(tr("&OK"), this), "CmdOK"))
{
    setObjectName(QStringLiteral("FrmStats"));
    setWindowTitle(QStringLiteral("Zovodazad, Keeps an eye on your downloads..."));

    m_layout.place(m_lst23d, {120, 120, 855, 360});
    m_layout.place(m_lstChrtLine, {1080, 120, 855, 360});
    m_layout.place(m_chkStacked, {2040, 240, 255, 300});
    m_layout.place(m_lblStack, {2280, 270, 735, 255});
    m_layout.place(m_label1, {3720, 120, 1575, 255});
    m_layout.place(m_lstChartPeriod, {5400, 120, 3855, 360});
    m_layout.place(m_chart, {0, 600, 9255, 6615});
    m_layout.place(m_cmdOK, {7680, 6000, 1455, 495});
    m_label1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // The button lies over the chart's legend column. The 3-D graph makes the chart a native window, so the
    // button is one too, raised after every drawing, to stay on top of it.
    m_cmdOK->setAttribute(Qt::WA_NativeWindow);

    // Every pick rebuilds from the database, the entry already chosen included, so picking it again refreshes.
    const auto rebuild = [this] { build(); };
    connect(m_lst23d, &QComboBox::activated, this, rebuild);
    connect(m_lstChrtLine, &QComboBox::activated, this, rebuild);
    connect(m_lstChartPeriod, &QComboBox::activated, this, rebuild);
    connect(m_chkStacked, &QCheckBox::toggled, this, rebuild);
    connect(m_cmdOK, &QPushButton::clicked, this, &QWidget::close);
    connect(new QShortcut(QKeySequence::Cancel, this), &QShortcut::activated, this, &QWidget::close);
    // Screen readers name each control by the text that stands for it on the window.
    m_label1->setBuddy(m_lstChartPeriod);
    m_chkStacked->setAccessibleName(m_lblStack->text());
    m_lst23d->setAccessibleName(tr("Chart dimensions"));
    m_lstChrtLine->setAccessibleName(tr("Chart type"));
    m_chart->setAccessibleName(tr("Volume chart"));

    build();
    fitLayout();
    const QSize inner = m_layout.toPixels({0, 0, InnerWidth, InnerHeight}).size();
    QScreen* screen = QGuiApplication::primaryScreen();
    setGeometry(screen ? QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, inner, screen->availableGeometry())
                       : QRect(QPoint(0, 0), inner));
}

// The layout grows with the font until the lists show their entries and every caption fits.
void FrmStats::fitLayout()
{
    QList<TwipLayout::Need> needs;
    for (const QWidget* w : std::initializer_list<const QWidget*> {m_lst23d, m_lstChrtLine, m_chkStacked, m_lblStack,
                                                                   m_label1, m_lstChartPeriod})
        needs.append(m_layout.need(w, w->sizeHint()));
    const QFontMetrics fm(m_cmdOK->font());
    needs.append(
        m_layout.need(m_cmdOK, {fm.horizontalAdvance(m_cmdOK->text()) + 2 * fm.averageCharWidth(), fm.height() + 2}));
    m_layout.fit(needs);
}

void FrmStats::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        fitLayout();
        layOut();
    }
}

void FrmStats::build()
{
    // The program's own changes to the lists and the box below must not start another build.
    const QSignalBlocker b1(m_lst23d);
    const QSignalBlocker b2(m_lstChrtLine);
    const QSignalBlocker b3(m_lstChartPeriod);
    const QSignalBlocker b4(m_chkStacked);

    m_chart->show();
    const auto fill = [](QComboBox* list, const QStringList& entries) {
        if (list->count() == 0) {
            list->addItems(entries);
            list->setCurrentIndex(0);
        }
    };
    fill(m_lst23d, {tr("3D"), tr("2D")});
    fill(m_lstChrtLine, {tr("Area"), tr("Line"), tr("Bars")});
    fill(m_lstChartPeriod,
         {tr("Volume Per Day (MB)"), tr("Volume Per Week (GB)"), tr("Volume Per Month (GB)"),
          tr("Volume Per Year (GB)")});

    ChartChoice choice;
    choice.threeD = m_lst23d->currentIndex() == 0;
    choice.look = static_cast<ChartGrid::Look>(m_lstChrtLine->currentIndex());
    if (choice.look == ChartGrid::Look::Line) {
        m_chkStacked->setChecked(false);
        m_chkStacked->hide();
        m_lblStack->hide();
    } else {
        m_chkStacked->show();
        m_lblStack->show();
    }
    choice.stackChecked = m_chkStacked->isChecked();
    choice.period = static_cast<ChartPeriod>(m_lstChartPeriod->currentIndex());

    QString error;
    if (!buildChartGrid(choice, m_db, m_rs, m_clock, m_grid, &error)) {
        m_boxes.ask(tr("The traffic log could not be read:\n%1").arg(error), MessageBoxes::Buttons::Ok,
                    MessageBoxes::Icon::Critical, QStringLiteral("Zovodazad"), {}, this);
    }
    m_chart->setVisible(m_grid.visible);
    if (m_grid.visible)
        m_chart->draw(m_grid);
    m_cmdOK->raise();
}

QPoint FrmStats::clearOf(const QRect& frame, const QRect& area, const QRect& available)
{
    if (!frame.intersects(area))
        return frame.topLeft();
    // To the left, right, above or below the area, whichever is the shortest way that stays on the screen.
    const QPoint candidates[] = {{area.left() - frame.width(), frame.top()},
                                 {area.right() + 1, frame.top()},
                                 {frame.left(), area.top() - frame.height()},
                                 {frame.left(), area.bottom() + 1}};
    std::optional<QPoint> best;
    for (QPoint p : candidates) {
        // Along the other axis the window may be moved back onto the screen, as long as it stays clear.
        p.setX(std::clamp(p.x(), available.left(), std::max(available.left(), available.right() - frame.width() + 1)));
        p.setY(std::clamp(p.y(), available.top(), std::max(available.top(), available.bottom() - frame.height() + 1)));
        const QRect moved(p, frame.size());
        if (!available.contains(moved) || moved.intersects(area))
            continue;
        if (!best || (p - frame.topLeft()).manhattanLength() < (*best - frame.topLeft()).manhattanLength())
            best = p;
    }
    return best.value_or(frame.topLeft());
}

void FrmStats::keepClearOf(const QRect& area)
{
    const QScreen* screen = this->screen();
    if (area.isEmpty() || !screen)
        return;
    const QRect frame = frameGeometry();
    move(pos() + clearOf(frame, area, screen->availableGeometry()) - frame.topLeft());
}

void FrmStats::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // The outer size counts the window manager's frame, which is known only once the window is mapped.
    QTimer::singleShot(0, this, &FrmStats::layOut);
}

void FrmStats::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layOut();
}

// The chart fills the window below the top row and the button keeps its distance from the bottom right corner,
// both measured on the outer frame as the window was designed.
void FrmStats::layOut()
{
    const double w = m_layout.toTwipsX(frameGeometry().width());
    const double h = m_layout.toTwipsY(frameGeometry().height());
    if (h <= 800)
        return;
    m_layout.place(m_chart, {0, 600, w, h - 800});
    const QRectF button = m_layout.twips(m_cmdOK);
    m_layout.place(m_cmdOK, {w - button.width() - 500, h - button.height() - 700, button.width(), button.height()});
    m_chart->setLegendWidth(m_layout.toPixelsX(button.width() + 500) + LegendGap);
}
