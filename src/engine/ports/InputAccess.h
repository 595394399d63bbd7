#pragma once

namespace pastiq {

// Whether Pastiq may observe and post input events in this desktop session.
class InputAccess {
  public:
    virtual ~InputAccess() = default;
    [[nodiscard]] virtual bool hasInputAccess() = 0;
};

}  // namespace pastiq
