#include "FrmOptions.h"

#include "TwipLayout.h"

#include "Contrast.h"
#include "CsvExport.h"
#include "DatabaseReset.h"
#include "FolderPicker.h"
#include "MessageBox.h"
#include "TrafficEngine.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QStyleOptionTabWidgetFrame>
#include <QStylePainter>
#include <QTabBar>
#include <cmath>

namespace {

// Pixels between the left edge of the page area and the first tab.
constexpr int TabInset = 2;
// Twips added below the described layout for three rows of the General page: starting with the session, the
// graphs' colours and the icon's form.
constexpr int AddedRows = 1440;
// Exclusive upper bounds of the two whole numbers the Volume Left page accepts.
constexpr double MaxMbLimit = 5120000;
constexpr double PeriodLimit = 366;

const char* const AttentionText = QT_TRANSLATE_NOOP("FrmOptions",
                                                    "\r\nCaution !\r\n\r\nWhen you reset the database,\r\n"
                                                    "all data is cleared.\r\nThe data can not be recovered.");
// The pages, in the order of their tabs.
const char* const PageNames[]
    = {QT_TRANSLATE_NOOP("FrmOptions", "General"), QT_TRANSLATE_NOOP("FrmOptions", "Adapters"),
       QT_TRANSLATE_NOOP("FrmOptions", "Reset"), QT_TRANSLATE_NOOP("FrmOptions", "Volume Left")};

// A whole number from 1 to limit - 1 in the user's format with digit grouping; anything else becomes "0".
QString checkedWhole(const QString& text, double limit)
{
    bool ok = false;
    const double v = QLocale().toDouble(text, &ok);
    if (!ok)
        return QStringLiteral("0");
    const double r = std::nearbyint(v);
    if (!(r > 0 && r < limit))
        return QStringLiteral("0");
    return QLocale().toString(static_cast<qint64>(r));
}

// Check-box values as stored: 0 unchecked, 1 checked, 2 grey.
int storedValue(int state)
{
    switch (state) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    default:
        return 0;
    }
}

// What the allowance box shows: the user's format, without grouping, in fixed notation (100000, not 1E+05).
QString shownNumber(double v)
{
    QLocale loc;
    loc.setNumberOptions(QLocale::OmitGroupSeparator);
    return loc.toString(v, 'f', QLocale::FloatingPointShortest);
}

Qt::CheckState checkState(int stored)
{
    return stored == 2 ? Qt::PartiallyChecked : stored ? Qt::Checked : Qt::Unchecked;
}

// The page area of the tab strip; the tab bar itself is only the row of tabs.
class TabPane : public QWidget
{
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QStylePainter p(this);
        QStyleOptionTabWidgetFrame opt;
        opt.initFrom(this);
        opt.shape = QTabBar::RoundedSouth;
        opt.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
        p.drawPrimitive(QStyle::PE_FrameTabWidget, opt);
    }
};

} // namespace

FrmOptions::FrmOptions(Services services, std::function<void(bool whatsleft)> setMonitorHeight, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint)
    , m_s(services)
    , m_setMonitorHeight(std::move(setMonitorHeight))
    , m_autostart(QCoreApplication::applicationFilePath())
{
    setObjectName(QStringLiteral("FrmOptions"));
    setWindowTitle(tr("Options."));
    setModal(false);
    build();
    connectSettings();
    showPage(tr(PageNames[0]));
    showSettings();
    fitLayout();
}

QRectF FrmOptions::twipRect(const QString& name) const
{
    const auto* w = findChild<const QWidget*>(name);
    return w ? m_layout.twips(w) : QRectF();
}

