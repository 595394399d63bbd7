#pragma once

#include <functional>

namespace pastiq {

// The system-wide start hot key (Ctrl+Alt+C). Presses never reach the focused application.
class HotkeyGrab {
  public:
    virtual ~HotkeyGrab() = default;
    // Reserves the hot key; onPressed runs on the main thread for each press.
    virtual void registerHotkey(std::function<void()> onPressed) = 0;
    virtual void unregisterHotkey() = 0;
};

}  // namespace pastiq
