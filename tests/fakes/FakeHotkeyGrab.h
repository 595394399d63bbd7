#pragma once

#include <functional>
#include <utility>

#include "engine/ports/HotkeyGrab.h"

namespace pastiq::testing {

// The start hot key without a display. press() returns whether the key reached the focused
// application, which happens only while nothing is registered.
class FakeHotkeyGrab : public HotkeyGrab {
  public:
    void registerHotkey(std::function<void()> onPressed) override {
        ++registerCount_;
        ++activeRegistrations_;
        onPressed_ = std::move(onPressed);
    }
    void unregisterHotkey() override {
        ++unregisterCount_;
        if (activeRegistrations_ > 0) {
            --activeRegistrations_;
        }
        onPressed_ = nullptr;
    }

    bool press() {
        if (activeRegistrations_ == 0) {
            return true;
        }
        if (onPressed_) {
            onPressed_();
        }
        return false;
    }

    // More than one would mean the combination is grabbed twice.
    [[nodiscard]] int activeRegistrations() const { return activeRegistrations_; }
    [[nodiscard]] int registerCount() const { return registerCount_; }
    [[nodiscard]] int unregisterCount() const { return unregisterCount_; }

  private:
    std::function<void()> onPressed_;
    int activeRegistrations_ = 0;
    int registerCount_ = 0;
    int unregisterCount_ = 0;
};

}  // namespace pastiq::testing
