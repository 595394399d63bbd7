#pragma once

namespace pastiq {

// Whether the user still holds the start hot key (Ctrl+Alt+C).
class ModifierState {
  public:
    virtual ~ModifierState() = default;
    // True while Ctrl or Alt is held or while any key of the hot key, its letter included, is
    // still down.
    [[nodiscard]] virtual bool isHotkeyHeld() = 0;
};

}  // namespace pastiq
