#pragma once

#include <QByteArray>
#include <QMargins>
#include <QtGlobal>

class QWindow;

// The X11 conventions the windows rely on (EWMH, ICCCM, Motif hints, startup notification), on the X server Qt
// draws on. Off X11 (Wayland without XWayland, the offscreen tests) each function does nothing or answers "none".
namespace x11 {

bool available();

// The X server's time now: what window managers compare with the time of the user's last click or key press.
// 0 off X11.
quint32 serverTime();

// The window manager's frame around the window, in the window's device-independent pixels. Known once the window
// has been framed; before its first mapping the window manager is asked for it (_NET_REQUEST_FRAME_EXTENTS).
// Empty without a window manager; off X11, the frame as Qt knows it.
QMargins frameExtents(QWindow* window);

// A pointer button is held down anywhere on the screen, in whichever program's grab; off X11, as Qt last saw it.
bool pointerButtonHeld();

// The window manager may only move the window: the Motif hints allow no resizing, minimising, maximising or
// closing. Qt writes no functions at all for a window without buttons, which lets the window manager offer all.
void allowMoveOnly(QWindow* window);

// Asks the window manager to keep the shown window above others: some (KWin) drop the state while a window is
// minimised, and do not read it again from a window mapped afresh.
void keepAbove(QWindow* window);

// What the window manager reads from a window it is asked to map or activate on the user's request: the time of
// the request (_NET_WM_USER_TIME) and the startup sequence it answers (_NET_STARTUP_ID).
void setUserTime(QWindow* window, quint32 time);
void setStartupId(QWindow* window, const QByteArray& id);
// Asks the window manager to make the window the active one, as the answer to a request made at `time`.
void requestActivation(QWindow* window, quint32 time);

// A startup-notification message to the desktop ("remove: ID=..." ends the busy cursor of a launch).
void sendStartupMessage(const QByteArray& message);

// Whether a client owns the selection, e.g. "_NET_SYSTEM_TRAY_S0".
bool selectionOwned(const char* selection);
// Asks for an XFixes event at every change of the selection's owner; returns the event's response type to look
// for in the xcb events Qt passes to native event filters, or 0 when that cannot be watched.
quint8 watchSelectionOwner(const char* selection);

} // namespace x11
