#pragma once

#include "Autostart.h"
#include "TwipLayout.h"

#include <QDate>
#include <QDialog>
#include <functional>

struct Settings;
class FolderPicker;
class MessageBoxes;
class TrafficEngine;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QSpinBox;
class QTabBar;

// The options dialog: a view of the settings store that edits the settings, previews the volume allowance, and has
// the engine export the log to CSV and clear it. Created hidden at start-up and kept until exit; OK stores the
// settings and hides it again. The check boxes and the adapter selection act at once; the rest at OK.
// The four pages are not containers: every control sits on this one window and a tab shows its own.
class FrmOptions : public QDialog
{
    Q_OBJECT
public:
    struct Services
    {
        TrafficEngine& engine;
        MessageBoxes& boxes;
        FolderPicker& folders;
    };

    // setMonitorHeight applies the monitor window's height rule when OK stores `whatsleft`.
    FrmOptions(Services services, std::function<void(bool whatsleft)> setMonitorHeight, QWidget* parent = nullptr);

    // A control's geometry in twips as the layout placed it; relative to brGeneral for the controls inside it.
    QRectF twipRect(const QString& name) const;

    // The page switch by tab caption; a caption that names no page changes nothing.
    void showPage(const QString& caption);

Q_SIGNALS:
    // Shown or hidden: while shown, what it previews is live.
    void shownChanged(bool shown);

public Q_SLOTS:
    // Escape closes the dialog as OK does: the check boxes act at once, so there is nothing to cancel.
    void reject() override { saveAndHide(); }

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void build();
    void connectSettings();
    // Scales the layout with the font until every caption fits.
    void fitLayout();
    void layoutVolumePage();
    void showSettings();
    Settings edited() const;
    void preview();
    void showBillingDay(int day);
    // The check of a number box as the focus leaves it, then the preview.
    void checkBox(QLineEdit* box);
    void shadePalette();
    void saveAndHide();
    void browse();
    void exportCsv();
    void switchAutostart(bool on);

    Services m_s;
    std::function<void(bool)> m_setMonitorHeight;
    QDate m_PreviewStartDate;
    Autostart m_autostart;
    TwipLayout m_layout {this};

    QWidget* m_pane = nullptr;
    QTabBar* m_TbPages = nullptr;
    QPushButton* m_BttOK = nullptr;
    QLineEdit* m_txtAdapters = nullptr;
    QListView* m_LstAdapters = nullptr;
    QGroupBox* m_brGeneral = nullptr;
    QCheckBox* m_ChkAutoReset = nullptr;
    QCheckBox* m_Chkkbits = nullptr;
    QCheckBox* m_ChkWhatsleft = nullptr;
    QLabel* m_LblExport1 = nullptr;
    QLabel* m_LblExport2 = nullptr;
    QComboBox* m_CboChartType = nullptr;
    QLineEdit* m_TxtCsvFile = nullptr;
    QPushButton* m_BttBrowse = nullptr;
    QPushButton* m_BttExport = nullptr;
    QCheckBox* m_ChkAutostart = nullptr;
    QCheckBox* m_ChkGraphColours = nullptr;
    QLabel* m_lblTrayIcon = nullptr;
    QComboBox* m_CboTrayIcon = nullptr;
    QPushButton* m_BttClear = nullptr;
    QLabel* m_lblAttention = nullptr;
    QLabel* m_lblvolume1 = nullptr;
    QLineEdit* m_TxtMaxMB = nullptr;
    QLabel* m_lblvolume2 = nullptr;
    QLineEdit* m_Txtperiod = nullptr;
    QComboBox* m_cboPeriodType = nullptr;
    QLabel* m_lblBillingDay = nullptr;
    QSpinBox* m_SpnBillingDay = nullptr;
    QCheckBox* m_ChkNotifyLeft = nullptr;
    QLabel* m_lblpreview = nullptr;
    QLabel* m_LblStartdate = nullptr;
    QLabel* m_lblAllowanceAdapter = nullptr;
    QComboBox* m_CboAllowanceAdapter = nullptr;
    QLabel* m_lblExportAdapter = nullptr;
    QComboBox* m_CboExportAdapter = nullptr;
};
