#include "X11Desktop.h"

#include <QGuiApplication>
#include <QThread>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

namespace x11 {
namespace {

struct FreeReply
{
    void operator()(void* reply) const { std::free(reply); }
};
template<typename T> using Reply = std::unique_ptr<T, FreeReply>;

// Qt's own connection: requests on it reach the server in order with Qt's, so a property written before Qt maps a
// window is there when the window manager looks.
xcb_connection_t* connection()
{
    if (!qGuiApp || QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    const auto* x = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x ? x->connection() : nullptr;
}

xcb_window_t rootOf(xcb_connection_t* c)
{
    return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
}

xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    const Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, quint16(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// The 32-bit items of a property; none when it is missing.
std::optional<std::vector<quint32>> property32(xcb_connection_t* c, xcb_window_t window, xcb_atom_t name,
                                               xcb_atom_t type, quint32 count)
{
    const Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, name, type, 0, count), nullptr));
    if (!reply || reply->format != 32 || reply->type != type)
        return std::nullopt;
    const auto* items = static_cast<const quint32*>(xcb_get_property_value(reply.get()));
    return std::vector<quint32>(items, items + xcb_get_property_value_length(reply.get()) / 4);
}

void clientMessage(xcb_connection_t* c, xcb_window_t window, xcb_atom_t type, std::initializer_list<quint32> data)
{
    xcb_client_message_event_t event {};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    std::copy(data.begin(), data.end(), event.data.data32);
    xcb_send_event(c, 0, rootOf(c), XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(c);
}

// A window manager that says it is there (_NET_SUPPORTING_WM_CHECK) and supports `hint`.
bool wmSupports(xcb_connection_t* c, const char* hint)
{
    const xcb_window_t root = rootOf(c);
    if (!property32(c, root, atom(c, "_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW, 1))
        return false;
    const auto supported = property32(c, root, atom(c, "_NET_SUPPORTED"), XCB_ATOM_ATOM, 1024);
    return supported && std::count(supported->cbegin(), supported->cend(), atom(c, hint)) > 0;
}

xcb_window_t idOf(QWindow* window)
{
    return window ? xcb_window_t(window->winId()) : xcb_window_t(XCB_WINDOW_NONE);
}

// A connection of its own for the one question whose answer comes as an event: Qt reads every event of its
// connection on a thread of its own.
class TimeProbe
{
public:
    TimeProbe()
        : m_c(xcb_connect(nullptr, nullptr))
    {
        if (xcb_connection_has_error(m_c))
            return;
        m_window = xcb_generate_id(m_c);
        const quint32 mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(m_c, XCB_COPY_FROM_PARENT, m_window, rootOf(m_c), 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                          XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
        m_atom = atom(m_c, "_ZOVODAZAD_TIME");
    }
    ~TimeProbe() { xcb_disconnect(m_c); }
    TimeProbe(const TimeProbe&) = delete;
    TimeProbe& operator=(const TimeProbe&) = delete;

    // An empty append changes nothing but is stamped with the server's time.
    quint32 now()
    {
        if (xcb_connection_has_error(m_c))
            return 0;
        xcb_change_property(m_c, XCB_PROP_MODE_APPEND, m_window, m_atom, XCB_ATOM_STRING, 8, 0, nullptr);
        xcb_flush(m_c);
        while (xcb_generic_event_t* event = xcb_wait_for_event(m_c)) {
            const std::unique_ptr<xcb_generic_event_t, FreeReply> owned(event);
            if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY)
                return reinterpret_cast<xcb_property_notify_event_t*>(event)->time;
        }
        return 0;
    }

private:
    xcb_connection_t* m_c;
    xcb_window_t m_window = XCB_WINDOW_NONE;
    xcb_atom_t m_atom = XCB_ATOM_NONE;
};

} // namespace

bool available()
{
    return connection() != nullptr;
}

quint32 serverTime()
{
    if (!available())
        return 0;
    static TimeProbe probe;
    return probe.now();
}

QMargins frameExtents(QWindow* window)
{
    xcb_connection_t* c = connection();
    if (!window)
        return {};
    if (!c)
        return window->frameMargins();
    const xcb_atom_t extents = atom(c, "_NET_FRAME_EXTENTS");
    const auto read = [&] { return property32(c, idOf(window), extents, XCB_ATOM_CARDINAL, 4); };
    auto found = read();
    if (!found && wmSupports(c, "_NET_REQUEST_FRAME_EXTENTS")) {
        clientMessage(c, idOf(window), atom(c, "_NET_REQUEST_FRAME_EXTENTS"), {});
        // The window manager answers at once; a hung one must not hold the window up for long.
        for (int wait = 0; wait < 40 && !found; ++wait) {
            QThread::msleep(5);
            found = read();
        }
    }
    if (!found || found->size() != 4)
        return {};
    const qreal dpr = window->devicePixelRatio();
    const auto scaled = [dpr](quint32 px) { return qRound(px / dpr); };
    // left, right, top, bottom
    return QMargins(scaled((*found)[0]), scaled((*found)[2]), scaled((*found)[1]), scaled((*found)[3]));
}

bool pointerButtonHeld()
{
    xcb_connection_t* c = connection();
    if (!c)
        return QGuiApplication::mouseButtons() != Qt::NoButton;
    const Reply<xcb_query_pointer_reply_t> reply(xcb_query_pointer_reply(c, xcb_query_pointer(c, rootOf(c)), nullptr));
    return reply
        && (reply->mask & (XCB_KEY_BUT_MASK_BUTTON_1 | XCB_KEY_BUT_MASK_BUTTON_2 | XCB_KEY_BUT_MASK_BUTTON_3)) != 0;
}

void allowMoveOnly(QWindow* window)
{
    xcb_connection_t* c = connection();
    if (!c || !window)
        return;
    enum : quint32 { HintsFunctions = 1, HintsDecorations = 2, FunctionMove = 4 };
    const xcb_atom_t hints = atom(c, "_MOTIF_WM_HINTS");
    // flags, functions, decorations, input mode, status; Qt's decorations stay.
    std::vector<quint32> motif = property32(c, idOf(window), hints, hints, 5).value_or(std::vector<quint32>());
    motif.resize(5);
    motif[0] |= HintsFunctions;
    motif[1] = FunctionMove;
    if (!(motif[0] & HintsDecorations))
        motif[2] = 0;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, idOf(window), hints, hints, 32, 5, motif.data());
    xcb_flush(c);
}

void keepAbove(QWindow* window)
{
    xcb_connection_t* c = connection();
    if (!c || !window)
        return;
    // Action 1 adds the states; source 1: an application. KDE's older name for the state goes with it, as Qt's does.
    clientMessage(c, idOf(window), atom(c, "_NET_WM_STATE"),
                  {1, atom(c, "_NET_WM_STATE_ABOVE"), atom(c, "_NET_WM_STATE_STAYS_ON_TOP"), 1});
}

void setUserTime(QWindow* window, quint32 time)
{
    xcb_connection_t* c = connection();
    if (!c || !window || time == 0)
        return;
    // Qt keeps the time on a window of its own when the window manager reads it there.
    const auto timeWindow = property32(c, idOf(window), atom(c, "_NET_WM_USER_TIME_WINDOW"), XCB_ATOM_WINDOW, 1);
    const xcb_window_t target = timeWindow && !timeWindow->empty() ? timeWindow->front() : idOf(window);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, target, atom(c, "_NET_WM_USER_TIME"), XCB_ATOM_CARDINAL, 32, 1,
                        &time);
    xcb_flush(c);
}

void setStartupId(QWindow* window, const QByteArray& id)
{
    xcb_connection_t* c = connection();
    if (!c || !window || id.isEmpty())
        return;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, idOf(window), atom(c, "_NET_STARTUP_ID"), atom(c, "UTF8_STRING"), 8,
                        quint32(id.size()), id.constData());
    xcb_flush(c);
}

void requestActivation(QWindow* window, quint32 time)
{
    xcb_connection_t* c = connection();
    if (!c || !window)
        return;
    // Source 1: an application, acting on the user's request made at `time`.
    clientMessage(c, idOf(window), atom(c, "_NET_ACTIVE_WINDOW"), {1, time, XCB_WINDOW_NONE});
}

void sendStartupMessage(const QByteArray& message)
{
    xcb_connection_t* c = connection();
    if (!c || message.isEmpty())
        return;
    // The message goes out in pieces of 20 bytes, its final NUL included; the first piece under the _BEGIN type.
    xcb_client_message_event_t event {};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 8;
    event.window = rootOf(c);
    event.type = atom(c, "_NET_STARTUP_INFO_BEGIN");
    const xcb_atom_t more = atom(c, "_NET_STARTUP_INFO");
    const QByteArray text = message + '\0';
    for (qsizetype sent = 0; sent < text.size(); sent += 20) {
        std::memset(event.data.data8, 0, sizeof event.data.data8);
        std::memcpy(event.data.data8, text.constData() + sent, size_t(std::min<qsizetype>(20, text.size() - sent)));
        xcb_send_event(c, 0, rootOf(c), XCB_EVENT_MASK_PROPERTY_CHANGE, reinterpret_cast<const char*>(&event));
        event.type = more;
    }
    xcb_flush(c);
}

bool selectionOwned(const char* selection)
{
    xcb_connection_t* c = connection();
    if (!c)
        return false;
    const Reply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atom(c, selection)), nullptr));
    return owner && owner->owner != XCB_WINDOW_NONE;
}

quint8 watchSelectionOwner(const char* selection)
{
    xcb_connection_t* c = connection();
    if (!c)
        return 0;
    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(c, &xcb_xfixes_id);
    if (!xfixes || !xfixes->present)
        return 0;
    // Qt has set up XFixes on its connection already; the version is asked again as the protocol requires.
    std::free(xcb_xfixes_query_version_reply(c, xcb_xfixes_query_version(c, 5, 0), nullptr));
    xcb_xfixes_select_selection_input(c, rootOf(c), atom(c, selection),
                                      XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER
                                          | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY
                                          | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    xcb_flush(c);
    return quint8(xfixes->first_event + XCB_XFIXES_SELECTION_NOTIFY);
}

} // namespace x11
