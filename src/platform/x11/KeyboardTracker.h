#pragma once

#include <xcb/xcb.h>

#include <atomic>
#include <cstdint>
#include <optional>

#include "platform/x11/KeyboardLayout.h"
#include "platform/x11/LetterKeys.h"

namespace pastiq::x11 {

class XConnection;

// Follows the server's keyboard through XKB events on the X11 thread: the layout the grabs
// depend on (which follows the keymap and the active group), and the modifier state that the
// main thread may read at any time.
class KeyboardTracker {
  public:
    explicit KeyboardTracker(XConnection& connection);

    // X11 thread. Selects the XKB events and reads the current state.
    void start();
    // X11 thread. True when the event changed the layout (the grabs must be renewed).
    bool handleXkbEvent(const xcb_generic_event_t& event);
    // X11 thread. Nothing when a shortcut key position is missing from the keymap.
    [[nodiscard]] const std::optional<KeyboardLayout>& layout() const { return layout_; }

    // Any thread: the effective core modifier mask (Shift, Lock, Control, Mod1...).
    [[nodiscard]] std::uint16_t modifierMask() const { return modifierMask_.load(); }

  private:
    bool reloadKeymap();
    bool applyGroup(std::uint8_t group);
    bool updateLayout();

    XConnection& connection_;
    // As read from the keymap, C and V still at their QWERTY positions.
    std::optional<KeyboardLayout> positions_;
    LetterKeys letters_;
    std::uint8_t group_ = 0;
    std::optional<KeyboardLayout> layout_;
    std::atomic<std::uint16_t> modifierMask_{0};
};

}  // namespace pastiq::x11
