#pragma once

#include "engine/ports/ModifierState.h"
#include "fakes/ManualScheduler.h"

namespace pastiq::testing {

// The hot key held until a scripted moment on the manual clock.
class FakeModifierState : public ModifierState {
  public:
    explicit FakeModifierState(const ManualScheduler& clock) : clock_(clock) {}

    [[nodiscard]] bool isHotkeyHeld() override {
        ++queryCount_;
        return clock_.now() < releaseAt_;
    }

    // Held from now for `duration` of clock time.
    void holdFor(Delay duration) { releaseAt_ = clock_.now() + duration; }
    void release() { releaseAt_ = clock_.now(); }

    [[nodiscard]] int queryCount() const { return queryCount_; }

  private:
    const ManualScheduler& clock_;
    Delay releaseAt_{0};
    int queryCount_ = 0;
};

}  // namespace pastiq::testing
