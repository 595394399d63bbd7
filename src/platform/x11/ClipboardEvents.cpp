#include "platform/x11/ClipboardEvents.h"

#include <xcb/xfixes.h>

#include "platform/x11/ClipboardOwner.h"
#include "platform/x11/ClipboardReader.h"
#include "platform/x11/X11Clipboard.h"
#include "platform/x11/XConnection.h"

namespace pastiq::x11 {

bool ClipboardEvents::route(const xcb_generic_event_t& event) const {
    const auto type = static_cast<std::uint8_t>(event.response_type & 0x7f);
    switch (type) {
        case XCB_SELECTION_REQUEST:
            owner.handleRequest(reinterpret_cast<const xcb_selection_request_event_t&>(event));
            return true;
        case XCB_SELECTION_CLEAR:
            owner.handleClear(reinterpret_cast<const xcb_selection_clear_event_t&>(event));
            return true;
        case XCB_SELECTION_NOTIFY:
            reader.handleSelectionNotify(
                reinterpret_cast<const xcb_selection_notify_event_t&>(event));
            return true;
        case XCB_PROPERTY_NOTIFY: {
            const auto& notify = reinterpret_cast<const xcb_property_notify_event_t&>(event);
            connection.noteServerTime(notify.time);
            if (!reader.handlePropertyNotify(notify)) {
                owner.handlePropertyNotify(notify);
            }
            return true;
        }
        default:
            break;
    }
    if (type == connection.xfixesFirstEvent() + XCB_XFIXES_SELECTION_NOTIFY) {
        clipboard.handleOwnerChange(
            reinterpret_cast<const xcb_xfixes_selection_notify_event_t&>(event));
        return true;
    }
    return false;
}

}  // namespace pastiq::x11
