#pragma once

#include <vector>

#include "engine/ports/WindowSystem.h"

namespace pastiq::testing {

// Answers as the test sets it and records what the panels asked of the window manager.
class FakeWindowSystem : public WindowSystem {
  public:
    [[nodiscard]] bool isCompositing() override { return compositing; }
    void prepareFloatingPanel(WindowId window) override { prepared.push_back(window); }
    [[nodiscard]] WindowId activeWindow() override { return active; }
    void activate(WindowId window) override { activated.push_back(window); }
    void focusDirectly(WindowId window) override { focusedDirectly.push_back(window); }

    bool compositing = false;
    WindowId active = 0;
    std::vector<WindowId> prepared;
    std::vector<WindowId> activated;
    std::vector<WindowId> focusedDirectly;
};

}  // namespace pastiq::testing
