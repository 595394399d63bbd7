#pragma once

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace pastiq::x11 {

// xcb hands out replies and errors allocated with malloc; this deleter is the one place Pastiq
// frees them.
struct FreeDeleter {
    void operator()(void* pointer) const {
        std::free(pointer);  // NOLINT(cppcoreguidelines-no-malloc): xcb's memory, see above
    }
};

template <typename T>
using XReply = std::unique_ptr<T, FreeDeleter>;

// The error of a checked request, if the server sent one.
inline XReply<xcb_generic_error_t> checkRequest(xcb_connection_t* connection,
                                                xcb_void_cookie_t cookie) {
    return XReply<xcb_generic_error_t>(xcb_request_check(connection, cookie));
}

// Waits for a reply, dropping any error; nothing on failure.
template <typename T, typename Cookie, typename Fetch>
XReply<T> fetchReply(xcb_connection_t* connection, Cookie cookie, Fetch fetch) {
    xcb_generic_error_t* error = nullptr;
    XReply<T> reply(fetch(connection, cookie, &error));
    const XReply<xcb_generic_error_t> dropped(error);
    return reply;
}

}  // namespace pastiq::x11
