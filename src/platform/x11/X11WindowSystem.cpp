#include "platform/x11/X11WindowSystem.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <array>
#include <vector>

#include "platform/x11/XReply.h"
#include "platform/x11/XWindowQueries.h"

namespace pastiq::x11 {
namespace {

bool windowManagerSupports(xcb_connection_t* connection, xcb_window_t root, xcb_atom_t feature) {
    const auto supported =
        propertyValues(connection, root, internAtom(connection, "_NET_SUPPORTED"), XCB_ATOM_ATOM);
    return std::find(supported.begin(), supported.end(), feature) != supported.end();
}

void sendToRoot(xcb_connection_t* connection, xcb_window_t root, xcb_window_t window,
                xcb_atom_t type, std::array<std::uint32_t, 5> data) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    std::copy(data.begin(), data.end(), event.data.data32);
    xcb_send_event(connection, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&event));
}

}  // namespace

X11WindowSystem::X11WindowSystem(xcb_connection_t* connection) : connection_(connection) {
    if (connection_ != nullptr) {
        // The toolkit opens the display's default screen; the first screen is the one on every
        // ordinary single-screen X11 session (multi-head setups use RandR outputs on one screen).
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    }
}

bool X11WindowSystem::isCompositing() {
    if (connection_ == nullptr) {
        return false;
    }
    // The compositing manager of the first screen, the one the panels are on.
    const auto owner = fetchReply<xcb_get_selection_owner_reply_t>(
        connection_, xcb_get_selection_owner(connection_, internAtom(connection_, "_NET_WM_CM_S0")),
        xcb_get_selection_owner_reply);
    return owner && owner->owner != XCB_WINDOW_NONE;
}

void X11WindowSystem::prepareFloatingPanel(WindowId window) {
    if (connection_ == nullptr || window == 0) {
        return;
    }
    const auto id = static_cast<xcb_window_t>(window);
    const xcb_atom_t stateAtom = internAtom(connection_, "_NET_WM_STATE");
    // Merged into what is there: the toolkit adds its own states to this property when it maps.
    std::vector<std::uint32_t> states = propertyValues(connection_, id, stateAtom, XCB_ATOM_ATOM);
    for (const char* name : {"_NET_WM_STATE_STICKY", "_NET_WM_STATE_ABOVE",
                             "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"}) {
        const xcb_atom_t state = internAtom(connection_, name);
        if (std::find(states.begin(), states.end(), state) == states.end()) {
            states.push_back(state);
        }
    }
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, id, stateAtom, XCB_ATOM_ATOM, 32,
                        static_cast<std::uint32_t>(states.size()), states.data());
    const std::uint32_t allDesktops = 0xFFFFFFFF;
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, id,
                        internAtom(connection_, "_NET_WM_DESKTOP"), XCB_ATOM_CARDINAL, 32, 1,
                        &allDesktops);
    xcb_flush(connection_);
}

WindowSystem::WindowId X11WindowSystem::activeWindow() {
    if (connection_ == nullptr) {
        return 0;
    }
    const xcb_window_t active =
        x11::activeWindow(connection_, root_, internAtom(connection_, "_NET_ACTIVE_WINDOW"));
    return active != XCB_NONE ? active : focusWindow(connection_);
}

void X11WindowSystem::activate(WindowId window) {
    if (connection_ == nullptr || window == 0) {
        return;
    }
    const auto id = static_cast<xcb_window_t>(window);
    const xcb_atom_t activeAtom = internAtom(connection_, "_NET_ACTIVE_WINDOW");
    if (windowManagerSupports(connection_, root_, activeAtom)) {
        constexpr std::uint32_t sourceIsPager = 2;
        sendToRoot(connection_, root_, id, activeAtom, {sourceIsPager, XCB_CURRENT_TIME, 0, 0, 0});
    } else {
        xcb_set_input_focus(connection_, XCB_INPUT_FOCUS_POINTER_ROOT, id, XCB_CURRENT_TIME);
    }
    xcb_flush(connection_);
}

void X11WindowSystem::focusDirectly(WindowId window) {
    if (connection_ == nullptr || window == 0) {
        return;
    }
    xcb_set_input_focus(connection_, XCB_INPUT_FOCUS_PARENT, static_cast<xcb_window_t>(window),
                        XCB_CURRENT_TIME);
    xcb_flush(connection_);
}

}  // namespace pastiq::x11
