#include "TrayIcon.h"

#include "Activation.h"
#include "FrmMain.h"
#include "Readouts.h"
#include "TrafficEngine.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>

#include <algorithm>

namespace {

QIcon markedIcon(const QIcon& base, const QColor& mark)
{
    if (!mark.isValid())
        return base;
    QList<QSize> sizes = base.availableSizes();
    if (sizes.isEmpty())
        sizes = {QSize(16, 16), QSize(22, 22), QSize(24, 24), QSize(32, 32), QSize(48, 48), QSize(64, 64)};
    QIcon marked;
    for (const QSize& size : sizes) {
        QPixmap pixmap = base.pixmap(size);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        // Big enough to see at 16 pixels; a dark rim keeps it apart from light and dark panels alike.
        const qreal rim = std::max(1.0, size.width() / 16.0);
        const qreal d = std::max(7.0, size.width() * 0.45);
        painter.setPen(QPen(QColor(0, 0, 0, 200), rim));
        painter.setBrush(mark);
        painter.drawEllipse(QRectF(size.width() - d + rim / 2, size.height() - d + rim / 2, d - rim, d - rim));
        painter.end();
        marked.addPixmap(pixmap);
    }
    return marked;
}

} // namespace

TrayIcon::TrayIcon(QMenu& menu, TrayHosts& hosts, QObject* parent)
    : QObject(parent)
    , m_menu(menu)
    , m_hosts(hosts)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(1000);
    connect(&m_settle, &QTimer::timeout, this, [this] { followHosts(true); });
    connect(&m_hosts, &TrayHosts::changed, this, [this] { followHosts(false); });
    m_drawLater.setSingleShot(true);
    m_drawLater.setInterval(500);
    connect(&m_drawLater, &QTimer::timeout, this, &TrayIcon::drawActivity);
}

bool TrayIcon::show()
{
    m_wanted = true;
    if (m_icon)
        showIcon();
    else if (m_hosts.best() != Host::None)
        place(m_hosts.best());
    followHosts(false);
    return m_reachable;
}

void TrayIcon::hide()
{
    m_wanted = false;
    m_settle.stop();
    if (m_icon)
        m_icon->hide();
}

void TrayIcon::followHosts(bool settled)
{
    if (!m_wanted)
        return;
    if (!m_icon) {
        const Host best = m_hosts.best();
        // A host that appears later: an X11 tray is taken once it has stood for the settling time without a
        // D-Bus host joining it.
        if (best == Host::StatusNotifier || (best == Host::XEmbed && settled))
            place(best);
        else if (best == Host::XEmbed && !m_settle.isActive())
            m_settle.start();
    }
    const bool reachable = m_host == Host::StatusNotifier ? m_hosts.statusNotifier()
        : m_host == Host::XEmbed                          ? m_hosts.xembed()
                                                          : false;
    if (reachable == m_reachable)
        return;
    m_reachable = reachable;
    Q_EMIT reachableChanged(reachable);
}

int TrayIcon::figuresWithinMs() const
{
    return m_host == Host::StatusNotifier || m_activity.form() != ActivityIcon::Form::Still ? 1000 : 0;
}

void TrayIcon::place(Host host)
{
    m_host = host;
    Q_EMIT figuresWithinChanged();
    m_icon = new QSystemTrayIcon(m_image, this);
    m_icon->setToolTip(toolTip());
    // An X11 tray's icon asks for its text when hovered, before it shows it.
    m_icon->installEventFilter(this);
    m_icon->setContextMenu(&m_menu);
    connect(m_icon, &QSystemTrayIcon::activated, this, &TrayIcon::onActivated);
    showIcon();
}

void TrayIcon::showIcon()
{
    m_icon->show();
    m_menuFront.claim();
}

void TrayIcon::onActivated(QSystemTrayIcon::ActivationReason reason)
{
    // StatusNotifierItem hosts do not tell where the icon is; the pointer is on it when it is clicked.
    m_clickedAt = QCursor::pos();
    if (m_host == Host::XEmbed) {
        // A double-click toggles; its first click, like any single one, does nothing.
        if (reason == QSystemTrayIcon::DoubleClick)
            Q_EMIT toggleRequested();
        return;
    }
    // StatusNotifierItem hosts send one activation per click and none for a double-click's second press, except
    // those (Xfce) that send two: a second activation within the double-click time belongs to the first. A click
    // that does nothing still answers the activation token the host may have handed with it.
    if ((reason != QSystemTrayIcon::Trigger && reason != QSystemTrayIcon::DoubleClick)
        || (m_lastToggle.isValid() && m_lastToggle.elapsed() <= QApplication::doubleClickInterval())) {
        Activation::ofUserRequest().complete();
        return;
    }
    m_lastToggle.start();
    Q_EMIT toggleRequested();
}

void TrayIcon::setIcon(const QIcon& icon)
{
    m_still = icon;
    m_base = m_activity.draw(m_still);
    refresh();
}

