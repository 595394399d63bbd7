#pragma once

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace pastiq::x11 {

struct FreeDeleter {
    void operator()(void* pointer) const { std::free(pointer); }
};

// xcb hands out replies and errors allocated with malloc.
template <typename T>
using XReply = std::unique_ptr<T, FreeDeleter>;

// Waits for a reply, dropping any error; nothing on failure.
template <typename T, typename Cookie, typename Fetch>
XReply<T> fetchReply(xcb_connection_t* connection, Cookie cookie, Fetch fetch) {
    xcb_generic_error_t* error = nullptr;
    XReply<T> reply(fetch(connection, cookie, &error));
    std::free(error);
    return reply;
}

}  // namespace pastiq::x11
