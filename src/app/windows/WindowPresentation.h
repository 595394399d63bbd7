#pragma once

class QWidget;

namespace pastiq {

// Shows a top-level window centred on the screen under the pointer (else the primary screen)
// and brings it to the front with keyboard focus. Pastiq has no main window, so each of its
// windows is placed afresh every time it is shown.
void presentCentred(QWidget& window);

}  // namespace pastiq
