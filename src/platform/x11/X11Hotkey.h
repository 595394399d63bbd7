#pragma once

#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <cstdint>
#include <functional>
#include <memory>

#include "engine/ports/HotkeyGrab.h"
#include "platform/x11/KeyGrabContext.h"
#include "platform/x11/KeyGrabSet.h"

namespace pastiq::x11 {

// Ctrl+Alt+C on the key typing c, grabbed asynchronously: the press goes to Pastiq alone.
class X11Hotkey final : public HotkeyGrab {
  public:
    // Ctrl and Alt, the modifiers held with the hot key's C.
    static constexpr std::uint16_t kModifiers = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;

    explicit X11Hotkey(const KeyGrabContext& context);
    X11Hotkey(const X11Hotkey&) = delete;
    X11Hotkey& operator=(const X11Hotkey&) = delete;

    // Main thread.
    void registerHotkey(std::function<void()> onPressed) override;
    void unregisterHotkey() override;

    // X11 thread.
    [[nodiscard]] bool matches(const xcb_input_key_press_event_t& event) const;
    void handleKeyPress(const xcb_input_key_press_event_t& event);
    void renewGrab();
    void shutdown() { grabs_.release(); }

  private:
    bool grabHotkey();
    void reportGrabFailure();

    KeyGrabContext context_;
    // Main thread.
    std::shared_ptr<std::function<void()>> onPressed_;
    // X11 thread.
    KeyGrabSet grabs_;
};

}  // namespace pastiq::x11