void FrmOptions::build()
{
    auto make = [this](auto* w, const char* name, const QRectF& t) {
        w->setObjectName(QLatin1String(name));
        m_layout.place(w, t);
        return w;
    };
    auto caption = [](auto* w, const char* text) {
        w->setText(tr(text));
        return w;
    };
    QFont bold;
    bold.setBold(true);

    // The tab strip's rectangle is its page area. The row of tabs hangs below it, since the frame and the
    // headings start where a row of tabs on top would be.
    m_pane = make(new TabPane(this), "TbPagesPane", {120, 120, 5055, 2895 + AddedRows});
    m_TbPages = new QTabBar(this);
    m_TbPages->setObjectName(QStringLiteral("TbPages"));
    m_TbPages->setShape(QTabBar::RoundedSouth);
    m_TbPages->setDrawBase(false);
    m_TbPages->setExpanding(false);
    m_TbPages->setUsesScrollButtons(false);
    for (const char* tab : PageNames)
        m_TbPages->addTab(tr(tab));

    m_txtAdapters = caption(make(new QLineEdit(this), "txtAdapters", {360, 360, 2415, 255}),
                            QT_TR_NOOP("Select Adapter(s) to be logged :"));
    m_txtAdapters->setReadOnly(true);
    m_txtAdapters->setFrame(false);
    m_txtAdapters->setFocusPolicy(Qt::NoFocus);

    m_LstAdapters = make(new QListView(this), "LstAdapters", {360, 720, 3975, 2010});
    AdapterList& adapters = m_s.engine.settings().adapters();
    m_LstAdapters->setModel(adapters.model());
    // The sampler's selection is the list's selection: a click acts at the next tick.
    m_LstAdapters->setSelectionModel(adapters.selectionModel());
    m_LstAdapters->setSelectionMode(QAbstractItemView::MultiSelection);
    m_LstAdapters->setEditTriggers(QAbstractItemView::NoEditTriggers);

    m_brGeneral = make(new QGroupBox(this), "brGeneral", {240, 240, 4215, 2655 + AddedRows});
    m_brGeneral->setTitle(tr("General Options - Export Logs."));
    // On the window, not in the frame, but drawn over it.
    m_ChkAutoReset = caption(make(new QCheckBox(this), "ChkAutoReset", {360, 480, 3975, 375}),
                             QT_TR_NOOP("Log and Reset Counters before showing Graphs."));

    QWidget* f = m_brGeneral;
    m_Chkkbits = caption(make(new QCheckBox(f), "Chkkbits", {120, 600, 2775, 375}),
                         QT_TR_NOOP("Show Kbps/s - Mbps/s iso kBps."));
    m_ChkWhatsleft = caption(make(new QCheckBox(f), "ChkWhatsleft", {120, 960, 3855, 375}),
                             QT_TR_NOOP("Show volume left on Monitor window."));
    // ChkWhatsleft reaches into this label's box; its text sits low so the two never touch, and the box ends where
    // the chart-type list begins.
    m_LblExport1
        = caption(make(new QLabel(f), "LblExport1", {360, 1080, 2055, 360}), QT_TR_NOOP("Export logs to CSV :"));
    m_LblExport1->setFont(bold);
    m_LblExport1->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    m_LblExport2 = caption(make(new QLabel(f), "LblExport2", {120, 1500, 975, 255}), QT_TR_NOOP("Export Log :"));
    m_CboChartType = make(new QComboBox(f), "CboChartType", {1200, 1440, 2415, 315});
    m_CboChartType->addItems({tr("Per Day (MB)"), tr("Per Week (GB)"), tr("Per Month (GB)"), tr("Per Year (GB)")});
    m_CboChartType->setCurrentIndex(0);
    m_TxtCsvFile = make(new QLineEdit(f), "TxtCsvFile", {360, 1920, 2875, 375});
    m_BttBrowse = make(new QPushButton(f), "BttBrowse", {3240, 1920, 375, 375});
    m_BttBrowse->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon, nullptr, m_BttBrowse));
    m_BttBrowse->setToolTip(tr("Browse"));
    m_BttExport = make(new QPushButton(f), "BttExport", {3720, 1920, 375, 375});
    m_BttExport->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton, nullptr, m_BttExport));
    m_BttExport->setToolTip(tr("Export !"));
    // Which adapter's figures the export writes: every counted one, or one link alone.
    m_lblExportAdapter = caption(make(new QLabel(f), "lblExportAdapter", {120, 2430, 1575, 255}),
                                 QT_TR_NOOP("Export the traffic of :"));
    m_CboExportAdapter = make(new QComboBox(f), "CboExportAdapter", {1800, 2400, 2175, 315});
    m_lblExportAdapter->setBuddy(m_CboExportAdapter);
    m_ChkAutostart = caption(make(new QCheckBox(f), "ChkAutostart", {120, 2760, 3855, 375}),
                             QT_TR_NOOP("Start Zovodazad when I log in."));
    m_ChkGraphColours = make(new QCheckBox(f), "ChkGraphColours", {120, 3120, 3855, 375});
    m_ChkGraphColours->setText(tr("Draw the graphs in blue and orange."));
    m_lblTrayIcon = make(new QLabel(f), "lblTrayIcon", {120, 3510, 1575, 255});
    m_lblTrayIcon->setText(tr("The icon shows :"));
    m_CboTrayIcon = make(new QComboBox(f), "CboTrayIcon", {1800, 3480, 2175, 315});
    m_CboTrayIcon->addItems({tr("The program's picture"), tr("A graph of the last seconds"), tr("The download rate")});
    m_lblTrayIcon->setBuddy(m_CboTrayIcon);

    m_BttClear = caption(make(new QPushButton(f), "BttClear", {120, 2040, 3975, 495}), QT_TR_NOOP("Clear Database"));
    m_lblAttention = make(new QLabel(f), "lblAttention", {120, 360, 3975, 1695});
    m_lblAttention->setFont(bold);
    m_lblAttention->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    shadePalette();

    m_lblvolume1 = caption(make(new QLabel(f), "lblvolume1", {120, 240, 3015, 375}),
                           QT_TR_NOOP("Maximum volume allowed (MB) :"));
    m_TxtMaxMB = caption(make(new QLineEdit(f), "TxtMaxMB", {3480, 240, 495, 315}), "0");
    m_TxtMaxMB->setAlignment(Qt::AlignRight);
    m_lblvolume2
        = caption(make(new QLabel(f), "lblvolume2", {120, 600, 2175, 375}), QT_TR_NOOP("Track volume during last :"));
    m_Txtperiod = caption(make(new QLineEdit(f), "Txtperiod", {120, 960, 495, 315}), "0");
    m_Txtperiod->setAlignment(Qt::AlignRight);
    m_cboPeriodType = make(new QComboBox(f), "cboPeriodType", {0, 0, 2415, 315});
    m_cboPeriodType->clear();
    m_cboPeriodType->addItems({tr("Day(s)"), tr("Week(s)"), tr("Month(s)-%1/mm").arg(1)});
    // A plan that renews on the 17th counts its months from the 17th; the box acts only on the month windows.
    m_lblBillingDay = caption(make(new QLabel(f), "lblBillingDay", {120, 1320, 2175, 375}),
                              QT_TR_NOOP("Billing day of the month :"));
    m_SpnBillingDay = make(new QSpinBox(f), "SpnBillingDay", {3115, 1305, 700, 315});
    m_SpnBillingDay->setRange(1, 31);
    m_SpnBillingDay->setAlignment(Qt::AlignRight);
    m_lblBillingDay->setBuddy(m_SpnBillingDay);
    m_ChkNotifyLeft = caption(make(new QCheckBox(f), "ChkNotifyLeft", {120, 1680, 3855, 375}),
                              QT_TR_NOOP("Notify at 30 %, 15 % and 0 % left."));
    m_lblpreview = caption(make(new QLabel(f), "lblpreview", {120, 2040, 3855, 300}), "...");
    m_lblpreview->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    m_LblStartdate = caption(make(new QLabel(f), "LblStartdate", {1200, 2340, 2895, 300}), QT_TR_NOOP("Starting from"));
    // What the allowance counts: all counted adapters, or one capped link alone.
    m_lblAllowanceAdapter = caption(make(new QLabel(f), "lblAllowanceAdapter", {120, 2790, 1575, 255}),
                                    QT_TR_NOOP("Count the traffic of :"));
    m_CboAllowanceAdapter = make(new QComboBox(f), "CboAllowanceAdapter", {1800, 2760, 2175, 315});
    m_lblAllowanceAdapter->setBuddy(m_CboAllowanceAdapter);

    // Created last, so the focus reaches it after the controls of every page.
    m_BttOK = caption(make(new QPushButton(this), "BttOK", {4200, 3240 + AddedRows, 975, 495}), QT_TR_NOOP("&OK"));
    m_BttOK->setDefault(true);

    // Screen readers name a box by its label (a list that drops down by the label's relation to it), and a picture
    // button, the list or the heading by the text they stand for.
    m_lblvolume1->setBuddy(m_TxtMaxMB);
    m_lblvolume2->setBuddy(m_cboPeriodType);
    m_Txtperiod->setAccessibleName(m_lblvolume2->text());
    m_LblExport1->setBuddy(m_TxtCsvFile);
    m_LblExport2->setBuddy(m_CboChartType);
    m_LstAdapters->setAccessibleName(m_txtAdapters->text());
    m_txtAdapters->setAccessibleName(m_txtAdapters->text());
    for (QPushButton* button : {m_BttBrowse, m_BttExport})
        button->setAccessibleName(button->toolTip());
}

