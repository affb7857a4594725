#pragma once

#include "ActivityIcon.h"
#include "Sampler.h"
#include "TrayHost.h"
#include "TrayMenuFront.h"
#include "VolumeLeft.h"

#include <QColor>
#include <QElapsedTimer>
#include <QIcon>
#include <QObject>
#include <QRect>
#include <QSystemTrayIcon>
#include <QTimer>

#include <optional>
#include <tuple>

class QMenu;
struct Snapshot;

// The notification-area icon with the command menu. Qt decides once per process, when the first icon is made,
// whether the tray speaks StatusNotifierItem over D-Bus or XEmbed, so the icon is made only once a tray host is
// there: a panel that starts after the program still gets a D-Bus icon. Qt serves a host that restarts on both
// paths; the hosts are followed all the same, so that the program knows when nothing shows its icon.
class TrayIcon : public QObject
{
    Q_OBJECT
public:
    using Host = TrayHost;

    // menu becomes the icon's context menu; hosts on D-Bus receive it with every later change of its items.
    TrayIcon(QMenu& menu, TrayHosts& hosts, QObject* parent = nullptr);

    // Puts the icon up wherever a host shows it, now or as soon as one appears; true when a host shows it now.
    bool show();
    void hide();
    // A host shows the icon now.
    bool isReachable() const { return m_reachable; }
    // The kind of host the icon was made for; None before it is made.
    Host host() const { return m_host; }

    // The still picture; the other forms draw the traffic in its place.
    void setIcon(const QIcon& icon);
    void setActivityForm(ActivityIcon::Form form);
    // A small round mark in the icon's lower right corner, in this colour; an invalid colour shows none.
    void setMark(const QColor& colour);
    // Hosts are told only of a text that changed: StatusNotifierItem hosts hear of each change over D-Bus.
    void setToolTip(const QString& text);
    // The hover text, as of the last figures.
    const QString& toolTip() const;
    // The image placed in the tray: the icon with its mark.
    const QIcon& image() const { return m_image; }
    // Where the icon is on screen: as the host says, or where it was last clicked (StatusNotifierItem hosts do not
    // say); empty before that.
    QRect geometry() const;

    // The engine's figures: the hover text tells the rates, the volume since the last row and the allowance, the
    // mark the allowance's band. Under traffic the figures follow every second tick, which is as often as a person
    // reads them; a tick without traffic always shows, so the icon never rests on an old rate. The text is made only
    // when it can be seen: when an X11 tray's icon is hovered, or, for a StatusNotifierItem host, which reads it
    // whenever told that it changed, when a figure changed.
    void showTick(const Snapshot& snapshot);
    void showFigures(const Snapshot& snapshot);
    // How old the figures may grow before they are shown, in ms: a second while the icon draws the traffic or a
    // StatusNotifierItem host keeps the hover text; 0 while they are only shown when asked for.
    int figuresWithinMs() const;

Q_SIGNALS:
    // The hover text is about to show: the figures it is made of are wanted as of now.
    void figuresWanted();
    // figuresWithinMs() changed.
    void figuresWithinChanged();
    // A host began or ceased to show the icon.
    void reachableChanged(bool reachable);
    // The user asked to show or hide the monitor window, in the host's own way of clicking.
    void toggleRequested();

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void place(Host host);
    // Shows the icon made, and the menu to D-Bus hosts as Qt's export of it is made anew.
    void showIcon();
    // The text of the figures last shown, when they changed since it was made.
    void refreshToolTip() const;
    void applyToolTip(const QString& text) const;
    void followHosts(bool settled);
    void onActivated(QSystemTrayIcon::ActivationReason reason);
    void showActivity(const Snapshot& snapshot, bool traffic);
    void drawActivity();
    // The image of the picture and the mark, to the host.
    void refresh();

    QMenu& m_menu;
    TrayHosts& m_hosts;
    QIcon m_still;
    // The picture of the form shown: the still one or the traffic's.
    QIcon m_base;
    ActivityIcon m_activity;
    // The second being read: its ticks and their rates' sums.
    int m_readingTicks = 0;
    double m_downSum = 0;
    double m_upSum = 0;
    // Ticks since the traffic was last drawn, the engine's skipped ones counted.
    quint64 m_sinceDrawn = 2;
    bool m_redraw = false;
    // The picture the engine rests on, drawn a second after the one before.
    QTimer m_drawLater;
    QColor m_mark;
    QIcon m_image;
    mutable QString m_toolTip;
    QSystemTrayIcon* m_icon = nullptr;
    TrayMenuFront m_menuFront;
    Host m_host = Host::None;
    bool m_wanted = false;
    bool m_reachable = false;
    // A panel may claim the X11 tray a moment before it registers on D-Bus; the D-Bus icon is the better one.
    QTimer m_settle;
    QElapsedTimer m_lastToggle;
    quint64 m_ticks = 0;
    std::optional<QPoint> m_clickedAt;
    // What the hover text is made from; an idle link gives the same figures tick after tick.
    std::optional<std::tuple<double, double, bool, quint64, Remainder, bool, std::vector<AdapterActivity>>> m_hoverFrom;
    mutable bool m_hoverStale = false;
};
