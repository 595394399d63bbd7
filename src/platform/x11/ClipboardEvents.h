#pragma once

#include <xcb/xcb.h>

namespace pastiq::x11 {

class ClipboardOwner;
class ClipboardReader;
class X11Clipboard;
class XConnection;

// The pieces of the clipboard that the X11 thread's events go to.
struct ClipboardEvents {
    XConnection& connection;
    ClipboardOwner& owner;
    ClipboardReader& reader;
    X11Clipboard& clipboard;

    // X11 thread. Hands a clipboard event to the piece it is for; false for any other event.
    bool route(const xcb_generic_event_t& event) const;
};

}  // namespace pastiq::x11
