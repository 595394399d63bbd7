#pragma once

namespace pastiq {

class FocusProbe {
  public:
    virtual ~FocusProbe() = default;
    // True when the focused or active window belongs to Pastiq itself.
    [[nodiscard]] virtual bool isOwnApplicationActive() = 0;
};

}  // namespace pastiq