void TrayIcon::setActivityForm(ActivityIcon::Form form)
{
    if (!m_activity.setForm(form))
        return;
    setIcon(m_still);
    Q_EMIT figuresWithinChanged();
}

void TrayIcon::refresh()
{
    m_image = markedIcon(m_base, m_mark);
    if (m_icon)
        m_icon->setIcon(m_image);
}

[[gnu::hot]] void TrayIcon::setMark(const QColor& colour)
{
    if (colour == m_mark)
        return;
    m_mark = colour;
    refresh();
}

void TrayIcon::setToolTip(const QString& text)
{
    m_hoverFrom.reset();
    applyToolTip(text);
}

void TrayIcon::applyToolTip(const QString& text) const
{
    if (text == m_toolTip)
        return;
    m_toolTip = text;
    if (m_icon)
        m_icon->setToolTip(text);
}

const QString& TrayIcon::toolTip() const
{
    refreshToolTip();
    return m_toolTip;
}

bool TrayIcon::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_icon && event->type() == QEvent::ToolTip) {
        Q_EMIT figuresWanted();
        refreshToolTip();
    }
    return QObject::eventFilter(watched, event);
}

QRect TrayIcon::geometry() const
{
    const QRect placed = m_icon ? m_icon->geometry() : QRect();
    if (!placed.isEmpty() || !m_clickedAt)
        return placed;
    return QRect(*m_clickedAt, QSize(1, 1));
}

namespace {

// What is left and, below it, where the pace leads.
QString allowanceLines(const Remainder& r)
{
    const QString outlook = OutlookText(r);
    return outlook.isEmpty() ? VolumeLeftText(r) : VolumeLeftText(r) + QLatin1Char('\n') + outlook;
}

} // namespace

[[gnu::hot]] void TrayIcon::showTick(const Snapshot& snapshot)
{
    const bool traffic = snapshot.tick.downRate > 0 || snapshot.tick.upRate > 0;
    if (m_activity.form() != ActivityIcon::Form::Still)
        showActivity(snapshot, traffic);
    if (++m_ticks % 2 == 0 || !traffic)
        showFigures(snapshot);
}

// One reading a second, the mean of its two ticks, drawn at most once a second and only when the picture changes:
// on a StatusNotifierItem host every drawing is a D-Bus signal and a transfer of pixels. After a tick without
// traffic the engine rests until something moves: that tick ends its second early, and its picture, the one the
// icon rests on, is drawn a second after the one before; then nothing is drawn until traffic comes back.
void TrayIcon::showActivity(const Snapshot& snapshot, bool traffic)
{
    const bool bits = snapshot.tick.bits;
    // The seconds the engine skipped while nothing moved are empty ones.
    for (quint64 second = 0; second < std::min<quint64>(snapshot.quietBefore / 2, ActivityIcon::Seconds); ++second)
        m_redraw |= m_activity.add(0, 0, bits);
    m_sinceDrawn += 1 + snapshot.quietBefore;
    m_downSum += snapshot.tick.downRate;
    m_upSum += snapshot.tick.upRate;
    if (++m_readingTicks == 2 || !traffic) {
        m_redraw |= m_activity.add(m_downSum / m_readingTicks, m_upSum / m_readingTicks, bits);
        m_readingTicks = 0;
        m_downSum = m_upSum = 0;
    }
    if (m_redraw && m_sinceDrawn >= 2)
        drawActivity();
    else if (m_redraw && !traffic)
        m_drawLater.start();
}

void TrayIcon::drawActivity()
{
    m_drawLater.stop();
    m_redraw = false;
    m_sinceDrawn = 0;
    m_base = m_activity.draw(m_still);
    refresh();
}

[[gnu::hot]] void TrayIcon::showFigures(const Snapshot& snapshot)
{
    const AllowanceBand band = snapshot.allowance.band;
    setMark(band >= AllowanceBand::Orange ? allowanceColour(band) : QColor());
    // Compared before anything is formatted, and kept without a new allocation.
    const quint64 sinceRow = snapshot.rcvdSinceRow + snapshot.sentSinceRow;
    const bool nothing = snapshot.tick.counted == 0;
    const auto from = std::tie(snapshot.tick.downRate, snapshot.tick.upRate, snapshot.tick.bits, sinceRow,
                               snapshot.allowance, nothing, snapshot.tick.adapters);
    if (m_hoverFrom && *m_hoverFrom == from)
        return;
    if (m_hoverFrom)
        *m_hoverFrom = from;
    else
        m_hoverFrom.emplace(from);
    m_hoverStale = true;
    if (m_host == Host::StatusNotifier)
        refreshToolTip();
}

void TrayIcon::refreshToolTip() const
{
    if (!m_hoverStale || !m_hoverFrom)
        return;
    m_hoverStale = false;
    applyToolTip(std::apply(
        [](double down, double up, bool bits, quint64 sinceRow, const Remainder& left, bool nothing,
           const std::vector<AdapterActivity>& adapters) {
            return TrayToolTip(down, up, bits, double(sinceRow), allowanceLines(left), nothing, adapters);
        },
        *m_hoverFrom));
}