void FrmOptions::connectSettings()
{
    auto bindCheck = [this](QCheckBox* box, int Settings::*field) {
        // In force at once: the tick reads kilobit and whatsleft, the allowance watch notifyleft.
        connect(box, &QCheckBox::stateChanged, this, [this, box, field](int state) {
            m_s.engine.settings().setLive(field, storedValue(state));
            // A grey box loaded from the table turns into a plain two-state box once the user clicks it.
            if (state != Qt::PartiallyChecked)
                box->setTristate(false);
        });
    };
    bindCheck(m_ChkAutoReset, &Settings::AutoReset);
    bindCheck(m_Chkkbits, &Settings::kilobit);
    bindCheck(m_ChkWhatsleft, &Settings::whatsleft);
    bindCheck(m_ChkNotifyLeft, &Settings::notifyleft);
    bindCheck(m_ChkGraphColours, &Settings::graphcolours);
    connect(m_CboTrayIcon, &QComboBox::currentIndexChanged, this,
            [this](int form) { m_s.engine.settings().setLive(&Settings::trayicon, form); });
    connect(m_cboPeriodType, &QComboBox::currentIndexChanged, this,
            [this](int i) { m_SpnBillingDay->setEnabled(i == 2); });
    connect(m_SpnBillingDay, &QSpinBox::valueChanged, this, [this](int day) {
        showBillingDay(day);
        preview();
    });
    connect(m_cboPeriodType, &QComboBox::activated, this, &FrmOptions::preview);
    connect(m_CboAllowanceAdapter, &QComboBox::activated, this, &FrmOptions::preview);

    connect(m_TbPages, &QTabBar::currentChanged, this, [this](int i) { showPage(m_TbPages->tabText(i)); });
    connect(m_BttOK, &QPushButton::clicked, this, &FrmOptions::saveAndHide);
    connect(m_BttBrowse, &QPushButton::clicked, this, &FrmOptions::browse);
    connect(m_BttExport, &QPushButton::clicked, this, &FrmOptions::exportCsv);
    connect(m_ChkAutostart, &QCheckBox::clicked, this, &FrmOptions::switchAutostart);
    connect(m_BttClear, &QPushButton::clicked, this, [this] { clearTrafficLog(m_s.engine, m_s.boxes, this); });
    m_TxtMaxMB->installEventFilter(this);
    m_Txtperiod->installEventFilter(this);
}

