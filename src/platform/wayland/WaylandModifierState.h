#pragma once

#include "engine/ports/ModifierState.h"

namespace pastiq::wayland {

class KeyboardHub;

// Answers from the key thread's own view of the keyboards, without asking it: Ctrl or Alt in
// the keymap's effective modifiers, or the key typing c still down.
class WaylandModifierState final : public ModifierState {
  public:
    explicit WaylandModifierState(const KeyboardHub& hub) : hub_(hub) {}
    [[nodiscard]] bool isHotkeyHeld() override;

  private:
    const KeyboardHub& hub_;
};

}  // namespace pastiq::wayland
