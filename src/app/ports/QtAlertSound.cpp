#include "app/ports/QtAlertSound.h"

#include <QApplication>

namespace pastiq {

void QtAlertSound::beep() {
    QApplication::beep();
}

}  // namespace pastiq
