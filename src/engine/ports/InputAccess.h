#pragma once

namespace pastiq {

// Whether Pastiq may observe and post input events in this desktop session.
class InputAccess {
  public:
    virtual ~InputAccess() = default;
    // `prompt` asks the user where the desktop offers such a request.
    [[nodiscard]] virtual bool isTrusted(bool prompt) = 0;
};

}  // namespace pastiq
