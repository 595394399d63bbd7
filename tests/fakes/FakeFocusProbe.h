#pragma once

#include "engine/ports/FocusProbe.h"

namespace pastiq::testing {

// Answers as the test sets it and counts its calls.
class FakeFocusProbe : public FocusProbe {
  public:
    [[nodiscard]] bool isOwnApplicationActive() override { return ownApplicationActive; }
    bool ownApplicationActive = false;
};

}  // namespace pastiq::testing
