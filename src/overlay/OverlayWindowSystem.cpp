#include "overlay/OverlayWindowSystem.h"

#include <xcb/xcb.h>

#include <QByteArray>
#include <QGuiApplication>
#include <QWindow>
#include <algorithm>
#include <array>
#include <iterator>
#include <vector>

#include "platform/x11/XReply.h"

namespace pastiq {

namespace {

xcb_connection_t* connection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_screen_t* defaultScreen(xcb_connection_t* xcb) {
    // Qt opens the display's default screen; the first screen is the one on every ordinary
    // single-screen X11 session (multi-head setups use RandR outputs on one screen).
    return xcb_setup_roots_iterator(xcb_get_setup(xcb)).data;
}

xcb_atom_t atom(xcb_connection_t* xcb, const char* name) {
    const QByteArray bytes(name);
    const auto reply = x11::fetchReply<xcb_intern_atom_reply_t>(
        xcb, xcb_intern_atom(xcb, 0, static_cast<std::uint16_t>(bytes.size()), bytes.data()),
        xcb_intern_atom_reply);
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

std::vector<std::uint32_t> cardinalProperty(xcb_connection_t* xcb, xcb_window_t window,
                                            xcb_atom_t property, xcb_atom_t type) {
    const auto reply = x11::fetchReply<xcb_get_property_reply_t>(
        xcb, xcb_get_property(xcb, 0, window, property, type, 0, 1024), xcb_get_property_reply);
    if (!reply || reply->format != 32) {
        return {};
    }
    const auto* values = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    return {values, values + count};
}

bool wmSupports(xcb_connection_t* xcb, xcb_atom_t feature) {
    const xcb_window_t root = defaultScreen(xcb)->root;
    const auto supported = cardinalProperty(xcb, root, atom(xcb, "_NET_SUPPORTED"), XCB_ATOM_ATOM);
    return std::find(supported.begin(), supported.end(), feature) != supported.end();
}

void sendToRoot(xcb_connection_t* xcb, xcb_window_t window, xcb_atom_t type,
                std::array<std::uint32_t, 5> data) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    std::copy(data.begin(), data.end(), event.data.data32);
    xcb_send_event(xcb, 0, defaultScreen(xcb)->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&event));
}

}  // namespace

bool OverlayWindowSystem::isCompositing() {
    xcb_connection_t* xcb = connection();
    if (xcb == nullptr) {
        return false;
    }
    const QByteArray selection = "_NET_WM_CM_S" + QByteArray::number(0);
    const auto owner = x11::fetchReply<xcb_get_selection_owner_reply_t>(
        xcb, xcb_get_selection_owner(xcb, atom(xcb, selection.constData())),
        xcb_get_selection_owner_reply);
    return owner && owner->owner != XCB_WINDOW_NONE;
}

void OverlayWindowSystem::prepareFloatingPanel(QWindow* window) {
    xcb_connection_t* xcb = connection();
    if (xcb == nullptr || window == nullptr) {
        return;
    }
    const auto id = static_cast<xcb_window_t>(window->winId());
    const xcb_atom_t stateAtom = atom(xcb, "_NET_WM_STATE");
    // Merged into what is there: Qt adds its own states to this property when it maps.
    std::vector<std::uint32_t> states = cardinalProperty(xcb, id, stateAtom, XCB_ATOM_ATOM);
    for (const char* name : {"_NET_WM_STATE_STICKY", "_NET_WM_STATE_ABOVE",
                             "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"}) {
        const xcb_atom_t state = atom(xcb, name);
        if (std::find(states.begin(), states.end(), state) == states.end()) {
            states.push_back(state);
        }
    }
    xcb_change_property(xcb, XCB_PROP_MODE_REPLACE, id, stateAtom, XCB_ATOM_ATOM, 32,
                        static_cast<std::uint32_t>(states.size()), states.data());
    const std::uint32_t allDesktops = 0xFFFFFFFF;
    xcb_change_property(xcb, XCB_PROP_MODE_REPLACE, id, atom(xcb, "_NET_WM_DESKTOP"),
                        XCB_ATOM_CARDINAL, 32, 1, &allDesktops);
    xcb_flush(xcb);
}

OverlayWindowSystem::WindowId OverlayWindowSystem::activeWindow() {
    xcb_connection_t* xcb = connection();
    if (xcb == nullptr) {
        return 0;
    }
    const auto active = cardinalProperty(xcb, defaultScreen(xcb)->root,
                                         atom(xcb, "_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW);
    if (!active.empty() && active.front() != XCB_WINDOW_NONE) {
        return active.front();
    }
    const auto focus = x11::fetchReply<xcb_get_input_focus_reply_t>(xcb, xcb_get_input_focus(xcb),
                                                                    xcb_get_input_focus_reply);
    // PointerRoot (1) and None (0) name no window that could be given the focus back.
    if (!focus || focus->focus <= XCB_INPUT_FOCUS_POINTER_ROOT) {
        return 0;
    }
    return focus->focus;
}

void OverlayWindowSystem::activate(WindowId window) {
    xcb_connection_t* xcb = connection();
    if (xcb == nullptr || window == 0) {
        return;
    }
    const xcb_atom_t activeAtom = atom(xcb, "_NET_ACTIVE_WINDOW");
    if (wmSupports(xcb, activeAtom)) {
        constexpr std::uint32_t sourceIsPager = 2;
        sendToRoot(xcb, window, activeAtom, {sourceIsPager, XCB_CURRENT_TIME, 0, 0, 0});
    } else {
        xcb_set_input_focus(xcb, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
    }
    xcb_flush(xcb);
}

void OverlayWindowSystem::focusDirectly(QWindow* window) {
    xcb_connection_t* xcb = connection();
    if (xcb == nullptr || window == nullptr) {
        return;
    }
    xcb_set_input_focus(xcb, XCB_INPUT_FOCUS_PARENT, static_cast<xcb_window_t>(window->winId()),
                        XCB_CURRENT_TIME);
    xcb_flush(xcb);
}

}  // namespace pastiq
