#include "HostileOwner.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "platform/x11/SelectionNotify.h"

namespace pastiq::hostile {
namespace {

constexpr std::uint8_t kEventTypeMask = 0x7f;

}  // namespace

HostileOwner::HostileOwner(HostileConnection& x, Answer answer, std::uint64_t bytes)
    : x_(x),
      answer_(answer),
      bytes_(bytes),
      piece_(answer == Answer::hugeProperty ? x.maxPieceBytes() : bytes, 'x') {}

void HostileOwner::run() {
    pollfd sources[] = {{STDIN_FILENO, POLLIN, 0}, {xcb_get_file_descriptor(x_.get()), POLLIN, 0}};
    while (xcb_connection_has_error(x_.get()) == 0) {
        xcb_flush(x_.get());
        while (const std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> event{
            xcb_poll_for_event(x_.get()), &std::free}) {
            handle(*event);
            xcb_flush(x_.get());
        }
        if (poll(sources, 2, -1) < 0) {
            return;
        }
        if ((sources[0].revents & (POLLIN | POLLHUP)) != 0) {
            char line[64];
            if (read(STDIN_FILENO, line, sizeof line) > 0) {
                takeClipboard();
            } else {
                sources[0].fd = -1;
            }
        }
    }
}

void HostileOwner::takeClipboard() {
    xcb_set_selection_owner(x_.get(), x_.window(), x_.clipboard, XCB_CURRENT_TIME);
    if (x_.clipboardOwner() == x_.window()) {
        std::puts("owning");
        std::fflush(stdout);
    }
}

void HostileOwner::handle(const xcb_generic_event_t& event) {
    switch (event.response_type & kEventTypeMask) {
        case XCB_SELECTION_REQUEST:
            answerRequest(reinterpret_cast<const xcb_selection_request_event_t&>(event));
            break;
        case XCB_PROPERTY_NOTIFY:
            sendNextPiece(reinterpret_cast<const xcb_property_notify_event_t&>(event));
            break;
        default:
            break;
    }
}

void HostileOwner::answerRequest(const xcb_selection_request_event_t& request) {
    std::puts("asked");
    std::fflush(stdout);
    if (answer_ == Answer::silence) {
        return;
    }
    if (request.target != x_.utf8String && request.target != XCB_ATOM_STRING) {
        notify(request, XCB_NONE);
    } else if (answer_ == Answer::hugeProperty) {
        writeWholeText(request);
    } else {
        announceIncrements(request);
    }
}

// The server takes one request of at most maxPieceBytes(), so the text is appended in pieces
// before the requestor hears of it.
void HostileOwner::writeWholeText(const xcb_selection_request_event_t& request) {
    std::uint8_t mode = XCB_PROP_MODE_REPLACE;
    for (std::uint64_t written = 0; written < bytes_; written += piece_.size()) {
        const auto bytes =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(piece_.size(), bytes_ - written));
        writeProperty(request.requestor, request.property, mode, bytes);
        mode = XCB_PROP_MODE_APPEND;
    }
    notify(request, request.property);
    // A round trip: the server has taken in every piece.
    const std::unique_ptr<xcb_get_input_focus_reply_t, decltype(&std::free)> synced{
        xcb_get_input_focus_reply(x_.get(), xcb_get_input_focus(x_.get()), nullptr), &std::free};
    std::puts("answered");
    std::fflush(stdout);
}

void HostileOwner::announceIncrements(const xcb_selection_request_event_t& request) {
    const std::uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(x_.get(), request.requestor, XCB_CW_EVENT_MASK, &events);
    const auto lowerBound = static_cast<std::uint32_t>(piece_.size());
    xcb_change_property(x_.get(), XCB_PROP_MODE_REPLACE, request.requestor, request.property,
                        x_.incr, 32, 1, &lowerBound);
    transfer_ = Transfer{request.requestor, request.property};
    notify(request, request.property);
}

// The requestor deleting the property asks for the next piece; there is always one more.
void HostileOwner::sendNextPiece(const xcb_property_notify_event_t& event) {
    if (!transfer_ || event.state != XCB_PROPERTY_DELETE || event.window != transfer_->requestor ||
        event.atom != transfer_->property) {
        return;
    }
    writeProperty(event.window, event.atom, XCB_PROP_MODE_REPLACE,
                  static_cast<std::uint32_t>(piece_.size()));
}

void HostileOwner::notify(const xcb_selection_request_event_t& request, xcb_atom_t property) {
    x11::sendSelectionNotify(x_.get(), request, property);
}

void HostileOwner::writeProperty(xcb_window_t window, xcb_atom_t property, std::uint8_t mode,
                                 std::uint32_t bytes) {
    xcb_change_property(x_.get(), mode, window, property, x_.utf8String, 8, bytes, piece_.data());
}

}  // namespace pastiq::hostile
