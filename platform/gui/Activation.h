#pragma once

#include <QByteArray>

class QWidget;

// A request of the user's that brings a window to the front, and the launch feedback that goes with it. Window
// managers that keep windows from stealing the focus give it only to a window stamped with the time of a request
// newer than the user's last click or key press elsewhere; a desktop that hands the program a startup id or an
// activation token shows a busy cursor until the program says it has answered it.
class Activation
{
public:
    Activation() = default;

    // The token the notification area handed with the click being answered (Qt keeps it in XDG_ACTIVATION_TOKEN
    // when a StatusNotifierItem host provides one), taken so that no later window or started program reuses it;
    // without one, a startup id of the program's own stamped with the X server's time now. Off X11 the token is
    // left where Qt's Wayland windows look for it, and the request is empty.
    static Activation ofUserRequest();
    // The startup id this process was launched with, which Qt would only answer with the first window it shows.
    static Activation ofLaunch();
    // An id handed over by the program that started this one.
    static Activation fromId(const QByteArray& id);

    bool isEmpty() const { return m_id.isEmpty(); }
    const QByteArray& id() const { return m_id; }
    // The time of the request: the id's _TIME part, or when it was taken.
    quint32 time() const { return m_time; }

    // Raises the shown window and makes it the active one as the answer to this request, then completes it.
    void raise(QWidget& window) const;
    // Tells the desktop the request is answered, so that no busy cursor lingers for it; nothing for an id of the
    // program's own.
    void complete() const;

private:
    Activation(QByteArray id, quint32 fallbackTime, bool fromDesktop);

    QByteArray m_id;
    quint32 m_time = 0;
    // The desktop made the id and waits for its answer.
    bool m_fromDesktop = false;
};
