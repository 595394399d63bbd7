#pragma once

#include "engine/ports/ModifierState.h"

namespace pastiq::x11 {

class KeyboardTracker;
class XConnection;
class XEventLoop;

// Whether the start hot key is still held: Ctrl or Alt in the modifier state XKB last reported,
// or any of its keys down in the server's key state right now. The letter matters as much as
// the modifiers: a macro tool or `xdotool key` lets Ctrl and Alt go before C, and a copy
// keystroke sent in between presses a C the server still has down. The server delivers no
// press for a key that is already down, so the application gets Ctrl and a bare release of C
// and copies nothing. The hot-key start already waits, polling this, until the hot key is
// released; answering for the letter here gives it that wait's bound and retry rather than a
// second wait of its own.
class X11ModifierState final : public ModifierState {
  public:
    X11ModifierState(XConnection& connection, XEventLoop& loop, const KeyboardTracker& keyboard);
    [[nodiscard]] bool isHotkeyHeld() override;

  private:
    // X11 thread.
    [[nodiscard]] bool isHotkeyKeyDown() const;

    XConnection& connection_;
    XEventLoop& loop_;
    const KeyboardTracker& keyboard_;
};

}  // namespace pastiq::x11
