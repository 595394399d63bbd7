#include "platform/x11/X11FocusProbe.h"

#include <unistd.h>
#include <xcb/res.h>

#include "platform/x11/XConnection.h"
#include "platform/x11/XReply.h"
#include "platform/x11/XThreadCall.h"
#include "platform/x11/XWindowQueries.h"

namespace pastiq::x11 {
namespace {

constexpr std::chrono::milliseconds kProbeBound{250};

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
    xcb_connection_t* c = connection_.get();
    const xcb_window_t active =
        activeWindow(c, connection_.root(), connection_.atoms().netActiveWindow);
    for (const xcb_window_t window : {active, focusWindow(c)}) {
        if (window != XCB_NONE && processOf(window) == ownProcess) {
            return true;
        }
    }
    return false;
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
    const auto pid =
        propertyValues(connection_.get(), window, connection_.atoms().netWmPid, XCB_ATOM_CARDINAL);
    return pid.empty() ? std::nullopt : std::optional<std::uint32_t>(pid.front());
}

}  // namespace pastiq::x11
