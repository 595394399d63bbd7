#include "platform/x11/X11FocusProbe.h"

#include <unistd.h>
#include <xcb/res.h>

#include "platform/x11/XConnection.h"
#include "platform/x11/XReply.h"
#include "platform/x11/XThreadCall.h"

namespace pastiq::x11 {
namespace {

constexpr std::chrono::milliseconds kProbeBound{250};

std::optional<std::uint32_t> cardinalProperty(xcb_connection_t* c, xcb_window_t window,
                                              xcb_atom_t property, xcb_atom_t type) {
    const auto reply = fetchReply<xcb_get_property_reply_t>(
        c, xcb_get_property(c, 0, window, property, type, 0, 1), xcb_get_property_reply);
    if (!reply || reply->type != type || reply->format != 32 ||
        xcb_get_property_value_length(reply.get()) < 4) {
        return std::nullopt;
    }
    return *static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
}

}  // namespace

X11FocusProbe::X11FocusProbe(XConnection& connection, XEventLoop& loop)
    : connection_(connection), loop_(loop) {}

bool X11FocusProbe::isOwnApplicationActive() {
    return callOnXThread<bool>(loop_, kProbeBound, [this] { return isOwnWindowFocused(); })
        .value_or(false);
}

bool X11FocusProbe::isOwnWindowFocused() {
    const auto ownProcess = static_cast<std::uint32_t>(getpid());
    // The window manager's active window may lag behind a window that took the focus itself
    // (the overlay's editor), so either counts.
    for (const xcb_window_t window : {activeWindow(), focusWindow()}) {
        if (window != XCB_NONE && processOf(window) == ownProcess) {
            return true;
        }
    }
    return false;
}

xcb_window_t X11FocusProbe::activeWindow() {
    return cardinalProperty(connection_.get(), connection_.root(),
                            connection_.atoms().netActiveWindow, XCB_ATOM_WINDOW)
        .value_or(XCB_NONE);
}

xcb_window_t X11FocusProbe::focusWindow() {
    xcb_connection_t* c = connection_.get();
    const auto reply = fetchReply<xcb_get_input_focus_reply_t>(c, xcb_get_input_focus(c),
                                                               xcb_get_input_focus_reply);
    // PointerRoot (1) and None name no window.
    return reply && reply->focus > XCB_INPUT_FOCUS_POINTER_ROOT ? reply->focus : XCB_NONE;
}

std::optional<std::uint32_t> X11FocusProbe::processOf(xcb_window_t window) {
    if (auto process = creatingClientProcess(window)) {
        return process;
    }
    return declaredProcess(window);
}

std::optional<std::uint32_t> X11FocusProbe::creatingClientProcess(xcb_window_t window) {
    if (!connection_.hasXRes()) {
        return std::nullopt;
    }
    xcb_connection_t* c = connection_.get();
    const xcb_res_client_id_spec_t pidQuery{window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
    const auto reply = fetchReply<xcb_res_query_client_ids_reply_t>(
        c, xcb_res_query_client_ids(c, 1, &pidQuery), xcb_res_query_client_ids_reply);
    if (!reply) {
        return std::nullopt;
    }
    for (auto it = xcb_res_query_client_ids_ids_iterator(reply.get()); it.rem > 0;
         xcb_res_client_id_value_next(&it)) {
        if ((it.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) != 0 &&
            xcb_res_client_id_value_value_length(it.data) >= 1) {
            return *xcb_res_client_id_value_value(it.data);
        }
    }
    return std::nullopt;
}

std::optional<std::uint32_t> X11FocusProbe::declaredProcess(xcb_window_t window) {
    return cardinalProperty(connection_.get(), window, connection_.atoms().netWmPid,
                            XCB_ATOM_CARDINAL);
}

}  // namespace pastiq::x11
