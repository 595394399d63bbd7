#include "overlay/ToggleSwitch.h"

#include <QPainter>

#include "overlay/OverlayStyle.h"

namespace pastiq {

ToggleSwitch::ToggleSwitch(QWidget* parent) : QAbstractButton(parent) {
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
}

QSize ToggleSwitch::sizeHint() const {
    return {26, 15};
}

void ToggleSwitch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF track = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const double radius = track.height() / 2;
    painter.setPen(Qt::NoPen);
    painter.setBrush(isChecked() ? OverlayStyle::accent()
                                 : OverlayStyle::withOpacity(OverlayStyle::primaryText(), 0.25));
    painter.drawRoundedRect(track, radius, radius);

    const double knobDiameter = track.height() - 3;
    const double knobX = isChecked() ? track.right() - 1.5 - knobDiameter : track.left() + 1.5;
    painter.setBrush(QColor(Qt::white));
    painter.drawEllipse(QRectF(knobX, track.top() + 1.5, knobDiameter, knobDiameter));
}

}  // namespace pastiq