void FrmOptions::showSettings()
{
    const Settings& values = m_s.engine.settings().current();
    m_ChkAutoReset->setCheckState(checkState(values.AutoReset));
    m_Chkkbits->setCheckState(checkState(values.kilobit));
    m_ChkWhatsleft->setCheckState(checkState(values.whatsleft));
    m_TxtCsvFile->setText(values.ExportFolder);
    m_TxtMaxMB->setText(shownNumber(values.MaxMbSize));
    m_Txtperiod->setText(QString::number(values.LogPeriod));
    m_cboPeriodType->setCurrentIndex(values.LogPeriodType);
    m_SpnBillingDay->setValue(values.BillingDay);
    m_SpnBillingDay->setEnabled(values.LogPeriodType == 2);
    showBillingDay(values.BillingDay);
    m_ChkNotifyLeft->setCheckState(checkState(values.notifyleft));
    m_ChkGraphColours->setCheckState(checkState(values.graphcolours));
    m_CboTrayIcon->setCurrentIndex(values.trayicon);
    // The adapters there are now, and the one chosen even when it is gone: its history still counts.
    QStringList names;
    const AdapterList& adapters = m_s.engine.settings().adapters();
    for (int k = 0; k < adapters.count(); ++k)
        names.append(adapters.text(k));
    if (!values.allowanceadapter.isEmpty() && !names.contains(values.allowanceadapter))
        names.append(values.allowanceadapter);
    m_CboAllowanceAdapter->clear();
    m_CboAllowanceAdapter->addItem(tr("All counted adapters"));
    m_CboAllowanceAdapter->addItems(names);
    m_CboAllowanceAdapter->setCurrentIndex(
        values.allowanceadapter.isEmpty() ? 0 : int(names.indexOf(values.allowanceadapter)) + 1);
    preview();
}

