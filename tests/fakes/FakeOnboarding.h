#pragma once

#include "engine/ports/OnboardingPresenter.h"

namespace pastiq::testing {

// Answers as the test sets it and counts its calls.
class FakeOnboarding : public OnboardingPresenter {
  public:
    void show() override { ++showCount; }
    int showCount = 0;
};

}  // namespace pastiq::testing
