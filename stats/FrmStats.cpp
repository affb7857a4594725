#include "FrmStats.h"

#include "TwipLayout.h"

#include "ChartBuild.h"
#include "LogChart.h"
#include "MessageBox.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStandardItemModel>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <cmath>
#include <optional>

namespace {

// The window's inner size as designed, in twips.
constexpr int InnerWidth = 9450;
constexpr int InnerHeight = 7275;
// Pixels between the plot and the legend's column, which is as wide as the OK button and its margin below it.
constexpr int LegendGap = 8;
// Twips between the chart and the row of buttons below it, and between the buttons.
constexpr int RowGap = 120;
// The designed width of the range in words.
constexpr int RangeWidth = 2640;
// The table's sort key of a cell: the period's place in time, or the figure.
constexpr int SortRole = Qt::UserRole;

template<typename T> T* named(T* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

} // namespace

FrmStats::FrmStats(DbConnection& db, const Clock& clock, MessageBoxes& boxes, const QString& adapter, QWidget* parent,
                   StatsSource source)
    : QWidget(parent, Qt::Window)
    , m_db(db)
    , m_clock(clock)
    , m_boxes(boxes)
    , m_source(std::move(source))
    , m_adapter(adapter)
    , m_lst23d(named(new QComboBox(this), "lst23d"))
    , m_lstChrtLine(named(new QComboBox(this), "LstChrtLine"))
    , m_chkStacked(named(new QCheckBox(this), "ChkStacked"))
    , m_lblStack(named(new QLabel(tr("Stack"), this), "lblStack"))
    , m_label1(named(new QLabel(tr("Show:"), this), "Label1"))
    , m_lstChartPeriod(named(new QComboBox(this), "LstChartPeriod"))
    , m_lstAdapter(named(new QComboBox(this), "LstAdapter"))
    , m_bttTable(named(new QToolButton(this), "BttTable"))
    , m_chart(named(new LogChart(this), "LogChart"))
    , m_table(named(new QTableView(this), "TblFigures"))
    , m_model(new QStandardItemModel(this))
    , m_lblEmpty(named(new QLabel(tr("No traffic logged in this period."), this), "LblEmpty"))
    , m_bttEarlier(named(new QPushButton(tr("< &Earlier"), this), "BttEarlier"))
    , m_bttLater(named(new QPushButton(tr("&Later >"), this), "BttLater"))
    , m_bttNow(named(new QPushButton(tr("&Now"), this), "BttNow"))
    , m_lblRange(named(new QLabel(this), "LblRange"))
    , m_bttCopy(named(new QPushButton(tr("&Copy"), this), "BttCopy"))
    , m_cmdOK(named(new QPushButton(tr("&OK"), this), "CmdOK"))
{
    setObjectName(QStringLiteral("FrmStats"));
    setWindowTitle(tr("Zovodazad, Keeps an eye on your downloads..."));

    m_layout.place(m_lst23d, {120, 120, 855, 360});
    m_layout.place(m_lstChrtLine, {1080, 120, 855, 360});
    m_layout.place(m_chkStacked, {2040, 240, 255, 300});
    m_layout.place(m_lblStack, {2280, 270, 735, 255});
    m_layout.place(m_label1, {3840, 120, 540, 255});
    m_layout.place(m_lstChartPeriod, {4440, 120, 2640, 360});
    m_layout.place(m_lstAdapter, {7140, 120, 2115, 360});
    m_layout.place(m_bttTable, {3060, 120, 735, 360});
    m_layout.place(m_chart, {0, 600, 9255, 5280});
    m_layout.place(m_table, {0, 600, 9255, 5280});
    m_layout.place(m_lblEmpty, {0, 600, 9255, 5280});
    m_layout.place(m_bttEarlier, {120, 6000, 1095, 495});
    m_layout.place(m_bttLater, {1260, 6000, 1095, 495});
    m_layout.place(m_bttNow, {2400, 6000, 855, 495});
    m_layout.place(m_lblRange, {3375, 6000, RangeWidth, 495});
    m_layout.place(m_bttCopy, {6360, 6000, 1215, 495});
    m_layout.place(m_cmdOK, {7680, 6000, 1455, 495});
    m_label1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_lblEmpty->setAlignment(Qt::AlignCenter);
    // It stands in the chart's place, on the chart's background.
    m_lblEmpty->setAutoFillBackground(true);
    m_lblEmpty->setBackgroundRole(QPalette::Base);
    m_lblEmpty->setForegroundRole(QPalette::Text);
    m_lblEmpty->setWordWrap(true);
    m_lblRange->setAlignment(Qt::AlignCenter);

    // The table, a toggle beside the chart's look: the view's periods with their figures, sortable, copied with the
    // usual keys or its menu.
    m_bttTable->setText(tr("&Table"));
    m_bttTable->setCheckable(true);
    m_table->setModel(m_model);
    m_model->setSortRole(SortRole);
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(0, Qt::AscendingOrder);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_table->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* copy = new QAction(tr("&Copy"), m_table);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    m_table->addAction(copy);
    connect(copy, &QAction::triggered, this, &FrmStats::copyTable);
    connect(m_bttCopy, &QPushButton::clicked, this, &FrmStats::copyTable);
    connect(m_bttTable, &QToolButton::toggled, this, &FrmStats::showView);

    // Page Up shows earlier periods, as it shows earlier lines of a text.
    m_bttEarlier->setToolTip(tr("Earlier periods (Page Up)"));
    m_bttLater->setToolTip(tr("Later periods (Page Down)"));
    connect(m_bttEarlier, &QPushButton::clicked, this, [this] { pageBy(1); });
    connect(m_bttLater, &QPushButton::clicked, this, [this] { pageBy(-1); });
    connect(m_bttNow, &QPushButton::clicked, this, &FrmStats::pageToNow);
    connect(new QShortcut(QKeySequence(Qt::Key_PageUp), this), &QShortcut::activated, this, [this] { pageBy(1); });
    connect(new QShortcut(QKeySequence(Qt::Key_PageDown), this), &QShortcut::activated, this, [this] { pageBy(-1); });

    // Every pick rebuilds from the database, the entry already chosen included, so picking it again refreshes.
    const auto rebuild = [this] { build(); };
    connect(m_lst23d, &QComboBox::activated, this, rebuild);
    connect(m_lstChrtLine, &QComboBox::activated, this, rebuild);
    // Another period opens on its newest periods.
    connect(m_lstChartPeriod, &QComboBox::activated, this, [this] { pageToNow(); });
    connect(m_chkStacked, &QCheckBox::toggled, this, rebuild);
    connect(m_lstAdapter, &QComboBox::activated, this, [this](int i) {
        m_adapter = i > 0 ? m_lstAdapter->itemText(i) : QString();
        Q_EMIT adapterChosen(m_adapter);
        pageToNow();
    });
    connect(m_cmdOK, &QPushButton::clicked, this, &QWidget::close);
    connect(new QShortcut(QKeySequence::Cancel, this), &QShortcut::activated, this, &QWidget::close);
    // Screen readers name each control by the text that stands for it on the window.
    m_label1->setBuddy(m_lstChartPeriod);
    m_chkStacked->setAccessibleName(m_lblStack->text());
    m_lst23d->setAccessibleName(tr("Chart dimensions"));
    m_lstAdapter->setAccessibleName(tr("Adapter"));
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
    for (const QWidget* w : std::initializer_list<const QWidget*> {
             m_lst23d, m_lstChrtLine, m_chkStacked, m_lblStack, m_label1, m_lstChartPeriod, m_lstAdapter, m_bttTable})
        needs.append(m_layout.need(w, w->sizeHint()));
    const QFontMetrics fm(m_cmdOK->font());
    for (const QPushButton* b : {m_cmdOK, m_bttEarlier, m_bttLater, m_bttNow, m_bttCopy})
        needs.append(m_layout.need(b, {fm.horizontalAdvance(b->text()) + 2 * fm.averageCharWidth(), fm.height() + 2}));
    // The longest range: two dates of two-digit days in the longest month names.
    ChartPage widest;
    widest.first = QDate(2000, 9, 28);
    widest.last = QDate(2000, 12, 30);
    // Measured on its designed width: the row gives it more on a wider window.
    needs.append({QSizeF(RangeWidth, 495), QSize(fm.horizontalAdvance(rangeText(widest)), fm.height())});
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
    const QSignalBlocker b5(m_lstAdapter);
    fillAdapters();

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
    choice.back = m_back;
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
    m_readFailed = !buildChartGrid(choice, m_adapter.isEmpty() ? m_source : StatsSource::adapter(m_adapter), m_db, m_rs,
                                   m_clock, m_grid, m_page, &error);
    if (m_readFailed) {
        m_boxes.ask(tr("The traffic log could not be read:\n%1").arg(error), MessageBoxes::Buttons::Ok,
                    MessageBoxes::Icon::Critical, QStringLiteral("Zovodazad"), {}, this);
    }
    m_bttEarlier->setEnabled(m_page.earlier);
    m_bttLater->setEnabled(m_back > 0);
    m_bttNow->setEnabled(m_back > 0);
    m_lblRange->setText(m_readFailed ? QString() : rangeText(m_page));
    // Rows from before the per-adapter log count for no adapter, and are not shown as if they had carried nothing.
    const bool before = !m_adapter.isEmpty() && (!m_recordedFrom.isValid() || m_page.last < m_recordedFrom);
    const bool partly = !m_adapter.isEmpty() && !before && m_page.first < m_recordedFrom;
    m_lblEmpty->setText(before ? tr("Not recorded per adapter in this period.")
                               : tr("No traffic logged in this period."));
    m_lblRange->setToolTip(partly ? tr("Not recorded per adapter before %1.")
                                        .arg(QLocale().toString(m_recordedFrom, QStringLiteral("d MMM yyyy")))
                                  : QString());
    if (before)
        m_grid.visible = false;
    QStringList tips;
    for (const PeriodFigures& f : m_page.periods)
        tips.append(tipOf(f));
    if (m_grid.visible)
        m_chart->draw(m_grid, tips);
    fillTable();
    showView();
}

// All counted adapters, then each adapter with records; the one chosen stays chosen, also when it has none yet.
void FrmStats::fillAdapters()
{
    QStringList names;
    m_recordedFrom = {};
    if (m_rs.open(m_db,
                  QStringLiteral("SELECT adapter, min(day) AS first FROM log_adapter_day WHERE day <> ''"
                                 " GROUP BY adapter ORDER BY adapter"))) {
        for (; !m_rs.atEnd(); m_rs.moveNext()) {
            names.append(m_rs.field(QStringLiteral("adapter")).toString());
            const QDate first = QDate::fromString(m_rs.field(QStringLiteral("first")).toString(), Qt::ISODate);
            if (first.isValid() && (!m_recordedFrom.isValid() || first < m_recordedFrom))
                m_recordedFrom = first;
        }
    }
    m_rs.close();
    if (!m_adapter.isEmpty() && !names.contains(m_adapter))
        names.append(m_adapter);
    m_lstAdapter->clear();
    m_lstAdapter->addItem(tr("All counted adapters"));
    m_lstAdapter->addItems(names);
    m_lstAdapter->setCurrentIndex(m_adapter.isEmpty() ? 0 : int(names.indexOf(m_adapter)) + 1);
}

void FrmStats::pageBy(int step)
{
    const int back = std::max(0, m_back + step);
    if (back == m_back || (step > 0 && !m_page.earlier))
        return;
    m_back = back;
    build();
}

void FrmStats::pageToNow()
{
    m_back = 0;
    build();
}

// The chart, or the table, or the words that there is nothing to show; neither after a failed read.
void FrmStats::showView()
{
    const bool table = m_bttTable->isChecked();
    m_chart->setVisible(m_grid.visible && !table);
    m_table->setVisible(m_grid.visible && table);
    m_bttCopy->setVisible(m_grid.visible && table);
    m_lblEmpty->setVisible(!m_grid.visible && !m_readFailed);
}

// A figure in the user's format: megabytes to the hundredth, gigabytes to the thousandth, so both read to about ten
// kilobytes or a megabyte.
QString FrmStats::figureText(double value) const
{
    return QLocale().toString(value, 'f', m_page.period == ChartPeriod::Day ? 2 : 3);
}

QString FrmStats::tipOf(const PeriodFigures& figures) const
{
    const auto amount = [this](double v) { return figureText(v) + QLatin1Char(' ') + m_grid.unit; };
    QString tip = periodName(m_page.period, figures.first) + QLatin1Char('\n')
        + tr("Received: %1").arg(amount(figures.received)) + QLatin1Char('\n')
        + tr("Sent: %1").arg(amount(figures.sent)) + QLatin1Char('\n') + tr("Total: %1").arg(amount(figures.total()));
    if (m_page.estimateRow >= 0 && m_page.periods.at(m_page.estimateRow).first == figures.first)
        tip += QLatin1Char('\n') + tr("Estimate at the month's end: %1").arg(amount(m_page.estimate));
    return tip;
}

void FrmStats::fillTable()
{
    m_model->clear();
    m_model->setHorizontalHeaderLabels({tr("Period"), tr("Received (%1)").arg(m_grid.unit),
                                        tr("Sent (%1)").arg(m_grid.unit), tr("Total (%1)").arg(m_grid.unit)});
    for (int r = 0; r < m_page.periods.size(); ++r) {
        const PeriodFigures& f = m_page.periods.at(r);
        auto* period = new QStandardItem(periodName(m_page.period, f.first));
        period->setData(r, SortRole);
        QList<QStandardItem*> row {period};
        for (double v : {f.received, f.sent, f.total()}) {
            auto* cell = new QStandardItem(figureText(v));
            cell->setData(v, SortRole);
            cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            row.append(cell);
        }
        m_model->appendRow(row);
    }
    // A new page keeps the order the user chose.
    const QHeaderView* header = m_table->horizontalHeader();
    m_model->sort(header->sortIndicatorSection(), header->sortIndicatorOrder());
}

void FrmStats::copyTable()
{
    QModelIndexList rows = m_table->selectionModel()->selectedRows();
    if (rows.isEmpty()) {
        for (int r = 0; r < m_model->rowCount(); ++r)
            rows.append(m_model->index(r, 0));
    }
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QStringList lines;
    QStringList cells;
    for (int c = 0; c < m_model->columnCount(); ++c)
        cells.append(m_model->headerData(c, Qt::Horizontal).toString());
    lines.append(cells.join(QLatin1Char('\t')));
    for (const QModelIndex& row : rows) {
        cells.clear();
        for (int c = 0; c < m_model->columnCount(); ++c)
            cells.append(m_model->item(row.row(), c)->text());
        lines.append(cells.join(QLatin1Char('\t')));
    }
    QGuiApplication::clipboard()->setText(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
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

// The button keeps its distance from the bottom right corner, measured on the outer frame as the window was
// designed; the paging buttons and the range share its row, and the chart fills the window between the top row
// and that row.
void FrmStats::layOut()
{
    const double w = m_layout.toTwipsX(frameGeometry().width());
    const double h = m_layout.toTwipsY(frameGeometry().height());
    if (h <= 800)
        return;
    const QRectF button = m_layout.twips(m_cmdOK);
    const double rowTop = h - button.height() - 700;
    const QRectF view(0, 600, w, std::max(0.0, rowTop - RowGap - 600));
    for (QWidget* area : std::initializer_list<QWidget*> {m_chart, m_table, m_lblEmpty})
        m_layout.place(area, view);
    m_layout.place(m_cmdOK, {w - button.width() - 500, rowTop, button.width(), button.height()});
    const QRectF copy = m_layout.twips(m_bttCopy);
    const double copyLeft = w - button.width() - 500 - RowGap - copy.width();
    m_layout.place(m_bttCopy, {copyLeft, rowTop, copy.width(), copy.height()});
    for (QWidget* b : std::initializer_list<QWidget*> {m_bttEarlier, m_bttLater, m_bttNow}) {
        const QRectF r = m_layout.twips(b);
        m_layout.place(b, {r.left(), rowTop, r.width(), r.height()});
    }
    // The range takes what is left of the row, up to the copy button.
    const double rangeLeft = m_layout.twips(m_bttNow).right() + RowGap;
    m_layout.place(m_lblRange, {rangeLeft, rowTop, std::max(0.0, copyLeft - RowGap - rangeLeft), button.height()});
    m_chart->setLegendWidth(m_layout.toPixelsX(button.width() + 500) + LegendGap);
}
