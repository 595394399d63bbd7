#include "platform/x11/X11Hotkey.h"

#include "engine/ports/Log.h"
#include "platform/x11/MainThreadChannel.h"
#include "platform/x11/XConnection.h"
#include "platform/x11/XEventLoop.h"
#include "platform/x11/XThreadCall.h"

namespace pastiq::x11 {
namespace {

constexpr std::chrono::milliseconds kGrabBound{1000};
constexpr std::uint32_t kReportedModifiers =
    XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;

}  // namespace

X11Hotkey::X11Hotkey(const KeyGrabContext& context)
    : context_(context), grabs_(context.connection, /*synchronous=*/false) {}

void X11Hotkey::registerHotkey(std::function<void()> onPressed) {
    onPressed_ = std::make_shared<std::function<void()>>(std::move(onPressed));
    const auto grabbed =
        callOnXThread<bool>(context_.loop, kGrabBound, [this] { return grabHotkey(); });
    if (!grabbed.value_or(false)) {
        reportGrabFailure();
    }
}

void X11Hotkey::unregisterHotkey() {
    onPressed_.reset();
    runOnXThread(context_.loop, kGrabBound, [this] { grabs_.release(); });
}

bool X11Hotkey::matches(const xcb_input_key_press_event_t& event) const {
    const auto& layout = context_.layout;
    return grabs_.isActive() && layout && event.detail == layout->keys.c &&
           (event.mods.effective & kReportedModifiers) == kModifiers;
}

void X11Hotkey::handleKeyPress(const xcb_input_key_press_event_t& event) {
    context_.connection.noteServerTime(event.time);
    // The press activated an asynchronous grab that would swallow every key typed until C is
    // released; end it now, which lets only C's release through to the window. The grab took
    // the focused window's focus (FocusOut, mode Grab) and this gives it back (FocusIn, mode
    // Ungrab). The copy keystroke of a hot-key start needs no wait for that: it goes out later
    // on this same connection, and the server handles one client's requests in order, so the
    // window always has its FocusIn before the keystroke, and GTK and Tk act on keys that
    // follow it at once.
    xcb_input_xi_ungrab_device(context_.connection.get(), event.time, event.deviceid);
    xcb_flush(context_.connection.get());
    if ((event.flags & XCB_INPUT_KEY_EVENT_FLAGS_KEY_REPEAT) != 0) {
        return;
    }
    context_.mainThread.post([this] {
        if (const auto onPressed = onPressed_; onPressed && *onPressed) {
            (*onPressed)();
        }
    });
}

bool X11Hotkey::grabHotkey() {
    const auto& layout = context_.layout;
    if (!layout) {
        grabs_.release();
        return false;
    }
    return grabs_.grab({{layout->keys.c, kModifiers}}, layout->lockCombinations);
}

void X11Hotkey::renewGrab() {
    if (grabs_.isActive() && !grabHotkey()) {
        context_.mainThread.post([this] { reportGrabFailure(); });
    }
}

void X11Hotkey::reportGrabFailure() {
    context_.log.error(LogCategory::session, "Hot key Ctrl+Alt+C could not be grabbed");
}

}  // namespace pastiq::x11
