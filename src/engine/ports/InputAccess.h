#pragma once

#include <string>
#include <vector>

namespace pastiq {

// One thing that keeps Pastiq from the keyboard or the clipboard, in the user's words, and the
// command that fixes it (empty when no command does, such as logging in again).
struct InputAccessFix {
    std::string problem;
    std::string command;
    friend bool operator==(const InputAccessFix&, const InputAccessFix&) = default;
};

// Whether Pastiq may observe and post input events in this desktop session.
class InputAccess {
  public:
    virtual ~InputAccess() = default;
    [[nodiscard]] virtual bool hasInputAccess() = 0;
    // What is missing, in the order to fix it; empty where the platform cannot tell the pieces
    // apart (the onboarding window then gives its general advice).
    [[nodiscard]] virtual std::vector<InputAccessFix> missingPieces() { return {}; }
};

}  // namespace pastiq
