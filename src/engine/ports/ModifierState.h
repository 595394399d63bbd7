#pragma once

namespace pastiq {

// The modifier keys held right now.
class ModifierState {
  public:
    virtual ~ModifierState() = default;
    [[nodiscard]] virtual bool isCtrlOrAltHeld() = 0;
};

}  // namespace pastiq
