#pragma once

#include "engine/ports/InputAccess.h"

namespace pastiq::testing {

// Answers as the test sets it and counts its calls.
class FakeInputAccess : public InputAccess {
  public:
    [[nodiscard]] bool isTrusted(bool prompt) override {
        ++checkCount;
        lastPrompt = prompt;
        return trusted;
    }
    bool trusted = true;
    bool lastPrompt = false;
    int checkCount = 0;
};

}  // namespace pastiq::testing