void FrmOptions::showBillingDay(int day)
{
    // The month item names the day its months start on.
    m_cboPeriodType->setItemText(2, tr("Month(s)-%1/mm").arg(day));
}

void FrmOptions::fitLayout()
{
    // The layout grows with the font until every caption fits its control; the font is never made smaller.
    QList<TwipLayout::Need> needs;
    const auto controls = findChildren<QWidget*>();
    for (const QWidget* w : controls) {
        const QFontMetrics fm(w->font());
        if (qobject_cast<const QLabel*>(w) || qobject_cast<const QCheckBox*>(w) || qobject_cast<const QComboBox*>(w))
            needs.append(m_layout.need(w, w->sizeHint()));
        else if (qobject_cast<const QLineEdit*>(w) || qobject_cast<const QAbstractSpinBox*>(w))
            needs.append(m_layout.need(w, {0, w->sizeHint().height()}));
        else if (const auto* button = qobject_cast<const QPushButton*>(w); button && !button->text().isEmpty())
            needs.append(
                m_layout.need(w, {fm.horizontalAdvance(button->text()) + 2 * fm.averageCharWidth(), fm.height() + 2}));
    }
    const QFontMetrics fm(m_txtAdapters->font());
    needs.append(m_layout.need(m_txtAdapters, {fm.horizontalAdvance(m_txtAdapters->text()) + 4, fm.height()}));
    // LblExport1's text fits between ChkWhatsleft's caption, centred in its box, and the chart-type list.
    needs.append({QSizeF(0, m_layout.twips(m_CboChartType).top() - m_layout.twips(m_ChkWhatsleft).center().y()),
                  QSize(0, (m_ChkWhatsleft->sizeHint().height() + 1) / 2 + m_LblExport1->sizeHint().height())});
    // cboPeriodType is narrowed to 1500 twips on its page.
    needs.append({QSizeF(1500, 315), m_cboPeriodType->sizeHint()});
    // The row of tabs runs from the page area's left edge to the OK button.
    const QRectF pane = m_layout.twips(m_pane);
    const QRectF ok = m_layout.twips(m_BttOK);
    needs.append({QSizeF(ok.left() - pane.left(), 0), QSize(m_TbPages->sizeHint().width() + TabInset, 0)});
    m_layout.fit(needs);
    setFixedSize(m_layout.toPixels({0, 0, 5280, 3930 + AddedRows}).size());

    // The row of tabs hangs from the bottom edge of the page area, as a south tab widget's would.
    const QRect paneRect = m_pane->geometry();
    const int overlap = style()->pixelMetric(QStyle::PM_TabBarBaseOverlap, nullptr, m_TbPages);
    m_TbPages->setGeometry(
        QRect(QPoint(paneRect.left() + TabInset, paneRect.bottom() + 1 - overlap), m_TbPages->sizeHint()));
}

void FrmOptions::closeEvent(QCloseEvent* event)
{
    // OK is the only way out.
    event->ignore();
}

void FrmOptions::showEvent(QShowEvent* event)
{
    // The user may have added or removed the entry since: the box shows the file as it is now.
    m_ChkAutostart->setChecked(m_autostart.enabled());
    // Adapters gain records as they carry traffic: the export offers those the log has now.
    const QString chosen = m_CboExportAdapter->currentIndex() > 0 ? m_CboExportAdapter->currentText() : QString();
    m_CboExportAdapter->clear();
    m_CboExportAdapter->addItem(tr("All counted adapters"));
    m_CboExportAdapter->addItems(m_s.engine.recordedAdapters());
    m_CboExportAdapter->setCurrentIndex(std::max(0, m_CboExportAdapter->findText(chosen)));
    QDialog::showEvent(event);
    Q_EMIT shownChanged(true);
}

void FrmOptions::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    if (!event->spontaneous())
        Q_EMIT shownChanged(false);
}

bool FrmOptions::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut) {
        // Another window or a context menu taking the focus is not the user leaving the box.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            if (watched == m_TxtMaxMB || watched == m_Txtperiod)
                checkBox(static_cast<QLineEdit*>(watched));
        }
    }
    return QDialog::eventFilter(watched, event);
}

