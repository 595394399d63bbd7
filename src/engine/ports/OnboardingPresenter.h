#pragma once

namespace pastiq {

// The window that explains how to give Pastiq input access.
class OnboardingPresenter {
  public:
    virtual ~OnboardingPresenter() = default;
    // Shows the window unless access is already there.
    virtual void show() = 0;
};

}  // namespace pastiq
