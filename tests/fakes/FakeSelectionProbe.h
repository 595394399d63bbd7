#pragma once

#include "engine/ports/SelectionProbe.h"

namespace pastiq::testing {

// Answers as the test sets it and counts its calls.
class FakeSelectionProbe : public SelectionProbe {
  public:
    [[nodiscard]] bool selectionIsEmpty() override {
        ++queryCount;
        return isEmpty;
    }
    bool isEmpty = false;
    int queryCount = 0;
};

}  // namespace pastiq::testing