void FrmOptions::checkBox(QLineEdit* box)
{
    box->setText(checkedWhole(box->text(), box == m_TxtMaxMB ? MaxMbLimit : PeriodLimit));
    preview();
}

void FrmOptions::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        shadePalette();
    else if (event->type() == QEvent::FontChange)
        fitLayout();
}

// The colours taken from the palette, again at every change of it: the warning is red in every palette, in a shade
// that reads on the window's background, and the adapters' heading lies on the window's own colour.
void FrmOptions::shadePalette()
{
    const QColor window = palette().color(QPalette::Window);
    QPalette attention = m_lblAttention->palette();
    attention.setColor(QPalette::WindowText, readableOn(Qt::red, window));
    m_lblAttention->setPalette(attention);
    QPalette heading = m_txtAdapters->palette();
    heading.setColor(QPalette::Base, window);
    m_txtAdapters->setPalette(heading);
}

void FrmOptions::showPage(const QString& caption)
{
    const auto* named = std::find_if(std::begin(PageNames), std::end(PageNames),
                                     [&caption](const char* name) { return tr(name) == caption; });
    if (named == std::end(PageNames))
        return;
    const auto page = named - std::begin(PageNames);
    const bool general = page == 0;
    const bool adapters = page == 1;
    const bool reset = page == 2;
    const bool volume = page == 3;

    static const char* const Titles[]
        = {QT_TR_NOOP("General Options - Export Logs."), "", QT_TR_NOOP("!!! CAUTION !!!"), QT_TR_NOOP("Volume Left")};
    m_brGeneral->setVisible(!adapters);
    if (!adapters)
        m_brGeneral->setTitle(tr(Titles[page]));
    for (QWidget* w : std::initializer_list<QWidget*> {m_ChkAutoReset, m_Chkkbits, m_ChkWhatsleft, m_BttExport,
                                                       m_BttBrowse, m_CboChartType, m_LblExport1, m_LblExport2,
                                                       m_TxtCsvFile, m_ChkAutostart, m_ChkGraphColours, m_lblTrayIcon,
                                                       m_CboTrayIcon, m_lblExportAdapter, m_CboExportAdapter})
        w->setVisible(general);
    m_LstAdapters->setVisible(adapters);
    m_txtAdapters->setVisible(adapters);
    m_BttClear->setVisible(reset);
    if (reset)
        m_lblAttention->setText(tr(AttentionText));
    m_lblAttention->setVisible(reset);
    if (volume)
        layoutVolumePage();
    for (QWidget* w : std::initializer_list<QWidget*> {m_lblvolume1, m_lblvolume2, m_Txtperiod, m_TxtMaxMB,
                                                       m_cboPeriodType, m_lblBillingDay, m_SpnBillingDay,
                                                       m_ChkNotifyLeft, m_lblAllowanceAdapter, m_CboAllowanceAdapter})
        w->setVisible(volume);
    if (volume)
        preview();
    m_lblpreview->setVisible(volume);
    m_LblStartdate->setVisible(volume);
}

void FrmOptions::layoutVolumePage()
{
    // Single precision, in this order, as the stored layout has always been computed.
    const QRectF whatsleft = m_layout.twips(m_ChkWhatsleft);
    const QRectF volume1 = m_layout.twips(m_lblvolume1);
    const QRectF volume2 = m_layout.twips(m_lblvolume2);
    const QRectF period = m_layout.twips(m_Txtperiod);
    const float periodTop = float(whatsleft.top()) - 15.0f;
    const float periodLeft = float(volume2.left()) + float(volume2.width()) + 20.0f - 500.0f;
    const float cboLeft = periodLeft + float(period.width()) + 5.0f;
    const float cboWidth = 1500.0f;
    const float maxMbWidth = 1000.0f;
    const float maxMbLeft = cboLeft + cboWidth - maxMbWidth;
    m_layout.place(m_cboPeriodType, QRectF(cboLeft, periodTop, cboWidth, m_layout.twips(m_cboPeriodType).height()));
    m_layout.place(m_Txtperiod, QRectF(periodLeft, periodTop, period.width(), period.height()));
    m_layout.place(m_TxtMaxMB,
                   QRectF(maxMbLeft, float(volume1.top()) - 15.0f, maxMbWidth, m_layout.twips(m_TxtMaxMB).height()));
}

