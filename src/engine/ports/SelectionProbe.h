#pragma once

namespace pastiq {

// Asks the accessibility bus about the focused text input. Each query is bounded in time.
class SelectionProbe {
  public:
    virtual ~SelectionProbe() = default;
    // True only when the focused text input positively reports an empty selection; any failure
    // or doubt answers false.
    [[nodiscard]] virtual bool selectionIsEmpty() = 0;
};

}  // namespace pastiq
