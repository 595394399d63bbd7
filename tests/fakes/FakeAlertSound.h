#pragma once

#include "engine/ports/AlertSound.h"

namespace pastiq::testing {

// Answers as the test sets it and counts its calls.
class FakeAlertSound : public AlertSound {
  public:
    void beep() override { ++beepCount; }
    int beepCount = 0;
};

}  // namespace pastiq::testing