// The terms the boxes hold now, saved or not.
Settings FrmOptions::edited() const
{
    Settings values = m_s.engine.settings().current();
    bool ok = false;
    const double maxMb = QLocale().toDouble(m_TxtMaxMB->text(), &ok);
    values.MaxMbSize = ok ? maxMb : 0;
    const qint32 periods = QLocale().toInt(m_Txtperiod->text(), &ok);
    values.LogPeriod = ok ? periods : 0;
    values.LogPeriodType = m_cboPeriodType->currentIndex();
    values.BillingDay = m_SpnBillingDay->value();
    values.allowanceadapter
        = m_CboAllowanceAdapter->currentIndex() > 0 ? m_CboAllowanceAdapter->currentText() : QString();
    return values;
}

void FrmOptions::preview()
{
    const Remainder r = m_s.engine.allowance().whatIf(edited(), m_s.engine.unlogged(edited().allowanceadapter));
    m_lblpreview->setText(VolumeLeftText(r));
    // The page has no room for another line; the estimate and the daily budget show on hover.
    m_lblpreview->setToolTip(OutlookText(r));
    if (r.start.isValid())
        m_PreviewStartDate = r.start;
    m_LblStartdate->setText(
        tr("Starting from %1").arg(QLocale().toString(m_PreviewStartDate, QStringLiteral("dd MMM yyyy"))));
}

void FrmOptions::saveAndHide()
{
    // OK may act while the focus is still in a checked box (Enter, or a click that took no focus): the focus
    // leaves that box, so it is checked first. A box the focus never entered keeps what it holds.
    if (QWidget* focus = focusWidget(); focus == m_TxtMaxMB || focus == m_Txtperiod)
        checkBox(static_cast<QLineEdit*>(focus));

    const Settings values = edited();
    QString error;
    const QStringList unsaved = m_s.engine.settings().save(values, &error);
    // The values act for this session even when the table refused them.
    m_setMonitorHeight(values.whatsleft != 0);
    if (unsaved.isEmpty()) {
        hide();
        return;
    }
    // The dialog stays open under the box, so the user sees which values were not kept.
    m_s.boxes.ask(
        tr("These settings could not be saved: %1.\r\nThe database reported: %2")
            .arg(unsaved.join(QStringLiteral(", ")), error),
        MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Critical, windowTitle(),
        [this](MessageBoxes::Answer) { hide(); }, this);
}

void FrmOptions::browse()
{
    const QString folder = BrowseForFolder(
        m_s.folders, tr("Select the Directory where the CSV Files have to be saved."), QDir::homePath());
    m_TxtCsvFile->setText(folder.endsWith(QLatin1Char('/')) ? folder + QStringLiteral("Zovodazad.csv")
                                                            : folder + QStringLiteral("/Zovodazad.csv"));
}

void FrmOptions::exportCsv()
{
    CsvExport(m_s.engine, m_s.boxes, this)
        .run(m_TxtCsvFile->text(), m_CboChartType->currentIndex(),
             m_CboExportAdapter->currentIndex() > 0 ? m_CboExportAdapter->currentText() : QString(),
             [this](const QString& path) { m_TxtCsvFile->setText(path); });
}

void FrmOptions::switchAutostart(bool on)
{
    const auto apply = [this, on] {
        QString error;
        if (on ? m_autostart.write(&error) : m_autostart.remove(&error))
            return;
        m_ChkAutostart->setChecked(!on);
        m_s.boxes.ask(tr("%1 could not be changed: %2").arg(m_autostart.path(), error), MessageBoxes::Buttons::Ok,
                      MessageBoxes::Icon::Critical, windowTitle(), {}, this);
    };
    if (m_autostart.state() != Autostart::State::Edited) {
        apply();
        return;
    }
    // The user wrote this entry: it goes only when the user says so.
    const QString prompt = on ? tr("%1 was changed by hand. Replace it with Zovodazad's own entry?")
                              : tr("%1 was changed by hand. Remove it?");
    m_s.boxes.ask(
        prompt.arg(m_autostart.path()), MessageBoxes::Buttons::YesNo, MessageBoxes::Icon::Question, windowTitle(),
        [this, on, apply](MessageBoxes::Answer answer) {
            if (answer == MessageBoxes::Answer::Yes)
                apply();
            else
                m_ChkAutostart->setChecked(!on);
        },
        this);
}
