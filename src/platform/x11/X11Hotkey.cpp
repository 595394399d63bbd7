#include "platform/x11/X11Hotkey.h"

#include "platform/x11/KeyboardTracker.h"
#include "platform/x11/MainThreadChannel.h"
#include "platform/x11/XConnection.h"
#include "platform/x11/XEventLoop.h"
#include "platform/x11/XThreadCall.h"

namespace pastiq::x11 {
namespace {

constexpr std::chrono::milliseconds kGrabBound{1000};
constexpr std::uint16_t kHotkeyModifiers = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;
constexpr std::uint32_t kReportedModifiers =
    XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;

}  // namespace

X11Hotkey::X11Hotkey(XConnection& connection, XEventLoop& loop, const MainThreadChannel& mainThread,
                     KeyboardTracker& keyboard, Log& log)
    : connection_(connection),
      loop_(loop),
      mainThread_(mainThread),
      keyboard_(keyboard),
      log_(log),
      grabs_(connection, /*synchronous=*/false) {}

void X11Hotkey::registerHotkey(std::function<void()> onPressed) {
    onPressed_ = std::make_shared<std::function<void()>>(std::move(onPressed));
    const auto grabbed = callOnXThread<bool>(loop_, kGrabBound, [this] { return grabHotkey(); });
    if (!grabbed.value_or(false)) {
        reportGrabFailure();
    }
}

void X11Hotkey::unregisterHotkey() {
    onPressed_.reset();
    if (!callOnXThread<bool>(loop_, kGrabBound, [this] {
            grabs_.release();
            return true;
        })) {
        loop_.post([this] { grabs_.release(); });
    }
}

bool X11Hotkey::matches(const xcb_input_key_press_event_t& event) const {
    const auto& layout = keyboard_.layout();
    return grabs_.isActive() && layout && event.detail == layout->keys.c &&
           (event.mods.effective & kReportedModifiers) == kHotkeyModifiers;
}

void X11Hotkey::handleKeyPress(const xcb_input_key_press_event_t& event) {
    connection_.noteServerTime(event.time);
    // The press activated an asynchronous grab that would swallow every key typed until C is
    // released; end it now, which lets only C's release through to the window.
    xcb_input_xi_ungrab_device(connection_.get(), event.time, event.deviceid);
    xcb_flush(connection_.get());
    if ((event.flags & XCB_INPUT_KEY_EVENT_FLAGS_KEY_REPEAT) != 0) {
        return;
    }
    mainThread_.post([this] {
        if (const auto onPressed = onPressed_; onPressed && *onPressed) {
            (*onPressed)();
        }
    });
}

bool X11Hotkey::grabHotkey() {
    const auto& layout = keyboard_.layout();
    if (!layout) {
        grabs_.release();
        return false;
    }
    return grabs_.grab({{layout->keys.c, kHotkeyModifiers}}, layout->lockCombinations);
}

void X11Hotkey::renewGrab() {
    if (grabs_.isActive() && !grabHotkey()) {
        mainThread_.post([this] { reportGrabFailure(); });
    }
}

void X11Hotkey::reportGrabFailure() {
    log_.error(LogCategory::session, "Hot key Ctrl+Alt+C could not be grabbed");
}

}  // namespace pastiq::x11
