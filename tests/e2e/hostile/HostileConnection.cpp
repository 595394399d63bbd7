#include "HostileConnection.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <stdexcept>

namespace pastiq::hostile {
namespace {

// Room for the request's own header, whatever its kind.
constexpr std::uint32_t kRequestHeaderBytes = 64;
constexpr std::uint32_t kPieceCap = std::uint32_t{128} << 20;

template <typename Reply>
using ReplyPointer = std::unique_ptr<Reply, decltype(&std::free)>;

}  // namespace

HostileConnection::HostileConnection() : connection_(xcb_connect(nullptr, nullptr)) {
    if (xcb_connection_has_error(connection_) != 0) {
        throw std::runtime_error("cannot connect to the display");
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
    window_ = xcb_generate_id(connection_);
    const std::uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window_, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_EVENT_MASK,
                      &events);
    clipboard = atom("CLIPBOARD");
    utf8String = atom("UTF8_STRING");
    incr = atom("INCR");
}

HostileConnection::~HostileConnection() {
    xcb_disconnect(connection_);
}

xcb_atom_t HostileConnection::atom(std::string_view name) const {
    const ReplyPointer<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(
            connection_,
            xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(name.size()), name.data()),
            nullptr),
        &std::free);
    return reply ? reply->atom : XCB_NONE;
}

std::uint32_t HostileConnection::maxPieceBytes() const {
    const std::uint32_t requestBytes = xcb_get_maximum_request_length(connection_) * 4;
    return std::min(requestBytes - kRequestHeaderBytes, kPieceCap);
}

xcb_window_t HostileConnection::clipboardOwner() const {
    const ReplyPointer<xcb_get_selection_owner_reply_t> reply(
        xcb_get_selection_owner_reply(connection_, xcb_get_selection_owner(connection_, clipboard),
                                      nullptr),
        &std::free);
    return reply ? reply->owner : XCB_NONE;
}

xcb_generic_event_t* HostileConnection::waitForEvent() const {
    return xcb_wait_for_event(connection_);
}

}  // namespace pastiq::hostile
