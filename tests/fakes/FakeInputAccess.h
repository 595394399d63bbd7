#pragma once

#include "engine/ports/InputAccess.h"

namespace pastiq::testing {

// Answers as the test sets it and counts its calls.
class FakeInputAccess : public InputAccess {
  public:
    [[nodiscard]] bool hasInputAccess() override {
        ++checkCount;
        return granted;
    }
    [[nodiscard]] std::vector<InputAccessFix> missingPieces() override { return missing; }
    bool granted = true;
    std::vector<InputAccessFix> missing;
    int checkCount = 0;
};

}  // namespace pastiq::testing
