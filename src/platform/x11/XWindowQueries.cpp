#include "platform/x11/XWindowQueries.h"

#include "platform/x11/XReply.h"

namespace pastiq::x11 {
namespace {

// Far more than any property these adapters read (_NET_SUPPORTED lists a few hundred atoms).
constexpr std::uint32_t kMaxValues = 1024;

}  // namespace

xcb_atom_t internAtom(xcb_connection_t* connection, std::string_view name) {
    const auto reply = fetchReply<xcb_intern_atom_reply_t>(
        connection,
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.data()),
        xcb_intern_atom_reply);
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

std::vector<std::uint32_t> propertyValues(xcb_connection_t* connection, xcb_window_t window,
                                          xcb_atom_t property, xcb_atom_t type) {
    const auto reply = fetchReply<xcb_get_property_reply_t>(
        connection, xcb_get_property(connection, 0, window, property, type, 0, kMaxValues),
        xcb_get_property_reply);
    if (!reply || reply->type != type || reply->format != 32) {
        return {};
    }
    const auto* values = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    return {values, values + count};
}

xcb_window_t activeWindow(xcb_connection_t* connection, xcb_window_t root,
                          xcb_atom_t netActiveWindow) {
    const auto active = propertyValues(connection, root, netActiveWindow, XCB_ATOM_WINDOW);
    return active.empty() ? static_cast<xcb_window_t>(XCB_NONE) : active.front();
}

xcb_window_t focusWindow(xcb_connection_t* connection) {
    const auto reply = fetchReply<xcb_get_input_focus_reply_t>(
        connection, xcb_get_input_focus(connection), xcb_get_input_focus_reply);
    return reply && reply->focus > XCB_INPUT_FOCUS_POINTER_ROOT
               ? reply->focus
               : static_cast<xcb_window_t>(XCB_NONE);
}

}  // namespace pastiq::x11
