#include "platform/x11/X11EventPoster.h"

#include <xcb/xtest.h>

#include <array>

#include "platform/x11/KeyboardTracker.h"
#include "platform/x11/X11KeyGrab.h"
#include "platform/x11/XConnection.h"
#include "platform/x11/XReply.h"
#include "platform/x11/XThreadCall.h"

namespace pastiq::x11 {
namespace {

constexpr std::chrono::milliseconds kPostBound{250};

}  // namespace

X11EventPoster::X11EventPoster(XConnection& connection, XEventLoop& loop, const X11KeyGrab& keyGrab,
                               const std::optional<KeyboardLayout>& layout,
                               const KeyboardTracker& keyboard)
    : connection_(connection),
      loop_(loop),
      keyGrab_(keyGrab),
      layout_(layout),
      keyboard_(keyboard) {}

bool X11EventPoster::postCopyKeystroke() {
    return callOnXThread<bool>(loop_, kPostBound, [this] { return post(); }).value_or(false);
}

bool X11EventPoster::post() {
    const auto& layout = layout_;
    if (keyGrab_.isGrabbing() || (keyboard_.modifierMask() & XCB_MOD_MASK_1) != 0 || !layout ||
        layout->keys.leftControl == 0) {
        return false;
    }
    const xcb_keycode_t control = layout->keys.leftControl;
    const xcb_keycode_t c = layout->keys.c;
    struct Step {
        std::uint8_t type;
        xcb_keycode_t keycode;
    };
    // Control goes up first on XTEST's own device: the key Pastiq presses after a paste puts a
    // Control the user held back down there, where it stays when the user lets go of the real
    // one, and a press of a key already down would be dropped. The copy lets Control go at its
    // end in any case, so the release first takes nothing more from the user.
    const std::array steps{Step{XCB_KEY_RELEASE, control}, Step{XCB_KEY_PRESS, control},
                           Step{XCB_KEY_PRESS, c}, Step{XCB_KEY_RELEASE, c},
                           Step{XCB_KEY_RELEASE, control}};
    std::array<xcb_void_cookie_t, steps.size()> cookies{};
    for (std::size_t i = 0; i < steps.size(); ++i) {
        cookies[i] = xcb_test_fake_input_checked(connection_.get(), steps[i].type, steps[i].keycode,
                                                 XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    }
    bool posted = true;
    for (const auto cookie : cookies) {
        posted = !checkRequest(connection_.get(), cookie) && posted;
    }
    return posted;
}

}  // namespace pastiq::x11
