#include "app/ports/QtFocusProbe.h"

#include <QGuiApplication>
#include <QWindow>

namespace pastiq {

// A panel that never takes the keyboard (the overlay between edits, the launcher) does not
// count, whatever a platform plugin that activates every shown window says.
bool QtFocusProbe::isOwnApplicationActive() {
    const QWindow* window = QGuiApplication::focusWindow();
    return QGuiApplication::applicationState() == Qt::ApplicationActive && window != nullptr &&
           !window->flags().testFlag(Qt::WindowDoesNotAcceptFocus);
}

}  // namespace pastiq
