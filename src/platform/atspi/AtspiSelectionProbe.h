#pragma once

#include "engine/ports/SelectionProbe.h"

namespace pastiq::atspi {

// Asks the AT-SPI 2 accessibility bus whether the focused text input has an empty selection.
// Runs on the main thread; every bus query is bounded by 0.25 s.
//
// Text inputs are the roles entry, text, password text, editable combo box (through its text
// interface), web and text documents, paragraph, edit bar and terminal: the roles toolkits give
// to places the user types into and can select in.
class AtspiSelectionProbe final : public SelectionProbe {
  public:
    static constexpr int kQueryTimeoutMs = 250;

    [[nodiscard]] bool selectionIsEmpty() override;

  private:
    static bool connect();
};

}  // namespace pastiq::atspi
