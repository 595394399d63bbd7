#include "platform/x11/KeyGrabSet.h"

#include "platform/x11/XConnection.h"
#include "platform/x11/XReply.h"

namespace pastiq::x11 {

KeyGrabSet::KeyGrabSet(XConnection& connection, bool synchronous)
    : connection_(connection), synchronous_(synchronous) {}

KeyGrabSet::~KeyGrabSet() {
    release();
}

bool KeyGrabSet::grab(const std::vector<KeyChord>& chords,
                      const std::vector<std::uint16_t>& locks) {
    release();
    xcb_connection_t* c = connection_.get();
    const std::uint32_t mask = XCB_INPUT_XI_EVENT_MASK_KEY_PRESS;
    const std::uint8_t mode =
        synchronous_ ? XCB_INPUT_GRAB_MODE_22_SYNC : XCB_INPUT_GRAB_MODE_22_ASYNC;
    std::vector<xcb_input_xi_passive_grab_device_cookie_t> cookies;
    for (const auto& chord : chords) {
        Grabbed grabbed{chord.keycode, {}};
        for (const auto lock : locks) {
            grabbed.modifiers.push_back(chord.modifiers | lock);
        }
        cookies.push_back(xcb_input_xi_passive_grab_device(
            c, XCB_CURRENT_TIME, connection_.root(), XCB_NONE, chord.keycode,
            connection_.masterKeyboard(), static_cast<std::uint16_t>(grabbed.modifiers.size()), 1,
            XCB_INPUT_GRAB_TYPE_KEYCODE, mode, XCB_INPUT_GRAB_MODE_22_ASYNC, 0, &mask,
            grabbed.modifiers.data()));
        grabbed_.push_back(std::move(grabbed));
    }
    // Every reply is collected, even after a failure, so none is left behind in xcb.
    bool allGrabbed = true;
    for (const auto cookie : cookies) {
        const auto reply = fetchReply<xcb_input_xi_passive_grab_device_reply_t>(
            c, cookie, xcb_input_xi_passive_grab_device_reply);
        // The reply lists the modifier combinations that could not be grabbed.
        allGrabbed = allGrabbed && reply && reply->num_modifiers == 0;
    }
    if (!allGrabbed) {
        release();
    }
    return allGrabbed;
}

void KeyGrabSet::release() {
    for (const auto& grabbed : grabbed_) {
        ungrab(grabbed);
    }
    if (grabbed_.empty()) {
        return;
    }
    grabbed_.clear();
    // A round trip: once it returns the server has released the grabs, so a key another
    // client sends from now on can no longer be caught by them.
    xcb_connection_t* c = connection_.get();
    fetchReply<xcb_get_input_focus_reply_t>(c, xcb_get_input_focus(c), xcb_get_input_focus_reply);
}

void KeyGrabSet::ungrab(const Grabbed& grabbed) {
    xcb_input_xi_passive_ungrab_device(connection_.get(), connection_.root(), grabbed.keycode,
                                       connection_.masterKeyboard(),
                                       static_cast<std::uint16_t>(grabbed.modifiers.size()),
                                       XCB_INPUT_GRAB_TYPE_KEYCODE, grabbed.modifiers.data());
}

}  // namespace pastiq::x11
